// The capture path of a picture: from the picture in memory to the final
// file, with the bitmap gone once it has been converted.

#include "benchmarks.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "app/state.h"
#include "benchsupport.h"
#include "core/failure.h"

namespace snagwell::bench {

namespace {

QString bitmapBeside(const QString &path)
{
    const QFileInfo file(path);
    return file.path() + QLatin1Char('/') + file.completeBaseName() + QStringLiteral(".bmp");
}

// Checks what a capture left and clears it away, so that every iteration
// finds the folder as the first one did. Answers the final file's size, or
// -1 after ending the benchmark with an error.
qint64 checkAndClear(benchmark::State &state, const CaptureFormat &format, const QString &path)
{
    if (!expectFile(state, path))
        return -1;
    if (format.format.converter != PictureFormat::Converter::None &&
        QFile::exists(bitmapBeside(path))) {
        state.SkipWithError("the bitmap was kept");
        return -1;
    }
    const qint64 size = QFileInfo(path).size();
    QFile::remove(path);
    return size;
}

// The capture recorder as the clipboard's change runs it, with the settings
// window following the state: preview and file list included.
void captureThroughWindow(benchmark::State &state, QSize size, const CaptureFormat &format)
{
    const QImage &image = screenshot(size);
    CaptureDesk desk;
    desk.state().changeSettings([&](Settings &settings) { settings.pictureType = format.type; });
    qint64 fileSize = 0;
    for (auto _ : state) {
        desk.clipboard().setImage(image);
        state.PauseTiming();
        const QString base = desk.state().shownPicturePath();
        const QString extension = format.format.converter == PictureFormat::Converter::None
                                      ? QStringLiteral(".bmp")
                                      : format.format.extension;
        fileSize = checkAndClear(state, format, base.isEmpty() ? QString() : base + extension);
        if (fileSize < 0)
            break;
        desk.state().showPicture(QImage(), QString());
        state.ResumeTiming();
    }
    state.counters["file_KiB"] = double(fileSize) / 1024;
}

// The same steps without the window: storeNewCapture, writeBitmap, the
// converter library, QFile::remove.
void captureFiles(benchmark::State &state, QSize size, const CaptureFormat &format)
{
    const QImage &image = screenshot(size);
    const QTemporaryDir dir;
    LibraryConverters &converters = converterLibraries();
    qint64 fileSize = 0;
    for (auto _ : state) {
        QString path;
        try {
            path = capturePicture(image, dir.path(), QStringLiteral("OFFICE-PC"), format.format,
                                  converters);
        } catch (const Failure &failure) {
            state.SkipWithError(qPrintable(failure.description()));
            break;
        }
        state.PauseTiming();
        fileSize = checkAndClear(state, format, path);
        if (fileSize < 0)
            break;
        state.ResumeTiming();
    }
    state.counters["file_KiB"] = double(fileSize) / 1024;
}

// The converter alone, on the bitmap the capture path writes: what the path
// adds besides it is the bitmap and its removal.
void conversion(benchmark::State &state, QSize size, const CaptureFormat &format)
{
    const QTemporaryDir dir;
    QString bitmap;
    try {
        bitmap = capturePicture(screenshot(size), dir.path(), QStringLiteral("OFFICE-PC"),
                                pictureFormatFor(PictureType::Bmp), converterLibraries());
    } catch (const Failure &failure) {
        state.SkipWithError(qPrintable(failure.description()));
        return;
    }
    const QString destination =
        dir.filePath(QStringLiteral("OFFICE-PC001") + format.format.extension);
    LibraryConverters &converters = converterLibraries();
    const auto convert = [&] {
        return format.format.converter == PictureFormat::Converter::Jpeg
                   ? converters.BmpToJpeg(bitmap, destination, format.format.option)
                   : converters.BmpToPng(bitmap, destination, format.format.option);
    };
    // What is timed must be right: the bitmap holds the picture, the PNG
    // holds it exactly, the JPEG has its size.
    const QImage &picture = screenshot(size);
    if (QImage(bitmap, "BMP").convertToFormat(QImage::Format_RGB32) != picture) {
        state.SkipWithError("the bitmap does not hold the picture");
        return;
    }
    const QImage converted = convert() == 1 ? QImage(destination) : QImage();
    const bool exact = format.format.converter == PictureFormat::Converter::Png;
    if (converted.size() != picture.size() ||
        (exact && converted.convertToFormat(QImage::Format_RGB32) != picture)) {
        state.SkipWithError("the converted file does not hold the picture");
        return;
    }
    QFile::remove(destination);
    qint64 fileSize = 0;
    for (auto _ : state) {
        const int result = convert();
        state.PauseTiming();
        if (result != 1) {
            state.SkipWithError("the conversion failed");
            break;
        }
        fileSize = QFileInfo(destination).size();
        QFile::remove(destination);
        state.ResumeTiming();
    }
    state.counters["file_KiB"] = double(fileSize) / 1024;
}

} // namespace

benchmark::internal::Benchmark *timed(benchmark::internal::Benchmark *benchmark)
{
    return benchmark->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
}

QString benchmarkName(const CaptureFormat &format, QSize size, const QString &what)
{
    return format.fileType + QLatin1Char('/') + sizeName(size) + QLatin1Char('/') + what;
}

void registerCaptureBenchmarks(QSize size, const CaptureFormat &format)
{
    timed(benchmark::RegisterBenchmark(
        benchmarkName(format, size, QStringLiteral("window")).toStdString().c_str(),
        [size, format](benchmark::State &state) { captureThroughWindow(state, size, format); }));
    timed(benchmark::RegisterBenchmark(
        benchmarkName(format, size, QStringLiteral("files")).toStdString().c_str(),
        [size, format](benchmark::State &state) { captureFiles(state, size, format); }));
    if (format.format.converter == PictureFormat::Converter::None)
        return;
    timed(benchmark::RegisterBenchmark(
        benchmarkName(format, size, QStringLiteral("conversion")).toStdString().c_str(),
        [size, format](benchmark::State &state) { conversion(state, size, format); }));
}

} // namespace snagwell::bench
