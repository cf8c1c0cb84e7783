#include "app/bitmapwriter.h"

#include <algorithm>
#include <cstring>

#include <QIODevice>
#include <QImage>
#include <QtEndian>

#include "core/failure.h"

namespace snagwell {
namespace {

class HeaderWriter
{
public:
    void u16(quint16 value)
    {
        char bytes[2];
        qToLittleEndian(value, bytes);
        m_bytes.append(bytes, 2);
    }
    void u32(quint32 value)
    {
        char bytes[4];
        qToLittleEndian(value, bytes);
        m_bytes.append(bytes, 4);
    }
    void zeros(int count) { m_bytes.append(count, '\0'); }
    const QByteArray &bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

// Pixels of the usual opaque picture (RGB32: 0xffRRGGBB) as the B, G, R
// bytes of a 24-bit bitmap row, four pixels to three words at a time.
void packBgr(const QRgb *in, uchar *out, int width)
{
    int x = 0;
    for (; x + 4 <= width; x += 4, in += 4, out += 12) {
        const quint32 a = in[0] & 0xFFFFFF;
        const quint32 b = in[1] & 0xFFFFFF;
        const quint32 c = in[2] & 0xFFFFFF;
        const quint32 d = in[3] & 0xFFFFFF;
        qToLittleEndian(a | b << 24, out);
        qToLittleEndian(b >> 8 | c << 16, out + 4);
        qToLittleEndian(c >> 16 | d << 8, out + 8);
    }
    for (; x < width; ++x, ++in, out += 3) {
        out[0] = static_cast<uchar>(qBlue(*in));
        out[1] = static_cast<uchar>(qGreen(*in));
        out[2] = static_cast<uchar>(qRed(*in));
    }
}

void writeOrThrow(QIODevice &device, const char *data, qint64 size)
{
    if (device.write(data, size) != size)
        throw Failure(QStringLiteral("ビットマップを書き込めません: %1").arg(device.errorString()));
}

} // namespace

void writeBitmap(QIODevice &device, const QImage &picture)
{
    if (picture.isNull())
        throw Failure(QStringLiteral("イメージがありません"));
    const bool alpha = picture.hasAlphaChannel();
    // ARGB32 lies in memory as B, G, R, A and BGR888 as B, G, R: the orders
    // a bitmap stores. RGB32, what screens and the clipboard mostly give, is
    // packed row by row instead: converting the whole picture first would
    // hold it twice and read it twice.
    const bool packRows = !alpha && picture.format() == QImage::Format_RGB32;
    const QImage image = packRows ? picture
                         : alpha  ? picture.convertToFormat(QImage::Format_ARGB32)
                                  : picture.convertToFormat(QImage::Format_BGR888);
    if (image.isNull())
        throw Failure(QStringLiteral("イメージを変換できません"));
    const quint32 width = static_cast<quint32>(image.width());
    const quint32 height = static_cast<quint32>(image.height());
    const quint32 bytesPerPixel = alpha ? 4 : 3;
    const quint32 rowBytes = (width * bytesPerPixel + 3) & ~3u;
    const quint32 infoSize = alpha ? 108 : 40;
    const quint32 offset = 14 + infoSize;
    const quint64 imageSize = quint64(rowBytes) * height;
    if (offset + imageSize > 0xFFFFFFFFull)
        throw Failure(QStringLiteral("イメージが大きすぎます"));

    HeaderWriter header;
    header.u16(0x4D42); // "BM"
    header.u32(static_cast<quint32>(offset + imageSize));
    header.u32(0);
    header.u32(offset);
    header.u32(infoSize);
    header.u32(width);
    header.u32(height); // positive: bottom-up rows
    header.u16(1);
    header.u16(static_cast<quint16>(bytesPerPixel * 8));
    header.u32(alpha ? 3 : 0); // BI_BITFIELDS or BI_RGB
    header.u32(static_cast<quint32>(imageSize));
    header.u32(3780); // 96 DPI in pixels a metre
    header.u32(3780);
    header.u32(0);
    header.u32(0);
    if (alpha) {
        header.u32(0x00FF0000);
        header.u32(0x0000FF00);
        header.u32(0x000000FF);
        header.u32(0xFF000000);
        header.u32(0x73524742); // "sRGB"
        header.zeros(36 + 12);  // endpoints and gamma, unused with sRGB
    }
    writeOrThrow(device, header.bytes().constData(), header.bytes().size());

    // Rows are gathered into blocks of about 256 KiB (at least one row):
    // large enough that a file takes them without copying them into its
    // own buffer, small enough to stay in the processor's cache.
    const quint32 rowsPerBlock = std::max<quint32>(1, (256u << 10) / rowBytes);
    QByteArray block(qsizetype(rowBytes) * std::min(rowsPerBlock, height), '\0');
    uchar *const start = reinterpret_cast<uchar *>(block.data());
    const std::size_t pixelBytes = std::size_t(width) * bytesPerPixel;
    qsizetype filled = 0;
    for (int y = image.height() - 1; y >= 0; --y) {
        uchar *const out = start + filled;
        if (packRows)
            packBgr(reinterpret_cast<const QRgb *>(image.constScanLine(y)), out, image.width());
        else
            std::memcpy(out, image.constScanLine(y), pixelBytes);
        // The padding stays zero: nothing else is ever written there.
        filled += rowBytes;
        if (filled == block.size() || y == 0) {
            writeOrThrow(device, block.constData(), filled);
            filled = 0;
        }
    }
}

} // namespace snagwell
