// Proofs under stress, in one process: a file-size limit met at every write
// (as a full disk shows to a program), and a long run's memory.

#include <csignal>

#include <sys/resource.h>

#include <QtTest>

#include "doubles/doubles.h"

using namespace snagwell;
using namespace snagwell::testing;

namespace {

// Random pixels: neither the bitmap nor the PNG shrinks.
QImage noise(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, QRandomGenerator::global()->generate() | 0xFF000000u);
    return image;
}

// Writes past the limit fail (EFBIG) instead of ending the process.
void limitFileSize(rlim_t bytes)
{
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, RLIM_INFINITY};
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limit), 0);
}

qint64 residentBytes()
{
    return bytesOf("/proc/self/statm").split(' ').value(1).toLongLong() * 4096;
}

} // namespace

class StressTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:

    void fullDisk_data()
    {
        QTest::addColumn<QString>("stage");
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<QStringList>("left");
        const qint64 bitmap = 54 + 400 * 100 * 3;
        QTest::newRow("text cut off") << "text" << qint64(8192) << QStringList{};
        QTest::newRow("bitmap cut off") << "picture" << bitmap / 2 << QStringList{};
        QTest::newRow("conversion cut off keeps the bitmap whole")
            << "picture" << bitmap << QStringList{"OFFICE-PC001.bmp"};
        QTest::newRow("settings write keeps the old file")
            << "settings" << qint64(64) << QStringList{};
    }

    void fullDisk()
    {
        QFETCH(QString, stage);
        QFETCH(qint64, limit);
        QFETCH(QStringList, left);
        Program p;
        p.start();
        p.headers.chooseMode(HeaderMode::Pc);
        p.state.changeSettings(
            [](Settings &s) { s.saveText = Tick::On, s.pictureType = PictureType::Png; });
        p.dialogs.shown.clear();
        const QImage image = noise(400, 100);
        const QByteArray settings = bytesOf(p.state.settingsFilePath());
        limitFileSize(limit);
        if (stage == "text")
            p.clipboard.setText(QString(64 * 1024, u'x'));
        else if (stage == "picture")
            p.clipboard.setImage(image);
        else
            p.headers.addName("name"), p.lifecycle.shutDown();
        limitFileSize(RLIM_INFINITY);
        QCOMPARE(QDir(p.state.currentFolder()).entryList(QDir::Files | QDir::Hidden), left);
        if (!left.isEmpty())
            QCOMPARE(QImage(p.file(left.first())).convertToFormat(QImage::Format_RGB32), image);
        if (stage == "settings") { // said once, and the file as it was
            QCOMPARE(p.dialogs.shown.filter("に書き込めません").size(), 1);
            QCOMPARE(bytesOf(p.state.settingsFilePath()), settings);
            return;
        }
        QVERIFY(p.dialogs.shown.isEmpty());
        // A capture lost is told; a bitmap kept unconverted is not lost.
        QCOMPARE(p.trayIcon.notices.size(), left.isEmpty() ? 1 : 0);
        // Capturing goes on once there is room again.
        p.clipboard.setText("after");
        p.clipboard.setImage(image);
        const auto name = [&](qsizetype n, const char *type) {
            return p.file(QString("OFFICE-PC%1.%2").arg(n, 3, 10, QChar(u'0')).arg(type));
        };
        QCOMPARE(bytesOf(name(left.size() + 1, "txt")), "after\r\n");
        QCOMPARE(QImage(name(left.size() + 2, "png")).convertToFormat(QImage::Format_RGB32), image);
    }

    void thousandPicturesInOneRun()
    {
#if defined(__SANITIZE_ADDRESS__)
        // The sanitizer keeps freed memory aside and runs slower: a shorter run,
        // every capture still checked, memory not measured.
        const int captures = 150;
#else
        const int captures = 1000;
#endif
        Program p;
        p.start();
        p.headers.chooseMode(HeaderMode::Pc);
        QImage frame(1920, 1080, QImage::Format_RGB32);
        qint64 settled = 0;
        for (int i = 1; i <= captures; ++i) {
            frame.fill(QColor::fromHsv(i * 7 % 360, 120, 200));
            p.clipboard.setImage(frame);
            if (i == 100)
                settled = residentBytes();
        }
        const QStringList files =
            QDir(p.state.currentFolder()).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(files.size(), captures);
        for (int i = 1; i <= captures; ++i)
            QVERIFY(files.contains(QString("OFFICE-PC%1.jpg").arg(i, 3, 10, QChar(u'0'))));
        const qint64 growth = residentBytes() - settled;
        qInfo("%d captures; resident memory grew by %.1f MB after the first 100", captures,
              growth / 1048576.0);
#if !defined(__SANITIZE_ADDRESS__)
        QVERIFY2(growth < 10 * 1024 * 1024, qPrintable(QString::number(growth)));
#endif
    }
};

QTEST_GUILESS_MAIN(StressTest)
#include "tst_stress.moc"
