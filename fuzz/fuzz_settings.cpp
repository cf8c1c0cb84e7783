// The settings file's whole read path: readSettingsLines on the file, then
// what readSettings makes of the twelve lines when the program starts (the
// number lines, the registered names and the chosen name's index), and the
// promise that what the program writes it reads back unchanged.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "core/failure.h"
#include "core/numbers.h"
#include "core/settingsfile.h"
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
    if (lines != snagwell::splitSettingsLines(QByteArray::fromRawData(
                     reinterpret_cast<const char *>(data), static_cast<qsizetype>(size))))
        broken("reading the file and splitting its bytes differ");

    for (const int at : numberLines) {
        const QString &line = lines[at];
        if (line.contains(QLatin1Char('\r')))
            broken("a line holds a CR");
        const std::optional<int> value = snagwell::readNumber(line);
        if (value && *value >= -32768 && *value <= 32767) {
            // What the program writes for the value reads as the same value.
            if (snagwell::readNumber(snagwell::formatNumberLine(qint16(*value))) != value)
                broken("a number does not survive writing:", line);
        }
    }
    const QStringList names = snagwell::splitRegisteredNames(lines[4]);
    if (names.isEmpty() || snagwell::joinRegisteredNames(names) != lines[4])
        broken("the registered names do not join back into their line:", lines[4]);

    // Saving what was read and reading it again gives the same settings, and
    // the lines kept as text (the folder, the printer, the button window's
    // place) come back as they were, the characters the file's code page
    // cannot hold included.
    snagwell::Settings settings;
    snagwell::readSettings(lines, settings);
    const QByteArray written = snagwell::settingsFileBytes(lines[0], settings);
    const QStringList reread = snagwell::splitSettingsLines(written);
    for (const int at : {0, 8, 10, 11}) {
        if (reread[at] != lines[at])
            broken("a line changed on its way through the file:",
                   QStringLiteral("line %1: %2 -> %3").arg(at + 1).arg(lines[at], reread[at]));
    }
    snagwell::Settings again;
    snagwell::readSettings(reread, again);
    if (!(again == settings))
        broken("the settings changed on their way through the file");
    return 0;
}
