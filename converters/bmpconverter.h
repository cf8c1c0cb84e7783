#pragma once

// The C interface of the two converter libraries, JpegSaver and PngSaver.
// The program loads them at run time and looks the functions up by name, so
// the names and the signature must not change.
//
// Each function reads the Windows bitmap file `src` and writes `dst`, which
// must not exist yet; it returns 1 on success and 0 on any failure, in which
// case `dst` does not exist afterwards. The source file is only read.

#if defined(_WIN32)
#define SNAGWELL_CONVERTER_EXPORT __declspec(dllexport)
#else
#define SNAGWELL_CONVERTER_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {

// Options: "qNN" sets the JPEG quality NN (1 to 100). Anything else, an
// empty text or a null pointer means quality 75.
SNAGWELL_CONVERTER_EXPORT int BmpToJpeg(const char *src, const char *dst, const char *option);

// Options: a sequence of "a" (adaptive filtering: the best of the five row
// filters, row by row), "n" (no filtering) and "cD" (zlib level D, 0 to 9),
// e.g. "ac3". Anything else, an empty text or a null pointer means "ac6".
SNAGWELL_CONVERTER_EXPORT int BmpToPng(const char *src, const char *dst, const char *option);

} // extern "C"

namespace snagwell {
// The type to cast a looked-up converter function to.
using ConverterFunction = int (*)(const char *src, const char *dst, const char *option);
} // namespace snagwell
