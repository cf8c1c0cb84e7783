// The saved-data browser: its lists, the preview and its reset.

#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QtTest>

#include "app/ansicodepage.h"
#include "browse/browserlists.h"
#include "browse/preview.h"
#include "support/form1fixture.h"

using namespace snagwell;
using snagwell::testing::Form1Fixture;

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class BrowserTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void previewKinds_data();
    void previewKinds();
    void previewText_data();
    void previewText();
    void rootFolderPaths();
    void volumeOfAPath();
    void fileListMatchesExtensionsInAnyCase();
    void refreshFollowsTheFolder();
    void folderListRefusesMissingFolders();
    void textClickShowsTheFile();
    void pictureClickShowsThePicture();
    void pngClickOnlyTellsWhy();
    void otherExtensionsDoNothing();
    void vanishedFileIsReported();
    void resetAsksFirst();
};

void BrowserTest::previewKinds_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("kind");
    QTest::newRow("txt") << "user1001.txt" << int(PreviewKind::Text);
    QTest::newRow("several dots") << "a.b.txt" << int(PreviewKind::Text);
    QTest::newRow("TXT in capitals") << "A.TXT" << int(PreviewKind::None);
    QTest::newRow("bmp") << "x.bmp" << int(PreviewKind::Picture);
    QTest::newRow("BMP in capitals") << "x.BMP" << int(PreviewKind::None);
    QTest::newRow("gif") << "x.gif" << int(PreviewKind::Picture);
    QTest::newRow("jpg") << "x.jpg" << int(PreviewKind::Picture);
    QTest::newRow("jpeg") << "x.jpeg" << int(PreviewKind::Picture);
    QTest::newRow("png") << "x.png" << int(PreviewKind::Png);
    QTest::newRow("long extension cut to four") << "x.jpegx" << int(PreviewKind::Picture);
    QTest::newRow("blank after the dot") << "x. txt" << int(PreviewKind::Text);
    QTest::newRow("no dot, first four") << "txt" << int(PreviewKind::Text);
}

void BrowserTest::previewKinds()
{
    QFETCH(QString, name);
    QFETCH(int, kind);
    QCOMPARE(int(previewKindOf(name)), kind);
}

void BrowserTest::previewText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("two lines") << QByteArray("ab\r\ncd") << "ab\r\ncd\r\n";
    QTest::newRow("ending in CR LF") << QByteArray("ab\r\ncd\r\n") << "ab\r\ncd\r\n";
    QTest::newRow("empty") << QByteArray() << "";
    QTest::newRow("lone CR ends a line") << QByteArray("ab\rcd") << "ab\r\ncd\r\n";
    QTest::newRow("lone LF stays inside") << QByteArray("ab\ncd") << "ab\ncd\r\n";
    QTest::newRow("empty lines") << QByteArray("\r\n\r\n") << "\r\n\r\n";
    QTest::newRow("CP932") << QByteArray("\x89\xEF\x8B\x63\r\n") << "会議\r\n";
    QTest::newRow("UTF-8 with a byte order mark")
        << QByteArray("\xEF\xBB\xBF\xF0\x9F\x98\x80") << "😀\r\n";
}

void BrowserTest::previewText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(snagwell::previewText(bytes), text);
}

void BrowserTest::rootFolderPaths()
{
    QCOMPARE(joinFolderAndName(QStringLiteral("/"), QStringLiteral("a.txt")),
             QStringLiteral("/a.txt"));
    QCOMPARE(joinFolderAndName(QStringLiteral("/tmp"), QStringLiteral("a.txt")),
             QStringLiteral("/tmp/a.txt"));
}

void BrowserTest::volumeOfAPath()
{
    const QStringList roots{"/", "/home", "/home2", "/mnt/usb"};
    QCOMPARE(DriveList::volumeOf(QStringLiteral("/home/user1"), roots), QStringLiteral("/home"));
    QCOMPARE(DriveList::volumeOf(QStringLiteral("/home2"), roots), QStringLiteral("/home2"));
    QCOMPARE(DriveList::volumeOf(QStringLiteral("/homework"), roots), QStringLiteral("/"));
    QCOMPARE(DriveList::volumeOf(QStringLiteral("/mnt/usb/SWData"), roots),
             QStringLiteral("/mnt/usb"));
}

void BrowserTest::fileListMatchesExtensionsInAnyCase()
{
    QTemporaryDir dir;
    for (const char *name : {"a.txt", "A.TXT", "b.Jpg", "c.png", "d.doc", ".hidden.txt"})
        writeFile(dir.filePath(QString::fromLatin1(name)), "x");
    QDir(dir.path()).mkdir(QStringLiteral("sub.txt"));
    FileList list(fileListPattern());
    list.setPath(dir.path());
    QStringList names = list.fileNames();
    names.sort();
    QCOMPARE(names, (QStringList{"A.TXT", "a.txt", "b.Jpg", "c.png"}));
}

void BrowserTest::refreshFollowsTheFolder()
{
    QTemporaryDir dir;
    for (const char *name : {"b.txt", "d.txt"})
        writeFile(dir.filePath(QString::fromLatin1(name)), "x");
    FileList list(fileListPattern());
    list.setPath(dir.path());
    // New names go to their places; a removed one is gone.
    for (const char *name : {"a.txt", "c.txt", "e.txt"})
        writeFile(dir.filePath(QString::fromLatin1(name)), "x");
    list.refresh();
    QCOMPARE(list.fileNames(), (QStringList{"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"}));
    QFile::remove(dir.filePath(QStringLiteral("c.txt")));
    writeFile(dir.filePath(QStringLiteral("f.txt")), "x");
    list.refresh();
    QCOMPARE(list.fileNames(), (QStringList{"a.txt", "b.txt", "d.txt", "e.txt", "f.txt"}));
    QTemporaryDir other;
    writeFile(other.filePath(QStringLiteral("z.txt")), "x");
    list.setPath(other.path());
    QCOMPARE(list.fileNames(), QStringList{"z.txt"});
}

void BrowserTest::folderListRefusesMissingFolders()
{
    QTemporaryDir dir;
    FolderList list;
    QSignalSpy changed(&list, &FolderList::pathChanged);
    list.setPath(dir.path());
    QCOMPARE(changed.count(), 1);
    QVERIFY_THROWS_EXCEPTION(std::exception, list.setPath(dir.filePath(QStringLiteral("gone"))));
    QCOMPARE(list.path(), QDir(dir.path()).absolutePath());
    QCOMPARE(changed.count(), 1);
    // The root is a folder like any other.
    list.setPath(QStringLiteral("/"));
    QCOMPARE(list.path(), QStringLiteral("/"));
}

void BrowserTest::textClickShowsTheFile()
{
    Form1Fixture f;
    Form1 &form = f.start();
    const QString folder = form.File1->path();
    writeFile(folder + QStringLiteral("/a.b.txt"), toCp932(QStringLiteral("ab\r\n会議")).value());
    writeFile(folder + QStringLiteral("/empty.txt"), QByteArray());
    form.File1->refresh();
    form.File1_Click(QStringLiteral("a.b.txt"));
    QCOMPARE(form.text1(), QStringLiteral("ab\r\n会議\r\n"));
    QCOMPARE(form.Text1->toPlainText(), QStringLiteral("ab\n会議\n"));
    QCOMPARE(form.LabelTXT->text(), folder + QStringLiteral("/a.b.txt"));
    form.File1_Click(QStringLiteral("empty.txt"));
    QCOMPARE(form.text1(), QString());
    QCOMPARE(form.LabelTXT->text(), folder + QStringLiteral("/empty.txt"));
    QVERIFY(f.dialogs.texts().size() <= 1); // the first-run notice only
}

void BrowserTest::pictureClickShowsThePicture()
{
    Form1Fixture f;
    Form1 &form = f.start();
    form.setText1(QStringLiteral("kept"));
    const QString folder = form.File1->path();
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::red);
    QVERIFY(image.save(folder + QStringLiteral("/p.bmp")));
    form.File1_Click(QStringLiteral("p.bmp"));
    QCOMPARE(form.picture().size(), QSize(40, 30));
    QCOMPARE(form.LabelIMG->text(), folder + QStringLiteral("/p.bmp"));
    QCOMPARE(form.text1(), QStringLiteral("kept"));
}

void BrowserTest::pngClickOnlyTellsWhy()
{
    Form1Fixture f;
    Form1 &form = f.start();
    f.dialogs.clear();
    const QString folder = form.File1->path();
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QVERIFY(image.save(folder + QStringLiteral("/p.png")));
    form.File1_Click(QStringLiteral("p.png"));
    QCOMPARE(f.dialogs.texts(), QStringList{QStringLiteral("PNG形式のファイルは表示できません。")});
    QVERIFY(form.LabelIMG->text().isEmpty());
    QVERIFY(form.picture().isNull());
}

void BrowserTest::otherExtensionsDoNothing()
{
    Form1Fixture f;
    Form1 &form = f.start();
    f.dialogs.clear();
    writeFile(form.File1->path() + QStringLiteral("/A.TXT"), "x");
    form.File1_Click(QStringLiteral("A.TXT"));
    QVERIFY(f.dialogs.texts().isEmpty());
    QVERIFY(form.LabelTXT->text().isEmpty());
    QVERIFY(form.text1().isEmpty());
}

void BrowserTest::vanishedFileIsReported()
{
    Form1Fixture f;
    Form1 &form = f.start();
    f.dialogs.clear();
    form.File1_Click(QStringLiteral("gone.txt"));
    QCOMPARE(f.dialogs.shown().size(), 1);
    QVERIFY(f.dialogs.shown().first().text.contains(QStringLiteral("gone.txt")));
    QCOMPARE(f.dialogs.shown().first().title, QStringLiteral("Snagwell"));
    // The label set before the failure stays set.
    QVERIFY(form.LabelTXT->text().endsWith(QStringLiteral("/gone.txt")));
    writeFile(form.File1->path() + QStringLiteral("/bad.jpg"), "not a picture");
    form.File1_Click(QStringLiteral("bad.jpg"));
    QCOMPARE(f.dialogs.shown().size(), 2);
}

void BrowserTest::resetAsksFirst()
{
    Form1Fixture f;
    Form1 &form = f.start();
    form.setText1(QStringLiteral("text"));
    form.LabelTXT->setText(QStringLiteral("/x.txt"));
    form.LabelIMG->setText(QStringLiteral("/x.bmp"));
    QImage image(4, 4, QImage::Format_RGB32);
    form.setPicture(image);
    f.dialogs.clear();
    f.dialogs.answer(false);
    form.btnReset_Click();
    QCOMPARE(form.text1(), QStringLiteral("text"));
    QVERIFY(!form.picture().isNull());
    form.btnReset_Click();
    QCOMPARE(f.dialogs.shown().size(), 2);
    QCOMPARE(f.dialogs.shown().first().text, QStringLiteral("表示データをリセットしますか"));
    QCOMPARE(f.dialogs.shown().first().title, QStringLiteral("リセット確認"));
    QVERIFY(form.text1().isEmpty());
    QVERIFY(form.LabelTXT->text().isEmpty());
    QVERIFY(form.LabelIMG->text().isEmpty());
    QVERIFY(form.picture().isNull());
}

QTEST_MAIN(BrowserTest)
#include "tst_browser.moc"
