#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "naming/naming.h"
#include "platform/systemnames.h"

using namespace snagwell;

namespace {

const QString pcMode = QStringLiteral("PC名");
const QString userMode = QStringLiteral("ﾕｰｻﾞｰ名");
const QString pcUserMode = QStringLiteral("PC名+ﾕｰｻﾞｰ名");
const QString registeredMode = QStringLiteral("登録名");

// Entries ending in '/' are made as folders, "name -> target" as links, the
// others as small files.
void populate(const QString &folder, const QStringList &entries)
{
    for (const QString &entry : entries) {
        const QString path = folder + QLatin1Char('/') + entry;
        const qsizetype arrow = entry.indexOf(QStringLiteral(" -> "));
        if (arrow >= 0) {
            QVERIFY(QFile::link(entry.mid(arrow + 4), path.left(folder.size() + 1 + arrow)));
        } else if (entry.endsWith(QLatin1Char('/'))) {
            QVERIFY2(QDir().mkdir(path), qPrintable(path));
        } else {
            QFile file(path);
            QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
            file.write("x");
        }
    }
}

} // namespace

class TestNaming final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void headerModeTextsAreInListOrder();
    void fileNameHeader_data();
    void fileNameHeader();
    void currentFolderPath_data();
    void currentFolderPath();
    void nextFreeFileName_data();
    void nextFreeFileName();
    void nameIsScannedAfreshOnEveryCall();
    void capturePathStaysInTheFolder_data();
    void capturePathStaysInTheFolder();
    void rootFolderGivesOneSeparator();
};

void TestNaming::headerModeTextsAreInListOrder()
{
    QCOMPARE(headerModeTexts(), (QStringList{pcMode, userMode, pcUserMode, registeredMode}));
    QCOMPARE(headerModeText(HeaderMode::Registered), registeredMode);
}

void TestNaming::fileNameHeader_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("regName");
    QTest::addColumn<QString>("computer");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("header");

    const QString office = QStringLiteral("OFFICE-PC");
    const QString user1 = QStringLiteral("user1");
    QTest::newRow("computer") << pcMode << QString() << office << user1 << office;
    QTest::newRow("user") << userMode << QString() << office << user1 << user1;
    QTest::newRow("both, no separator") << pcUserMode << QString() << QStringLiteral("A")
                                        << QStringLiteral("b") << QStringLiteral("Ab");
    QTest::newRow("registered, blanks trimmed")
        << registeredMode << QStringLiteral("  会議 ") << office << user1 << QStringLiteral("会議");
    QTest::newRow("registered, ideographic blanks trimmed")
        << registeredMode << QStringLiteral("\u3000会 議\u3000") << office << user1
        << QStringLiteral("会 議");
    QTest::newRow("registered name kept as typed otherwise")
        << registeredMode << QStringLiteral("a/b:c") << office << user1 << QStringLiteral("a/b:c");
    QTest::newRow("no mode chosen")
        << QString() << QStringLiteral("x") << office << user1 << QString();
    QTest::newRow("full-width katakana is another text")
        << QStringLiteral("ユーザー名") << QString() << office << user1 << QString();
    QTest::newRow("unreadable computer name shortens the header")
        << pcUserMode << QString() << QString() << user1 << user1;
}

void TestNaming::fileNameHeader()
{
    QFETCH(QString, mode);
    QFETCH(QString, regName);
    QFETCH(QString, computer);
    QFETCH(QString, user);
    QFETCH(QString, header);
    const FixedSystemNames names(computer, user);
    QCOMPARE(FileNameHeader(mode, regName, names), header);
}

void TestNaming::currentFolderPath_data()
{
    QTest::addColumn<QString>("fileListPath");
    QTest::addColumn<QString>("current");
    QTest::newRow("root") << QStringLiteral("/") << QString();
    QTest::newRow("folder") << QStringLiteral("/a/SWData") << QStringLiteral("/a/SWData");
    QTest::newRow("one trailing separator dropped")
        << QStringLiteral("/a/SWData/") << QStringLiteral("/a/SWData");
}

void TestNaming::currentFolderPath()
{
    QFETCH(QString, fileListPath);
    QFETCH(QString, current);
    QCOMPARE(CurrentFolderPath(fileListPath), current);
}

void TestNaming::nextFreeFileName_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("regName");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("expected");

    const auto files = [](std::initializer_list<const char *> names) {
        QStringList list;
        for (const char *name : names)
            list.append(QString::fromUtf8(name));
        return list;
    };
    const auto pc = [&](const char *name, std::initializer_list<const char *> names,
                        const char *expected) {
        QTest::newRow(name) << pcMode << QString() << files(names) << QString::fromUtf8(expected);
    };
    const auto registered = [&](const char *name, const char *regName,
                                std::initializer_list<const char *> names, const char *expected) {
        QTest::newRow(name) << registeredMode << QString::fromUtf8(regName) << files(names)
                            << QString::fromUtf8(expected);
    };

    // The computer is OFFICE-PC and the user user1 throughout.
    pc("empty folder", {}, "OFFICE-PC001");
    QTest::newRow("user, empty folder") << userMode << QString() << QStringList() << "user1001";
    QTest::newRow("both, empty folder")
        << pcUserMode << QString() << QStringList() << "OFFICE-PCuser1001";
    registered("registered name with blanks", "  会議  ", {}, "会議001");
    pc("one sequence for all types, gaps not reused",
       {"OFFICE-PC001.txt", "OFFICE-PC002.bmp", "OFFICE-PC005.jpg"}, "OFFICE-PC006");
    pc("files of other headers do not count", {"user1007.txt", "OFFICE-PC002.png"}, "OFFICE-PC003");
    pc("name shorter than the header", {"OFFICE.txt", "OFFICE-P"}, "OFFICE-PC001");
    pc("point and tx after the header", {"OFFICE-PC.txt"}, "OFFICE-PC001");
    pc("folders do not count", {"OFFICE-PC050/"}, "OFFICE-PC001");
    pc("name without extension counts", {"OFFICE-PC004"}, "OFFICE-PC005");
    pc("dangling link takes its number", {"OFFICE-PC005.txt -> /nonexistent/x"}, "OFFICE-PC006");

    registered("longer header: letters follow", "PC01", {"PC01user001.txt"}, "PC01001");
    registered("longer header: digits follow", "PC", {"PC01001.txt"}, "PC011");
    registered("lower case does not match", "PC01", {"pc01007.txt"}, "PC01001");
    registered("exact header only", "PC01", {"PC01.txt"}, "PC01001");
    QTest::newRow("empty header: any leading number")
        << QString() << QString() << files({"123abc.txt"}) << "124";

    // The three characters after the header, read as a number.
    registered("leading zeros", "PC", {"PC007.txt"}, "PC008");
    registered("digits then a point", "PC", {"PC12.txt"}, "PC013");
    registered("a blank then digits", "PC", {"PC 42.txt"}, "PC043");
    registered("digits then a blank", "PC", {"PC42 x.txt"}, "PC043");
    registered("letters are no number", "PC", {"PCuse.txt"}, "PC001");
    registered("point and letters are no number", "PC", {"PC.tx"}, "PC001");
    registered("1.5 rounds up to 2", "PC", {"PC1.5.txt"}, "PC003");
    registered("2.5 rounds to even 2", "PC", {"PC2.5.txt"}, "PC003");
    registered("3.5 rounds to even 4", "PC", {"PC3.5.txt"}, "PC005");
    registered("0.5 rounds to 0", "PC", {"PC0.5.txt"}, "PC001");
    registered("a point alone is no number", "PC", {"PC . .txt"}, "PC001");
    registered("plus sign", "PC", {"PC+12.txt"}, "PC013");
    registered("minus sign never raises the number", "PC", {"PC-12.txt", "PC003.txt"}, "PC004");
    registered("no exponent", "PC", {"PC1e2.txt"}, "PC001");
    registered("no full-width digits", "PC", {"PC１２３.txt"}, "PC001");
    registered("two points are no number", "PC", {"PC1..txt"}, "PC001");

    // Past 999: the smallest free number from 1000 up.
    registered("999 taken", "PC", {"PC999.txt"}, "PC1000");
    registered("999 and 1000 taken", "PC", {"PC999.txt", "PC1000.jpg", "PC1001.txt"}, "PC1002");
    registered("gap above 999 reused", "PC", {"PC999.txt", "PC1001.txt"}, "PC1000");
    registered("longer number is not this one", "PC", {"PC999.txt", "PC10000.txt"}, "PC1000");
    registered("leading zero is another name", "PC", {"PC999.txt", "PC01000.txt"}, "PC1000");
    registered("folder named like the capture", "PC", {"PC999.txt", "PC1000.txt/"}, "PC1001");
    registered("998 still three digits", "PC", {"PC998.txt", "PC1005.txt"}, "PC999");

    // Headers that cannot stand in a file name as they are.
    registered("separator in the registered name", "a/b", {"a_b001.txt"}, "a_b002");
    registered("backslash and Windows characters", "a\\b:c*d?e\"f<g>h|i", {},
               "a_b_c_d_e_f_g_h_i001");
    registered("control characters",
               "a\tb\x01"
               "c",
               {}, "a_b_c001");
    registered("header of a point", ".", {}, "_001");
    registered("header of two points", "..", {}, "_.001");
    registered("hidden-looking header counts visible files", ".x", {".x009.txt", "_x005.txt"},
               "_x006");
}

void TestNaming::nextFreeFileName()
{
    QFETCH(QString, mode);
    QFETCH(QString, regName);
    QFETCH(QStringList, entries);
    QFETCH(QString, expected);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    populate(folder.path(), entries);
    const FixedSystemNames names(QStringLiteral("OFFICE-PC"), QStringLiteral("user1"));
    const QString header = FileNameHeader(mode, regName, names);

    QCOMPARE(NextFreeFileName(folder.path(), header), expected);
    QCOMPARE(NextTextFilePath(folder.path(), header),
             folder.path() + QLatin1Char('/') + expected + QStringLiteral(".txt"));
}

void TestNaming::nameIsScannedAfreshOnEveryCall()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString header = QStringLiteral("user1");
    const QString first = NextCapturePath(folder.path(), header);
    QCOMPARE(NextCapturePath(folder.path(), header), first);

    populate(folder.path(), {QStringLiteral("user1001.bmp")});
    QCOMPARE(NextCapturePath(folder.path(), header), folder.path() + QStringLiteral("/user1002"));
}

void TestNaming::capturePathStaysInTheFolder_data()
{
    QTest::addColumn<QString>("regName");
    QTest::newRow("parent") << QStringLiteral("../x");
    QTest::newRow("absolute") << QStringLiteral("/etc/x");
    QTest::newRow("points") << QStringLiteral("..");
    QTest::newRow("backslash parent") << QStringLiteral("..\\x");
}

void TestNaming::capturePathStaysInTheFolder()
{
    QFETCH(QString, regName);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const FixedSystemNames names(QStringLiteral("OFFICE-PC"), QStringLiteral("user1"));
    const QString path =
        NextTextFilePath(folder.path(), FileNameHeader(registeredMode, regName, names));

    const QFileInfo capture(path);
    QCOMPARE(capture.absolutePath(), QFileInfo(folder.path()).absoluteFilePath());
    QVERIFY2(!capture.fileName().startsWith(QLatin1Char('.')), qPrintable(path));
    QVERIFY2(!capture.fileName().contains(QLatin1Char('\\')), qPrintable(path));
}

void TestNaming::rootFolderGivesOneSeparator()
{
    const QString header = QStringLiteral("snagwell-test-header-not-in-root");
    QVERIFY(!QFileInfo::exists(QStringLiteral("/") + header + QStringLiteral("001.txt")));
    QCOMPARE(NextTextFilePath(CurrentFolderPath(QStringLiteral("/")), header),
             QStringLiteral("/") + header + QStringLiteral("001.txt"));
}

QTEST_GUILESS_MAIN(TestNaming)
#include "tst_naming.moc"
