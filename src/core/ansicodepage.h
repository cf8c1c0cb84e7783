#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace snagwell {

// The ANSI code page of the files Snagwell writes: CP932 (Microsoft's
// Shift-JIS), so that files written on Windows and here read the same.

// The text in CP932, or nothing when CP932 cannot hold every character.
std::optional<QByteArray> toCp932(const QString &text);

// CP932 bytes as text; bytes that are no CP932 become U+FFFD.
QString fromCp932(const QByteArray &bytes);

// The UTF-8 byte order mark that marks a file written as UTF-8 instead.
inline constexpr char utf8Bom[] = "\xEF\xBB\xBF";

// A file's bytes as text: UTF-8 when they open with a byte order mark
// (which is dropped), CP932 otherwise.
QString decodeFileText(const QByteArray &bytes);

// A file's text as lines, the way the program has always read them: a line
// ends at CR LF or at a lone CR (a lone LF stays inside its line), and a
// last line without an end counts too. At most maxLines are read when it is
// not negative.
QStringList fileLines(const QString &text, qsizetype maxLines = -1);

// Text for a file: CP932 when it can hold the text, else UTF-8 with a byte
// order mark.
QByteArray encodeFileText(const QString &text);

} // namespace snagwell
