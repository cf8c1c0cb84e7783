// A text file as the browser's preview shows it: the CP932 decoder (iconv),
// the UTF-8 byte order mark and the line ends; and a text capture written
// by the program reads back as what was captured.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <QByteArray>
#include <QString>

#include "core/ansicodepage.h"
#include "core/preview.h"

namespace {

[[noreturn]] void broken(const char *what, const QString &detail = QString())
{
    std::fprintf(stderr, "==snagwell-fuzz== broken promise: %s %s\n", what,
                 detail.toUtf8().constData());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QString decoded = snagwell::decodeFileText(bytes);
    if (!bytes.startsWith(snagwell::utf8Bom) && decoded != snagwell::fromCp932(bytes))
        broken("a file without a byte order mark is not read as CP932");

    const QString shown = snagwell::previewText(bytes);
    // Every line ends in CR LF, and no CR stands anywhere else.
    if (!shown.isEmpty() && !shown.endsWith(QLatin1String("\r\n")))
        broken("the preview's last line has no CR LF");
    for (qsizetype i = 0; i < shown.size(); ++i) {
        if (shown[i] == QLatin1Char('\r') &&
            (i + 1 == shown.size() || shown[i + 1] != QLatin1Char('\n')))
            broken("a CR without its LF in the preview");
    }
    // The preview drops nothing but line ends.
    QString kept = decoded;
    kept.remove(QLatin1Char('\r'));
    QString shownKept = shown;
    shownKept.remove(QLatin1Char('\r'));
    if (kept.count(QLatin1Char('\n')) > shownKept.count(QLatin1Char('\n')))
        broken("the preview lost a line feed");

    // A capture of the decoded text, written as the program writes text
    // files, shows the same characters again.
    const QByteArray written = snagwell::encodeFileText(decoded);
    if (snagwell::decodeFileText(written) != decoded)
        broken("a text changed on its way through a file:", decoded);
    return 0;
}
