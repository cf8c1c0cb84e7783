#include "resultstable.h"

#include <QStringList>

#include "benchmarks.h"
#include "benchsupport.h"

namespace snagwell::bench {

void ResultsTable::ReportRuns(const std::vector<Run> &runs)
{
    ConsoleReporter::ReportRuns(runs);
    for (const Run &run : runs) {
        const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
        const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
        if (!median && !single)
            continue;
        Figure figure;
        const double toMilliseconds = 1e3 / benchmark::GetTimeUnitMultiplier(run.time_unit);
        figure.wallMilliseconds = run.GetAdjustedRealTime() * toMilliseconds;
        figure.cpuMilliseconds = run.GetAdjustedCPUTime() * toMilliseconds;
        for (const auto &[name, value] : run.counters)
            figure.counters[name] = value.value;
        if (run.error_occurred)
            figure.error = QString::fromStdString(run.error_message);
        m_figures[QString::fromStdString(run.run_name.function_name)] = figure;
    }
}

const ResultsTable::Figure *ResultsTable::find(const QString &name) const
{
    const auto found = m_figures.find(name);
    return found == m_figures.end() || !found->second.error.isEmpty() ? nullptr : &found->second;
}

double ResultsTable::time(const Figure &figure, Clock clock)
{
    return clock == Clock::Wall ? figure.wallMilliseconds : figure.cpuMilliseconds;
}

QString ResultsTable::milliseconds(const QString &name, Clock clock) const
{
    const Figure *figure = find(name);
    if (figure == nullptr)
        return QStringLiteral("—");
    const double value = time(*figure, clock);
    return QString::number(value, 'f', value < 10 ? 2 : 1);
}

QString ResultsTable::ratio(const QString &numerator, const QString &denominator, Clock clock) const
{
    const Figure *top = find(numerator);
    const Figure *bottom = find(denominator);
    if (top == nullptr || bottom == nullptr || time(*bottom, clock) <= 0)
        return QStringLiteral("—");
    return QString::number(time(*top, clock) / time(*bottom, clock), 'f', 2);
}

QString ResultsTable::counter(const QString &name, const std::string &counter, int decimals) const
{
    const Figure *figure = find(name);
    if (figure == nullptr || figure->counters.count(counter) == 0)
        return QStringLiteral("—");
    return QString::number(figure->counters.at(counter), 'f', decimals);
}

QStringList ResultsTable::pictureTable(Clock clock) const
{
    QStringList lines;
    lines << QStringLiteral("| format | picture | window | files | conversion | in-memory | "
                            "QImageWriter | files ÷ in-memory | window ÷ in-memory | "
                            "files ÷ QImageWriter | window ÷ QImageWriter |")
          << QStringLiteral("|---|---|--:|--:|--:|--:|--:|--:|--:|--:|--:|");
    for (const CaptureFormat &format : captureFormats()) {
        for (const QSize size : pictureSizes()) {
            const auto name = [&](const char *what) {
                return benchmarkName(format, size, QString::fromLatin1(what));
            };
            lines << QStringLiteral("| %1 | %2 | %3 | %4 | %5 | %6 | %7 | %8 | %9 | %10 | %11 |")
                         .arg(format.fileType, sizeName(size), milliseconds(name("window"), clock),
                              milliseconds(name("files"), clock),
                              milliseconds(name("conversion"), clock),
                              milliseconds(name("in-memory"), clock),
                              milliseconds(name("QImageWriter"), clock),
                              ratio(name("files"), name("in-memory"), clock),
                              ratio(name("window"), name("in-memory"), clock))
                         .arg(ratio(name("files"), name("QImageWriter"), clock),
                              ratio(name("window"), name("QImageWriter"), clock));
        }
    }
    return lines;
}

QString ResultsTable::markdown() const
{
    QStringList lines;
    lines << QStringLiteral("Picture capture, median wall time in ms a capture; ratios below 1 "
                            "mean the capture path is faster:")
          << QString() << pictureTable(Clock::Wall) << QString()
          << QStringLiteral(
                 "The same in CPU time of the whole process (all threads, user and system) in "
                 "ms, which other programs on the machine disturb less:")
          << QString() << pictureTable(Clock::Cpu) << QString()
          << QStringLiteral("File sizes in KiB:") << QString()
          << QStringLiteral("| format | picture | capture path | in-memory | QImageWriter |")
          << QStringLiteral("|---|---|--:|--:|--:|");
    for (const CaptureFormat &format : captureFormats()) {
        for (const QSize size : pictureSizes()) {
            const auto name = [&](const char *what) {
                return benchmarkName(format, size, QString::fromLatin1(what));
            };
            lines << QStringLiteral("| %1 | %2 | %3 | %4 | %5 |")
                         .arg(format.fileType, sizeName(size),
                              counter(name("files"), "file_KiB", 0),
                              counter(name("in-memory"), "file_KiB", 0),
                              counter(name("QImageWriter"), "file_KiB", 0));
        }
    }
    lines << QString()
          << QStringLiteral("QImageWriter cannot be asked for full colour resolution: its "
                            "JPEG at quality 95 is 4:2:0. The encoder doing the same, ms:")
          << QString()
          << QStringLiteral("| picture | clock | in-memory 4:4:4 | in-memory 4:2:0 | "
                            "QImageWriter (4:2:0) |")
          << QStringLiteral("|---|---|--:|--:|--:|");
    for (const CaptureFormat &format : captureFormats()) {
        if (!format.fullChroma)
            continue;
        for (const QSize size : pictureSizes()) {
            const auto name = [&](const char *what) {
                return benchmarkName(format, size, QString::fromLatin1(what));
            };
            for (const Clock clock : {Clock::Wall, Clock::Cpu}) {
                lines << QStringLiteral("| %1 | %2 | %3 | %4 | %5 |")
                             .arg(sizeName(size),
                                  clock == Clock::Wall ? QStringLiteral("wall")
                                                       : QStringLiteral("CPU"),
                                  milliseconds(name("in-memory"), clock),
                                  milliseconds(name("in-memory 4:2:0"), clock),
                                  milliseconds(name("QImageWriter"), clock));
            }
        }
    }
    lines << QString() << QStringLiteral("Text capture into a folder holding 999 captures:")
          << QString() << QStringLiteral("| step | wall ms | CPU ms |")
          << QStringLiteral("|---|--:|--:|");
    for (const char *what : {"window", "files", "naming", "one listing", "file list"}) {
        const QString name = QStringLiteral("text/999 captures/") + QString::fromLatin1(what);
        lines << QStringLiteral("| %1 | %2 | %3 |")
                     .arg(QString::fromLatin1(what), milliseconds(name, Clock::Wall),
                          milliseconds(name, Clock::Cpu));
    }
    lines << QString()
          << QStringLiteral("Peak resident memory added by one step on the 3840x2160 picture "
                            "(one picture = 3840 × 2160 × 4 bytes = 31.6 MiB):")
          << QString() << QStringLiteral("| format | step | MiB | × picture |")
          << QStringLiteral("|---|---|--:|--:|");
    for (const CaptureFormat &format : captureFormats()) {
        for (const char *what : {"conversion", "capture"}) {
            const QString name = QStringLiteral("peak-memory/") + format.fileType +
                                 QStringLiteral("/3840x2160/") + QString::fromLatin1(what);
            if (m_figures.count(name) == 0)
                continue;
            lines << QStringLiteral("| %1 | %2 | %3 | %4 |")
                         .arg(format.fileType, QString::fromLatin1(what),
                              counter(name, "peak_MiB", 1), counter(name, "x_picture", 2));
        }
    }
    lines << QString()
          << QStringLiteral("PNG conversion of a 3840x2160 bitmap as a whole process (start to "
                            "exit), PngSaver (\"ac3\") against a Qt program reading the bitmap "
                            "and writing it with QImageWriter at zlib level 3; median wall time "
                            "and mean CPU time of the process in ms, the mean time of "
                            "QImageWriter::write alone (what a Qt program holding the picture "
                            "pays), file sizes in KiB:")
          << QString()
          << QStringLiteral("| picture | PngSaver wall | Qt wall | ratio | Qt write alone | "
                            "ratio to the write | PngSaver CPU | Qt CPU | PngSaver KiB | Qt KiB "
                            "| size ratio |")
          << QStringLiteral("|---|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|");
    for (const QString &picture : processPictureNames()) {
        const QString saver = processBenchmarkName(picture, "PngSaver");
        const QString qt = processBenchmarkName(picture, "QImageWriter");
        const Figure *saverFigure = find(saver);
        const Figure *qtFigure = find(qt);
        QString sizeRatio = QStringLiteral("—");
        if (saverFigure != nullptr && qtFigure != nullptr &&
            saverFigure->counters.count("file_KiB") != 0 &&
            qtFigure->counters.count("file_KiB") != 0 && qtFigure->counters.at("file_KiB") > 0)
            sizeRatio = QString::number(
                saverFigure->counters.at("file_KiB") / qtFigure->counters.at("file_KiB"), 'f', 3);
        QString writeRatio = QStringLiteral("—");
        if (saverFigure != nullptr && qtFigure != nullptr &&
            qtFigure->counters.count("write_ms") != 0 && qtFigure->counters.at("write_ms") > 0)
            writeRatio = QString::number(
                saverFigure->wallMilliseconds / qtFigure->counters.at("write_ms"), 'f', 2);
        lines << QStringLiteral("| %1 | %2 | %3 | %4 | %5 | %6 | %7 | %8 | %9 | %10 | %11 |")
                     .arg(picture, milliseconds(saver, Clock::Wall), milliseconds(qt, Clock::Wall),
                          ratio(saver, qt, Clock::Wall), counter(qt, "write_ms", 1), writeRatio,
                          counter(saver, "process_CPU_ms", 1), counter(qt, "process_CPU_ms", 1),
                          counter(saver, "file_KiB", 0))
                     .arg(counter(qt, "file_KiB", 0), sizeRatio);
    }
    QStringList failed;
    for (const auto &[name, figure] : m_figures) {
        if (!figure.error.isEmpty())
            failed << QStringLiteral("- %1: %2").arg(name, figure.error);
    }
    if (!failed.isEmpty())
        lines << QString() << QStringLiteral("Failed:") << failed;
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

} // namespace snagwell::bench
