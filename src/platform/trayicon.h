#pragma once

#include <QIcon>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <stdexcept>

class QSystemTrayIcon;

namespace snagwell {

// The notification-area icon: added with a tip, removed; every button
// released over it is reported.
class TrayIcon : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    // Whether the desktop has a notification area at all.
    virtual bool isAvailable() const = 0;
    // Adds the icon; an icon already present keeps its tip.
    virtual void add(const QString &tip) = 0;
    // Removes the icon; nothing happens when there is none.
    virtual void remove() = 0;
    // A passing message beside the icon.
    virtual void notify(const QString &title, const QString &message) = 0;
    // The icon while monitoring is on, a greyed one while it is off.
    virtual void showMonitoring(bool on) = 0;

Q_SIGNALS:
    // Any notification from the icon (a move, a press, a release).
    void notified();
    void leftReleased();
    void rightReleased();
};

class SystemTrayIcon final : public TrayIcon
{
    Q_OBJECT
public:
    explicit SystemTrayIcon(QObject *parent = nullptr);
    ~SystemTrayIcon() override;
    bool isAvailable() const override;
    void add(const QString &tip) override;
    void remove() override;
    void notify(const QString &title, const QString &message) override;
    void showMonitoring(bool on) override;

private:
    QSystemTrayIcon *m_icon;
    QIcon m_monitoringIcon;
    QIcon m_pausedIcon;
};

} // namespace snagwell
