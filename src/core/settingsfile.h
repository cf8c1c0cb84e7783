#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace snagwell {

// How new captures are named: the computer's name, the user's, both, or a
// name of the user's own.
enum class HeaderMode { Pc, User, PcUser, Registered };
// What a picture is kept as.
enum class PictureType { Bmp, Jpeg, Jpg, Png };
// How long day folders are kept.
enum class KeepDays { Forever, Week, Month };
// A check box of the settings window: off, on, or greyed (the greyed state
// only ever comes from a settings file).
enum class Tick { Off = 0, On = 1, Greyed = 2 };

// The texts the settings window's lists show and the settings file holds,
// in list order, which is the enums' order.
const QStringList &headerModeTexts(); // "PC名", "ﾕｰｻﾞｰ名", "PC名+ﾕｰｻﾞｰ名", "登録名"
const QStringList &pictureTypeTexts(); // "BMP", "JPEG", "JPG", "PNG"
const QStringList &keepDaysTexts();    // "しない", " 7日前", "30日前"

// What the user chose, as the settings file keeps it (line numbers in
// brackets). The file's first line, the folder the browser stands in, is
// part of the running state.
struct Settings
{
    Tick saveText = Tick::Off;                  // 2
    Tick printAtOnce = Tick::Off;               // 3
    HeaderMode headerMode = HeaderMode::User;   // 4
    QStringList registeredNames;                // 5
    int registeredIndex = -1;                   // 6: -1 when none is chosen
    PictureType pictureType = PictureType::Jpg; // 7
    KeepDays keepDays = KeepDays::Week;         // 8
    QString printer;                            // 9
    Tick showButtonWindow = Tick::Off;          // 10
    // The button window's place in twips, kept as the texts read (11, 12).
    QString buttonWindowTop;
    QString buttonWindowLeft;

    // The chosen registered name, empty when none is chosen.
    QString registeredName() const;
    bool operator==(const Settings &) const = default;
};

// "RAVuvivo.vov"
const QString &settingsFileName();
inline constexpr int settingsLineCount = 12;

// The settings file's path in a folder (the start-up folder).
QString settingsFilePath(const QString &folder);

// True when the folder's listing of ordinary, visible files holds one named
// exactly "RAVuvivo.vov" (letter case counts) that is not another user's
// link.
bool hasSettingsFile(const QString &folder);

// True when a path can stand as one line of the settings file: it holds no
// line break (CR or LF), which would end the line and shift every later one.
bool fitsSettingsLine(const QString &path);

// True when the path is a symbolic link made by another user. Such a link,
// planted in a shared folder, is never followed: its target is neither read
// as the settings nor written over; a save replaces the link itself.
bool isForeignLink(const QString &path);

// True when the path names an existing folder; the empty path asks about
// the root, which exists.
bool isExistingFolder(const QString &path);

// Line 5: the names joined by ",", and back: every "," splits, and what
// follows the last one is always an entry, even when empty.
QString joinRegisteredNames(const QStringList &names);
QStringList splitRegisteredNames(const QString &line);

// A number line as written: " 0 ", " 1 ", "-1 ".
QString formatNumberLine(qint16 value);

// The file's bytes split into twelve slots. Lines end at CR LF, a lone CR or
// a lone LF; a last line without an end counts; lines past the twelfth are
// dropped; missing lines stay empty. Bytes opening with a UTF-8 byte order
// mark are UTF-8, and so are bytes that are valid UTF-8 with characters
// beyond ASCII; all others CP932.
QStringList splitSettingsLines(const QByteArray &bytes);

// Reads the file's twelve slots; throws Failure when it cannot be read or
// is another user's link.
QStringList readSettingsLines(const QString &path);

// Lines 2 to 12 read into the settings one by one: a line that does not
// read as its kind of value leaves that value as it was. Answers whether
// every line there was read (missing lines count as read).
bool readSettings(const QStringList &lines, Settings &settings);

// The file's bytes: every line followed by CR LF, in CP932, or as UTF-8
// with a byte order mark when CP932 cannot hold one of the values. A folder
// that no line can hold is left out (an empty first line): the next start
// then stays in its own folder, and the other lines keep their places.
QByteArray settingsFileBytes(const QString &folder, const Settings &settings);

// Replaces the file whole or not at all: a full disk or a kill leaves the
// old file as it was. The user's own link is written through, as an editor
// would; another user's link is replaced, its target left alone. A new file
// follows the umask, a replaced one keeps its permissions.
// Throws Failure with a readable description when writing fails.
void saveFileWhole(const QString &path, const QByteArray &bytes);

} // namespace snagwell
