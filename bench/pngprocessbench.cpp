// The PNG conversion of a 4K capture as a whole process, PngSaver against a
// Qt program that reads the same bitmap and writes it with QImageWriter at
// the same zlib level: start, loading, reading, encoding, writing, exit.

#include "benchmarks.h"

#include <chrono>
#include <map>
#include <memory>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSaveFile>
#include <QTemporaryDir>

#include "app/bitmapwriter.h"
#include "benchsupport.h"
#include "screenshot.h"

extern char **environ;

namespace snagwell::bench {

namespace {

const QSize largest(3840, 2160);

struct Picture
{
    const char *name;
    QImage (*make)(QSize);
};

const Picture pictures[] = {{"screenshot", screenshotLikePicture}, {"photo", photoLikePicture}};

QTemporaryDir &workFolder()
{
    static QTemporaryDir dir;
    return dir;
}

// The picture as the capture path writes it, made once per run.
QString bitmapOf(const Picture &picture)
{
    static std::map<QString, QString> made;
    const QString name = QString::fromLatin1(picture.name);
    QString &path = made[name];
    if (path.isEmpty()) {
        path = workFolder().filePath(name + QStringLiteral(".bmp"));
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return {};
        writeBitmap(file, picture.make(largest));
        if (!file.commit())
            return {};
    }
    return path;
}

struct Outcome
{
    bool succeeded = false;
    double wallSeconds = 0;
    double cpuSeconds = 0;
    QByteArray output;
};

// Runs the program with its output into a file, timed from the start of the
// process to the end of its exit.
Outcome runProcess(const QStringList &arguments)
{
    const QString outputPath = workFolder().filePath(QStringLiteral("output.txt"));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const QByteArray outputName = QFile::encodeName(outputPath);
    posix_spawn_file_actions_addopen(&actions, 1, outputName.constData(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const std::unique_ptr<posix_spawn_file_actions_t, int (*)(posix_spawn_file_actions_t *)>
        cleanup(&actions, posix_spawn_file_actions_destroy);
    std::vector<QByteArray> bytes;
    for (const QString &argument : arguments)
        bytes.push_back(QFile::encodeName(argument));
    std::vector<char *> argv;
    for (QByteArray &argument : bytes)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    Outcome outcome;
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    if (posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        return outcome;
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child)
        return outcome;
    outcome.wallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const auto seconds = [](const timeval &time) { return time.tv_sec + time.tv_usec * 1e-6; };
    outcome.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    outcome.succeeded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    QFile output(outputPath);
    if (output.open(QIODevice::ReadOnly))
        outcome.output = output.readAll();
    return outcome;
}

enum class Writer { PngSaver, QImageWriter };

void conversionProcess(benchmark::State &state, const Picture &picture, Writer writer)
{
    const QString bitmap = bitmapOf(picture);
    if (bitmap.isEmpty()) {
        state.SkipWithError("cannot write the bitmap");
        return;
    }
    const QString folder = QCoreApplication::applicationDirPath();
    const QString destination = workFolder().filePath(
        QString::fromLatin1(picture.name) +
        (writer == Writer::PngSaver ? QStringLiteral("-saver.png") : QStringLiteral("-qt.png")));
    const QStringList arguments =
        writer == Writer::PngSaver
            ? QStringList{folder + QStringLiteral("/snagwell_pngsaver_job"), bitmap, destination,
                          QStringLiteral("ac3")}
            : QStringList{folder + QStringLiteral("/snagwell_qtpng_job"), bitmap, destination,
                          QString::number(qtPngCompressionFor(3))};
    double cpuSeconds = 0;
    double writeSeconds = 0;
    for (auto _ : state) {
        QFile::remove(destination);
        const Outcome outcome = runProcess(arguments);
        if (!outcome.succeeded) {
            state.SkipWithError("the conversion process failed");
            return;
        }
        state.SetIterationTime(outcome.wallSeconds);
        cpuSeconds += outcome.cpuSeconds;
        const QByteArray label = "write_seconds=";
        if (outcome.output.startsWith(label))
            writeSeconds += outcome.output.mid(label.size()).trimmed().toDouble();
    }
    // Both must hold the picture exactly, or the race means nothing.
    if (QImage(destination).convertToFormat(QImage::Format_RGB32) !=
        QImage(bitmap).convertToFormat(QImage::Format_RGB32)) {
        state.SkipWithError("the PNG does not hold the picture");
        return;
    }
    state.counters["process_CPU_ms"] =
        benchmark::Counter(cpuSeconds * 1e3, benchmark::Counter::kAvgIterations);
    if (writer == Writer::QImageWriter)
        state.counters["write_ms"] =
            benchmark::Counter(writeSeconds * 1e3, benchmark::Counter::kAvgIterations);
    state.counters["file_KiB"] = double(QFileInfo(destination).size()) / 1024;
}

} // namespace

QString processBenchmarkName(const QString &picture, const char *writer)
{
    return QStringLiteral("png-process/%1 %2/%3")
        .arg(picture, sizeName(largest), QString::fromLatin1(writer));
}

QStringList processPictureNames()
{
    QStringList names;
    for (const Picture &picture : pictures)
        names << QString::fromLatin1(picture.name);
    return names;
}

void registerProcessBenchmarks()
{
    for (const Picture &picture : pictures) {
        for (const Writer writer : {Writer::PngSaver, Writer::QImageWriter}) {
            const char *writerName = writer == Writer::PngSaver ? "PngSaver" : "QImageWriter";
            benchmark::RegisterBenchmark(
                processBenchmarkName(QString::fromLatin1(picture.name), writerName)
                    .toStdString()
                    .c_str(),
                [&picture, writer](benchmark::State &s) { conversionProcess(s, picture, writer); })
                ->UseManualTime()
                ->Iterations(3)
                ->Unit(benchmark::kMillisecond);
        }
    }
}

} // namespace snagwell::bench
