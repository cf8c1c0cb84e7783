#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace snagwell {

// "RAVuvivo.vov": twelve lines, one value a line, its meaning its position.
inline const QString &settingsFileName()
{
    static const QString name = QStringLiteral("RAVuvivo.vov");
    return name;
}

inline constexpr int settingsLineCount = 12;

// The twelve values, each named after the settings-window control that
// holds it while the program runs.
struct Settings
{
    QString dir1Path;        // 1: the browser's folder
    qint16 saveTextCK = 0;   // 2
    qint16 printCK = 0;      // 3
    QString fileHeader;      // 4: cbxFileHeader text
    QStringList regNames;    // 5: cbxRegName entries
    qint16 regNameIndex = -1; // 6: cbxRegName selection, -1 for none
    QString fileType;        // 7
    QString deleteFolder;    // 8
    QString printer;         // 9: tbxPrinter
    qint16 printScreenCK = 0; // 10
    QString top;             // 11: tbxTop
    QString left;            // 12: tbxLeft

    bool operator==(const Settings &) const = default;
};

// The settings file's path in a folder (the start-up folder).
QString settingsFilePath(const QString &folder);

// True when the folder's listing of ordinary, visible files holds one named
// exactly "RAVuvivo.vov" (letter case counts).
bool HasSettingsFile(const QString &folder);

// True when the path names an existing folder; the empty path asks about
// the root, which exists.
bool IsExistingFolder(const QString &path);

// Line 5: the names joined by ",".
QString JoinRegisteredNames(const QStringList &names);
// Line 5 back into names: every "," splits, and what follows the last one
// is always an entry, even when empty.
QStringList SplitRegisteredNames(const QString &line);

// A number line as written: " 0 ", " 1 ", "-1 ".
QString formatPrintNumber(qint16 value);
// A number line read as a 16-bit integer: blanks around the digits are
// ignored, a fraction is rounded half to even; nothing when the line does
// not read as a number or lies outside 16 bits.
std::optional<qint16> parseNumberLine(const QString &line);

// The file's bytes split into twelve slots. Lines end at CR LF or a lone
// CR; a last line without an end counts; lines past the twelfth are
// dropped; missing lines stay empty. Bytes opening with a UTF-8 byte order
// mark are UTF-8, all others CP932.
QStringList splitSettingsLines(const QByteArray &bytes);

// Reads the file's lines; throws Failure when it cannot be read.
QStringList readSettingsLines(const QString &path);

// The twelve lines of a settings record, in file order.
QStringList settingsLines(const Settings &settings);

// The file's bytes: every line followed by CR LF, in CP932, or as UTF-8
// with a byte order mark when CP932 cannot hold one of the values.
QByteArray composeSettingsFile(const QStringList &lines);

// Replaces the file whole: the bytes go to a temporary file beside it that
// is renamed over it, so an interrupted write leaves the old file intact.
// Throws Failure with a readable description when writing fails.
void writeFileAtomically(const QString &path, const QByteArray &bytes);

} // namespace snagwell
