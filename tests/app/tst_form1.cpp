// The settings window's life: start-up, shutdown, the close box, quitting
// and resizing.

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QWindow>
#include <QtTest>

#include "app/form1layout.h"
#include "browse/browserlists.h"
#include "support/form1fixture.h"

using namespace snagwell;
using snagwell::testing::Form1Fixture;

class Form1Test : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startUpRunsItsStepsInOrder();
    void laterRunReadsInsteadOfInitialising();
    void failingStepIsSkipped();
    void secondInstanceTouchesNothing();
    void choiceListsHoldTheirEntries();
    void withoutTrayTheWindowIsShown();
    void closeBoxOnlyHides();
    void quitAsksAndWritesTheSettings();
    void quitCancelledChangesNothing();
    void shutdownGoesOnWhenSavingFails();
    void resizeRule_data();
    void resizeRule();
    void windowSnapsBackToItsMinimum();
    void previewStretchesWithTheWindow();
};

void Form1Test::startUpRunsItsStepsInOrder()
{
    Form1Fixture f;
    Form1 &form = f.start();
    QCOMPARE(form.startupTrace(), (QStringList{"3", "4", "5", "6", "7.1", "7.2", "7.3", "8", "9", "10",
                                               "11", "12"}));
    QVERIFY(!form.isVisible());
    QCOMPARE(form.lblAppDir->text(), f.startupFolder());
    QVERIFY(f.tray.isPresent());
    QCOMPARE(form.windowTitle(), QStringLiteral("Snagwell 設定"));
}

void Form1Test::laterRunReadsInsteadOfInitialising()
{
    Form1Fixture f;
    f.start();
    Form1Fixture later;
    later.writeSettings(f.settingsBytes());
    Form1 &form = later.start();
    QCOMPARE(form.startupTrace().mid(0, 5), (QStringList{"3", "4", "5", "6", "6.1"}));
    QVERIFY(later.dialogs.texts().isEmpty());
}

void Form1Test::failingStepIsSkipped()
{
    Form1Fixture f;
    f.tray.setFailing(true);
    Form1 &form = f.start();
    const QStringList trace = form.startupTrace();
    const qsizetype tray = trace.indexOf(QRegularExpression(QStringLiteral("^8 failed: .+")));
    QVERIFY2(tray > 0, qPrintable(trace.join(QLatin1Char('|'))));
    QCOMPARE(trace.mid(tray + 1), (QStringList{"9", "10", "11", "12"}));
    QVERIFY(QFile::exists(f.settingsPath()));
}

void Form1Test::secondInstanceTouchesNothing()
{
    Form1Fixture f;
    f.lock = FixedInstanceLock(false);
    Form1 &form = f.make();
    QSignalSpy unloaded(&form, &Form1::unloaded);
    form.Form_Load();
    QCOMPARE(f.dialogs.texts(), QStringList{QStringLiteral("snagwellは起動しています")});
    QCOMPARE(f.dialogs.shown().first().title, QStringLiteral("Snagwell"));
    QVERIFY(form.isSecondInstance());
    QCOMPARE(unloaded.count(), 1);
    QVERIFY(f.tray.calls().isEmpty());
    QVERIFY(!QFile::exists(f.settingsPath()));
    QCOMPARE(QDir(f.startupFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot |
                                               QDir::Hidden),
             QStringList());
}

void Form1Test::choiceListsHoldTheirEntries()
{
    Form1Fixture f;
    Form1 &form = f.start();
    auto entries = [](const QComboBox *list) {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i)
            texts.append(list->itemText(i));
        return texts;
    };
    QCOMPARE(entries(form.cbxFileHeader),
             (QStringList{QStringLiteral("PC名"), QStringLiteral("ﾕｰｻﾞｰ名"),
                          QStringLiteral("PC名+ﾕｰｻﾞｰ名"), QStringLiteral("登録名")}));
    QCOMPARE(entries(form.cbxDeleteFolder),
             (QStringList{QStringLiteral("しない"), QStringLiteral(" 7日前"),
                          QStringLiteral("30日前")}));
    QCOMPARE(entries(form.cbxFileType), (QStringList{"BMP", "JPEG", "JPG", "PNG"}));
}

void Form1Test::withoutTrayTheWindowIsShown()
{
    Form1Fixture f;
    f.tray.setAvailable(false);
    Form1 &form = f.start();
    QVERIFY(form.isVisible());
}

void Form1Test::closeBoxOnlyHides()
{
    Form1Fixture f;
    Form1 &form = f.start();
    form.mnuShow_Click();
    QVERIFY(form.isVisible());
    QFile::remove(f.settingsPath());
    // The window system's close request, as the close box sends it.
    QVERIFY(form.windowHandle());
    form.windowHandle()->close();
    QVERIFY(!form.isVisible());
    QVERIFY(!form.isUnloaded());
    QVERIFY(f.tray.isPresent());
    QVERIFY(!QFile::exists(f.settingsPath()));
}

void Form1Test::quitAsksAndWritesTheSettings()
{
    Form1Fixture f;
    Form1 &form = f.start();
    f.dialogs.clear();
    form.tbxTop->setText(QStringLiteral("1500"));
    QSignalSpy unloaded(&form, &Form1::unloaded);
    form.mnuQuit->trigger();
    QCOMPARE(f.dialogs.shown().size(), 1);
    QCOMPARE(f.dialogs.shown().first().kind, ScriptedDialogs::Kind::OkCancel);
    QCOMPARE(f.dialogs.shown().first().text, QStringLiteral("Snagwellを終了します。"));
    QCOMPARE(f.dialogs.shown().first().title, QStringLiteral("終了"));
    QCOMPARE(unloaded.count(), 1);
    QVERIFY(!f.tray.isPresent());
    QCOMPARE(f.tray.calls().last(), QStringLiteral("remove"));
    QVERIFY(f.settingsBytes().contains("\r\n1500\r\n\r\n"));
}

void Form1Test::quitCancelledChangesNothing()
{
    Form1Fixture f;
    Form1 &form = f.start();
    const QByteArray before = f.settingsBytes();
    form.tbxTop->setText(QStringLiteral("1500"));
    f.dialogs.answer(false);
    form.mnuQuit_Click();
    QVERIFY(!form.isUnloaded());
    QVERIFY(f.tray.isPresent());
    QCOMPARE(f.settingsBytes(), before);
}

void Form1Test::shutdownGoesOnWhenSavingFails()
{
    Form1Fixture f;
    Form1 &form = f.start();
    f.dialogs.clear();
    // The start-up folder is gone: the settings cannot be written.
    form.lblAppDir->setText(f.startupFolder() + QStringLiteral("/gone"));
    form.Unload();
    QCOMPARE(f.dialogs.shown().size(), 1);
    QVERIFY(f.dialogs.shown().first().text.contains(QStringLiteral("gone")));
    QVERIFY(!f.tray.isPresent());
}

void Form1Test::resizeRule_data()
{
    QTest::addColumn<bool>("minimized");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("action");
    QTest::addColumn<QList<int>>("sizes"); // value or the five stretched sizes
    using A = Form1Resize::Action;
    QTest::newRow("larger") << false << 12425 << 9010 << int(A::Stretch)
                            << QList<int>{8300, 9275, 8300, 9275, 6325};
    QTest::newRow("minimum") << false << 10425 << 8010 << int(A::Stretch)
                             << QList<int>{6300, 7275, 6300, 7275, 5325};
    QTest::newRow("narrow") << false << 10424 << 5000 << int(A::SetWidth) << QList<int>{10425};
    QTest::newRow("low") << false << 11000 << 8009 << int(A::SetHeight) << QList<int>{8010};
    QTest::newRow("minimized") << true << 100 << 100 << int(A::None) << QList<int>{};
}

void Form1Test::resizeRule()
{
    QFETCH(bool, minimized);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, action);
    QFETCH(QList<int>, sizes);
    const Form1Resize r = Form_ResizeRule(minimized, width, height);
    QCOMPARE(int(r.action), action);
    if (r.action == Form1Resize::Action::Stretch) {
        QCOMPARE((QList<int>{r.labelTxtWidth, r.text1Width, r.labelImgWidth, r.picture1Width,
                             r.picture1Height}),
                 sizes);
    } else if (!sizes.isEmpty()) {
        QCOMPARE(r.value, sizes.first());
    }
}

void Form1Test::windowSnapsBackToItsMinimum()
{
    Form1Fixture f;
    Form1 &form = f.start();
    form.mnuShow_Click(); // a hidden window gets its resize events when shown
    const int dpi = form.logicalDpiX();
    // Sizes are the window's outer sizes, its frame included.
    form.resize(200, 900);
    QCOMPARE(form.frameGeometry().width(), twipsToPixels(form1MinWidth, dpi));
    form.resize(900, 100);
    QCOMPARE(form.width(), 900);
    QCOMPARE(form.frameGeometry().height(), twipsToPixels(form1MinHeight, form.logicalDpiY()));
}

void Form1Test::previewStretchesWithTheWindow()
{
    Form1Fixture f;
    Form1 &form = f.start();
    form.mnuShow_Click();
    const int dpi = form.logicalDpiX();
    // 12425 x 9010 twips, when the screen has a whole number of twips a pixel.
    form.resize(twipsToPixels(12425, dpi), twipsToPixels(9010, form.logicalDpiY()));
    const int w = pixelsToTwips(form.frameGeometry().width(), dpi);
    const int h = pixelsToTwips(form.frameGeometry().height(), form.logicalDpiY());
    QCOMPARE(form.Text1->width(), twipsToPixels(w - 10425 + 7275, dpi));
    QCOMPARE(form.Picture1->width(), twipsToPixels(w - 10425 + 7275, dpi));
    QCOMPARE(form.LabelTXT->width(), twipsToPixels(w - 10425 + 6300, dpi));
    QCOMPARE(form.LabelIMG->width(), twipsToPixels(w - 10425 + 6300, dpi));
    QCOMPARE(form.Picture1->height(), twipsToPixels(h - 8010 + 5325, form.logicalDpiY()));
    // Minimising changes no size.
    const QSize picture = form.Picture1->size();
    form.showMinimized();
    QCOMPARE(form.Picture1->size(), picture);
}

QTEST_MAIN(Form1Test)
#include "tst_form1.moc"
