// The running program without windows: the state and the services over the
// ports' doubles, in real folders. One table per service.

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utime.h>

#include <csignal>
#include <thread>

#include <QtTest>

#include "app/failurerules.h"
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

Step diskFullAt(rlim_t bytes)
{
    return [bytes](Program &) { limitFileSize(bytes); };
}

// Random pixels: neither the bitmap nor a PNG of it shrinks.
QImage noise(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, QRandomGenerator::global()->generate() | 0xFF000000u);
    return image;
}

// The day folder replaced by a file while a copy comes: that capture fails.
void copyFailing(Program &p)
{
    const QString folder = p.state.currentFolder();
    QVERIFY(QDir(folder).removeRecursively() && QFile(folder).open(QIODevice::WriteOnly));
    p.clipboard.setText("x");
    QVERIFY(QFile::remove(folder) && QDir().mkdir(folder));
}

void midnight(Program &p)
{
    p.clock.time = QDateTime(p.clock.time.date().addDays(1), QTime(0, 0, 30));
}

enum class Copied { Text, Secret, TextAndPicture, Picture };
enum class Button { Today, Management, Browse };
enum class Preview { PrintText, PrintPicture, Reset, Nothing };
enum class Exit { Guarded, AfterTheGuard, OtherThread };
enum class NextDay { Missing, Made, AFile };

// One clipboard change of a run: so many seconds after the one before, with
// so many changes missed before it.
struct Change
{
    enum Kind { Read, Overtaken, Fails, AfterRestart } kind = Read;
    int missed = 0;
    int later = 0;
};

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
    void midnight_data();
    void midnight();
    void notices_data();
    void notices();
    void startUp_data();
    void startUp();
    void displayLoss_data();
    void displayLoss();
    void abruptExit_data();
    void abruptExit();
    void thousandPicturesInOneRun();
};

void AppTest::capture_data()
{
    QTest::addColumn<Copied>("copied");
    QTest::addColumn<Tick>("saveText");
    QTest::addColumn<Tick>("print");
    QTest::addColumn<PictureType>("type");
    QTest::addColumn<Step>("fault"); // before the copy; the disk has room again after it
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<int>("told");
    const auto row = [](const char *name, Copied copied, Tick saveText, Tick print,
                        PictureType type, const Step &fault, const QStringList &files,
                        int told = 0) {
        QTest::newRow(name) << copied << saveText << print << type << fault << files << told;
    };
    const auto off = Tick::Off, on = Tick::On;
    const auto jpg = PictureType::Jpg, png = PictureType::Png;
    const auto text = Copied::Text, picture = Copied::Picture;
    const QStringList txt{"user001.txt"}, bmp{"user001.bmp"}, none;
    row("greyed box keeps and prints nothing", text, Tick::Greyed, on, jpg, {}, none);
    row("secret not captured", Copied::Secret, on, on, jpg, {}, none);
    row("text wins over picture", Copied::TextAndPicture, on, off, jpg, {}, txt);
    row("JPG", picture, off, off, jpg, {}, {"user001.jpg"});
    row("JPEG", picture, off, off, PictureType::Jpeg, {}, {"user001.jpeg"});
    row(
        "failing converter keeps the bitmap", picture, off, off, png,
        [](Program &p) { p.converters.behaviour = [](auto &&...) { return 0; }; }, bmp);
    row(
        "missing converter keeps the bitmap, is told", picture, off, off, jpg,
        [](Program &p) {
            p.converters.behaviour = [](auto &&...) -> int { throw Failure("JpegSaver がない"); };
        },
        bmp, 1);
    row(
        "vanished day folder is made again", text, on, off, jpg,
        [](Program &p) { QVERIFY(QDir(p.state.currentFolder()).removeRecursively()); }, txt);
    row(
        "BMP files follow the umask", picture, off, off, PictureType::Bmp,
        [](Program &) { ::umask(077); }, bmp);
    row(
        "failed print keeps the conversion and is told", picture, off, on, png,
        [](Program &p) { p.printers.refusal = "紙切れ"; }, {"user001.png"}, 1);
    row("full disk: a text cut off is told", text, on, off, png, diskFullAt(3), none, 1);
    row("full disk: a bitmap cut off is told", picture, off, off, png, diskFullAt(100), none, 1);
    row("full disk: a conversion cut off keeps the bitmap whole", picture, off, off, png,
        diskFullAt(54 + 32 * 20 * 3), bmp);
}

void AppTest::capture()
{
    QFETCH(Copied, copied);
    QFETCH(Tick, saveText);
    QFETCH(Tick, print);
    QFETCH(PictureType, type);
    QFETCH(Step, fault);
    QFETCH(QStringList, files);
    Program p;
    p.start();
    p.dialogs.shown.clear();
    p.state.changeSettings(
        [&](Settings &s) { s.saveText = saveText, s.printAtOnce = print, s.pictureType = type; });
    const QString folder = p.state.currentFolder(), byHand = p.folder + "/by hand";
    const QImage picture = noise(32, 20);
    const mode_t umask = ::umask(022);
    if (fault)
        fault(p);
    p.clipboard.secret = copied == Copied::Secret;
    if (copied == Copied::Picture)
        p.clipboard.setImage(picture);
    else
        p.clipboard.set("a\nb", true, copied == Copied::TextAndPicture ? picture : QImage());
    limitFileSize(RLIM_INFINITY);
    // Files are made as any program's under the umask: as one made by hand.
    QVERIFY(write(byHand, "x") && QFile::remove(p.state.settingsFilePath()));
    p.state.saveSettings();
    ::umask(umask);
    for (const QString &path : {p.state.settingsFilePath(), p.file(files.value(0, "none"))})
        QVERIFY(!QFileInfo::exists(path) ||
                QFileInfo(path).permissions() == QFileInfo(byHand).permissions());
    QCOMPARE(filesIn(folder), files);
    QCOMPARE(p.state.shownText(),
             copied == Copied::Text || copied == Copied::TextAndPicture ? "a\r\nb" : "");
    QVERIFY(p.printers.jobs.isEmpty());
    QTEST(int(p.trayIcon.notices.size()), "told");
    QVERIFY(p.dialogs.shown.isEmpty());
    // The options each format hands its converter.
    const QHash<PictureType, QString> option{{PictureType::Jpg, "jpg q95"},
                                             {PictureType::Jpeg, "jpeg q30"},
                                             {PictureType::Png, "png ac3"}};
    if (copied == Copied::Picture && !p.converters.calls.isEmpty())
        QCOMPARE(p.converters.calls, QStringList{option.value(type)});
    const QString last = files.isEmpty() ? QString() : p.file(files.last());
    if (last.endsWith(".txt")) {
        QCOMPARE(bytesOf(last), "a\r\nb\r\n");
        QCOMPARE(p.state.shownTextPath(), last);
    } else if (!last.isEmpty()) {
        const QImage saved(last);
        QCOMPARE(saved.size(), picture.size());
        QVERIFY(last.contains(".jp") || saved.convertToFormat(QImage::Format_RGB32) == picture);
        QCOMPARE(p.state.shownPicturePath(), p.file("user001"));
    }
}

void AppTest::headers_data()
{
    QTest::addColumn<QStringList>("before"); // registered names, none chosen
    QTest::addColumn<HeaderMode>("mode");
    QTest::addColumn<QStringList>("added"); // by button 追加, one after another
    QTest::addColumn<int>("chosen");        // then a name chosen by its place, or -1
    QTest::addColumn<bool>("removed");      // then button 削除
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("tip");
    QTest::addColumn<QStringList>("said");
    const auto row = [](const char *name, const QStringList &before, HeaderMode mode,
                        const QStringList &added, int chosen, bool removed,
                        const QList<bool> &answers, const QStringList &names, int index,
                        const QString &tip, const QStringList &said = {}) {
        QTest::newRow(name) << before << mode << added << chosen << removed << answers << names
                            << index << QString(tip + "(snagwell)").trimmed() << said;
    };
    const auto user = HeaderMode::User, registered = HeaderMode::Registered;
    const QString users = "ﾕｰｻﾞｰ名";
    row("add chooses the name", {}, registered, {"会議"}, -1, false, {}, {"会議"}, 0, "会議");
    row("blanks around a name are kept", {}, registered, {"\u3000会議 "}, -1, false, {},
        {"\u3000会議 "}, 0, "\u3000会議 ");
    row("name chosen under another mode keeps the tip", {}, user, {"a", "b"}, 0, false, {},
        {"a", "b"}, 0, users);
    row("the empty entry goes when nothing is chosen", {""}, user, {"x"}, -1, false, {}, {"x"}, 0,
        users);
    row("names without a choice stay", {"a", "b"}, user, {"c"}, -1, false, {}, {"a", "b", "c"}, 2,
        users);
    row("same name twice chooses the first", {}, user, {"a", "b", "a"}, -1, false, {},
        {"a", "b", "a"}, 0, users);
    row("declined or empty adds nothing", {}, user, {"a", ""}, -1, false, {false}, {}, -1, users,
        {"ファイル名登録?"});
    row("delete chooses the one before", {}, user, {"a", "b", "c"}, -1, true, {}, {"a", "b"}, 1,
        users);
    row("delete the first chooses the new first", {}, registered, {"a", "b"}, 0, true, {}, {"b"}, 0,
        "b");
    row("delete the last leaves the empty header", {}, registered, {"a"}, -1, true, {}, {}, -1, "");
    row("declined delete", {}, user, {"a"}, -1, true, {true, false}, {"a"}, 0, users);
    row("a name with a comma is refused", {}, user, {"a,b"}, -1, false, {}, {}, -1, users,
        {"登録名に「,」は使えません"});
    row("a name too long for a file name is refused", {}, user,
        {QString(longestHeaderBytes + 1, u'n')}, -1, false, {}, {}, -1, users, {"長すぎます"});
}

void AppTest::headers()
{
    QFETCH(QStringList, before);
    QFETCH(HeaderMode, mode);
    QFETCH(QStringList, added);
    QFETCH(int, chosen);
    QFETCH(QList<bool>, answers);
    Program p;
    p.start();
    p.dialogs.shown.clear();
    p.state.changeSettings([&](Settings &s) { s.registeredNames = before; });
    p.headers.chooseMode(mode);
    p.dialogs.answers = answers;
    for (const QString &name : added)
        p.headers.addName(name);
    if (chosen >= 0)
        p.headers.chooseRegisteredName(chosen);
    if (QFETCH(bool, removed); removed)
        p.headers.removeChosenName();
    QTEST(p.state.settings().registeredNames, "names");
    QTEST(p.state.settings().registeredIndex, "index");
    QTEST(p.trayIcon.tip.trimmed(), "tip");
    if (QFETCH(QStringList, said); !said.isEmpty())
        compareSaid(p.dialogs.shown, said);
}

void AppTest::folderButtons_data()
{
    QTest::addColumn<QStringList>("folders"); // made first
    QTest::addColumn<QString>("file");        // a file made where a folder belongs
    QTest::addColumn<QString>("at");          // where the browser stands
    QTest::addColumn<Button>("button");       // Browse: the user goes to `at` instead
    QTest::addColumn<bool>("declined");
    QTest::addColumn<QString>("folder"); // where the browser stands after
    QTest::addColumn<QStringList>("said");
    const auto row = [](const char *name, const QStringList &folders, const QString &file,
                        const QString &at, Button button, const QString &folder,
                        const QStringList &said = {}, bool declined = false) {
        QTest::newRow(name) << folders << file << at << button << declined << folder << said;
    };
    const auto today = Button::Today, management = Button::Management;
    const QString sw = "SWData", day = "SWData/26Dec07", old = "SWData/26Dec01";
    row("today made in SWData", {sw}, "", sw, today, day);
    row("today there is entered", {day}, "", sw, today, day,
        {"選択したディレクトリには今日の日付フォルダがあります"});
    row("at today's folder", {day}, "", day, today, day, {"今日の日付フォルダが選択されています"});
    row("from another day to today's", {day, old}, "", old, today, day,
        {"今日の日付フォルダに移動しました"});
    row("another day without today's", {old}, "", old, today, old);
    row("today outside SWData", {}, "", "", today, "",
        {"管理フォルダに移動してから実行して下さい。"});
    row("SWData made after asking", {}, "", "", management, day,
        {"管理フォルダ作成?選択したディレクトリに管理フォルダを作成しますか？"});
    row("SWData declined", {}, "", "", management, "", {"管理フォルダ作成?"}, true);
    row("SWData there is entered", {sw}, "", "", management, day,
        {"選択したディレクトリには管理フォルダがあります"});
    row("at SWData", {day}, "", sw, management, day, {"管理フォルダが選択されています"});
    row("inside SWData", {old}, "", old, management, old, {"管理フォルダの中です"});
    row("a file named SWData is reported", {}, sw, "", management, "",
        {"管理フォルダがあります", "パスが見つかりません"});
    row("a file named today is reported", {sw}, day, sw, today, sw,
        {"今日の日付フォルダがあります", "パスが見つかりません"});
    row("the browser refuses a carriage return", {"a\rb"}, "", "a\rb", Button::Browse, "",
        {"名前に改行を含むフォルダには移動できません"});
}

void AppTest::folderButtons()
{
    QFETCH(QStringList, folders);
    QFETCH(QString, file);
    QFETCH(QString, at);
    QFETCH(Button, button);
    Program p;
    p.start();
    p.dialogs.shown.clear();
    const QString base = p.folder + "/b";
    for (const QString &folder : folders << QString())
        QVERIFY(QDir().mkpath(base + u'/' + folder));
    QVERIFY(file.isEmpty() || write(base + u'/' + file, "x"));
    if (QFETCH(bool, declined); declined)
        p.dialogs.answers = {false};
    const QString path = QDir::cleanPath(base + u'/' + at);
    if (button == Button::Browse) // as the browser's folder list does
        p.state.enterFolder(base), reportFailure(p.dialogs, [&] { p.state.enterFolder(path); });
    else
        p.state.enterFolder(path);
    if (button == Button::Today)
        p.folders.makeTodaysFolderReported();
    if (button == Button::Management)
        p.folders.makeManagementFolderReported();
    QTEST(QDir(base).relativeFilePath(p.state.currentFolder()).replace(".", ""), "folder");
    QFETCH(QStringList, said);
    compareSaid(p.dialogs.shown, said);
}

void AppTest::preview_data()
{
    QTest::addColumn<QString>("file"); // shown from the list first: a.txt (CP932), a.bmp, a.png,
                                       // a.jpg (broken)
    QTest::addColumn<bool>("text");    // a text shown
    QTest::addColumn<Preview>("button");
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<QString>("refusal"); // the printer's
    QTest::addColumn<QString>("jobs");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QStringList>("said");
    const auto row = [](const char *name, const QString &file, bool text, Preview button,
                        const QString &jobs, const QString &shown, const QStringList &said,
                        const QList<bool> &answers = {}, const QString &refusal = {}) {
        QTest::newRow(name) << file << text << button << answers << refusal << jobs << shown
                            << said;
    };
    const auto printText = Preview::PrintText, printPicture = Preview::PrintPicture;
    const QString lines = "a\r\nb";
    row("print text", "", true, printText, "Laser:P:a\r\nb", lines,
        {"印刷確認?テキストを印刷しますか"});
    row("print text cancelled", "", true, printText, "", lines, {"印刷確認?"}, {false});
    row("no text to print", "", false, printText, "", "", {"テキストデータはありません"});
    row("refused job is reported", "", true, printText, "", lines, {"印刷確認?", "紙切れ"}, {},
        "紙切れ");
    row("print a shown picture", "a.bmp", false, printPicture, "Laser:L:picture@10,10 60x45", "",
        {"イメージを印刷しますか"});
    row("no picture to print", "", true, printPicture, "", lines, {"イメージが選択されていません"});
    row("show a CP932 text", "a.txt", false, Preview::Nothing, "", "日本\r\nx\r\n", {});
    row("PNG only says why", "a.png", false, Preview::Nothing, "", "",
        {"PNG形式のファイルは表示できません。"});
    row("broken picture is reported", "a.jpg", false, Preview::Nothing, "", "",
        {"画像を読み込めません"});
    row("vanished file is reported", "gone.txt", false, Preview::Nothing, "", "", {"を開けません"});
    row("reset asks, then empties", "", true, Preview::Reset, "", "",
        {"リセット確認?表示データをリセットしますか"});
}

void AppTest::preview()
{
    QFETCH(QString, file);
    QFETCH(Preview, button);
    Program p;
    p.start();
    p.dialogs.shown.clear();
    QVERIFY(QImage(4, 3, QImage::Format_RGB32).save(p.file("a.bmp"), "BMP"));
    QVERIFY(write(p.file("a.txt"), "\x93\xfa\x96\x7b\r\nx") && write(p.file("a.png"), "png") &&
            write(p.file("a.jpg"), "no"));
    if (QFETCH(bool, text); text)
        p.state.showText("a\r\nb", QString());
    if (!file.isEmpty())
        p.viewer.showFile(file);
    QFETCH(QList<bool>, answers);
    QFETCH(QString, refusal);
    p.dialogs.answers = answers;
    p.printers.refusal = refusal;
    if (button == Preview::PrintText)
        p.printing.printShownText();
    if (button == Preview::PrintPicture)
        p.printing.printShownPicture();
    if (button == Preview::Reset)
        p.viewer.reset();
    QTEST(p.printers.jobs.join(u'/'), "jobs");
    QTEST(p.state.shownText(), "shown");
    QFETCH(QStringList, said);
    compareSaid(p.dialogs.shown, said);
}

void AppTest::midnight_data()
{
    QTest::addColumn<NextDay>("nextDay"); // what 26Dec08 is before midnight
    QTest::addColumn<int>("midnights");   // each followed by a capture
    QTest::addColumn<bool>("byHand");     // the text saved by テキスト保存, not copied
    QTest::addColumn<bool>("back");       // then the user goes back to 26Dec07, and a copy
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("folder"); // where the browser stands after
    const auto row = [](const char *name, NextDay nextDay, int midnights, bool byHand, bool back,
                        const QStringList &files, const QString &folder) {
        QTest::newRow(name) << nextDay << midnights << byHand << back << files << folder;
    };
    const QString d7 = "26Dec07/user001.txt", d8 = "26Dec08/user001.txt";
    row("the new day's folder there already is entered", NextDay::Made, 1, false, false, {d8},
        "26Dec08");
    row("going back to yesterday's after the move is kept", NextDay::Missing, 1, false, true,
        {d7, d8}, "26Dec07");
    row("today's cannot be made: the capture stays in yesterday's", NextDay::AFile, 1, false, false,
        {d7}, "26Dec07");
    row("a text saved by hand after midnight", NextDay::Missing, 1, true, false, {d8}, "26Dec08");
    row("two midnights, two folders", NextDay::Missing, 2, false, false,
        {d8, "26Dec09/user001.txt"}, "26Dec09");
}

void AppTest::midnight()
{
    QFETCH(NextDay, nextDay);
    QFETCH(int, midnights);
    QFETCH(bool, byHand);
    Program p;
    p.start();
    p.dialogs.shown.clear();
    p.state.changeSettings([](Settings &s) { s.saveText = Tick::On; });
    const QString base = p.folder + "/SWData", d8 = base + "/26Dec08";
    QVERIFY(nextDay != NextDay::Made || QDir().mkpath(d8));
    QVERIFY(nextDay != NextDay::AFile || write(d8, "x"));
    for (int day = 0; day < midnights; ++day) {
        ::midnight(p);
        if (byHand)
            p.state.showText("x", QString()), p.recorder.saveShownTextAsked();
        else
            p.clipboard.setText("x");
    }
    if (QFETCH(bool, back); back)
        p.state.enterFolder(base + "/26Dec07"), p.clipboard.setText("x");
    QTEST(textsIn(base), "files");
    QTEST(QDir(base).relativeFilePath(p.state.currentFolder()), "folder");
    QCOMPARE(p.dialogs.shown.size(), byHand ? midnights : 0); // 保存確認 alone
}

void AppTest::notices_data()
{
    QTest::addColumn<QList<Change>>("changes");
    QTest::addColumn<QStringList>("told"); // beside the tray icon
    QTest::addColumn<int>("texts");        // captured
    const QString missed = "件のクリップボードの変更を読み取れませんでした",
                  failed = "キャプチャを保存できませんでした";
    using C = Change;
    QTest::newRow("overtaken ones add up")
        << QList<C>{{C::Overtaken, 2}, {}} << QStringList{"3" + missed} << 1;
    QTest::newRow("within a minute of a notice: not yet")
        << QList<C>{{C::Read, 1}, {C::Read, 2, 10}} << QStringList{"1" + missed} << 2;
    QTest::newRow("within a minute of a notice: told after it")
        << QList<C>{{C::Read, 1}, {C::Read, 2, 10}, {C::Read, 0, 50}}
        << QStringList{"1" + missed, "2" + missed} << 3;
    QTest::newRow("a failure and misses share the minute")
        << QList<C>{{C::Fails}, {C::Read, 1}, {C::Read, 0, 60}} << QStringList{failed, "1" + missed}
        << 2;
    QTest::newRow("failures are told once a minute")
        << QList<C>{{C::Fails}, {C::Fails, 0, 30}, {C::Fails, 0, 30}} << QStringList{failed, failed}
        << 0;
    QTest::newRow("misses before monitoring starts are not told")
        << QList<C>{{C::AfterRestart, 3}} << QStringList{} << 1;
}

void AppTest::notices()
{
    QFETCH(QList<Change>, changes);
    Program p;
    p.start();
    p.state.changeSettings([](Settings &s) { s.saveText = Tick::On; });
    QSignalSpy inWindow(&p.state, &State::captureProblemTold);
    for (const Change &change : changes) {
        p.clock.time = p.clock.time.addSecs(change.later);
        if (change.kind == Change::AfterRestart)
            p.recorder.stop();
        p.clipboard.missed += change.missed;
        if (change.kind == Change::AfterRestart)
            p.recorder.start();
        p.clipboard.overtaken = change.kind == Change::Overtaken;
        if (change.kind == Change::Fails)
            copyFailing(p);
        else
            p.clipboard.setText("x");
    }
    QFETCH(QStringList, told);
    compareSaid(p.trayIcon.notices, told);
    QTEST(int(textsIn(p.folder).size()), "texts");
    QCOMPARE(inWindow.size(), 0); // with a tray, nothing is told in the window
}

void AppTest::startUp_data()
{
    QTest::addColumn<QString>("file"); // the settings file before, "" for none; <dir> is the folder
    QTest::addColumn<Step>("before");  // start-up
    QTest::addColumn<Step>("atQuit");
    QTest::addColumn<QStringList>("said");
    QTest::addColumn<QString>("folder"); // where the browser stands after start-up
    QTest::addColumn<QString>("after");  // the settings file after shutdown, "" unchecked
    QTest::addColumn<QString>("kept");   // the earlier file kept aside
    const auto row = [](const char *name, const QString &file, const Step &before,
                        const Step &atQuit, const QStringList &said, const QString &folder,
                        const QString &after = {}, const QString &kept = {}) {
        QTest::newRow(name) << file << before << atQuit << said << folder << after << kept;
    };
    const QString later =
        "<dir>/SWData/05Nov14\n 1 \n 2 \n登録名\na,会議\n1\nPNG\nしない\nlaser\n 1 \n150\n-30\n";
    const QString written = "<dir>/SWData/26Dec07\r\n 1 \r\n 2 \r\n登録名\r\na,会議\r\n 1 "
                            "\r\nPNG\r\nしない\r\nLaser\r\n 1 \r\n150\r\n-30\r\n";
    const QString day = "SWData/26Dec07", garbage = "\n 7 \nx\n登録名\n";
    const Step settingsFolder = [](Program &p) {
        QFile::remove(p.state.settingsFilePath());
        QVERIFY(QDir().mkdir(p.state.settingsFilePath()));
    };
    row("LF line ends, from an old day folder", later, {}, {}, {}, day, written);
    row(
        "UTF-8 without a byte order mark", later,
        [](Program &p) {
            const QString path = p.state.settingsFilePath();
            QVERIFY(write(path, decodeFileText(bytesOf(path)).toUtf8()));
        },
        {}, {}, day, written);
    row("garbage is kept aside as .bak", garbage, {}, {}, {}, day, {}, garbage);
    row("missing saved folder is said, shortened", QString(300, u'x') + "\n 1 ", {}, {},
        {"xxx…xxx"}, day);
    row("first run that cannot write says why", "", settingsFolder, {},
        {"に書き込めません", "に書き込めません"}, day);
    row("a failed save at quit is said, the icon still goes", "", {}, settingsFolder,
        {"設定を初期化しました。", "に書き込めません"}, day);
    row(
        "a full disk at quit keeps the file, said once", later, {},
        [](Program &p) {
            limitFileSize(64);
            p.state.changeSettings([](Settings &s) { s.buttonWindowTop = "99"; });
        },
        {"に書き込めません"}, day, written);
    row(
        "failing steps are skipped", "",
        [](Program &p) {
            p.trayIcon.failing = true;
            QVERIFY(write(p.folder + "/SWData/26Dec07", "x"));
        },
        {}, {"パスが見つかりません"}, "SWData");
}

void AppTest::startUp()
{
    QFETCH(QString, file);
    QFETCH(Step, before);
    QFETCH(Step, atQuit);
    Program p;
    const auto bytes = [&](QString text) {
        return encodeFileText(text.replace("<dir>", p.folder));
    };
    QVERIFY(QDir().mkpath(p.folder + "/SWData/05Nov14"));
    QVERIFY(file.isEmpty() || write(p.state.settingsFilePath(), bytes(file)));
    if (before)
        before(p);
    p.start();
    QVERIFY(p.dialogs.shown.join("").size() < 250);
    QFETCH(QString, folder);
    QCOMPARE(p.state.currentFolder(), QDir::cleanPath(p.folder + u'/' + folder));
    QVERIFY(!p.lifecycle.hasEnded() && p.state.isMonitoring());
    QCOMPARE(p.state.isButtonWindowOpen(), p.state.settings().showButtonWindow != Tick::Off);
    for (const QString &top :
         QStringList{"7", p.state.settings().buttonWindowTop}) { // on disk soon, not only at quit
        p.state.changeSettings([&](Settings &s) { s.buttonWindowTop = top; });
        if (QFileInfo(p.state.settingsFilePath()).isFile())
            QTRY_COMPARE(bytesOf(p.state.settingsFilePath()), p.state.settingsFileBytes());
    }
    if (atQuit)
        atQuit(p);
    QSignalSpy ended(&p.lifecycle, &Lifecycle::ended);
    p.lifecycle.shutDown();
    limitFileSize(RLIM_INFINITY);
    QCOMPARE(ended.size(), 1);
    QVERIFY(!p.trayIcon.present && !p.state.isMonitoring() && !p.state.isButtonWindowOpen());
    QFETCH(QStringList, said);
    compareSaid(p.dialogs.shown, said);
    QFETCH(QString, after);
    QVERIFY(after.isEmpty() || bytesOf(p.state.settingsFilePath()) == bytes(after));
    QFETCH(QString, kept);
    QCOMPARE(bytesOf(p.state.settingsFilePath() + ".bak"),
             kept.isEmpty() ? "(missing)" : bytes(kept));
}

void AppTest::displayLoss_data()
{
    QTest::addColumn<bool>("atStartUp");
    QTest::newRow("a failed save is told nowhere") << false;
    QTest::newRow("a start-up box: nothing is written or deleted") << true;
}

void AppTest::displayLoss()
{
    QFETCH(bool, atStartUp);
    Program p;
    const QString old = p.folder + "/SWData/26Nov29";
    QVERIFY(QDir().mkpath(old));
    const qint64 when = FixedClock().time.addDays(-8).toSecsSinceEpoch();
    const utimbuf times{when, when};
    QCOMPARE(::utime(QFile::encodeName(old), &times), 0);
    const QByteArray unread = encodeFileText("/gone\r\n 1 \r\n");
    QVERIFY(!atStartUp || write(p.state.settingsFilePath(), unread));
    QByteArray atLoss; // the settings file when the display went, the old folder's fate
    p.dialogs.whileShown = [&] {
        p.lifecycle.shutDownWithoutDisplay();
        atLoss = bytesOf(p.state.settingsFilePath()) + (QFileInfo::exists(old) ? "1" : "0");
    };
    p.start();
    p.dialogs.shown.clear();
    if (atStartUp) { // the process ends here: nothing more runs
        QCOMPARE(atLoss, unread + "1");
        return;
    }
    p.state.changeSettings([](Settings &s) { s.saveText = Tick::On; });
    QVERIFY(QFile::remove(p.state.settingsFilePath()) && QDir().mkdir(p.state.settingsFilePath()));
    p.lifecycle.shutDownWithoutDisplay(); // before the save that follows a change
    QVERIFY(p.lifecycle.hasEnded() && !p.state.isMonitoring() && !QFileInfo::exists(old));
    QCOMPARE(p.dialogs.shown, QStringList());
    QVERIFY(p.trayIcon.present); // nothing that needs the screen is touched
}

void AppTest::abruptExit_data()
{
    QTest::addColumn<Exit>("how");
    QTest::addColumn<QByteArray>("ran");
    QTest::newRow("exit() while guarded runs the work once") << Exit::Guarded << QByteArray("work");
    QTest::newRow("exit() after the guard's end runs nothing")
        << Exit::AfterTheGuard << QByteArray();
    QTest::newRow("another thread's exit() runs nothing") << Exit::OtherThread << QByteArray();
}

void AppTest::abruptExit()
{
    QFETCH(Exit, how);
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
        if (how == Exit::AfterTheGuard)
            guard.reset();
        if (how == Exit::OtherThread)
            std::thread([] { std::exit(1); }).join();
        std::exit(1);
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QTEST(bytesOf(dir.filePath("ran")).replace("(missing)", ""), "ran");
}

void AppTest::thousandPicturesInOneRun()
{
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizer keeps freed memory aside and runs slower: a shorter run,
    // every capture still checked, memory not measured.
    const int captures = 150;
#else
    const int captures = 1000;
#endif
    const auto resident = [] {
        return bytesOf("/proc/self/statm").split(' ').value(1).toLongLong() * 4096;
    };
    Program p;
    p.start();
    QImage frame(1920, 1080, QImage::Format_RGB32);
    qint64 settled = 0;
    for (int i = 1; i <= captures; ++i) {
        frame.fill(QColor::fromHsv(i * 7 % 360, 120, 200));
        p.clipboard.setImage(frame);
        if (i == 100)
            settled = resident();
    }
    const QStringList files = filesIn(p.state.currentFolder());
    QCOMPARE(files.size(), captures);
    QVERIFY(files.contains(QString("user%1.jpg").arg(captures, 3, 10, QChar(u'0'))));
    const qint64 growth = resident() - settled;
    qInfo("%d captures; resident memory grew by %.1f MB after the first 100", captures,
          growth / 1048576.0);
#if !defined(__SANITIZE_ADDRESS__)
    QVERIFY2(growth < 10 * 1024 * 1024, qPrintable(QString::number(growth)));
#endif
}

QTEST_GUILESS_MAIN(AppTest)
#include "tst_app.moc"
