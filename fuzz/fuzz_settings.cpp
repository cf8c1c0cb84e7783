// The settings file's whole read path: readSettingsLines on the file, then
// what the settings window makes of the twelve lines when it starts (the
// number lines, the registered names and the chosen name's index), and the
// promise that what the program writes it reads back unchanged.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "app/failure.h"
#include "app/settingsfile.h"
#include "fuzzinput.h"

namespace {

[[noreturn]] void broken(const char *what, const QString &detail = QString())
{
    std::fprintf(stderr, "==snagwell-fuzz== broken promise: %s %s\n", what,
                 detail.toUtf8().constData());
    std::abort();
}

snagwell::fuzz::InputFile &input()
{
    static snagwell::fuzz::InputFile file;
    return file;
}

// The lines whose values are numbers: the two check boxes, the registered
// name's index and the screen-capture check box.
constexpr int numberLines[] = {1, 2, 5, 9};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    input().assign(data, size);
    QStringList lines;
    try {
        lines = snagwell::readSettingsLines(QString::fromUtf8(input().path()));
    } catch (const snagwell::Failure &failure) {
        broken("an ordinary file could not be read:", failure.description());
    }
    if (lines.size() != snagwell::settingsLineCount)
        broken("not twelve lines");
    if (lines != snagwell::splitSettingsLines(
                     QByteArray::fromRawData(reinterpret_cast<const char *>(data),
                                             static_cast<qsizetype>(size))))
        broken("reading the file and splitting its bytes differ");

    for (const int at : numberLines) {
        const QString &line = lines[at];
        if (line.contains(QLatin1Char('\r')))
            broken("a line holds a CR");
        if (const std::optional<qint16> value = snagwell::parseNumberLine(line)) {
            // What the program writes for the value reads as the same value.
            if (snagwell::parseNumberLine(snagwell::formatPrintNumber(*value)) != value)
                broken("a number does not survive writing:", line);
        }
    }
    const QStringList names = snagwell::SplitRegisteredNames(lines[4]);
    if (names.isEmpty() || snagwell::JoinRegisteredNames(names) != lines[4])
        broken("the registered names do not join back into their line:", lines[4]);

    // Saving what was read and reading it again gives the same lines, the
    // characters the file's code page cannot hold included.
    const QByteArray written = snagwell::composeSettingsFile(lines);
    const QStringList reread = snagwell::splitSettingsLines(written);
    if (reread != lines) {
        for (int i = 0; i < snagwell::settingsLineCount; ++i) {
            if (reread[i] != lines[i])
                broken("a line changed on its way through the file:",
                       QStringLiteral("line %1: %2 -> %3")
                           .arg(i + 1)
                           .arg(lines[i], reread[i]));
        }
    }
    return 0;
}
