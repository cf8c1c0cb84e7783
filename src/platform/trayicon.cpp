#include "platform/trayicon.h"

#include <QApplication>
#include <QIcon>
#include <QSystemTrayIcon>

namespace snagwell {

SystemTrayIcon::SystemTrayIcon(QObject *parent)
    : TrayIcon(parent), m_icon(new QSystemTrayIcon(this))
{
    m_monitoringIcon = QApplication::windowIcon();
    if (m_monitoringIcon.isNull())
        m_monitoringIcon = QIcon(QStringLiteral(":/snagwell/snagwell-32.png"));
    // Paused: the same picture, greyed as the style greys a disabled one.
    for (const QSize &size : m_monitoringIcon.availableSizes())
        m_pausedIcon.addPixmap(m_monitoringIcon.pixmap(size, QIcon::Disabled));
    m_icon->setIcon(m_pausedIcon);
    // Qt reports presses (and, with a status notifier, clicks) rather than
    // releases; each is the end of a click as far as the user is concerned.
    connect(m_icon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                Q_EMIT notified();
                if (reason == QSystemTrayIcon::Trigger)
                    Q_EMIT leftReleased();
                else if (reason == QSystemTrayIcon::Context)
                    Q_EMIT rightReleased();
            });
}

SystemTrayIcon::~SystemTrayIcon() = default;

bool SystemTrayIcon::isAvailable() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void SystemTrayIcon::add(const QString &tip)
{
    if (m_icon->isVisible())
        return;
    m_icon->setToolTip(tip);
    m_icon->show();
}

void SystemTrayIcon::remove()
{
    m_icon->hide();
}

void SystemTrayIcon::showMonitoring(bool on)
{
    m_icon->setIcon(on ? m_monitoringIcon : m_pausedIcon);
}

void SystemTrayIcon::notify(const QString &title, const QString &message)
{
    m_icon->showMessage(title, message, QSystemTrayIcon::Warning);
}

} // namespace snagwell
