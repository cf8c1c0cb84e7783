#include "app/capturerecorder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>

#include "app/bitmapwriter.h"
#include "app/failurerules.h"
#include "app/headerchoice.h"
#include "app/printing.h"
#include "app/state.h"
#include "app/storagefolders.h"
#include "core/capturefiles.h"
#include "core/dayfolders.h"
#include "core/deletion.h"
#include "core/naming.h"
#include "platform/clipboard.h"
#include "platform/clock.h"
#include "platform/converters.h"
#include "platform/screengrabber.h"
#include "platform/trayicon.h"

namespace snagwell {

CaptureRecorder::CaptureRecorder(State &state, const Ports &ports, HeaderChoice &headers,
                                 Printing &printing, StorageFolders &folders, QObject *parent)
    : QObject(parent), m_state(state), m_ports(ports), m_headers(headers), m_printing(printing),
      m_folders(folders)
{
    m_missedLater.setSingleShot(true);
    connect(&m_missedLater, &QTimer::timeout, this, &CaptureRecorder::tellMissedChanges);
    connect(&m_ports.screenGrabber, &ScreenGrabber::taken, this, &CaptureRecorder::putScreenshot);
    connect(&m_ports.screenGrabber, &ScreenGrabber::failed, &m_ports.screenPortal,
            &ScreenGrabber::take);
    connect(&m_ports.screenPortal, &ScreenGrabber::taken, this, &CaptureRecorder::putScreenshot);
    connect(&m_ports.screenPortal, &ScreenGrabber::failed, this, [this](const QString &reason) {
        m_screenshotPending = false;
        tellNoScreen(reason);
    });
}

void CaptureRecorder::start()
{
    m_ports.clipboard.takeMissedChanges();
    if (!m_monitoring)
        m_monitoring = connect(&m_ports.clipboard, &Clipboard::changed, this,
                               &CaptureRecorder::captureTelling);
    m_state.setMonitoring(true);
    m_ports.trayIcon.showMonitoring(true);
}

void CaptureRecorder::stop()
{
    disconnect(m_monitoring);
    m_monitoring = {};
    m_state.setMonitoring(false);
    m_ports.trayIcon.showMonitoring(false);
    if (const std::optional<int> days = daysToKeep(m_state.settings().keepDays))
        deleteOldDayFolders(m_state.currentFolder(), *days, m_ports.clock.now());
}

void CaptureRecorder::captureTelling()
{
    m_missedChanges += m_ports.clipboard.takeMissedChanges();
    tellFailures(
        m_ports.clock, m_lastTold, [this](const QString &message) { tell(message); },
        [this] { captureClipboard(); });
    tellMissedChanges();
}

void CaptureRecorder::tell(const QString &message)
{
    if (m_ports.trayIcon.isAvailable())
        m_ports.trayIcon.notify(applicationTitle(), message);
    else
        m_state.tellCaptureProblem(message);
}

void CaptureRecorder::tellMissedChanges()
{
    if (m_missedChanges == 0)
        return;
    if (!mayTellNow(m_ports.clock, m_lastTold)) {
        // Told once the minute is over, when no capture comes to tell it.
        if (!m_missedLater.isActive())
            m_missedLater.start(std::chrono::minutes(1));
        return;
    }
    m_missedLater.stop();
    try {
        tell(QStringLiteral("%1件のクリップボードの変更を読み取れませんでした")
                 .arg(std::exchange(m_missedChanges, 0)));
    } catch (...) {
    }
}

QString CaptureRecorder::nextCapturePath() const
{
    return snagwell::nextCapturePath(currentFolderPath(m_state.currentFolder()),
                                     m_headers.fileNameHeader());
}

void CaptureRecorder::captureClipboard()
{
    // A password manager's secret never reaches a file, the screen or paper.
    if (m_ports.clipboard.isSecret())
        return;
    // After midnight a capture belongs in the new day's folder.
    m_folders.followTheDate();
    // A day folder removed while monitoring is made again; anything else in
    // its place makes the capture fail.
    const QString folder = m_state.currentFolder();
    if (!QFileInfo::exists(folder) && isDayFolderName(lastSevenCharacters(folder)) &&
        isManagementFolder(parentPath(folder)))
        QDir().mkdir(folder);
    if (m_ports.clipboard.hasText())
        captureText();
    else if (m_ports.clipboard.hasImage())
        capturePicture();
}

void CaptureRecorder::captureText()
{
    const QString text = m_ports.clipboard.text();
    // What came while reading may be the next change's: that one is
    // captured with its own notice, this one counts as missed.
    if (!m_ports.clipboard.isStillCurrent()) {
        ++m_missedChanges;
        return;
    }
    m_state.showText(text, QString());
    const Settings &settings = m_state.settings();
    if (settings.saveText != Tick::On)
        return;
    const QString path = saveShownText();
    m_state.showText(text, path);
    if (settings.printAtOnce == Tick::On)
        m_printing.printText(text);
}

void CaptureRecorder::capturePicture()
{
    const QImage image = m_ports.clipboard.image();
    if (!m_ports.clipboard.isStillCurrent()) {
        ++m_missedChanges;
        return;
    }
    if (image.isNull())
        throw Failure(QStringLiteral("クリップボードの画像を読み込めません"));
    const QString base =
        storeNewCapture([this] { return nextCapturePath(); }, QStringLiteral(".bmp"),
                        [&](QIODevice &device) { writeBitmap(device, image); });
    m_state.announceNewFiles();
    m_state.showPicture(image, base);
    // A failed print keeps nothing from the conversion; it is told after it.
    std::exception_ptr printFailure;
    if (m_state.settings().printAtOnce == Tick::On) {
        try {
            m_printing.printPicture(image);
        } catch (...) {
            printFailure = std::current_exception();
        }
    }
    const PictureFormat format = pictureFormatFor(m_state.settings().pictureType);
    const QString bitmap = base + QStringLiteral(".bmp");
    int result = 0;
    if (format.converter == PictureFormat::Converter::Jpeg)
        result = m_ports.converters.BmpToJpeg(bitmap, base + format.extension, format.option);
    else if (format.converter == PictureFormat::Converter::Png)
        result = m_ports.converters.BmpToPng(bitmap, base + format.extension, format.option);
    if (format.converter != PictureFormat::Converter::None && (result & 0xFFFF) == 1) {
        QFile::remove(bitmap);
        m_state.announceNewFiles();
    }
    if (printFailure)
        std::rethrow_exception(printFailure);
}

QString CaptureRecorder::saveShownText()
{
    const QByteArray bytes = textFileBytes(m_state.shownText());
    const QString base = storeNewCapture(
        [this] { return nextCapturePath(); }, QStringLiteral(".txt"),
        [&](QIODevice &device) {
            // A full disk shows as a short count, not always as an error.
            if (device.write(bytes) != bytes.size())
                throw Failure(
                    QStringLiteral("テキストを書き込めません: %1").arg(device.errorString()));
        });
    m_state.announceNewFiles();
    return base + QStringLiteral(".txt");
}

void CaptureRecorder::saveShownTextAsked()
{
    reportFailure(m_ports.dialogs, [this] {
        if (!m_state.shownTextPath().isEmpty()) {
            m_ports.dialogs.notice(QStringLiteral("このテキストは保存さています"));
            return;
        }
        if (m_state.shownText().isEmpty()) {
            m_ports.dialogs.notice(QStringLiteral("テキストデータがありません"));
            return;
        }
        if (!m_ports.dialogs.askOkCancel(QStringLiteral("選択したテキストを保存しますか"),
                                         QStringLiteral("保存確認")))
            return;
        m_folders.followTheDate();
        saveShownText();
    });
}

void CaptureRecorder::takeScreenshot()
{
    if (m_screenshotPending)
        return;
    // X11 answers no key with a screenshot on the clipboard, so the picture
    // is taken here. Emptying first keeps an old picture from being taken
    // for the new one when the grab fails.
    m_ports.clipboard.clear();
    m_screenshotPending = true;
    m_ports.screenGrabber.take();
}

void CaptureRecorder::putScreenshot(const QImage &picture)
{
    m_screenshotPending = false;
    // Later answers come from the event loop, which no failure may reach.
    try {
        m_ports.clipboard.setImage(picture);
    } catch (const std::exception &error) {
        tellNoScreen(describe(error));
    }
}

void CaptureRecorder::tellNoScreen(const QString &reason)
{
    try {
        tell(QStringLiteral("画面を取得できませんでした: ") + reason);
    } catch (...) {
    }
}

} // namespace snagwell
