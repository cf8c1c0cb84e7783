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

#include "app/form1.h"
#include "capture/capturefiles.h"
#include "platform/clipboard.h"
#include "platform/clock.h"
#include "platform/converters.h"
#include "platform/dialogs.h"
#include "platform/instancelock.h"
#include "platform/printers.h"
#include "platform/programlauncher.h"
#include "platform/registry.h"
#include "platform/screengrabber.h"
#include "platform/systemnames.h"
#include "platform/trayicon.h"

namespace benchmark {
class State;
}

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
    PictureFormat format;
    // What the converter makes of the option: JPEG quality and whether the
    // colour keeps full resolution (4:4:4) as JpegSaver decides it.
    int jpegQuality = 0;
    bool fullChroma = false;
    int zlibLevel = -1;
};
const std::vector<CaptureFormat> &captureFormats();

// The converter libraries beside the benchmark, loaded before any timing.
LibraryConverters &converterLibraries();

// Picture capture exactly as the settings window saves one: the bitmap under
// a hidden name renamed into place, then converted, then removed when the
// conversion succeeded. Answers the final file's path; throws Failure.
QString capturePicture(const QImage &image, const QString &folder, const QString &header,
                       const PictureFormat &format, Converters &converters);

// The settings window over the real converters and in-memory doubles for
// everything else, started in a fresh folder with the computer's name as the
// header and monitoring on: a picture set on `clipboard` is captured at once.
class CaptureDesk final
{
public:
    CaptureDesk();
    Form1 &form() { return *m_form; }
    // The day folder the captures go to.
    QString folder() const;
    QString header() const { return m_names.computerName(); }
    MemoryClipboard &clipboard() { return m_clipboard; }

private:
    QTemporaryDir m_dir;
    ScriptedDialogs m_dialogs;
    FixedInstanceLock m_lock{true};
    FixedSystemNames m_names{QStringLiteral("OFFICE-PC"), QStringLiteral("user1")};
    FixedClock m_clock{QDateTime(QDate(2005, 11, 15), QTime(10, 30))};
    RecordingTrayIcon m_tray;
    RecordingPrinters m_printers{QStringList{QStringLiteral("PDF")}};
    MemoryClipboard m_clipboard;
    FixedScreenGrabber m_grabber{QImage()};
    MapRegistry m_registry;
    RecordingLauncher m_launcher;
    std::unique_ptr<Form1> m_form;
};

// Ends the benchmark with an error unless the file exists and has bytes.
bool expectFile(benchmark::State &state, const QString &path);

} // namespace snagwell::bench
