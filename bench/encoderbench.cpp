// What the capture path is measured against: the encoders alone, from
// memory to memory, and Qt's own image writer saving the same picture.

#include "benchmarks.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include <benchmark/benchmark.h>
#include <spng.h>
#include <turbojpeg.h>

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QTemporaryDir>

#include "app/bitmapwriter.h"
#include "benchsupport.h"

namespace snagwell::bench {

namespace {

struct CompressorDeleter
{
    void operator()(void *handle) const { tjDestroy(handle); }
};

struct EncoderDeleter
{
    void operator()(spng_ctx *context) const { spng_ctx_free(context); }
};

// tjCompress2 on the picture's own pixels (RGB32 lies in memory as B, G, R,
// unused), with the quality JpegSaver uses; 4:4:4 or 4:2:0 as asked.
void turboJpegInMemory(benchmark::State &state, QSize size, const CaptureFormat &format,
                       bool fullChroma)
{
    const QImage &image = screenshot(size);
    const std::unique_ptr<void, CompressorDeleter> compressor(tjInitCompress());
    unsigned long jpegSize = 0;
    for (auto _ : state) {
        unsigned char *jpeg = nullptr;
        jpegSize = 0;
        const int result =
            tjCompress2(compressor.get(), image.constBits(), image.width(),
                        static_cast<int>(image.bytesPerLine()), image.height(), TJPF_BGRX, &jpeg,
                        &jpegSize, fullChroma ? TJSAMP_444 : TJSAMP_420, format.jpegQuality, 0);
        tjFree(jpeg);
        if (result != 0) {
            state.SkipWithError(tjGetErrorStr2(compressor.get()));
            break;
        }
    }
    state.counters["file_KiB"] = double(jpegSize) / 1024;
}

// libspng with the filters and level PngSaver uses, from packed RGB rows
// (made before timing) into a buffer.
void spngInMemory(benchmark::State &state, QSize size, const CaptureFormat &format)
{
    const QImage rgb = screenshot(size).convertToFormat(QImage::Format_RGB888);
    const std::size_t rowSize = std::size_t(rgb.width()) * 3;
    std::vector<unsigned char> pixels(rowSize * std::size_t(rgb.height()));
    for (int y = 0; y < rgb.height(); ++y)
        std::memcpy(pixels.data() + rowSize * std::size_t(y), rgb.constScanLine(y), rowSize);
    std::size_t pngSize = 0;
    for (auto _ : state) {
        const std::unique_ptr<spng_ctx, EncoderDeleter> png(spng_ctx_new(SPNG_CTX_ENCODER));
        spng_ihdr header{};
        header.width = static_cast<std::uint32_t>(rgb.width());
        header.height = static_cast<std::uint32_t>(rgb.height());
        header.bit_depth = 8;
        header.color_type = SPNG_COLOR_TYPE_TRUECOLOR;
        int error = spng_set_option(png.get(), SPNG_ENCODE_TO_BUFFER, 1);
        error = error ? error : spng_set_ihdr(png.get(), &header);
        error = error ? error
                      : spng_set_option(png.get(), SPNG_IMG_COMPRESSION_LEVEL, format.zlibLevel);
        error =
            error ? error : spng_set_option(png.get(), SPNG_FILTER_CHOICE, SPNG_FILTER_CHOICE_ALL);
        error = error ? error
                      : spng_encode_image(png.get(), pixels.data(), pixels.size(), SPNG_FMT_PNG,
                                          SPNG_ENCODE_FINALIZE);
        void *buffer = error ? nullptr : spng_get_png_buffer(png.get(), &pngSize, &error);
        std::free(buffer);
        if (error != 0) {
            state.SkipWithError(spng_strerror(error));
            break;
        }
    }
    state.counters["file_KiB"] = double(pngSize) / 1024;
}

// writeBitmap into memory: the bitmap's bytes without the file.
void bitmapInMemory(benchmark::State &state, QSize size)
{
    const QImage &image = screenshot(size);
    QByteArray bytes;
    for (auto _ : state) {
        bytes.resize(0);
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        writeBitmap(buffer, image);
    }
    state.counters["file_KiB"] = double(bytes.size()) / 1024;
}

// What a Qt programmer writes: QImageWriter with the same quality, or the
// compression that gives the same zlib level.
void qtImageWriter(benchmark::State &state, QSize size, const CaptureFormat &format)
{
    const QImage &image = screenshot(size);
    const QTemporaryDir dir;
    const QString path =
        dir.filePath(QStringLiteral("OFFICE-PC001") + format.format.extension +
                     (format.format.extension.isEmpty() ? QStringLiteral(".bmp") : QString()));
    QByteArray qtFormat = "bmp";
    int compression = -1;
    if (format.format.converter == PictureFormat::Converter::Jpeg) {
        qtFormat = "jpeg";
    } else if (format.format.converter == PictureFormat::Converter::Png) {
        qtFormat = "png";
        compression = qtPngCompressionFor(format.zlibLevel);
        if (compression < 0) {
            state.SkipWithError("no compression of Qt's gives the zlib level");
            return;
        }
        state.counters["qt_compression"] = compression;
    }
    qint64 fileSize = 0;
    for (auto _ : state) {
        QImageWriter writer(path, qtFormat);
        if (format.jpegQuality > 0)
            writer.setQuality(format.jpegQuality);
        if (compression >= 0)
            writer.setCompression(compression);
        const bool written = writer.write(image);
        state.PauseTiming();
        if (!written) {
            state.SkipWithError(qPrintable(writer.errorString()));
            break;
        }
        fileSize = QFileInfo(path).size();
        QFile::remove(path);
        state.ResumeTiming();
    }
    state.counters["file_KiB"] = double(fileSize) / 1024;
}

} // namespace

void registerEncoderBenchmarks(QSize size, const CaptureFormat &format)
{
    const std::string inMemory =
        benchmarkName(format, size, QStringLiteral("in-memory")).toStdString();
    switch (format.format.converter) {
    case PictureFormat::Converter::Jpeg:
        timed(benchmark::RegisterBenchmark(inMemory.c_str(), [size, format](benchmark::State &s) {
            turboJpegInMemory(s, size, format, format.fullChroma);
        }));
        // QImageWriter has no say over chroma subsampling and always halves
        // the colour resolution; this is the encoder doing the same.
        if (format.fullChroma) {
            timed(benchmark::RegisterBenchmark(
                benchmarkName(format, size, QStringLiteral("in-memory 4:2:0"))
                    .toStdString()
                    .c_str(),
                [size, format](benchmark::State &s) {
                    turboJpegInMemory(s, size, format, false);
                }));
        }
        break;
    case PictureFormat::Converter::Png:
        timed(benchmark::RegisterBenchmark(inMemory.c_str(), [size, format](benchmark::State &s) {
            spngInMemory(s, size, format);
        }));
        break;
    case PictureFormat::Converter::None:
        timed(benchmark::RegisterBenchmark(
            inMemory.c_str(), [size](benchmark::State &s) { bitmapInMemory(s, size); }));
        break;
    }
    timed(benchmark::RegisterBenchmark(
        benchmarkName(format, size, QStringLiteral("QImageWriter")).toStdString().c_str(),
        [size, format](benchmark::State &s) { qtImageWriter(s, size, format); }));
}

} // namespace snagwell::bench
