// PngSaver: Windows bitmap to PNG.
//
// The rows are filtered as libpng and libspng filter them (the same adaptive
// choice, so the same filtered bytes) and compressed on two cores at once:
// the top rows in pieces by zlib, which can end a piece on a byte boundary
// without ending the stream, the bottom rows by libdeflate, which compresses
// faster and smaller but only whole streams, so its piece comes last. The
// pieces make one zlib stream, whose Adler-32 is joined from the pieces' own.
// The PNG chunks around it are written here.

#include "bmpconverter.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include <libdeflate.h>
#include <zlib.h>

#include "bitmapfile.h"
#include "outputfile.h"

#ifndef SNAGWELL_PNG_PIECE_SIZE
#define SNAGWELL_PNG_PIECE_SIZE (std::size_t{1} << 20)
#endif

namespace snagwell::converters {

namespace {

struct PngOptions
{
    int level = 6; // zlib's own default
    bool chooseFilters = true;
};

PngOptions pngOptions(const char *option)
{
    const PngOptions fallback;
    PngOptions parsed;
    if (option == nullptr)
        return fallback;
    for (const char *c = option; *c != '\0'; ++c) {
        if (*c == 'a') {
            parsed.chooseFilters = true;
        } else if (*c == 'n') {
            parsed.chooseFilters = false;
        } else if (*c == 'c' && c[1] >= '0' && c[1] <= '9') {
            parsed.level = c[1] - '0';
            ++c;
        } else {
            return fallback;
        }
    }
    return parsed;
}

// The row filters in the order of their numbers in a PNG file.
enum class Filter : std::uint8_t { None, Sub, Up, Average, Paeth };

// A filtered byte's distance from zero, read as signed: the smaller of the
// byte and its negation, which vectorizes to a single byte minimum.
inline std::uint8_t magnitude(std::uint8_t value)
{
    return std::min(value, static_cast<std::uint8_t>(-value));
}

inline std::uint8_t paethPredictor(int left, int up, int upLeft)
{
    const int estimate = left + up - upLeft;
    const int toLeft = std::abs(estimate - left);
    const int toUp = std::abs(estimate - up);
    const int toUpLeft = std::abs(estimate - upLeft);
    if (toLeft <= toUp && toLeft <= toUpLeft)
        return static_cast<std::uint8_t>(left);
    return static_cast<std::uint8_t>(toUp <= toUpLeft ? up : upLeft);
}

template <Filter filter>
inline std::uint8_t filtered(std::uint8_t value, std::uint8_t left, std::uint8_t up,
                             std::uint8_t upLeft)
{
    switch (filter) {
    case Filter::None:
        return value;
    case Filter::Sub:
        return static_cast<std::uint8_t>(value - left);
    case Filter::Up:
        return static_cast<std::uint8_t>(value - up);
    case Filter::Average:
        return static_cast<std::uint8_t>(value - ((left + up) >> 1));
    case Filter::Paeth:
        return static_cast<std::uint8_t>(value - paethPredictor(left, up, upLeft));
    }
    return value;
}

// The sum of magnitudes of a row under one filter, given up on (and then
// only known to be at least `limit`) as soon as it reaches `limit`.
template <Filter filter>
std::uint64_t filteredSum(const std::uint8_t *previous, const std::uint8_t *row, std::size_t size,
                          std::size_t pixelBytes, std::uint64_t limit)
{
    std::uint64_t sum = 0;
    const std::size_t first = std::min(pixelBytes, size);
    for (std::size_t i = 0; i < first; ++i)
        sum += magnitude(filtered<filter>(row[i], 0, previous[i], 0));
    // In runs, each a loop the compiler can vectorize, checked between runs.
    constexpr std::size_t run = 1024;
    for (std::size_t start = first; start < size && sum < limit; start += run) {
        const std::size_t end = std::min(size, start + run);
        unsigned part = 0;
        for (std::size_t i = start; i < end; ++i)
            part += magnitude(filtered<filter>(row[i], row[i - pixelBytes], previous[i],
                                               previous[i - pixelBytes]));
        sum += part;
    }
    return sum;
}

// The adaptive choice of libpng and libspng: the filter with the smallest
// sum of magnitudes, the first of equals. Filtering a row five times over in
// full is what made their choice slow; a filter is given up on here as soon
// as it cannot win.
Filter adaptiveFilter(const std::uint8_t *previous, const std::uint8_t *row, std::size_t size,
                      std::size_t pixelBytes)
{
    constexpr std::uint64_t unbounded = ~std::uint64_t{0};
    std::uint64_t best = filteredSum<Filter::None>(previous, row, size, pixelBytes, unbounded);
    Filter chosen = Filter::None;
    const auto consider = [&](Filter filter, std::uint64_t sum) {
        if (sum < best) {
            best = sum;
            chosen = filter;
        }
    };
    consider(Filter::Sub, filteredSum<Filter::Sub>(previous, row, size, pixelBytes, best));
    consider(Filter::Up, filteredSum<Filter::Up>(previous, row, size, pixelBytes, best));
    consider(Filter::Average, filteredSum<Filter::Average>(previous, row, size, pixelBytes, best));
    consider(Filter::Paeth, filteredSum<Filter::Paeth>(previous, row, size, pixelBytes, best));
    return chosen;
}

template <Filter filter>
void applyFilter(const std::uint8_t *previous, const std::uint8_t *row, std::size_t size,
                 std::size_t pixelBytes, std::uint8_t *out)
{
    const std::size_t first = std::min(pixelBytes, size);
    for (std::size_t i = 0; i < first; ++i)
        out[i] = filtered<filter>(row[i], 0, previous[i], 0);
    for (std::size_t i = first; i < size; ++i)
        out[i] =
            filtered<filter>(row[i], row[i - pixelBytes], previous[i], previous[i - pixelBytes]);
}

// What the PNG's rows hold: palette indices as the bitmap stores them, or
// 8-bit RGB or RGBA.
class PngRows final
{
public:
    PngRows(const BitmapFile &bitmap, bool chooseFilters)
        : m_bitmap(bitmap), m_indexed(bitmap.layout() == PixelLayout::Indexed),
          m_alpha(!m_indexed && bitmap.alphaInUse()), m_pixelBytes(m_alpha ? 4 : 3),
          // Palette indices gain nothing from filtering, nor do rows below 8 bits.
          m_chooseFilters(chooseFilters && !m_indexed),
          m_size(m_indexed ? bitmap.rowBytes() : std::size_t{bitmap.width()} * m_pixelBytes)
    {
    }

    bool indexed() const { return m_indexed; }
    bool alpha() const { return m_alpha; }
    std::uint32_t count() const { return m_bitmap.height(); }
    // Bytes of a row in the compressed data: its filter byte and its pixels.
    std::size_t filteredSize() const { return m_size + 1; }

    // Row y, unfiltered: the bitmap's own bytes or `scratch` filled.
    const std::uint8_t *row(std::uint32_t y, std::uint8_t *scratch) const
    {
        if (m_indexed)
            return m_bitmap.row(y);
        if (m_alpha)
            m_bitmap.rowToRgba(y, scratch);
        else
            m_bitmap.rowToRgb(y, scratch);
        return scratch;
    }

    // Rows [first, end) filtered into `out`, each after its filter byte.
    void filter(std::uint32_t first, std::uint32_t end, std::uint8_t *out) const
    {
        // Two rows to convert into, taken in turn: the one just filtered is
        // the next one's row above.
        const auto scratch = std::make_unique_for_overwrite<std::uint8_t[]>(2 * m_size);
        std::uint8_t *const turns[2] = {scratch.get(), scratch.get() + m_size};
        const auto zeros = std::make_unique<std::uint8_t[]>(m_size); // above the first row
        const std::uint8_t *previous = first == 0 ? zeros.get() : row(first - 1, turns[1]);
        for (std::uint32_t y = first; y < end; ++y, out += m_size + 1) {
            const std::uint8_t *current = row(y, turns[(y - first) % 2]);
            const Filter chosen = m_chooseFilters
                                      ? adaptiveFilter(previous, current, m_size, m_pixelBytes)
                                      : Filter::None;
            out[0] = static_cast<std::uint8_t>(chosen);
            switch (chosen) {
            case Filter::None:
                std::memcpy(out + 1, current, m_size);
                break;
            case Filter::Sub:
                applyFilter<Filter::Sub>(previous, current, m_size, m_pixelBytes, out + 1);
                break;
            case Filter::Up:
                applyFilter<Filter::Up>(previous, current, m_size, m_pixelBytes, out + 1);
                break;
            case Filter::Average:
                applyFilter<Filter::Average>(previous, current, m_size, m_pixelBytes, out + 1);
                break;
            case Filter::Paeth:
                applyFilter<Filter::Paeth>(previous, current, m_size, m_pixelBytes, out + 1);
                break;
            }
            previous = current;
        }
    }

private:
    const BitmapFile &m_bitmap;
    const bool m_indexed;
    const bool m_alpha;
    const std::size_t m_pixelBytes;
    const bool m_chooseFilters;
    const std::size_t m_size;
};

// A run of rows compressed on its own: raw deflate data that ends on a byte
// boundary, and the Adler-32 of its filtered rows. Only the last piece's data
// ends the stream. Each piece gets its worst case at once, of which only the
// pages written are ever touched.
struct Piece
{
    std::uint32_t first = 0;
    std::uint32_t end = 0;
    std::unique_ptr<std::uint8_t[]> data;
    std::size_t size = 0;
    std::uint32_t adler = 1;
    bool done = false;
};

constexpr std::size_t deflateWindow = std::size_t{1} << MAX_WBITS;

// A piece by zlib, a band of rows at a time while the band is still in the
// cache, ended with a sync flush: byte-aligned, the stream still open. The
// rows before it are its window, as they would be in one long stream.
void compressWithZlib(const PngRows &rows, Piece &piece, int level)
{
    z_stream stream{};
    if (deflateInit2(&stream, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return;
    const std::unique_ptr<z_stream, int (*)(z_stream *)> ender(&stream, deflateEnd);
    const std::uint32_t windowRows = std::min<std::uint32_t>(
        piece.first, static_cast<std::uint32_t>((deflateWindow + rows.filteredSize() - 1) /
                                                rows.filteredSize()));
    if (windowRows > 0) {
        const std::size_t size = windowRows * rows.filteredSize();
        const auto window = std::make_unique_for_overwrite<std::uint8_t[]>(size);
        rows.filter(piece.first - windowRows, piece.first, window.get());
        const std::size_t used = std::min(size, deflateWindow);
        if (deflateSetDictionary(&stream, window.get() + size - used, static_cast<uInt>(used)) !=
            Z_OK)
            return;
    }
    const std::size_t total = std::size_t{piece.end - piece.first} * rows.filteredSize();
    const std::size_t capacity = deflateBound(&stream, total) + 16;
    if (capacity > UINT32_MAX)
        return;
    piece.data = std::make_unique_for_overwrite<std::uint8_t[]>(capacity);
    stream.next_out = piece.data.get();
    stream.avail_out = static_cast<uInt>(capacity);

    constexpr std::uint32_t bandRows = 16;
    const auto band =
        std::make_unique_for_overwrite<std::uint8_t[]>(bandRows * rows.filteredSize());
    for (std::uint32_t y = piece.first; y < piece.end; y += bandRows) {
        const std::uint32_t bandEnd = std::min(piece.end, y + bandRows);
        const std::size_t size = (bandEnd - y) * rows.filteredSize();
        rows.filter(y, bandEnd, band.get());
        piece.adler = libdeflate_adler32(piece.adler, band.get(), size);
        stream.next_in = band.get();
        stream.avail_in = static_cast<uInt>(size);
        if (deflate(&stream, bandEnd == piece.end ? Z_SYNC_FLUSH : Z_NO_FLUSH) != Z_OK ||
            stream.avail_in != 0 || stream.avail_out == 0)
            return;
    }
    piece.size = capacity - stream.avail_out;
    piece.done = true;
}

struct CompressorDeleter
{
    void operator()(libdeflate_compressor *compressor) const
    {
        libdeflate_free_compressor(compressor);
    }
};

// The last piece by libdeflate, which needs all its rows filtered at once and
// ends the stream with its last block.
void compressWithLibdeflate(const PngRows &rows, Piece &piece, int level)
{
    const std::unique_ptr<libdeflate_compressor, CompressorDeleter> compressor(
        libdeflate_alloc_compressor(level));
    if (!compressor)
        return;
    const std::size_t total = std::size_t{piece.end - piece.first} * rows.filteredSize();
    const auto filtered = std::make_unique_for_overwrite<std::uint8_t[]>(total);
    rows.filter(piece.first, piece.end, filtered.get());
    piece.adler = libdeflate_adler32(1, filtered.get(), total);
    const std::size_t capacity = libdeflate_deflate_compress_bound(compressor.get(), total);
    piece.data = std::make_unique_for_overwrite<std::uint8_t[]>(capacity);
    piece.size = libdeflate_deflate_compress(compressor.get(), filtered.get(), total,
                                             piece.data.get(), capacity);
    piece.done = piece.size > 0;
}

// The rows cut into pieces for two cores: a bottom share for libdeflate, the
// top in pieces of about a megabyte for zlib, each taken by whichever core is
// free. The core that starts with libdeflate's piece joins in on zlib's when
// done, so that the two finish together whatever the picture holds.
class Compression final
{
public:
    Compression(const PngRows &rows, int level) : m_rows(rows), m_level(level)
    {
        const std::size_t total = std::size_t{rows.count()} * rows.filteredSize();
        std::uint32_t zlibEnd = 0;
        if (total >= smallestSplit)
            zlibEnd = static_cast<std::uint32_t>(std::uint64_t{rows.count()} * zlibShare / 100);
        const std::uint32_t pieceRows = static_cast<std::uint32_t>(
            std::max<std::size_t>(1, zlibPieceSize / rows.filteredSize()));
        for (std::uint32_t y = 0; y < zlibEnd; y += pieceRows)
            m_pieces.push_back(Piece{y, std::min(zlibEnd, y + pieceRows), {}, 0, 1, false});
        m_pieces.push_back(Piece{zlibEnd, rows.count(), {}, 0, 1, false});
    }

    // False when any piece failed.
    bool run()
    {
        {
            std::thread second;
            try {
                if (m_pieces.size() > 1)
                    second = std::thread([this] { takeZlibPieces(); });
            } catch (const std::system_error &) {
                // No second thread to be had: one core does it all.
            }
            // The second thread is joined however this one leaves the block.
            const Joiner joiner{second};
            takeLibdeflatePiece();
            takeZlibPieces();
        }
        return allDone();
    }

    const std::vector<Piece> &pieces() const { return m_pieces; }

    // The Adler-32 of all the filtered rows, from the pieces' own.
    std::uint32_t adler() const
    {
        std::uint32_t adler = m_pieces.front().adler;
        for (std::size_t i = 1; i < m_pieces.size(); ++i) {
            const Piece &piece = m_pieces[i];
            const std::size_t size = std::size_t{piece.end - piece.first} * m_rows.filteredSize();
            adler = static_cast<std::uint32_t>(
                adler32_combine(adler, piece.adler, static_cast<z_off_t>(size)));
        }
        return adler;
    }

private:
    // Below this much filtered data a second thread costs more than it
    // saves; zlib's pieces are about as large. The fuzzer makes it small, so
    // that its small pictures are cut into pieces too.
    static constexpr std::size_t smallestSplit = SNAGWELL_PNG_PIECE_SIZE;
    static constexpr std::size_t zlibPieceSize = SNAGWELL_PNG_PIECE_SIZE;
    // Percent of the rows. Measured on 4K screen captures and photos: with
    // less, libdeflate's piece outlasts all of zlib's; with more, less of the
    // picture gets libdeflate's speed.
    static constexpr std::uint64_t zlibShare = 60;

    bool allDone() const
    {
        return std::all_of(m_pieces.begin(), m_pieces.end(),
                           [](const Piece &piece) { return piece.done; });
    }

    struct Joiner
    {
        std::thread &thread;
        ~Joiner()
        {
            if (thread.joinable())
                thread.join();
        }
    };

    // A piece that cannot get its memory stays undone, and so fails the
    // conversion; nothing is thrown across the threads.
    void takeLibdeflatePiece()
    {
        try {
            compressWithLibdeflate(m_rows, m_pieces.back(), m_level);
        } catch (const std::bad_alloc &) {
        }
    }

    void takeZlibPieces()
    {
        for (std::size_t i = m_next++; i + 1 < m_pieces.size(); i = m_next++) {
            try {
                compressWithZlib(m_rows, m_pieces[i], m_level);
            } catch (const std::bad_alloc &) {
            }
        }
    }

    const PngRows &m_rows;
    const int m_level;
    std::vector<Piece> m_pieces;
    std::atomic<std::size_t> m_next{0};
};

void putBigEndian(std::uint8_t *out, std::uint32_t value)
{
    out[0] = static_cast<std::uint8_t>(value >> 24);
    out[1] = static_cast<std::uint8_t>(value >> 16);
    out[2] = static_cast<std::uint8_t>(value >> 8);
    out[3] = static_cast<std::uint8_t>(value);
}

// PNG chunks: a length, a type, the data, a CRC.
class ChunkWriter final
{
public:
    explicit ChunkWriter(OutputFile &output) : m_output(output) {}

    bool write(const char (&type)[5], const std::uint8_t *data, std::size_t size)
    {
        std::uint8_t head[8];
        putBigEndian(head, static_cast<std::uint32_t>(size));
        std::memcpy(head + 4, type, 4);
        std::uint8_t tail[4];
        putBigEndian(tail, libdeflate_crc32(libdeflate_crc32(0, head + 4, 4), data, size));
        return m_output.write(head, sizeof head) && m_output.write(data, size) &&
               m_output.write(tail, sizeof tail);
    }

    // Image data in chunks of a size every decoder takes.
    bool writeData(const std::uint8_t *data, std::size_t size)
    {
        constexpr std::size_t largest = std::size_t{1} << 24;
        for (std::size_t at = 0; at < size; at += largest) {
            if (!write("IDAT", data + at, std::min(largest, size - at)))
                return false;
        }
        return true;
    }

private:
    OutputFile &m_output;
};

bool writeHead(OutputFile &output, ChunkWriter &chunks, const BitmapFile &bitmap,
               const PngRows &rows)
{
    static constexpr std::uint8_t signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::uint8_t header[13] = {};
    putBigEndian(header, bitmap.width());
    putBigEndian(header + 4, bitmap.height());
    header[8] = static_cast<std::uint8_t>(rows.indexed() ? bitmap.bitsPerPixel() : 8);
    header[9] = rows.indexed() ? 3 : rows.alpha() ? 6 : 2; // palette, RGBA, RGB
    // Then deflate, adaptive filtering, no interlacing: all zero.
    if (!output.write(signature, sizeof signature) || !chunks.write("IHDR", header, sizeof header))
        return false;
    if (!rows.indexed())
        return true;
    std::array<std::uint8_t, 3 * 256> palette{};
    for (unsigned i = 0; i < bitmap.paletteSize(); ++i) {
        palette[3 * i] = bitmap.palette()[i].red;
        palette[3 * i + 1] = bitmap.palette()[i].green;
        palette[3 * i + 2] = bitmap.palette()[i].blue;
    }
    return chunks.write("PLTE", palette.data(), 3 * std::size_t{bitmap.paletteSize()});
}

bool convert(const char *src, const char *dst, const char *option)
{
    if (src == nullptr || dst == nullptr || !OutputFile::destinationIsFree(dst))
        return false;
    BitmapFile bitmap;
    if (!bitmap.load(src))
        return false;
    const PngOptions options = pngOptions(option);
    const PngRows rows(bitmap, options.chooseFilters);

    Compression compression(rows, options.level);
    if (!compression.run())
        return false;

    OutputFile output;
    ChunkWriter chunks(output);
    if (!output.open(dst) || !writeHead(output, chunks, bitmap, rows))
        return false;
    // The zlib stream's head as zlib writes it for the level, and its tail:
    // the Adler-32 of all the filtered rows.
    const int speed = options.level <= 1 ? 0 : options.level <= 5 ? 1 : options.level == 6 ? 2 : 3;
    std::uint8_t head[2] = {0x78, static_cast<std::uint8_t>(speed << 6)};
    head[1] = static_cast<std::uint8_t>(head[1] + 31 - (head[0] << 8 | head[1]) % 31);
    std::uint8_t tail[4];
    putBigEndian(tail, compression.adler());
    if (!chunks.write("IDAT", head, sizeof head))
        return false;
    for (const Piece &piece : compression.pieces()) {
        if (!chunks.writeData(piece.data.get(), piece.size))
            return false;
    }
    static constexpr std::uint8_t nothing[1] = {};
    return chunks.write("IDAT", tail, sizeof tail) && chunks.write("IEND", nothing, 0) &&
           output.commit();
}

} // namespace

} // namespace snagwell::converters

int BmpToPng(const char *src, const char *dst, const char *option)
{
    // Nothing may escape into a caller that knows only C.
    try {
        return snagwell::converters::convert(src, dst, option) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}
