// The header choice and the registered names in the settings window, and
// how they show in the tray tip and the button window.

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

#include "app/settingsfile.h"
#include "support/form1fixture.h"
#include "tray/frmprintscreen.h"

using namespace snagwell;
using snagwell::testing::Form1Fixture;

namespace {

// A started settings window whose settings file held these names, the
// header "ﾕｰｻﾞｰ名" unless told, and the button window shown or not.
struct Started : Form1Fixture
{
    Started(const QStringList &names, int chosen, bool shown,
            const QString &header = QStringLiteral("ﾕｰｻﾞｰ名"))
    {
        Settings s;
        s.dir1Path = startupFolder();
        s.fileHeader = header;
        s.regNames = names;
        s.regNameIndex = static_cast<qint16>(chosen);
        s.fileType = QStringLiteral("JPG");
        s.deleteFolder = QStringLiteral("しない");
        s.printScreenCK = shown ? 1 : 0;
        writeSettings(composeSettingsFile(settingsLines(s)));
        start();
        tray.clearCalls();
        dialogs.clear();
    }
    frmPrintScreen &window() { return *form->printScreenWindow(); }
    QStringList checked()
    {
        QStringList texts;
        for (const QAction *entry : window().mnuFileHeader->actions())
            if (entry->isChecked())
                texts.append(entry->text());
        return texts;
    }
    QStringList menuNames()
    {
        QStringList names;
        for (qsizetype k = 1; k < window().mnuRegName.size(); ++k)
            names.append(window().mnuRegName[k]->text());
        return names;
    }
    QStringList listed() const
    {
        QStringList names;
        for (int i = 0; i < form->cbxRegName->count(); ++i)
            names.append(form->cbxRegName->itemText(i));
        return names;
    }
    QString tip() const { return tray.tip().trimmed(); }
};

const QStringList abc = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
const QStringList oneRefresh = {QStringLiteral("remove"), QStringLiteral("add")};

// The tray calls without the tips, which the tip itself is checked for.
QStringList callsOf(const RecordingTrayIcon &tray)
{
    QStringList calls;
    for (const QString &call : tray.calls())
        calls.append(call.section(QLatin1Char(':'), 0, 0));
    return calls;
}

} // namespace

class HeaderSelectionTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void headerChoice_data();
    void headerChoice();
    void regNameChoiceOutsideRegisteredChangesNothing();
    void regNameChoiceUnderRegistered();
    void failingTrayIsReported();
    void deleteName_data();
    void deleteName();
    void deleteDeclinedOrNothingChosen();
    void sameNameTwice();
    void firstNameReplacesTheEmptyEntry();
    void addWithNamesButNoneChosenKeepsThem();
    void addDeclinedOrEmptyAddsNothing();
};

void HeaderSelectionTest::headerChoice_data()
{
    QTest::addColumn<bool>("shown");
    QTest::addColumn<int>("header");
    QTest::addColumn<QStringList>("checked"); // the marks afterwards
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("tip");
    // Hidden, the window keeps the marks and title of its load.
    const QStringList loaded = {QStringLiteral("ﾕｰｻﾞｰ名")};
    QTest::newRow("hidden, PC") << false << 0 << loaded << "ﾕｰｻﾞｰ名"
                                << "PC名(snagwell)";
    QTest::newRow("hidden, registered") << false << 3 << loaded << "ﾕｰｻﾞｰ名"
                                        << "b(snagwell)";
    QTest::newRow("shown, PC") << true << 0 << QStringList{"PC名"} << "PC名"
                               << "PC名(snagwell)";
    QTest::newRow("shown, both") << true << 2 << QStringList{"PC名+ﾕｰｻﾞｰ名"} << "PC名+ﾕｰｻﾞｰ名"
                                 << "PC名+ﾕｰｻﾞｰ名(snagwell)";
    QTest::newRow("shown, registered") << true << 3 << QStringList{"b"} << "b"
                                       << "b(snagwell)";
}

void HeaderSelectionTest::headerChoice()
{
    QFETCH(bool, shown);
    QFETCH(int, header);
    QFETCH(QStringList, checked);
    QFETCH(QString, title);
    QFETCH(QString, tip);
    Started s(abc, 1, shown);
    QCOMPARE(s.window().isVisible(), shown);
    s.form->cbxFileHeader->setCurrentIndex(header);
    QCOMPARE(callsOf(s.tray), oneRefresh);
    QCOMPARE(s.tip(), tip);
    QCOMPARE(s.checked(), checked);
    QCOMPARE(s.window().windowTitle(), title);
    QCOMPARE(s.window().isVisible(), shown);
}

void HeaderSelectionTest::regNameChoiceOutsideRegisteredChangesNothing()
{
    Started s(abc, 1, true);
    s.form->cbxRegName->setCurrentIndex(2);
    QVERIFY(s.tray.calls().isEmpty());
    QCOMPARE(s.checked(), QStringList{QStringLiteral("ﾕｰｻﾞｰ名")});
    QCOMPARE(s.window().windowTitle(), QStringLiteral("ﾕｰｻﾞｰ名"));
}

void HeaderSelectionTest::regNameChoiceUnderRegistered()
{
    Started s(abc, 1, true, QStringLiteral("登録名"));
    QCOMPARE(s.checked(), QStringList{QStringLiteral("b")});
    s.form->cbxRegName->setCurrentIndex(2);
    QCOMPARE(callsOf(s.tray), oneRefresh);
    QCOMPARE(s.tip(), QStringLiteral("c(snagwell)"));
    QCOMPARE(s.checked(), QStringList{QStringLiteral("c")});
    QCOMPARE(s.window().windowTitle(), QStringLiteral("c"));
}

void HeaderSelectionTest::failingTrayIsReported()
{
    Started s(abc, 1, true);
    s.tray.setFailing(true);
    s.form->cbxFileHeader->setCurrentIndex(0);
    QCOMPARE(s.dialogs.texts(),
             QStringList{QStringLiteral("the notification area refused the icon")});
    // The steps after the failing one are left undone.
    QCOMPARE(s.checked(), QStringList{QStringLiteral("ﾕｰｻﾞｰ名")});
}

void HeaderSelectionTest::deleteName_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("chosen");
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<int>("nowChosen");
    QTest::newRow("first") << abc << 0 << QStringList{"b", "c"} << 0;
    QTest::newRow("last") << abc << 2 << QStringList{"a", "b"} << 1;
    QTest::newRow("middle") << abc << 1 << QStringList{"a", "c"} << 0;
    QTest::newRow("only") << QStringList{"a"} << 0 << QStringList() << -1;
}

void HeaderSelectionTest::deleteName()
{
    QFETCH(QStringList, names);
    QFETCH(int, chosen);
    QFETCH(QStringList, left);
    QFETCH(int, nowChosen);
    Started s(names, chosen, true, QStringLiteral("登録名"));
    s.window().move(45, 30);
    s.form->btnRegDel->click();
    QCOMPARE(s.dialogs.shown().size(), 1);
    QCOMPARE(s.dialogs.shown().first().kind, ScriptedDialogs::Kind::YesNo);
    QCOMPARE(s.dialogs.shown().first().text, QStringLiteral("選択したファイル名を削除しますか"));
    QCOMPARE(s.dialogs.shown().first().title, QStringLiteral("ファイル名削除"));
    QCOMPARE(s.listed(), left);
    QCOMPARE(s.form->cbxRegName->currentIndex(), nowChosen);
    // The header in use follows, the empty name included.
    const QString name = nowChosen < 0 ? QString() : left.at(nowChosen);
    QCOMPARE(s.tip(), name + QStringLiteral("(snagwell)"));
    // The shown window was loaded afresh, in its place, with the names left.
    QVERIFY(s.window().isVisible());
    QCOMPARE(s.window().pos(), QPoint(45, 30));
    QCOMPARE(s.menuNames(), left);
    QCOMPARE(s.checked(), nowChosen < 0 ? QStringList() : QStringList{name});
    QCOMPARE(s.window().windowTitle(), name);
}

void HeaderSelectionTest::deleteDeclinedOrNothingChosen()
{
    Started s(abc, 1, false);
    s.dialogs.answer(false);
    s.form->btnRegDel_Click();
    QCOMPARE(s.listed(), abc);
    QCOMPARE(s.form->cbxRegName->currentIndex(), 1);
    Started none(abc, -1, false);
    none.form->btnRegDel_Click();
    QVERIFY(none.dialogs.shown().isEmpty());
    QCOMPARE(none.listed(), abc);
}

void HeaderSelectionTest::sameNameTwice()
{
    Started s({}, -1, true, QStringLiteral("登録名"));
    for (int i = 0; i < 2; ++i) {
        s.form->tbxFileHeader->setText(QStringLiteral(" 会議 "));
        s.form->btnRegAdd->click();
    }
    QCOMPARE(s.dialogs.shown().size(), 2);
    QCOMPARE(s.dialogs.shown().first().text, QStringLiteral("ファイル名に登録しますか"));
    QCOMPARE(s.dialogs.shown().first().title, QStringLiteral("ファイル名登録"));
    // Kept as typed, blanks and all; the first of equal names is chosen.
    QCOMPARE(s.listed(), (QStringList{" 会議 ", " 会議 "}));
    QCOMPARE(s.form->cbxRegName->currentIndex(), 0);
    QVERIFY(s.form->tbxFileHeader->text().isEmpty());
    QCOMPARE(s.menuNames(), (QStringList{" 会議 ", " 会議 "}));
    QCOMPARE(s.checked(), QStringList{" 会議 "});
    // Each add refreshed the tray tip once for its choice.
    QCOMPARE(callsOf(s.tray), oneRefresh + oneRefresh);
}

void HeaderSelectionTest::firstNameReplacesTheEmptyEntry()
{
    Started s({}, -1, false);
    QCOMPARE(s.listed(), QStringList{QString()});
    QCOMPARE(s.form->cbxRegName->currentIndex(), -1);
    s.form->tbxFileHeader->setText(QStringLiteral("会議"));
    s.form->btnRegAdd_Click();
    QCOMPARE(s.listed(), QStringList{QStringLiteral("会議")});
    QCOMPARE(s.form->cbxRegName->currentIndex(), 0);
    QVERIFY(!s.window().isVisible());
}

void HeaderSelectionTest::addWithNamesButNoneChosenKeepsThem()
{
    // Only a hand-edited file leaves names with none chosen; they stay, and
    // only empty entries, which name nothing, go.
    Started s({QStringLiteral("a"), QString(), QStringLiteral("b")}, -1, false);
    s.form->tbxFileHeader->setText(QStringLiteral("c"));
    s.form->btnRegAdd_Click();
    QCOMPARE(s.listed(), abc);
    QCOMPARE(s.form->cbxRegName->currentIndex(), 2);
}

void HeaderSelectionTest::addDeclinedOrEmptyAddsNothing()
{
    Started s({}, -1, false);
    // Nothing typed: no question, yet the empty entry goes.
    s.form->btnRegAdd_Click();
    QVERIFY(s.dialogs.shown().isEmpty());
    QCOMPARE(s.listed(), QStringList());
    s.form->tbxFileHeader->setText(QStringLiteral("a"));
    s.dialogs.answer(false);
    s.form->btnRegAdd_Click();
    QCOMPARE(s.listed(), QStringList());
    QCOMPARE(s.form->tbxFileHeader->text(), QStringLiteral("a"));
    QVERIFY(s.tray.calls().isEmpty());
}

QTEST_MAIN(HeaderSelectionTest)
#include "tst_headerselection.moc"
