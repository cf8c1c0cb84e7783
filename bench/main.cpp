// Snagwell's capture-speed benchmark. Besides Google Benchmark's own flags:
//   --results_table=PATH   also write the Markdown tables to PATH.
// Without --benchmark_repetitions, each benchmark runs seven times, the runs
// of all benchmarks shuffled together so that other work on the machine
// falls on rivals alike, and the median is reported.

#include <cstdio>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <libdeflate.h>
#include <spng.h>
#include <turbojpeg.h>
#include <zlib.h>

#include <QApplication>
#include <QFile>
#include <QSaveFile>

#include "benchmarks.h"
#include "benchsupport.h"
#include "resultstable.h"

int main(int argc, char **argv)
{
    using namespace snagwell::bench;
    const std::string tableFlag = "--results_table=";
    std::string tablePath;
    std::vector<char *> arguments;
    bool repetitionsGiven = false;
    for (int i = 0; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument.rfind(tableFlag, 0) == 0) {
            tablePath = argument.substr(tableFlag.size());
            continue;
        }
        repetitionsGiven = repetitionsGiven || argument.rfind("--benchmark_repetitions", 0) == 0;
        arguments.push_back(argv[i]);
    }
    std::string repetitions = "--benchmark_repetitions=7";
    std::string aggregatesOnly = "--benchmark_report_aggregates_only=true";
    std::string interleaving = "--benchmark_enable_random_interleaving=true";
    if (!repetitionsGiven) {
        arguments.push_back(repetitions.data());
        arguments.push_back(aggregatesOnly.data());
        arguments.push_back(interleaving.data());
    }
    int count = static_cast<int>(arguments.size());
    arguments.push_back(nullptr);
    benchmark::Initialize(&count, arguments.data());
    if (benchmark::ReportUnrecognizedArguments(count, arguments.data()))
        return 1;

    // The settings window is built but never shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(count, arguments.data());

    benchmark::AddCustomContext("Qt", qVersion());
    benchmark::AddCustomContext("libspng", spng_version_string());
    benchmark::AddCustomContext("zlib", zlibVersion());
    benchmark::AddCustomContext("libdeflate", LIBDEFLATE_VERSION_STRING);
    benchmark::AddCustomContext("Qt PNG compression -> zlib level",
                                qtPngCompressionTable().toStdString());

    for (const CaptureFormat &format : captureFormats()) {
        for (const QSize size : pictureSizes()) {
            registerCaptureBenchmarks(size, format);
            registerEncoderBenchmarks(size, format);
        }
    }
    registerTextBenchmarks();
    registerMemoryBenchmarks();
    registerProcessBenchmarks();

    ResultsTable table;
    benchmark::RunSpecifiedBenchmarks(&table);
    const QString markdown = table.markdown();
    std::fputs((QLatin1Char('\n') + markdown).toUtf8().constData(), stdout);
    if (!tablePath.empty()) {
        QSaveFile file(QFile::decodeName(tablePath.c_str()));
        if (!file.open(QIODevice::WriteOnly) || file.write(markdown.toUtf8()) < 0 ||
            !file.commit()) {
            std::fprintf(stderr, "cannot write %s\n", tablePath.c_str());
            return 1;
        }
    }
    benchmark::Shutdown();
    return 0;
}
