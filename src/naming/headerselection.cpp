// The settings window's header choice and its registered names. A change of
// the choice shows at once in the tray tip and in the button window's check
// marks and title; a change of the names rebuilds the button window's menu.

#include "app/form1.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>

#include "platform/dialogs.h"
#include "tray/frmprintscreen.h"

namespace snagwell {
namespace {

const QString &registeredHeader()
{
    static const QString text = QStringLiteral("登録名");
    return text;
}

// The entry of the chosen registered name is checked, every other one is
// unchecked, and the name titles the window, as it does at load: a list
// with nothing chosen leaves no stale header in the title. Of equal names,
// the chosen one carries the mark.
void markRegisteredName(frmPrintScreen &window, const QComboBox &names)
{
    const QString name = names.currentText();
    const qsizetype chosen = names.currentIndex() + 1;
    const auto nameOf = [&window](qsizetype k) { return window.mnuRegName[k]->data().toString(); };
    const bool chosenMatches =
        chosen >= 1 && chosen < window.mnuRegName.size() && nameOf(chosen) == name;
    for (qsizetype k = 1; k < window.mnuRegName.size(); ++k)
        window.mnuRegName[k]->setChecked(nameOf(k) == name && (!chosenMatches || k == chosen));
    window.setWindowTitle(name);
}

// A visible window is loaded afresh, so that its menu holds the names as
// they now are.
void reloadIfVisible(Form1 &form)
{
    if (!form.printScreenWindow()->isVisible())
        return;
    form.unloadPrintScreen();
    form.mnuPrintScreen_Click();
}

} // namespace

void Form1::cbxFileHeader_Click()
{
    ApplyFileHeaderChoice();
}

void Form1::cbxRegName_Click()
{
    // The selection also changes under the program's own hand, inside
    // other handlers and signals: nothing may escape into the event loop.
    reportFailures([this] { ApplyRegNameChoice(); });
}

void Form1::ApplyFileHeaderChoice()
{
    reportFailures([this] {
        // Asking for the window loads it, hidden, before anything else.
        frmPrintScreen *window = printScreenWindow();
        RemoveTrayIcon();
        AddTrayIcon();
        if (!window->isVisible())
            return;
        for (QAction *header : {window->mnuPC, window->mnuUser, window->mnuPcUser})
            header->setChecked(false);
        window->UncheckRegNameItems();
        const QString header = cbxFileHeader->currentText();
        if (header == QStringLiteral("PC名")) {
            window->mnuPC->setChecked(true);
            window->setWindowTitle(header);
        } else if (header == QStringLiteral("ﾕｰｻﾞｰ名")) {
            window->mnuUser->setChecked(true);
            window->setWindowTitle(header);
        } else if (header == QStringLiteral("PC名+ﾕｰｻﾞｰ名")) {
            window->mnuPcUser->setChecked(true);
            window->setWindowTitle(header);
        } else if (header == registeredHeader()) {
            // The tray has just been refreshed: one refresh per choice.
            markRegisteredName(*window, *cbxRegName);
        }
    });
}

void Form1::ApplyRegNameChoice()
{
    if (cbxFileHeader->currentText() != registeredHeader())
        return;
    RemoveTrayIcon();
    AddTrayIcon();
    frmPrintScreen *window = printScreenWindow();
    if (window->isVisible())
        markRegisteredName(*window, *cbxRegName);
}

void Form1::btnRegAdd_Click()
{
    // With nothing chosen, the list holds at most the empty entry that a
    // settings file without names leaves. It names nothing and goes; names
    // in a hand-edited file that chose none stay.
    if (cbxRegName->currentIndex() < 0) {
        const QSignalBlocker blocker(cbxRegName);
        for (int i = cbxRegName->count() - 1; i >= 0; --i) {
            if (cbxRegName->itemText(i).isEmpty())
                cbxRegName->removeItem(i);
        }
        cbxRegName->setCurrentIndex(-1);
    }
    // Blanks are kept: the header drops them when it is built.
    const QString name = tbxFileHeader->text();
    if (name.isEmpty())
        return;
    if (!m_dialogs.askYesNo(QStringLiteral("ファイル名に登録しますか"),
                            QStringLiteral("ファイル名登録")))
        return;
    {
        // Adding chooses nothing by itself; the choice below does.
        const QSignalBlocker blocker(cbxRegName);
        const int chosen = cbxRegName->currentIndex();
        cbxRegName->addItem(name);
        cbxRegName->setCurrentIndex(chosen);
    }
    const int index = cbxRegName->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (cbxRegName->currentIndex() == index)
        cbxRegName_Click();
    else
        cbxRegName->setCurrentIndex(index);
    tbxFileHeader->clear();
    reloadIfVisible(*this);
}

void Form1::btnRegDel_Click()
{
    const int index = cbxRegName->currentIndex();
    if (index < 0)
        return;
    if (!m_dialogs.askYesNo(QStringLiteral("選択したファイル名を削除しますか"),
                            QStringLiteral("ファイル名削除")))
        return;
    {
        // The removal itself chooses nothing; the choice below does.
        const QSignalBlocker blocker(cbxRegName);
        cbxRegName->removeItem(index);
        cbxRegName->setCurrentIndex(-1);
    }
    if (cbxRegName->count() > 0)
        cbxRegName->setCurrentIndex(index > 0 ? index - 1 : 0);
    else
        cbxRegName_Click(); // the header in use is now the empty name
    reloadIfVisible(*this);
}

} // namespace snagwell
