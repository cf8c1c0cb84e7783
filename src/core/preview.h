#pragma once

#include <QByteArray>
#include <QString>

namespace snagwell {

// The file pattern of the saved-data browser's file list.
inline const QString &fileListPattern()
{
    static const QString pattern = QStringLiteral("*.txt;*.bmp;*.gif;*.jpeg;*.jpg;*.png");
    return pattern;
}

// What a click on a file of the file list shows, by its extension compared
// exactly: pictures, the PNG notice, text, or nothing at all.
enum class PreviewKind { Picture, Png, Text, None };

// The extension as the browser reads it: after the last '.', at most four
// characters, blanks trimmed; a name without '.' gives its first four.
QString previewExtension(const QString &fileName);
PreviewKind previewKindOf(const QString &fileName);

// A file of the list by its folder: one separator between, none doubled at
// the root.
QString joinFolderAndName(const QString &folder, const QString &name);

// A text file's bytes as the preview shows them: lines end at CR or CR LF
// (a lone LF stays inside its line), and every line is followed by CR LF.
// CP932, or UTF-8 after a byte order mark.
QString previewText(const QByteArray &bytes);

} // namespace snagwell
