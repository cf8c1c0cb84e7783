#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace snagwell::converters {

// How the rows of a bitmap hold their pixels. The three byte layouts are the
// ones an encoder can take as they are; everything else goes through masks or
// the palette.
enum class PixelLayout {
    Indexed, // 1, 2, 4 or 8 bits per pixel, palette indices
    Bgr24,   // B, G, R
    Bgrx32,  // B, G, R, unused
    Bgra32,  // B, G, R, straight (not premultiplied) alpha
    Masked,  // 16 or 32 bits per pixel, channels picked by bit masks
};

struct Rgb
{
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
};

// One colour channel of a 16- or 32-bit pixel, widened to 8 bits.
class Channel final
{
public:
    // False when the mask's bits are not contiguous.
    bool setMask(std::uint32_t mask);
    std::uint32_t mask() const { return m_mask; }
    std::uint8_t extract(std::uint32_t pixel) const
    {
        const std::uint32_t value = (pixel & m_mask) >> m_shift;
        return m_bits <= 8 ? m_scale[value] : static_cast<std::uint8_t>(value >> (m_bits - 8));
    }

private:
    std::uint32_t m_mask = 0;
    unsigned m_shift = 0;
    unsigned m_bits = 0;
    // Narrow channels are stretched so that their largest value becomes 255.
    std::array<std::uint8_t, 256> m_scale{};
};

// A Windows bitmap file read into memory and checked, so that every row and
// every pixel the accessors touch lies inside the buffer and every palette
// index has an entry. load() refuses anything it cannot read safely.
class BitmapFile final
{
public:
    // Files may hold at most this many pixels.
    static constexpr std::uint64_t maxPixels = std::uint64_t{1} << 28;
    // and at most this many on a side, which bounds what a single row costs.
    static constexpr std::uint32_t maxSide = std::uint32_t{1} << 20;

    BitmapFile() = default;
    BitmapFile(const BitmapFile &) = delete;
    BitmapFile &operator=(const BitmapFile &) = delete;
    ~BitmapFile();

    // Once per object.
    bool load(const char *path);

    std::uint32_t width() const { return m_width; }
    std::uint32_t height() const { return m_height; }
    unsigned bitsPerPixel() const { return m_bitsPerPixel; }
    PixelLayout layout() const { return m_layout; }
    bool isBottomUp() const { return !m_topDown; }
    // Distance between rows in the file, padding included.
    std::size_t stride() const { return m_stride; }
    // Bytes that carry pixels in one row.
    std::size_t rowBytes() const { return m_rowBytes; }
    // The row stored first in the file: the bottom one unless top-down.
    const std::uint8_t *pixelData() const { return m_pixels; }
    // Row y counted from the top of the picture.
    const std::uint8_t *row(std::uint32_t y) const
    {
        const std::uint32_t stored = m_topDown ? y : m_height - 1 - y;
        return m_pixels + stored * m_stride;
    }

    const std::array<Rgb, 256> &palette() const { return m_palette; }
    unsigned paletteSize() const { return m_paletteSize; }

    // The file declares an alpha channel (a mask for it).
    bool declaresAlpha() const { return m_alpha.mask() != 0; }
    // The declared alpha channel says something: not every pixel opaque, and
    // not every pixel zero, which writers that leave the channel unused produce.
    bool alphaInUse() const;

    // Row y from the top as R, G, B (3 bytes a pixel) or R, G, B, A (4 bytes).
    void rowToRgb(std::uint32_t y, std::uint8_t *out) const;
    void rowToRgba(std::uint32_t y, std::uint8_t *out) const;

private:
    bool parse(const std::uint8_t *head, std::size_t headSize, std::uint64_t fileSize);
    bool setMasks(std::uint32_t red, std::uint32_t green, std::uint32_t blue, std::uint32_t alpha);
    void readPalette();
    bool indicesInRange() const;
    unsigned index(const std::uint8_t *row, std::uint32_t x) const
    {
        if (m_bitsPerPixel == 8)
            return row[x];
        const unsigned bitOffset = x * m_bitsPerPixel;
        const unsigned shift = 8 - m_bitsPerPixel - bitOffset % 8;
        return (row[bitOffset / 8] >> shift) & ((1u << m_bitsPerPixel) - 1);
    }
    std::uint32_t maskedPixel(const std::uint8_t *p) const
    {
        std::uint32_t value = std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8;
        if (m_bitsPerPixel == 32)
            value |= std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
        return value;
    }

    // The file up to the end of its pixels: mapped, or read where it cannot be.
    const std::uint8_t *m_mapped = nullptr;
    std::unique_ptr<std::uint8_t[]> m_read;
    const std::uint8_t *m_bytes = nullptr;
    std::size_t m_size = 0;

    std::uint32_t m_width = 0;
    std::uint32_t m_height = 0;
    bool m_topDown = false;
    unsigned m_bitsPerPixel = 0;
    PixelLayout m_layout = PixelLayout::Indexed;
    std::size_t m_stride = 0;
    std::size_t m_rowBytes = 0;
    std::size_t m_pixelOffset = 0;
    std::size_t m_pixelBytes = 0;
    const std::uint8_t *m_pixels = nullptr;

    std::size_t m_paletteOffset = 0;
    unsigned m_paletteEntrySize = 4;
    unsigned m_paletteSize = 0;
    std::array<Rgb, 256> m_palette{};

    Channel m_red;
    Channel m_green;
    Channel m_blue;
    Channel m_alpha;
};

} // namespace snagwell::converters
