// JpegSaver: Windows bitmap to JPEG.

#include "bmpconverter.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>

#include <turbojpeg.h>

#include "bitmapfile.h"
#include "outputfile.h"

namespace snagwell::converters {

namespace {

// libjpeg's own default, for an option we do not understand.
constexpr int defaultQuality = 75;
// From this quality on the colour is kept at full resolution: whoever asks for
// it wants the coloured text of a screen capture to stay sharp, not the last
// kilobyte saved.
constexpr int fullChromaQuality = 90;
// The largest side libjpeg can write.
constexpr std::uint32_t maxJpegSide = 65500;

int jpegQuality(const char *option)
{
    if (option == nullptr || (option[0] != 'q' && option[0] != 'Q') || option[1] == '\0')
        return defaultQuality;
    int quality = 0;
    for (const char *digit = option + 1; *digit != '\0'; ++digit) {
        if (*digit < '0' || *digit > '9' || quality > 100)
            return defaultQuality;
        quality = quality * 10 + (*digit - '0');
    }
    return quality >= 1 && quality <= 100 ? quality : defaultQuality;
}

// JPEG has no transparency: a see-through pixel is shown over white, as a
// page or a document would show it, and a half-transparent colour is mixed
// with white by its alpha. Without this the encoder would keep the colour
// channels alone, and what was transparent would mostly come out black.
void flattenRowOntoWhite(std::uint8_t *rgba, std::uint32_t width, std::uint8_t *rgb)
{
    for (std::uint32_t x = 0; x < width; ++x, rgba += 4, rgb += 3) {
        const unsigned alpha = rgba[3];
        for (int channel = 0; channel < 3; ++channel)
            rgb[channel] = static_cast<std::uint8_t>(
                (rgba[channel] * alpha + 255 * (255 - alpha) + 127) / 255);
    }
}

struct CompressorDeleter
{
    void operator()(void *handle) const { tjDestroy(handle); }
};

struct JpegBufferDeleter
{
    void operator()(unsigned char *buffer) const { tjFree(buffer); }
};

bool convert(const char *src, const char *dst, const char *option)
{
    if (src == nullptr || dst == nullptr || !OutputFile::destinationIsFree(dst))
        return false;
    BitmapFile bitmap;
    if (!bitmap.load(src))
        return false;
    if (bitmap.width() > maxJpegSide || bitmap.height() > maxJpegSide)
        return false;

    const unsigned char *pixels = nullptr;
    int pitch = 0;
    int pixelFormat = TJPF_RGB;
    int flags = 0;
    std::unique_ptr<std::uint8_t[]> converted;
    if (bitmap.alphaInUse()) {
        const std::size_t rowSize = std::size_t{bitmap.width()} * 3;
        converted = std::make_unique_for_overwrite<std::uint8_t[]>(rowSize * bitmap.height());
        const auto rgba =
            std::make_unique_for_overwrite<std::uint8_t[]>(std::size_t{bitmap.width()} * 4);
        for (std::uint32_t y = 0; y < bitmap.height(); ++y) {
            bitmap.rowToRgba(y, rgba.get());
            flattenRowOntoWhite(rgba.get(), bitmap.width(), converted.get() + y * rowSize);
        }
        pixels = converted.get();
        pitch = static_cast<int>(rowSize);
    } else {
        switch (bitmap.layout()) {
        case PixelLayout::Bgr24:
        case PixelLayout::Bgrx32:
        case PixelLayout::Bgra32:
            // The encoder reads the file's own rows, bottom-up or not: no copy.
            pixels = bitmap.pixelData();
            pitch = static_cast<int>(bitmap.stride());
            pixelFormat = bitmap.layout() == PixelLayout::Bgr24 ? TJPF_BGR : TJPF_BGRX;
            flags = bitmap.isBottomUp() ? TJFLAG_BOTTOMUP : 0;
            break;
        case PixelLayout::Indexed:
        case PixelLayout::Masked: {
            const std::size_t rowSize = std::size_t{bitmap.width()} * 3;
            converted = std::make_unique_for_overwrite<std::uint8_t[]>(rowSize * bitmap.height());
            for (std::uint32_t y = 0; y < bitmap.height(); ++y)
                bitmap.rowToRgb(y, converted.get() + y * rowSize);
            pixels = converted.get();
            pitch = static_cast<int>(rowSize);
            break;
        }
        }
    }

    const int quality = jpegQuality(option);
    const int subsampling = quality >= fullChromaQuality ? TJSAMP_444 : TJSAMP_420;
    const std::unique_ptr<void, CompressorDeleter> compressor(tjInitCompress());
    if (!compressor)
        return false;
    // The largest JPEG the picture can give, allocated at once: left to
    // grow, the encoder starts small and doubles its buffer, copying it each
    // time. Only the pages the JPEG fills are ever touched. Where so much
    // cannot even be reserved, the encoder grows its own.
    const unsigned long largest =
        tjBufSize(static_cast<int>(bitmap.width()), static_cast<int>(bitmap.height()), subsampling);
    std::unique_ptr<unsigned char, JpegBufferDeleter> jpeg(
        largest <= static_cast<unsigned long>(std::numeric_limits<int>::max())
            ? tjAlloc(static_cast<int>(largest))
            : nullptr);
    unsigned char *jpegData = jpeg.get();
    unsigned long jpegSize = jpeg ? largest : 0;
    const int result =
        tjCompress2(compressor.get(), pixels, static_cast<int>(bitmap.width()), pitch,
                    static_cast<int>(bitmap.height()), pixelFormat, &jpegData, &jpegSize,
                    subsampling, quality, jpeg ? flags | TJFLAG_NOREALLOC : flags);
    if (!jpeg)
        jpeg.reset(jpegData); // the encoder's own, which it may have made even when failing
    if (result != 0 || jpegSize == 0)
        return false;

    OutputFile output;
    return output.open(dst) && output.write(jpeg.get(), jpegSize) && output.commit();
}

} // namespace

} // namespace snagwell::converters

int BmpToJpeg(const char *src, const char *dst, const char *option)
{
    // Nothing may escape into a caller that knows only C.
    try {
        return snagwell::converters::convert(src, dst, option) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}
