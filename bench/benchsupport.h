#pragma once

#include <QDate>
#include <QDateTime>
#include <QImage>
#include <QSize>
#include <QString>
#include <QTemporaryDir>
#include <QTime>

#include <memory>
#include <vector>

#include "benchdoubles.h"
#include "core/capturefiles.h"
#include "platform/converters.h"

namespace benchmark {
class State;
}

namespace snagwell {
class CaptureRecorder;
class FileViewer;
class HeaderChoice;
class Lifecycle;
class Printing;
class SettingsWindow;
class State;
class StorageFolders;
} // namespace snagwell

namespace snagwell::bench {

// The screen sizes measured: a full-HD and a 4K screen.
const std::vector<QSize> &pictureSizes();
QString sizeName(QSize size);
// The screenshot-like picture of that size, made once per run.
const QImage &screenshot(QSize size);
// Bytes of the picture as it lies in memory, 4 a pixel.
double pictureBytes(QSize size);

// The picture formats of the capture path by their text in the format list.
struct CaptureFormat
{
    QString fileType; // "JPG", "JPEG", "PNG", "BMP"
    PictureType type;
    PictureFormat format;
    // What the converter makes of the option: JPEG quality and whether the
    // colour keeps full resolution (4:4:4) as JpegSaver decides it.
    int jpegQuality = 0;
    bool fullChroma = false;
    int zlibLevel = -1;
};
const std::vector<CaptureFormat> &captureFormats();
// The format of that text, or nothing.
const CaptureFormat *captureFormatNamed(const QString &fileType);

// The converter libraries beside the benchmark, loaded before any timing.
LibraryConverters &converterLibraries();

// Picture capture exactly as the capture recorder saves one: the bitmap under
// a hidden name renamed into place, then converted, then removed when the
// conversion succeeded. Answers the final file's path; throws Failure.
QString capturePicture(const QImage &image, const QString &folder, const QString &header,
                       const PictureFormat &format, Converters &converters);

// The program's services and its settings window over the real converters
// and in-memory stand-ins for everything else, started in a fresh folder
// with the computer's name as the header and monitoring on: a picture set on
// `clipboard` is captured at once.
class CaptureDesk final
{
public:
    CaptureDesk();
    ~CaptureDesk();
    State &state() { return *m_state; }
    // The day folder the captures go to.
    QString folder() const;
    QString header() const { return m_names.computerName(); }
    MemoryClipboard &clipboard() { return m_clipboard; }

private:
    QTemporaryDir m_dir;
    AgreeingDialogs m_dialogs;
    FreeInstanceLock m_lock;
    FixedSystemNames m_names{QStringLiteral("OFFICE-PC"), QStringLiteral("user1")};
    FixedClock m_clock{QDateTime(QDate(2005, 11, 15), QTime(10, 30))};
    SilentTrayIcon m_tray;
    NoPrinters m_printers{QStringList{QStringLiteral("PDF")}};
    MemoryClipboard m_clipboard;
    NoScreenGrabber m_grabber;
    NoSystemInformation m_information;
    std::unique_ptr<State> m_state;
    std::unique_ptr<HeaderChoice> m_headers;
    std::unique_ptr<StorageFolders> m_folders;
    std::unique_ptr<Printing> m_printing;
    std::unique_ptr<FileViewer> m_viewer;
    std::unique_ptr<CaptureRecorder> m_recorder;
    std::unique_ptr<Lifecycle> m_lifecycle;
    std::unique_ptr<SettingsWindow> m_window;
};

// Ends the benchmark with an error unless the file exists and has bytes.
bool expectFile(benchmark::State &state, const QString &path);

} // namespace snagwell::bench
