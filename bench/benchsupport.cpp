#include "benchsupport.h"

#include <map>
#include <utility>

#include <benchmark/benchmark.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>

#include "capture/bitmapwriter.h"
#include "naming/naming.h"
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
        {QStringLiteral("JPG"), pictureFormatFor(QStringLiteral("JPG")), 95, true, -1},
        {QStringLiteral("JPEG"), pictureFormatFor(QStringLiteral("JPEG")), 30, false, -1},
        {QStringLiteral("PNG"), pictureFormatFor(QStringLiteral("PNG")), 0, false, 3},
        {QStringLiteral("BMP"), pictureFormatFor(QStringLiteral("BMP")), 0, false, -1},
    };
    return formats;
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
        storeNewCapture([&] { return NextCapturePath(folder, header); }, QStringLiteral(".bmp"),
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
    m_form = std::make_unique<Form1>(
        Form1Ports{m_dialogs, m_lock, m_names, m_clock, m_tray, m_printers, m_clipboard,
                   converterLibraries(), m_grabber, m_registry, m_launcher},
        QStringLiteral("snagwell"), QDir(m_dir.path()).canonicalPath());
    m_form->Form_Load();
    m_form->cbxFileHeader->setCurrentIndex(static_cast<int>(HeaderMode::Pc));
    Form1::setCheckValue(m_form->PrintCK, 0);
    Form1::setCheckValue(m_form->SaveTextCK, 0);
}

QString CaptureDesk::folder() const
{
    return CurrentFolderPath(m_form->fileListPath());
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
