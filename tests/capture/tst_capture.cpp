// Clipboard monitoring and capture saving, through the clipboard double.

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtEndian>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>

#include "app/ansicodepage.h"
#include "app/failure.h"
#include "browse/browserlists.h"
#include "capture/bitmapwriter.h"
#include "capture/capturefiles.h"
#include "support/form1fixture.h"

using namespace snagwell;
using snagwell::testing::Form1Fixture;

namespace {

QImage picture(int width = 64, int height = 32)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(10, 120, 200));
    return image;
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// Sets a folder's last-modified time (QFile cannot open a folder).
bool setModified(const QString &path, const QDateTime &when)
{
    const timespec time{static_cast<time_t>(when.toSecsSinceEpoch()), 0};
    const timespec times[2] = {time, time};
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
}

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// A started settings window capturing into its day folder, header "PC名".
struct Capturing : Form1Fixture
{
    Capturing()
    {
        start();
        form->cbxFileHeader->setCurrentIndex(0);
        dialogs.clear();
    }
    QString folder() const { return form->File1->path(); }
    QString file(const QString &name) const { return folder() + QLatin1Char('/') + name; }
};

} // namespace

class CaptureTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void textFileBytes_data();
    void textFileBytes();
    void textOnlyShownWithoutAutoSave();
    void textSavedWithAutoSave();
    void emptyTextTakesANumber();
    void textAndPictureShareOneSequence();
    void textWinsOverPicture();
    void neitherCapturesNothing();
    void formats_data();
    void formats();
    void failingConverterKeepsTheBitmap();
    void missingConverterLibraryKeepsTheBitmap();
    void missingFolderEscapesNothing();
    void unreadableClipboardEscapesNothing();
    void immediatePrintingOfText();
    void immediatePrintingOfPictures();
    void secretIsNotCaptured();
    void nameTakenBetweenScanAndWrite();
    void existingCaptureIsNeverReplaced();
    void monitoringStartsAndStops();
    void stopWhileOffDeletesAgain();
    void quitWithNeverDeletesNothing();
    void bitmapsReadBack_data();
    void bitmapsReadBack();
    void realConvertersKeepTransparencyInPng();
    void saveTextButton();
    void saveTextButtonFailureIsShown();
};

void CaptureTest::textFileBytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("three lines") << "a\r\nb\r\nc" << QByteArray("a\r\nb\r\nc\r\n");
    QTest::newRow("ending in CR LF") << "a\r\n" << QByteArray("a\r\n\r\n");
    QTest::newRow("empty") << "" << QByteArray();
    QTest::newRow("Japanese") << "会議" << QByteArray("\x89\xEF\x8B\x63\r\n");
    QTest::newRow("half-width katakana") << "ﾕｰｻﾞｰ" << QByteArray("\xD5\xB0\xBB\xDE\xB0\r\n");
    QTest::newRow("beyond CP932") << "a😀" << QByteArray("\xEF\xBB\xBF" "a\xF0\x9F\x98\x80\r\n");
}

void CaptureTest::textFileBytes()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(snagwell::textFileBytes(text), bytes);
}

void CaptureTest::textOnlyShownWithoutAutoSave()
{
    Capturing c;
    c.form->LabelTXT->setText(QStringLiteral("/old.txt"));
    c.clipboard.setText(QStringLiteral("line1\nline2"));
    QCOMPARE(c.form->text1(), QStringLiteral("line1\r\nline2"));
    QVERIFY(c.form->LabelTXT->text().isEmpty());
    QCOMPARE(filesIn(c.folder()), QStringList());
    QVERIFY(c.dialogs.shown().isEmpty());
}

void CaptureTest::textSavedWithAutoSave()
{
    Capturing c;
    Form1::setCheckValue(c.form->SaveTextCK, 1);
    c.clipboard.setText(QStringLiteral("こんにちは\nworld"));
    QCOMPARE(filesIn(c.folder()), QStringList{"OFFICE-PC001.txt"});
    QCOMPARE(bytesOf(c.file("OFFICE-PC001.txt")),
             toCp932(QStringLiteral("こんにちは\r\nworld\r\n")).value());
    QCOMPARE(c.form->LabelTXT->text(), c.file("OFFICE-PC001.txt"));
    QVERIFY(c.form->File1->fileNames().contains(QStringLiteral("OFFICE-PC001.txt")));
    c.clipboard.setText(QStringLiteral("second"));
    QCOMPARE(filesIn(c.folder()), (QStringList{"OFFICE-PC001.txt", "OFFICE-PC002.txt"}));
}

void CaptureTest::emptyTextTakesANumber()
{
    Capturing c;
    Form1::setCheckValue(c.form->SaveTextCK, 1);
    c.clipboard.setText(QString());
    QCOMPARE(filesIn(c.folder()), QStringList{"OFFICE-PC001.txt"});
    QCOMPARE(bytesOf(c.file("OFFICE-PC001.txt")), QByteArray());
}

void CaptureTest::textAndPictureShareOneSequence()
{
    Capturing c;
    Form1::setCheckValue(c.form->SaveTextCK, 1);
    c.clipboard.setText(QStringLiteral("text"));
    c.clipboard.setImage(picture());
    QCOMPARE(filesIn(c.folder()), (QStringList{"OFFICE-PC001.txt", "OFFICE-PC002.jpg"}));
    QCOMPARE(c.form->LabelIMG->text(), c.file("OFFICE-PC002"));
    QCOMPARE(c.form->picture().size(), QSize(64, 32));
    // The text shown stays as it was.
    QCOMPARE(c.form->text1(), QStringLiteral("text"));
}

void CaptureTest::textWinsOverPicture()
{
    Capturing c;
    Form1::setCheckValue(c.form->SaveTextCK, 1);
    c.clipboard.set(QStringLiteral("both"), true, picture(), false);
    QCOMPARE(filesIn(c.folder()), QStringList{"OFFICE-PC001.txt"});
    QVERIFY(c.form->picture().isNull());
}

void CaptureTest::neitherCapturesNothing()
{
    Capturing c;
    Form1::setCheckValue(c.form->SaveTextCK, 1);
    c.clipboard.clear();
    QCOMPARE(filesIn(c.folder()), QStringList());
    QVERIFY(c.form->text1().isEmpty());
    QCOMPARE(c.converters.calls(), 0);
}

void CaptureTest::formats_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("kept");
    QTest::addColumn<QString>("option");
    QTest::newRow("BMP") << "BMP" << "OFFICE-PC001.bmp" << "";
    QTest::newRow("JPEG") << "JPEG" << "OFFICE-PC001.jpeg" << "q30";
    QTest::newRow("JPG") << "JPG" << "OFFICE-PC001.jpg" << "q95";
    QTest::newRow("PNG") << "PNG" << "OFFICE-PC001.png" << "ac3";
}

void CaptureTest::formats()
{
    QFETCH(QString, type);
    QFETCH(QString, kept);
    QFETCH(QString, option);
    Capturing c;
    QString seenOption;
    QString seenSource;
    c.converters = ScriptedConverters([&](const QString &source, const QString &destination,
                                          const QString &opt) {
        seenOption = opt;
        seenSource = source;
        return QFile::copy(source, destination) ? 1 : 0;
    });
    c.form->cbxFileType->setCurrentText(type);
    c.clipboard.setImage(picture());
    QCOMPARE(filesIn(c.folder()), QStringList{kept});
    QCOMPARE(seenOption, option);
    if (!option.isEmpty())
        QCOMPARE(seenSource, c.file("OFFICE-PC001.bmp"));
    // The bitmap written is one an independent reader takes.
    QImage written(c.file(kept), "BMP");
    QCOMPARE(written.size(), QSize(64, 32));
    QCOMPARE(written.pixelColor(5, 5), QColor(10, 120, 200));
}

void CaptureTest::failingConverterKeepsTheBitmap()
{
    Capturing c;
    // A converter's result counts by its low 16 bits: 0x10000 is a failure.
    c.converters = ScriptedConverters([](const QString &, const QString &, const QString &) {
        return 0x10000;
    });
    c.clipboard.setImage(picture());
    QCOMPARE(filesIn(c.folder()), QStringList{"OFFICE-PC001.bmp"});
    QCOMPARE(c.form->LabelIMG->text(), c.file("OFFICE-PC001"));
    QVERIFY(!c.form->picture().isNull());
    // Success is 1 in the low 16 bits, whatever the high bits say.
    c.converters = ScriptedConverters([](const QString &source, const QString &destination,
                                         const QString &) {
        return QFile::copy(source, destination) ? 0x30001 : 0;
    });
    c.clipboard.setImage(picture());
    QCOMPARE(filesIn(c.folder()), (QStringList{"OFFICE-PC001.bmp", "OFFICE-PC002.jpg"}));
}

void CaptureTest::missingConverterLibraryKeepsTheBitmap()
{
    Capturing c;
    QTemporaryDir empty;
    LibraryConverters missing(empty.path());
    QVERIFY_THROWS_EXCEPTION(Failure, missing.BmpToJpeg(QStringLiteral("a.bmp"),
                                                        QStringLiteral("a.jpg"),
                                                        QStringLiteral("q95")));
    c.converters = ScriptedConverters([&](const QString &s, const QString &d, const QString &o) {
        return missing.BmpToJpeg(s, d, o);
    });
    c.clipboard.setImage(picture());
    QCOMPARE(filesIn(c.folder()), QStringList{"OFFICE-PC001.bmp"});
    QVERIFY(c.dialogs.shown().isEmpty());
    // Capturing goes on afterwards.
    Form1::setCheckValue(c.form->SaveTextCK, 1);
    c.clipboard.setText(QStringLiteral("after"));
    QCOMPARE(filesIn(c.folder()), (QStringList{"OFFICE-PC001.bmp", "OFFICE-PC002.txt"}));
}

void CaptureTest::missingFolderEscapesNothing()
{
    Capturing c;
    Form1::setCheckValue(c.form->SaveTextCK, 1);
    const QString folder = c.folder();
    QVERIFY(QDir(folder).removeRecursively());
    c.clipboard.setText(QStringLiteral("lost folder"));
    c.clipboard.setImage(picture());
    QVERIFY(c.dialogs.shown().isEmpty());
    QVERIFY(!QDir(folder).exists());
    // The text was still shown; nothing else happened.
    QCOMPARE(c.form->text1(), QStringLiteral("lost folder"));
    QVERIFY(c.form->LabelTXT->text().isEmpty());
}

void CaptureTest::unreadableClipboardEscapesNothing()
{
    Capturing c;
    Form1::setCheckValue(c.form->SaveTextCK, 1);
    c.clipboard.setFailing(true);
    c.clipboard.setText(QStringLiteral("gone"));
    QVERIFY(c.dialogs.shown().isEmpty());
    QCOMPARE(filesIn(c.folder()), QStringList());
    c.clipboard.setFailing(false);
    c.clipboard.setText(QStringLiteral("back"));
    QCOMPARE(filesIn(c.folder()), QStringList{"OFFICE-PC001.txt"});
}

void CaptureTest::immediatePrintingOfText()
{
    Capturing c;
    Form1::setCheckValue(c.form->PrintCK, 1);
    c.clipboard.setText(QStringLiteral("not saved, not printed"));
    QCOMPARE(c.printers.jobs().size(), 0);
    Form1::setCheckValue(c.form->SaveTextCK, 1);
    c.clipboard.setText(QStringLiteral("saved\nand printed"));
    QCOMPARE(c.printers.jobs().size(), 1);
    const auto job = c.printers.jobs().first(); // jobs() is a copy
    QCOMPARE(job.orientation, PageOrientation::Portrait);
    QCOMPARE(job.printer, c.form->tbxPrinter->text());
    QVERIFY(c.dialogs.shown().isEmpty());
}

void CaptureTest::immediatePrintingOfPictures()
{
    Capturing c;
    Form1::setCheckValue(c.form->PrintCK, 1);
    int jobsAtConversion = -1;
    c.converters = ScriptedConverters([&](const QString &, const QString &, const QString &) {
        jobsAtConversion = static_cast<int>(c.printers.jobs().size());
        return 0;
    });
    c.clipboard.setImage(picture(40, 20));
    QCOMPARE(jobsAtConversion, 1); // printed before the conversion
    QCOMPARE(c.printers.jobs().size(), 1);
    QCOMPARE(c.printers.jobs().first().orientation, PageOrientation::Landscape);
    QCOMPARE(filesIn(c.folder()), QStringList{"OFFICE-PC001.bmp"});
}

void CaptureTest::secretIsNotCaptured()
{
    Capturing c;
    Form1::setCheckValue(c.form->SaveTextCK, 1);
    Form1::setCheckValue(c.form->PrintCK, 1);
    c.clipboard.set(QStringLiteral("hunter2"), true, QImage(), true);
    c.clipboard.set(QString(), false, picture(), true);
    QVERIFY(c.form->text1().isEmpty());
    QVERIFY(c.form->picture().isNull());
    QCOMPARE(filesIn(c.folder()), QStringList());
    QCOMPARE(c.printers.jobs().size(), 0);
}

void CaptureTest::nameTakenBetweenScanAndWrite()
{
    QTemporaryDir dir;
    int asked = 0;
    // Another program writes the name just after it was found free.
    const QString base = storeNewCapture(
        [&] {
            ++asked;
            const QString name = dir.filePath(QStringLiteral("PC00%1").arg(asked));
            if (asked == 1) {
                QFile other(name + QStringLiteral(".txt"));
                if (other.open(QIODevice::WriteOnly))
                    other.write("theirs");
            }
            return name;
        },
        QStringLiteral(".txt"), [](QIODevice &device) { device.write("ours"); });
    QCOMPARE(base, dir.filePath(QStringLiteral("PC002")));
    QCOMPARE(bytesOf(dir.filePath(QStringLiteral("PC001.txt"))), QByteArray("theirs"));
    QCOMPARE(bytesOf(dir.filePath(QStringLiteral("PC002.txt"))), QByteArray("ours"));
    QCOMPARE(filesIn(dir.path()), (QStringList{"PC001.txt", "PC002.txt"}));
}

void CaptureTest::existingCaptureIsNeverReplaced()
{
    QTemporaryDir dir;
    QFile theirs(dir.filePath(QStringLiteral("PC001.txt")));
    QVERIFY(theirs.open(QIODevice::WriteOnly));
    theirs.write("theirs");
    theirs.close();
    // A scan that keeps answering a taken name gives up rather than replace it.
    QVERIFY_THROWS_EXCEPTION(Failure, storeNewCapture(
                                          [&] { return dir.filePath(QStringLiteral("PC001")); },
                                          QStringLiteral(".txt"),
                                          [](QIODevice &device) { device.write("ours"); }));
    QCOMPARE(bytesOf(dir.filePath(QStringLiteral("PC001.txt"))), QByteArray("theirs"));
    QCOMPARE(filesIn(dir.path()), QStringList{"PC001.txt"});
}

void CaptureTest::monitoringStartsAndStops()
{
    Capturing c;
    Form1::setCheckValue(c.form->SaveTextCK, 1);
    QVERIFY(c.form->isMonitoring());
    QVERIFY(!c.form->Command1->isEnabled());
    c.form->Command2->click();
    QVERIFY(c.form->Command1->isEnabled());
    QVERIFY(c.form->Command2->isEnabled());
    c.clipboard.setText(QStringLiteral("while off"));
    QCOMPARE(filesIn(c.folder()), QStringList());
    // What the clipboard holds when monitoring starts is not captured.
    c.form->Command1->click();
    QVERIFY(!c.form->Command1->isEnabled());
    QCOMPARE(filesIn(c.folder()), QStringList());
    c.clipboard.setText(QStringLiteral("while on"));
    QCOMPARE(filesIn(c.folder()), QStringList{"OFFICE-PC001.txt"});
    // Starting twice still captures each change once.
    c.form->Command1_Click();
    c.clipboard.setText(QStringLiteral("once"));
    QCOMPARE(filesIn(c.folder()), (QStringList{"OFFICE-PC001.txt", "OFFICE-PC002.txt"}));
}

void CaptureTest::stopWhileOffDeletesAgain()
{
    Capturing c;
    const QString management = QFileInfo(c.folder()).absolutePath();
    auto makeOld = [&](const QString &name) {
        const QString path = management + QLatin1Char('/') + name;
        QDir().mkpath(path);
        QVERIFY(setModified(path, c.clock.now().addDays(-8)));
    };
    makeOld(QStringLiteral("05Nov01"));
    c.form->Command2_Click();
    QVERIFY(!QFileInfo::exists(management + QStringLiteral("/05Nov01")));
    makeOld(QStringLiteral("05Nov02"));
    c.form->Command2_Click(); // already off
    QVERIFY(!QFileInfo::exists(management + QStringLiteral("/05Nov02")));
    QVERIFY(QFileInfo::exists(c.folder()));
}

void CaptureTest::quitWithNeverDeletesNothing()
{
    Capturing c;
    const QString old = QFileInfo(c.folder()).absolutePath() + QStringLiteral("/05Nov01");
    QDir().mkpath(old);
    QVERIFY(setModified(old, c.clock.now().addDays(-400)));
    c.form->cbxDeleteFolder->setCurrentText(QStringLiteral("しない"));
    c.form->Unload();
    QVERIFY(QFileInfo::exists(old));
    QVERIFY(!c.form->isMonitoring());
}

void CaptureTest::bitmapsReadBack_data()
{
    QTest::addColumn<QImage>("image");
    QTest::addColumn<int>("depth");
    QImage opaque(7, 3, QImage::Format_RGB32); // 21 bytes a row: padded to 24
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 7; ++x)
            opaque.setPixelColor(x, y, QColor(x * 30, y * 80, 200 - x * 20));
    QTest::newRow("opaque, odd width") << opaque << 24;
    QImage clear(5, 4, QImage::Format_ARGB32);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            clear.setPixelColor(x, y, QColor(255, x * 50, y * 60, x * 60));
    QTest::newRow("with alpha") << clear << 32;
    QImage indexed(3, 3, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(1, 2, 3), qRgb(200, 100, 50)});
    indexed.fill(1);
    QTest::newRow("palette") << indexed << 24;
    // Taller than one block of rows that the writer packs at a time.
    QImage tall(1000, 300, QImage::Format_RGB32);
    tall.fill(Qt::white);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 1000; x += 7)
            tall.setPixel(x, y, qRgb(x % 256, y % 256, (x + y) % 256));
    QTest::newRow("taller than a block") << tall << 24;
}

void CaptureTest::bitmapsReadBack()
{
    QFETCH(QImage, image);
    QFETCH(int, depth);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    writeBitmap(buffer, image);
    const QByteArray bytes = buffer.data();
    QCOMPARE(bytes.left(2), QByteArray("BM"));
    QCOMPARE(int(qFromLittleEndian<quint16>(bytes.constData() + 28)), depth);
    QCOMPARE(qFromLittleEndian<quint32>(bytes.constData() + 2), quint32(bytes.size()));
    const QImage back = QImage::fromData(bytes, "BMP");
    QCOMPARE(back.size(), image.size());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            QCOMPARE(back.pixelColor(x, y).rgb(), image.pixelColor(x, y).rgb());
}

void CaptureTest::realConvertersKeepTransparencyInPng()
{
    Capturing c;
    LibraryConverters real(QCoreApplication::applicationDirPath());
    c.converters = ScriptedConverters([&](const QString &s, const QString &d, const QString &o) {
        return d.endsWith(QStringLiteral(".png")) ? real.BmpToPng(s, d, o)
                                                   : real.BmpToJpeg(s, d, o);
    });
    QImage clear(32, 16, QImage::Format_ARGB32);
    clear.fill(QColor(0, 128, 255, 64));
    clear.setPixelColor(0, 0, QColor(255, 0, 0, 255));
    c.form->cbxFileType->setCurrentText(QStringLiteral("PNG"));
    c.clipboard.setImage(clear);
    c.form->cbxFileType->setCurrentText(QStringLiteral("JPG"));
    c.clipboard.setImage(picture(1920, 1080));
    QCOMPARE(filesIn(c.folder()), (QStringList{"OFFICE-PC001.png", "OFFICE-PC002.jpg"}));
    const QImage png(c.file("OFFICE-PC001.png"), "PNG");
    QVERIFY(png.hasAlphaChannel());
    QCOMPARE(png.pixelColor(5, 5).alpha(), 64);
    QCOMPARE(png.pixelColor(0, 0), QColor(255, 0, 0, 255));
    const QImage jpg(c.file("OFFICE-PC002.jpg"), "JPEG");
    QCOMPARE(jpg.size(), QSize(1920, 1080));
}

void CaptureTest::saveTextButton()
{
    Capturing c;
    c.form->btnSaveText->click();
    QCOMPARE(c.dialogs.texts(), QStringList{QStringLiteral("テキストデータがありません")});
    c.dialogs.clear();
    c.clipboard.setText(QStringLiteral("by hand"));
    c.dialogs.answer(false);
    c.form->btnSaveText_Click();
    QCOMPARE(c.dialogs.shown().first().text, QStringLiteral("選択したテキストを保存しますか"));
    QCOMPARE(c.dialogs.shown().first().title, QStringLiteral("保存確認"));
    QCOMPARE(filesIn(c.folder()), QStringList());
    c.form->btnSaveText_Click();
    c.form->btnSaveText_Click();
    // The label stays empty, so each save takes the next number.
    QCOMPARE(filesIn(c.folder()), (QStringList{"OFFICE-PC001.txt", "OFFICE-PC002.txt"}));
    QCOMPARE(bytesOf(c.file("OFFICE-PC002.txt")), QByteArray("by hand\r\n"));
    QVERIFY(c.form->LabelTXT->text().isEmpty());
    c.dialogs.clear();
    c.form->LabelTXT->setText(c.file("OFFICE-PC001.txt"));
    c.form->btnSaveText_Click();
    QCOMPARE(c.dialogs.texts(), QStringList{QStringLiteral("このテキストは保存さています")});
    QCOMPARE(c.dialogs.shown().first().title, QStringLiteral("Snagwell"));
}

void CaptureTest::saveTextButtonFailureIsShown()
{
    Capturing c;
    c.clipboard.setText(QStringLiteral("nowhere to go"));
    QVERIFY(QDir(c.folder()).removeRecursively());
    c.form->btnSaveText_Click();
    QCOMPARE(c.dialogs.shown().size(), 2);
    QVERIFY(c.dialogs.shown().last().text.contains(QStringLiteral("OFFICE-PC001.txt")));
}

QTEST_MAIN(CaptureTest)
#include "tst_capture.moc"
