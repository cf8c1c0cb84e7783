#pragma once

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTime>

#include <memory>

#include "app/form1.h"
#include "platform/clipboard.h"
#include "platform/clock.h"
#include "platform/converters.h"
#include "platform/dialogs.h"
#include "platform/instancelock.h"
#include "platform/printers.h"
#include "platform/programlauncher.h"
#include "platform/registry.h"
#include "platform/screengrabber.h"
#include "platform/systemnames.h"
#include "platform/trayicon.h"

namespace snagwell::testing {

// The settings window over test doubles, started in a fresh working folder.
struct Form1Fixture
{
    Form1Fixture()
        : clock(QDateTime(QDate(2005, 11, 15), QTime(10, 30))), names(QStringLiteral("OFFICE-PC"),
                                                                       QStringLiteral("user1"))
    {
    }

    QString startupFolder() const { return QDir(dir.path()).canonicalPath(); }
    QString settingsPath() const { return startupFolder() + QStringLiteral("/RAVuvivo.vov"); }

    Form1 &make()
    {
        form = std::make_unique<Form1>(Form1Ports{dialogs, lock, names, clock, tray, printers,
                                                  clipboard, converters, grabber, registry,
                                                  launcher},
                                       QStringLiteral("snagwell"), startupFolder());
        return *form;
    }
    Form1 &start()
    {
        make();
        form->Form_Load();
        return *form;
    }

    void writeSettings(const QByteArray &bytes) const
    {
        QFile file(settingsPath());
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }
    QByteArray settingsBytes() const
    {
        QFile file(settingsPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    FixedInstanceLock lock{true};
    FixedClock clock;
    FixedSystemNames names;
    RecordingTrayIcon tray;
    RecordingPrinters printers{QStringList{QStringLiteral("PDF"), QStringLiteral("Office")}};
    MemoryClipboard clipboard;
    // By default the converters copy the bitmap's bytes: enough to see which
    // file is kept. Tests that need real files use the libraries.
    ScriptedConverters converters{[](const QString &source, const QString &destination,
                                     const QString &) { return QFile::copy(source, destination) ? 1 : 0; }};
    FixedScreenGrabber grabber{QImage()};
    MapRegistry registry;
    RecordingLauncher launcher;
    std::unique_ptr<Form1> form;
};

} // namespace snagwell::testing
