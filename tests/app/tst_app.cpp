// The running program without windows: the state and the services over the
// ports' doubles, in real folders.

#include <sys/stat.h>
#include <utime.h>

#include <QtTest>

#include "core/ansicodepage.h"
#include "core/dayfolders.h"
#include "core/naming.h"
#include "doubles/doubles.h"

using namespace snagwell;
using namespace snagwell::testing;

namespace {

const QString today = QStringLiteral("26Dec07");

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

void makeFolders(const QString &base, const QStringList &folders)
{
    for (const QString &folder : folders)
        QVERIFY(QDir().mkpath(base + u'/' + folder));
}

} // namespace

class AppTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void capture_data();
    void capture();
    void headerChoice_data();
    void headerChoice();
    void folderButtons_data();
    void folderButtons();
    void printButtons_data();
    void printButtons();
    void viewer_data();
    void viewer();
    void firstRun();
    void laterRunFromAnOldDayFolder();
    void settingsInOtherShapes_data();
    void settingsInOtherShapes();
    void secondInstanceTouchesNothing();
    void failingStepsAreSkipped();
    void shutdownRemovesTheIconWhenSavingFails();
    void stopRequestDuringStartUpWritesNothing();
    void firstRunThatCannotMakeItsFilesSaysWhy();
    void changedSettingsReachTheDiskSoon();
    void filesFollowTheUmask();
    void stopDeletesOldDayFolders();
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
    QTest::addColumn<QStringList>("jobs");
    QTest::addColumn<int>("told");
    const auto off = Tick::Off, on = Tick::On;
    const QString lines = QStringLiteral("a\r\nb");
    QTest::newRow("text only shown") << "text" << off << on << PictureType::Jpg << "" << QStringList{} << lines << QStringList{} << 0;
    QTest::newRow("text kept") << "text" << on << off << PictureType::Jpg << "" << QStringList{"user001.txt"} << lines << QStringList{} << 0;
    QTest::newRow("greyed box keeps nothing") << "text" << Tick::Greyed << off << PictureType::Jpg << "" << QStringList{} << lines << QStringList{} << 0;
    QTest::newRow("text kept and printed") << "text" << on << on << PictureType::Jpg << "" << QStringList{"user001.txt"} << lines << QStringList{"Laser:P:a\r\nb"} << 0;
    QTest::newRow("existing capture never replaced") << "text" << on << off << PictureType::Jpg << "existing" << QStringList{"user001.txt", "user002.txt"} << lines << QStringList{} << 0;
    QTest::newRow("empty text takes a number") << "empty" << on << off << PictureType::Jpg << "" << QStringList{"user001.txt"} << "" << QStringList{} << 0;
    QTest::newRow("vanished owner keeps nothing, is told") << "vanishing" << on << off << PictureType::Jpg << "" << QStringList{} << "" << QStringList{} << 1;
    QTest::newRow("secret not captured") << "secret" << on << on << PictureType::Jpg << "" << QStringList{} << "" << QStringList{} << 0;
    QTest::newRow("text wins over picture") << "both" << on << off << PictureType::Jpg << "" << QStringList{"user001.txt"} << lines << QStringList{} << 0;
    QTest::newRow("JPG") << "picture" << off << off << PictureType::Jpg << "" << QStringList{"user001.jpg"} << "" << QStringList{} << 0;
    QTest::newRow("JPEG") << "picture" << off << off << PictureType::Jpeg << "" << QStringList{"user001.jpeg"} << "" << QStringList{} << 0;
    QTest::newRow("PNG") << "picture" << off << off << PictureType::Png << "" << QStringList{"user001.png"} << "" << QStringList{} << 0;
    QTest::newRow("BMP") << "picture" << off << off << PictureType::Bmp << "" << QStringList{"user001.bmp"} << "" << QStringList{} << 0;
    QTest::newRow("picture printed at its size") << "picture" << off << on << PictureType::Png << "" << QStringList{"user001.png"} << "" << QStringList{"Laser:L:picture@10,10 450x300"} << 0;
    QTest::newRow("failing converter keeps the bitmap") << "picture" << off << off << PictureType::Png << "converter fails" << QStringList{"user001.bmp"} << "" << QStringList{} << 0;
    QTest::newRow("missing converter keeps the bitmap, is told") << "picture" << off << off << PictureType::Jpg << "converter missing" << QStringList{"user001.bmp"} << "" << QStringList{} << 1;
    QTest::newRow("vanished day folder is made again") << "text" << on << off << PictureType::Jpg << "folder gone" << QStringList{"user001.txt"} << lines << QStringList{} << 0;
    QTest::newRow("day folder replaced by a file is told") << "text" << on << off << PictureType::Jpg << "folder is a file" << QStringList{} << lines << QStringList{} << 1;
    QTest::newRow("failed print keeps the conversion and is told") << "picture" << off << on << PictureType::Png << "printer refuses" << QStringList{"user001.png"} << "" << QStringList{} << 1;
}

void AppTest::capture()
{
    QFETCH(QString, content);
    QFETCH(QString, fault);
    QFETCH(QStringList, files);
    Program p;
    p.start();
    p.dialogs.shown.clear();
    p.state.changeSettings([](Settings &s) {
        QFETCH(Tick, saveText);
        QFETCH(Tick, print);
        QFETCH(PictureType, type);
        s.saveText = saveText;
        s.printAtOnce = print;
        s.pictureType = type;
    });
    const QString folder = p.state.currentFolder();
    QCOMPARE(folder, p.folder + QStringLiteral("/SWData/") + today);
    if (fault == QLatin1String("existing")) {
        QFile old(p.file(QStringLiteral("user001.txt")));
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    } else if (fault == QLatin1String("converter fails")) {
        p.converters.behaviour = [](const QString &, const QString &, const QString &) { return 0; };
    } else if (fault == QLatin1String("converter missing")) {
        p.converters.behaviour = [](const QString &, const QString &, const QString &) -> int {
            throw Failure(QStringLiteral("JpegSaver を読み込めません"));
        };
    } else if (fault.startsWith(QLatin1String("folder"))) {
        QVERIFY(QDir(folder).removeRecursively());
        if (fault.endsWith(QLatin1String("file")))
            QVERIFY(QFile(folder).open(QIODevice::WriteOnly));
    }
    p.printers.refusal = fault == QLatin1String("printer refuses") ? QStringLiteral("紙切れ") : QString();
    QImage picture(30, 20, QImage::Format_RGB32);
    picture.fill(Qt::red);
    p.clipboard.secret = content == QLatin1String("secret");
    p.clipboard.vanishing = content == QLatin1String("vanishing");
    if (content == QLatin1String("picture"))
        p.clipboard.setImage(picture);
    else if (content == QLatin1String("both"))
        p.clipboard.set(QStringLiteral("a\nb"), true, picture);
    else
        p.clipboard.setText(content == QLatin1String("empty") ? QString() : QStringLiteral("a\nb"));

    QCOMPARE(filesIn(folder), files);
    QTEST(p.state.shownText(), "shown");
    QTEST(p.printers.jobs, "jobs");
    QCOMPARE(p.dialogs.shown, QStringList());
    QTEST(int(p.trayIcon.notices.size()), "told");
    if (fault == QLatin1String("existing"))
        QCOMPARE(bytesOf(p.file(QStringLiteral("user001.txt"))), QByteArray("old"));
    else if (files.value(0).endsWith(QLatin1String(".txt")))
        QCOMPARE(bytesOf(p.file(files.first())), content == QLatin1String("empty") ? QByteArray() : QByteArray("a\r\nb\r\n"));
    else if (!files.isEmpty())
        QCOMPARE(QImage(p.file(files.first())).size(), picture.size());
    if (!files.isEmpty())
        QCOMPARE(content == QLatin1String("picture") ? p.state.shownPicturePath() + QStringLiteral(".x") : p.state.shownTextPath(),
                 content == QLatin1String("picture") ? p.file(QStringLiteral("user001.x")) : p.file(files.last()));
}

void AppTest::headerChoice_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("tip");
    QTest::newRow("mode PC") << QStringList{"mode:0"} << QStringList{} << -1 << "OFFICE-PC" << "PC名(snagwell)";
    QTest::newRow("both names") << QStringList{"mode:2"} << QStringList{} << -1 << "OFFICE-PCuser" << "PC名+ﾕｰｻﾞｰ名(snagwell)";
    QTest::newRow("add chooses the name") << QStringList{"mode:3", "add:会議"} << QStringList{"会議"} << 0 << "会議" << "会議(snagwell)";
    QTest::newRow("blanks around a name are not in the header") << QStringList{"mode:3", "add:\u3000会議 "} << QStringList{"\u3000会議 "} << 0 << "会議" << "会議 (snagwell)";
    QTest::newRow("name chosen under another mode keeps the tip") << QStringList{"add:a", "add:b", "name:0"} << QStringList{"a", "b"} << 0 << "user" << "ﾕｰｻﾞｰ名(snagwell)";
    QTest::newRow("the empty entry goes when nothing is chosen") << QStringList{"names:", "add:x"} << QStringList{"x"} << 0 << "user" << "ﾕｰｻﾞｰ名(snagwell)";
    QTest::newRow("names without a choice stay") << QStringList{"names:a,b", "add:c"} << QStringList{"a", "b", "c"} << 2 << "user" << "ﾕｰｻﾞｰ名(snagwell)";
    QTest::newRow("same name twice chooses the first") << QStringList{"add:a", "add:b", "add:a"} << QStringList{"a", "b", "a"} << 0 << "user" << "ﾕｰｻﾞｰ名(snagwell)";
    QTest::newRow("declined or empty adds nothing") << QStringList{"no", "add:a", "add:"} << QStringList{} << -1 << "user" << "ﾕｰｻﾞｰ名(snagwell)";
    QTest::newRow("delete chooses the one before") << QStringList{"add:a", "add:b", "add:c", "del"} << QStringList{"a", "b"} << 1 << "user" << "ﾕｰｻﾞｰ名(snagwell)";
    QTest::newRow("delete the first chooses the new first") << QStringList{"mode:3", "add:a", "add:b", "name:0", "del"} << QStringList{"b"} << 0 << "b" << "b(snagwell)";
    QTest::newRow("delete the last leaves the empty header") << QStringList{"mode:3", "add:a", "del"} << QStringList{} << -1 << "" << "(snagwell)";
    QTest::newRow("declined delete") << QStringList{"add:a", "no", "del"} << QStringList{"a"} << 0 << "user" << "ﾕｰｻﾞｰ名(snagwell)";
    QTest::newRow("a name with a comma is refused") << QStringList{"add:a,b"} << QStringList{} << -1 << "user" << "ﾕｰｻﾞｰ名(snagwell)";
    QTest::newRow("a name too long for a file name is refused") << QStringList{"add:long"} << QStringList{} << -1 << "user" << "ﾕｰｻﾞｰ名(snagwell)";
    QTest::newRow("button menu chooses 登録名 and the name") << QStringList{"add:a", "add:b", "button:1"} << QStringList{"a", "b"} << 1 << "b" << "b(snagwell)";
}

void AppTest::headerChoice()
{
    QFETCH(QStringList, steps);
    Program p;
    p.start();
    for (const QString &step : steps) {
        const QString value = step.section(u':', 1);
        if (step == QLatin1String("no"))
            p.dialogs.answers.append(false);
        else if (step.startsWith(QLatin1String("mode:")))
            p.headers.chooseMode(static_cast<HeaderMode>(value.toInt()));
        else if (step.startsWith(QLatin1String("names:")))
            p.state.changeSettings([&](Settings &s) { s.registeredNames = value.split(u','); });
        else if (step.startsWith(QLatin1String("add:")))
            p.headers.addName(value == QLatin1String("long") ? QString(longestHeaderBytes + 1, u'n') : value);
        else if (step.startsWith(QLatin1String("name:")))
            p.headers.chooseRegisteredName(value.toInt());
        else if (step.startsWith(QLatin1String("button:")))
            p.headers.chooseRegisteredHeader(value.toInt());
        else if (step == QLatin1String("del"))
            p.headers.removeChosenName();
    }
    QTEST(p.state.settings().registeredNames, "names");
    QTEST(p.state.settings().registeredIndex, "index");
    QTEST(p.headers.fileNameHeader(), "header");
    QTEST(p.trayIcon.tip.trimmed(), "tip");
    QVERIFY(p.trayIcon.present);
}

void AppTest::folderButtons_data()
{
    QTest::addColumn<QStringList>("made");
    QTest::addColumn<QString>("at");
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("end");
    QTest::addColumn<QString>("said");
    const QString sw = QStringLiteral("SWData"), day = QStringLiteral("SWData/26Dec07"), old = QStringLiteral("SWData/26Dec01");
    QTest::newRow("today made in SWData") << QStringList{sw} << sw << "today" << true << day << "";
    QTest::newRow("today there is entered") << QStringList{day} << sw << "today" << true << day << "選択したディレクトリには今日の日付フォルダがあります";
    QTest::newRow("at today's folder") << QStringList{day} << day << "today" << true << day << "今日の日付フォルダが選択されています";
    QTest::newRow("from another day to today's") << QStringList{day, old} << old << "today" << true << day << "今日の日付フォルダに移動しました";
    QTest::newRow("another day without today's") << QStringList{old} << old << "today" << true << old << "";
    QTest::newRow("today outside SWData") << QStringList{} << "" << "today" << true << "" << "管理フォルダに移動してから実行して下さい。";
    QTest::newRow("SWData made after asking") << QStringList{} << "" << "management" << true << day << "管理フォルダ作成?選択したディレクトリに管理フォルダを作成しますか？";
    QTest::newRow("SWData declined") << QStringList{} << "" << "management" << false << "" << "管理フォルダ作成?選択したディレクトリに管理フォルダを作成しますか？";
    QTest::newRow("SWData there is entered") << QStringList{sw} << "" << "management" << true << day << "選択したディレクトリには管理フォルダがあります";
    QTest::newRow("at SWData") << QStringList{day} << sw << "management" << true << day << "管理フォルダが選択されています";
    QTest::newRow("inside SWData") << QStringList{old} << old << "management" << true << old << "管理フォルダの中です";
    QTest::newRow("a file named SWData is reported") << QStringList{"file:SWData"} << "" << "management" << true << "" << "選択したディレクトリには管理フォルダがあります|パスが見つかりません";
    QTest::newRow("a file named today is reported") << QStringList{sw, "file:SWData/26Dec07"} << sw << "today" << true << sw << "選択したディレクトリには今日の日付フォルダがあります|パスが見つかりません";
}

// Each expected fragment, in order, within the boxes shown.
void compareSaid(const QStringList &shown, const QString &said)
{
    const QStringList expected = said.isEmpty() ? QStringList() : said.split(u'|');
    QCOMPARE(shown.size(), expected.size());
    for (qsizetype i = 0; i < shown.size(); ++i)
        QVERIFY2(shown.at(i).contains(expected.at(i)), qPrintable(shown.at(i)));
}

void AppTest::folderButtons()
{
    QFETCH(QStringList, made);
    QFETCH(QString, at);
    QFETCH(QString, end);
    Program p;
    for (const QString &entry : made) {
        if (entry.startsWith(QLatin1String("file:")))
            QVERIFY(QFile(p.folder + u'/' + entry.mid(5)).open(QIODevice::WriteOnly));
        else
            makeFolders(p.folder, {entry});
    }
    p.state.enterFolder(QDir::cleanPath(p.folder + u'/' + at));
    p.dialogs.answers = {QTest::currentDataTag() != QByteArray("SWData declined")};
    QFETCH(QString, button);
    if (button == QLatin1String("today"))
        p.folders.makeTodaysFolderReported();
    else
        p.folders.makeManagementFolderReported();
    QCOMPARE(p.state.currentFolder(), QDir::cleanPath(p.folder + u'/' + end));
    QFETCH(QString, said);
    compareSaid(p.dialogs.shown, said);
}

void AppTest::printButtons_data()
{
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<QStringList>("jobs");
    QTest::addColumn<QString>("said");
    QTest::newRow("text") << "text" << "text" << true << "" << QStringList{"Laser:P:a\r\nb"} << "印刷確認?テキストを印刷しますか";
    QTest::newRow("text cancelled") << "text" << "text" << false << "" << QStringList{} << "印刷確認?テキストを印刷しますか";
    QTest::newRow("no text") << "" << "text" << true << "" << QStringList{} << "テキストデータはありません";
    QTest::newRow("picture") << "picture" << "picture" << true << "" << QStringList{"Laser:L:picture@10,10 150x75"} << "印刷確認?イメージを印刷しますか";
    QTest::newRow("no picture") << "text" << "picture" << true << "" << QStringList{} << "イメージが選択されていません";
    QTest::newRow("refused job is reported") << "text" << "text" << true << "紙がありません" << QStringList{} << "印刷確認?テキストを印刷しますか|紙がありません";
}

void AppTest::printButtons()
{
    QFETCH(QString, shown);
    QFETCH(QString, button);
    QFETCH(bool, answer);
    Program p;
    p.printers.refusal = QTest::currentDataTag() == QByteArray("refused job is reported") ? QStringLiteral("紙がありません") : QString();
    // The saved name finds its printer whatever the letter case, and takes
    // the system's spelling.
    p.state.changeSettings([](Settings &s) { s.printer = QStringLiteral("laser"); });
    p.printing.refreshPrinters();
    QCOMPARE(p.state.settings().printer, QStringLiteral("Laser"));
    QImage picture(10, 5, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    if (shown == QLatin1String("text"))
        p.state.showText(QStringLiteral("a\r\nb"), QString());
    else if (shown == QLatin1String("picture"))
        p.state.showPicture(picture, p.folder + QStringLiteral("/x"));
    p.dialogs.answers = {answer};
    if (button == QLatin1String("text"))
        p.printing.printShownText();
    else
        p.printing.printShownPicture();
    QTEST(p.printers.jobs, "jobs");
    QFETCH(QString, said);
    compareSaid(p.dialogs.shown, said);
}

void AppTest::viewer_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("said");
    QTest::newRow("CP932 text") << "a.txt" << QByteArray("\x93\xfa\x96\x7b\r\nx") << "日本\r\nx\r\n" << "";
    QTest::newRow("picture") << "a.bmp" << QByteArray() << "" << "";
    QTest::newRow("PNG only says why") << "a.png" << QByteArray("png") << "" << "PNG形式のファイルは表示できません。";
    QTest::newRow("broken picture is reported") << "a.jpg" << QByteArray("nonsense") << "" << "画像を読み込めません";
    QTest::newRow("vanished file is reported") << "gone.txt" << QByteArray() << "" << "を開けません";
    QTest::newRow("other kinds show nothing") << "a.doc" << QByteArray("x") << "" << "";
}

void AppTest::viewer()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    Program p;
    p.state.enterFolder(p.folder);
    QFile file(p.file(name));
    if (name == QLatin1String("a.bmp")) {
        QImage image(4, 3, QImage::Format_RGB32);
        image.fill(Qt::green);
        QVERIFY(image.save(file.fileName(), "BMP"));
    } else if (name != QLatin1String("gone.txt")) {
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        file.close();
    }
    p.viewer.showFile(name);
    QTEST(p.state.shownText(), "text");
    QCOMPARE(p.state.shownPicture().width(), name == QLatin1String("a.bmp") ? 4 : 0);
    QFETCH(QString, said);
    compareSaid(p.dialogs.shown, said);
    p.viewer.reset();
    QVERIFY(p.state.shownText().isEmpty() && p.state.shownPicturePath().isEmpty());
}

void AppTest::firstRun()
{
    Program p;
    p.start();
    const QString day = p.folder + QStringLiteral("/SWData/") + today;
    QCOMPARE(p.state.currentFolder(), day);
    QCOMPARE(p.dialogs.shown, QStringList{QStringLiteral("Snagwell|設定を初期化しました。")});
    QCOMPARE(bytesOf(p.state.settingsFilePath()),
             encodeFileText(day + QStringLiteral("\r\n 0 \r\n 0 \r\nﾕｰｻﾞｰ名\r\n\r\n-1 \r\nJPG\r\n 7日前\r\n\r\n 0 \r\n\r\n\r\n")));
    QVERIFY(p.trayIcon.present && p.state.isMonitoring());
    QCOMPARE(p.trayIcon.tip.trimmed(), QStringLiteral("ﾕｰｻﾞｰ名(snagwell)"));
    // With no printer named, the last one is chosen.
    QCOMPARE(p.state.settings().printer, QStringLiteral("Laser"));
    p.lifecycle.quit();
    QVERIFY(p.lifecycle.hasEnded() && !p.trayIcon.present && !p.state.isMonitoring());
    QVERIFY(bytesOf(p.state.settingsFilePath()).contains("Laser"));
}

void AppTest::laterRunFromAnOldDayFolder()
{
    Program p;
    makeFolders(p.folder, {QStringLiteral("SWData/05Nov14")});
    const QByteArray saved = encodeFileText(
        p.folder + QStringLiteral("/SWData/05Nov14\r\n 1 \r\n 2 \r\n登録名\r\na,会議\r\n1\r\nPNG\r\nしない\r\nlaser\r\n 1 \r\n150\r\n-30\r\n"));
    QFile file(p.state.settingsFilePath());
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(saved) == saved.size());
    file.close();
    p.start();
    QCOMPARE(p.dialogs.shown, QStringList());
    QCOMPARE(p.state.currentFolder(), p.folder + QStringLiteral("/SWData/") + today);
    QCOMPARE(p.headers.fileNameHeader(), QStringLiteral("会議"));
    QVERIFY(p.state.isButtonWindowOpen());
    // Today's folder was made: the settings name it now, the rest as read.
    QByteArray expected = saved;
    expected.replace("05Nov14", today.toLatin1()).replace("\r\n1\r\n", "\r\n 1 \r\n").replace("laser", "Laser");
    QCOMPARE(bytesOf(p.state.settingsFilePath()), expected.replace("Laser", "laser"));
    p.dialogs.answers = {false};
    p.lifecycle.quit();
    QVERIFY(!p.lifecycle.hasEnded());
    p.lifecycle.shutDown();
    QVERIFY(!p.state.isButtonWindowOpen());
    QCOMPARE(bytesOf(p.state.settingsFilePath()), expected.replace("laser", "Laser"));
}

void AppTest::settingsInOtherShapes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("understood");
    const QString lines = QStringLiteral("\n 1 \n 0 \n登録名\n山田\n0\nPNG\n30日前\n\n 0 \n\n\n");
    QTest::newRow("LF line ends") << encodeFileText(lines) << true;
    QTest::newRow("UTF-8 without a byte order mark") << lines.toUtf8() << true;
    QTest::newRow("lone CR line ends") << encodeFileText(QString(lines).replace(u'\n', u'\r')) << true;
    QTest::newRow("garbage is kept aside") << QByteArray("\n 7 \nx\n登録名\n\x82") << false;
}

void AppTest::settingsInOtherShapes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, understood);
    Program p;
    QFile file(p.state.settingsFilePath());
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();
    p.start();
    p.lifecycle.shutDown();
    QCOMPARE(QFile::exists(p.state.settingsFilePath() + QStringLiteral(".bak")), !understood);
    if (!understood)
        return;
    QCOMPARE(p.state.settings().keepDays, KeepDays::Month);
    QCOMPARE(p.headers.fileNameHeader(), QStringLiteral("山田"));
    QVERIFY(bytesOf(p.state.settingsFilePath()).contains(encodeFileText(QStringLiteral("\r\n 1 \r\n 0 \r\n登録名\r\n山田\r\n 0 \r\nPNG\r\n30日前\r\n"))));
}

void AppTest::secondInstanceTouchesNothing()
{
    Program p;
    p.lock.free = false;
    p.start();
    QCOMPARE(p.dialogs.shown, QStringList{QStringLiteral("Snagwell|snagwellは起動しています")});
    QVERIFY(p.lifecycle.hasEnded() && !p.trayIcon.present && !p.state.isMonitoring());
    p.lifecycle.shutDown();
    QCOMPARE(QDir(p.folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
}

void AppTest::failingStepsAreSkipped()
{
    Program p;
    p.trayIcon.failing = true;
    makeFolders(p.folder, {QStringLiteral("SWData")});
    QVERIFY(QFile(p.folder + QStringLiteral("/SWData/") + today).open(QIODevice::WriteOnly));
    p.start();
    // Today's name is taken by a file: the browser stays in SWData, the
    // settings are still made, and the steps after the tray's still run.
    QCOMPARE(p.state.currentFolder(), p.folder + QStringLiteral("/SWData"));
    QVERIFY(QFileInfo::exists(p.state.settingsFilePath()));
    QVERIFY(p.state.isMonitoring() && !p.printing.printerNames().isEmpty());
}

void AppTest::shutdownRemovesTheIconWhenSavingFails()
{
    Program p;
    p.start();
    QVERIFY(QFile::remove(p.state.settingsFilePath()) && QDir().mkdir(p.state.settingsFilePath()));
    p.dialogs.shown.clear();
    QSignalSpy ended(&p.lifecycle, &Lifecycle::ended);
    p.lifecycle.shutDown();
    QCOMPARE(p.dialogs.shown.size(), 1);
    QVERIFY(p.dialogs.shown.first().contains(QStringLiteral("に書き込めません")));
    QVERIFY(!p.trayIcon.present);
    QCOMPARE(ended.size(), 1);
}

void AppTest::stopRequestDuringStartUpWritesNothing()
{
    Program p;
    const QByteArray saved = encodeFileText(QString(300, u'x') + QStringLiteral("\r\n 1 \r\n 1 \r\n登録名\r\nabc,会議\r\n1\r\nPNG\r\n30日前\r\nPDF\r\n 0 \r\n1500\r\n3000\r\n"));
    QFile file(p.state.settingsFilePath());
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(saved) == saved.size());
    file.close();
    p.dialogs.whileShown = [&] { p.lifecycle.shutDown(); };
    p.start();
    QCOMPARE(p.dialogs.shown.size(), 1);
    QVERIFY(p.dialogs.shown.first().size() < 260); // the garbage folder, shortened
    QVERIFY(p.lifecycle.hasEnded() && !p.state.isMonitoring() && !p.trayIcon.present);
    QCOMPARE(bytesOf(p.state.settingsFilePath()), saved);
    // A second instance waiting on its box ends at once, too.
    Program second;
    second.lock.free = false;
    second.dialogs.whileShown = [&] { second.lifecycle.shutDown(); };
    second.start();
    QVERIFY(second.lifecycle.hasEnded() && !QFileInfo::exists(second.state.settingsFilePath()));
}

void AppTest::firstRunThatCannotMakeItsFilesSaysWhy()
{
    Program p;
    QVERIFY(QDir().mkdir(p.state.settingsFilePath())); // in the way of the file
    p.start();
    QCOMPARE(p.dialogs.shown.size(), 1);
    QVERIFY2(p.dialogs.shown.first().contains(QStringLiteral("に書き込めません")), qPrintable(p.dialogs.shown.first()));
}

void AppTest::changedSettingsReachTheDiskSoon()
{
    Program p;
    p.start();
    p.headers.addName(QStringLiteral("会議"));
    p.state.changeSettings([](Settings &s) { s.printAtOnce = Tick::On; });
    QTRY_COMPARE(bytesOf(p.state.settingsFilePath()), p.state.settingsFileBytes());
}

void AppTest::filesFollowTheUmask()
{
    const mode_t old = ::umask(077);
    Program p;
    p.start();
    p.state.changeSettings([](Settings &s) { s.saveText = Tick::On; s.pictureType = PictureType::Bmp; });
    p.clipboard.setText(QStringLiteral("secret"));
    p.clipboard.setImage(QImage(2, 2, QImage::Format_RGB32));
    p.lifecycle.shutDown();
    ::umask(old);
    const auto owner = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser;
    for (const QString &path : {p.file(QStringLiteral("user001.txt")), p.file(QStringLiteral("user002.bmp")), p.state.settingsFilePath()})
        QCOMPARE(QFileInfo(path).permissions(), owner);
}

void AppTest::stopDeletesOldDayFolders()
{
    Program p;
    p.start();
    makeFolders(p.folder, {QStringLiteral("SWData/26Nov29"), QStringLiteral("SWData/26Dec01")});
    const auto age = [&](const QString &name, int days) {
        const qint64 when = p.clock.time.addDays(-days).toSecsSinceEpoch();
        const utimbuf times{when, when};
        QCOMPARE(::utime(QFile::encodeName(p.folder + QStringLiteral("/SWData/") + name), &times), 0);
    };
    age(QStringLiteral("26Nov29"), 8);
    age(QStringLiteral("26Dec01"), 6);
    p.recorder.stop();
    QCOMPARE(QDir(p.folder + QStringLiteral("/SWData")).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
             (QStringList{QStringLiteral("26Dec01"), today}));
    // Monitoring off: copies are no longer captured.
    p.state.changeSettings([](Settings &s) { s.saveText = Tick::On; });
    p.clipboard.setText(QStringLiteral("x"));
    QCOMPARE(filesIn(p.state.currentFolder()), QStringList());
}

QTEST_GUILESS_MAIN(AppTest)
#include "tst_app.moc"
