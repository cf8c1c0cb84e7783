#pragma once

#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include <QString>
#include <QStringList>

namespace snagwell::bench {

// Prints the runs as the console reporter does and keeps each benchmark's
// median (or single) run, to put rivals side by side with their ratios.
class ResultsTable final : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override;
    // The tables in Markdown: the picture capture path against its limit and
    // its peer, the text capture, the peak memory.
    QString markdown() const;

private:
    enum class Clock { Wall, Cpu };
    struct Figure
    {
        double wallMilliseconds = 0;
        double cpuMilliseconds = 0;
        std::map<std::string, double> counters;
        QString error;
    };
    const Figure *find(const QString &name) const;
    static double time(const Figure &figure, Clock clock);
    QString milliseconds(const QString &name, Clock clock) const;
    QString ratio(const QString &numerator, const QString &denominator, Clock clock) const;
    QStringList pictureTable(Clock clock) const;
    QString counter(const QString &name, const std::string &counter, int decimals) const;

    std::map<QString, Figure> m_figures;
};

} // namespace snagwell::bench
