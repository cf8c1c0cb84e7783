#include "bitmapwriter.h"

#include <bit>

namespace snagwell::test {

namespace {

struct Masks
{
    std::array<quint32, 4> written{};  // what the pixels are packed with
    std::array<quint32, 4> declared{}; // what a reader should unpack
};

Masks masksOf(const BitmapKind &kind)
{
    Masks masks;
    const bool largeHeader = kind.infoSize >= 56;
    if (kind.compression == 0) {
        // Plain 16 and 32 bits: fixed colours; the spare bits still get alpha
        // written, which only a header with an alpha mask makes real.
        masks.written = kind.bitsPerPixel == 16
                            ? std::array<quint32, 4>{0x7C00, 0x03E0, 0x001F, 0x8000}
                            : std::array<quint32, 4>{0xFF0000, 0xFF00, 0xFF, 0xFF000000};
        masks.declared = masks.written;
        masks.declared[3] = largeHeader ? kind.masks[3] : 0;
    } else {
        masks.written = kind.masks;
        masks.declared = kind.masks;
        if (kind.compression != 6 && !largeHeader)
            masks.declared[3] = 0;
    }
    return masks;
}

quint32 narrow(int channel, quint32 mask)
{
    if (mask == 0)
        return 0;
    const quint32 max = mask >> std::countr_zero(mask);
    return (quint32(channel) * max + 127) / 255 << std::countr_zero(mask);
}

int widen(quint32 pixel, quint32 mask)
{
    if (mask == 0)
        return 0;
    const quint32 max = mask >> std::countr_zero(mask);
    const quint32 value = (pixel & mask) >> std::countr_zero(mask);
    return int((value * 255 + max / 2) / max);
}

quint32 pack(QRgb colour, const std::array<quint32, 4> &masks)
{
    return narrow(qRed(colour), masks[0]) | narrow(qGreen(colour), masks[1]) |
           narrow(qBlue(colour), masks[2]) | narrow(qAlpha(colour), masks[3]);
}

} // namespace

void putU16(QByteArray &bytes, int offset, quint16 value)
{
    bytes[offset] = char(value & 0xFF);
    bytes[offset + 1] = char(value >> 8);
}

void putU32(QByteArray &bytes, int offset, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = char((value >> (8 * i)) & 0xFF);
}

quint32 getU32(const QByteArray &bytes, int offset)
{
    quint32 value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | quint8(bytes[offset + i]);
    return value;
}

QByteArray writeBitmap(const BitmapKind &kind, const QImage &picture)
{
    const bool indexed = kind.bitsPerPixel <= 8;
    const int width = picture.width();
    const int height = picture.height();
    const int stride = (width * kind.bitsPerPixel + 31) / 32 * 4;
    const Masks masks = masksOf(kind);

    QByteArray info(int(kind.infoSize), '\0');
    putU32(info, 0, kind.infoSize);
    if (kind.infoSize == 12) {
        putU16(info, 4, quint16(width));
        putU16(info, 6, quint16(height));
        putU16(info, 8, 1);
        putU16(info, 10, kind.bitsPerPixel);
    } else {
        putU32(info, 4, quint32(width));
        putU32(info, 8, quint32(kind.topDown ? -height : height));
        putU16(info, 12, 1);
        putU16(info, 14, kind.bitsPerPixel);
        putU32(info, 16, kind.compression);
        putU32(info, 20, quint32(stride * height));
        putU32(info, 24, 2835);
        putU32(info, 28, 2835);
        if (indexed && kind.declareColoursUsed)
            putU32(info, 32, quint32(picture.colorCount()));
        if (kind.infoSize >= 52) {
            for (int i = 0; i < 3; ++i)
                putU32(info, 40 + 4 * i, kind.masks[size_t(i)]);
        }
        if (kind.infoSize >= 56)
            putU32(info, 52, kind.masks[3]);
        if (kind.infoSize >= 108)
            putU32(info, 56, 0x73524742); // 'sRGB'
    }

    QByteArray tables;
    if (kind.infoSize == 40 && (kind.compression == 3 || kind.compression == 6)) {
        tables.resize(kind.compression == 6 ? 16 : 12);
        for (int i = 0; i < tables.size() / 4; ++i)
            putU32(tables, 4 * i, kind.masks[size_t(i)]);
    }
    if (indexed) {
        for (const QRgb colour : picture.colorTable()) {
            tables.append(char(qBlue(colour)))
                .append(char(qGreen(colour)))
                .append(char(qRed(colour)));
            if (kind.infoSize != 12)
                tables.append('\0');
        }
    }

    QByteArray pixels(stride * height, '\0');
    for (int y = 0; y < height; ++y) {
        char *row = pixels.data() + (kind.topDown ? y : height - 1 - y) * stride;
        for (int x = 0; x < width; ++x) {
            if (indexed) {
                const int bit = x * kind.bitsPerPixel;
                const int shift = 8 - kind.bitsPerPixel - bit % 8;
                row[bit / 8] = char(quint8(row[bit / 8]) | picture.pixelIndex(x, y) << shift);
                continue;
            }
            const QRgb colour = picture.pixel(x, y);
            if (kind.bitsPerPixel == 24) {
                row[3 * x] = char(qBlue(colour));
                row[3 * x + 1] = char(qGreen(colour));
                row[3 * x + 2] = char(qRed(colour));
                continue;
            }
            const quint32 value = pack(colour, masks.written);
            for (int i = 0; i < kind.bitsPerPixel / 8; ++i)
                row[x * kind.bitsPerPixel / 8 + i] = char((value >> (8 * i)) & 0xFF);
        }
    }

    QByteArray file(14, '\0');
    file[0] = 'B';
    file[1] = 'M';
    const int pixelOffset = 14 + info.size() + tables.size();
    putU32(file, 2, quint32(pixelOffset + pixels.size()));
    putU32(file, 10, quint32(pixelOffset));
    return file + info + tables + pixels;
}

QImage expectedPicture(const BitmapKind &kind, const QImage &picture)
{
    QImage expected(picture.size(), QImage::Format_ARGB32);
    const std::array<quint32, 4> masks = masksOf(kind).declared;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb colour = picture.pixel(x, y);
            if (kind.bitsPerPixel <= 8 || kind.bitsPerPixel == 24) {
                expected.setPixel(x, y, qRgb(qRed(colour), qGreen(colour), qBlue(colour)));
                continue;
            }
            const quint32 value = pack(colour, masksOf(kind).written);
            expected.setPixel(x, y,
                              qRgba(widen(value, masks[0]), widen(value, masks[1]),
                                    widen(value, masks[2]),
                                    masks[3] != 0 ? widen(value, masks[3]) : 255));
        }
    }
    return expected;
}

} // namespace snagwell::test
