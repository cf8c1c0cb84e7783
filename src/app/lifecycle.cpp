#include "app/lifecycle.h"

#include <QFile>

#include "app/capturerecorder.h"
#include "app/failurerules.h"
#include "app/headerchoice.h"
#include "app/printing.h"
#include "app/state.h"
#include "app/storagefolders.h"
#include "core/settingsfile.h"
#include "platform/instancelock.h"
#include "platform/trayicon.h"

namespace snagwell {

Lifecycle::Lifecycle(State &state, const Ports &ports, const Services &services,
                     QString executableName, QObject *parent)
    : QObject(parent), m_state(state), m_ports(ports), m_services(services),
      m_executableName(std::move(executableName))
{
}

void Lifecycle::start()
{
    m_starting = true;
    startSteps();
    m_starting = false;
    if (m_ended)
        return;
    // From now on a changed setting reaches the disk soon, not only at quit;
    // a failure here is told by the save at quit.
    m_saveSoon.setSingleShot(true);
    m_saveSoon.setInterval(500);
    connect(&m_saveSoon, &QTimer::timeout, this,
            [this] { skipOnFailure([this] { m_state.saveSettings(); }); });
    connect(&m_state, &State::settingsChanged, &m_saveSoon, qOverload<>(&QTimer::start));
    connect(&m_state, &State::currentFolderChanged, &m_saveSoon, qOverload<>(&QTimer::start));
    if (!m_ports.trayIcon.isAvailable())
        Q_EMIT settingsWindowWanted();
}

void Lifecycle::startSteps()
{
    // A box of start-up may be open when a stop request comes: every step
    // after it is left out.
    const auto step = [this](auto &&body) { return !m_ended && skipOnFailure(body); };
    if (!m_ports.instanceLock.tryLock()) {
        m_secondInstance = true;
        m_ports.dialogs.notice(m_executableName + QStringLiteral("は起動しています"));
        end();
        return;
    }
    // A later run reads its settings, a first run makes them.
    bool hasSettings = false;
    step([&] { hasSettings = hasSettingsFile(m_state.startupFolder()); });
    if (hasSettings) {
        step([this] { loadSettings(); });
        step([this] { m_services.folders.enterTodaysFolderAtStartUp(); });
    } else {
        // Said only when everything could be made; otherwise what failed.
        const bool folders =
            reportFailure(m_ports.dialogs, [this] { m_services.folders.setUpAtFirstRun(); });
        const bool saved =
            !m_ended && reportFailure(m_ports.dialogs, [this] { m_state.saveSettings(); });
        if (folders && saved && !m_ended)
            m_ports.dialogs.notice(QStringLiteral("設定を初期化しました。"));
    }
    // What a kill cut off during a capture or a conversion is not left lying.
    step([this] { m_services.folders.removeStaleTemporaries(); });
    step([this] { m_ports.trayIcon.add(m_services.headers.trayTip()); });
    step([this] { m_services.printing.refreshPrinters(); });
    step([this] { m_services.recorder.start(); });
    step([this] {
        if (m_state.settings().showButtonWindow != Tick::Off)
            m_state.setButtonWindowOpen(true);
    });
}

void Lifecycle::end()
{
    if (m_ended)
        return;
    m_ended = true;
    m_saveSoon.stop();
    Q_EMIT ended();
}

void Lifecycle::loadSettings()
{
    // A file that cannot be read is reported and read as missing lines.
    QStringList lines(settingsLineCount, QString());
    reportFailure(m_ports.dialogs, [&] { lines = readSettingsLines(m_state.settingsFilePath()); });
    const QString folder = lines.constFirst();
    skipOnFailure([&] {
        if (!isExistingFolder(folder))
            m_ports.dialogs.notice(QStringLiteral("保存先") + shortened(folder) +
                                   QStringLiteral("が見つかりません。保存先はリセットされます。"));
    });
    // A folder that cannot be entered leaves the browser where it is.
    skipOnFailure([&] { m_state.enterFolder(folder); });
    // A file not understood is kept aside before it is written over.
    if (!m_state.readSettingsLines(lines)) {
        const QString path = m_state.settingsFilePath();
        QFile::remove(path + QStringLiteral(".bak"));
        QFile::copy(path, path + QStringLiteral(".bak"));
    }
}

void Lifecycle::quit()
{
    if (m_ports.dialogs.askOkCancel(QStringLiteral("Snagwellを終了します。"),
                                    QStringLiteral("終了")))
        shutDown();
}

void Lifecycle::shutDown()
{
    if (m_ended)
        return;
    // A box left open would keep the program waiting for an answer.
    skipOnFailure([this] { m_ports.dialogs.closeAll(); });
    if (m_starting) {
        // Settings not yet read must not be written over the user's.
        skipOnFailure([this] { m_ports.trayIcon.remove(); });
        end();
        return;
    }
    skipOnFailure([this] { m_services.recorder.stop(); });
    skipOnFailure([this] { m_state.setButtonWindowOpen(false); });
    reportFailure(m_ports.dialogs, [this] { m_state.saveSettings(); });
    skipOnFailure([this] { m_ports.trayIcon.remove(); });
    end();
}

void Lifecycle::shutDownWithoutDisplay()
{
    if (m_ended || m_starting)
        return;
    skipOnFailure([this] { m_services.recorder.stop(); });
    skipOnFailure([this] { m_state.setButtonWindowOpen(false); });
    skipOnFailure([this] { m_state.saveSettings(); });
    end();
}

} // namespace snagwell
