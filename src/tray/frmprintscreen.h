#pragma once

#include <QList>
#include <QPoint>
#include <QString>
#include <QWidget>

class QAction;
class QMenu;
class QPushButton;

namespace snagwell {

class Form1;

// A position text of the settings window (tbxTop, tbxLeft) as twips: a
// number rounded to the nearest whole one (a half to the even neighbour)
// and clamped into 16 bits; 0 for a text that is no number. A number is an
// optional sign, digits and an optional fraction, with blanks around.
qint16 positionTwips(const QString &text);

// The small always-on-top window with the single button "画面保存". Its
// title shows the file-name header in use; a right click on its margin pops
// up a menu that switches the header. It reads and writes the settings
// window's controls directly, and keeps its place in tbxTop and tbxLeft.
//
// Loading is constructing and Form_Load; the settings window does both
// (Form1::printScreenWindow) and unloads through unload().
class frmPrintScreen final : public QWidget
{
    Q_OBJECT
public:
    explicit frmPrintScreen(Form1 &form);

    void Form_Load();
    // Writes the window's place back into tbxTop and tbxLeft.
    void Form_Unload();
    // Form_Unload, then the window goes for good (deleted later, so that it
    // may unload from inside its own handlers).
    void unload();
    bool isUnloaded() const { return m_unloaded; }

    // Adds one menu entry per registered name and checks the entry of the
    // header in use; a failure is shown and ends the building.
    void BuildHeaderMenu();
    // Title := the header list's text, or the registered name under "登録名".
    void ShowHeaderCaption();
    // Clears the check marks of every registered-name entry.
    void UncheckRegNameItems();

    void Form_MouseUp(Qt::MouseButton button, const QPoint &globalPosition);
    void PrntScrnButton_Click();
    void mnuPC_Click();
    void mnuUser_Click();
    void mnuPcUser_Click();
    // index: the element of mnuRegName, 1 for the first registered name.
    void mnuRegName_Click(int index);

    // The window's place: its frame's top-left corner in screen twips.
    QPoint positionInTwips() const;

    QPushButton *PrntScrnButton;
    // Never on a menu bar: only popped up.
    QMenu *mnuFileHeader;
    QAction *mnuPC;
    QAction *mnuUser;
    QAction *mnuPcUser;
    // Element 0 is the separator; elements 1 to n carry the registered
    // names in list order.
    QList<QAction *> mnuRegName;

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void chooseHeaderEntry(int headerIndex, QAction *entry);
    void placeAt(qint16 topTwips, qint16 leftTwips);
    int dpiX() const;
    int dpiY() const;

    Form1 &m_form;
    bool m_unloaded = false;
};

} // namespace snagwell
