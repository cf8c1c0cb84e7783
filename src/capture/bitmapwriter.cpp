#include "bitmapwriter.h"

#include <QIODevice>
#include <QImage>
#include <QtEndian>

#include "app/failure.h"

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

} // namespace

void writeBitmap(QIODevice &device, const QImage &picture)
{
    if (picture.isNull())
        throw Failure(QStringLiteral("イメージがありません"));
    const bool alpha = picture.hasAlphaChannel();
    // ARGB32 lies in memory as B, G, R, A and BGR888 as B, G, R: the orders
    // a bitmap stores.
    const QImage image = alpha ? picture.convertToFormat(QImage::Format_ARGB32)
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
    if (device.write(header.bytes()) != header.bytes().size())
        throw Failure(QStringLiteral("ビットマップを書き込めません: %1").arg(device.errorString()));

    const QByteArray padding(static_cast<int>(rowBytes - width * bytesPerPixel), '\0');
    for (int y = image.height() - 1; y >= 0; --y) {
        const char *row = reinterpret_cast<const char *>(image.constScanLine(y));
        if (device.write(row, width * bytesPerPixel) != qint64(width * bytesPerPixel) ||
            (!padding.isEmpty() && device.write(padding) != padding.size()))
            throw Failure(
                QStringLiteral("ビットマップを書き込めません: %1").arg(device.errorString()));
    }
}

} // namespace snagwell
