// BmpToPng on any file: the bitmap reader, palettes, alpha detection, the
// filtering and the compression in pieces; what converts is read back whole
// by libspng.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <spng.h>
#include <zlib.h>

#include "bmpconverter.h"
#include "converteroutcome.h"

namespace {

// The option comes from a byte that readers ignore (the second byte of the
// first reserved word of the file header), so that every seed stays a valid
// bitmap. The fast levels come up most often: zlib at level 9 would slow
// every run down for nothing the reader cares about.
const char *option(const std::uint8_t *data, std::size_t size)
{
    static const char *const choices[] = {
        "c1", "nc0", "ac1", "n", nullptr, "", "a", "c9x", "q80", "nc2c3", "c", "ac6",
    };
    const unsigned choice = size > 7 ? data[7] : 0;
    return choices[choice % std::size(choices)];
}

struct DecoderDeleter
{
    void operator()(spng_ctx *context) const { spng_ctx_free(context); }
};

// The image data inflates to exactly `expected` bytes (the rows with their
// filter bytes) and its Adler-32 holds, which decoders that stop after the
// last row never look at; every chunk's CRC holds too.
bool wholeStream(const std::string &path, std::size_t expected)
{
    std::ifstream file(path, std::ios::binary);
    const std::vector<unsigned char> png((std::istreambuf_iterator<char>(file)),
                                         std::istreambuf_iterator<char>());
    std::vector<unsigned char> stream;
    for (std::size_t at = 8; at + 12 <= png.size();) {
        const std::size_t size = std::size_t{png[at]} << 24 | std::size_t{png[at + 1]} << 16 |
                                 std::size_t{png[at + 2]} << 8 | png[at + 3];
        if (size > png.size() - at - 12)
            return false;
        const unsigned char *type = png.data() + at + 4;
        const unsigned char *end = type + 4 + size;
        const uLong crc = crc32(0, type, static_cast<uInt>(size + 4));
        if (crc != (uLong{end[0]} << 24 | uLong{end[1]} << 16 | uLong{end[2]} << 8 | end[3]))
            return false;
        if (std::equal(type, type + 4, "IDAT"))
            stream.insert(stream.end(), type + 4, end);
        at += 12 + size;
    }
    std::vector<unsigned char> rows(expected + 1);
    uLongf size = static_cast<uLongf>(rows.size());
    return uncompress(rows.data(), &size, stream.data(), static_cast<uLong>(stream.size())) ==
               Z_OK &&
           size == expected;
}

void checkOutput(const snagwell::fuzz::Outcome &outcome)
{
    FILE *file = std::fopen(outcome.destination.c_str(), "rb");
    if (file == nullptr)
        snagwell::fuzz::broken("cannot open the PNG written");
    std::unique_ptr<spng_ctx, DecoderDeleter> png(spng_ctx_new(0));
    spng_ihdr header{};
    const bool read =
        png && spng_set_png_file(png.get(), file) == 0 && spng_get_ihdr(png.get(), &header) == 0;
    // Every row, as another decoder reads them.
    std::size_t size = 0;
    std::unique_ptr<unsigned char[]> pixels;
    const bool decoded = read && spng_decoded_image_size(png.get(), SPNG_FMT_PNG, &size) == 0 &&
                         (pixels = std::make_unique<unsigned char[]>(size),
                          spng_decode_image(png.get(), pixels.get(), size, SPNG_FMT_PNG, 0) == 0);
    png.reset();
    std::fclose(file);
    if (!read)
        snagwell::fuzz::broken("the PNG written has no readable header");
    if (!decoded)
        snagwell::fuzz::broken("the PNG written does not decode");
    if (!wholeStream(outcome.destination, size + header.height))
        snagwell::fuzz::broken("the PNG's image data is not one whole zlib stream");
    if (header.width != outcome.width || header.height != outcome.height)
        snagwell::fuzz::broken("the PNG's size differs from the bitmap's");
    if (outcome.indexed != (header.color_type == SPNG_COLOR_TYPE_INDEXED))
        snagwell::fuzz::broken("a palette bitmap lost its palette or gained one");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const snagwell::fuzz::Outcome outcome =
        snagwell::fuzz::runConverter(BmpToPng, data, size, option(data, size));
    if (outcome.readable && !outcome.converted)
        snagwell::fuzz::broken("a bitmap the reader accepts did not convert");
    if (outcome.converted)
        checkOutput(outcome);
    snagwell::fuzz::finish(outcome);
    return 0;
}
