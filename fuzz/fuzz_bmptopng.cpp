// BmpToPng on any file: the bitmap reader, palettes, alpha detection and the
// row-by-row encoding.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

#include <spng.h>

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

void checkOutput(const snagwell::fuzz::Outcome &outcome)
{
    FILE *file = std::fopen(outcome.destination.c_str(), "rb");
    if (file == nullptr)
        snagwell::fuzz::broken("cannot open the PNG written");
    std::unique_ptr<spng_ctx, DecoderDeleter> png(spng_ctx_new(0));
    spng_ihdr header{};
    const bool read = png && spng_set_png_file(png.get(), file) == 0 &&
                      spng_get_ihdr(png.get(), &header) == 0;
    png.reset();
    std::fclose(file);
    if (!read)
        snagwell::fuzz::broken("the PNG written has no readable header");
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
