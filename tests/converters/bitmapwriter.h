#pragma once

#include <QByteArray>
#include <QImage>
#include <QMetaType>

#include <array>

namespace snagwell::test {

// The kinds of Windows bitmap that the program's own writer (QImage) never
// produces but other programs do, written byte by byte.
struct BitmapKind
{
    quint32 infoSize = 40; // 12, 40, 52, 56, 108 or 124
    quint16 bitsPerPixel = 24;
    quint32 compression = 0;        // 0 plain, 3 bit fields, 6 bit fields with alpha
    std::array<quint32, 4> masks{}; // red, green, blue, alpha
    bool topDown = false;
    bool declareColoursUsed = true; // else 0, which means "as many as the depth allows"
};

// Writes `picture` as a bitmap of the given kind. Indexed kinds take the
// picture's colour table and indices (Format_Indexed8); the others take its
// straight ARGB colours, narrowed to the masks (or to the fixed layouts of
// plain 16, 24 and 32 bits, where the unused fourth byte of 32 bits carries
// the alpha anyway, as careless writers do).
QByteArray writeBitmap(const BitmapKind &kind, const QImage &picture);

// What a correct reader makes of that bitmap: the colours narrowed to the
// masks and widened again, alpha only where the kind has an alpha mask.
QImage expectedPicture(const BitmapKind &kind, const QImage &picture);

// Little-endian field access for tests that spoil a valid file.
void putU16(QByteArray &bytes, int offset, quint16 value);
void putU32(QByteArray &bytes, int offset, quint32 value);
quint32 getU32(const QByteArray &bytes, int offset);

} // namespace snagwell::test

Q_DECLARE_METATYPE(snagwell::test::BitmapKind)
