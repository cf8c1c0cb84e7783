// PngSaver: Windows bitmap to PNG.

#include "bmpconverter.h"

#include <cstddef>
#include <cstdint>
#include <memory>

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

    // One row at a time, so the picture is never held twice.
    std::size_t rowSize = bitmap.rowBytes();
    std::unique_ptr<std::uint8_t[]> row;
    if (!indexed) {
        rowSize = std::size_t{bitmap.width()} * (alpha ? 4 : 3);
        row = std::make_unique_for_overwrite<std::uint8_t[]>(rowSize);
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
        status = spng_encode_row(png.get(), data, rowSize);
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
