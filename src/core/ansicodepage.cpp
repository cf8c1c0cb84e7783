#include "core/ansicodepage.h"

#include <cerrno>

#include <iconv.h>

#include <QStringDecoder>

namespace snagwell {
namespace {

class Converter
{
public:
    Converter(const char *to, const char *from) : m_cd(iconv_open(to, from)) {}
    ~Converter()
    {
        if (valid())
            iconv_close(m_cd);
    }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;
    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t handle() const { return m_cd; }

private:
    iconv_t m_cd;
};

} // namespace

std::optional<QByteArray> toCp932(const QString &text)
{
    if (text.isEmpty())
        return QByteArray();
    const QByteArray utf8 = text.toUtf8();
    Converter converter("CP932", "UTF-8");
    if (!converter.valid())
        return std::nullopt;
    QByteArray out(utf8.size() * 2 + 16, '\0');
    char *in = const_cast<char *>(utf8.constData());
    size_t inLeft = static_cast<size_t>(utf8.size());
    char *outPtr = out.data();
    size_t outLeft = static_cast<size_t>(out.size());
    while (inLeft > 0) {
        if (iconv(converter.handle(), &in, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1))
            return std::nullopt; // a character CP932 cannot hold, or broken input
    }
    out.truncate(out.size() - static_cast<qsizetype>(outLeft));
    return out;
}

QString fromCp932(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return {};
    Converter converter("UTF-8", "CP932");
    if (!converter.valid())
        return QString::fromLatin1(bytes);
    QByteArray out;
    out.reserve(bytes.size() * 3 / 2 + 16);
    char *in = const_cast<char *>(bytes.constData());
    size_t inLeft = static_cast<size_t>(bytes.size());
    char buffer[4096];
    while (inLeft > 0) {
        char *outPtr = buffer;
        size_t outLeft = sizeof buffer;
        const size_t result = iconv(converter.handle(), &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<qsizetype>(sizeof buffer - outLeft));
        if (result == static_cast<size_t>(-1) && errno != E2BIG) {
            // An invalid or cut-off sequence: mark it and go on after it.
            out.append("\xEF\xBF\xBD");
            ++in;
            --inLeft;
        }
    }
    return QString::fromUtf8(out);
}

QString decodeFileText(const QByteArray &bytes)
{
    if (bytes.startsWith(utf8Bom)) {
        // Only the mark itself goes: QString::fromUtf8 would drop a second
        // one, which is then a character of the text (U+FEFF).
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
        return utf8(QByteArrayView(bytes).sliced(3));
    }
    return fromCp932(bytes);
}

QStringList fileLines(const QString &text, qsizetype maxLines)
{
    QStringList lines;
    qsizetype start = 0;
    while (start < text.size() && (maxLines < 0 || lines.size() < maxLines)) {
        const qsizetype end = text.indexOf(QLatin1Char('\r'), start);
        if (end < 0) {
            lines.append(text.mid(start));
            break;
        }
        lines.append(text.mid(start, end - start));
        start = end + 1;
        if (start < text.size() && text[start] == QLatin1Char('\n'))
            ++start;
    }
    return lines;
}

QByteArray encodeFileText(const QString &text)
{
    // iconv's CP932 also takes a few characters it has no code for and writes
    // a look-alike instead ("¥" becomes a backslash, "‾" a tilde); such a text
    // would not read back as written, so it goes out as UTF-8 too.
    if (std::optional<QByteArray> ansi = toCp932(text); ansi && decodeFileText(*ansi) == text)
        return *ansi;
    return QByteArray(utf8Bom) + text.toUtf8();
}

} // namespace snagwell
