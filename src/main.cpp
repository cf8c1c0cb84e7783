// Snagwell: records what passes through the clipboard. This file builds the
// desktop's ports once and hands them to the settings window.

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>

#include <cstdio>

#include "app/commandline.h"
#include "app/form1.h"
#include "platform/clipboard.h"
#include "platform/clock.h"
#include "platform/converters.h"
#include "platform/displaychoice.h"
#include "platform/instancelock.h"
#include "platform/printers.h"
#include "platform/programlauncher.h"
#include "platform/registry.h"
#include "platform/screengrabber.h"
#include "platform/qtdialogs.h"
#include "platform/shutdownrequests.h"
#include "platform/systemnames.h"
#include "platform/trayicon.h"

int main(int argc, char *argv[])
{
    // --help and --version answer before anything starts or is touched.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const snagwell::CommandLine commandLine = snagwell::parseCommandLine(
        arguments, QFileInfo(QString::fromLocal8Bit(argv[0])).completeBaseName());
    switch (commandLine.action) {
    case snagwell::CommandLine::Action::Run:
        break;
    case snagwell::CommandLine::Action::Help:
    case snagwell::CommandLine::Action::Version:
        std::fputs(commandLine.output.toLocal8Bit().constData(), stdout);
        return 0;
    case snagwell::CommandLine::Action::Refuse:
        std::fputs(commandLine.output.toLocal8Bit().constData(), stderr);
        return 2;
    }
    const snagwell::DisplayChoice display =
        snagwell::chooseDisplay([](const char *name) { return qgetenv(name); });
    if (display.kind == snagwell::DisplayChoice::Kind::Refuse) {
        std::fputs(display.reason.toLocal8Bit().constData(), stderr);
        return 1;
    }
    snagwell::applyDisplayChoice(display);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Snagwell"));
    QApplication::setApplicationVersion(QStringLiteral(SNAGWELL_VERSION));
    // The program lives in the tray: closing its windows never ends it.
    QApplication::setQuitOnLastWindowClosed(false);
    QIcon icon;
    for (const int size : {16, 32, 64})
        icon.addFile(QStringLiteral(":/snagwell/snagwell-%1.png").arg(size));
    QApplication::setWindowIcon(icon);

    const QString executableName =
        QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();

    snagwell::QtDialogs dialogs;
    snagwell::LockFileInstanceLock instanceLock(executableName);
    snagwell::HostSystemNames systemNames;
    snagwell::SystemClock clock;
    snagwell::SystemTrayIcon trayIcon;
    snagwell::SystemPrinters printers;
    snagwell::SystemClipboard clipboard;
    snagwell::LibraryConverters converters;
    snagwell::QtScreenGrabber screenGrabber;
    snagwell::NoRegistry registry;
    snagwell::ProcessLauncher programLauncher;
    snagwell::ShutdownRequests shutdownRequests;

    snagwell::Form1 form({dialogs, instanceLock, systemNames, clock, trayIcon, printers, clipboard,
                          converters, screenGrabber, registry, programLauncher},
                         executableName, QDir::currentPath());
    QObject::connect(&form, &snagwell::Form1::unloaded, &app, &QCoreApplication::quit);
    // Logging out or being told to stop ends the program as a confirmed quit.
    QObject::connect(&shutdownRequests, &snagwell::ShutdownRequests::requested, &form,
                     [&form] { form.Unload(); });

    form.Form_Load();
    if (form.isUnloaded())
        return 0;
    return QApplication::exec();
}
