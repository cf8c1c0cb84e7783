// Peak memory of converting a 4K capture: a conversion must never hold more
// than two copies of the picture. Measured in a fresh child process each.

#include "benchmarks.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTemporaryDir>

#include "app/bitmapwriter.h"
#include "benchsupport.h"

namespace snagwell::bench {

namespace {

const QSize largest(3840, 2160);

// Runs the helper; answers the peak increase in bytes, or -1.
double peakIncrease(benchmark::State &state, const QStringList &arguments)
{
    QProcess helper;
    helper.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    helper.start(QCoreApplication::applicationDirPath() + QStringLiteral("/snagwell_peakrss"),
                 arguments);
    if (!helper.waitForFinished(300000) || helper.exitStatus() != QProcess::NormalExit ||
        helper.exitCode() != 0) {
        state.SkipWithError("the measuring process failed");
        return -1;
    }
    static const QRegularExpression figures(QStringLiteral("before_kib=(\\d+) peak_kib=(\\d+)"));
    const QRegularExpressionMatch match =
        figures.match(QString::fromLatin1(helper.readAllStandardOutput()));
    if (!match.hasMatch()) {
        state.SkipWithError("the measuring process said nothing");
        return -1;
    }
    return (match.captured(2).toDouble() - match.captured(1).toDouble()) * 1024;
}

void report(benchmark::State &state, double increase)
{
    state.counters["peak_MiB"] = increase / (1024 * 1024);
    state.counters["x_picture"] = increase / pictureBytes(largest);
}

// The converter alone on a bitmap the capture path wrote.
void conversionPeak(benchmark::State &state, const CaptureFormat &format)
{
    const QTemporaryDir dir;
    const QString bitmap = dir.filePath(QStringLiteral("OFFICE-PC001.bmp"));
    QSaveFile file(bitmap);
    if (!file.open(QIODevice::WriteOnly)) {
        state.SkipWithError("cannot write the bitmap");
        return;
    }
    writeBitmap(file, screenshot(largest));
    file.commit();
    const bool jpeg = format.format.converter == PictureFormat::Converter::Jpeg;
    const QString library =
        QCoreApplication::applicationDirPath() +
        (jpeg ? QStringLiteral("/libJpegSaver.so") : QStringLiteral("/libPngSaver.so"));
    double increase = -1;
    for (auto _ : state) {
        const QString destination =
            dir.filePath(QStringLiteral("OFFICE-PC001") + format.format.extension);
        QFile::remove(destination);
        increase =
            peakIncrease(state, {QStringLiteral("convert"), library,
                                 jpeg ? QStringLiteral("BmpToJpeg") : QStringLiteral("BmpToPng"),
                                 bitmap, destination, format.format.option});
        if (increase < 0)
            break;
    }
    if (increase >= 0)
        report(state, increase);
}

// storeNewCapture, writeBitmap, the converter and the bitmap's removal with
// the picture held in memory, as the settings window holds it.
void capturePeak(benchmark::State &state, const CaptureFormat &format)
{
    double increase = -1;
    for (auto _ : state) {
        const QTemporaryDir dir;
        increase =
            peakIncrease(state, {QStringLiteral("capture"), QCoreApplication::applicationDirPath(),
                                 QString::number(largest.width()),
                                 QString::number(largest.height()), format.fileType, dir.path()});
        if (increase < 0)
            break;
    }
    if (increase >= 0)
        report(state, increase);
}

} // namespace

void registerMemoryBenchmarks()
{
    for (const CaptureFormat &format : captureFormats()) {
        const QString prefix = QStringLiteral("peak-memory/") + format.fileType + QLatin1Char('/') +
                               sizeName(largest) + QLatin1Char('/');
        if (format.format.converter != PictureFormat::Converter::None) {
            benchmark::RegisterBenchmark(
                (prefix + QStringLiteral("conversion")).toStdString().c_str(),
                [format](benchmark::State &s) { conversionPeak(s, format); })
                ->Iterations(1)
                ->Repetitions(1)
                ->Unit(benchmark::kMillisecond);
        }
        benchmark::RegisterBenchmark((prefix + QStringLiteral("capture")).toStdString().c_str(),
                                     [format](benchmark::State &s) { capturePeak(s, format); })
            ->Iterations(1)
            ->Repetitions(1)
            ->Unit(benchmark::kMillisecond);
    }
}

} // namespace snagwell::bench
