#pragma once

// The ports' test doubles, and the program built over them without windows.

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>

#include <functional>

#include "app/capturerecorder.h"
#include "app/fileviewer.h"
#include "app/headerchoice.h"
#include "app/lifecycle.h"
#include "app/printing.h"
#include "app/state.h"
#include "app/storagefolders.h"
#include "core/failure.h"
#include "platform/clipboard.h"
#include "platform/clock.h"
#include "platform/converters.h"
#include "platform/dialogs.h"
#include "platform/instancelock.h"
#include "platform/printers.h"
#include "platform/screengrabber.h"
#include "platform/systeminformation.h"
#include "platform/systemnames.h"
#include "platform/trayicon.h"

namespace snagwell::testing {

// Answers from a script (OK/Yes once it has run out); records every box.
struct ScriptedDialogs final : Dialogs
{
    void notice(const QString &text, const QString &title) override
    {
        shown.append(title + u'|' + text);
        if (whileShown)
            std::exchange(whileShown, nullptr)();
    }
    bool askOkCancel(const QString &text, const QString &title) override
    {
        return askYesNo(text, title);
    }
    bool askYesNo(const QString &text, const QString &title) override
    {
        shown.append(title + u'?' + text);
        return answers.isEmpty() || answers.takeFirst();
    }
    void closeAll() override {}
    QStringList shown; // "title|notice" and "title?question"
    QList<bool> answers;
    std::function<void()> whileShown; // runs once while the next notice is open
};

struct MemoryClipboard final : Clipboard
{
    bool hasText() const override { return m_hasText; }
    QString text() const override { return toWindowsLineEnds(m_text); }
    bool hasImage() const override { return !m_image.isNull(); }
    QImage image() const override { return m_image; }
    bool isSecret() const override { return secret; }
    void clear() override { set({}, false, {}); }
    void setImage(const QImage &image) override { set({}, false, image); }
    int takeMissedChanges() override { return std::exchange(missed, 0); }
    bool isStillCurrent() override { return !overtaken; }
    void setText(const QString &text) { set(text, true, {}); }
    void set(const QString &text, bool hasText, const QImage &image)
    {
        m_text = text;
        m_hasText = hasText;
        m_image = image;
        Q_EMIT changed();
    }
    bool secret = false;
    bool overtaken = false; // another change came while reading
    int missed = 0;         // changes replaced before the next notice

private:
    QString m_text;
    bool m_hasText = false;
    QImage m_image;
};

struct RecordingTrayIcon final : TrayIcon
{
    bool isAvailable() const override { return available; }
    void add(const QString &text) override
    {
        if (failing)
            throw Failure("the notification area refused the icon");
        if (!present)
            tip = text;
        present = true;
    }
    void remove() override { present = false; }
    void notify(const QString &, const QString &message) override { notices.append(message); }
    void showMonitoring(bool) override {}
    bool available = true, failing = false, present = false;
    QString tip;
    QStringList notices;
};

struct FixedClock final : Clock
{
    QDateTime now() const override { return time; }
    QDateTime time{QDate(2026, 12, 7), QTime(10, 0)};
};

struct FixedNames final : SystemNames
{
    QString computerName() const override { return QStringLiteral("OFFICE-PC"); }
    QString userName() const override { return QStringLiteral("user"); }
};

// Answers at once: its picture, or a failure where it has none. A later
// one (the portal) only counts the requests: the test answers for it.
struct FixedScreen final : ScreenGrabber
{
    void take() override
    {
        if (++requests, later)
            return;
        if (screen.isNull())
            Q_EMIT failed("X11 の画面を読み取れません");
        else
            Q_EMIT taken(screen);
    }
    QImage screen;
    bool later = false;
    int requests = 0;
};

struct FixedLock final : InstanceLock
{
    bool tryLock() override { return true; }
};

// The real converters or a behaviour of one's own; each call kept as "extension option".
struct ScriptedConverters final : Converters
{
    using Behaviour = std::function<int(const QString &, const QString &, const QString &)>;
    int BmpToJpeg(const QString &s, const QString &d, const QString &o) override
    {
        calls << QFileInfo(d).suffix() + u' ' + o;
        return behaviour ? behaviour(s, d, o) : real.BmpToJpeg(s, d, o);
    }
    int BmpToPng(const QString &s, const QString &d, const QString &o) override
    {
        calls << QFileInfo(d).suffix() + u' ' + o;
        return behaviour ? behaviour(s, d, o) : real.BmpToPng(s, d, o);
    }
    Behaviour behaviour;
    QStringList calls;
    LibraryConverters real{QCoreApplication::applicationDirPath()};
};

// Printers that keep each job: "printer:what was printed".
struct RecordingPrinters final : DocumentPrinters
{
    RecordingPrinters() : DocumentPrinters(QStringLiteral("PDF")) {}
    QStringList names() const override { return {QStringLiteral("PDF"), QStringLiteral("Laser")}; }
    void send(const QString &printer, const PrintDocument &document) override
    {
        if (!refusal.isEmpty())
            throw Failure(refusal);
        const PrintDocument::Item item = document.items.value(0); // one a job
        jobs << printer + u':' + (item.picture.isNull() ? item.text : QStringLiteral("picture"));
    }
    QStringList jobs;
    QString refusal;
};

struct RecordingSystemInformation final : SystemInformation
{
    bool start() override { return ++starts, installed; }
    bool installed = false;
    int starts = 0;
};

inline QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

// The program without windows, started in a fresh folder.
struct Program
{
    void start() { lifecycle.start(); }
    QString file(const QString &name) const { return state.currentFolder() + u'/' + name; }

    QTemporaryDir dir;
    QString folder = dir.path();
    ScriptedDialogs dialogs;
    MemoryClipboard clipboard;
    RecordingTrayIcon trayIcon;
    FixedClock clock;
    FixedNames names;
    FixedScreen screen, portal;
    FixedLock lock;
    ScriptedConverters converters;
    RecordingPrinters printers;
    State state{folder};
    HeaderChoice headers{state, names, trayIcon, dialogs, QStringLiteral("snagwell")};
    StorageFolders folders{state, dialogs, clock};
    Printing printing{state, printers, dialogs};
    FileViewer viewer{state, dialogs};
    CaptureRecorder recorder{state,
                             {clipboard, screen, portal, converters, clock, dialogs, trayIcon},
                             headers,
                             printing,
                             folders};
    Lifecycle lifecycle{state,
                        {dialogs, lock, trayIcon},
                        {folders, headers, printing, recorder},
                        QStringLiteral("snagwell")};
};

} // namespace snagwell::testing
