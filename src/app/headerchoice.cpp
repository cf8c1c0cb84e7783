#include "app/headerchoice.h"

#include "app/failurerules.h"
#include "app/state.h"
#include "core/naming.h"
#include "core/traytip.h"
#include "platform/systemnames.h"
#include "platform/trayicon.h"

namespace snagwell {

HeaderChoice::HeaderChoice(State &state, SystemNames &names, TrayIcon &trayIcon, Dialogs &dialogs,
                           QString programName, QObject *parent)
    : QObject(parent), m_state(state), m_names(names), m_trayIcon(trayIcon), m_dialogs(dialogs),
      m_programName(std::move(programName))
{
}

QString HeaderChoice::fileNameHeader() const
{
    const Settings &settings = m_state.settings();
    return snagwell::fileNameHeader(settings.headerMode, settings.registeredName(),
                                    m_names.computerName(), m_names.userName());
}

QString HeaderChoice::trayTip() const
{
    return trayTipField(trayTipText(m_state.settings(), m_programName));
}

void HeaderChoice::refreshTrayIcon()
{
    m_trayIcon.remove();
    m_trayIcon.add(trayTip());
}

void HeaderChoice::chooseMode(HeaderMode mode)
{
    m_state.changeSettings([mode](Settings &s) { s.headerMode = mode; });
    reportFailure(m_dialogs, [this] { refreshTrayIcon(); });
}

void HeaderChoice::chooseRegisteredName(int index)
{
    m_state.changeSettings([index](Settings &s) { s.registeredIndex = index; });
    if (m_state.settings().headerMode == HeaderMode::Registered)
        reportFailure(m_dialogs, [this] { refreshTrayIcon(); });
}

void HeaderChoice::chooseRegisteredHeader(int index)
{
    m_state.changeSettings([index](Settings &s) {
        s.headerMode = HeaderMode::Registered;
        s.registeredIndex = index;
    });
    reportFailure(m_dialogs, [this] { refreshTrayIcon(); });
}

bool HeaderChoice::addName(const QString &name)
{
    // With nothing chosen, the list holds at most the empty entry that a
    // settings file without names leaves. It names nothing and goes; names
    // in a hand-edited file that chose none stay.
    if (m_state.settings().registeredIndex < 0)
        m_state.changeSettings([](Settings &s) { s.registeredNames.removeAll(QString()); });
    // Blanks are kept: the header drops them when it is built.
    if (name.isEmpty())
        return false;
    // The settings file joins the names with commas: such a name would come
    // back as two. A name too long for a file name would lose every capture.
    const QString title = QStringLiteral("ファイル名登録");
    if (name.contains(QLatin1Char(','))) {
        m_dialogs.notice(QStringLiteral("登録名に「,」は使えません"), title);
        return false;
    }
    if (name.toUtf8().size() > longestHeaderBytes) {
        m_dialogs.notice(
            QStringLiteral("登録名が長すぎます（%1バイトまで）").arg(longestHeaderBytes), title);
        return false;
    }
    if (!m_dialogs.askYesNo(QStringLiteral("ファイル名に登録しますか"), title))
        return false;
    m_state.changeSettings([&name](Settings &s) { s.registeredNames.append(name); });
    // Of equal names, the first is chosen.
    chooseRegisteredName(int(m_state.settings().registeredNames.indexOf(name)));
    return true;
}

void HeaderChoice::removeChosenName()
{
    const int index = m_state.settings().registeredIndex;
    if (index < 0)
        return;
    if (!m_dialogs.askYesNo(QStringLiteral("選択したファイル名を削除しますか"),
                            QStringLiteral("ファイル名削除")))
        return;
    m_state.changeSettings([index](Settings &s) { s.registeredNames.removeAt(index); });
    // The name before the removed one is chosen, or the first; with none
    // left, the header in use is the empty name.
    chooseRegisteredName(m_state.settings().registeredNames.isEmpty() ? -1
                                                                      : std::max(index - 1, 0));
}

} // namespace snagwell
