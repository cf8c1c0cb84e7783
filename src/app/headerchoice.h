#pragma once

#include <QObject>
#include <QString>

#include "core/settingsfile.h"

namespace snagwell {

class Dialogs;
class State;
class SystemNames;
class TrayIcon;

// The header new captures are named by, and the user's registered names.
// Every choice shows at once in the tray icon's tip.
class HeaderChoice final : public QObject
{
    Q_OBJECT
public:
    HeaderChoice(State &state, SystemNames &names, TrayIcon &trayIcon, Dialogs &dialogs,
                 QString programName, QObject *parent = nullptr);

    // The header of the next capture; the names are asked afresh each time.
    QString fileNameHeader() const;
    // The tray icon's tip for the header in use.
    QString trayTip() const;
    // Puts the tray icon up again with the current tip; throws what fails.
    void refreshTrayIcon();

    void chooseMode(HeaderMode mode);
    // Chooses a registered name by its place in the list (-1 for none).
    void chooseRegisteredName(int index);
    // The button window's menu: "登録名" with the name at that place.
    void chooseRegisteredHeader(int index);
    // Button "追加": registers the name after asking; answers whether it was
    // registered.
    bool addName(const QString &name);
    // Button "削除": removes the chosen name after asking.
    void removeChosenName();

private:
    State &m_state;
    SystemNames &m_names;
    TrayIcon &m_trayIcon;
    Dialogs &m_dialogs;
    QString m_programName;
};

} // namespace snagwell
