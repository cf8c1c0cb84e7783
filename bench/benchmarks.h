#pragma once

#include <QSize>
#include <QString>
#include <QStringList>

namespace benchmark::internal {
class Benchmark;
}

namespace snagwell::bench {

struct CaptureFormat;

// Milliseconds of wall time, and the CPU time of the whole process: Qt
// converts large pictures on several threads.
benchmark::internal::Benchmark *timed(benchmark::internal::Benchmark *benchmark);

// Names are "<format>/<size>/<what>", so that a picture's rivals stand next
// to each other in the output and in the results table.
QString benchmarkName(const CaptureFormat &format, QSize size, const QString &what);

// The capture path through the settings window ("window") and through the
// capture functions alone ("files").
void registerCaptureBenchmarks(QSize size, const CaptureFormat &format);
// The limit ("in-memory": the encoder alone, from memory to memory) and the
// peer ("QImageWriter": what Qt's own writer takes for the same file).
void registerEncoderBenchmarks(QSize size, const CaptureFormat &format);
// A text capture into a folder that holds 999 captures.
void registerTextBenchmarks();
// Peak memory of one conversion and of one capture, in a fresh process.
void registerMemoryBenchmarks();
// A 4K PNG conversion as a whole process, PngSaver against a Qt program
// doing the same, on a screenshot-like and on a photo-like picture.
void registerProcessBenchmarks();
// "png-process/<picture> 3840x2160/<writer>", the writer "PngSaver" or
// "QImageWriter"; the pictures are "screenshot" and "photo".
QString processBenchmarkName(const QString &picture, const char *writer);
QStringList processPictureNames();

// What the PNG peer is asked for: the smallest QImageWriter compression
// that makes Qt's PNG writer use this zlib level, found by recompressing
// what Qt writes (see qtpngcompression.cpp); -1 when none does.
int qtPngCompressionFor(int zlibLevel);
// "0-10: 0, 11-20: 1, ..." for the run's context.
QString qtPngCompressionTable();

} // namespace snagwell::bench
