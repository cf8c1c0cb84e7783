#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVariantMap>

namespace snagwell {

// A picture of the whole virtual screen: every monitor, as they stand. Each
// take() is answered once, by taken() or failed(), either before it returns
// or later from the event loop. One take at a time.
class ScreenGrabber : public QObject
{
    Q_OBJECT
public:
    virtual void take() = 0;

Q_SIGNALS:
    void taken(const QImage &picture);
    void failed(const QString &reason);
};

// Through the X11 server, answered at once. A Wayland session's XWayland
// shows no real screen (sway's gives a black picture), so there it fails
// without trying.
class QtScreenGrabber final : public ScreenGrabber
{
    Q_OBJECT
public:
    explicit QtScreenGrabber(bool waylandSession) : m_waylandSession(waylandSession) {}
    void take() override;

private:
    bool m_waylandSession;
};

// The desktop's answer to a screenshot request: its code (0 taken, 1 the
// user refused, other failed) and results. The picture's file is read and
// removed: the desktop may have put it among the user's pictures. Answers the
// picture, or a null picture and why.
struct PortalAnswer
{
    QImage picture;
    QString reason;
};
PortalAnswer readPortalAnswer(uint response, const QVariantMap &results);

// Through the desktop's screenshot portal (xdg-desktop-portal) on the
// session bus, answered later: the desktop may first ask the user. A request
// that has no answer in a minute is closed and fails.
class PortalScreenGrabber final : public ScreenGrabber
{
    Q_OBJECT
public:
    PortalScreenGrabber();
    void take() override;

private Q_SLOTS:
    void answer(uint response, const QVariantMap &results);

private:
    bool listen(const QString &request);
    void stopListening();
    void fail(const QString &reason);

    QString m_request; // the pending request's object, empty when none
    int m_requests = 0;
    QTimer m_timeout;
};

} // namespace snagwell
