// Faults while the settings window captures: a day folder that goes away or
// cannot be written, a full disk at each write, converters that are missing
// or fail, a settings file that cannot be read. In every case nothing
// escapes, no half-written file stands under a capture's name, the settings
// file is whole, and capturing goes on once the fault is gone.

#include <memory>

#include <sys/stat.h>

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QtTest>

#include "app/ansicodepage.h"
#include "app/failure.h"
#include "app/settingsfile.h"
#include "browse/browserlists.h"
#include "capture/bitmapwriter.h"
#include "faultsupport.h"
#include "support/form1fixture.h"

using namespace snagwell;
using namespace snagwell::stress;
using snagwell::testing::Form1Fixture;

namespace {

// Random pixels: neither the bitmap nor the PNG shrinks, so a file's size
// is known before it is written.
QImage noise(int width, int height, quint32 seed)
{
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<quint32 *>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = 0xFF000000u | (random.generate() & 0xFFFFFFu);
    }
    return image;
}

qint64 bitmapSize(const QImage &image)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    writeBitmap(buffer, image);
    return buffer.size();
}

QByteArray longText(int bytes)
{
    QByteArray text;
    for (int line = 0; text.size() < bytes; ++line)
        text += "line " + QByteArray::number(line) + " of a long copied text\n";
    return text;
}

bool samePixels(const QImage &a, const QImage &b)
{
    return a.size() == b.size() &&
           a.convertToFormat(QImage::Format_RGB32) == b.convertToFormat(QImage::Format_RGB32);
}

// The settings window started over the doubles, capturing with automatic
// text saving into its day folder under the header "OFFICE-PC", pictures
// kept as PNG through the real converter libraries.
struct Capturing : Form1Fixture
{
    Capturing() { begin(); }
    explicit Capturing(bool started)
    {
        if (started)
            begin();
    }
    void begin()
    {
        start();
        form->cbxFileHeader->setCurrentIndex(0);
        Form1::setCheckValue(form->SaveTextCK, 1);
        useRealConverters();
        form->cbxFileType->setCurrentText(QStringLiteral("PNG"));
        dialogs.clear();
    }
    void useRealConverters()
    {
        converters =
            ScriptedConverters([this](const QString &s, const QString &d, const QString &o) {
                return d.endsWith(QStringLiteral(".png")) ? real.BmpToPng(s, d, o)
                                                          : real.BmpToJpeg(s, d, o);
            });
    }
    QString folder() const { return form->File1->path(); }
    QString management() const { return QFileInfo(folder()).absolutePath(); }
    QString file(const QString &name) const { return folder() + QLatin1Char('/') + name; }

    // Capturing works: a text and a picture land whole under the next two
    // numbers.
    void capturesAgain(int number)
    {
        const auto name = [](int n, const char *extension) {
            return QStringLiteral("OFFICE-PC%1.%2")
                .arg(n, 3, 10, QLatin1Char('0'))
                .arg(QLatin1String(extension));
        };
        clipboard.setText(QStringLiteral("after the fault"));
        QCOMPARE(bytesOf(file(name(number, "txt"))), QByteArray("after the fault\r\n"));
        const QImage image = noise(48, 24, 99);
        clipboard.setImage(image);
        QVERIFY(samePixels(QImage(file(name(number + 1, "png")), "PNG"), image));
        QVERIFY(!QFileInfo::exists(file(name(number + 1, "bmp"))));
    }

    LibraryConverters real{QCoreApplication::applicationDirPath()};
};

// Undoes a fault at a point of the test's choosing.
using Fault = std::unique_ptr<void, void (*)(void *)>;
template <typename T> Fault hold(T *fault)
{
    return Fault(fault, [](void *p) { delete static_cast<T *>(p); });
}

} // namespace

class FaultTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void dayFolderFaults_data();
    void dayFolderFaults();
    void fullDisk_data();
    void fullDisk();
    void settingsWriteOnFullDisk_data();
    void settingsWriteOnFullDisk();
    void converterFaults_data();
    void converterFaults();
    void unreadableSettingsAtStartUp();
    void leftoverTemporariesNeverShowNorCount();
};

void FaultTest::dayFolderFaults_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("removed") << "removed";
    QTest::newRow("read-only by its mode") << "mode";
    QTest::newRow("on a read-only mount") << "mount";
}

void FaultTest::dayFolderFaults()
{
    QFETCH(QString, fault);
    if (fault == QLatin1String("mount") && !canMount())
        QSKIP(qPrintable(whyNoMounts()));
    Capturing c;
    const QString folder = c.folder();
    const QStringList managementBefore = entriesIn(c.management());
    std::unique_ptr<ReadOnlyFolder> readOnly;
    std::unique_ptr<WithoutModeOverride> unprivileged;
    std::unique_ptr<ReadOnlyMount> mounted;
    if (fault == QLatin1String("removed")) {
        QVERIFY(QDir(folder).removeRecursively());
    } else if (fault == QLatin1String("mode")) {
        readOnly = std::make_unique<ReadOnlyFolder>(folder);
        unprivileged = std::make_unique<WithoutModeOverride>();
    } else {
        mounted = std::make_unique<ReadOnlyMount>(folder);
    }

    c.clipboard.setText(QStringLiteral("nowhere to go"));
    c.clipboard.setImage(noise(40, 20, 1));
    // Shown as ever, saved nowhere, told to nobody.
    QCOMPARE(c.form->text1(), QStringLiteral("nowhere to go"));
    QVERIFY(c.form->LabelTXT->text().isEmpty());
    QVERIFY(c.dialogs.shown().isEmpty());
    QCOMPARE(entriesIn(c.management()),
             fault == QLatin1String("removed") ? QStringList() : managementBefore);

    unprivileged.reset();
    readOnly.reset();
    mounted.reset();
    QVERIFY(QDir().mkpath(folder));
    QCOMPARE(entriesIn(folder), QStringList());
    c.capturesAgain(1);
}

void FaultTest::fullDisk_data()
{
    QTest::addColumn<QString>("limit");
    QTest::addColumn<QString>("stage");
    for (const char *limit : {"tmpfs", "file size"}) {
        for (const char *stage : {"text", "bitmap", "conversion"})
            QTest::addRow("%s, %s", limit, stage) << limit << stage;
    }
}

void FaultTest::fullDisk()
{
    QFETCH(QString, limit);
    QFETCH(QString, stage);
    const bool tmpfs = limit == QLatin1String("tmpfs");
    if (tmpfs && !canMount())
        QSKIP(qPrintable(whyNoMounts()));
    Capturing c;
    const QString folder = c.folder();
    // The day folder on a small disk of its own.
    std::unique_ptr<SmallDisk> disk;
    if (tmpfs) {
        disk = std::make_unique<SmallDisk>(c.management(), 1 << 20);
        QVERIFY(QDir().mkpath(folder));
    }

    const QImage image = noise(400, 100, 7); // 1200 bytes a row: no padding
    const qint64 bitmap = bitmapSize(image);
    QStringList left; // what may stand in the folder afterwards
    QByteArray text;
    Fault fault(nullptr, [](void *) {});
    if (stage == QLatin1String("text")) {
        text = longText(64 * 1024);
        if (tmpfs)
            disk->fillLeaving(8 * 1024);
        else
            fault = hold(new FileSizeLimit(8 * 1024));
        c.clipboard.setText(QString::fromLatin1(text));
    } else if (stage == QLatin1String("bitmap")) {
        if (tmpfs)
            disk->fillLeaving(bitmap / 2);
        else
            fault = hold(new FileSizeLimit(bitmap / 2));
        c.clipboard.setImage(image);
    } else {
        // Room for the bitmap, not for the PNG beside it.
        if (tmpfs) {
            disk->fillLeaving((bitmap + 4095) / 4096 * 4096 + 4096);
        } else {
            QTemporaryDir scratch;
            QFile scratchBitmap(scratch.filePath(QStringLiteral("a.bmp")));
            QVERIFY(scratchBitmap.open(QIODevice::WriteOnly));
            writeBitmap(scratchBitmap, image);
            scratchBitmap.close();
            QCOMPARE(c.real.BmpToPng(scratchBitmap.fileName(), scratch.filePath("a.png"), "ac3"),
                     1);
            QVERIFY2(QFileInfo(scratch.filePath("a.png")).size() > bitmap,
                     "random pixels make a PNG larger than their bitmap");
            fault = hold(new FileSizeLimit(bitmap));
        }
        c.clipboard.setImage(image);
        left = QStringList{QStringLiteral("OFFICE-PC001.bmp")};
    }
    fault.reset();

    QVERIFY(c.dialogs.shown().isEmpty());
    QCOMPARE(entriesIn(folder), left);
    if (!left.isEmpty()) {
        // The bitmap that stays is whole.
        QCOMPARE(QFileInfo(c.file(left.first())).size(), bitmap);
        QVERIFY(samePixels(QImage(c.file(left.first()), "BMP"), image));
    }
    if (stage == QLatin1String("text"))
        QCOMPARE(c.form->text1(), QString::fromLatin1(text).replace("\n", "\r\n"));

    if (disk)
        disk->drain();
    c.capturesAgain(left.size() + 1);
}

void FaultTest::settingsWriteOnFullDisk_data()
{
    QTest::addColumn<bool>("tmpfs");
    QTest::newRow("tmpfs") << true;
    QTest::newRow("file size") << false;
}

void FaultTest::settingsWriteOnFullDisk()
{
    QFETCH(bool, tmpfs);
    if (tmpfs && !canMount())
        QSKIP(qPrintable(whyNoMounts()));
    Capturing c(false);
    // The start-up folder, where the settings file lives, on a small disk.
    std::unique_ptr<SmallDisk> disk;
    if (tmpfs)
        disk = std::make_unique<SmallDisk>(c.startupFolder(), 256 * 1024);
    c.begin();
    c.form->SaveSettings();
    const QByteArray old = c.settingsBytes();
    QCOMPARE(splitSettingsLines(old).at(0), c.folder());
    const auto startupEntries = [&] {
        QStringList entries = entriesIn(c.startupFolder());
        entries.removeOne(QStringLiteral(".filler"));
        return entries;
    };
    const QStringList entriesBefore = startupEntries();

    c.form->tbxPrinter->setText(QStringLiteral("新しいプリンター"));
    {
        Fault fault(nullptr, [](void *) {});
        if (tmpfs)
            disk->fillLeaving(0);
        else
            fault = hold(new FileSizeLimit(16));
        QVERIFY_THROWS_EXCEPTION(Failure, c.form->SaveSettings());
        QCOMPARE(c.settingsBytes(), old);
        QCOMPARE(startupEntries(), entriesBefore);
        if (disk)
            disk->drain();
    }
    // Capturing went on meanwhile.
    c.capturesAgain(1);
    c.form->SaveSettings();
    QCOMPARE(splitSettingsLines(c.settingsBytes()).at(8), QStringLiteral("新しいプリンター"));

    // At quitting the failure is told, and the file stays as it was.
    c.form->tbxPrinter->setText(QStringLiteral("もう一つ"));
    const QByteArray before = c.settingsBytes();
    {
        Fault fault(nullptr, [](void *) {});
        if (tmpfs)
            disk->fillLeaving(0);
        else
            fault = hold(new FileSizeLimit(16));
        c.form->Unload();
    }
    QCOMPARE(c.dialogs.shown().size(), 1);
    QVERIFY(c.dialogs.shown().first().text.contains(QStringLiteral("RAVuvivo.vov")));
    QCOMPARE(c.settingsBytes(), before);
    QVERIFY(c.form->isUnloaded());
}

void FaultTest::converterFaults_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("library missing") << "missing";
    QTest::newRow("library without the function") << "no function";
    QTest::newRow("reports failure") << "failure";
}

void FaultTest::converterFaults()
{
    QFETCH(QString, fault);
    Capturing c;
    c.form->cbxFileType->setCurrentText(QStringLiteral("JPG"));
    QTemporaryDir libraries;
    // A file of the converter's name that holds another library.
    QVERIFY(QFile::copy(QCoreApplication::applicationDirPath() + "/libPngSaver.so",
                        libraries.filePath("libJpegSaver.so")));
    LibraryConverters broken(fault == QLatin1String("missing") ? libraries.filePath("none")
                                                               : libraries.path());
    c.converters = ScriptedConverters([&](const QString &s, const QString &d, const QString &o) {
        return fault == QLatin1String("failure") ? 0 : broken.BmpToJpeg(s, d, o);
    });
    if (fault != QLatin1String("failure"))
        QVERIFY_THROWS_EXCEPTION(Failure, broken.BmpToJpeg("a.bmp", "a.jpg", "q95"));

    const QImage image = noise(30, 10, 3);
    c.clipboard.setImage(image);
    QVERIFY(c.dialogs.shown().isEmpty());
    QCOMPARE(entriesIn(c.folder()), QStringList{"OFFICE-PC001.bmp"});
    QVERIFY(samePixels(QImage(c.file("OFFICE-PC001.bmp"), "BMP"), image));

    c.useRealConverters();
    c.form->cbxFileType->setCurrentText(QStringLiteral("PNG"));
    c.capturesAgain(2);
}

void FaultTest::unreadableSettingsAtStartUp()
{
    Form1Fixture f;
    // A later run's settings, pointing into a management folder of the
    // start-up folder; then the file's read permission goes.
    const QString management = f.startupFolder() + QStringLiteral("/SWData");
    QVERIFY(QDir().mkpath(management));
    f.writeSettings(composeSettingsFile(
        {management, " 1 ", " 0 ", "PC名", "", "-1 ", "BMP", " 7日前", "", " 0 ", "", ""}));
    const QByteArray written = f.settingsBytes();
    const QByteArray path = QFile::encodeName(f.settingsPath());
    QCOMPARE(::chmod(path.constData(), 0), 0);
    {
        WithoutModeOverride unprivileged;
        QVERIFY(!QFile(f.settingsPath()).open(QIODevice::ReadOnly));
        f.start();
    }
    QCOMPARE(::chmod(path.constData(), 0644), 0);

    QVERIFY(!f.form->isUnloaded());
    QVERIFY(f.form->isMonitoring());
    QVERIFY(!f.dialogs.texts().isEmpty());
    QVERIFY(f.dialogs.texts().first().contains(QStringLiteral("を開けません")));
    // Whole, old or new: the browser's move into today's folder may have
    // written it with what the window holds.
    const QByteArray now = f.settingsBytes();
    if (now != written) {
        QCOMPARE(now.count("\r\n"), settingsLineCount);
        QCOMPARE(splitSettingsLines(now).at(0), f.form->Dir1->path());
    }
    // Captures still go somewhere inside the start-up folder, never beside
    // or above it.
    const QString folder = f.form->File1->path();
    QVERIFY2(folder.startsWith(f.startupFolder() + QLatin1Char('/')) || folder == f.startupFolder(),
             qPrintable(folder));
    Form1::setCheckValue(f.form->SaveTextCK, 1);
    f.clipboard.setText(QStringLiteral("still captured"));
    QCOMPARE(f.form->LabelTXT->text().isEmpty(), false);
    QCOMPARE(bytesOf(f.form->LabelTXT->text()), QByteArray("still captured\r\n"));
    f.form->Unload();
    QCOMPARE(splitSettingsLines(f.settingsBytes()).size(), settingsLineCount);
}

void FaultTest::leftoverTemporariesNeverShowNorCount()
{
    // What a process killed while writing leaves: a converter's hidden
    // temporary file beside the day's captures and the settings file's
    // temporary beside it. The next run neither shows nor counts them, and
    // does not touch them.
    Capturing c(false);
    const QString management = c.startupFolder() + QStringLiteral("/SWData");
    const QString day = management + QStringLiteral("/05Nov15");
    QVERIFY(QDir().mkpath(day));
    c.writeSettings(composeSettingsFile(
        {day, " 1 ", " 0 ", "PC名", "", "-1 ", "PNG", " 7日前", "", " 0 ", "", ""}));
    const QStringList leftovers{QStringLiteral(".OFFICE-PC005.png.Ab12Cd"),
                                QStringLiteral(".OFFICE-PC006.txt.xY9z8W")};
    for (const QString &name : leftovers) {
        QFile file(day + QLatin1Char('/') + name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("half");
    }
    QFile settingsTemporary(c.startupFolder() + QStringLiteral("/RAVuvivo.vov.Q1w2E3"));
    QVERIFY(settingsTemporary.open(QIODevice::WriteOnly));
    settingsTemporary.write("C:\\elsewhere\r\n");
    settingsTemporary.close();

    c.begin();
    QCOMPARE(c.folder(), day);
    QVERIFY(c.dialogs.shown().isEmpty());
    QCOMPARE(c.form->cbxFileType->currentText(), QStringLiteral("PNG"));
    QCOMPARE(c.form->File1->fileNames(), QStringList());
    c.capturesAgain(1);
    QCOMPARE(c.form->File1->fileNames(), (QStringList{"OFFICE-PC001.txt", "OFFICE-PC002.png"}));
    QCOMPARE(entriesIn(day),
             (QStringList{leftovers[0], leftovers[1], "OFFICE-PC001.txt", "OFFICE-PC002.png"}));
    QVERIFY(settingsTemporary.exists());
}

int main(int argc, char *argv[])
{
    // While the process has one thread: mounts of the tests stay private.
    enterPrivateMounts();
    QApplication app(argc, argv);
    FaultTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_faults.moc"
