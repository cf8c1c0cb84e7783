#pragma once

class QIODevice;
class QImage;

namespace snagwell {

// Writes the picture as a Windows bitmap file: 24-bit when it is opaque,
// 32-bit with an alpha mask (a V4 header) when it has an alpha channel, so
// that its transparency reaches a PNG. Rows bottom-up, as bitmaps are read
// everywhere. Throws Failure when the device refuses the bytes.
void writeBitmap(QIODevice &device, const QImage &picture);

} // namespace snagwell
