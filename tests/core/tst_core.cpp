// The rules of snagwell_core, on values and on real folders.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

#include <QDirIterator>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

#include "core/ansicodepage.h"
#include "core/capturefiles.h"
#include "core/dayfolders.h"
#include "core/deletion.h"
#include "core/failure.h"
#include "core/naming.h"
#include "core/numbers.h"
#include "core/preview.h"
#include "core/printerchoice.h"
#include "core/traytip.h"

using namespace snagwell;

namespace {

constexpr int refused = 7777; // a number line that does not read

// Tables of answers: each row names what one call must answer, then makes it.
using Answer = std::function<QVariant()>;

void answerColumns()
{
    QTest::addColumn<QVariant>("expected");
    QTest::addColumn<Answer>("answer");
}

void row(const char *name, const QVariant &expected, const Answer &answer)
{
    QTest::newRow(name) << expected << answer;
}

void compareAnswer()
{
    QFETCH(QVariant, expected);
    QFETCH(Answer, answer);
    QCOMPARE(answer(), expected);
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

// Every entry below a folder, hidden ones included, links not followed.
QStringList entriesBelow(const QString &folder)
{
    QStringList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        entries << it.next().mid(folder.size() + 1);
    entries.sort();
    return entries;
}

// "a/" a folder, "a -> t" a link to t, "a !ro" a read-only file, else a file holding "x".
void populate(const QString &base, const QStringList &entries)
{
    for (const QString &entry : entries) {
        const QString path = base + '/' + entry.section(' ', 0, 0);
        QDir().mkpath(QFileInfo(path).path());
        if (entry.contains(" -> "))
            QVERIFY(QFile::link(entry.section(" -> ", 1), path));
        else if (QFile file(path); !path.endsWith('/'))
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("x") == 1 &&
                    (!entry.endsWith(" !ro") || file.setPermissions(QFile::ReadOwner)));
    }
}

// The lines ('|' between them) each ended, in CP932 or as UTF-8 after a BOM.
QByteArray fileOf(const QString &lines, bool utf8 = false, const QString &end = "\r\n")
{
    const QString text = QString(lines).replace('|', end) + end;
    return utf8 ? utf8Bom + text.toUtf8() : toCp932(text).value();
}

// The settings file written after reading the bytes; it must read back the same.
QVariant rewritten(const QByteArray &file)
{
    const QStringList lines = splitSettingsLines(file);
    Settings settings, again;
    readSettings(lines, settings);
    const QByteArray written = settingsFileBytes(lines.first(), settings);
    readSettings(splitSettingsLines(written), again);
    const bool same = lines.size() == settingsLineCount && again == settings &&
                      splitSettingsLines(written).first() == lines.first();
    return same ? QVariant(written) : QVariant("read back otherwise");
}

// The next capture's name for the header in a folder holding the entries.
QVariant nameAmong(const QStringList &entries, const QString &header = "u")
{
    const QTemporaryDir dir;
    populate(dir.path(), entries);
    return nextCapturePath(currentFolderPath(dir.path() + '/'), header).mid(dir.path().size() + 1);
}

// What deleting old day folders removes; entries changed on the day they name.
QVariant removedBy(KeepDays keep, const QString &browserAt, const QStringList &entries)
{
    const QTemporaryDir dir;
    populate(dir.path(), entries);
    QStringList removed = entriesBelow(dir.path());
    for (const QString &entry : removed) {
        const QDate day = QDate::fromString("20" + entry.section('/', -1), "yyyyMMMdd");
        const QDateTime when(day.isValid() ? day : QDate(2000, 1, 1), QTime(10, 0),
                             QTimeZone::utc());
        const timespec times[2] = {{when.toSecsSinceEpoch(), 0}, {when.toSecsSinceEpoch(), 0}};
        const QByteArray path = QFile::encodeName(dir.filePath(entry));
        if (::utimensat(AT_FDCWD, path.constData(), times, AT_SYMLINK_NOFOLLOW) != 0)
            return "cannot age " + path;
    }
    if (const std::optional<int> days = daysToKeep(keep)) // as stopping the monitoring does
        deleteOldDayFolders(dir.filePath(browserAt), *days,
                            QDateTime(QDate(2026, 12, 7), QTime(10, 0), QTimeZone::utc()));
    for (const QString &entry : entriesBelow(dir.path()))
        removed.removeOne(entry);
    return removed;
}

// The tip's field with a registered name chosen unless empty.
QVariant tip(const QString &registered)
{
    Settings settings;
    settings.headerMode = HeaderMode::Registered;
    settings.registeredNames = QStringList{"x", registered};
    settings.registeredIndex = registered.isEmpty() ? -1 : 1;
    return trayTipField(trayTipText(settings, "snagwell"));
}

} // namespace

class TestCore final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The users' locale: nothing the program writes may depend on it.
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan)); }

    void settingsFile_data()
    {
        answerColumns();
        const QString full = "/h| 1 | 0 |登録名|会議,,客先| 2 |PNG|30日前|PDF| 1 |-150|300";
        const QString defaults = "/h| 0 | 0 |ﾕｰｻﾞｰ名||-1 |JPG| 7日前|| 0 ||";
        const auto same = [](const char *name, const QByteArray &file) {
            row(name, file, [=] { return rewritten(file); });
        };
        same("full file", fileOf(full));
        same("greyed ticks",
             fileOf("/| 2 | 2 |PC名+ﾕｰｻﾞｰ名|a,| 0 |JPEG|しない|Jet| 2 | 12.5 |top"));
        row("lone CRs", fileOf(full), [=] { return rewritten(fileOf(full, false, "\r")); });
        row("three lines set only theirs", fileOf("/h| 1 | 0 |" + defaults.section('|', 3)),
            [] { return rewritten(fileOf("/h| 1 | 0 ")); });
        row("garbage keeps the start-up values", fileOf(defaults),
            [] { return rewritten(fileOf("/h|abc| 3 |ユーザー名|| 1 |jpg|7日前||40000||")); });
        same("emoji: UTF-8", fileOf("/h| 0 | 0 |登録名|😀| 0 |" + defaults.section('|', 6), true));
        same("yen sign, a backslash in CP932", fileOf("/¥|" + defaults.section('|', 1), true));
        same("U+FEFF first",
             fileOf(QChar(0xFEFF) + QString("/h|") + defaults.section('|', 1), true));
        // A line break would end the first line early and shift every later one.
        for (const char *folder : {"/a\rb", "/a\r\nb"})
            row(folder, fileOf("|" + defaults.section('|', 1)),
                [folder] { return settingsFileBytes(folder, Settings()); });
        row("empty names line", QStringList{""}, [] { return splitRegisteredNames(""); });
    }
    void settingsFile() { compareAnswer(); }

    // The settings file is written whole or not at all.
    void wholeWrite_data()
    {
        answerColumns();
        row("onto a read-only file: refused, the file kept", "x|f", [] {
            const QTemporaryDir dir;
            populate(dir.path(), {"f !ro"});
            try {
                saveFileWhole(dir.filePath("f"), "new");
            } catch (const Failure &) {
            }
            return contents(dir.filePath("f")) + '|' + entriesBelow(dir.path()).join(',');
        });
        row("a private file stays private", true, [] {
            const QTemporaryDir dir;
            const QString file = dir.filePath("f");
            populate(dir.path(), {"f"});
            QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
            saveFileWhole(file, "new");
            return !(QFile::permissions(file) & (QFile::ReadGroup | QFile::ReadOther));
        });
        // One's own link as the settings file is read and written through;
        // another user's is refused on the real program.
        row("one's own link", "x new", [] {
            const QTemporaryDir dir;
            const QString file = dir.filePath("RAVuvivo.vov");
            populate(dir.path(), {"target", "RAVuvivo.vov -> " + dir.filePath("target")});
            const QString first =
                hasSettingsFile(dir.path()) ? readSettingsLines(file).first() : "";
            saveFileWhole(file, "new");
            return QFileInfo(file).isSymLink() ? first + ' ' + contents(dir.filePath("target"))
                                               : "";
        });
    }
    void wholeWrite() { compareAnswer(); }

    // One reader for the numbers of the settings file, the button window's
    // place and the running number; twips as pixels and back at a DPI.
    void numbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<int>("pixels");
        QTest::addColumn<int>("twips"); // the pixels back as twips
        const auto row = [](const char *text, int number, int dpi = 96, int pixels = 0,
                            int twips = 0) {
            QTest::newRow(text) << QString(text) << number << dpi << pixels << twips;
        };
        row("1500", 1500, 96, 100, 1500);
        row(" +7. ", 7, 96, 0, 0); // less than half a pixel
        row("29", 29, 97, 2, 30);
        row("-29", -29, 97, -2, -30); // left of the screen rounds alike
        row("2.5", 2);                // half to even
        row("3.5", 4);
        row("-2.50", -2);
        row("2.5000001", 3);
        row(".5", 0);
        row("99999999999", 1'000'000'000, 0, 66'666'667, 1'000'000'005); // no screen: 96 DPI
        for (const char *text : {"", " ", ".", "-", "1e3", "1.2.3", "1 2", "１", "0x10", "1,5"})
            row(text, refused);
    }
    void numbers()
    {
        QFETCH(QString, text);
        QFETCH(int, number);
        QCOMPARE(readNumber(text).value_or(refused), number);
        if (number != refused) {
            QFETCH(int, dpi);
            QTEST(twipsToPixels(number, dpi), "pixels");
            QTEST(pixelsToTwips(twipsToPixels(number, dpi), dpi), "twips");
        }
    }

    // Where a capture goes and what its file holds.
    void captures_data()
    {
        answerColumns();
        row("999 taken, 01000 another", "u1000", [] { return nameAmong({"u999", "u01000.txt"}); });
        row("hidden, empty header", "001", [] { return nameAmong({".999.txt.AbCdEf"}, ""); });
        row("dangling link", "u006", [] { return nameAmong({"u005.txt -> /nonexistent"}); });
        row("taken by a folder with any capture's extension", "u003", [] {
            return nameAmong({"u001.bmp/", "u002.jpeg/", "u004.png/"});
        });
        row("header cleaned", "a_b002", [] { return nameAmong({"a_b001.txt"}, "a/b"); });
        row("leading point cleaned", "_x001", [] { return nameAmong({".x009.txt"}, ".x"); });
        row("at the root", "/sw-none001",
            [] { return nextCapturePath(currentFolderPath("/"), "sw-none"); });
        row("blanks trimmed", "会 議",
            [] { return fileNameHeader(HeaderMode::Registered, "\u3000 会 議 ", "", ""); });
        // Others take the next name twice while "c" is stored.
        row("names taken meanwhile", QStringList{"u003", "u001.txt=x", "u002.txt=x", "u003.txt=c"},
            [] {
                const QTemporaryDir dir;
                int taken = 2;
                const auto next = [&] { return nextCapturePath(dir.path(), "u"); };
                const QString base = storeNewCapture(next, ".txt", [&](QIODevice &device) {
                    device.write("c");
                    if (taken-- > 0)
                        populate(dir.path(), {nextFreeFileName(dir.path(), "u") + ".txt"});
                });
                QStringList files{QFileInfo(base).fileName()};
                for (const QString &name : entriesBelow(dir.path()))
                    files << name + '=' + contents(dir.filePath(name));
                return files;
            });
        row("text: emoji in UTF-8", utf8Bom + QByteArray("\xF0\x9F\x98\x80\r\n"),
            [] { return textFileBytes("😀"); });
        row("text: yen sign in UTF-8", utf8Bom + QByteArray("\xC2\xA5\r\n"),
            [] { return textFileBytes("¥"); });
    }
    void captures() { compareAnswer(); }

    // Day folders: their names, where a capture goes once the date has
    // changed under the program, and deleting old ones as stopping the
    // monitoring does.
    void dayFolders_data()
    {
        answerColumns();
        // Shaped like a day folder (seven characters strictly between the
        // bounds), and of those the ones that name a real date.
        const QStringList names{"26Dec07", "24Feb29",  "99Sep29", "00Apr02", "25Feb29",
                                "26Feb30", "26Apr31",  "26Dec99", "26Dec00", "26xyz01",
                                "26dec07", "2020bak",  "1_notes", "x6Dec07", "00Apr01",
                                "99Sep30", "26Dec071", "26Dec7",  "２6Dec07"};
        const auto passing = [names](bool (*rule)(const QString &)) {
            QStringList passed;
            for (const QString &name : names)
                if (rule(name))
                    passed << name;
            return passed;
        };
        row("day-folder shape", names.mid(0, 13), [=] { return passing(isDayFolderName); });
        row("real dates", names.mid(0, 4), [=] { return passing(isDatedDayFolderName); });

        const QDate d7(2026, 12, 7), d8(2026, 12, 8);
        const auto after = [](const QString &folder, QDate last, QDate today) {
            return [=] { return QVariant(dayFolderAfterDateChange(folder, last, today)); };
        };
        row("date change: another day's folder stays", "", after("/h/SWData/26Dec01", d7, d8));
        row("date change: a day's name outside SWData", "", after("/h/notes/26Dec07", d7, d8));
        row("date change: a weekend later, at the root", "/SWData/26Dec10",
            after("/SWData/26Dec07", d7, QDate(2026, 12, 10)));

        row("deletion: strictly older than 7 days",
            QStringList{"SWData/26Nov29", "SWData/26Nov29/a"}, [] {
                return removedBy(KeepDays::Week, "SWData",
                                 {"SWData/26Nov29/a", "SWData/26Nov30/", "SWData/Desktop/"});
            });
        row("deletion: 30 days, from inside a day folder", QStringList{"SWData/26Nov06"}, [] {
            return removedBy(KeepDays::Month, "SWData/26Dec07",
                             {"SWData/26Nov06/", "SWData/26Nov07/", "SWData/26Dec07/"});
        });
        row("deletion: outside SWData", QStringList(),
            [] { return removedBy(KeepDays::Week, "MySWData", {"MySWData/05Jan01/"}); });
        row("deletion: only what is the program's goes",
            QStringList{"SWData/05Jan01/.u.txt.AbCd3f"}, [] {
                return removedBy(KeepDays::Week, "SWData",
                                 {"SWData/05Jan01/sub/", "SWData/05Jan01/ro !ro",
                                  "SWData/05Jan01/.h", "SWData/05Jan01/.u.txt.AbCd3f",
                                  "SWData/05Jan02 -> ../keep", "keep/a"});
            });
    }
    void dayFolders() { compareAnswer(); }

    // Start-up clears its stale temporaries (the real program shows it) but
    // spares those at work: changed since start-up began, or another user's.
    void staleTemporaries()
    {
        const QTemporaryDir dir;
        populate(dir.path(), {".u001.txt.AbCdEf", ".u002.txt.AbCdEf"});
        const bool root = ::geteuid() == 0; // only root can give a file away
        const QByteArray others = QFile::encodeName(dir.filePath(".u002.txt.AbCdEf"));
        QVERIFY(!root || ::chown(others.constData(), 65534, 65534) == 0);
        removeStaleTemporaries(dir.path(), QDateTime::currentDateTime().addSecs(-60));
        QCOMPARE(entriesBelow(dir.path()).size(), 2);
        removeStaleTemporaries(dir.path(), QDateTime::currentDateTime().addSecs(60));
        QCOMPARE(entriesBelow(dir.path()).join(""), root ? ".u002.txt.AbCdEf" : "");
    }

    // The tray tip is cut at 64 bytes, without the blanks that fill the field.
    void trayTip_data()
    {
        answerColumns();
        const QString a60(60, 'a'), c63(63, 'c'), k31c = QString(31, u'会') + 'c';
        row("cut at 64 bytes", a60 + "(sna", [=] { return tip(a60); });
        row("no half emoji", c63, [=] { return tip(c63 + "😀"); });
        row("no half emoji after kanji", k31c, [=] { return tip(k31c + "😀"); });
    }
    void trayTip() { compareAnswer(); }

    // What the browser's preview shows of a file.
    void preview_data()
    {
        answerColumns();
        row("TXT in capitals", int(PreviewKind::None), [] { return int(previewKindOf("A.TXT")); });
        row("cut to four", int(PreviewKind::Picture), [] { return int(previewKindOf("x.jpegx")); });
        row("file at the root", "/a.txt", [] { return joinFolderAndName("/", "a.txt"); });
        row("lone LF stays", "ab\ncd\r\n", [] { return previewText("ab\ncd"); });
        row("UTF-8 after a BOM", "会\r\n", [] { return previewText("\xEF\xBB\xBF\xE4\xBC\x9A"); });
    }
    void preview() { compareAnswer(); }

    // The printer chosen from the saved name.
    void printers_data()
    {
        answerColumns();
        const QStringList printers{"PDF", "Office", "OFFICE"};
        row("none saved, the last", 2, [=] { return chosenPrinterIndex(printers, ""); });
        row("gone", -1, [=] { return chosenPrinterIndex(printers, "Gone"); });
    }
    void printers() { compareAnswer(); }

    // The fuzzers' seeds: settings read back as read, previews end lines in CR LF.
    void fuzzCorpus_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        for (const char *fuzzer : {"fuzz_settings", "fuzz_previewtext"}) {
            const QDir corpus(SNAGWELL_FUZZ_CORPUS + QString("/") + fuzzer);
            QVERIFY2(!corpus.isEmpty(QDir::Files), qPrintable(corpus.path()));
            for (const QString &name : corpus.entryList(QDir::Files))
                QTest::newRow(qPrintable(fuzzer + ('/' + name))) << contents(corpus.filePath(name));
        }
    }

    void fuzzCorpus()
    {
        QFETCH(QByteArray, bytes);
        QCOMPARE(rewritten(bytes).metaType(), QMetaType::fromType<QByteArray>());
        QString shown = previewText(bytes);
        QVERIFY(shown.isEmpty() || shown.endsWith("\r\n"));
        QVERIFY(!shown.remove("\r\n").contains('\r'));
    }
};

QTEST_GUILESS_MAIN(TestCore)
#include "tst_core.moc"
