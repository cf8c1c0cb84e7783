#pragma once

// In-memory stand-ins for the desktop, so that the benchmark runs the
// program's own services and windows without a display, a tray, printers or
// a user answering questions.

#include <QDateTime>
#include <QImage>
#include <QString>
#include <QStringList>

#include "platform/clipboard.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/instancelock.h"
#include "platform/printers.h"
#include "platform/screengrabber.h"
#include "platform/systeminformation.h"
#include "platform/systemnames.h"
#include "platform/trayicon.h"

namespace snagwell::bench {

// Every question is answered yes; notices are dropped.
class AgreeingDialogs final : public Dialogs
{
public:
    void notice(const QString &, const QString &) override {}
    bool askOkCancel(const QString &, const QString &) override { return true; }
    bool askYesNo(const QString &, const QString &) override { return true; }
};

class FreeInstanceLock final : public InstanceLock
{
public:
    bool tryLock() override { return true; }
};

class FixedSystemNames final : public SystemNames
{
public:
    FixedSystemNames(QString computer, QString user)
        : m_computer(std::move(computer)), m_user(std::move(user))
    {
    }
    QString computerName() const override { return m_computer; }
    QString userName() const override { return m_user; }

private:
    QString m_computer;
    QString m_user;
};

class FixedClock final : public Clock
{
public:
    explicit FixedClock(QDateTime now) : m_now(std::move(now)) {}
    QDateTime now() const override { return m_now; }

private:
    QDateTime m_now;
};

class SilentTrayIcon final : public TrayIcon
{
    Q_OBJECT
public:
    using TrayIcon::TrayIcon;
    bool isAvailable() const override { return true; }
    void add(const QString &) override {}
    void remove() override {}
    void notify(const QString &, const QString &) override {}
    void showMonitoring(bool) override {}
};

// Printers whose jobs go nowhere.
class NoPrinters final : public DocumentPrinters
{
public:
    explicit NoPrinters(QStringList names) : DocumentPrinters(names.value(0)), m_names(names) {}
    QStringList names() const override { return m_names; }

protected:
    void send(const QString &, const PrintDocument &) override {}

private:
    QStringList m_names;
};

// A clipboard in memory: setting a text or a picture announces the change
// at once, as the system's clipboard does.
class MemoryClipboard final : public Clipboard
{
    Q_OBJECT
public:
    using Clipboard::Clipboard;
    bool hasText() const override { return m_hasText; }
    QString text() const override { return toWindowsLineEnds(m_text); }
    bool hasImage() const override { return !m_image.isNull(); }
    QImage image() const override { return m_image; }
    bool isSecret() const override { return false; }
    void clear() override { set(QString(), false, QImage()); }
    void setImage(const QImage &image) override { set(QString(), false, image); }
    void setText(const QString &text) { set(text, true, QImage()); }

private:
    void set(const QString &text, bool hasText, const QImage &image)
    {
        m_text = text;
        m_hasText = hasText;
        m_image = image;
        Q_EMIT changed();
    }

    QString m_text;
    bool m_hasText = false;
    QImage m_image;
};

class NoScreenGrabber final : public ScreenGrabber
{
public:
    QImage grabVirtualScreen() override { return QImage(); }
};

class NoSystemInformation final : public SystemInformation
{
public:
    bool start() override { return false; }
};

} // namespace snagwell::bench
