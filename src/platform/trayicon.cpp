#include "platform/trayicon.h"

#include <QApplication>
#include <QWidget>
#include <QIcon>
#include <QSystemTrayIcon>

namespace snagwell {

SystemTrayIcon::SystemTrayIcon(QObject *parent)
    : TrayIcon(parent), m_icon(new QSystemTrayIcon(this))
{
    QIcon icon = QApplication::windowIcon();
    if (icon.isNull())
        icon = QIcon(QStringLiteral(":/snagwell/snagwell-32.png"));
    m_icon->setIcon(icon);
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
    // The icon's own window carries the tip as its name too, so that tools
    // that list windows (and screen readers) can read it.
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->inherits("QSystemTrayIconSys"))
            widget->setWindowTitle(tip.trimmed());
    }
}

void SystemTrayIcon::remove()
{
    m_icon->hide();
}

void SystemTrayIcon::notify(const QString &title, const QString &message)
{
    m_icon->showMessage(title, message, QSystemTrayIcon::Warning);
}

} // namespace snagwell
