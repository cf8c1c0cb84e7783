// Measures how much memory one conversion, or one whole picture capture,
// adds to a fresh process at its peak. Run by the benchmark as a child, so
// that nothing the benchmark itself allocated blurs the figure.
//
//   snagwell_peakrss convert LIBRARY FUNCTION BITMAP DESTINATION OPTION
//   snagwell_peakrss capture CONVERTER_FOLDER WIDTH HEIGHT FILE_TYPE FOLDER
//
// Prints "before_kib=B peak_kib=P": the resident size before the step and
// the highest it reached during it. Exits with 1 when the step failed.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include <dlfcn.h>
#include <malloc.h>

#include <QGuiApplication>
#include <QString>

#include "benchsupport.h"
#include "bmpconverter.h"
#include "core/failure.h"
#include "screenshot.h"

namespace {

long statusKib(const char *field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::size_t length = std::strlen(field);
    while (std::getline(status, line)) {
        if (line.compare(0, length, field) == 0 && line.size() > length && line[length] == ':')
            return std::strtol(line.c_str() + length + 1, nullptr, 10);
    }
    return -1;
}

// Starts the peak afresh at the present size (Linux 4.0 and later); where
// that is refused, the peak so far stands and is reported as the baseline.
long startMeasuring()
{
    std::ofstream("/proc/self/clear_refs") << "5";
    const long now = statusKib("VmRSS");
    const long peak = statusKib("VmHWM");
    return peak > now ? peak : now;
}

int report(long before, bool succeeded)
{
    std::printf("before_kib=%ld peak_kib=%ld\n", before, statusKib("VmHWM"));
    return succeeded ? 0 : 1;
}

int convert(char **args)
{
    void *library = ::dlopen(args[0], RTLD_NOW | RTLD_LOCAL);
    auto *function = library == nullptr
                         ? nullptr
                         : reinterpret_cast<snagwell::ConverterFunction>(::dlsym(library, args[1]));
    if (function == nullptr) {
        std::fprintf(stderr, "cannot load %s from %s\n", args[1], args[0]);
        return 2;
    }
    const long before = startMeasuring();
    return report(before, function(args[2], args[3], args[4]) == 1);
}

int capture(int argc, char **argv, char **args)
{
    QGuiApplication application(argc, argv);
    using namespace snagwell;
    LibraryConverters converters(QString::fromLocal8Bit(args[0]));
    const QSize size(std::atoi(args[1]), std::atoi(args[2]));
    const bench::CaptureFormat *format = bench::captureFormatNamed(QString::fromLocal8Bit(args[3]));
    if (format == nullptr) {
        std::fprintf(stderr, "unknown file type %s\n", args[3]);
        return 2;
    }
    const QImage picture = bench::screenshotLikePicture(size);
    // Load both libraries before measuring: a missing source converts nothing.
    const QString missing = QString::fromLocal8Bit(args[4]) + QStringLiteral("/missing");
    converters.BmpToJpeg(missing + QStringLiteral(".bmp"), missing + QStringLiteral(".jpg"),
                         QStringLiteral("q95"));
    converters.BmpToPng(missing + QStringLiteral(".bmp"), missing + QStringLiteral(".png"),
                        QStringLiteral("ac3"));
    const long before = startMeasuring();
    QString path;
    try {
        path = bench::capturePicture(picture, QString::fromLocal8Bit(args[4]),
                                     QStringLiteral("OFFICE-PC"), format->format, converters);
    } catch (const Failure &failure) {
        std::fprintf(stderr, "%s\n", qPrintable(failure.description()));
    }
    return report(before, !path.isEmpty());
}

} // namespace

int main(int argc, char **argv)
{
    // Large blocks come from and go back to the system at once: a block freed
    // before the measurement must not be reused unseen during it.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    if (argc == 7 && std::strcmp(argv[1], "convert") == 0)
        return convert(argv + 2);
    if (argc == 7 && std::strcmp(argv[1], "capture") == 0)
        return capture(argc, argv, argv + 2);
    std::fprintf(stderr,
                 "usage: %s convert LIBRARY FUNCTION BITMAP DESTINATION OPTION\n"
                 "       %s capture CONVERTER_FOLDER WIDTH HEIGHT FILE_TYPE FOLDER\n",
                 argv[0], argv[0]);
    return 2;
}
