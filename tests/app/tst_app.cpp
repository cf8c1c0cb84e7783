// The running program without windows: the state and the services over the
// ports' doubles, in real folders. One table per service.

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <thread>

#include <QtTest>

#include "core/ansicodepage.h"
#include "core/naming.h"
#include "doubles/doubles.h"
#include "platform/abruptexit.h"

using namespace snagwell;
using namespace snagwell::testing;

namespace {

// A change made to the program (or its world) at one moment of a test.
using Step = std::function<void(Program &)>;

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

bool write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Each expected fragment, in order, within the boxes (or notices) shown.
void compareSaid(const QStringList &shown, const QStringList &expected)
{
    QCOMPARE(shown.size(), expected.size());
    for (qsizetype i = 0; i < shown.size(); ++i)
        QVERIFY2(shown.at(i).contains(expected.at(i)), qPrintable(shown.at(i)));
}

// As a full disk shows to a program: writes past so many bytes fail (EFBIG).
void limitFileSize(rlim_t bytes)
{
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, RLIM_INFINITY};
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limit), 0);
}

enum class Copied { Text, Secret, TextAndPicture, Picture };
enum class Button { Today, Management };
enum class Preview { PrintText, PrintPicture, Reset, None };
enum class Exit { Guarded, AfterTheGuard, OtherThread };

// Each table's row: what is done, then what must come of it.
struct Capture
{
    Copied copied = Copied::Picture;
    Tick saveText = Tick::Off, print = Tick::Off;
    PictureType type = PictureType::Png;
    QString option = "png ac3";  // handed to the converter
    Step fault{};                // before the copy
    rlim_t room = RLIM_INFINITY; // bytes a file may take during the copy
    QStringList files{};         // in the folder where the browser stands after:
    QString folder = "26Dec07";  // that folder, below SWData
    QStringList told{};          // beside the tray icon, nothing in the window
};
struct Headers
{
    QStringList before{}; // registered names, none chosen
    HeaderMode mode = HeaderMode::User;
    QStringList added{};   // by button 追加, one after another
    int chosen = -1;       // then a name chosen by its place
    bool removed = false;  // then button 削除
    QList<bool> answers{}; // to the questions, yes after these
    QStringList names{};
    int index = -1;
    QString tip = "ﾕｰｻﾞｰ名"; // before "(snagwell)"
    QStringList said{};      // unchecked when empty
};
struct Folders
{
    QStringList folders{}; // made first, below the browser's folder
    QString file{};        // a file made where a folder belongs
    QString at{};          // where the browser is put
    Button button{};
    QString folder{}; // where the browser stands after
    QStringList said{};
    QList<bool> answers = {};
};
struct Shown
{
    QString file{};    // shown from the list: a.txt (CP932), a.bmp, a.jpg (broken)
    bool text = false; // a text shown
    Preview button = Preview::None;
    QString jobs{}, shown{};
    QStringList said{};
    QList<bool> answers = {};
    QString refusal = {}; // the printer's
};
// A clipboard change before a capture's own.
struct Change
{
    enum Kind { Read, Overtaken, Fails } kind = Read;
    int missed = 0; // changes missed before it
    int later = 0;  // seconds before the next
};
struct StartUp
{
    QString file{};    // the settings file before, "" for none; <dir> is the folder
    bool utf8 = false; // that file in UTF-8 without a byte order mark, not CP932
    Step before{};     // start-up
    Step atQuit{};
    QStringList said{};
    QString folder = "SWData/26Dec07"; // where the browser stands after start-up
    QString after{};                   // the settings file after shutdown, "" unchecked
    QString kept{};                    // the earlier file kept aside
};

// The program started, what start-up said forgotten.
struct Started : Program
{
    Started() { start(), dialogs.shown.clear(); }
};

template <typename Row> void row(const char *name, const Row &row)
{
    QTest::newRow(name) << row;
}

} // namespace

class AppTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void capture_data();
    void capture();
    void headers_data();
    void headers();
    void folderButtons_data();
    void folderButtons();
    void preview_data();
    void preview();
    void startUp_data();
    void startUp();
    void abruptExit();
    void thousandPicturesInOneRun();
    void screenshot_data();
    void screenshot();
};

void AppTest::capture_data()
{
    QTest::addColumn<Capture>("c");
    const auto on = Tick::On;
    const QStringList txt{"user001.txt"}, bmp{"user001.bmp"}, png{"user001.png"};
    using T = PictureType;
    using C = Change;
    const QString missed = "件のクリップボードの変更を読み取れませんでした",
                  failed = "キャプチャを保存できませんでした";
    // Texts copied after clipboard changes, so many of them saved.
    const auto texts = [=](const QList<C> &changes, int saved, const QStringList &told,
                           rlim_t room = RLIM_INFINITY) {
        Capture texts{.copied = Copied::Text, .saveText = on, .room = room, .told = told};
        for (int n = 1; n <= saved; ++n)
            texts.files << QString("user%1.txt").arg(n, 3, 10, QChar(u'0'));
        texts.fault = [changes](Program &p) {
            for (const Change &change : changes) {
                p.clipboard.missed += change.missed;
                p.clipboard.overtaken = change.kind == C::Overtaken;
                limitFileSize(change.kind == C::Fails ? 1 : RLIM_INFINITY); // a failing capture
                p.clipboard.setText("x");
                p.clock.time = p.clock.time.addSecs(change.later);
            }
            p.clipboard.overtaken = false;
        };
        return texts;
    };
    const Step converterFails = [](Program &p) {
        p.converters.behaviour = [](auto &&...) { return 0; };
    };
    const Step converterMissing = [](Program &p) {
        p.converters.behaviour = [](auto &&...) -> int { throw Failure("なし"); };
    };
    const Step paperOut = [](Program &p) { p.printers.refusal = "紙切れ"; };
    const Step dayFolderGone = [](Program &p) {
        QVERIFY(QDir(p.state.currentFolder()).removeRecursively());
    };
    // Past midnight the new day's folder is there, or cannot be made yet, or
    // takes テキスト保存 before the user goes back to yesterday's.
    const auto pastMidnight = [](Program &p) {
        p.clock.time = QDateTime(QDate(2026, 12, 8), QTime(0, 0, 30));
        return p.folder + "/SWData/26Dec08";
    };
    const Step newDayThere = [=](Program &p) { QVERIFY(QDir().mkdir(pastMidnight(p))); };
    const Step newDayBlocked = [=](Program &p) {
        const QString day = pastMidnight(p);
        QVERIFY(write(day, "x"));
        p.clipboard.setImage(QImage(2, 2, QImage::Format_RGB32));
        QVERIFY(QFile::exists(p.file("user001.png")) && QFile::remove(day));
        p.converters.calls.clear();
    };
    const Step byHandThenBack = [=](Program &p) {
        const QString day = pastMidnight(p);
        p.state.showText("x", QString()), p.recorder.saveShownTextAsked();
        QVERIFY(QFile::exists(day + "/user001.txt"));
        p.state.enterFolder(p.folder + "/SWData/26Dec07"), p.dialogs.shown.clear();
    };
    row("greyed box keeps and prints nothing", Capture{Copied::Text, Tick::Greyed, on});
    row("secret not captured", Capture{Copied::Secret, on, on});
    row("text wins over picture",
        Capture{.copied = Copied::TextAndPicture, .saveText = on, .files = txt});
    row("JPG", Capture{.type = T::Jpg, .option = "jpg q95", .files = {"user001.jpg"}});
    row("JPEG", Capture{.type = T::Jpeg, .option = "jpeg q30", .files = {"user001.jpeg"}});
    row("failing converter keeps the bitmap", Capture{.fault = converterFails, .files = bmp});
    row("missing converter keeps the bitmap, is told",
        Capture{.fault = converterMissing, .files = bmp, .told = {"なし"}});
    row("vanished day folder is made again", Capture{.fault = dayFolderGone, .files = png});
    row("BMP files follow the umask",
        Capture{.type = T::Bmp, .fault = [](Program &) { ::umask(077); }, .files = bmp});
    row("failed print keeps the conversion and is told",
        Capture{.print = on, .fault = paperOut, .files = png, .told = {"紙切れ"}});
    row("midnight: the new day's folder there is entered",
        Capture{.fault = newDayThere, .files = png, .folder = "26Dec08"});
    row("midnight: the new day's folder cannot be made",
        Capture{.fault = newDayBlocked, .files = png, .folder = "26Dec08"});
    row("midnight: saved by hand, then back",
        Capture{.copied = Copied::Text, .saveText = on, .fault = byHandThenBack, .files = txt});
    row("overtaken ones add up", texts({{C::Overtaken, 2}}, 1, {"3" + missed}));
    row("within a minute of a notice: not yet",
        texts({{C::Read, 1, 10}, {C::Read, 2}}, 3, {"1" + missed}));
    row("a failure and misses share the minute",
        texts({{C::Fails}, {C::Read, 1, 60}}, 2, {failed, "1" + missed}));
    row("failures are told once a minute",
        texts({{C::Fails, 0, 30}, {C::Fails, 0, 30}}, 0, {failed, failed}, 1));
    row("full disk: a text cut off is told",
        Capture{.copied = Copied::Text, .saveText = on, .room = 3, .told = {failed}});
    row("full disk: a bitmap cut off is told", Capture{.room = 100, .told = {failed}});
    row("full disk: a conversion cut off keeps the bitmap whole",
        Capture{.room = 54 + 100 * 20, .files = bmp});
}

void AppTest::capture()
{
    QFETCH(Capture, c);
    Started p;
    p.state.changeSettings([&](Settings &s) {
        s.saveText = c.saveText, s.printAtOnce = c.print, s.pictureType = c.type;
    });
    const QString byHand = p.folder + "/by hand";
    QSignalSpy inWindow(&p.state, &State::captureProblemTold);
    QImage picture(33, 20, QImage::Format_RGB32); // random: not even a PNG of it shrinks
    QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(picture.bits()), 33 * 20);
    const mode_t umask = ::umask(022);
    if (c.fault)
        c.fault(p);
    limitFileSize(c.room);
    p.clipboard.secret = c.copied == Copied::Secret;
    if (c.copied == Copied::Picture)
        p.clipboard.setImage(picture);
    else
        p.clipboard.set("a\nb", true, c.copied == Copied::TextAndPicture ? picture : QImage());
    limitFileSize(RLIM_INFINITY);
    // Files are made as any program's under the umask: as one made by hand.
    QVERIFY(write(byHand, "x") && QFile::remove(p.state.settingsFilePath()));
    p.state.saveSettings();
    ::umask(umask);
    for (const QString &path : {p.state.settingsFilePath(), p.file(c.files.value(0, "none"))})
        QVERIFY(!QFileInfo::exists(path) ||
                QFileInfo(path).permissions() == QFileInfo(byHand).permissions());
    QCOMPARE(filesIn(p.state.currentFolder()), c.files);
    QCOMPARE(QDir(p.folder + "/SWData").relativeFilePath(p.state.currentFolder()), c.folder);
    const bool text = c.copied == Copied::Text || c.copied == Copied::TextAndPicture;
    QCOMPARE(p.state.shownText(), text ? "a\r\nb" : "");
    QVERIFY(p.printers.jobs.isEmpty() && p.dialogs.shown.isEmpty());
    compareSaid(p.trayIcon.notices, c.told);
    QCOMPARE(inWindow.size(), 0);
    QVERIFY(p.converters.calls.isEmpty() || p.converters.calls == QStringList{c.option});
    const QString last = c.files.isEmpty() ? QString() : p.file(c.files.last());
    if (last.endsWith(".txt")) {
        QCOMPARE(p.state.shownTextPath(), last);
    } else if (!last.isEmpty()) { // a JPEG is only as like as its quality allows
        const QImage saved = QImage(last).convertToFormat(QImage::Format_RGB32);
        QVERIFY(saved == picture || (last.contains(".jp") && saved.size() == picture.size()));
        QCOMPARE(p.state.shownPicturePath(), p.file("user001"));
    }
}

void AppTest::headers_data()
{
    QTest::addColumn<Headers>("h");
    const auto registered = HeaderMode::Registered;
    using H = Headers;
    row("add chooses the name",
        H{.mode = registered, .added = {"会議"}, .names = {"会議"}, .index = 0, .tip = "会議"});
    row("the empty entry goes when nothing is chosen",
        H{.before = {""}, .added = {"x"}, .names = {"x"}, .index = 0});
    row("names without a choice stay",
        H{.before = {"a", "b"}, .added = {"c"}, .names = {"a", "b", "c"}, .index = 2});
    row("declined or empty adds nothing",
        H{.added = {"a", ""}, .answers = {false}, .said = {"ファイル名登録?"}});
    row("delete chooses the one before",
        H{.added = {"a", "b", "c"}, .chosen = 1, .removed = true, .names = {"a", "c"}, .index = 0});
    row("delete the first chooses the new first; chosen under another mode, the tip stays",
        H{.added = {"a", "b"}, .chosen = 0, .removed = true, .names = {"b"}, .index = 0});
    row("delete the last leaves the empty header",
        H{.mode = registered, .added = {"a"}, .removed = true, .tip = ""});
    row("declined delete",
        H{.added = {"a"}, .removed = true, .answers = {true, false}, .names = {"a"}, .index = 0});
    row("a comma, or a name too long for a file name, is refused",
        H{.added = {"a,b", QString(longestHeaderBytes + 1, u'n')},
          .said = {"登録名に「,」は使えません", "長すぎます"}});
}

void AppTest::headers()
{
    QFETCH(Headers, h);
    Started p;
    p.state.changeSettings([&](Settings &s) { s.registeredNames = h.before; });
    p.headers.chooseMode(h.mode);
    p.dialogs.answers = h.answers;
    for (const QString &name : h.added)
        p.headers.addName(name);
    if (h.chosen >= 0)
        p.headers.chooseRegisteredName(h.chosen);
    if (h.removed)
        p.headers.removeChosenName();
    QCOMPARE(p.state.settings().registeredNames, h.names);
    QCOMPARE(p.state.settings().registeredIndex, h.index);
    QCOMPARE(p.trayIcon.tip.trimmed(), h.tip + "(snagwell)");
    if (!h.said.isEmpty())
        compareSaid(p.dialogs.shown, h.said);
}

void AppTest::folderButtons_data()
{
    QTest::addColumn<Folders>("f");
    const auto today = Button::Today, management = Button::Management;
    const QString sw = "SWData", day = "SWData/26Dec07", old = "SWData/26Dec01";
    using F = Folders;
    row("today made in SWData", F{{sw}, "", sw, today, day});
    row("today there is entered", F{{day}, "", sw, today, day, {"今日の日付フォルダがあります"}});
    row("from another day to today's",
        F{{day, old}, "", old, today, day, {"今日の日付フォルダに移動しました"}});
    row("another day without today's", F{{old}, "", old, today, old});
    row("today outside SWData",
        F{{}, "", "", today, "", {"管理フォルダに移動してから実行して下さい。"}});
    row("SWData made after asking",
        F{{}, "", "", management, day, {"管理フォルダ作成?選択したディレクトリに"}});
    row("SWData declined", F{{}, "", "", management, "", {"管理フォルダ作成?"}, {false}});
    row("at SWData", F{{day}, "", sw, management, day, {"管理フォルダが選択されています"}});
    row("inside SWData", F{{old}, "", old, management, old, {"管理フォルダの中です"}});
    row("a file named SWData is reported",
        F{{}, sw, "", management, "", {"管理フォルダがあります", "パスが見つかりません"}});
    row("a file named today is reported",
        F{{sw}, day, sw, today, sw, {"今日の日付フォルダがあります", "パスが見つかりません"}});
}

void AppTest::folderButtons()
{
    QFETCH(Folders, f);
    Started p;
    const QString base = p.folder + "/b", at = QDir::cleanPath(base + u'/' + f.at);
    for (const QString &folder : f.folders << QString())
        QVERIFY(QDir().mkpath(base + u'/' + folder));
    QVERIFY(f.file.isEmpty() || write(base + u'/' + f.file, "x"));
    p.dialogs.answers = f.answers;
    p.state.enterFolder(at);
    if (f.button == Button::Today)
        p.folders.makeTodaysFolderReported();
    else
        p.folders.makeManagementFolderReported();
    QCOMPARE(QDir(base).relativeFilePath(p.state.currentFolder()).replace(".", ""), f.folder);
    compareSaid(p.dialogs.shown, f.said);
}

void AppTest::preview_data()
{
    QTest::addColumn<Shown>("s");
    const auto printText = Preview::PrintText, printPicture = Preview::PrintPicture;
    const QString lines = "a\r\nb";
    row("print text",
        Shown{"", true, printText, "Laser:a\r\nb", lines, {"テキストを印刷しますか"}});
    row("print text cancelled", Shown{"", true, printText, "", lines, {"印刷確認?"}, {false}});
    row("no text to print", Shown{"", false, printText, "", "", {"テキストデータはありません"}});
    row("refused job is reported",
        Shown{"", true, printText, "", lines, {"印刷確認?", "紙切れ"}, {}, "紙切れ"});
    row("print a shown picture",
        Shown{"a.bmp", false, printPicture, "Laser:picture", "", {"イメージを印刷しますか"}});
    row("show a CP932 text", Shown{.file = "a.txt", .shown = "日本\r\nx\r\n"});
    row("broken picture is reported", Shown{.file = "a.jpg", .said = {"画像を読み込めません"}});
    row("vanished file is reported", Shown{.file = "gone.txt", .said = {"を開けません"}});
    row("reset asks, then empties",
        Shown{.text = true, .button = Preview::Reset, .said = {"リセット確認?"}});
}

void AppTest::preview()
{
    QFETCH(Shown, s);
    Started p;
    QVERIFY(QImage(4, 3, QImage::Format_RGB32).save(p.file("a.bmp"), "BMP"));
    QVERIFY(write(p.file("a.txt"), "\x93\xfa\x96\x7b\r\nx") && write(p.file("a.jpg"), "no"));
    if (s.text)
        p.state.showText("a\r\nb", QString());
    if (!s.file.isEmpty())
        p.viewer.showFile(s.file);
    p.dialogs.answers = s.answers;
    p.printers.refusal = s.refusal;
    if (s.button == Preview::PrintText)
        p.printing.printShownText();
    if (s.button == Preview::PrintPicture)
        p.printing.printShownPicture();
    if (s.button == Preview::Reset)
        p.viewer.reset();
    QCOMPARE(p.printers.jobs.join(u'/'), s.jobs);
    QCOMPARE(p.state.shownText(), s.shown);
    compareSaid(p.dialogs.shown, s.said);
}

void AppTest::startUp_data()
{
    QTest::addColumn<StartUp>("s");
    const QString later =
        "<dir>/SWData/05Nov14\n 1 \n 2 \n登録名\na,会議\n1\nPNG\nしない\nlaser\n 1 \n150\n-30\n";
    const QString written = "<dir>/SWData/26Dec07\r\n 1 \r\n 2 \r\n登録名\r\na,会議\r\n 1 "
                            "\r\nPNG\r\nしない\r\nLaser\r\n 1 \r\n7\r\n-30\r\n";
    const QString garbage = "\n 7 \nx\n登録名\n";
    // Qt ends the process where the display goes, here while a box of
    // start-up is open: the settings, not read yet, must not be written over.
    const Step displayLost = [](Program &p) {
        p.dialogs.whileShown = [&p, unread = bytesOf(p.state.settingsFilePath())] {
            p.lifecycle.shutDownWithoutDisplay();
            QCOMPARE(bytesOf(p.state.settingsFilePath()), unread);
        };
    };
    const Step diskFull = [](Program &p) {
        limitFileSize(64);
        p.state.changeSettings([](Settings &s) { s.buttonWindowTop = "99"; });
    };
    const Step trayAndDayFail = [](Program &p) {
        p.trayIcon.failing = true;
        QVERIFY(write(p.folder + "/SWData/26Dec07", "x"));
    };
    const Step settingsFolder = [](Program &p) {
        QFile::remove(p.state.settingsFilePath());
        QVERIFY(QDir().mkdir(p.state.settingsFilePath()));
    };
    row("UTF-8 without a byte order mark", StartUp{.file = later, .utf8 = true, .after = written});
    row("garbage is kept aside as .bak", StartUp{.file = garbage, .kept = garbage});
    row("missing saved folder is said, shortened; the display lost then writes nothing",
        StartUp{.file = QString(300, u'x') + "\n 1 ", .before = displayLost, .said = {"xxx…xxx"}});
    row("first run that cannot write says why",
        StartUp{.before = settingsFolder, .said = {"に書き込めません", "に書き込めません"}});
    row("a failed save at quit is said, the icon still goes",
        StartUp{.atQuit = settingsFolder, .said = {"設定を初期化しました。", "に書き込めません"}});
    row("a full disk at quit keeps the file, said once",
        StartUp{.file = later, .atQuit = diskFull, .said = {"に書き込めません"}, .after = written});
    row("failing steps are skipped",
        StartUp{.before = trayAndDayFail, .said = {"パスが見つかりません"}, .folder = "SWData"});
}

void AppTest::startUp()
{
    QFETCH(StartUp, s);
    Program p;
    const auto bytes = [&](QString text, bool utf8 = false) {
        text.replace("<dir>", p.folder);
        return utf8 ? text.toUtf8() : encodeFileText(text);
    };
    QVERIFY(QDir().mkpath(p.folder + "/SWData/05Nov14"));
    QVERIFY(s.file.isEmpty() || write(p.state.settingsFilePath(), bytes(s.file, s.utf8)));
    if (s.before)
        s.before(p);
    p.start();
    QVERIFY(p.dialogs.shown.join("").size() < 250);
    QCOMPARE(p.state.currentFolder(), QDir::cleanPath(p.folder + u'/' + s.folder));
    QVERIFY(!p.lifecycle.hasEnded() && p.state.isMonitoring());
    p.state.changeSettings([](Settings &s) { s.buttonWindowTop = "7"; }); // on disk soon
    if (QFileInfo(p.state.settingsFilePath()).isFile())
        QTRY_COMPARE(bytesOf(p.state.settingsFilePath()), p.state.settingsFileBytes());
    if (s.atQuit)
        s.atQuit(p);
    p.lifecycle.shutDown();
    limitFileSize(RLIM_INFINITY);
    QVERIFY(p.lifecycle.hasEnded() && !p.trayIcon.present && !p.state.isMonitoring() &&
            !p.state.isButtonWindowOpen());
    compareSaid(p.dialogs.shown, s.said);
    QVERIFY(s.after.isEmpty() || bytesOf(p.state.settingsFilePath()) == bytes(s.after));
    QCOMPARE(bytesOf(p.state.settingsFilePath() + ".bak"),
             s.kept.isEmpty() ? "(missing)" : bytes(s.kept));
}

// Qt ends the process with exit() where the display goes: the guard's work runs
// then (here it ends the child with 7), not after the guard's end nor for another thread.
void AppTest::abruptExit()
{
    for (const Exit how : {Exit::Guarded, Exit::AfterTheGuard, Exit::OtherThread}) {
        const pid_t child = ::fork();
        if (child == 0) {
            // Ends the child after the guard's handler (they run last-made
            // first), before a leak checker's takes the parent's threads for leaks.
            std::atexit([] { std::_Exit(0); });
            std::optional<AbruptExitGuard> guard(std::in_place, [] { std::_Exit(7); });
            if (how == Exit::AfterTheGuard)
                guard.reset();
            if (how == Exit::OtherThread)
                std::thread([] { std::exit(1); }).join();
            std::exit(1);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QCOMPARE(WEXITSTATUS(status), how == Exit::Guarded ? 7 : 0);
    }
}

// A long run: a thousand full-screen pictures, each saved, and the resident
// memory after the last within 10 MB of what it was after the first 100.
void AppTest::thousandPicturesInOneRun()
{
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("the sanitizer keeps freed memory aside and runs slower");
#endif
    Started p;
    QImage frame(1920, 1080, QImage::Format_RGB32);
    QList<qint64> resident; // in pages of 4 KB, after the 100th capture and the 1000th
    for (int i = 1; i <= 1000; ++i) {
        frame.fill(QColor::fromHsv(i * 7 % 360, 120, 200));
        p.clipboard.setImage(frame);
        if (i == 100 || i == 1000)
            resident << bytesOf("/proc/self/statm").split(' ').value(1).toLongLong();
    }
    QCOMPARE(filesIn(p.state.currentFolder()).size(), 1000);
    QCOMPARE_LT(resident[1] - resident[0], 2560);
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
