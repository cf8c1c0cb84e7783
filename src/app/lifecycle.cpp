#include "app/lifecycle.h"

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
    if (!m_ports.instanceLock.tryLock()) {
        m_secondInstance = true;
        m_ports.dialogs.notice(m_executableName + QStringLiteral("は起動しています"));
        m_ended = true;
        Q_EMIT ended();
        return;
    }
    // A later run reads its settings, a first run makes them.
    bool hasSettings = false;
    skipOnFailure([&] { hasSettings = hasSettingsFile(m_state.startupFolder()); });
    if (hasSettings) {
        skipOnFailure([this] { loadSettings(); });
        skipOnFailure([this] { m_services.folders.enterTodaysFolderAtStartUp(); });
    } else {
        skipOnFailure([this] { m_services.folders.setUpAtFirstRun(); });
        skipOnFailure([this] { m_state.saveSettings(); });
        skipOnFailure(
            [this] { m_ports.dialogs.notice(QStringLiteral("設定を初期化しました。")); });
    }
    skipOnFailure([this] { m_ports.trayIcon.add(m_services.headers.trayTip()); });
    skipOnFailure([this] { m_services.printing.refreshPrinters(); });
    skipOnFailure([this] { m_services.recorder.start(); });
    skipOnFailure([this] {
        if (m_state.settings().showButtonWindow != Tick::Off)
            m_state.setButtonWindowOpen(true);
    });
    if (!m_ports.trayIcon.isAvailable())
        Q_EMIT settingsWindowWanted();
}

void Lifecycle::loadSettings()
{
    // A file that cannot be read is reported and read as missing lines.
    QStringList lines(settingsLineCount, QString());
    reportFailure(m_ports.dialogs, [&] { lines = readSettingsLines(m_state.settingsFilePath()); });
    const QString folder = lines.constFirst();
    skipOnFailure([&] {
        if (!isExistingFolder(folder))
            m_ports.dialogs.notice(QStringLiteral("保存先") + folder +
                                   QStringLiteral("が見つかりません。保存先はリセットされます。"));
    });
    // A folder that cannot be entered leaves the browser where it is.
    skipOnFailure([&] { m_state.enterFolder(folder); });
    m_state.readSettingsLines(lines);
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
    m_ended = true;
    skipOnFailure([this] { m_services.recorder.stop(); });
    skipOnFailure([this] { m_state.setButtonWindowOpen(false); });
    reportFailure(m_ports.dialogs, [this] { m_state.saveSettings(); });
    skipOnFailure([this] { m_ports.trayIcon.remove(); });
    Q_EMIT ended();
}

} // namespace snagwell
