// The tray icon: its tip, and which release pops up which menu.

#include <QComboBox>
#include <QMenu>
#include <QtTest>

#include "app/ansicodepage.h"
#include "support/form1fixture.h"
#include "tray/traytip.h"

using namespace snagwell;
using snagwell::testing::Form1Fixture;

class TrayTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tipText_data();
    void tipText();
    void tipField_data();
    void tipField();
    void firstRunTip();
    void headerChoiceRefreshesTheTip();
    void releasesPopUpTheirMenus();
    void otherNotificationsPopUpNothing();
};

void TrayTest::tipText_data()
{
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("regName");
    QTest::addColumn<QString>("tip");
    QTest::newRow("user") << "ﾕｰｻﾞｰ名" << "会議" << "ﾕｰｻﾞｰ名(snagwell)";
    QTest::newRow("both") << "PC名+ﾕｰｻﾞｰ名" << "" << "PC名+ﾕｰｻﾞｰ名(snagwell)";
    QTest::newRow("registered") << "登録名" << "会議" << "会議(snagwell)";
    QTest::newRow("registered, empty") << "登録名" << "" << "(snagwell)";
}

void TrayTest::tipText()
{
    QFETCH(QString, header);
    QFETCH(QString, regName);
    QFETCH(QString, tip);
    QCOMPARE(TrayTipText(header, regName, QStringLiteral("snagwell")), tip);
}

void TrayTest::tipField_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("kept"); // the field without its padding
    QTest::newRow("short") << "ﾕｰｻﾞｰ名(snagwell)" << "ﾕｰｻﾞｰ名(snagwell)";
    const QString sixty = QString(60, QLatin1Char('a'));
    QTest::newRow("closing parenthesis goes first")
        << sixty + "(snagwell)" << sixty + "(sna";
    QTest::newRow("name of 64 or more") << QString(70, QLatin1Char('b')) + "(snagwell)"
                                        << QString(64, QLatin1Char('b'));
    // 40 double-byte characters are 80 bytes: 32 fit.
    QTest::newRow("double-byte") << QString(40, QChar(0x4F1A)) + "(snagwell)"
                                 << QString(32, QChar(0x4F1A));
    // 63 bytes of single-byte text leave no room for a double-byte one:
    // never half a character.
    QTest::newRow("no half character") << QString(63, QLatin1Char('c')) + QChar(0x4F1A)
                                       << QString(63, QLatin1Char('c'));
    QTest::newRow("half-width katakana is one byte")
        << QString(64, QChar(0xFF71)) + "x" << QString(64, QChar(0xFF71));
}

void TrayTest::tipField()
{
    QFETCH(QString, text);
    QFETCH(QString, kept);
    const QString field = TrayTipField(text);
    QVERIFY(field.startsWith(kept));
    const QString padding = field.mid(kept.size());
    QCOMPARE(padding, QString(padding.size(), QLatin1Char(' ')));
    // The field is exactly 64 bytes in CP932.
    QCOMPARE(toCp932(field).value_or(QByteArray()).size(), 64);
}

void TrayTest::firstRunTip()
{
    Form1Fixture f;
    f.start();
    QCOMPARE(f.tray.tip(), TrayTipField(QStringLiteral("ﾕｰｻﾞｰ名(snagwell)")));
    QCOMPARE(f.tray.tip().trimmed(), QStringLiteral("ﾕｰｻﾞｰ名(snagwell)"));
}

void TrayTest::headerChoiceRefreshesTheTip()
{
    Form1Fixture f;
    Form1 &form = f.start();
    f.tray.clearCalls();
    form.cbxFileHeader->setCurrentIndex(0);
    QCOMPARE(f.tray.calls(),
             (QStringList{"remove", "add:" + TrayTipField(QStringLiteral("PC名(snagwell)"))}));
    QCOMPARE(f.tray.tip().trimmed(), QStringLiteral("PC名(snagwell)"));
}

void TrayTest::releasesPopUpTheirMenus()
{
    Form1Fixture f;
    Form1 &form = f.start();
    f.tray.releaseLeft();
    QTRY_VERIFY(form.mnuHyoji->isVisible());
    QVERIFY(!form.mnuFileItems->isVisible());
    form.mnuHyoji->close();
    f.tray.releaseRight();
    QTRY_VERIFY(form.mnuFileItems->isVisible());
    QVERIFY(!form.mnuHyoji->isVisible());
    form.mnuFileItems->close();
    // The display menu shows the settings window.
    form.mnuShow->trigger();
    QVERIFY(form.isVisible());
}

void TrayTest::otherNotificationsPopUpNothing()
{
    Form1Fixture f;
    Form1 &form = f.start();
    f.tray.move();
    QTest::qWait(20);
    QVERIFY(!form.mnuHyoji->isVisible());
    QVERIFY(!form.mnuFileItems->isVisible());
}

QTEST_MAIN(TrayTest)
#include "tst_tray.moc"
