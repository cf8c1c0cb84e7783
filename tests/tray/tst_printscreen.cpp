// The screen-capture button window: its menu, its place, and the
// PrintScreen key done through the clipboard and screen ports.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

#include "app/settingsfile.h"
#include "support/form1fixture.h"
#include "tray/frmprintscreen.h"
#include "tray/printscreenkey.h"

using namespace snagwell;
using snagwell::testing::Form1Fixture;

namespace {

// A settings file of the fixture's folder with these names and header.
QByteArray settingsOf(const Form1Fixture &f, const QStringList &names, int chosen,
                      const QString &header, int printScreen = 0, const QString &top = {},
                      const QString &left = {})
{
    Settings s;
    s.dir1Path = f.startupFolder();
    s.fileHeader = header;
    s.regNames = names;
    s.regNameIndex = static_cast<qint16>(chosen);
    s.fileType = QStringLiteral("JPG");
    s.deleteFolder = QStringLiteral("しない");
    s.printScreenCK = static_cast<qint16>(printScreen);
    s.top = top;
    s.left = left;
    return composeSettingsFile(settingsLines(s));
}

QStringList entriesOf(const QMenu *menu)
{
    QStringList entries;
    for (const QAction *entry : menu->actions())
        entries.append(entry->isSeparator() ? QStringLiteral("-") : entry->text());
    return entries;
}

QStringList checkedOf(const QMenu *menu)
{
    QStringList checked;
    for (const QAction *entry : menu->actions())
        if (entry->isChecked())
            checked.append(entry->text());
    return checked;
}

QPoint pixels(int leftTwips, int topTwips, const QWidget *window)
{
    return {qRound(leftTwips * window->logicalDpiX() / 1440.0),
            qRound(topTwips * window->logicalDpiY() / 1440.0)};
}

const QStringList threeNames = {QStringLiteral("会議"), QStringLiteral("A&B"),
                                QStringLiteral("報告")};

} // namespace

class PrintScreenTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void windowLooksAsDesigned();
    void menuEntries_data();
    void menuEntries();
    void choosingARegisteredName();
    void headerEntriesMoveTheMark_data();
    void headerEntriesMoveTheMark();
    void registeredWithNothingChosenChecksNothing();
    void rightReleaseOnTheMarginOnly();
    void positionTexts_data();
    void positionTexts();
    void placeFromTheSettingsWindow_data();
    void placeFromTheSettingsWindow();
    void closeAndReopenKeepsThePlace();
    void startUpShowsItAtTheSavedPlace();
    void headerChoiceLoadsItHidden();
    void keyEmptiesTheClipboardEvenWithoutAPicture();
    void keyPutsThePictureAfterTheEmptying();
    void buttonCapturesOnePictureWhileMonitoring();
    void scanCode_data();
    void scanCode();
};

void PrintScreenTest::windowLooksAsDesigned()
{
    Form1Fixture f;
    Form1 &form = f.start();
    form.mnuPrintScreen_Click();
    frmPrintScreen *window = form.printScreenWindow();
    QVERIFY(window->isVisible());
    QCOMPARE(window->size(), QSize(pixels(2010, 435, window).x(), pixels(2010, 435, window).y()));
    QCOMPARE(window->minimumSize(), window->maximumSize());
    const Qt::WindowFlags flags = window->windowFlags();
    QVERIFY(flags & Qt::WindowStaysOnTopHint);
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool);
    QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(window->PrntScrnButton->text(), QStringLiteral("画面保存"));
    QCOMPARE(window->PrntScrnButton->geometry(),
             QRect(pixels(360, 50, window),
                   QSize(pixels(1275, 375, window).x(), pixels(1275, 375, window).y())));
    QCOMPARE(window->PrntScrnButton->toolTip(),
             QStringLiteral("画面を保存します。余白を右クリックするとファイル名を切り替えます。"));
    QCOMPARE(window->mnuFileHeader->title(), QStringLiteral("ファイル名"));
    QCOMPARE(window->windowTitle(), QStringLiteral("ﾕｰｻﾞｰ名"));
}

void PrintScreenTest::menuEntries_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("entries");
    const QStringList headers = {QStringLiteral("PC名"), QStringLiteral("ﾕｰｻﾞｰ名"),
                                 QStringLiteral("PC名+ﾕｰｻﾞｰ名"), QStringLiteral("-")};
    QTest::newRow("no names") << QStringList() << headers;
    // '&' is shown, not taken for a mnemonic.
    QTest::newRow("three names") << threeNames
                                 << headers + QStringList{QStringLiteral("会議"),
                                                          QStringLiteral("A&&B"),
                                                          QStringLiteral("報告")};
}

void PrintScreenTest::menuEntries()
{
    QFETCH(QStringList, names);
    QFETCH(QStringList, entries);
    Form1Fixture f;
    Form1 &form = f.make();
    // A first run has no names at all; a start from a file has its names.
    if (!names.isEmpty())
        f.writeSettings(settingsOf(f, names, 0, QStringLiteral("ﾕｰｻﾞｰ名")));
    form.Form_Load();
    form.mnuPrintScreen_Click();
    frmPrintScreen *window = form.printScreenWindow();
    QCOMPARE(entriesOf(window->mnuFileHeader), entries);
    QCOMPARE(window->mnuRegName.size(), names.size() + 1);
    QVERIFY(window->mnuRegName.first()->isSeparator());
    QCOMPARE(checkedOf(window->mnuFileHeader), QStringList{QStringLiteral("ﾕｰｻﾞｰ名")});
}

void PrintScreenTest::choosingARegisteredName()
{
    Form1Fixture f;
    f.writeSettings(settingsOf(f, threeNames, 0, QStringLiteral("ﾕｰｻﾞｰ名")));
    Form1 &form = f.start();
    form.mnuPrintScreen_Click();
    frmPrintScreen *window = form.printScreenWindow();
    window->mnuRegName[2]->trigger();
    QCOMPARE(form.cbxFileHeader->currentText(), QStringLiteral("登録名"));
    QCOMPARE(form.cbxRegName->currentIndex(), 1);
    QCOMPARE(checkedOf(window->mnuFileHeader), QStringList{QStringLiteral("A&&B")});
    QCOMPARE(window->windowTitle(), QStringLiteral("A&B"));
    QCOMPARE(f.tray.tip().trimmed(), QStringLiteral("A&B(snagwell)"));
    // Choosing it again keeps the mark where it is.
    window->mnuRegName[2]->trigger();
    QCOMPARE(checkedOf(window->mnuFileHeader), QStringList{QStringLiteral("A&&B")});
}

void PrintScreenTest::headerEntriesMoveTheMark_data()
{
    QTest::addColumn<int>("entry");
    QTest::addColumn<QString>("header");
    QTest::newRow("PC") << 0 << QStringLiteral("PC名");
    QTest::newRow("user") << 1 << QStringLiteral("ﾕｰｻﾞｰ名");
    QTest::newRow("both") << 2 << QStringLiteral("PC名+ﾕｰｻﾞｰ名");
}

void PrintScreenTest::headerEntriesMoveTheMark()
{
    QFETCH(int, entry);
    QFETCH(QString, header);
    Form1Fixture f;
    f.writeSettings(settingsOf(f, threeNames, 2, QStringLiteral("登録名")));
    Form1 &form = f.start();
    form.mnuPrintScreen_Click();
    frmPrintScreen *window = form.printScreenWindow();
    QCOMPARE(checkedOf(window->mnuFileHeader), QStringList{QStringLiteral("報告")});
    QCOMPARE(window->windowTitle(), QStringLiteral("報告"));
    f.tray.clearCalls();
    const QList<QAction *> headers = {window->mnuPC, window->mnuUser, window->mnuPcUser};
    headers[entry]->trigger();
    QCOMPARE(form.cbxFileHeader->currentIndex(), entry);
    QCOMPARE(checkedOf(window->mnuFileHeader), QStringList{header});
    QCOMPARE(window->windowTitle(), header);
    QCOMPARE(f.tray.calls().size(), 2);
    QCOMPARE(f.tray.tip().trimmed(), header + QStringLiteral("(snagwell)"));
}

void PrintScreenTest::registeredWithNothingChosenChecksNothing()
{
    Form1Fixture f;
    f.writeSettings(settingsOf(f, {}, -1, QStringLiteral("登録名")));
    Form1 &form = f.start();
    form.mnuPrintScreen_Click();
    frmPrintScreen *window = form.printScreenWindow();
    QCOMPARE(checkedOf(window->mnuFileHeader), QStringList());
    QCOMPARE(window->windowTitle(), QString());
}

void PrintScreenTest::rightReleaseOnTheMarginOnly()
{
    Form1Fixture f;
    Form1 &form = f.start();
    form.mnuPrintScreen_Click();
    frmPrintScreen *window = form.printScreenWindow();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    const QPoint margin(3, 3);
    QVERIFY(!window->PrntScrnButton->geometry().contains(margin));
    QTest::mouseClick(window, Qt::LeftButton, {}, margin);
    QTest::mouseClick(window->PrntScrnButton, Qt::RightButton, {}, QPoint(5, 5));
    QTest::qWait(20);
    QVERIFY(!window->mnuFileHeader->isVisible());
    QTest::mouseClick(window, Qt::RightButton, {}, margin);
    QTRY_VERIFY(window->mnuFileHeader->isVisible());
    window->mnuFileHeader->close();
}

void PrintScreenTest::positionTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("twips");
    QTest::newRow("not a number") << "abc" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("half down to even") << "100.5" << 100;
    QTest::newRow("half up to even") << "101.5" << 102;
    QTest::newRow("negative half") << "-7.5" << -8;
    QTest::newRow("blanks around") << " 1500 " << 1500;
    QTest::newRow("plus sign") << "+30" << 30;
    QTest::newRow("fraction alone") << ".6" << 1;
    QTest::newRow("grouped digits") << "1,000" << 0;
    QTest::newRow("trailing text") << "15px" << 0;
    QTest::newRow("above 16 bits") << "40000" << 32767;
    QTest::newRow("below 16 bits") << "-99999999999" << -32768;
    QTest::newRow("edge") << "32767.4" << 32767;
}

void PrintScreenTest::positionTexts()
{
    QFETCH(QString, text);
    QFETCH(int, twips);
    QCOMPARE(int(positionTwips(text)), twips);
}

void PrintScreenTest::placeFromTheSettingsWindow_data()
{
    QTest::addColumn<QString>("top");
    QTest::addColumn<QString>("left");
    QTest::addColumn<QPoint>("twips"); // expected (left, top)
    QTest::newRow("no numbers") << "abc"
                                << "" << QPoint(0, 0);
    QTest::newRow("on the screen") << "1500"
                                   << "3000" << QPoint(3000, 1500);
    // A monitor since removed: the window comes back where it can be reached.
    QTest::newRow("beyond every screen") << "30000"
                                         << "30000" << QPoint(0, 0);
    QTest::newRow("left of every screen") << "1500"
                                          << "-3000" << QPoint(0, 0);
}

void PrintScreenTest::placeFromTheSettingsWindow()
{
    QFETCH(QString, top);
    QFETCH(QString, left);
    QFETCH(QPoint, twips);
    Form1Fixture f;
    Form1 &form = f.start();
    form.tbxTop->setText(top);
    form.tbxLeft->setText(left);
    form.mnuPrintScreen_Click();
    frmPrintScreen *window = form.printScreenWindow();
    QCOMPARE(window->pos(), pixels(twips.x(), twips.y(), window));
    QCOMPARE(window->positionInTwips(), twips);
}

void PrintScreenTest::closeAndReopenKeepsThePlace()
{
    Form1Fixture f;
    Form1 &form = f.start();
    form.mnuPrintScreen_Click();
    QPointer<frmPrintScreen> window = form.printScreenWindow();
    window->move(120, 90);
    window->close(); // as the close box does
    QVERIFY(!form.isPrintScreenLoaded());
    QCOMPARE(form.tbxLeft->text(), QString::number(window->positionInTwips().x()));
    QCOMPARE(form.tbxTop->text(), QString::number(window->positionInTwips().y()));
    form.mnuPrintScreen_Click();
    QVERIFY(form.printScreenWindow() != window.data());
    QVERIFY(form.printScreenWindow()->isVisible());
    QCOMPARE(form.printScreenWindow()->pos(), QPoint(120, 90));
}

void PrintScreenTest::startUpShowsItAtTheSavedPlace()
{
    Form1Fixture f;
    f.writeSettings(settingsOf(f, threeNames, 0, QStringLiteral("ﾕｰｻﾞｰ名"), 1,
                               QStringLiteral("1500"), QStringLiteral("3000")));
    Form1 &form = f.start();
    // Start-up loaded the window hidden before the place was read; the
    // place it had then (0, 0) must not win.
    QVERIFY(form.isPrintScreenLoaded());
    frmPrintScreen *window = form.printScreenWindow();
    QVERIFY(window->isVisible());
    QCOMPARE(window->pos(), pixels(3000, 1500, window));
    QCOMPARE(form.tbxTop->text(), QStringLiteral("1500"));
    // Its menu was built after the names were read.
    QCOMPARE(window->mnuRegName.size(), 4);
    // Quitting writes where the window stands now.
    window->move(pixels(600, 450, window));
    form.Unload();
    QVERIFY(f.settingsBytes().endsWith("\r\n 1 \r\n450\r\n600\r\n"));
}

void PrintScreenTest::headerChoiceLoadsItHidden()
{
    Form1Fixture f;
    Form1 &form = f.start();
    // Start-up unloads what it loaded on the way.
    QVERIFY(!form.isPrintScreenLoaded());
    form.cbxFileHeader->setCurrentIndex(0);
    QVERIFY(form.isPrintScreenLoaded());
    QVERIFY(!form.printScreenWindow()->isVisible());
    QCOMPARE(form.printScreenWindow()->windowTitle(), QStringLiteral("PC名"));
}

void PrintScreenTest::keyEmptiesTheClipboardEvenWithoutAPicture()
{
    MemoryClipboard clipboard;
    FixedScreenGrabber nothing{QImage()};
    clipboard.setText(QStringLiteral("old"));
    PressPrintScreenKey(clipboard, nothing);
    QCOMPARE(clipboard.clears(), 1);
    QCOMPARE(nothing.grabs(), 1);
    QVERIFY(!clipboard.hasText());
    QVERIFY(!clipboard.hasImage());
}

void PrintScreenTest::keyPutsThePictureAfterTheEmptying()
{
    MemoryClipboard clipboard;
    QImage screen(40, 30, QImage::Format_RGB32);
    screen.fill(Qt::darkCyan);
    FixedScreenGrabber grabber{screen};
    clipboard.setText(QStringLiteral("old"));
    // What each change shows: the emptying holds neither text nor a picture,
    // and the screen is grabbed only after it, with nothing on the clipboard.
    QStringList changes;
    QObject::connect(&clipboard, &Clipboard::changed, &clipboard, [&] {
        changes.append(QStringLiteral("text=%1 image=%2 grabs=%3")
                           .arg(clipboard.hasText())
                           .arg(clipboard.hasImage())
                           .arg(grabber.grabs()));
    });
    PressPrintScreenKey(clipboard, grabber);
    QCOMPARE(changes, (QStringList{"text=0 image=0 grabs=0", "text=0 image=1 grabs=1"}));
    QCOMPARE(clipboard.image(), screen);
}

void PrintScreenTest::buttonCapturesOnePictureWhileMonitoring()
{
    Form1Fixture f;
    QImage screen(40, 30, QImage::Format_RGB32);
    screen.fill(Qt::darkCyan);
    f.grabber = FixedScreenGrabber(screen);
    Form1 &form = f.start();
    QVERIFY(form.isMonitoring());
    const QString day = f.startupFolder() + QStringLiteral("/SWData/05Nov15");
    form.mnuPrintScreen_Click();
    form.printScreenWindow()->PrntScrnButton->click();
    QCOMPARE(f.clipboard.clears(), 1);
    QCOMPARE(QDir(day).entryList(QDir::Files), QStringList{QStringLiteral("user1001.jpg")});
    // A grab that yields nothing saves nothing: the emptying is no capture.
    f.grabber = FixedScreenGrabber(QImage());
    form.printScreenWindow()->PrntScrnButton->click();
    QCOMPARE(f.clipboard.clears(), 2);
    QCOMPARE(QDir(day).entryList(QDir::Files), QStringList{QStringLiteral("user1001.jpg")});
}

void PrintScreenTest::scanCode_data()
{
    QTest::addColumn<std::optional<double>>("version");
    QTest::addColumn<int>("scanCode");
    QTest::newRow("unknown") << std::optional<double>() << 0;
    QTest::newRow("4.0") << std::optional<double>(4.0) << 1;
    QTest::newRow("4.9") << std::optional<double>(4.9) << 1;
    QTest::newRow("5.0") << std::optional<double>(5.0) << 0;
    QTest::newRow("10.0") << std::optional<double>(10.0) << 0;
}

void PrintScreenTest::scanCode()
{
    QFETCH(std::optional<double>, version);
    QFETCH(int, scanCode);
    QCOMPARE(printScreenScanCode(version), scanCode);
}

QTEST_MAIN(PrintScreenTest)
#include "tst_printscreen.moc"
