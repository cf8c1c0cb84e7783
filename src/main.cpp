// Snagwell: records what passes through the clipboard. This file builds the
// desktop's ports, the state, the services and the windows, once, and hands
// each what it needs.

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QIcon>
#include <QImageReader>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstdio>

#include "app/capturerecorder.h"
#include "app/fileviewer.h"
#include "app/headerchoice.h"
#include "app/lifecycle.h"
#include "app/printing.h"
#include "app/state.h"
#include "app/storagefolders.h"
#include "gui/buttonwindow.h"
#include "gui/settingswindow.h"
#include "platform/abruptexit.h"
#include "platform/clipboard.h"
#include "platform/clock.h"
#include "platform/converters.h"
#include "platform/displaychoice.h"
#include "platform/instancelock.h"
#include "platform/printers.h"
#include "platform/qtdialogs.h"
#include "platform/screengrabber.h"
#include "platform/shutdownrequests.h"
#include "platform/systeminformation.h"
#include "platform/systemnames.h"
#include "platform/trayicon.h"
#include "platform/workingfolder.h"

using namespace snagwell;

int main(int argc, char *argv[])
{
    // --help and --version answer before anything starts or is touched: a
    // core application opens no display.
    {
        QCoreApplication early(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("Snagwell"));
        QCoreApplication::setApplicationVersion(QStringLiteral(SNAGWELL_VERSION));
        QCommandLineParser parser;
        parser.setApplicationDescription(
            QStringLiteral("Snagwell records what passes through the clipboard: texts and\n"
                           "pictures are saved in day folders under SWData.\n"
                           "クリップボードを通ったテキストとイメージを日付フォルダに保存します。\n"
                           "\n"
                           "The settings file RAVuvivo.vov and the folder SWData are kept in the\n"
                           "directory Snagwell is started from."));
        const QCommandLineOption help = parser.addHelpOption();
        const QCommandLineOption version = parser.addVersionOption();
        if (!parser.parse(QCoreApplication::arguments()) ||
            !parser.positionalArguments().isEmpty()) {
            const QString wrong = parser.errorText().isEmpty()
                                      ? QStringLiteral("Unknown argument '%1'.")
                                            .arg(parser.positionalArguments().constFirst())
                                      : parser.errorText();
            std::fprintf(stderr, "%s\nTry '%s --help'.\n", qPrintable(wrong), argv[0]);
            return 2;
        }
        if (parser.isSet(help))
            parser.showHelp(); // both end the program
        if (parser.isSet(version))
            parser.showVersion();
    }
    const DisplayChoice display = chooseDisplay([](const char *name) { return qgetenv(name); });
    if (display.kind == DisplayChoice::Kind::Refuse) {
        std::fputs(display.reason.toLocal8Bit().constData(), stderr);
        return 1;
    }
    applyDisplayChoice(display);
    if (const std::optional<QString> problem = unreachableDisplay()) {
        std::fputs(problem->toLocal8Bit().constData(), stderr);
        return 1;
    }

    QApplication app(argc, argv);
    // The program lives in the tray: closing its windows never ends it.
    QApplication::setQuitOnLastWindowClosed(false);
    QIcon icon;
    for (const int size : {16, 32, 64})
        icon.addFile(QStringLiteral(":/snagwell/snagwell-%1.png").arg(size));
    QApplication::setWindowIcon(icon);
    // Qt's own texts (the editors' context menus, standard buttons) in
    // Japanese like the rest, where Qt's translations are installed.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);
    // Pictures as large as the converters take are decoded, for the whole
    // process.
    QImageReader::setAllocationLimit(largestPictureMegabytes);

    const QString executableName =
        QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();

    QtDialogs dialogs;
    LockFileInstanceLock instanceLock(executableName);
    HostSystemNames systemNames;
    SystemClock clock;
    SystemTrayIcon trayIcon;
    SystemPrinters printers;
    SystemClipboard clipboard;
    LibraryConverters converters;
    QtScreenGrabber screenGrabber(isWaylandSession([](const char *name) { return qgetenv(name); }));
    PortalScreenGrabber screenPortal;
    DesktopSystemInformation systemInformation;
    ShutdownRequests shutdownRequests;

    State state(workingFolder());
    HeaderChoice headers(state, systemNames, trayIcon, dialogs, executableName);
    StorageFolders folders(state, dialogs, clock);
    Printing printing(state, printers, dialogs);
    FileViewer viewer(state, dialogs);
    CaptureRecorder recorder(
        state, {clipboard, screenGrabber, screenPortal, converters, clock, dialogs, trayIcon},
        headers, printing, folders);
    Lifecycle lifecycle(state, {dialogs, instanceLock, trayIcon},
                        {folders, headers, printing, recorder}, executableName);

    SettingsWindow settingsWindow({state, recorder, headers, folders, printing, viewer, lifecycle,
                                   dialogs, trayIcon, systemInformation});
    ButtonWindowHost buttonWindow({state, headers, recorder, dialogs});

    QObject::connect(&lifecycle, &Lifecycle::ended, &app, &QCoreApplication::quit);
    // Logging out or being told to stop ends the program as a confirmed quit.
    QObject::connect(&shutdownRequests, &ShutdownRequests::requested, &lifecycle,
                     &Lifecycle::shutDown);

    // A lost display ends the process at once: what needs no screen is
    // still done.
    const AbruptExitGuard displayLoss([&lifecycle] { lifecycle.shutDownWithoutDisplay(); });

    lifecycle.start();
    if (lifecycle.hasEnded())
        return 0;
    return QApplication::exec();
}
