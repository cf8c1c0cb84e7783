#pragma once

#include <QString>
#include <QStringList>

namespace snagwell {

class SystemNames;

// The header modes, as the header list shows them.
enum class HeaderMode { Pc, User, PcUser, Registered };

// The texts of the header list, in list order: "PC名", "ﾕｰｻﾞｰ名",
// "PC名+ﾕｰｻﾞｰ名", "登録名".
const QStringList &headerModeTexts();
QString headerModeText(HeaderMode mode);

// The folder the file list stands in, without one trailing separator: the
// root "/" reads as the empty string, so that folder + "/" + name never
// doubles the separator.
QString CurrentFolderPath(const QString &fileListPath);

// The header for the header list's text: the computer's name, the user's
// name, both run together, or the registered name without the blanks
// around it; empty for any other text. Both names are asked on every call.
QString FileNameHeader(const QString &headerModeText, const QString &regNameText,
                       const SystemNames &names);

// The header as it can stand at the start of a file name on Linux and on
// Windows: every character that no file name may hold ('/', '\', control
// characters, ':', '*', '?', '"', '<', '>', '|') becomes '_', and so does a
// leading '.', which would hide the capture from every listing (and from the
// running number, so a later capture would overwrite it).
QString CleanFileNameHeader(const QString &header);

// The cleaned header followed by the next running number in the folder
// (a current folder path): one above the highest number that follows the
// header in any file's name, as three digits. Once "999" is taken, the
// smallest number from 1000 up that no file name starts with, followed by
// "." (header + number + "."). Nothing is reserved: the caller must write
// the file before asking again.
QString NextFreeFileName(const QString &folder, const QString &header);

// folder + "/" + NextFreeFileName, without extension.
QString NextCapturePath(const QString &folder, const QString &header);

// NextCapturePath + ".txt".
QString NextTextFilePath(const QString &folder, const QString &header);

} // namespace snagwell
