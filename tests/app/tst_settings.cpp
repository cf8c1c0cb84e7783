// The settings file: its rules on bytes, and how the settings window reads
// and writes it.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include "app/ansicodepage.h"
#include "app/failure.h"
#include "app/settingsfile.h"
#include "browse/browserlists.h"
#include "support/form1fixture.h"

using namespace snagwell;
using snagwell::testing::Form1Fixture;

namespace {

QByteArray cp932(const QString &text)
{
    return toCp932(text).value_or(QByteArray("?"));
}

QByteArray fileOf(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += cp932(line) + "\r\n";
    return bytes;
}

QStringList regNames(const QComboBox *list)
{
    QStringList names;
    for (int i = 0; i < list->count(); ++i)
        names.append(list->itemText(i));
    return names;
}

} // namespace

class SettingsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void numberLines_data();
    void numberLines();
    void numbersAreWrittenInPrintForm();
    void registeredNamesSplit_data();
    void registeredNamesSplit();
    void linesEndAtCrLfOrLoneCr();
    void settingsFileNameIsCaseSensitive();
    void emptyPathIsAnExistingFolder();
    void cp932CannotHoldEveryCharacter();

    void firstRunWritesTheStartUpValuesByteForByte();
    void readingThenWritingKeepsTheBytes();
    void threeLineFileSetsOnlyItsLines();
    void fifteenLineFileIgnoresTheSurplus();
    void badLinesKeepTheStartUpValues();
    void registeredNameIndex_data();
    void registeredNameIndex();
    void emptyFirstLineShowsNoMessage();
    void deletedFolderIsReported();
    void garbageFilesLeaveTheDefaults_data();
    void garbageFilesLeaveTheDefaults();
    void valuesOutsideCp932AreWrittenAsUtf8();
    void unreadableFileIsReportedAndStartUpGoesOn();
    void writeFailureLeavesTheOldFile();
};

void SettingsTest::numberLines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("value"); // -99999: does not convert
    QTest::newRow("print form") << " 1 " << 1;
    QTest::newRow("bare") << "1" << 1;
    QTest::newRow("leading blanks") << "  1" << 1;
    QTest::newRow("negative") << "-1 " << -1;
    QTest::newRow("half to even down") << "2.5" << 2;
    QTest::newRow("half to even up") << "3.5" << 4;
    QTest::newRow("letters") << "abc" << -99999;
    QTest::newRow("digits then letters") << "1a" << -99999;
    QTest::newRow("empty") << "" << -99999;
    QTest::newRow("overflow") << "32768" << -99999;
    QTest::newRow("lowest") << "-32768" << -32768;
    QTest::newRow("full-width digit") << QStringLiteral("１") << -99999;
}

void SettingsTest::numberLines()
{
    QFETCH(QString, line);
    QFETCH(int, value);
    const std::optional<qint16> parsed = parseNumberLine(line);
    if (value == -99999)
        QVERIFY(!parsed);
    else
        QCOMPARE(parsed.value_or(-1234), value);
}

void SettingsTest::numbersAreWrittenInPrintForm()
{
    QCOMPARE(formatPrintNumber(0), QStringLiteral(" 0 "));
    QCOMPARE(formatPrintNumber(1), QStringLiteral(" 1 "));
    QCOMPARE(formatPrintNumber(-1), QStringLiteral("-1 "));
    QCOMPARE(formatPrintNumber(-32768), QStringLiteral("-32768 "));
}

void SettingsTest::registeredNamesSplit_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("three") << "A,B,C" << QStringList{"A", "B", "C"};
    QTest::newRow("two commas") << "A,,B" << QStringList{"A", "", "B"};
    QTest::newRow("trailing comma") << "A," << QStringList{"A", ""};
    QTest::newRow("empty") << "" << QStringList{""};
}

void SettingsTest::registeredNamesSplit()
{
    QFETCH(QString, line);
    QFETCH(QStringList, names);
    QCOMPARE(SplitRegisteredNames(line), names);
    // Joined again they give the same line.
    QCOMPARE(JoinRegisteredNames(names), line);
}

void SettingsTest::linesEndAtCrLfOrLoneCr()
{
    const QStringList lines = splitSettingsLines("a\r\nb\rc\nd\r\ne");
    QCOMPARE(lines.size(), settingsLineCount);
    QCOMPARE(lines.mid(0, 4), (QStringList{"a", "b", "c\nd", "e"}));
    QCOMPARE(lines[4], QString());
}

void SettingsTest::settingsFileNameIsCaseSensitive()
{
    QTemporaryDir dir;
    QFile other(dir.filePath(QStringLiteral("ravuvivo.vov")));
    QVERIFY(other.open(QIODevice::WriteOnly));
    other.close();
    QVERIFY(!HasSettingsFile(dir.path()));
    QFile hidden(dir.filePath(QStringLiteral(".RAVuvivo.vov")));
    QVERIFY(hidden.open(QIODevice::WriteOnly));
    hidden.close();
    QVERIFY(!HasSettingsFile(dir.path()));
    QDir(dir.path()).mkdir(QStringLiteral("RAVuvivo.vov.d"));
    QFile real(dir.filePath(QStringLiteral("RAVuvivo.vov")));
    QVERIFY(real.open(QIODevice::WriteOnly));
    real.close();
    QVERIFY(HasSettingsFile(dir.path()));
}

void SettingsTest::emptyPathIsAnExistingFolder()
{
    QVERIFY(IsExistingFolder(QString()));
    QTemporaryDir dir;
    QVERIFY(IsExistingFolder(dir.path()));
    QVERIFY(!IsExistingFolder(dir.filePath(QStringLiteral("gone"))));
}

void SettingsTest::cp932CannotHoldEveryCharacter()
{
    QCOMPARE(toCp932(QStringLiteral("ﾕｰｻﾞｰ名")).value(), QByteArray("\xD5\xB0\xBB\xDE\xB0\x96\xBC"));
    QVERIFY(!toCp932(QStringLiteral("😀")));
    QCOMPARE(encodeFileText(QStringLiteral("a😀")), QByteArray("\xEF\xBB\xBF" "a\xF0\x9F\x98\x80"));
    QCOMPARE(decodeFileText(QByteArray("\xEF\xBB\xBF" "a\xF0\x9F\x98\x80")), QStringLiteral("a😀"));
}

void SettingsTest::firstRunWritesTheStartUpValuesByteForByte()
{
    Form1Fixture f;
    Form1 &form = f.start();
    QCOMPARE(f.dialogs.texts(), QStringList{QStringLiteral("設定を初期化しました。")});
    QCOMPARE(f.dialogs.shown().first().title, QStringLiteral("Snagwell"));
    const QByteArray expected = QFile::encodeName(form.Dir1->path()) + "\r\n" +
                                " 0 \r\n"
                                " 0 \r\n"
                                "\xD5\xB0\xBB\xDE\xB0\x96\xBC\r\n"
                                "\r\n"
                                "-1 \r\n"
                                "JPG\r\n"
                                " 7\x93\xFA\x91O\r\n"
                                "\r\n"
                                " 0 \r\n"
                                "\r\n"
                                "\r\n";
    QCOMPARE(f.settingsBytes(), expected);

    // A second start reads the file and says nothing.
    Form1Fixture second;
    second.writeSettings(f.settingsBytes());
    second.start();
    QVERIFY(second.dialogs.texts().isEmpty());
}

void SettingsTest::readingThenWritingKeepsTheBytes()
{
    Form1Fixture f;
    QDir(f.startupFolder()).mkdir(QStringLiteral("keep"));
    const QByteArray bytes = fileOf({f.startupFolder() + QStringLiteral("/keep"), " 1 ", " 0 ",
                                     QStringLiteral("登録名"), QStringLiteral("会議,,客先"), " 2 ",
                                     "PNG", "30日前", "PDF", " 1 ", "-150", "300"});
    f.writeSettings(bytes);
    Form1 &form = f.make();
    form.lblAppDir->setText(f.startupFolder());
    form.cbxFileHeader->addItems({QStringLiteral("PC名"), QStringLiteral("ﾕｰｻﾞｰ名"),
                                  QStringLiteral("PC名+ﾕｰｻﾞｰ名"), QStringLiteral("登録名")});
    form.cbxFileType->addItems({"BMP", "JPEG", "JPG", "PNG"});
    form.cbxDeleteFolder->addItems({QStringLiteral("しない"), QStringLiteral(" 7日前"),
                                    QStringLiteral("30日前")});
    form.LoadSettings();
    QCOMPARE(form.cbxRegName->currentText(), QStringLiteral("客先"));
    QFile::remove(f.settingsPath());
    form.SaveSettings();
    QCOMPARE(f.settingsBytes(), bytes);
}

void SettingsTest::threeLineFileSetsOnlyItsLines()
{
    Form1Fixture f;
    QDir(f.startupFolder()).mkdir(QStringLiteral("three"));
    f.writeSettings(fileOf({f.startupFolder() + QStringLiteral("/three"), " 1 ", " 1 "}));
    Form1 &form = f.start();
    QCOMPARE(form.Dir1->path(), f.startupFolder() + QStringLiteral("/three"));
    QCOMPARE(Form1::checkValue(form.SaveTextCK), 1);
    QCOMPARE(Form1::checkValue(form.PrintCK), 1);
    QCOMPARE(form.cbxFileHeader->currentText(), QStringLiteral("ﾕｰｻﾞｰ名"));
    QCOMPARE(form.cbxFileType->currentText(), QStringLiteral("JPG"));
    QCOMPARE(form.cbxDeleteFolder->currentText(), QStringLiteral(" 7日前"));
    QCOMPARE(regNames(form.cbxRegName), QStringList{QString()});
    QCOMPARE(form.cbxRegName->currentIndex(), -1);
    QCOMPARE(Form1::checkValue(form.PrintScreenCK), 0);
    QVERIFY(form.tbxTop->text().isEmpty());
    QVERIFY(f.dialogs.texts().isEmpty());
}

void SettingsTest::fifteenLineFileIgnoresTheSurplus()
{
    Form1Fixture f;
    QStringList lines{f.startupFolder(), " 0 ", " 0 ", QStringLiteral("PC名"), "A,B", " 0 ",
                      "BMP", QStringLiteral("しない"), "", " 0 ", "10", "20",
                      "extra1", "extra2", "extra3"};
    f.writeSettings(fileOf(lines));
    Form1 &form = f.start();
    QCOMPARE(form.tbxLeft->text(), QStringLiteral("20"));
    QCOMPARE(regNames(form.cbxRegName), (QStringList{"A", "B"}));
    form.SaveSettings();
    lines = lines.mid(0, 12);
    lines[8] = QStringLiteral("Office"); // no saved printer: the last one is chosen
    QCOMPARE(f.settingsBytes(), fileOf(lines));
}

void SettingsTest::badLinesKeepTheStartUpValues()
{
    Form1Fixture f;
    f.writeSettings(fileOf({f.startupFolder(), "abc", " 5 ", QStringLiteral("社員名"), "",
                            "x", "GIF", QStringLiteral("7日前"), "", "1a", "", ""}));
    Form1 &form = f.start();
    QCOMPARE(Form1::checkValue(form.SaveTextCK), 0); // letters
    QCOMPARE(Form1::checkValue(form.PrintCK), 0);    // no such check-box value
    QCOMPARE(form.cbxFileHeader->currentText(), QStringLiteral("ﾕｰｻﾞｰ名"));
    QCOMPARE(form.cbxFileType->currentText(), QStringLiteral("JPG"));
    QCOMPARE(form.cbxDeleteFolder->currentText(), QStringLiteral(" 7日前"));
    QCOMPARE(Form1::checkValue(form.PrintScreenCK), 0);
    QCOMPARE(form.cbxRegName->currentIndex(), -1);
}

void SettingsTest::registeredNameIndex_data()
{
    QTest::addColumn<QString>("line6");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("text");
    QTest::newRow("second") << " 1 " << 1 << "B";
    QTest::newRow("out of range") << " 5 " << -1 << "";
    QTest::newRow("none") << "-1 " << -1 << "";
    QTest::newRow("below none") << "-2 " << -1 << "";
}

void SettingsTest::registeredNameIndex()
{
    QFETCH(QString, line6);
    QFETCH(int, selected);
    QFETCH(QString, text);
    Form1Fixture f;
    f.writeSettings(fileOf({f.startupFolder(), " 0 ", " 0 ", QStringLiteral("登録名"), "A,B",
                            line6, "JPG", QStringLiteral(" 7日前"), "", " 0 ", "", ""}));
    Form1 &form = f.start();
    QCOMPARE(form.cbxRegName->currentIndex(), selected);
    QCOMPARE(form.cbxRegName->currentText(), text);
    // The tray tip follows the registered name under "登録名".
    QCOMPARE(f.tray.tip().trimmed(), text + QStringLiteral("(snagwell)"));
}

void SettingsTest::emptyFirstLineShowsNoMessage()
{
    Form1Fixture f;
    f.writeSettings(fileOf({"", " 0 ", " 0 "}));
    Form1 &form = f.start();
    QVERIFY(f.dialogs.texts().isEmpty());
    QCOMPARE(form.Dir1->path(), f.startupFolder());
}

void SettingsTest::deletedFolderIsReported()
{
    Form1Fixture f;
    const QString gone = f.startupFolder() + QStringLiteral("/SWData/05Nov14");
    f.writeSettings(fileOf({gone, " 0 ", " 0 "}));
    Form1 &form = f.start();
    QCOMPARE(f.dialogs.texts(),
             QStringList{QStringLiteral("保存先") + gone +
                         QStringLiteral("が見つかりません。保存先はリセットされます。")});
    QCOMPARE(f.dialogs.shown().first().title, QStringLiteral("Snagwell"));
    QCOMPARE(form.Dir1->path(), f.startupFolder());
}

void SettingsTest::garbageFilesLeaveTheDefaults_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QByteArray binary(4096, '\0');
    for (int i = 0; i < binary.size(); ++i)
        binary[i] = static_cast<char>((i * 7919) % 256);
    QTest::newRow("binary") << binary;
    QByteArray big(10 * 1024 * 1024, 'x');
    for (int i = 1000; i < big.size(); i += 4099)
        big[i] = '\x81'; // lead bytes with no valid trail
    QTest::newRow("10 MB") << big;
    QTest::newRow("lone lead byte") << QByteArray("\x82");
}

void SettingsTest::garbageFilesLeaveTheDefaults()
{
    QFETCH(QByteArray, bytes);
    Form1Fixture f;
    f.writeSettings(bytes);
    Form1 &form = f.start();
    QCOMPARE(form.cbxFileHeader->currentText(), QStringLiteral("ﾕｰｻﾞｰ名"));
    QCOMPARE(form.cbxFileType->currentText(), QStringLiteral("JPG"));
    QCOMPARE(form.cbxDeleteFolder->currentText(), QStringLiteral(" 7日前"));
    QCOMPARE(Form1::checkValue(form.SaveTextCK), 0);
    QVERIFY(f.tray.isPresent());
}

void SettingsTest::valuesOutsideCp932AreWrittenAsUtf8()
{
    Form1Fixture f;
    Form1 &form = f.start();
    form.cbxRegName->clear();
    form.cbxRegName->addItem(QStringLiteral("😀会議"));
    form.cbxRegName->setCurrentIndex(0);
    form.SaveSettings();
    const QByteArray bytes = f.settingsBytes();
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    QVERIFY(bytes.contains(QStringLiteral("😀会議\r\n").toUtf8()));

    Form1Fixture again;
    again.writeSettings(bytes);
    Form1 &reread = again.start();
    QCOMPARE(reread.cbxRegName->itemText(0), QStringLiteral("😀会議"));
    QCOMPARE(reread.cbxRegName->currentIndex(), 0);
    QCOMPARE(reread.cbxFileHeader->currentText(), QStringLiteral("ﾕｰｻﾞｰ名"));
}

void SettingsTest::unreadableFileIsReportedAndStartUpGoesOn()
{
    Form1Fixture f;
    // A folder in the way of the file cannot be read as one.
    QDir(f.startupFolder()).mkdir(QStringLiteral("RAVuvivo.vov"));
    Form1 &form = f.make();
    form.lblAppDir->setText(f.startupFolder());
    form.LoadSettings();
    QCOMPARE(f.dialogs.texts().size(), 1);
    QCOMPARE(regNames(form.cbxRegName), QStringList{QString()});
}

void SettingsTest::writeFailureLeavesTheOldFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("RAVuvivo.vov"));
    writeFileAtomically(path, "old\r\n");
    // A folder named like the temporary file's folder cannot take the file.
    QVERIFY_THROWS_EXCEPTION(Failure, writeFileAtomically(dir.filePath(QStringLiteral("no/such")),
                                                          "new"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("old\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

QTEST_MAIN(SettingsTest)
#include "tst_settings.moc"
