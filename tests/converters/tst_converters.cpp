#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLibrary>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <array>
#include <cstdlib>

#include <sys/stat.h>
#include <unistd.h>

#include "bitmapwriter.h"
#include "bmpconverter.h"

using snagwell::ConverterFunction;
using snagwell::test::BitmapKind;
using snagwell::test::getU32;
using snagwell::test::putU16;
using snagwell::test::putU32;

namespace {

// Everything in a folder, hidden names included: a converter's temporary
// files are hidden.
QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

int call(ConverterFunction convert, const QString &src, const QString &dst, const char *option)
{
    return convert(QFile::encodeName(src).constData(), QFile::encodeName(dst).constData(), option);
}

// The largest difference of any channel of any pixel, alpha included.
int largestDifference(const QImage &actual, const QImage &expected)
{
    const QImage a = actual.convertToFormat(QImage::Format_ARGB32);
    const QImage b = expected.convertToFormat(QImage::Format_ARGB32);
    int largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            largest =
                std::max({largest, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                          std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
        }
    }
    return largest;
}

// Mean difference of the colour channels, for lossy output.
double meanColourDifference(const QImage &actual, const QImage &expected)
{
    double sum = 0;
    for (int y = 0; y < actual.height(); ++y) {
        for (int x = 0; x < actual.width(); ++x) {
            const QRgb p = actual.pixel(x, y);
            const QRgb q = expected.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    }
    return sum / (3.0 * actual.width() * actual.height());
}

// What Qt's own JPEG writer loses at the same quality: a bar that a converter
// which mixed up rows, orientation or channels could not pass.
bool closeAsQtsJpeg(const QImage &jpeg, const QImage &expected, int quality)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    expected.convertToFormat(QImage::Format_RGB32).save(&buffer, "JPG", quality);
    const QImage reference = QImage::fromData(buffer.data(), "JPG");
    const double ours = meanColourDifference(jpeg, expected);
    const double qts = meanColourDifference(reference, expected);
    if (ours <= qts * 1.25 + 1.0)
        return true;
    qWarning("mean difference %.2f, Qt's %.2f", ours, qts);
    return false;
}

QImage opaque(const QImage &picture)
{
    QImage result = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < result.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x)
            row[x] |= 0xFF000000u;
    }
    return result;
}

// Odd sizes, so that every depth has row padding. Every channel varies, the
// alpha runs through 0, 255 and values between, and neighbouring pixels are
// alike enough for JPEG to keep them close.
QImage directPicture(int width = 13, int height = 7)
{
    QImage picture(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y,
                             qRgba(x * 255 / (width - 1), y * 255 / (height - 1),
                                   (x + y) * 255 / (width + height - 2), (x * 3 + y * 40) % 256));
    }
    picture.setPixel(0, 0, qRgba(12, 34, 56, 0));
    picture.setPixel(1, 0, qRgba(200, 100, 50, 255));
    return picture;
}

QImage withAlpha(const QImage &picture, int alpha)
{
    QImage result = picture;
    for (int y = 0; y < result.height(); ++y) {
        for (int x = 0; x < result.width(); ++x) {
            const QRgb p = result.pixel(x, y);
            result.setPixel(x, y, qRgba(qRed(p), qGreen(p), qBlue(p), alpha));
        }
    }
    return result;
}

QImage indexedPicture(int colours, int width = 13, int height = 7)
{
    QImage picture(width, height, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (int i = 0; i < colours; ++i)
        table.append(qRgb((i * 53) % 256, (i * 101 + 7) % 256, 255 - (i * 31) % 256));
    picture.setColorTable(table);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, uint((x + 3 * y) % colours));
    }
    return picture;
}

QImage gradientPhoto(int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB32);
    QRandomGenerator noise(7);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int grain = int(noise.bounded(40));
            picture.setPixel(
                x, y, qRgb((x * 2 + grain) % 256, (y * 3 + grain) % 256, (x + y + grain) % 256));
        }
    }
    return picture;
}

BitmapKind kind(quint32 infoSize, quint16 bits, quint32 compression = 0,
                std::array<quint32, 4> masks = {}, bool topDown = false)
{
    BitmapKind k;
    k.infoSize = infoSize;
    k.bitsPerPixel = bits;
    k.compression = compression;
    k.masks = masks;
    k.topDown = topDown;
    return k;
}

constexpr std::array<quint32, 4> bgra{0xFF0000, 0xFF00, 0xFF, 0xFF000000};
constexpr std::array<quint32, 4> bgrx{0xFF0000, 0xFF00, 0xFF, 0};

} // namespace

class TestConverters final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void convertsWhatQtWrites_data();
    void convertsWhatQtWrites();
    void convertsOtherBitmapKinds_data();
    void convertsOtherBitmapKinds();
    void refusesMalformedBitmaps_data();
    void refusesMalformedBitmaps();
    void refusesPixelCountBeyondLimit();
    void refusesUnusableSources_data();
    void refusesUnusableSources();
    void neverReplacesExistingDestination_data();
    void neverReplacesExistingDestination();
    void failsWhenDestinationFolderIsMissing();
    void jpegQualityFollowsOption();
    void unknownJpegOptionMeansQuality75_data();
    void unknownJpegOptionMeansQuality75();
    void pngCompressionFollowsOption();
    void outputGetsOrdinaryPermissions();

private:
    struct Converter
    {
        const char *name;
        ConverterFunction function;
        const char *extension;
        const char *option;
    };
    std::array<Converter, 2> converters() const
    {
        return {Converter{"BmpToJpeg", m_toJpeg, ".jpg", "q95"},
                Converter{"BmpToPng", m_toPng, ".png", "ac3"}};
    }
    void checkRefused(const QByteArray &content);

    QLibrary m_jpegSaver{QStringLiteral(JPEGSAVER_PATH)};
    QLibrary m_pngSaver{QStringLiteral(PNGSAVER_PATH)};
    ConverterFunction m_toJpeg = nullptr;
    ConverterFunction m_toPng = nullptr;
};

void TestConverters::initTestCase()
{
    QVERIFY2(m_jpegSaver.load(), qPrintable(m_jpegSaver.errorString()));
    QVERIFY2(m_pngSaver.load(), qPrintable(m_pngSaver.errorString()));
    m_toJpeg = reinterpret_cast<ConverterFunction>(m_jpegSaver.resolve("BmpToJpeg"));
    m_toPng = reinterpret_cast<ConverterFunction>(m_pngSaver.resolve("BmpToPng"));
    QVERIFY(m_toJpeg != nullptr);
    QVERIFY(m_toPng != nullptr);
}

void TestConverters::convertsWhatQtWrites_data()
{
    QTest::addColumn<QImage>("picture");
    QTest::addColumn<int>("bitsPerPixel");

    // Qt writes every picture with a 40-byte header and no compression, and
    // drops alpha: ARGB32 becomes 24 bits like RGB32. Palette pictures of at
    // most 16 colours become 4 bits.
    QTest::newRow("RGB32") << directPicture().convertToFormat(QImage::Format_RGB32) << 24;
    QTest::newRow("ARGB32 with transparency") << directPicture() << 24;
    QTest::newRow("Indexed8, 256 colours") << indexedPicture(256) << 8;
    QTest::newRow("Indexed8, 12 colours") << indexedPicture(12) << 4;
    QTest::newRow("Mono") << indexedPicture(2).convertToFormat(QImage::Format_Mono) << 1;
    QTest::newRow("wide RGB32") << gradientPhoto(301, 5) << 24;
}

void TestConverters::convertsWhatQtWrites()
{
    QFETCH(QImage, picture);
    QFETCH(int, bitsPerPixel);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString bmp = folder.filePath(QStringLiteral("PC001.bmp"));
    QVERIFY(picture.save(bmp, "BMP"));
    const QByteArray original = readAll(bmp);
    QCOMPARE(getU32(original, 14), 40u);
    QCOMPARE(getU32(original, 30), 0u);
    QCOMPARE(int(quint8(original[28])), bitsPerPixel);

    const QImage expected = opaque(picture);

    QCOMPARE(call(m_toPng, bmp, folder.filePath(QStringLiteral("PC001.png")), "ac3"), 1);
    const QImage png(folder.filePath(QStringLiteral("PC001.png")));
    QCOMPARE(png.size(), picture.size());
    QVERIFY(!png.hasAlphaChannel());
    QCOMPARE(largestDifference(png, expected), 0);

    for (const char *option : {"q95", "q30"}) {
        const QString jpgPath =
            folder.filePath(QStringLiteral("PC001-%1.jpg").arg(QLatin1String(option)));
        QCOMPARE(call(m_toJpeg, bmp, jpgPath, option), 1);
        const QImage jpg(jpgPath);
        QCOMPARE(jpg.size(), picture.size());
        QVERIFY2(closeAsQtsJpeg(jpg, expected, option[1] == '9' ? 95 : 30), option);
    }

    QCOMPARE(readAll(bmp), original);
    QCOMPARE(entriesOf(folder.path()).size(), 4);
}

void TestConverters::convertsOtherBitmapKinds_data()
{
    QTest::addColumn<BitmapKind>("kind");
    QTest::addColumn<QImage>("picture");
    QTest::addColumn<bool>("pngHasAlpha");
    QTest::addColumn<int>("tolerance");

    const QImage direct = directPicture();
    QTest::newRow("24 bits, bottom-up") << kind(40, 24) << direct << false << 0;
    QTest::newRow("24 bits, top-down") << kind(40, 24, 0, {}, true) << direct << false << 0;
    QTest::newRow("24 bits, core header") << kind(12, 24) << direct << false << 0;
    QTest::newRow("32 bits, spare byte ignored") << kind(40, 32) << direct << false << 0;
    QTest::newRow("32 bits, BGRX bit fields") << kind(40, 32, 3, bgrx) << direct << false << 0;
    QTest::newRow("32 bits, alpha bit fields") << kind(40, 32, 6, bgra) << direct << true << 0;
    QTest::newRow("32 bits, 56-byte header with alpha")
        << kind(56, 32, 3, bgra) << direct << true << 0;
    QTest::newRow("32 bits, V4 with alpha") << kind(108, 32, 3, bgra) << direct << true << 0;
    QTest::newRow("32 bits, V5 with alpha, top-down")
        << kind(124, 32, 3, bgra, true) << direct << true << 0;
    QTest::newRow("32 bits, V5 uncompressed with alpha mask")
        << kind(124, 32, 0, bgra) << direct << true << 0;
    QTest::newRow("32 bits, V5 in RGBA byte order")
        << kind(124, 32, 3, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}) << direct << true << 0;
    QTest::newRow("32 bits, V5 with alpha all opaque")
        << kind(124, 32, 3, bgra) << withAlpha(direct, 255) << false << 0;
    QTest::newRow("32 bits, V5 with alpha all zero")
        << kind(124, 32, 3, bgra) << withAlpha(direct, 0) << false << 0;
    QTest::newRow("32 bits, 10-bit channels")
        << kind(40, 32, 3, {0x3FF00000, 0xFFC00, 0x3FF, 0}) << direct << false << 1;
    QTest::newRow("16 bits, 5-5-5") << kind(40, 16) << direct << false << 1;
    QTest::newRow("16 bits, 5-6-5 bit fields")
        << kind(40, 16, 3, {0xF800, 0x07E0, 0x001F, 0}) << direct << false << 1;
    QTest::newRow("16 bits, V4 4-4-4-4 with alpha")
        << kind(108, 16, 3, {0x0F00, 0x00F0, 0x000F, 0xF000}) << direct << true << 1;
    QTest::newRow("8 bits, full palette") << kind(40, 8) << indexedPicture(256) << false << 0;
    QTest::newRow("8 bits, short palette") << kind(40, 8) << indexedPicture(7) << false << 0;
    BitmapKind undeclared = kind(40, 8);
    undeclared.declareColoursUsed = false;
    QTest::newRow("8 bits, palette length undeclared")
        << undeclared << indexedPicture(256) << false << 0;
    QTest::newRow("8 bits, core header") << kind(12, 8) << indexedPicture(20) << false << 0;
    QTest::newRow("4 bits, top-down")
        << kind(40, 4, 0, {}, true) << indexedPicture(16) << false << 0;
    QTest::newRow("2 bits") << kind(40, 2) << indexedPicture(3) << false << 0;
    QTest::newRow("1 bit") << kind(108, 1) << indexedPicture(2) << false << 0;
}

void TestConverters::convertsOtherBitmapKinds()
{
    QFETCH(BitmapKind, kind);
    QFETCH(QImage, picture);
    QFETCH(bool, pngHasAlpha);
    QFETCH(int, tolerance);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString bmp = folder.filePath(QStringLiteral("in.bmp"));
    const QByteArray bytes = snagwell::test::writeBitmap(kind, picture);
    QVERIFY(writeAll(bmp, bytes));
    QImage expected = snagwell::test::expectedPicture(kind, picture);
    if (!pngHasAlpha)
        expected = opaque(expected);

    QCOMPARE(call(m_toPng, bmp, folder.filePath(QStringLiteral("out.png")), "ac3"), 1);
    const QImage png(folder.filePath(QStringLiteral("out.png")));
    QCOMPARE(png.size(), picture.size());
    QCOMPARE(png.hasAlphaChannel(), pngHasAlpha);
    QVERIFY(largestDifference(png, expected) <= tolerance);

    QCOMPARE(call(m_toJpeg, bmp, folder.filePath(QStringLiteral("out.jpg")), "q95"), 1);
    const QImage jpg(folder.filePath(QStringLiteral("out.jpg")));
    QCOMPARE(jpg.size(), picture.size());
    QVERIFY(!jpg.hasAlphaChannel());
    QVERIFY(closeAsQtsJpeg(jpg, expected, 95));

    // Some writers leave out the padding of the last row; nothing needs it.
    const int stride = (picture.width() * kind.bitsPerPixel + 31) / 32 * 4;
    const int padding = stride - (picture.width() * kind.bitsPerPixel + 7) / 8;
    if (padding > 0) {
        QVERIFY(writeAll(bmp, bytes.left(bytes.size() - padding)));
        QCOMPARE(call(m_toPng, bmp, folder.filePath(QStringLiteral("short.png")), "ac3"), 1);
        QVERIFY(largestDifference(QImage(folder.filePath(QStringLiteral("short.png"))), expected) <=
                tolerance);
        QCOMPARE(call(m_toJpeg, bmp, folder.filePath(QStringLiteral("short.jpg")), "q95"), 1);
    }
    QCOMPARE(readAll(bmp).size(), bytes.size() - padding);
}

void TestConverters::checkRefused(const QByteArray &content)
{
    for (const Converter &converter : converters()) {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString bmp = folder.filePath(QStringLiteral("in.bmp"));
        QVERIFY(writeAll(bmp, content));
        const QString dst =
            folder.filePath(QLatin1String("out") + QLatin1String(converter.extension));
        QVERIFY2(call(converter.function, bmp, dst, converter.option) == 0, converter.name);
        QVERIFY2(entriesOf(folder.path()) == QStringList{QStringLiteral("in.bmp")}, converter.name);
        QCOMPARE(readAll(bmp), content);
    }
}

void TestConverters::refusesMalformedBitmaps_data()
{
    QTest::addColumn<QByteArray>("content");

    const QByteArray rgb = snagwell::test::writeBitmap(kind(40, 24), directPicture());
    const QByteArray indexed = snagwell::test::writeBitmap(kind(40, 8), indexedPicture(4));
    const auto spoiled = [](QByteArray bytes, int offset, quint32 value) {
        putU32(bytes, offset, value);
        return bytes;
    };
    const auto withDepth = [](QByteArray bytes, quint16 bits) {
        putU16(bytes, 28, bits);
        return bytes;
    };
    QRandomGenerator random(1234);
    QByteArray garbage(4096, '\0');
    for (char &c : garbage)
        c = char(random.bounded(256));

    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("signature only") << QByteArrayLiteral("BM");
    QTest::newRow("header cut short") << rgb.left(30);
    QTest::newRow("pixels cut short") << rgb.left(rgb.size() - 40);
    QTest::newRow("garbage") << garbage;
    QTest::newRow("garbage after the signature") << QByteArrayLiteral("BM") + garbage;
    QTest::newRow("wrong signature") << QByteArrayLiteral("MB") + rgb.mid(2);
    QTest::newRow("zero width") << spoiled(rgb, 18, 0);
    QTest::newRow("zero height") << spoiled(rgb, 22, 0);
    QTest::newRow("negative width") << spoiled(rgb, 18, quint32(-13));
    QTest::newRow("most negative height") << spoiled(rgb, 22, 0x80000000u);
    QTest::newRow("absurd dimensions") << spoiled(spoiled(rgb, 18, 100000), 22, 100000);
    QTest::newRow("row size overflowing 32 bits") << spoiled(spoiled(rgb, 18, 0x7FFFFFFF), 22, 1);
    QTest::newRow("pixel offset past the end") << spoiled(rgb, 10, quint32(rgb.size() + 10));
    QTest::newRow("pixel offset inside the header") << spoiled(rgb, 10, 20);
    QTest::newRow("unknown header size") << spoiled(rgb, 14, 64);
    QTest::newRow("run-length compression") << spoiled(indexed, 30, 1);
    QTest::newRow("embedded PNG") << spoiled(rgb, 30, 5);
    QTest::newRow("unknown compression") << spoiled(rgb, 30, 99);
    QTest::newRow("no bits per pixel") << withDepth(rgb, 0);
    QTest::newRow("3 bits per pixel") << withDepth(rgb, 3);
    QTest::newRow("64 bits per pixel") << withDepth(rgb, 64);
    QTest::newRow("bit fields on 24 bits")
        << snagwell::test::writeBitmap(kind(40, 24, 3, bgrx), directPicture());

    // 4 palette entries, indices up to 4 + 3 * 6 = 22.
    QByteArray outOfRange = snagwell::test::writeBitmap(kind(40, 8), indexedPicture(4));
    outOfRange[outOfRange.size() - 20] = char(200);
    QTest::newRow("palette index out of range") << outOfRange;
    QByteArray outOfRange4 = snagwell::test::writeBitmap(kind(40, 4), indexedPicture(5));
    outOfRange4[outOfRange4.size() - 1 - 4] = char(0xF0); // inside the last row's pixels
    QTest::newRow("4-bit palette index out of range") << outOfRange4;
    QTest::newRow("no room for the palette") << spoiled(indexed, 10, 54);

    QTest::newRow("overlapping masks") << snagwell::test::writeBitmap(
        kind(40, 32, 3, {0xFF0000, 0xFFFF00, 0xFF, 0}), directPicture());
    QTest::newRow("mask with a hole") << snagwell::test::writeBitmap(
        kind(108, 32, 3, {0xF0F000, 0xFF00, 0xFF, 0}), directPicture());
    QTest::newRow("16-bit masks beyond 16 bits") << snagwell::test::writeBitmap(
        kind(40, 16, 3, {0x1F0000, 0x07E0, 0x001F, 0}), directPicture());
    QTest::newRow("no colour masks")
        << snagwell::test::writeBitmap(kind(40, 32, 3, {0, 0, 0, 0xFF000000}), directPicture());
    QTest::newRow("alpha bit fields in a 52-byte header")
        << snagwell::test::writeBitmap(kind(52, 32, 6, bgra), directPicture());
}

void TestConverters::refusesMalformedBitmaps()
{
    QFETCH(QByteArray, content);
    checkRefused(content);
}

void TestConverters::refusesPixelCountBeyondLimit()
{
    // 16400 x 16400 at 8 bits is complete and well formed but beyond the
    // 2^28-pixel limit. The file is sparse, so it costs no disk space, and a
    // reader that honours the limit never reads it.
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QByteArray header = snagwell::test::writeBitmap(kind(40, 8), indexedPicture(2, 4, 1));
    header.chop(4);
    putU32(header, 18, 16400);
    putU32(header, 22, 16400);
    for (const Converter &converter : converters()) {
        const QString bmp = folder.filePath(QStringLiteral("huge.bmp"));
        QFile file(bmp);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(header), header.size());
        QVERIFY(file.resize(header.size() + qint64(16400) * 16400));
        file.close();
        const QString dst =
            folder.filePath(QLatin1String("huge") + QLatin1String(converter.extension));
        QVERIFY2(call(converter.function, bmp, dst, converter.option) == 0, converter.name);
        QCOMPARE(entriesOf(folder.path()), QStringList{QStringLiteral("huge.bmp")});
    }
}

void TestConverters::refusesUnusableSources_data()
{
    QTest::addColumn<QString>("source");
    QTest::newRow("missing file") << QStringLiteral("missing.bmp");
    QTest::newRow("folder") << QStringLiteral("folder.bmp");
    QTest::newRow("named pipe without a writer") << QStringLiteral("pipe.bmp");
    QTest::newRow("empty path") << QString();
}

void TestConverters::refusesUnusableSources()
{
    QFETCH(QString, source);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("folder.bmp")));
    const QByteArray pipe = QFile::encodeName(folder.filePath(QStringLiteral("pipe.bmp")));
    QCOMPARE(::mkfifo(pipe.constData(), 0600), 0);
    const QStringList before = entriesOf(folder.path());
    const QString src = source.isEmpty() ? QString() : folder.filePath(source);
    for (const Converter &converter : converters()) {
        const QString dst =
            folder.filePath(QLatin1String("out") + QLatin1String(converter.extension));
        QCOMPARE(call(converter.function, src, dst, converter.option), 0);
        QCOMPARE(entriesOf(folder.path()), before);
    }
}

void TestConverters::neverReplacesExistingDestination_data()
{
    QTest::addColumn<QString>("existing");
    QTest::newRow("file") << QStringLiteral("file");
    QTest::newRow("dangling symbolic link") << QStringLiteral("link");
    QTest::newRow("the source itself") << QStringLiteral("source");
}

void TestConverters::neverReplacesExistingDestination()
{
    QFETCH(QString, existing);
    for (const Converter &converter : converters()) {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString bmp = folder.filePath(QStringLiteral("PC002.bmp"));
        QVERIFY(directPicture().save(bmp, "BMP"));
        const QByteArray source = readAll(bmp);
        QString dst = folder.filePath(QLatin1String("PC002") + QLatin1String(converter.extension));
        if (existing == QLatin1String("file"))
            QVERIFY(writeAll(dst, QByteArrayLiteral("earlier capture")));
        else if (existing == QLatin1String("link"))
            QVERIFY(QFile::link(folder.filePath(QStringLiteral("nowhere")), dst));
        else
            dst = bmp;
        const QStringList before = entriesOf(folder.path());

        QVERIFY2(call(converter.function, bmp, dst, converter.option) == 0, converter.name);

        QCOMPARE(entriesOf(folder.path()), before);
        QCOMPARE(readAll(bmp), source);
        if (existing == QLatin1String("file"))
            QCOMPARE(readAll(dst), QByteArrayLiteral("earlier capture"));
        if (existing == QLatin1String("link"))
            QCOMPARE(QFileInfo(dst).symLinkTarget(), folder.filePath(QStringLiteral("nowhere")));
    }
}

void TestConverters::failsWhenDestinationFolderIsMissing()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString bmp = folder.filePath(QStringLiteral("PC003.bmp"));
    QVERIFY(directPicture().save(bmp, "BMP"));
    for (const Converter &converter : converters()) {
        const QString dst =
            folder.filePath(QLatin1String("gone/PC003") + QLatin1String(converter.extension));
        QCOMPARE(call(converter.function, bmp, dst, converter.option), 0);
        QCOMPARE(entriesOf(folder.path()), QStringList{QStringLiteral("PC003.bmp")});
    }
}

void TestConverters::jpegQualityFollowsOption()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    // A Japanese name, as the registered headers give them.
    const QString bmp = folder.filePath(QStringLiteral("ﾕｰｻﾞｰ001.bmp"));
    QVERIFY(gradientPhoto(320, 200).save(bmp, "BMP"));
    const QString low = folder.filePath(QStringLiteral("ﾕｰｻﾞｰ001.jpeg"));
    const QString high = folder.filePath(QStringLiteral("ﾕｰｻﾞｰ001.jpg"));
    QCOMPARE(call(m_toJpeg, bmp, low, "q30"), 1);
    QCOMPARE(call(m_toJpeg, bmp, high, "q95"), 1);
    QVERIFY2(QFileInfo(low).size() < QFileInfo(high).size(),
             qPrintable(QStringLiteral("q30 %1 bytes, q95 %2 bytes")
                            .arg(QFileInfo(low).size())
                            .arg(QFileInfo(high).size())));
    const QImage original(bmp);
    QVERIFY(meanColourDifference(QImage(high), original) <
            meanColourDifference(QImage(low), original));
    QCOMPARE(entriesOf(folder.path()).size(), 3);
}

void TestConverters::unknownJpegOptionMeansQuality75_data()
{
    QTest::addColumn<QByteArray>("option");
    QTest::addColumn<bool>("null");
    QTest::newRow("null") << QByteArray() << true;
    QTest::newRow("empty") << QByteArray("") << false;
    QTest::newRow("PNG's option") << QByteArray("ac3") << false;
    QTest::newRow("quality 0") << QByteArray("q0") << false;
    QTest::newRow("quality 101") << QByteArray("q101") << false;
    QTest::newRow("no number") << QByteArray("q") << false;
    QTest::newRow("trailing text") << QByteArray("q95x") << false;
}

void TestConverters::unknownJpegOptionMeansQuality75()
{
    QFETCH(QByteArray, option);
    QFETCH(bool, null);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString bmp = folder.filePath(QStringLiteral("in.bmp"));
    QVERIFY(gradientPhoto(64, 48).save(bmp, "BMP"));
    QCOMPARE(call(m_toJpeg, bmp, folder.filePath(QStringLiteral("q75.jpg")), "q75"), 1);
    QCOMPARE(call(m_toJpeg, bmp, folder.filePath(QStringLiteral("other.jpg")),
                  null ? nullptr : option.constData()),
             1);
    QCOMPARE(readAll(folder.filePath(QStringLiteral("other.jpg"))),
             readAll(folder.filePath(QStringLiteral("q75.jpg"))));
}

void TestConverters::pngCompressionFollowsOption()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString bmp = folder.filePath(QStringLiteral("in.bmp"));
    const QImage picture = gradientPhoto(200, 100);
    QVERIFY(picture.save(bmp, "BMP"));
    const QString stored = folder.filePath(QStringLiteral("stored.png"));
    const QString compressed = folder.filePath(QStringLiteral("compressed.png"));
    const QString fallback = folder.filePath(QStringLiteral("fallback.png"));
    QCOMPARE(call(m_toPng, bmp, stored, "nc0"), 1);
    QCOMPARE(call(m_toPng, bmp, compressed, "ac3"), 1);
    QCOMPARE(call(m_toPng, bmp, fallback, nullptr), 1);
    // Level 0 stores the 3 bytes a pixel and a filter byte a row as they are.
    QVERIFY(QFileInfo(stored).size() >= 200 * 100 * 3 + 100);
    QVERIFY(QFileInfo(compressed).size() < QFileInfo(stored).size());
    for (const QString &path : {stored, compressed, fallback})
        QCOMPARE(largestDifference(QImage(path), picture), 0);
}

void TestConverters::outputGetsOrdinaryPermissions()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString bmp = folder.filePath(QStringLiteral("in.bmp"));
    QVERIFY(directPicture().save(bmp, "BMP"));
    const mode_t previous = ::umask(022);
    const int jpeg = call(m_toJpeg, bmp, folder.filePath(QStringLiteral("out.jpg")), "q95");
    const int png = call(m_toPng, bmp, folder.filePath(QStringLiteral("out.png")), "ac3");
    ::umask(previous);
    QCOMPARE(jpeg, 1);
    QCOMPARE(png, 1);
    for (const char *name : {"out.jpg", "out.png"}) {
        struct stat info = {};
        QCOMPARE(::stat(QFile::encodeName(folder.filePath(QLatin1String(name))).constData(), &info),
                 0);
        QCOMPARE(info.st_mode & 0777, mode_t(0644));
    }
}

QTEST_GUILESS_MAIN(TestConverters)
#include "tst_converters.moc"
