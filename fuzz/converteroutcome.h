#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "bitmapfile.h"
#include "fuzzinput.h"

namespace snagwell::fuzz {

using Converter = int (*)(const char *src, const char *dst, const char *option);

struct Outcome
{
    bool converted = false;
    bool readable = false; // BitmapFile::load accepted the input
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool indexed = false;
    unsigned bitsPerPixel = 0;
    std::string destination;
};

// What every converter promises whatever the input: a call that fails leaves
// no destination, and a call succeeds only for a bitmap the reader accepts.
// Runs the converter on the input and aborts, so that the fuzzer keeps the
// input, when a promise is broken. Also says how the reader saw the bitmap.
Outcome runConverter(Converter converter, const std::uint8_t *data, std::size_t size,
                     const char *option);

// Once the destination has been looked at: removes it and checks that no
// temporary file was left beside it.
void finish(const Outcome &outcome);

// Dies with the message on stderr; libFuzzer then saves the input.
[[noreturn]] void broken(const char *what);

} // namespace snagwell::fuzz
