#include "bitmapfile.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <limits>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace snagwell::converters {

namespace {

constexpr std::size_t fileHeaderSize = 14;
// File header, the largest info header (V5) and the four masks that may follow
// a 40-byte header: everything parse() looks at.
constexpr std::size_t largestHead = fileHeaderSize + 124 + 16;

enum Compression : std::uint32_t {
    biRgb = 0,
    biBitfields = 3,
    biAlphaBitfields = 6, // four masks after a 40-byte header
};

std::uint16_t u16(const std::uint8_t *p)
{
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

std::uint32_t u32(const std::uint8_t *p)
{
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}

std::int32_t s32(const std::uint8_t *p)
{
    return static_cast<std::int32_t>(u32(p));
}

bool multiply(std::uint64_t a, std::uint64_t b, std::uint64_t &result)
{
    if (a != 0 && b > std::numeric_limits<std::uint64_t>::max() / a)
        return false;
    result = a * b;
    return true;
}

bool add(std::uint64_t a, std::uint64_t b, std::uint64_t &result)
{
    if (b > std::numeric_limits<std::uint64_t>::max() - a)
        return false;
    result = a + b;
    return true;
}

class FileDescriptor final
{
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int get() const { return m_fd; }

private:
    int m_fd;
};

// Reads exactly size bytes from the start of the file; a file that turns out
// shorter (it may shrink while we read) is a failure.
bool readFromStart(int fd, std::uint8_t *buffer, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        const std::size_t chunk = std::min<std::size_t>(size - done, std::size_t{1} << 30);
        const ssize_t got = ::pread(fd, buffer + done, chunk, static_cast<off_t>(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        done += static_cast<std::size_t>(got);
    }
    return true;
}

} // namespace

bool Channel::setMask(std::uint32_t mask)
{
    m_mask = mask;
    m_shift = 0;
    m_bits = 0;
    m_scale.fill(0);
    if (mask == 0)
        return true;
    m_shift = static_cast<unsigned>(std::countr_zero(mask));
    const std::uint32_t field = mask >> m_shift;
    if ((field & (field + 1)) != 0)
        return false;
    m_bits = static_cast<unsigned>(std::popcount(field));
    if (m_bits <= 8) {
        for (std::uint32_t value = 0; value <= field; ++value)
            m_scale[value] = static_cast<std::uint8_t>((value * 255 + field / 2) / field);
    }
    return true;
}

BitmapFile::~BitmapFile()
{
    if (m_mapped != nullptr)
        ::munmap(const_cast<std::uint8_t *>(m_mapped), m_size);
}

bool BitmapFile::load(const char *path)
{
    if (m_bytes != nullptr || path == nullptr || *path == '\0')
        return false;
    // A FIFO or a device could block or never end: opened without waiting for
    // a writer, and refused unless it is a plain file.
    const FileDescriptor file(::open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (file.get() < 0)
        return false;
    struct stat info = {};
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0)
        return false;
    const auto fileSize = static_cast<std::uint64_t>(info.st_size);

    std::array<std::uint8_t, largestHead> head{};
    const auto headSize = static_cast<std::size_t>(std::min<std::uint64_t>(fileSize, head.size()));
    if (!readFromStart(file.get(), head.data(), headSize) ||
        !parse(head.data(), headSize, fileSize))
        return false;

    // Everything up to the end of the pixels in one go; anything after them (a
    // V5 colour profile, say) is not needed. Mapped rather than read: copying
    // into fresh memory costs as much as a fifth of the JPEG encoder's own time
    // for a screen capture, while the mapping lets the encoder read the page
    // cache directly. The price is that a file cut short by another program
    // while we convert it would end the process with SIGBUS; the program
    // converts the bitmap it has just written itself, which nobody else has
    // open. Where mapping is not possible, the file is read.
    m_size = m_pixelOffset + m_pixelBytes;
    void *mapped = ::mmap(nullptr, m_size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, file.get(), 0);
    if (mapped != MAP_FAILED) {
        m_mapped = static_cast<const std::uint8_t *>(mapped);
        m_bytes = m_mapped;
        // Shrunk since we looked? Then the end of the mapping is not backed.
        if (::fstat(file.get(), &info) != 0 || static_cast<std::uint64_t>(info.st_size) < m_size)
            return false;
    } else {
        m_read = std::make_unique_for_overwrite<std::uint8_t[]>(m_size);
        if (!readFromStart(file.get(), m_read.get(), m_size))
            return false;
        m_bytes = m_read.get();
    }
    m_pixels = m_bytes + m_pixelOffset;

    if (m_layout == PixelLayout::Indexed) {
        readPalette();
        if (!indicesInRange())
            return false;
    }
    return true;
}

bool BitmapFile::parse(const std::uint8_t *head, std::size_t headSize, std::uint64_t fileSize)
{
    if (headSize < fileHeaderSize + 4 || head[0] != 'B' || head[1] != 'M')
        return false;
    const std::uint32_t pixelOffset = u32(head + 10);
    const std::uint32_t infoSize = u32(head + 14);
    const std::uint8_t *info = head + fileHeaderSize;
    switch (infoSize) {
    case 12:  // OS/2 and Windows 2 core header
    case 40:  // BITMAPINFOHEADER
    case 52:  // with colour masks
    case 56:  // with colour and alpha masks
    case 108: // BITMAPV4HEADER
    case 124: // BITMAPV5HEADER
        break;
    default:
        return false;
    }
    std::size_t tablesEnd = fileHeaderSize + infoSize;
    if (headSize < tablesEnd)
        return false;

    std::int64_t width = 0;
    std::int64_t height = 0;
    unsigned bitsPerPixel = 0;
    std::uint32_t compression = biRgb;
    std::uint32_t coloursUsed = 0;
    if (infoSize == 12) {
        width = u16(info + 4);
        height = u16(info + 6);
        bitsPerPixel = u16(info + 10);
        m_paletteEntrySize = 3;
    } else {
        width = s32(info + 4);
        height = s32(info + 8);
        bitsPerPixel = u16(info + 14);
        compression = u32(info + 16);
        coloursUsed = u32(info + 32);
        m_paletteEntrySize = 4;
    }
    // A negative height marks rows stored from the top; widened first so that
    // the most negative height cannot overflow.
    m_topDown = height < 0;
    height = height < 0 ? -height : height;
    if (width <= 0 || height <= 0 || width > maxSide || height > maxSide)
        return false;
    std::uint64_t pixels = 0;
    if (!multiply(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height), pixels) ||
        pixels > maxPixels)
        return false;
    m_width = static_cast<std::uint32_t>(width);
    m_height = static_cast<std::uint32_t>(height);
    m_bitsPerPixel = bitsPerPixel;

    switch (bitsPerPixel) {
    case 1:
    case 2:
    case 4:
    case 8:
        if (compression != biRgb)
            return false;
        m_layout = PixelLayout::Indexed;
        break;
    case 24:
        if (compression != biRgb)
            return false;
        m_layout = PixelLayout::Bgr24;
        break;
    case 16:
    case 32: {
        std::uint32_t red = 0;
        std::uint32_t green = 0;
        std::uint32_t blue = 0;
        std::uint32_t alpha = 0;
        if (compression == biRgb) {
            if (bitsPerPixel == 16) {
                red = 0x7C00;
                green = 0x03E0;
                blue = 0x001F;
            } else {
                red = 0xFF0000;
                green = 0xFF00;
                blue = 0xFF;
            }
            // Uncompressed bitmaps ignore the colour masks of the larger
            // headers but may carry alpha. An alpha mask that makes no sense
            // next to the fixed colours is taken as absent rather than fatal.
            if (infoSize >= 56) {
                alpha = u32(info + 52);
                const std::uint32_t limit = bitsPerPixel == 16 ? 0xFFFFu : 0xFFFFFFFFu;
                if ((alpha & (red | green | blue)) != 0 || (alpha & ~limit) != 0)
                    alpha = 0;
            }
        } else if (compression == biBitfields || compression == biAlphaBitfields) {
            const std::uint8_t *masks = info + 40;
            if (infoSize == 40) {
                tablesEnd += compression == biAlphaBitfields ? 16 : 12;
                if (headSize < tablesEnd)
                    return false;
            } else if (compression == biAlphaBitfields && infoSize < 56) {
                return false;
            }
            red = u32(masks);
            green = u32(masks + 4);
            blue = u32(masks + 8);
            if (compression == biAlphaBitfields || infoSize >= 56)
                alpha = u32(masks + 12);
        } else {
            return false; // run-length, embedded JPEG or PNG, CMYK
        }
        if (!setMasks(red, green, blue, alpha))
            return false;
        break;
    }
    default:
        return false;
    }

    const std::uint64_t bitsPerRow = std::uint64_t{m_width} * bitsPerPixel;
    const std::uint64_t stride = (bitsPerRow + 31) / 32 * 4;
    const std::uint64_t rowBytes = (bitsPerRow + 7) / 8;
    // The last row needs no padding; some writers leave it out.
    std::uint64_t pixelBytes = 0;
    std::uint64_t pixelEnd = 0;
    if (!multiply(stride, m_height - 1, pixelBytes) || !add(pixelBytes, rowBytes, pixelBytes) ||
        !add(pixelOffset, pixelBytes, pixelEnd))
        return false;
    if (pixelOffset < tablesEnd || pixelEnd > fileSize ||
        pixelEnd > std::numeric_limits<std::size_t>::max())
        return false;
    m_stride = static_cast<std::size_t>(stride);
    m_rowBytes = static_cast<std::size_t>(rowBytes);
    m_pixelOffset = pixelOffset;
    m_pixelBytes = static_cast<std::size_t>(pixelBytes);

    if (m_layout == PixelLayout::Indexed) {
        // The palette sits between the header and the pixels. Writers get its
        // length wrong both ways, so take what was declared, at most what the
        // depth can address, and at most what fits before the pixels; indices
        // beyond it are caught later.
        const std::uint32_t addressable = 1u << bitsPerPixel;
        std::uint64_t entries = coloursUsed == 0 ? addressable : std::min(coloursUsed, addressable);
        entries = std::min<std::uint64_t>(entries, (pixelOffset - tablesEnd) / m_paletteEntrySize);
        if (entries == 0)
            return false;
        m_paletteOffset = tablesEnd;
        m_paletteSize = static_cast<unsigned>(entries);
    }
    return true;
}

bool BitmapFile::setMasks(std::uint32_t red, std::uint32_t green, std::uint32_t blue,
                          std::uint32_t alpha)
{
    const std::uint32_t limit = m_bitsPerPixel == 16 ? 0xFFFFu : 0xFFFFFFFFu;
    const std::uint32_t colours = red | green | blue;
    if (colours == 0 || ((colours | alpha) & ~limit) != 0)
        return false;
    if ((red & green) != 0 || (red & blue) != 0 || (green & blue) != 0 || (alpha & colours) != 0)
        return false;
    if (!m_red.setMask(red) || !m_green.setMask(green) || !m_blue.setMask(blue) ||
        !m_alpha.setMask(alpha))
        return false;
    if (m_bitsPerPixel == 32 && red == 0xFF0000 && green == 0xFF00 && blue == 0xFF &&
        (alpha == 0 || alpha == 0xFF000000))
        m_layout = alpha == 0 ? PixelLayout::Bgrx32 : PixelLayout::Bgra32;
    else
        m_layout = PixelLayout::Masked;
    return true;
}

void BitmapFile::readPalette()
{
    const std::uint8_t *entry = m_bytes + m_paletteOffset;
    for (unsigned i = 0; i < m_paletteSize; ++i, entry += m_paletteEntrySize)
        m_palette[i] = Rgb{entry[2], entry[1], entry[0]};
}

bool BitmapFile::indicesInRange() const
{
    if (m_paletteSize >= 1u << m_bitsPerPixel)
        return true;
    for (std::uint32_t y = 0; y < m_height; ++y) {
        const std::uint8_t *in = m_pixels + y * m_stride;
        for (std::uint32_t x = 0; x < m_width; ++x) {
            if (index(in, x) >= m_paletteSize)
                return false;
        }
    }
    return true;
}

bool BitmapFile::alphaInUse() const
{
    if (!declaresAlpha())
        return false;
    const std::size_t bytesPerPixel = m_bitsPerPixel / 8;
    bool notAllOpaque = false;
    bool notAllZero = false;
    for (std::uint32_t y = 0; y < m_height; ++y) {
        const std::uint8_t *in = m_pixels + y * m_stride;
        for (std::uint32_t x = 0; x < m_width; ++x, in += bytesPerPixel) {
            const std::uint8_t alpha =
                m_layout == PixelLayout::Bgra32 ? in[3] : m_alpha.extract(maskedPixel(in));
            notAllOpaque |= alpha != 255;
            notAllZero |= alpha != 0;
        }
        if (notAllOpaque && notAllZero)
            return true;
    }
    return false;
}

void BitmapFile::rowToRgb(std::uint32_t y, std::uint8_t *out) const
{
    const std::uint8_t *in = row(y);
    switch (m_layout) {
    case PixelLayout::Indexed:
        for (std::uint32_t x = 0; x < m_width; ++x, out += 3) {
            const Rgb &colour = m_palette[index(in, x)];
            out[0] = colour.red;
            out[1] = colour.green;
            out[2] = colour.blue;
        }
        break;
    case PixelLayout::Bgr24:
        for (std::uint32_t x = 0; x < m_width; ++x, in += 3, out += 3) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
        break;
    case PixelLayout::Bgrx32:
    case PixelLayout::Bgra32:
        for (std::uint32_t x = 0; x < m_width; ++x, in += 4, out += 3) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
        break;
    case PixelLayout::Masked: {
        const std::size_t bytesPerPixel = m_bitsPerPixel / 8;
        for (std::uint32_t x = 0; x < m_width; ++x, in += bytesPerPixel, out += 3) {
            const std::uint32_t pixel = maskedPixel(in);
            out[0] = m_red.extract(pixel);
            out[1] = m_green.extract(pixel);
            out[2] = m_blue.extract(pixel);
        }
        break;
    }
    }
}

void BitmapFile::rowToRgba(std::uint32_t y, std::uint8_t *out) const
{
    const std::uint8_t *in = row(y);
    switch (m_layout) {
    case PixelLayout::Bgra32:
        for (std::uint32_t x = 0; x < m_width; ++x, in += 4, out += 4) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
            out[3] = in[3];
        }
        break;
    case PixelLayout::Masked: {
        const std::size_t bytesPerPixel = m_bitsPerPixel / 8;
        const bool hasAlpha = declaresAlpha();
        for (std::uint32_t x = 0; x < m_width; ++x, in += bytesPerPixel, out += 4) {
            const std::uint32_t pixel = maskedPixel(in);
            out[0] = m_red.extract(pixel);
            out[1] = m_green.extract(pixel);
            out[2] = m_blue.extract(pixel);
            out[3] = hasAlpha ? m_alpha.extract(pixel) : 255;
        }
        break;
    }
    case PixelLayout::Indexed:
    case PixelLayout::Bgr24:
    case PixelLayout::Bgrx32:
        // No alpha in these: widen the RGB row in place from its end.
        rowToRgb(y, out);
        for (std::uint32_t x = m_width; x-- > 0;) {
            out[x * 4 + 3] = 255;
            out[x * 4 + 2] = out[x * 3 + 2];
            out[x * 4 + 1] = out[x * 3 + 1];
            out[x * 4 + 0] = out[x * 3 + 0];
        }
        break;
    }
}

} // namespace snagwell::converters
