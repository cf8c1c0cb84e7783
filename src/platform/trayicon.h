#pragma once

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

private:
    QSystemTrayIcon *m_icon;
};

// Test double: keeps the calls, and fires releases on demand.
class RecordingTrayIcon final : public TrayIcon
{
    Q_OBJECT
public:
    using TrayIcon::TrayIcon;
    bool isAvailable() const override { return m_available; }
    void add(const QString &tip) override
    {
        if (m_failing)
            throw std::runtime_error("the notification area refused the icon");
        m_calls.append(QStringLiteral("add:") + tip);
        if (!m_present) {
            m_present = true;
            m_tip = tip;
        }
    }
    void remove() override
    {
        m_calls.append(QStringLiteral("remove"));
        m_present = false;
    }

    void setAvailable(bool available) { m_available = available; }
    void setFailing(bool failing) { m_failing = failing; }
    bool isPresent() const { return m_present; }
    const QString &tip() const { return m_tip; }
    const QStringList &calls() const { return m_calls; }
    void clearCalls() { m_calls.clear(); }
    void releaseLeft()
    {
        Q_EMIT notified();
        Q_EMIT leftReleased();
    }
    void releaseRight()
    {
        Q_EMIT notified();
        Q_EMIT rightReleased();
    }
    void move() { Q_EMIT notified(); }

private:
    bool m_available = true;
    bool m_failing = false;
    bool m_present = false;
    QString m_tip;
    QStringList m_calls;
};

} // namespace snagwell
