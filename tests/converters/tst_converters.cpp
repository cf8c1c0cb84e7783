// The converter libraries as the program loads them: what they convert and how
// faithfully, what they refuse without a trace, their options, the fuzz corpus.

#include <QDataStream>
#include <QDirIterator>
#include <QImage>
#include <QLibrary>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include "bmpconverter.h"

// Converter 0 writes JPEG, 1 PNG.
constexpr std::array<const char *, 2> extensions{"jpg", "png"}, options{"q95", "ac3"};

static QByteArray put(QByteArray bytes, qsizetype at, quint32 value, int size = 4)
{
    for (int i = 0; i < size; ++i)
        bytes[at + i] = char(value >> 8 * i);
    return bytes;
}

// `image` (Indexed8 up to 8 bits) as a bottom-up bitmap, its colours and alpha rounded
// to `masks` (red, green, blue, alpha), the last row without padding as some writers leave it.
static QByteArray bitmap(const QImage &image, quint32 header, quint16 bits, quint32 compression = 0,
                         const std::array<quint32, 4> &masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000})
{
    const int w = image.width(), h = image.height(), stride = (w * bits + 31) / 32 * 4;
    QByteArray palette, pixels(stride * h, '\0');
    for (const QRgb colour : image.colorTable())
        palette += put(QByteArray(4, '\0'), 0, colour & 0xFFFFFF).left(header == 12 ? 3 : 4);
    for (int i = 0; i < w * h; ++i) {
        const int x = i % w, y = i / w, at = (h - 1 - y) * stride + x * bits / 8;
        const QRgb c = image.pixel(x, y);
        quint32 value = bits <= 8 ? image.pixelIndex(x, y) : 0;
        for (int m = 0; bits > 8 && m < 4; ++m) {
            const uint shift = qCountTrailingZeroBits(masks[m]) % 32;
            const quint64 channel = std::array{qRed(c), qGreen(c), qBlue(c), qAlpha(c)}[m];
            value |= quint32((channel * (masks[m] >> shift) + 127) / 255 << shift);
        }
        if (bits < 8)
            pixels[at] = char(pixels[at] | value << (8 - bits - x * bits % 8));
        for (int b = 0; bits >= 8 && b < bits / 8; ++b)
            pixels[at + b] = char(value >> 8 * b);
    }
    pixels.chop(stride - (w * bits + 7) / 8);
    // After a 40-byte header come three masks, or four for compression 6.
    const int end = 14 + int(header) + (header == 40 && compression ? 8 + compression / 3 * 4 : 0);
    const int offset = end + int(palette.size());
    QByteArray file;
    QDataStream out(&file, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint16(0x4D42) << quint32(offset + pixels.size()) << quint32(0) << offset << header;
    if (header == 12)
        out << quint16(w) << quint16(h) << quint16(1) << bits;
    else
        out << w << h << quint16(1) << bits << compression << quint32(0) << quint64(0)
            << image.colorCount() << 0 << masks[0] << masks[1] << masks[2] << masks[3];
    return file.leftJustified(end, '\0', true) + palette + pixels;
}

// Flat areas, a gradient, lines like text and a noisy photo at the lower right:
// `colours` palette entries, or direct colours with the given alpha (-1: rising
// to the right). 13 x 7 gives every depth row padding.
static QImage picture(int colours = 0, int alpha = -1, int width = 13, int height = 7)
{
    QImage image(width, height, colours ? QImage::Format_Indexed8 : QImage::Format_ARGB32);
    for (int i = 0; i < colours; ++i)
        image.setColor(i, qRgb(i * 53 % 256, (i * 101 + 7) % 256, 255 - i * 31 % 256));
    quint32 noise = 20051115;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const bool photo = x > width * 2 / 3 && y > height / 2, text = (x / 5 + y / 3) % 7 == 0;
            const int value = photo  ? (x + y) / 8 + int(noise >> 28)
                              : text ? 40
                                     : y * 4 / height * 60;
            const QRgb colour =
                qRgba(value, x * 255 / width, 255 - value, alpha < 0 ? x * 255 / width : alpha);
            image.setPixel(x, y, colours ? uint(value + x) % uint(colours) : colour);
        }
    }
    return image;
}

// The largest difference of any channel, alpha too; 256 when the sizes differ.
static int difference(const QImage &actual, const QImage &expected)
{
    const QImage a = actual.convertToFormat(QImage::Format_ARGB32);
    const QImage e = expected.convertToFormat(QImage::Format_ARGB32);
    int largest = a.size() == e.size() ? 0 : 256;
    for (qsizetype i = 0; largest < 256 && i < a.sizeInBytes(); ++i)
        largest = std::max(largest, std::abs(a.constBits()[i] - e.constBits()[i]));
    return largest;
}

static QByteArray read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

static bool write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A folder's entries, hidden temporary files too, with link targets and contents.
static QStringList snapshot(const QString &folder)
{
    QStringList entries;
    const auto all = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    for (const QFileInfo &entry : QDir(folder).entryInfoList(all)) {
        const QByteArray bytes = entry.isFile() ? read(entry.filePath()) : QByteArray();
        entries << entry.fileName() + entry.symLinkTarget() + QString::number(qHash(bytes));
    }
    return entries;
}

class TestConverters final : public QObject
{
    Q_OBJECT

    const std::array<QFunctionPointer, 2> m_convert{QLibrary::resolve(JPEGSAVER_PATH, "BmpToJpeg"),
                                                    QLibrary::resolve(PNGSAVER_PATH, "BmpToPng")};

    int convert(int converter, const QString &src, const QString &dst, const char *option) const
    {
        const auto function = snagwell::ConverterFunction(m_convert[converter]);
        return function(QFile::encodeName(src).data(), QFile::encodeName(dst).data(), option);
    }

private Q_SLOTS:
    void initTestCase()
    {
        ::umask(022);                  // new files get 0644, unlike private temporary files (0600)
        std::signal(SIGXFSZ, SIG_IGN); // a write beyond the room fails instead
        QVERIFY(m_convert[0] && m_convert[1]);
    }

    void convertsOrLeavesNoTrace_data()
    {
        QTest::addColumn<QByteArray>("bitmap"); // in.bmp
        QTest::addColumn<QImage>("expected");   // none: refused; its alpha: kept in the PNG
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("destination"); // * stands for the extension
        QTest::addColumn<qulonglong>("room");     // bytes a file may have on the disk
        const auto row = [](const char *name, const QByteArray &bitmap, const QImage &expected = {},
                            const char *source = "in.bmp", const char *destination = "out.*",
                            qulonglong room = RLIM_INFINITY) {
            QTest::newRow(name) << bitmap << expected << source << destination << room;
        };
        const auto topDown = [](const QByteArray &bitmap) { return put(bitmap, 22, quint32(-7)); };
        const QImage p = picture(), rgb = p.convertToFormat(QImage::Format_RGB32);
        row("24 bits, top-down", topDown(bitmap(p.mirrored(), 40, 24)), rgb);
        row("32 bits, spare byte ignored", bitmap(p, 40, 32), rgb);
        row("32 bits, alpha bit fields", bitmap(p, 40, 32, 6), p);
        row("32 bits, V4 with alpha", bitmap(p, 108, 32, 3), p);
        row("32 bits, V5 uncompressed with alpha mask", bitmap(p, 124, 32), p);
        row("32 bits, alpha all opaque", bitmap(picture(0, 255), 108, 32, 3), rgb);
        row("32 bits, alpha all zero", bitmap(picture(0, 0), 108, 32, 3), rgb);
        row("32 bits, 10-bit channels", bitmap(p, 40, 32, 3, {0x3FF00000, 0xFFC00, 0x3FF, 0}), rgb);
        row("16 bits, 5-5-5", bitmap(p, 40, 16, 0, {0x7C00, 0x3E0, 0x1F, 0x8000}), rgb);
        row("16 bits, 4-4-4-4 alpha", bitmap(p, 108, 16, 3, {0xF00, 0xF0, 0xF, 0xF000}), p);
        row("8 bits, palette size unsaid", put(bitmap(picture(256), 40, 8), 46, 0), picture(256));
        row("8 bits, core header, short palette", bitmap(picture(20), 12, 8), picture(20));
        row("4 bits, top-down", topDown(bitmap(picture(16).mirrored(), 40, 4)), picture(16));
        row("2 bits", bitmap(picture(3), 40, 2), picture(3));
        row("1 bit, V4 header", bitmap(picture(2), 108, 1), picture(2));

        const QByteArray bgr = bitmap(p, 40, 24), eight = bitmap(picture(4), 40, 8);
        row("empty file", {});
        row("pixels one byte short", bgr.chopped(1));
        row("wrong signature", put(bgr, 0, 'M' | 'B' << 8, 2));
        row("most negative height", put(bgr, 22, 0x80000000));
        row("row size beyond 32 bits", put(put(bgr, 18, 0x7FFFFFFF), 22, 1));
        row("pixel offset inside the header", put(bgr, 10, 20));
        row("unknown header size", put(bgr, 14, 64));
        row("3 bits per pixel", put(bgr, 28, 3, 2));
        row("bit fields on 24 bits", put(bgr, 30, 3));
        row("run-length on 8 bits", put(eight, 30, 1));
        row("embedded PNG on 32 bits", put(bitmap(p, 40, 32), 30, 5));
        row("8-bit index beyond the palette", eight.chopped(1) + char(4)); // last pixel
        row("no room for the palette", put(eight, 10, 54));
        row("overlapping masks", bitmap(p, 40, 32, 3, {0xFF0000, 0xFFFF00, 0xFF, 0}));
        row("mask with a hole", bitmap(p, 108, 32, 3, {0xF0F000, 0xFF00, 0xFF, 0}));
        row("16-bit masks beyond 16 bits", bitmap(p, 40, 16, 3, {0x1F0000, 0x7E0, 0x1F, 0}));
        row("no colour masks", bitmap(p, 40, 32, 3, {0, 0, 0, 0xFF000000}));
        row("alpha bit fields in a 52-byte header", bitmap(p, 52, 32, 6));
        const QByteArray huge = put(put(bitmap(picture(2), 40, 1), 18, 16400), 22, 16400);
        row("16400 x 16400 pixels, complete", huge.leftJustified(2052 * 16400 + 62, '\0')); // 34 MB

        row("destination is a dangling link", bgr, {}, "in.bmp", "link");
        row("destination is the source", bgr, {}, "in.bmp", "in.bmp");
        row("destination folder missing", bgr, {}, "in.bmp", "gone/out.*");
        row("source missing", bgr, {}, "missing.bmp");
        row("source is a pipe without a writer", bgr, {}, "pipe");
        // The whole output is written at the end: its last write fails.
        row("disk full before the output ends", bgr, {}, "in.bmp", "out.*", 100);
    }

    void convertsOrLeavesNoTrace()
    {
        QFETCH(QByteArray, bitmap);
        QFETCH(QImage, expected);
        QFETCH(QString, source);
        QFETCH(QString, destination);
        QFETCH(qulonglong, room);
        QTemporaryDir dir;
        const QString src = dir.filePath("in.bmp");
        QVERIFY(write(src, bitmap));
        QVERIFY(QFile::link(dir.filePath("nowhere"), dir.filePath("link")));
        QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath("pipe")).constData(), 0600), 0);
        const QStringList before = snapshot(dir.path());
        const rlimit limit{room, RLIM_INFINITY}, none{RLIM_INFINITY, RLIM_INFINITY};
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limit), 0);
        const auto unlimited = qScopeGuard([&] { ::setrlimit(RLIMIT_FSIZE, &none); });
        QStringList outputs;
        for (int c = 0; c < 2; ++c) {
            outputs << dir.filePath(QString(destination).replace('*', extensions[c]));
            QVERIFY(convert(c, dir.filePath(source), outputs[c], options[c]) == !expected.isNull());
        }
        if (expected.isNull()) {
            QCOMPARE(snapshot(dir.path()), before); // all as it was, byte for byte
            return;
        }
        QCOMPARE(snapshot(dir.path()).size(), before.size() + 2); // no temporary file left
        const QImage jpeg(outputs[0]), png(outputs[1]);
        QCOMPARE(png.hasAlphaChannel(), expected.hasAlphaChannel());
        QVERIFY(difference(png, expected) <= (bitmap[28] == 16 ? 8 : 0)); // 4 to 6-bit channels
        QImage onWhite(expected.size(), QImage::Format_RGB32);            // JPEG has no alpha
        onWhite.fill(Qt::white);
        QPainter(&onWhite).drawImage(0, 0, expected);
        QVERIFY(difference(jpeg, onWhite) <= 40);
        for (const QString &output : outputs) // as the umask gives, like the source's
            QCOMPARE(QFileInfo(output).permissions(), QFileInfo(src).permissions());
    }

    void optionsChooseTheOutput_data()
    {
        QTest::addColumn<QByteArray>("option");
        QTest::addColumn<QByteArray>("other"); // =: gives the same bytes; >: a smaller file
        QTest::newRow("JPEG q100") << QByteArray("q100") << QByteArray(">q95");
        QTest::newRow("JPEG null") << QByteArray() << QByteArray("=q75");
        for (const char *unknown : {"q0", "q101", "q9x", "Q"}) // libjpeg's default instead
            QTest::addRow("JPEG %s", unknown) << QByteArray(unknown) << QByteArray("=q75");
        QTest::newRow("PNG level 0") << QByteArray("nc0") << QByteArray(">nc3");
        QTest::newRow("PNG no filtering") << QByteArray("nc3") << QByteArray(">ac3");
        QTest::newRow("PNG level alone") << QByteArray("c3") << QByteArray("=ac3");
        QTest::newRow("PNG null") << QByteArray() << QByteArray("=ac6");
    }

    void optionsChooseTheOutput()
    {
        QFETCH(QByteArray, option);
        QFETCH(QByteArray, other);
        const int converter = QByteArray(QTest::currentDataTag()).startsWith("PNG");
        QTemporaryDir dir;
        const QString src = dir.filePath("in.bmp");
        // Rows longer than the runs in which the PNG filter is chosen, and padded.
        const QImage photo =
            picture(0, 255).scaled(401, 100, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QVERIFY(photo.save(src, "BMP"));
        const auto output = [&](const QByteArray &option, const QString &name) {
            const QString dst = dir.filePath(name + '.' + extensions[converter]);
            const char *text = option.isNull() ? nullptr : option.constData();
            return convert(converter, src, dst, text) == 1 ? read(dst) : QByteArray();
        };
        const QByteArray bytes = output(option, "this"), otherBytes = output(other.mid(1), "other");
        QVERIFY(difference(QImage::fromData(bytes), photo) <= (converter == 1 ? 0 : 40));
        QVERIFY(other[0] == '=' ? bytes == otherBytes : bytes.size() > otherBytes.size());
    }

    void largePicturesDecodeExactly_data()
    {
        QTest::addColumn<QByteArray>("bitmap");
        QTest::addColumn<QByteArray>("option");
        QTest::addColumn<int>("rowBytes"); // in the PNG, filter byte included
        const auto row = [](const char *option, const QImage &image, quint16 bits, int rowBytes) {
            const QByteArray file = bitmap(image, bits == 32 ? 108 : 40, bits, bits == 32 ? 3 : 0);
            QTest::addRow("%d bits, %s", bits, option) << file << QByteArray(option) << rowBytes;
        };
        row("nc0", picture(0, -1, 1000, 1000), 24, 3001); // stored: larger than the pixels
        row("ac6", picture(0, -1, 1000, 1000), 32, 4001); // with alpha
        row("c9", picture(200, -1, 2000, 900), 8, 2001);
        row("ac3", picture(2, -1, 8000, 1300), 1, 1001);
    }

    void largePicturesDecodeExactly()
    {
        QFETCH(QByteArray, bitmap);
        QFETCH(QByteArray, option);
        QFETCH(int, rowBytes);
        QTemporaryDir dir;
        const QString src = dir.filePath("in.bmp"), dst = dir.filePath("out.png");
        QVERIFY(write(src, bitmap));
        QCOMPARE(convert(1, src, dst, option.constData()), 1);
        QCOMPARE(QProcess::execute("pngcheck", {"-q", dst}), 0); // the chunks and their CRCs
        // Every pixel and its alpha, the bitmap read by another reader.
        QCOMPARE(QProcess::execute("compare", {"-metric", "AE", src, dst, "null:"}), 0);
        // The image data is one whole zlib stream, Adler-32 included, which
        // decoders reading rows do not check.
        const QByteArray png = read(dst);
        QByteArray stream = QByteArray(4, '\0');
        for (qsizetype at = 8; at + 12 <= png.size();) {
            const qsizetype size = qFromBigEndian<quint32>(png.constData() + at);
            stream += png.mid(at + 4, 4) == "IDAT" ? png.mid(at + 8, size) : QByteArray();
            at += 12 + size;
        }
        const QImage decoded(dst);
        qToBigEndian<quint32>(quint32(rowBytes * decoded.height()), stream.data());
        QCOMPARE(qUncompress(stream).size(), rowBytes * decoded.height());
    }

    void fuzzCorpusConvertsSafely()
    {
        // No crash (sanitizer builds watch), whatever converts decodes, and
        // each seed that Qt reads as a bitmap converts: a converter that
        // refuses everything does not pass.
        QTemporaryDir dir;
        int runs = 0, seeds = 0;
        QDirIterator it(FUZZ_CORPUS, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString input = it.next(), fuzzer = it.fileInfo().dir().dirName();
            for (int c = 0; c < 2 && fuzzer.startsWith("fuzz_bmpto"); ++c) {
                const QString dst = dir.filePath(QString::number(++runs) + '.' + extensions[c]);
                const bool converted = convert(c, input, dst, options[c]) == 1;
                if (converted)
                    QVERIFY2(!QImage(dst).isNull(), qPrintable(input));
                const bool readable = !QImage(input, "BMP").isNull();
                seeds += readable;
                QVERIFY2(converted || !readable, qPrintable(input + " was refused"));
            }
        }
        QVERIFY(runs > 0 && seeds > 0);
    }
};

QTEST_GUILESS_MAIN(TestConverters)
#include "tst_converters.moc"
