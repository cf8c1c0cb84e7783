#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

#include "platform/clock.h"
#include "platform/dialogs.h"
#include "storage/dayfolders.h"
#include "storage/folderbuttons.h"
#include "storagefixture.h"

using namespace snagwell;
using namespace snagwell::test;

namespace {

const QString today = QStringLiteral("05Nov15");
const QString hasToday = QStringLiteral("選択したディレクトリには今日の日付フォルダがあります");
const QString atToday = QStringLiteral("今日の日付フォルダが選択されています");
const QString movedToToday = QStringLiteral("今日の日付フォルダに移動しました");
const QString goToManagement = QStringLiteral("管理フォルダに移動してから実行して下さい。");
const QString hasManagement = QStringLiteral("選択したディレクトリには管理フォルダがあります");
const QString atManagement = QStringLiteral("管理フォルダが選択されています");
const QString insideManagement = QStringLiteral("管理フォルダの中です");
// A question is written with "? " before its text.
const QString makeManagement =
    QStringLiteral("? 選択したディレクトリに管理フォルダを作成しますか？");

QString under(const QTemporaryDir &base, const QString &relative)
{
    return relative.isEmpty() ? base.path() : base.path() + QLatin1Char('/') + relative;
}

// The boxes shown, notices as their text and questions as "? " + text.
QStringList boxesShown(const ScriptedDialogs &dialogs)
{
    QStringList boxes;
    for (const ScriptedDialogs::Shown &box : dialogs.shown()) {
        const bool question = box.kind != ScriptedDialogs::Kind::Notice;
        boxes.append(question ? QStringLiteral("? ") + box.text : box.text);
    }
    return boxes;
}

void verifyFolders(const QTemporaryDir &base, const QStringList &made, const QStringList &notMade)
{
    for (const QString &folder : made)
        QVERIFY2(QFileInfo(under(base, folder)).isDir(), qPrintable(folder));
    for (const QString &entry : notMade)
        QVERIFY2(!present(under(base, entry)), qPrintable(entry));
}

} // namespace

class TestFolders final : public QObject
{
    Q_OBJECT

public:
    TestFolders() : m_clock(testNow()) {}

private Q_SLOTS:
    void todaysFolderName_data();
    void todaysFolderName();
    void isDayFolderName_data();
    void isDayFolderName();
    void pathTests_data();
    void pathTests();
    void entrySearch();
    void folderButtons_data();
    void folderButtons();
    void madeFoldersAreReadBeforeEntering();
    void setUpStorageFolders_data();
    void setUpStorageFolders();
    void setUpStorageFoldersInReadOnlyFolder();
    void enterTodaysFolderAtStartUp_data();
    void enterTodaysFolderAtStartUp();
    void enterTodaysFolderInReadOnlyManagementFolder();
    void failingSaveAtStartUpIsSkipped();

private:
    FixedClock m_clock;
};

void TestFolders::todaysFolderName_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("name");
    QTest::newRow("15 November 2005") << QDate(2005, 11, 15) << today;
    QTest::newRow("first day of 2000") << QDate(2000, 1, 1) << QStringLiteral("00Jan01");
    QTest::newRow("last day of 2099") << QDate(2099, 12, 31) << QStringLiteral("99Dec31");
    QTest::newRow("May, one-digit day") << QDate(2024, 5, 9) << QStringLiteral("24May09");
    QTest::newRow("September 2010") << QDate(2010, 9, 30) << QStringLiteral("10Sep30");
}

void TestFolders::todaysFolderName()
{
    QFETCH(QDate, date);
    QFETCH(QString, name);
    // The names stay English where the locale's months are Japanese.
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    const FixedClock clock(QDateTime(date, QTime(23, 59)));
    const QString made = TodaysFolderName(clock);
    QLocale::setDefault(before);
    QCOMPARE(made, name);
}

void TestFolders::isDayFolderName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("dayFolder");
    QTest::newRow("lower bound") << QStringLiteral("00Apr01") << false;
    QTest::newRow("upper bound") << QStringLiteral("99Sep30") << false;
    QTest::newRow("just above the lower bound") << QStringLiteral("00Apr02") << true;
    QTest::newRow("just below the upper bound") << QStringLiteral("99Sep29") << true;
    QTest::newRow("October sorts before September") << QStringLiteral("99Oct01") << true;
    QTest::newRow("below the bound by month") << QStringLiteral("00Apr00") << false;
    QTest::newRow("a day folder") << QStringLiteral("05Nov15") << true;
    QTest::newRow("six characters") << QStringLiteral("05Nov1") << false;
    QTest::newRow("eight characters") << QStringLiteral("05Nov155") << false;
    QTest::newRow("shape, not date") << QStringLiteral("05Xyz99") << true;
    QTest::newRow("management folder") << QStringLiteral("SWData") << false;
    QTest::newRow("letters sort above") << QStringLiteral("Desktop") << false;
    QTest::newRow("separator sorts below") << QStringLiteral("/SWData") << false;
    QTest::newRow("point") << QStringLiteral(".") << false;
    QTest::newRow("empty") << QString() << false;
}

void TestFolders::isDayFolderName()
{
    QFETCH(QString, name);
    QFETCH(bool, dayFolder);
    QCOMPARE(IsDayFolderName(name), dayFolder);
}

void TestFolders::pathTests_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("management");
    QTest::addColumn<bool>("inside");
    QTest::addColumn<bool>("atToday");
    QTest::addColumn<QString>("parent");

    QTest::newRow("management folder")
        << QStringLiteral("/d/SWData") << true << false << false << QStringLiteral("/d");
    QTest::newRow("management folder at the root")
        << QStringLiteral("/SWData") << true << false << false << QString();
    QTest::newRow("day folder") << QStringLiteral("/d/SWData/05Nov14") << false << true << false
                                << QStringLiteral("/d/SWData");
    QTest::newRow("today's folder") << QStringLiteral("/d/SWData/05Nov15") << false << true << true
                                    << QStringLiteral("/d/SWData");
    QTest::newRow("name ending in SWData")
        << QStringLiteral("/d/MySWData") << false << false << false << QStringLiteral("/d");
    QTest::newRow("inside MySWData") << QStringLiteral("/d/MySWData/x") << false << false << false
                                     << QStringLiteral("/d/MySWData");
    QTest::newRow("management folder with trailing separator")
        << QStringLiteral("/d/SWData/") << false << true << false << QStringLiteral("/d/SWData");
    QTest::newRow("today's name ending a longer name")
        << QStringLiteral("/d/x05Nov15") << false << false << true << QStringLiteral("/d");
    QTest::newRow("root") << QString() << false << false << false << QString();
    QTest::newRow("no separator") << QStringLiteral("SWData") << false << false << false
                                  << QString();
}

void TestFolders::pathTests()
{
    QFETCH(QString, path);
    QFETCH(bool, management);
    QFETCH(bool, inside);
    QFETCH(bool, atToday);
    QFETCH(QString, parent);
    QCOMPARE(IsManagementFolder(path), management);
    QCOMPARE(IsInsideManagementFolder(path), inside);
    QCOMPARE(IsAtTodaysFolder(path, m_clock), atToday);
    QCOMPARE(parentPath(path), parent);
}

void TestFolders::entrySearch()
{
    QTemporaryDir base;
    QVERIFY(base.isValid());
    populate(base.path(), {QStringLiteral("files/SWData"), QStringLiteral("files/05Nov15"),
                           QStringLiteral("folders/SWData/"), QStringLiteral("folders/05Nov15/"),
                           QStringLiteral("hidden/.SWData/"), QStringLiteral("hidden/.05Nov15/"),
                           QStringLiteral("cased/swdata/"), QStringLiteral("cased/05nov15/"),
                           QStringLiteral("others/SWData2/"), QStringLiteral("others/05Nov14/")});
    for (const char *folder : {"files", "folders"}) {
        QVERIFY(HasManagementFolder(under(base, QLatin1String(folder))));
        QVERIFY(HasTodaysFolder(under(base, QLatin1String(folder)), m_clock));
    }
    for (const char *folder : {"hidden", "cased", "others"}) {
        QVERIFY(!HasManagementFolder(under(base, QLatin1String(folder))));
        QVERIFY(!HasTodaysFolder(under(base, QLatin1String(folder)), m_clock));
    }
}

void TestFolders::folderButtons_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<QString>("end");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<bool>("fails");
    QTest::addColumn<QStringList>("made");
    QTest::addColumn<QStringList>("notMade");

    const QString todayButton = QStringLiteral("today");
    const QString managementButton = QStringLiteral("management");
    const auto row = [](const char *name, const QString &button, const QStringList &entries,
                        const char *start, const char *end, const QStringList &boxes,
                        bool fails = false, const QStringList &made = {},
                        const QStringList &notMade = {}, const QList<bool> &answers = {}) {
        QTest::newRow(name) << button << entries << QString::fromUtf8(start) << answers
                            << QString::fromUtf8(end) << boxes << fails << made << notMade;
    };
    const auto s = [](const char *text) { return QString::fromUtf8(text); };

    // "日付ﾌｫﾙﾀﾞ作成", row by row.
    row("today: today's folder in the current folder", todayButton, {s("SWData/05Nov15/")},
        "SWData", "SWData/05Nov15", {hasToday});
    row("today: today's folder in an ordinary folder", todayButton, {s("work/05Nov15/")}, "work",
        "work/05Nov15", {hasToday});
    row("today: today's name taken by a file", todayButton, {s("SWData/05Nov15")}, "SWData",
        "SWData", {hasToday}, true);
    row("today: standing in today's folder", todayButton, {s("SWData/05Nov15/")}, "SWData/05Nov15",
        "SWData/05Nov15", {atToday});
    row("today: another day, today's beside it", todayButton,
        {s("SWData/05Nov14/"), s("SWData/05Nov15/")}, "SWData/05Nov14", "SWData/05Nov15",
        {movedToToday});
    row("today: another day, today's missing", todayButton, {s("SWData/05Nov14/")},
        "SWData/05Nov14", "SWData/05Nov14", {}, false, {},
        {s("SWData/05Nov15"), s("SWData/05Nov14/05Nov15")});
    row("today: ordinary folder", todayButton, {s("work/")}, "work", "work", {goToManagement},
        false, {}, {s("work/05Nov15")});
    row("today: name ending in SWData", todayButton, {s("MySWData/")}, "MySWData", "MySWData",
        {goToManagement}, false, {}, {s("MySWData/05Nov15")});
    row("today: management folder", todayButton, {s("SWData/")}, "SWData", "SWData/05Nov15", {},
        false, {s("SWData/05Nov15")});
    row("today: management folder, creation fails", todayButton, {s("SWData/05Nov15 -> missing")},
        "SWData", "SWData", {}, true);

    // "管理ﾌｫﾙﾀﾞ作成", row by row.
    row("management: present", managementButton, {s("work/SWData/")}, "work", "work/SWData/05Nov15",
        {hasManagement}, false, {s("work/SWData/05Nov15")});
    row("management: present with today's", managementButton, {s("work/SWData/05Nov15/")}, "work",
        "work/SWData/05Nov15", {hasManagement});
    row("management: name taken by a file", managementButton, {s("work/SWData")}, "work", "work",
        {hasManagement}, true);
    row("management: standing in one", managementButton, {s("SWData/")}, "SWData", "SWData/05Nov15",
        {atManagement}, false, {s("SWData/05Nov15")});
    row("management: standing in one with today's", managementButton, {s("SWData/05Nov15/")},
        "SWData", "SWData/05Nov15", {atManagement});
    row("management: inside one", managementButton, {s("SWData/05Nov14/")}, "SWData/05Nov14",
        "SWData/05Nov14", {insideManagement}, false, {},
        {s("SWData/05Nov15"), s("SWData/05Nov14/SWData")});
    row("management: in today's folder", managementButton, {s("SWData/05Nov15/")}, "SWData/05Nov15",
        "SWData/05Nov15", {insideManagement});
    row("management: ordinary folder, Yes", managementButton, {s("work/")}, "work",
        "work/SWData/05Nov15", {makeManagement}, false, {s("work/SWData/05Nov15")}, {}, {true});
    row("management: ordinary folder, No", managementButton, {s("work/")}, "work", "work",
        {makeManagement}, false, {}, {s("work/SWData")}, {false});
    row("management: ordinary folder, creation fails", managementButton,
        {s("work/SWData -> missing")}, "work", "work", {makeManagement}, true, {}, {}, {true});
}

void TestFolders::folderButtons()
{
    QFETCH(QString, button);
    QFETCH(QStringList, entries);
    QFETCH(QString, start);
    QFETCH(QList<bool>, answers);
    QFETCH(QString, end);
    QFETCH(QStringList, boxes);
    QFETCH(bool, fails);
    QFETCH(QStringList, made);
    QFETCH(QStringList, notMade);

    QTemporaryDir base;
    QVERIFY(base.isValid());
    populate(base.path(), entries);
    TestFolderBrowser browser(under(base, start));
    ScriptedDialogs dialogs;
    for (bool answer : answers)
        dialogs.answer(answer);

    bool failed = false;
    try {
        if (button == QStringLiteral("today"))
            btnMakeTodayFolder_Click(browser, dialogs, m_clock);
        else
            btnMakeSWDataFolder_Click(browser, dialogs, m_clock);
    } catch (const Failure &failure) {
        failed = true;
        QVERIFY(!failure.description().isEmpty());
    }
    QCOMPARE(failed, fails);
    QCOMPARE(browser.folderPath(), under(base, end));
    QCOMPARE(boxesShown(dialogs), boxes);
    // Notices carry the program's title; the one question is Yes/No with
    // its own.
    for (const ScriptedDialogs::Shown &box : dialogs.shown()) {
        if (box.kind == ScriptedDialogs::Kind::Notice) {
            QCOMPARE(box.title, QStringLiteral("Snagwell"));
        } else {
            QCOMPARE(box.kind, ScriptedDialogs::Kind::YesNo);
            QCOMPARE(box.title, QStringLiteral("管理フォルダ作成"));
        }
    }
    verifyFolders(base, made, notMade);
}

void TestFolders::madeFoldersAreReadBeforeEntering()
{
    QTemporaryDir base;
    QVERIFY(base.isValid());
    TestFolderBrowser browser(base.path());
    ScriptedDialogs dialogs;
    btnMakeSWDataFolder_Click(browser, dialogs, m_clock);

    const QString management = under(base, QStringLiteral("SWData"));
    QCOMPARE(browser.events(),
             (QStringList{QStringLiteral("reread"), QStringLiteral("enter ") + management,
                          QStringLiteral("reread"),
                          QStringLiteral("enter ") + management + QLatin1Char('/') + today}));
}

void TestFolders::setUpStorageFolders_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("end");
    QTest::addColumn<bool>("fails");
    QTest::addColumn<QStringList>("made");
    QTest::addColumn<QStringList>("notMade");
    const auto s = [](const char *text) { return QString::fromUtf8(text); };

    // The browser starts in the temporary folder itself.
    QTest::newRow("fresh folder") << QStringList() << QString() << s("SWData/05Nov15") << false
                                  << QStringList{s("SWData/05Nov15")} << QStringList();
    QTest::newRow("trailing separator")
        << QStringList{s("work/")} << s("work/") << s("work/SWData/05Nov15") << false
        << QStringList{s("work/SWData/05Nov15")} << QStringList();
    QTest::newRow("management folder with today's")
        << QStringList{s("SWData/05Nov15/")} << QString() << s("SWData/05Nov15") << false
        << QStringList() << QStringList();
    QTest::newRow("management folder without today's")
        << QStringList{s("SWData/05Nov14/")} << QString() << s("SWData/05Nov15") << false
        << QStringList{s("SWData/05Nov15")} << QStringList();
    QTest::newRow("start-up folder is a management folder")
        << QStringList{s("SWData/")} << s("SWData") << QString() << false << QStringList()
        << QStringList{s("SWData/SWData"), s("SWData/05Nov15")};
    QTest::newRow("start-up folder is yesterday's day folder")
        << QStringList{s("SWData/05Nov14/")} << s("SWData/05Nov14") << QString() << false
        << QStringList() << QStringList{s("SWData/05Nov15"), s("SWData/05Nov14/SWData")};
    QTest::newRow("start-up folder named MySWData")
        << QStringList{s("MySWData/")} << s("MySWData") << s("MySWData/SWData/05Nov15") << false
        << QStringList{s("MySWData/SWData/05Nov15")} << QStringList{s("MySWData/05Nov15")};
    QTest::newRow("management name taken by a dangling link")
        << QStringList{s("SWData -> missing")} << QString() << QString() << true << QStringList()
        << QStringList();
    QTest::newRow("management name taken by a file")
        << QStringList{s("SWData")} << QString() << QString() << true << QStringList()
        << QStringList();
    QTest::newRow("today's name taken by a dangling link")
        << QStringList{s("SWData/05Nov15 -> missing")} << QString() << s("SWData") << true
        << QStringList() << QStringList();
}

void TestFolders::setUpStorageFolders()
{
    QFETCH(QStringList, entries);
    QFETCH(QString, folder);
    QFETCH(QString, end);
    QFETCH(bool, fails);
    QFETCH(QStringList, made);
    QFETCH(QStringList, notMade);

    QTemporaryDir base;
    QVERIFY(base.isValid());
    populate(base.path(), entries);
    TestFolderBrowser browser(base.path());
    ScriptedDialogs dialogs;
    const QString startUpFolder =
        folder.isEmpty() ? base.path() : base.path() + QLatin1Char('/') + folder;

    bool failed = false;
    try {
        SetUpStorageFolders(startUpFolder, browser, dialogs, m_clock);
    } catch (const Failure &) {
        failed = true;
    }
    QCOMPARE(failed, fails);
    QCOMPARE(browser.folderPath(), under(base, end));
    QCOMPARE(dialogs.texts(), QStringList());
    verifyFolders(base, made, notMade);
}

void TestFolders::setUpStorageFoldersInReadOnlyFolder()
{
    QTemporaryDir base;
    QVERIFY(base.isValid());
    const QString folder = under(base, QStringLiteral("readonly"));
    QVERIFY(QDir().mkdir(folder));
    const bool readOnly = makeReadOnly(folder);
    const auto restore = qScopeGuard([&] { makeWritable(folder); });
    if (!readOnly)
        QSKIP("this user writes into read-only folders; the dangling-link rows cover a failing "
              "creation");

    TestFolderBrowser browser(base.path());
    ScriptedDialogs dialogs;
    QVERIFY_THROWS_EXCEPTION(Failure, SetUpStorageFolders(folder, browser, dialogs, m_clock));
    QCOMPARE(browser.folderPath(), base.path());
    QVERIFY(dialogs.shown().isEmpty());
}

void TestFolders::enterTodaysFolderAtStartUp_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QStringList>("refused");
    QTest::addColumn<QString>("end");
    QTest::addColumn<int>("saves");
    QTest::addColumn<QStringList>("notMade");
    const auto s = [](const char *text) { return QString::fromUtf8(text); };
    const QStringList none;

    QTest::newRow("fresh folder") << none << QString() << none << QString() << 0
                                  << QStringList{s("SWData"), s("05Nov15")};
    QTest::newRow("folder holding a management folder")
        << QStringList{s("SWData/")} << QString() << none << s("SWData/05Nov15") << 1 << none;
    QTest::newRow("folder holding management and today's")
        << QStringList{s("SWData/05Nov15/")} << QString() << none << s("SWData/05Nov15") << 0
        << none;
    QTest::newRow("management folder")
        << QStringList{s("SWData/")} << s("SWData") << none << s("SWData/05Nov15") << 1 << none;
    QTest::newRow("yesterday's day folder")
        << QStringList{s("SWData/05Nov14/")} << s("SWData/05Nov14") << none << s("SWData/05Nov15")
        << 1 << QStringList{s("SWData/05Nov14/05Nov15")};
    QTest::newRow("yesterday's day folder, today's there")
        << QStringList{s("SWData/05Nov14/"), s("SWData/05Nov15/")} << s("SWData/05Nov14") << none
        << s("SWData/05Nov15") << 0 << none;
    QTest::newRow("today's day folder") << QStringList{s("SWData/05Nov15/")} << s("SWData/05Nov15")
                                        << none << s("SWData/05Nov15") << 0 << none;
    QTest::newRow("folder named MySWData") << QStringList{s("MySWData/")} << s("MySWData") << none
                                           << s("MySWData/05Nov15") << 1 << none;
    QTest::newRow("day folder in an ordinary folder")
        << QStringList{s("work/05Nov14/")} << s("work/05Nov14") << none << s("work") << 0
        << QStringList{s("work/05Nov15"), s("work/SWData")};
    QTest::newRow("day folder beside a management folder")
        << QStringList{s("work/05Nov14/"), s("work/SWData/")} << s("work/05Nov14") << none
        << s("work/SWData/05Nov15") << 1 << none;
    QTest::newRow("today's name taken by a dangling link")
        << QStringList{s("SWData/05Nov15 -> missing")} << s("SWData") << none << s("SWData") << 0
        << none;
    QTest::newRow("today's name taken by a file")
        << QStringList{s("SWData/05Nov15")} << s("SWData") << none << s("SWData") << 0 << none;
    QTest::newRow("management name taken by a file")
        << QStringList{s("SWData")} << QString() << none << QString() << 0 << none;
    QTest::newRow("parent cannot be entered, next step still runs")
        << QStringList{s("SWData/05Nov14/")} << s("SWData/05Nov14") << QStringList{s("SWData")}
        << s("SWData/05Nov15") << 1 << none;
}

void TestFolders::enterTodaysFolderAtStartUp()
{
    QFETCH(QStringList, entries);
    QFETCH(QString, start);
    QFETCH(QStringList, refused);
    QFETCH(QString, end);
    QFETCH(int, saves);
    QFETCH(QStringList, notMade);

    QTemporaryDir base;
    QVERIFY(base.isValid());
    populate(base.path(), entries);
    TestFolderBrowser browser(under(base, start));
    for (const QString &folder : refused)
        browser.refuse(under(base, folder));

    int saved = 0;
    QString savedAt;
    EnterTodaysFolderAtStartUp(browser, m_clock, [&] {
        ++saved;
        savedAt = browser.folderPath();
    });
    QCOMPARE(browser.folderPath(), under(base, end));
    QCOMPARE(saved, saves);
    if (saves > 0)
        QCOMPARE(savedAt, under(base, end));
    verifyFolders(base, {}, notMade);
}

void TestFolders::enterTodaysFolderInReadOnlyManagementFolder()
{
    QTemporaryDir base;
    QVERIFY(base.isValid());
    populate(base.path(), {QStringLiteral("SWData/05Nov14/")});
    const QString management = under(base, QStringLiteral("SWData"));
    const bool readOnly = makeReadOnly(management);
    const auto restore = qScopeGuard([&] { makeWritable(management); });
    if (!readOnly)
        QSKIP("this user writes into read-only folders; the dangling-link rows cover a failing "
              "creation");

    TestFolderBrowser browser(management + QStringLiteral("/05Nov14"));
    int saved = 0;
    EnterTodaysFolderAtStartUp(browser, m_clock, [&] { ++saved; });
    QCOMPARE(browser.folderPath(), management);
    QCOMPARE(saved, 0);
    QVERIFY(!present(management + QLatin1Char('/') + today));
}

void TestFolders::failingSaveAtStartUpIsSkipped()
{
    QTemporaryDir base;
    QVERIFY(base.isValid());
    populate(base.path(), {QStringLiteral("SWData/")});
    TestFolderBrowser browser(base.path());
    EnterTodaysFolderAtStartUp(browser, m_clock,
                               [] { throw Failure(QStringLiteral("settings not written")); });
    QCOMPARE(browser.folderPath(), under(base, QStringLiteral("SWData/05Nov15")));
}

int runFolderTests(int argc, char **argv)
{
    TestFolders tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_folders.moc"
