#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "about/frmabout.h"
#include "app/ansicodepage.h"
#include "platform/dialogs.h"
#include "platform/programlauncher.h"
#include "platform/registry.h"

using namespace snagwell;

namespace {

const QString pathKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString locationKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
const QString unavailable = QStringLiteral("現時点ではｼｽﾃﾑ情報を使用できません");

QByteArray sz(const QString &text)
{
    return toCp932(text).value() + QByteArray(1, '\0');
}

void touch(const QString &path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

} // namespace

class TestAbout final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void window();
    void versionText_data();
    void versionText();
    void closes_data();
    void closes();
    void getKeyValue_data();
    void getKeyValue();
    void startSysInfo_data();
    void startSysInfo();
    void sysInfoButtonWithoutRegistryShowsTheMessage();
};

void TestAbout::window()
{
    NoRegistry registry;
    RecordingLauncher launcher;
    ScriptedDialogs dialogs;
    QWidget owner;
    QPointer<frmAbout> owned = new frmAbout(registry, launcher, dialogs, &owner);
    QPointer<frmAbout> alone = new frmAbout(registry, launcher, dialogs);

    // A window with an owner gets no task-bar button; one without is a tool window.
    QCOMPARE(owned->windowType(), Qt::Dialog);
    QCOMPARE(alone->windowType(), Qt::Tool);
    for (frmAbout *about : {owned.data(), alone.data()}) {
        QCOMPARE(about->windowTitle(), QStringLiteral("Snagwellのﾊﾞｰｼﾞｮﾝ情報"));
        QCOMPARE(about->lblTitle->text(), QStringLiteral("Snagwell"));
        // The number comes from the project's version.
        QCOMPARE(about->lblVersion->text(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ 2.0.4"));
        QCOMPARE(about->cmdOK->text(), QStringLiteral("OK"));
        QCOMPARE(about->cmdSysInfo->text(), QStringLiteral("ｼｽﾃﾑ情報(&S)..."));
        QCOMPARE(about->Line1->frameShape(), QFrame::HLine);
        QCOMPARE(about->Line1->frameShadow(), QFrame::Sunken);

        about->show();
        QVERIFY(QTest::qWaitForWindowExposed(about));
        QVERIFY(!about->isModal());
        QVERIFY(!(about->windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(about->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(about->windowFlags() & Qt::WindowCloseButtonHint);
        QCOMPARE(about->minimumSize(), about->maximumSize());
        QVERIFY(about->cmdOK->isDefault());
        QVERIFY(about->cmdSysInfo->geometry().top() > about->cmdOK->geometry().bottom());
    }
    delete alone;
}

void TestAbout::versionText_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("text");
    QTest::newRow("plain") << QStringLiteral("2.0.4") << QStringLiteral("ﾊﾞｰｼﾞｮﾝ 2.0.4");
    QTest::newRow("leading zeros dropped")
        << QStringLiteral("02.00.040") << QStringLiteral("ﾊﾞｰｼﾞｮﾝ 2.0.40");
}

void TestAbout::versionText()
{
    QFETCH(QString, version);
    QFETCH(QString, text);
    QCOMPARE(snagwell::versionText(version), text);
}

void TestAbout::closes_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("Enter") << 0;
    QTest::newRow("Esc") << 1;
    QTest::newRow("OK clicked") << 2;
    QTest::newRow("close box") << 3;
}

void TestAbout::closes()
{
    QFETCH(int, how);
    NoRegistry registry;
    RecordingLauncher launcher;
    ScriptedDialogs dialogs;
    QPointer<frmAbout> about = new frmAbout(registry, launcher, dialogs);
    about->show();
    QVERIFY(QTest::qWaitForWindowExposed(about));
    about->activateWindow();

    switch (how) {
    case 0:
        QTest::keyClick(about, Qt::Key_Return);
        break;
    case 1:
        QTest::keyClick(about, Qt::Key_Escape);
        break;
    case 2:
        QTest::mouseClick(about->cmdOK, Qt::LeftButton);
        break;
    default:
        about->close();
        break;
    }

    // Closing unloads the window, whichever way it is closed.
    QTRY_VERIFY(about.isNull());
    QVERIFY(launcher.started().isEmpty());
    QVERIFY(dialogs.shown().isEmpty());
}

void TestAbout::getKeyValue_data()
{
    QTest::addColumn<bool>("keyExists");
    QTest::addColumn<quint32>("allowed");
    QTest::addColumn<quint32>("type");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("value");

    const quint32 all = 0xFFFFFFFFu;
    QTest::newRow("text with its terminating zero")
        << true << all << registry::typeSz << sz(QStringLiteral("C:\\Tools\\msinfo32.exe")) << true
        << QStringLiteral("C:\\Tools\\msinfo32.exe");
    QTest::newRow("text without terminating zero")
        << true << all << registry::typeSz << QByteArray("C:\\x") << true
        << QStringLiteral("C:\\x");
    QTest::newRow("only one zero is cut")
        << true << all << registry::typeSz << QByteArray("ab\0\0", 4) << true
        << QString::fromLatin1("ab\0", 3);
    QTest::newRow("text in the ANSI code page")
        << true << all << registry::typeSz << sz(QStringLiteral("D:\\ﾂｰﾙ\\情報")) << true
        << QStringLiteral("D:\\ﾂｰﾙ\\情報");
    QTest::newRow("number, most significant byte first")
        << true << all << registry::typeDword << QByteArray("\x78\x56\x34\x12", 4) << true
        << QStringLiteral("&h12345678");
    QTest::newRow("other type leaves the value as it was")
        << true << all << registry::typeExpandSz << sz(QStringLiteral("%SystemRoot%")) << true
        << QStringLiteral("as before");
    QTest::newRow("longest value that fits the buffer")
        << true << all << registry::typeSz << QByteArray(1024, 'a') << true
        << QString(1024, QLatin1Char('a'));
    QTest::newRow("value too long for the buffer")
        << true << all << registry::typeSz << QByteArray(1025, 'a') << false << QString();
    QTest::newRow("value missing") << true << all << 0u << QByteArray() << false << QString();
    QTest::newRow("key missing") << false << all << registry::typeSz << sz(QStringLiteral("x"))
                                 << false << QString();
    QTest::newRow("key open for reading only") << true << registry::keyRead << registry::typeSz
                                               << sz(QStringLiteral("x")) << false << QString();
}

void TestAbout::getKeyValue()
{
    QFETCH(bool, keyExists);
    QFETCH(quint32, allowed);
    QFETCH(quint32, type);
    QFETCH(QByteArray, data);
    QFETCH(bool, found);
    QFETCH(QString, value);

    MapRegistry registry;
    if (keyExists) {
        if (type != 0)
            registry.setValue(registry::localMachine, pathKey, QStringLiteral("PATH"),
                              {type, data});
        else
            registry.setValue(registry::localMachine, pathKey, QStringLiteral("OTHER"),
                              {registry::typeSz, sz(QStringLiteral("x"))});
        registry.restrictAccess(registry::localMachine, pathKey, allowed);
    }
    RecordingLauncher launcher;
    ScriptedDialogs dialogs;
    QPointer<frmAbout> about = new frmAbout(registry, launcher, dialogs);

    QString KeyVal = QStringLiteral("as before");
    // Key and value names are found whatever their letter case.
    QCOMPARE(about->GetKeyValue(registry::localMachine, pathKey.toLower(), QStringLiteral("path"),
                                KeyVal),
             found);
    QCOMPARE(KeyVal, value);
    QCOMPARE(registry.openKeyCount(), 0);
    delete about;
}

void TestAbout::startSysInfo_data()
{
    QTest::addColumn<QString>("pathValue");
    QTest::addColumn<quint32>("pathType");
    QTest::addColumn<QString>("folderValue");
    QTest::addColumn<QString>("existingFile");
    QTest::addColumn<bool>("launcherFails");
    QTest::addColumn<bool>("readOnlyKeys");
    QTest::addColumn<QStringList>("started");
    QTest::addColumn<bool>("message");

    // "@" stands for the test's temporary folder.
    const QString none;
    QTest::newRow("path started without checking that it exists")
        << QStringLiteral("@/missing/msinfo32.exe") << registry::typeSz
        << QStringLiteral("@/folder") << none << false << false
        << QStringList{QStringLiteral("@/missing/msinfo32.exe")} << false;
    QTest::newRow("path that fails to start")
        << QStringLiteral("@/msinfo32.exe") << registry::typeSz << none << none << true << false
        << QStringList{QStringLiteral("@/msinfo32.exe")} << true;
    QTest::newRow("folder joined with the program's name")
        << none << 0u << QStringLiteral("@/tools") << QStringLiteral("tools\\MSINFO32.EXE") << false
        << false << QStringList{QStringLiteral("@/tools\\MSINFO32.EXE")} << false;
    QTest::newRow("folder ending in a backslash gets a second one")
        << none << 0u << QStringLiteral("@/tools\\") << QStringLiteral("tools\\\\MSINFO32.EXE")
        << false << false << QStringList{QStringLiteral("@/tools\\\\MSINFO32.EXE")} << false;
    QTest::newRow("folder without the program")
        << none << 0u << QStringLiteral("@/tools") << QStringLiteral("tools\\msinfo32.exe") << false
        << false << QStringList() << true;
    QTest::newRow("program in the folder fails to start")
        << none << 0u << QStringLiteral("@/tools") << QStringLiteral("tools\\MSINFO32.EXE") << true
        << false << QStringList{QStringLiteral("@/tools\\MSINFO32.EXE")} << true;
    QTest::newRow("path of another type is found but empty")
        << QStringLiteral("@/msinfo32.exe") << registry::typeExpandSz << QStringLiteral("@/tools")
        << QStringLiteral("tools\\MSINFO32.EXE") << false << false << QStringList{QString()}
        << true;
    QTest::newRow("keys that refuse the access asked for")
        << QStringLiteral("@/msinfo32.exe") << registry::typeSz << QStringLiteral("@/tools")
        << QStringLiteral("tools\\MSINFO32.EXE") << false << true << QStringList() << true;
    QTest::newRow("neither key") << none << 0u << none << none << false << false << QStringList()
                                 << true;
}

void TestAbout::startSysInfo()
{
    QFETCH(QString, pathValue);
    QFETCH(quint32, pathType);
    QFETCH(QString, folderValue);
    QFETCH(QString, existingFile);
    QFETCH(bool, launcherFails);
    QFETCH(bool, readOnlyKeys);
    QFETCH(QStringList, started);
    QFETCH(bool, message);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto inDir = [&dir](QString text) {
        return text.replace(QStringLiteral("@"), dir.path());
    };
    if (!existingFile.isEmpty())
        touch(dir.filePath(existingFile));

    MapRegistry registry;
    if (!pathValue.isEmpty())
        registry.setValue(registry::localMachine, pathKey, QStringLiteral("PATH"),
                          {pathType, sz(inDir(pathValue))});
    if (!folderValue.isEmpty())
        registry.setValue(registry::localMachine, locationKey, QStringLiteral("MSINFO"),
                          {registry::typeSz, sz(inDir(folderValue))});
    if (readOnlyKeys) {
        registry.restrictAccess(registry::localMachine, pathKey, registry::keyRead);
        registry.restrictAccess(registry::localMachine, locationKey, registry::keyRead);
    }
    RecordingLauncher launcher;
    launcher.failStarts(launcherFails);
    ScriptedDialogs dialogs;
    QPointer<frmAbout> about = new frmAbout(registry, launcher, dialogs);

    about->StartSysInfo();

    QStringList expected;
    for (const QString &program : std::as_const(started))
        expected.append(inDir(program));
    QCOMPARE(launcher.started(), expected);
    if (message) {
        QCOMPARE(dialogs.shown().size(), 1);
        QCOMPARE(dialogs.shown().at(0).kind, ScriptedDialogs::Kind::Notice);
        QCOMPARE(dialogs.shown().at(0).text, unavailable);
        QCOMPARE(dialogs.shown().at(0).title, QStringLiteral("Snagwell"));
    } else {
        QVERIFY(dialogs.shown().isEmpty());
    }
    QCOMPARE(registry.openKeyCount(), 0);
    delete about;
}

void TestAbout::sysInfoButtonWithoutRegistryShowsTheMessage()
{
    NoRegistry registry;
    RecordingLauncher launcher;
    ScriptedDialogs dialogs;
    QPointer<frmAbout> about = new frmAbout(registry, launcher, dialogs);
    about->show();
    QVERIFY(QTest::qWaitForWindowExposed(about));

    QTest::mouseClick(about->cmdSysInfo, Qt::LeftButton);

    QVERIFY(launcher.started().isEmpty());
    QCOMPARE(dialogs.texts(), QStringList{unavailable});
    QVERIFY(!about.isNull());
    delete about;
}

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
