#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>

namespace snagwell {

class Clipboard;
class Clock;
class Converters;
class Dialogs;
class HeaderChoice;
class Printing;
class ScreenGrabber;
class State;
class StorageFolders;
class TrayIcon;

// Records what passes through the clipboard while monitoring is on: a text
// is shown and, when so set, saved and printed; a picture is saved as a
// bitmap, shown, printed when so set, and converted.
class CaptureRecorder final : public QObject
{
    Q_OBJECT
public:
    struct Ports
    {
        Clipboard &clipboard;
        ScreenGrabber &screenGrabber; // the X11 one
        ScreenGrabber &screenPortal;  // where X11 gives nothing
        Converters &converters;
        Clock &clock;
        Dialogs &dialogs;
        TrayIcon &trayIcon;
    };
    CaptureRecorder(State &state, const Ports &ports, HeaderChoice &headers, Printing &printing,
                    StorageFolders &folders, QObject *parent = nullptr);

    // Only the changes from now on are captured: what the clipboard holds
    // already is not.
    void start();
    // Stops capturing, then removes the day folders older than the
    // deletion setting keeps.
    void stop();
    // Captures what the clipboard holds now; throws what fails.
    void captureClipboard();
    // Captures as monitoring does: a failure is told beside the tray icon
    // (in the settings window where there is no tray), at most once a
    // minute, and the next capture is tried as usual. Changes that could
    // not be read are counted and told the same way, never saved as
    // another change's content.
    void captureTelling();
    // Writes the shown text as the next text capture; answers its path.
    QString saveShownText();
    // Button "テキスト保存": asks first; every failure is shown.
    void saveShownTextAsked();
    // Button "画面保存": the clipboard is emptied, then a picture of the
    // whole virtual screen is put there, and pending events run once, so
    // that monitoring captures the picture. X11 answers before this returns;
    // where it gives nothing (a Wayland session), the desktop's portal
    // answers later, and a click meanwhile joins the pending request: its
    // one picture answers both. A screen that cannot be had is told as a
    // failed capture is, each time.
    void takeScreenshot();

private:
    void captureText();
    void capturePicture();
    QString nextCapturePath() const;
    void tell(const QString &message);
    void tellMissedChanges();
    void putScreenshot(const QImage &picture);
    void tellNoScreen(const QString &reason);

    State &m_state;
    Ports m_ports;
    HeaderChoice &m_headers;
    Printing &m_printing;
    StorageFolders &m_folders;
    QMetaObject::Connection m_monitoring;
    QDateTime m_lastTold;
    int m_missedChanges = 0; // not yet told
    QTimer m_missedLater;
    bool m_screenshotPending = false;
};

} // namespace snagwell
