// BmpToJpeg on any file: the bitmap reader, the row conversions and the
// encoder hand-over.

#include <cstddef>
#include <cstdint>
#include <string>

#include <turbojpeg.h>

#include "bmpconverter.h"
#include "converteroutcome.h"

namespace {

// The JPEG side limit the converter refuses beyond.
constexpr std::uint32_t maxJpegSide = 65500;

// The option comes from a byte that readers ignore (the first reserved word
// of the file header), so that every seed stays a valid bitmap: none, the
// empty text, or "q" with a number from 0 to 253, inside and outside 1..100.
std::string optionText(const std::uint8_t *data, std::size_t size, bool &none)
{
    const unsigned choice = size > 6 ? data[6] : 0;
    none = choice == 0;
    if (choice <= 1)
        return {};
    return "q" + std::to_string(choice - 2);
}

void checkOutput(const snagwell::fuzz::Outcome &outcome)
{
    tjhandle decoder = tjInitDecompress();
    if (decoder == nullptr)
        return;
    FILE *file = std::fopen(outcome.destination.c_str(), "rb");
    if (file == nullptr)
        snagwell::fuzz::broken("cannot open the JPEG written");
    unsigned char head[65536];
    const std::size_t got = std::fread(head, 1, sizeof head, file);
    std::fclose(file);
    int width = 0;
    int height = 0;
    int subsampling = 0;
    int colourspace = 0;
    const int result =
        tjDecompressHeader3(decoder, head, got, &width, &height, &subsampling, &colourspace);
    tjDestroy(decoder);
    if (result != 0)
        snagwell::fuzz::broken("the JPEG written has no readable header");
    if (static_cast<std::uint32_t>(width) != outcome.width ||
        static_cast<std::uint32_t>(height) != outcome.height)
        snagwell::fuzz::broken("the JPEG's size differs from the bitmap's");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    bool none = false;
    const std::string option = optionText(data, size, none);
    const snagwell::fuzz::Outcome outcome =
        snagwell::fuzz::runConverter(BmpToJpeg, data, size, none ? nullptr : option.c_str());
    if (outcome.readable && !outcome.converted && outcome.width <= maxJpegSide &&
        outcome.height <= maxJpegSide)
        snagwell::fuzz::broken("a bitmap the reader accepts did not convert");
    if (outcome.converted)
        checkOutput(outcome);
    snagwell::fuzz::finish(outcome);
    return 0;
}
