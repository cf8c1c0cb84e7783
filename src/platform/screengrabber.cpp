#include "platform/screengrabber.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QUrl>

namespace snagwell {

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString requestInterface = QStringLiteral("org.freedesktop.portal.Request");
const QString unreachablePortal = QStringLiteral("スクリーンショットのポータルを呼び出せません: ");

// Null when a screen cannot be read.
QImage grabVirtualScreen()
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    if (screens.isEmpty())
        return {};
    QRect area;
    for (const QScreen *screen : screens)
        area |= screen->geometry();
    if (screens.size() == 1)
        return screens.first()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
    QImage picture(area.size(), QImage::Format_RGB32);
    picture.fill(Qt::black);
    QPainter painter(&picture);
    for (QScreen *screen : screens) {
        const QPixmap shot = screen->grabWindow(0);
        if (shot.isNull())
            return {};
        // A high-DPI screen gives more pixels than its logical size.
        painter.drawPixmap(
            QRect(screen->geometry().topLeft() - area.topLeft(), screen->geometry().size()), shot);
    }
    return picture;
}

} // namespace

void QtScreenGrabber::take()
{
    const QImage picture = m_waylandSession ? QImage() : grabVirtualScreen();
    if (picture.isNull())
        Q_EMIT failed(QStringLiteral("X11 の画面を読み取れません"));
    else
        Q_EMIT taken(picture);
}

PortalAnswer readPortalAnswer(uint response, const QVariantMap &results)
{
    const QUrl uri(results.value(QStringLiteral("uri")).toString());
    const QString path = uri.isLocalFile() ? uri.toLocalFile() : QString();
    QImage picture;
    if (response == 0 && !path.isEmpty())
        picture.load(path);
    if (!path.isEmpty())
        QFile::remove(path);
    if (response == 1)
        return {{}, QStringLiteral("撮影が拒否されました")};
    if (response != 0)
        return {{}, QStringLiteral("デスクトップが撮影に失敗しました (応答 %1)").arg(response)};
    if (picture.isNull())
        return {{}, QStringLiteral("撮影された画像を読み込めません: ") + uri.toString()};
    return {picture.convertToFormat(QImage::Format_RGB32), {}};
}

PortalScreenGrabber::PortalScreenGrabber()
{
    m_timeout.setSingleShot(true);
    m_timeout.setInterval(std::chrono::minutes(1));
    connect(&m_timeout, &QTimer::timeout, this, [this] {
        // Closing the request ends what the desktop still shows for it.
        QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(portalService, m_request,
                                                                          requestInterface,
                                                                          QStringLiteral("Close")),
                                           QDBus::NoBlock);
        fail(QStringLiteral("デスクトップが1分以内に応答しませんでした"));
    });
}

void PortalScreenGrabber::take()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString token = QStringLiteral("snagwell%1").arg(++m_requests);
    // Listening before asking: the answer may come before the call's reply
    // is read.
    if (!bus.isConnected() ||
        !listen(QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2")
                    .arg(bus.baseService().mid(1).replace(u'.', u'_'), token))) {
        fail(unreachablePortal + bus.lastError().message());
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        portalService, QStringLiteral("/org/freedesktop/portal/desktop"),
        QStringLiteral("org.freedesktop.portal.Screenshot"), QStringLiteral("Screenshot"));
    call << QString()
         << QVariantMap{{QStringLiteral("handle_token"), token},
                        {QStringLiteral("interactive"), false}};
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, request = m_requests](QDBusPendingCallWatcher *watcher) {
                watcher->deleteLater();
                const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
                if (request != m_requests || m_request.isEmpty())
                    return; // answered or given up already
                if (reply.isError()) {
                    fail(unreachablePortal + reply.error().message());
                } else if (reply.value().path() != m_request) {
                    // An older portal names the request its own way.
                    const QString path = reply.value().path();
                    stopListening();
                    if (!listen(path))
                        fail(unreachablePortal +
                             QDBusConnection::sessionBus().lastError().message());
                }
            });
    m_timeout.start();
}

bool PortalScreenGrabber::listen(const QString &request)
{
    m_request = request;
    return QDBusConnection::sessionBus().connect(portalService, m_request, requestInterface,
                                                 QStringLiteral("Response"), this,
                                                 SLOT(answer(uint, QVariantMap)));
}

void PortalScreenGrabber::stopListening()
{
    QDBusConnection::sessionBus().disconnect(portalService, m_request, requestInterface,
                                             QStringLiteral("Response"), this,
                                             SLOT(answer(uint, QVariantMap)));
    m_request.clear();
    m_timeout.stop();
}

void PortalScreenGrabber::fail(const QString &reason)
{
    stopListening();
    Q_EMIT failed(reason);
}

void PortalScreenGrabber::answer(uint response, const QVariantMap &results)
{
    if (m_request.isEmpty())
        return;
    stopListening();
    const PortalAnswer given = readPortalAnswer(response, results);
    if (given.picture.isNull())
        Q_EMIT failed(given.reason);
    else
        Q_EMIT taken(given.picture);
}

} // namespace snagwell
