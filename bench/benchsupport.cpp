#include "benchsupport.h"

#include <map>
#include <utility>

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>

#include "app/bitmapwriter.h"
#include "app/capturerecorder.h"
#include "app/fileviewer.h"
#include "app/headerchoice.h"
#include "app/lifecycle.h"
#include "app/printing.h"
#include "app/state.h"
#include "app/storagefolders.h"
#include "core/naming.h"
#include "gui/settingswindow.h"
#include "screenshot.h"

namespace snagwell::bench {

const std::vector<QSize> &pictureSizes()
{
    static const std::vector<QSize> sizes{QSize(1920, 1080), QSize(3840, 2160)};
    return sizes;
}

QString sizeName(QSize size)
{
    return QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
}

const QImage &screenshot(QSize size)
{
    static std::map<std::pair<int, int>, QImage> made;
    QImage &image = made[{size.width(), size.height()}];
    if (image.isNull())
        image = screenshotLikePicture(size);
    return image;
}

double pictureBytes(QSize size)
{
    return double(size.width()) * size.height() * 4;
}

const std::vector<CaptureFormat> &captureFormats()
{
    // JpegSaver keeps full colour resolution from quality 90 on.
    static const std::vector<CaptureFormat> formats{
        {QStringLiteral("JPG"), PictureType::Jpg, pictureFormatFor(PictureType::Jpg), 95, true, -1},
        {QStringLiteral("JPEG"), PictureType::Jpeg, pictureFormatFor(PictureType::Jpeg), 30, false,
         -1},
        {QStringLiteral("PNG"), PictureType::Png, pictureFormatFor(PictureType::Png), 0, false, 3},
        {QStringLiteral("BMP"), PictureType::Bmp, pictureFormatFor(PictureType::Bmp), 0, false, -1},
    };
    return formats;
}

const CaptureFormat *captureFormatNamed(const QString &fileType)
{
    for (const CaptureFormat &format : captureFormats()) {
        if (format.fileType == fileType)
            return &format;
    }
    return nullptr;
}

LibraryConverters &converterLibraries()
{
    static LibraryConverters converters = [] {
        LibraryConverters libraries(QCoreApplication::applicationDirPath());
        // Loading happens on first use; a source that does not exist loads the
        // library and converts nothing.
        const QString missing = QDir::temp().filePath(QStringLiteral("snagwell-bench-missing"));
        libraries.BmpToJpeg(missing + QStringLiteral(".bmp"), missing + QStringLiteral(".jpg"),
                            QStringLiteral("q95"));
        libraries.BmpToPng(missing + QStringLiteral(".bmp"), missing + QStringLiteral(".png"),
                           QStringLiteral("ac3"));
        return libraries;
    }();
    return converters;
}

QString capturePicture(const QImage &image, const QString &folder, const QString &header,
                       const PictureFormat &format, Converters &converters)
{
    const QString base =
        storeNewCapture([&] { return nextCapturePath(folder, header); }, QStringLiteral(".bmp"),
                        [&](QIODevice &device) { writeBitmap(device, image); });
    const QString bitmap = base + QStringLiteral(".bmp");
    int result = 0;
    if (format.converter == PictureFormat::Converter::Jpeg)
        result = converters.BmpToJpeg(bitmap, base + format.extension, format.option);
    else if (format.converter == PictureFormat::Converter::Png)
        result = converters.BmpToPng(bitmap, base + format.extension, format.option);
    if (format.converter == PictureFormat::Converter::None)
        return bitmap;
    if ((result & 0xFFFF) != 1)
        return QString();
    QFile::remove(bitmap);
    return base + format.extension;
}

CaptureDesk::CaptureDesk()
{
    m_state = std::make_unique<State>(QDir(m_dir.path()).canonicalPath());
    m_headers = std::make_unique<HeaderChoice>(*m_state, m_names, m_tray, m_dialogs,
                                               QStringLiteral("snagwell"));
    m_folders = std::make_unique<StorageFolders>(*m_state, m_dialogs, m_clock);
    m_printing = std::make_unique<Printing>(*m_state, m_printers, m_dialogs);
    m_viewer = std::make_unique<FileViewer>(*m_state, m_dialogs);
    m_recorder = std::make_unique<CaptureRecorder>(
        *m_state,
        CaptureRecorder::Ports{m_clipboard, m_grabber, converterLibraries(), m_clock, m_dialogs,
                               m_tray},
        *m_headers, *m_printing, *m_folders);
    m_lifecycle = std::make_unique<Lifecycle>(
        *m_state, Lifecycle::Ports{m_dialogs, m_lock, m_tray},
        Lifecycle::Services{*m_folders, *m_headers, *m_printing, *m_recorder},
        QStringLiteral("snagwell"));
    m_window = std::make_unique<SettingsWindow>(
        SettingsWindowParts{*m_state, *m_recorder, *m_headers, *m_folders, *m_printing, *m_viewer,
                            *m_lifecycle, m_dialogs, m_tray, m_information});
    m_lifecycle->start();
    m_headers->chooseMode(HeaderMode::Pc);
    m_state->changeSettings([](Settings &settings) {
        settings.printAtOnce = Tick::Off;
        settings.saveText = Tick::Off;
    });
}

CaptureDesk::~CaptureDesk() = default;

QString CaptureDesk::folder() const
{
    return currentFolderPath(m_state->currentFolder());
}

bool expectFile(benchmark::State &state, const QString &path)
{
    if (!path.isEmpty() && QFileInfo(path).size() > 0)
        return true;
    state.SkipWithError(path.isEmpty() ? "the capture failed"
                                       : qPrintable(path + QStringLiteral(" is missing")));
    return false;
}

} // namespace snagwell::bench
