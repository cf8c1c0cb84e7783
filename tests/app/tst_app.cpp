// The running program without windows: the state and the services over the
// ports' doubles, in real folders.

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utime.h>

#include <thread>

#include <QtTest>

#include "app/failurerules.h"
#include "core/ansicodepage.h"
#include "core/dayfolders.h"
#include "core/naming.h"
#include "doubles/doubles.h"
#include "platform/abruptexit.h"

using namespace snagwell;
using namespace snagwell::testing;

namespace {

const QString today = "26Dec07";

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// The text files under a folder, by their paths from there.
QStringList textsIn(const QString &folder)
{
    QStringList found;
    QDirIterator it(folder, {"*.txt"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        found << it.next().mid(folder.size() + 1);
    found.sort();
    return found;
}

void makeFolders(const QString &base, const QStringList &folders)
{
    for (const QString &folder : folders)
        QVERIFY(QDir().mkpath(base + u'/' + folder));
}

// Dates a folder the given days back from the doubles' clock.
void age(const QString &folder, int days)
{
    const qint64 when = FixedClock().time.addDays(-days).toSecsSinceEpoch();
    const utimbuf times{when, when};
    QCOMPARE(::utime(QFile::encodeName(folder), &times), 0);
}

// Each expected fragment, in order, within the boxes shown.
void compareSaid(const QStringList &shown, const QString &said)
{
    const QStringList expected = said.isEmpty() ? QStringList() : said.split(u'|');
    QCOMPARE(shown.size(), expected.size());
    for (qsizetype i = 0; i < shown.size(); ++i)
        QVERIFY2(shown.at(i).contains(expected.at(i)), qPrintable(shown.at(i)));
}

} // namespace

class AppTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void capture_data();
    void capture();
    void sequences_data();
    void sequences();
    void startUp_data();
    void startUp();
    void stopDeletesOldDayFolders();
    void displayLoss_data();
    void displayLoss();
    void abruptExit_data();
    void abruptExit();
    void screenshot_data();
    void screenshot();
};

void AppTest::capture_data()
{
    QTest::addColumn<QString>("content");
    QTest::addColumn<Tick>("saveText");
    QTest::addColumn<Tick>("print");
    QTest::addColumn<PictureType>("type");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("jobs");
    QTest::addColumn<int>("told");
    const auto row = [](const char *name, const QString &content, Tick saveText, Tick print,
                        PictureType type, const QString &fault, const QStringList &files,
                        const QString &shown = {}, const QString &jobs = {}, int told = 0) {
        QTest::newRow(name) << content << saveText << print << type << fault << files << shown
                            << jobs << told;
    };
    const auto off = Tick::Off, on = Tick::On;
    const auto jpg = PictureType::Jpg, png = PictureType::Png;
    const QString lines = "a\r\nb";
    const QStringList txt{"user001.txt"}, none;
    row("greyed box keeps and prints nothing", "text", Tick::Greyed, on, jpg, "", none, lines);
    row("text kept and printed", "text", on, on, jpg, "", txt, lines, "Laser:P:a\r\nb");
    row("secret not captured", "secret", on, on, jpg, "", none);
    row("text wins over picture", "both", on, off, jpg, "", txt, lines);
    row("JPG", "picture", off, off, jpg, "", {"user001.jpg"});
    row("JPEG", "picture", off, off, PictureType::Jpeg, "", {"user001.jpeg"});
    row("picture printed at its size", "picture", off, on, png, "", {"user001.png"}, "",
        "Laser:L:picture@10,10 450x300");
    row("failing converter keeps the bitmap", "picture", off, off, png, "converter fails",
        {"user001.bmp"});
    row("missing converter keeps the bitmap, is told", "picture", off, off, jpg,
        "converter missing", {"user001.bmp"}, "", "", 1);
    row("vanished day folder is made again", "text", on, off, jpg, "folder gone", txt, lines);
    row("day folder replaced by a file is told", "text", on, off, jpg, "folder is a file", none,
        lines, "", 1);
    row("BMP files follow the umask", "picture", off, off, PictureType::Bmp, "umask",
        {"user001.bmp"});
    row("failed print keeps the conversion and is told", "picture", off, on, png, "printer refuses",
        {"user001.png"}, "", "", 1);
}

void AppTest::capture()
{
    QFETCH(QString, content);
    QFETCH(Tick, saveText);
    QFETCH(Tick, print);
    QFETCH(PictureType, type);
    QFETCH(QString, fault);
    QFETCH(QStringList, files);
    Program p;
    p.start();
    p.dialogs.shown.clear();
    p.state.changeSettings(
        [&](Settings &s) { s.saveText = saveText, s.printAtOnce = print, s.pictureType = type; });
    const QString folder = p.state.currentFolder();
    if (fault.startsWith("converter"))
        p.converters.behaviour = [fault](const QString &, const QString &, const QString &) -> int {
            if (fault.endsWith("missing"))
                throw Failure("JpegSaver を読み込めません");
            return 0;
        };
    if (fault.startsWith("folder"))
        QVERIFY(QDir(folder).removeRecursively() &&
                (fault == "folder gone" || QFile(folder).open(QIODevice::WriteOnly)));
    if (fault == "printer refuses")
        p.printers.refusal = "紙切れ";
    const mode_t umask = ::umask(fault == "umask" ? 077 : 022);
    QImage picture(30, 20, QImage::Format_RGB32);
    picture.fill(Qt::red);
    p.clipboard.secret = content == "secret";
    if (content == "picture")
        p.clipboard.setImage(picture);
    else
        p.clipboard.set("a\nb", true, content == "both" ? picture : QImage());

    QVERIFY(QFile::remove(p.state.settingsFilePath()));
    p.state.saveSettings();
    ::umask(umask);
    const auto mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
                      QFileDevice::WriteUser;
    for (const QString &path : {p.state.settingsFilePath(), p.file(files.value(0, "none"))})
        QVERIFY(
            !QFileInfo::exists(path) ||
            QFileInfo(path).permissions() ==
                (fault == "umask" ? mode : mode | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    QCOMPARE(filesIn(folder), files);
    QTEST(p.state.shownText(), "shown");
    QTEST(p.printers.jobs.join(u'/'), "jobs");
    QTEST(int(p.trayIcon.notices.size()), "told");
    // The options each format hands its converter.
    const QHash<PictureType, QString> option{{PictureType::Jpg, "jpg q95"},
                                             {PictureType::Jpeg, "jpeg q30"},
                                             {PictureType::Png, "png ac3"}};
    if (content == "picture" && !fault.startsWith("converter"))
        QCOMPARE(p.converters.calls.join(u'|'), option.value(type));
    QVERIFY(p.dialogs.shown.isEmpty());
    const QString last = files.isEmpty() ? QString() : p.file(files.last());
    if (last.endsWith(".txt")) {
        QCOMPARE(bytesOf(last), "a\r\nb\r\n");
        QCOMPARE(p.state.shownTextPath(), last);
    } else if (!last.isEmpty()) {
        QCOMPARE(QImage(last).size(), picture.size());
        QCOMPARE(p.state.shownPicturePath(), p.file("user001"));
    }
    if (fault == "folder is a file") { // a failure is told at most once a minute
        Q_EMIT p.clipboard.changed();
        QCOMPARE(p.trayIcon.notices.size(), 1);
        p.clock.time = p.clock.time.addSecs(60);
        Q_EMIT p.clipboard.changed();
        QCOMPARE(p.trayIcon.notices.size(), 2);
    }
}

void AppTest::sequences_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("expected"); // "key=value; ...": only the keys named are compared
    const auto row = [](const char *name, const QString &steps, const QString &expected) {
        QTest::newRow(name) << steps.split(u'|') << expected;
    };
    const QString user = "header=user; tip=ﾕｰｻﾞｰ名(snagwell)";
    // The header choice and the registered names.
    row("mode PC and user", "mode:2", "header=OFFICE-PCuser; tip=PC名+ﾕｰｻﾞｰ名(snagwell)");
    row("add chooses the name", "mode:3|add:会議",
        "names=会議; index=0; header=会議; tip=会議(snagwell)");
    row("blanks around a name are not in the header", "mode:3|add:\u3000会議 ",
        "names=\u3000会議 ; header=会議");
    row("name chosen under another mode keeps the tip", "add:a|add:b|name:0",
        "names=a,b; index=0; " + user);
    row("the empty entry goes when nothing is chosen", "names:|add:x", "names=x; index=0");
    row("names without a choice stay", "names:a,b|add:c", "names=a,b,c; index=2; " + user);
    row("same name twice chooses the first", "add:a|add:b|add:a", "names=a,b,a; index=0");
    row("declined or empty adds nothing",
        "no|add:a|add:", "names=; index=-1; said=ファイル名登録?");
    row("delete chooses the one before", "add:a|add:b|add:c|del", "names=a,b; index=1; " + user);
    row("delete the first chooses the new first", "mode:3|add:a|add:b|name:0|del",
        "names=b; index=0; header=b; tip=b(snagwell)");
    row("delete the last leaves the empty header", "mode:3|add:a|del",
        "names=; index=-1; header=; tip=(snagwell)");
    row("declined delete", "add:a|no|del", "names=a; index=0");
    row("a name with a comma is refused", "add:a,b", "names=; said=登録名に「,」は使えません");
    row("a name too long for a file name is refused", "add:long", "names=; said=長すぎます");
    row("button menu chooses 登録名 and the name", "add:a|add:b|button:1",
        "index=1; header=b; tip=b(snagwell)");
    // The folder buttons, in a folder of their own.
    const QString sw = "made:SWData|", day = "made:SWData/26Dec07|", old = "made:SWData/26Dec01|";
    row("today made in SWData", sw + "at:SWData|today", "folder=SWData/26Dec07; said=");
    row("today there is entered", day + "at:SWData|today",
        "folder=SWData/26Dec07; said=選択したディレクトリには今日の日付フォルダがあります");
    row("at today's folder", day + "at:SWData/26Dec07|today",
        "folder=SWData/26Dec07; said=今日の日付フォルダが選択されています");
    row("from another day to today's", day + old + "at:SWData/26Dec01|today",
        "folder=SWData/26Dec07; said=今日の日付フォルダに移動しました");
    row("another day without today's", old + "at:SWData/26Dec01|today",
        "folder=SWData/26Dec01; said=");
    row("today outside SWData", "at:|today",
        "folder=; said=管理フォルダに移動してから実行して下さい。");
    row("SWData made after asking", "at:|management",
        "folder=SWData/26Dec07; "
        "said=管理フォルダ作成?選択したディレクトリに管理フォルダを作成しますか？");
    row("SWData declined", "at:|no|management", "folder=; said=管理フォルダ作成?");
    row("SWData there is entered", sw + "at:|management",
        "folder=SWData/26Dec07; said=選択したディレクトリには管理フォルダがあります");
    row("at SWData", day + "at:SWData|management",
        "folder=SWData/26Dec07; said=管理フォルダが選択されています");
    row("inside SWData", old + "at:SWData/26Dec01|management",
        "folder=SWData/26Dec01; said=管理フォルダの中です");
    row("a file named SWData is reported", "file:SWData|at:|management",
        "folder=; said=管理フォルダがあります|パスが見つかりません");
    row("the browser refuses a carriage return", "made:a\rb|at:|browse:a\rb",
        "folder=; said=名前に改行を含むフォルダには移動できません");
    row("a file named today is reported", sw + "file:SWData/26Dec07|at:SWData|today",
        "folder=SWData; said=今日の日付フォルダがあります|パスが見つかりません");
    // The preview and its buttons.
    row("print text", "text|print text",
        "jobs=Laser:P:a\r\nb; said=印刷確認?テキストを印刷しますか");
    row("print text cancelled", "text|no|print text", "jobs=; shown=a\r\nb; said=印刷確認?");
    row("no text to print", "print text", "jobs=; said=テキストデータはありません");
    row("refused job is reported", "text|refuse|print text", "jobs=; said=印刷確認?|紙切れ");
    row("print a shown picture", "show:a.bmp|print picture",
        "jobs=Laser:L:picture@10,10 60x45; said=イメージを印刷しますか");
    row("no picture to print", "text|print picture", "jobs=; said=イメージが選択されていません");
    row("show a CP932 text", "show:a.txt", "shown=日本\r\nx\r\n; said=");
    row("PNG only says why", "show:a.png", "shown=; said=PNG形式のファイルは表示できません。");
    row("broken picture is reported", "show:a.jpg", "said=画像を読み込めません");
    row("vanished file is reported", "show:gone.txt", "said=を開けません");
    // The day folder after midnight, the browser there at first.
    const QString d7 = "made:SWData/26Dec07|at:SWData/26Dec07|", d8 = "SWData/26Dec08/user001.txt";
    row("the new day's folder there already is entered", d7 + "made:SWData/26Dec08|midnight|copy",
        "files=" + d8 + "; folder=SWData/26Dec08; said=");
    row("going back to yesterday's after the move is kept",
        d7 + "midnight|copy|at:SWData/26Dec07|copy",
        "files=SWData/26Dec07/user001.txt " + d8 + "; folder=SWData/26Dec07; said=");
    row("today's cannot be made: the capture stays in yesterday's",
        d7 + "file:SWData/26Dec08|midnight|copy",
        "files=SWData/26Dec07/user001.txt; folder=SWData/26Dec07; said=");
    row("a text saved by hand after midnight", d7 + "midnight|save",
        "files=" + d8 + "; folder=SWData/26Dec08");
    row("two midnights, two folders", d7 + "midnight|copy|midnight|copy",
        "files=" + d8 + " SWData/26Dec09/user001.txt; folder=SWData/26Dec09; said=");
    // Changes it could not read, told at most once a minute.
    const QString missed = "件のクリップボードの変更を読み取れませんでした";
    row("overtaken ones add up", d7 + "missed:2|overtaken|copy", "told=3" + missed + "; texts=1");
    row("within a minute of a notice: not yet", d7 + "missed:1|copy|+10|missed:2|copy",
        "told=1" + missed + "; texts=2");
    row("within a minute of a notice: told after it",
        d7 + "missed:1|copy|+10|missed:2|copy|+50|copy",
        "told=1" + missed + "|2" + missed + "; texts=3");
    row("a failure and misses share the minute", d7 + "fail|missed:1|copy|+60|copy",
        "told=キャプチャを保存できませんでした|1" + missed + "; texts=2");
    row("misses before monitoring starts are not told", d7 + "before:3|copy", "told=; texts=1");
    row("reset asks, then empties", "text|reset",
        "shown=; said=リセット確認?表示データをリセットしますか");
}

void AppTest::sequences()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, expected);
    Program p;
    p.start();
    QImage image(4, 3, QImage::Format_RGB32);
    QVERIFY(image.save(p.file("a.bmp"), "BMP"));
    for (const auto &[name, bytes] :
         {std::pair{"a.txt", "\x93\xfa\x96\x7b\r\nx"}, {"a.png", "png"}, {"a.jpg", "no"}}) {
        QFile file(p.file(name));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) > 0);
    }
    const QString base = p.folder + "/b";
    p.state.changeSettings([](Settings &s) { s.saveText = Tick::On; });
    QSignalSpy inWindow(&p.state, &State::captureProblemTold);
    p.dialogs.shown.clear();
    for (const QString &step : steps) {
        const QString value = step.section(u':', 1);
        if (step == "no")
            p.dialogs.answers.append(false);
        else if (step.startsWith("mode:"))
            p.headers.chooseMode(static_cast<HeaderMode>(value.toInt()));
        else if (step.startsWith("names:"))
            p.state.changeSettings([&](Settings &s) { s.registeredNames = value.split(u','); });
        else if (step.startsWith("add:"))
            p.headers.addName(value == "long" ? QString(longestHeaderBytes + 1, u'n') : value);
        else if (step.startsWith("name:"))
            p.headers.chooseRegisteredName(value.toInt());
        else if (step.startsWith("button:"))
            p.headers.chooseRegisteredHeader(value.toInt());
        else if (step == "del")
            p.headers.removeChosenName();
        else if (step.startsWith("made:"))
            makeFolders(base, {value});
        else if (step.startsWith("file:"))
            QVERIFY(QDir().mkpath(base) && QFile(base + u'/' + value).open(QIODevice::WriteOnly));
        else if (step.startsWith("at:"))
            QDir().mkpath(base), p.state.enterFolder(QDir::cleanPath(base + u'/' + value));
        else if (step.startsWith("browse:")) // as the browser's folder list does
            reportFailure(p.dialogs, [&] { p.state.enterFolder(base + u'/' + value); });
        else if (step == "today")
            p.folders.makeTodaysFolderReported();
        else if (step == "management")
            p.folders.makeManagementFolderReported();
        else if (step == "text")
            p.state.showText("a\r\nb", QString());
        else if (step == "refuse")
            p.printers.refusal = "紙切れ";
        else if (step.startsWith("show:"))
            p.viewer.showFile(value);
        else if (step == "print text")
            p.printing.printShownText();
        else if (step == "print picture")
            p.printing.printShownPicture();
        else if (step == "reset")
            p.viewer.reset();
        else if (step == "copy")
            p.clipboard.setText("x");
        else if (step == "save")
            p.state.showText("x", QString()), p.recorder.saveShownTextAsked();
        else if (step.startsWith('+'))
            p.clock.time = p.clock.time.addSecs(step.toInt());
        else if (step.startsWith("missed:"))
            p.clipboard.missed += value.toInt();
        else if (step.startsWith("before:")) { // missed while not monitoring
            p.recorder.stop();
            p.clipboard.missed = value.toInt();
            p.recorder.start();
        } else if (step == "overtaken") { // another change came while it was read
            p.clipboard.overtaken = true;
            p.clipboard.setText("x");
            p.clipboard.overtaken = false;
        } else if (step == "fail") { // the day folder is a file while a copy comes
            const QString folder = p.state.currentFolder();
            QVERIFY(QDir(folder).removeRecursively() && QFile(folder).open(QIODevice::WriteOnly));
            p.clipboard.setText("x");
            QVERIFY(QFile::remove(folder) && QDir().mkdir(folder));
        } else if (step == "midnight")
            p.clock.time = QDateTime(p.clock.time.date().addDays(1), QTime(0, 0, 30));
    }
    const Settings &s = p.state.settings();
    const QHash<QString, QString> actual = {
        {"names", s.registeredNames.join(u',')},
        {"index", QString::number(s.registeredIndex)},
        {"header", p.headers.fileNameHeader()},
        {"tip", p.trayIcon.tip.trimmed()},
        {"folder", QDir(base).relativeFilePath(p.state.currentFolder()).replace(".", "")},
        {"jobs", p.printers.jobs.join(u'/')},
        {"shown", p.state.shownText()},
        {"files", textsIn(base).join(u' ')},
        {"texts", QString::number(textsIn(base).size())}};
    for (const QString &part : expected.split("; ")) {
        const QString key = part.section(u'=', 0, 0), value = part.section(u'=', 1);
        if (key == "said")
            compareSaid(p.dialogs.shown, value);
        else if (key == "told")
            compareSaid(p.trayIcon.notices, value);
        else
            QCOMPARE(actual.value(key), value);
    }
    QVERIFY(p.trayIcon.present);
    if (!expected.contains("told="))
        QCOMPARE(p.trayIcon.notices, QStringList());
    QCOMPARE(inWindow.size(), 0); // with a tray, nothing is told in the window
}

void AppTest::startUp_data()
{
    QTest::addColumn<QString>("file"); // the settings file before, "" for none; <dir> is the folder
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("said");
    QTest::addColumn<QString>("folder"); // where the browser stands after start-up
    QTest::addColumn<QString>("after");  // the settings file after shutdown
    const auto row = [](const char *name, const QString &file, const QString &fault,
                        const QString &said, const QString &folder, const QString &after) {
        QTest::newRow(name) << file << fault << said << folder << after;
    };
    const QString later =
        "<dir>/SWData/05Nov14\n 1 \n 2 \n登録名\na,会議\n1\nPNG\nしない\nlaser\n 1 \n150\n-30\n";
    const QString written = "<dir>/SWData/26Dec07\r\n 1 \r\n 2 \r\n登録名\r\na,会議\r\n 1 "
                            "\r\nPNG\r\nしない\r\nLaser\r\n 1 \r\n150\r\n-30\r\n";
    const QString day = "SWData/26Dec07";
    row("LF line ends, from an old day folder", later, "", "", day, written);
    row("UTF-8 without a byte order mark", later, "utf8", "", day, written);
    row("a greyed button window tick opens it", QString(later).replace("laser\n 1 ", "laser\n 2 "),
        "", "", day, QString(written).replace("Laser\r\n 1 ", "Laser\r\n 2 "));
    row("garbage is kept aside as .bak", "\n 7 \nx\n登録名\n", "", "", day, "");
    row("missing saved folder is said, shortened", QString(300, u'x') + "\n 1 ", "", "xxx…xxx", day,
        "");
    row("first run that cannot write says why", "", "settings is a folder",
        "に書き込めません|に書き込めません", day, "");
    row("a failed save at quit is said, the icon still goes", "", "save fails",
        "設定を初期化しました。|に書き込めません", day, "");
    row("failing steps are skipped", "", "today is a file|tray fails", "パスが見つかりません",
        "SWData", "");
}

void AppTest::startUp()
{
    QFETCH(QString, file);
    QFETCH(QString, fault);
    QFETCH(QString, after);
    Program p;
    const auto bytes = [&](QString text, bool utf8 = false) {
        text.replace("<dir>", p.folder);
        return utf8 ? text.toUtf8() : encodeFileText(text);
    };
    makeFolders(p.folder, {"SWData/05Nov14"});
    if (!file.isEmpty()) {
        QFile settings(p.state.settingsFilePath());
        QVERIFY(settings.open(QIODevice::WriteOnly) &&
                settings.write(bytes(file, fault == "utf8")) > 0);
    }
    p.trayIcon.failing = fault.contains("tray fails");
    if (fault.contains("today is a file"))
        QVERIFY(QFile(p.folder + "/SWData/26Dec07").open(QIODevice::WriteOnly));
    if (fault == "settings is a folder")
        QVERIFY(QDir().mkdir(p.state.settingsFilePath()));
    p.start();
    QVERIFY(p.dialogs.shown.join("").size() < 250);
    QFETCH(QString, folder);
    QCOMPARE(p.state.currentFolder(), QDir::cleanPath(p.folder + u'/' + folder));
    QVERIFY(!p.lifecycle.hasEnded() && p.state.isMonitoring());
    QCOMPARE(p.state.isButtonWindowOpen(), p.state.settings().showButtonWindow != Tick::Off);
    for (const QString &top :
         QStringList{"7", p.state.settings().buttonWindowTop}) { // on disk soon, not only at quit
        p.state.changeSettings([&](Settings &s) { s.buttonWindowTop = top; });
        if (fault != "settings is a folder")
            QTRY_COMPARE(bytesOf(p.state.settingsFilePath()), p.state.settingsFileBytes());
    }
    if (fault == "save fails")
        QVERIFY(QFile::remove(p.state.settingsFilePath()) &&
                QDir().mkdir(p.state.settingsFilePath()));
    QSignalSpy ended(&p.lifecycle, &Lifecycle::ended);
    p.lifecycle.shutDown();
    QCOMPARE(ended.size(), 1);
    QVERIFY(!p.trayIcon.present && !p.state.isMonitoring() && !p.state.isButtonWindowOpen());
    QFETCH(QString, said);
    compareSaid(p.dialogs.shown, said);
    if (!after.isEmpty())
        QCOMPARE(bytesOf(p.state.settingsFilePath()), bytes(after));
    QCOMPARE(QFile::exists(p.state.settingsFilePath() + ".bak"),
             QByteArray(QTest::currentDataTag()).contains("garbage"));
}

void AppTest::stopDeletesOldDayFolders()
{
    Program p;
    p.start();
    makeFolders(p.folder, {"SWData/26Nov29", "SWData/26Dec01"});
    age(p.folder + "/SWData/26Nov29", 8);
    age(p.folder + "/SWData/26Dec01", 6);
    p.recorder.stop();
    QCOMPARE(QDir(p.folder + "/SWData").entryList(QDir::Dirs | QDir::NoDotAndDotDot),
             (QStringList{"26Dec01", today}));
}

void AppTest::displayLoss_data()
{
    QTest::addColumn<QString>("when");
    QTest::newRow("a failed save is told nowhere") << "save fails";
    QTest::newRow("a start-up box: nothing is written or deleted") << "start-up";
}

void AppTest::displayLoss()
{
    QFETCH(QString, when);
    Program p;
    makeFolders(p.folder, {"SWData/26Nov29"});
    age(p.folder + "/SWData/26Nov29", 8);
    const QByteArray unread = encodeFileText("/gone\r\n 1 \r\n");
    if (when == "start-up") {
        QFile file(p.state.settingsFilePath());
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(unread) > 0);
    }
    QByteArray atLoss; // the settings file when the display went, the old folder's fate
    p.dialogs.whileShown = [&] {
        p.lifecycle.shutDownWithoutDisplay();
        atLoss = bytesOf(p.state.settingsFilePath()) +
                 (QFileInfo::exists(p.folder + "/SWData/26Nov29") ? "1" : "0");
    };
    p.start();
    p.dialogs.shown.clear();
    if (when == "start-up") { // the process ends here: nothing more runs
        QCOMPARE(atLoss, unread + "1");
        return;
    }
    p.state.changeSettings([](Settings &s) { s.saveText = Tick::On; });
    QVERIFY(QFile::remove(p.state.settingsFilePath()) && QDir().mkdir(p.state.settingsFilePath()));
    p.lifecycle.shutDownWithoutDisplay(); // before the save that follows a change
    QVERIFY(p.lifecycle.hasEnded() && !p.state.isMonitoring());
    QVERIFY(!QFileInfo::exists(p.folder + "/SWData/26Nov29"));
    QCOMPARE(p.dialogs.shown, QStringList());
    QVERIFY(p.trayIcon.present); // nothing that needs the screen is touched
}

void AppTest::abruptExit_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QByteArray>("ran");
    QTest::newRow("exit() while guarded runs the work once") << "guarded" << QByteArray("work");
    QTest::newRow("exit() after the guard's end runs nothing") << "ended" << QByteArray();
    QTest::newRow("another thread's exit() runs nothing") << "thread" << QByteArray();
}

void AppTest::abruptExit()
{
    QFETCH(QString, how);
    QTemporaryDir dir;
    const QByteArray ranFile = QFile::encodeName(dir.filePath("ran"));
    const pid_t child = ::fork();
    if (child == 0) {
        // Exit handlers run last-made first: this one ends the child after the
        // guard's, before a leak checker's takes the parent's threads for leaks.
        std::atexit([] { std::_Exit(0); });
        std::optional<AbruptExitGuard> guard(std::in_place, [&] {
            const int file = ::open(ranFile.constData(), O_WRONLY | O_CREAT | O_APPEND, 0600);
            [[maybe_unused]] auto n = ::write(file, "work", 4);
        });
        if (how == "ended")
            guard.reset();
        if (how == "thread")
            std::thread([] { std::exit(1); }).join();
        std::exit(1);
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QFile ran(dir.filePath("ran"));
    QTEST(ran.open(QIODevice::ReadOnly) ? ran.readAll() : QByteArray(), "ran");
}

void AppTest::screenshot_data()
{
    QTest::addColumn<bool>("x11");      // X11 gives a picture
    QTest::addColumn<uint>("response"); // the portal's answer
    QTest::addColumn<bool>("png");      // its file holds a picture, else junk
    QTest::addColumn<QString>("told");  // the reason told; none: the picture is saved
    QTest::newRow("X11 picture, the portal not asked") << true << 0u << true << "";
    QTest::newRow("X11 gives nothing: the portal's") << false << 0u << true << "";
    QTest::newRow("refused is told") << false << 1u << true << "撮影が拒否されました";
    QTest::newRow("failed is told") << false << 2u << true << "デスクトップが撮影に失敗しました";
    QTest::newRow("unreadable is told") << false << 0u << false << "撮影された画像を読み込めません";
}

void AppTest::screenshot()
{
    QFETCH(bool, x11);
    QFETCH(bool, png);
    QFETCH(QString, told);
    Program p;
    p.start();
    p.portal.later = true;
    QImage red(64, 48, QImage::Format_RGB32);
    red.fill(Qt::red);
    p.screen.screen = x11 ? red : QImage();
    const QString answer = p.dir.filePath("Screenshot.png");
    QVERIFY(png ? red.save(answer) : QFile(answer).open(QIODevice::WriteOnly));
    p.recorder.takeScreenshot();
    if (!x11)
        p.recorder.takeScreenshot(); // joins the pending request
    QCOMPARE(p.portal.requests, x11 ? 0 : 1);
    QFETCH(uint, response);
    const PortalAnswer given =
        readPortalAnswer(response, {{"uri", QUrl::fromLocalFile(answer).toString()}});
    if (!x11 && given.picture.isNull())
        Q_EMIT p.portal.failed(given.reason);
    else if (!x11)
        Q_EMIT p.portal.taken(given.picture);
    QCOMPARE(p.trayIcon.notices.size(), told.isEmpty() ? 0 : 1);
    QVERIFY(told.isEmpty() ||
            p.trayIcon.notices[0].startsWith("画面を取得できませんでした: " + told));
    QVERIFY(!QFileInfo::exists(answer)); // never left among the user's pictures
    QCOMPARE(filesIn(p.state.currentFolder()).size(), told.isEmpty() ? 1 : 0);
    p.recorder.takeScreenshot(); // nothing stays pending: it asks again
    QCOMPARE(p.portal.requests, x11 ? 0 : 2);
}

QTEST_GUILESS_MAIN(AppTest)
#include "tst_app.moc"
