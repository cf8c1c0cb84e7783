// Which zlib level Qt's PNG writer uses for a QImageWriter compression.
// Qt scales its 0-100 to zlib's 0-9 internally; rather than trust a formula
// from one version of Qt, the level is found by recompressing what this Qt
// writes: the image data of a PNG is one zlib stream, and zlib, given the
// same input, level, window and strategy, writes the same bytes again.

#include "benchmarks.h"

#include <array>
#include <optional>
#include <vector>

#include <zlib.h>

#include <QBuffer>
#include <QImageWriter>
#include <QRect>
#include <QtEndian>

#include "benchsupport.h"

namespace snagwell::bench {

namespace {

// The IDAT chunks' data run together.
QByteArray imageDataStream(const QByteArray &png)
{
    QByteArray stream;
    qsizetype at = 8; // the signature
    while (at + 12 <= png.size()) {
        const auto length = qFromBigEndian<quint32>(png.constData() + at);
        const QByteArray type = png.mid(at + 4, 4);
        if (qsizetype(length) > png.size() - at - 12)
            return {};
        if (type == "IDAT")
            stream += png.mid(at + 8, length);
        at += 12 + qsizetype(length);
    }
    return stream;
}

QByteArray inflated(const QByteArray &stream)
{
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        return {};
    QByteArray out;
    std::array<char, 1 << 16> chunk{};
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(stream.constData()));
    z.avail_in = static_cast<uInt>(stream.size());
    int status = Z_OK;
    while (status == Z_OK) {
        z.next_out = reinterpret_cast<Bytef *>(chunk.data());
        z.avail_out = static_cast<uInt>(chunk.size());
        status = inflate(&z, Z_NO_FLUSH);
        out.append(chunk.data(), qsizetype(chunk.size() - z.avail_out));
    }
    inflateEnd(&z);
    return status == Z_STREAM_END ? out : QByteArray();
}

QByteArray deflated(const QByteArray &data, int level, int strategy)
{
    z_stream z{};
    // libpng's own choices: a 32 KiB window and memory level 8.
    if (deflateInit2(&z, level, Z_DEFLATED, 15, 8, strategy) != Z_OK)
        return {};
    QByteArray out(qsizetype(deflateBound(&z, uLong(data.size()))), Qt::Uninitialized);
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef *>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    const int status = deflate(&z, Z_FINISH);
    out.resize(qsizetype(z.total_out));
    deflateEnd(&z);
    return status == Z_STREAM_END ? out : QByteArray();
}

// guess: the level to try first (neighbouring compressions mostly share one).
std::optional<int> zlibLevelOfQtPng(const QImage &sample, int compression, int guess)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.setCompression(compression);
    if (!writer.write(sample))
        return std::nullopt;
    const QByteArray stream = imageDataStream(buffer.data());
    const QByteArray data = inflated(stream);
    if (data.isEmpty())
        return std::nullopt;
    std::vector<int> candidates;
    for (int level : {guess, guess + 1})
        if (level >= 1 && level <= 9)
            candidates.push_back(level);
    for (int level = 1; level <= 9; ++level)
        if (level != guess && level != guess + 1)
            candidates.push_back(level);
    for (int level : candidates) {
        // libpng deflates filtered rows with Z_FILTERED; the fast levels
        // ignore the strategy, so the default one is tried as well.
        for (int strategy : {Z_FILTERED, Z_DEFAULT_STRATEGY}) {
            if (deflated(data, level, strategy) == stream)
                return level;
        }
    }
    return std::nullopt;
}

// Index: Qt's compression 0-100; value: zlib level, or -1 where no level
// reproduces Qt's bytes (level 0 writes stored blocks whose lengths follow
// the writer's buffer, so it never does).
const std::array<int, 101> &levelsByCompression()
{
    static const std::array<int, 101> levels = [] {
        // Text, flat areas and photo: each level compresses it differently.
        const QImage sample = screenshot(pictureSizes().front()).copy(QRect(880, 300, 320, 240));
        std::array<int, 101> found{};
        int guess = 1;
        for (int compression = 0; compression <= 100; ++compression) {
            const int level = zlibLevelOfQtPng(sample, compression, guess).value_or(-1);
            found[std::size_t(compression)] = level;
            guess = level < 0 ? guess : level;
        }
        return found;
    }();
    return levels;
}

} // namespace

int qtPngCompressionFor(int zlibLevel)
{
    const std::array<int, 101> &levels = levelsByCompression();
    for (std::size_t compression = 0; compression < levels.size(); ++compression) {
        if (levels[compression] == zlibLevel)
            return int(compression);
    }
    return -1;
}

QString qtPngCompressionTable()
{
    const std::array<int, 101> &levels = levelsByCompression();
    QStringList ranges;
    std::size_t first = 0;
    for (std::size_t compression = 1; compression <= levels.size(); ++compression) {
        if (compression < levels.size() && levels[compression] == levels[first])
            continue;
        const QString level =
            levels[first] < 0 ? QStringLiteral("?") : QString::number(levels[first]);
        ranges.append(QStringLiteral("%1-%2: %3").arg(first).arg(compression - 1).arg(level));
        first = compression;
    }
    return ranges.join(QStringLiteral(", "));
}

} // namespace snagwell::bench
