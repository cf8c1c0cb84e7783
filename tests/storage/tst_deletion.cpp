#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>

#include <QTemporaryDir>
#include <QTest>

#include "platform/clock.h"
#include "storage/deletion.h"
#include "storagefixture.h"

using namespace snagwell;
using namespace snagwell::test;

namespace {

constexpr qint64 minute = 60;
constexpr qint64 hour = 60 * minute;
constexpr qint64 day = 24 * hour;

// Sets an entry's modification time (a link's own, not its target's).
void setAge(const QString &path, qint64 secondsBeforeNow)
{
    const qint64 when = testNow().toSecsSinceEpoch() - secondsBeforeNow;
    const timespec times[2] = {{time_t(when), 0}, {time_t(when), 0}};
    QVERIFY2(
        ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW) == 0,
        qPrintable(path));
}

// "path=seconds" pairs: how long before now each entry was last changed.
void setAges(const QString &base, const QStringList &ages)
{
    for (const QString &age : ages) {
        const qsizetype equals = age.lastIndexOf(QLatin1Char('='));
        setAge(base + QLatin1Char('/') + age.left(equals), age.mid(equals + 1).toLongLong());
    }
}

QString ageOf(const char *path, qint64 seconds)
{
    return QString::fromUtf8(path) + QLatin1Char('=') + QString::number(seconds);
}

} // namespace

class TestDeletion final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void daysToKeep_data();
    void daysToKeep();
    void deleteOldDayFolders_data();
    void deleteOldDayFolders();
};

void TestDeletion::daysToKeep_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("days"); // -1: no deletion
    QTest::newRow("never") << QStringLiteral("しない") << -1;
    QTest::newRow("7 days, leading blank") << QStringLiteral(" 7日前") << 7;
    QTest::newRow("30 days") << QStringLiteral("30日前") << 30;
    QTest::newRow("one digit without blank") << QStringLiteral("5日前") << 5;
    QTest::newRow("only two characters read") << QStringLiteral("365日前") << 36;
}

void TestDeletion::daysToKeep()
{
    QFETCH(QString, text);
    QFETCH(int, days);
    const std::optional<int> kept = DaysToKeep(text);
    QCOMPARE(kept.has_value(), days >= 0);
    if (kept)
        QCOMPARE(*kept, days);
    QCOMPARE(deleteFolderTexts(), (QStringList{QStringLiteral("しない"), QStringLiteral(" 7日前"),
                                               QStringLiteral("30日前")}));
}

void TestDeletion::deleteOldDayFolders_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QString>("browserAt");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("ages");
    QTest::addColumn<QStringList>("kept");
    QTest::addColumn<QStringList>("removed");
    const auto s = [](const char *text) { return QString::fromUtf8(text); };
    const QString week = QStringLiteral(" 7日前");
    const QString month = QStringLiteral("30日前");

    QTest::newRow("7 days, strictly older")
        << week << s("SWData")
        << QStringList{s("SWData/05Nov01/a.txt"), s("SWData/05Nov01/b.jpg"), s("SWData/05Nov08/"),
                       s("SWData/05Nov09/c.txt")}
        << QStringList{ageOf("SWData/05Nov01", 7 * day + minute), ageOf("SWData/05Nov08", 7 * day),
                       ageOf("SWData/05Nov09", 6 * day + 23 * hour)}
        << QStringList{s("SWData/05Nov08"), s("SWData/05Nov09/c.txt")}
        << QStringList{s("SWData/05Nov01")};
    QTest::newRow("30 days") << month << s("SWData")
                             << QStringList{s("SWData/05Oct01/a.txt"), s("SWData/05Oct16/"),
                                            s("SWData/05Nov01/")}
                             << QStringList{ageOf("SWData/05Oct01", 30 * day + 1),
                                            ageOf("SWData/05Oct16", 30 * day),
                                            ageOf("SWData/05Nov01", 14 * day)}
                             << QStringList{s("SWData/05Oct16"), s("SWData/05Nov01")}
                             << QStringList{s("SWData/05Oct01")};
    QTest::newRow("never") << s("しない") << s("SWData") << QStringList{s("SWData/05Jan01/a.txt")}
                           << QStringList{ageOf("SWData/05Jan01", 300 * day)}
                           << QStringList{s("SWData/05Jan01/a.txt")} << QStringList();
    QTest::newRow("browser outside a management folder")
        << week << s("work") << QStringList{s("work/05Jan01/a.txt"), s("SWData/05Jan01/b.txt")}
        << QStringList{ageOf("work/05Jan01", 300 * day), ageOf("SWData/05Jan01", 300 * day)}
        << QStringList{s("work/05Jan01/a.txt"), s("SWData/05Jan01/b.txt")} << QStringList();
    QTest::newRow("browser in MySWData")
        << week << s("MySWData") << QStringList{s("MySWData/05Jan01/a.txt")}
        << QStringList{ageOf("MySWData/05Jan01", 300 * day)}
        << QStringList{s("MySWData/05Jan01/a.txt")} << QStringList();
    QTest::newRow("browser in a day folder outside a management folder")
        << week << s("work/05Jan02") << QStringList{s("work/05Jan01/a.txt"), s("work/05Jan02/")}
        << QStringList{ageOf("work/05Jan01", 300 * day), ageOf("work/05Jan02", 300 * day)}
        << QStringList{s("work/05Jan01/a.txt"), s("work/05Jan02")} << QStringList();
    QTest::newRow("browser in an old day folder: it goes too")
        << week << s("SWData/05Jan02")
        << QStringList{s("SWData/05Jan01/a.txt"), s("SWData/05Jan02/b.txt"), s("SWData/05Nov15/")}
        << QStringList{ageOf("SWData/05Jan01", 300 * day), ageOf("SWData/05Jan02", 299 * day)}
        << QStringList{s("SWData/05Nov15")}
        << QStringList{s("SWData/05Jan01"), s("SWData/05Jan02")};
    QTest::newRow("bounds are never day folders")
        << week << s("SWData")
        << QStringList{s("SWData/00Apr01/a.txt"), s("SWData/99Sep30/a.txt"),
                       s("SWData/00Apr02/a.txt"), s("SWData/old/a.txt"), s("SWData/05Jan1/a.txt")}
        << QStringList{ageOf("SWData/00Apr01", 300 * day), ageOf("SWData/99Sep30", 300 * day),
                       ageOf("SWData/00Apr02", 300 * day), ageOf("SWData/old", 300 * day),
                       ageOf("SWData/05Jan1", 300 * day)}
        << QStringList{s("SWData/00Apr01/a.txt"), s("SWData/99Sep30/a.txt"), s("SWData/old/a.txt"),
                       s("SWData/05Jan1/a.txt")}
        << QStringList{s("SWData/00Apr02")};
    QTest::newRow("day-shaped file") << week << s("SWData") << QStringList{s("SWData/05Jan01")}
                                     << QStringList{ageOf("SWData/05Jan01", 300 * day)}
                                     << QStringList{s("SWData/05Jan01")} << QStringList();
    QTest::newRow("empty old day folder")
        << week << s("SWData") << QStringList{s("SWData/05Jan01/")}
        << QStringList{ageOf("SWData/05Jan01", 300 * day)} << QStringList()
        << QStringList{s("SWData/05Jan01")};
    QTest::newRow("read-only file stays, and its folder")
        << week << s("SWData")
        << QStringList{s("SWData/05Jan01/kept.txt !ro"), s("SWData/05Jan01/gone.txt")}
        << QStringList{ageOf("SWData/05Jan01", 300 * day)}
        << QStringList{s("SWData/05Jan01/kept.txt")} << QStringList{s("SWData/05Jan01/gone.txt")};
    QTest::newRow("subfolder stays, and its folder")
        << week << s("SWData")
        << QStringList{s("SWData/05Jan01/sub/kept.txt"), s("SWData/05Jan01/gone.txt")}
        << QStringList{ageOf("SWData/05Jan01/sub", 300 * day), ageOf("SWData/05Jan01", 300 * day)}
        << QStringList{s("SWData/05Jan01/sub/kept.txt")}
        << QStringList{s("SWData/05Jan01/gone.txt")};
    QTest::newRow("hidden file stays, and its folder")
        << week << s("SWData")
        << QStringList{s("SWData/05Jan01/.kept.tmp"), s("SWData/05Jan01/gone.txt")}
        << QStringList{ageOf("SWData/05Jan01", 300 * day)}
        << QStringList{s("SWData/05Jan01/.kept.tmp")} << QStringList{s("SWData/05Jan01/gone.txt")};
    QTest::newRow("the program's own left-over temporaries go with the folder")
        << week << s("SWData")
        << QStringList{s("SWData/05Jan01/.PC001.jpg.Ab12Cd"), s("SWData/05Jan01/.PC002.txt.x9Y8z7"),
                       s("SWData/05Jan01/PC001.bmp")}
        << QStringList{ageOf("SWData/05Jan01", 300 * day)} << QStringList()
        << QStringList{s("SWData/05Jan01")};
    QTest::newRow("link named like a day folder is not followed")
        << week << s("SWData")
        << QStringList{s("precious/a.txt"), s("precious/b.jpg"), s("SWData/05Jan01 -> precious")}
        << QStringList{ageOf("precious", 300 * day), ageOf("SWData/05Jan01", 300 * day)}
        << QStringList{s("SWData/05Jan01"), s("precious/a.txt"), s("precious/b.jpg")}
        << QStringList();
    QTest::newRow("links inside go, their targets stay")
        << week << s("SWData")
        << QStringList{s("precious/a.txt"), s("SWData/05Jan01/file -> precious/a.txt"),
                       s("SWData/05Jan01/folder -> precious"),
                       s("SWData/05Jan01/dangling -> missing")}
        << QStringList{ageOf("SWData/05Jan01", 300 * day)} << QStringList{s("precious/a.txt")}
        << QStringList{s("SWData/05Jan01")};
}

void TestDeletion::deleteOldDayFolders()
{
    QFETCH(QString, setting);
    QFETCH(QString, browserAt);
    QFETCH(QStringList, entries);
    QFETCH(QStringList, ages);
    QFETCH(QStringList, kept);
    QFETCH(QStringList, removed);

    QTemporaryDir base;
    QVERIFY(base.isValid());
    populate(base.path(), entries);
    setAges(base.path(), ages);
    const FixedClock clock(testNow());
    // As stopping the monitoring does it: nothing at all for "しない".
    if (const std::optional<int> days = DaysToKeep(setting))
        DeleteOldDayFolders(base.path() + QLatin1Char('/') + browserAt, *days, clock);

    for (const QString &entry : kept)
        QVERIFY2(present(base.path() + QLatin1Char('/') + entry), qPrintable(entry));
    for (const QString &entry : removed)
        QVERIFY2(!present(base.path() + QLatin1Char('/') + entry), qPrintable(entry));
    // The management folder itself is never touched.
    const bool hasManagementFolder =
        std::any_of(entries.cbegin(), entries.cend(), [](const QString &entry) {
            return entry.startsWith(QStringLiteral("SWData/"));
        });
    if (hasManagementFolder)
        QVERIFY(QFileInfo(base.path() + QStringLiteral("/SWData")).isDir());
}

int runDeletionTests(int argc, char **argv)
{
    TestDeletion tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_deletion.moc"
