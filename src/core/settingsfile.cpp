#include "core/settingsfile.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include "core/ansicodepage.h"
#include "core/failure.h"
#include "core/numbers.h"

namespace snagwell {

QString settingsFilePath(const QString &folder)
{
    // The separator goes in even after a root folder, as the program always
    // has done: "/" + "/" + name still names the file in the root.
    return folder + QLatin1Char('/') + settingsFileName();
}

bool fitsSettingsLine(const QString &path)
{
    return !path.contains(QLatin1Char('\n')) && !path.contains(QLatin1Char('\r'));
}

bool isForeignLink(const QString &path)
{
    struct stat status = {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISLNK(status.st_mode) &&
           status.st_uid != ::geteuid();
}

bool hasSettingsFile(const QString &folder)
{
    const QDir dir(folder.isEmpty() ? QStringLiteral("/") : folder);
    const QStringList files = dir.entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QString &name : files) {
        if (name == settingsFileName())
            return !isForeignLink(dir.filePath(name));
    }
    return false;
}

bool isExistingFolder(const QString &path)
{
    return QFileInfo(path + QLatin1Char('/')).isDir();
}

QString joinRegisteredNames(const QStringList &names)
{
    QString text;
    for (const QString &name : names)
        text += name + QLatin1Char(',');
    if (!text.isEmpty())
        text.chop(1);
    return text;
}

QStringList splitRegisteredNames(const QString &line)
{
    return line.split(QLatin1Char(','));
}

QString formatNumberLine(qint16 value)
{
    return (value >= 0 ? QStringLiteral(" ") : QStringLiteral("-")) +
           QString::number(std::abs(static_cast<int>(value))) + QLatin1Char(' ');
}

QStringList splitSettingsLines(const QByteArray &bytes)
{
    // A file edited elsewhere may come as UTF-8 without a byte order mark:
    // bytes that are valid UTF-8 and not plain ASCII read as UTF-8 (CP932
    // text of Japanese words is almost never valid UTF-8).
    QString text;
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString asUtf8 = bytes.startsWith(utf8Bom) ? QString() : utf8(bytes);
    const bool ascii =
        std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; });
    if (!bytes.startsWith(utf8Bom) && !utf8.hasError() && !ascii)
        text = asUtf8;
    else
        text = decodeFileText(bytes);
    // Lines end at CR LF, a lone CR or a lone LF.
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    QStringList slots = text.split(u'\n');
    if (!text.isEmpty() && text.endsWith(u'\n'))
        slots.removeLast();
    if (text.isEmpty())
        slots.clear();
    slots.resize(settingsLineCount);
    return slots;
}

QStringList readSettingsLines(const QString &path)
{
    if (isForeignLink(path))
        throw Failure(QStringLiteral("%1 は他のユーザーのリンクです").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("%1 を開けません: %2").arg(path, file.errorString()));
    // The file has twelve short lines; a huge file is damaged, and only its
    // first lines matter.
    constexpr qint64 limit = 1 << 20;
    const QByteArray bytes = file.read(limit);
    if (file.error() != QFileDevice::NoError)
        throw Failure(QStringLiteral("%1 を読めません: %2").arg(path, file.errorString()));
    return splitSettingsLines(bytes);
}

namespace {

// A list's text as an enum, or nothing for a text the list does not hold.
template <typename Enum> std::optional<Enum> fromText(const QStringList &texts, const QString &text)
{
    const qsizetype index = texts.indexOf(text);
    if (index < 0)
        return std::nullopt;
    return static_cast<Enum>(index);
}

template <typename Enum> QString toText(const QStringList &texts, Enum value)
{
    return texts.at(static_cast<qsizetype>(value));
}

std::optional<Tick> tickFrom(const QString &line)
{
    const std::optional<int> value = readNumber(line);
    if (!value || *value < 0 || *value > 2)
        return std::nullopt;
    return static_cast<Tick>(*value);
}

template <typename T> void readInto(T &value, const std::optional<T> &read)
{
    if (read)
        value = *read;
}

} // namespace

const QString &settingsFileName()
{
    static const QString name = QStringLiteral("RAVuvivo.vov");
    return name;
}

const QStringList &headerModeTexts()
{
    static const QStringList texts = {QStringLiteral("PC名"), QStringLiteral("ﾕｰｻﾞｰ名"),
                                      QStringLiteral("PC名+ﾕｰｻﾞｰ名"), QStringLiteral("登録名")};
    return texts;
}

const QStringList &pictureTypeTexts()
{
    static const QStringList texts = {QStringLiteral("BMP"), QStringLiteral("JPEG"),
                                      QStringLiteral("JPG"), QStringLiteral("PNG")};
    return texts;
}

const QStringList &keepDaysTexts()
{
    static const QStringList texts = {QStringLiteral("しない"), QStringLiteral(" 7日前"),
                                      QStringLiteral("30日前")};
    return texts;
}

QString Settings::registeredName() const
{
    return registeredIndex >= 0 && registeredIndex < registeredNames.size()
               ? registeredNames.at(registeredIndex)
               : QString();
}

bool readSettings(const QStringList &lines, Settings &s)
{
    const auto line = [&lines](int number) { return lines.value(number - 1); };
    bool understood = true;
    // A line that is there but does not read counts against the file.
    const auto read = [&](auto &value, const auto &parsed, int number) {
        readInto(value, parsed);
        understood = understood && (parsed || line(number).isEmpty());
    };
    read(s.saveText, tickFrom(line(2)), 2);
    read(s.printAtOnce, tickFrom(line(3)), 3);
    read(s.headerMode, fromText<HeaderMode>(headerModeTexts(), line(4)), 4);
    s.registeredNames = splitRegisteredNames(line(5));
    // An index the names do not hold leaves none chosen.
    const std::optional<int> index = readNumber(line(6));
    if (index && *index >= -1 && *index < s.registeredNames.size())
        s.registeredIndex = *index;
    else if (!line(6).isEmpty())
        understood = false;
    read(s.pictureType, fromText<PictureType>(pictureTypeTexts(), line(7)), 7);
    read(s.keepDays, fromText<KeepDays>(keepDaysTexts(), line(8)), 8);
    s.printer = line(9);
    read(s.showButtonWindow, tickFrom(line(10)), 10);
    s.buttonWindowTop = line(11);
    s.buttonWindowLeft = line(12);
    return understood;
}

QByteArray settingsFileBytes(const QString &folder, const Settings &s)
{
    const QStringList lines = {fitsSettingsLine(folder) ? folder : QString(),
                               formatNumberLine(static_cast<qint16>(s.saveText)),
                               formatNumberLine(static_cast<qint16>(s.printAtOnce)),
                               toText(headerModeTexts(), s.headerMode),
                               joinRegisteredNames(s.registeredNames),
                               formatNumberLine(static_cast<qint16>(s.registeredIndex)),
                               toText(pictureTypeTexts(), s.pictureType),
                               toText(keepDaysTexts(), s.keepDays),
                               s.printer,
                               formatNumberLine(static_cast<qint16>(s.showButtonWindow)),
                               s.buttonWindowTop,
                               s.buttonWindowLeft};
    QString text;
    for (const QString &line : lines)
        text += line + QStringLiteral("\r\n");
    return encodeFileText(text);
}

void saveFileWhole(const QString &path, const QByteArray &bytes)
{
    const auto fail = [&](const QString &reason) {
        return Failure(QStringLiteral("%1 に書き込めません: %2").arg(path, reason));
    };
    // The user's own link is written through, as an editor would; another
    // user's link is replaced by the rename below, its target untouched.
    QFileInfo target(path);
    for (int depth = 0; depth < 128 && target.isSymLink() && !isForeignLink(target.filePath());
         ++depth)
        target.setFile(target.symLinkTarget());
    const bool exists = target.exists() && !isForeignLink(target.filePath());
    if (exists && target.isDir())
        throw fail(QStringLiteral("フォルダーです"));
    // Read-only is the file's mode, as for the deletion of day folders: a
    // privileged user may write any file, and the rename below would replace
    // a read-only one for anybody.
    if (exists && !target.permission(QFile::WriteOwner))
        throw fail(QStringLiteral("書き込みが許可されていません"));
    // Saved whole under a hidden name first: QSaveFile's own temporary file
    // would stand beside the file under a visible name. Unbuffered, so that
    // a full disk shows in the count written and not only in the flush at
    // the end, which the QSaveFile of Qt 6.4 does not heed.
    const QString hidden = target.absolutePath() + QStringLiteral("/.") + target.fileName();
    QSaveFile file(hidden);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw fail(file.errorString());
    if (exists)
        file.setPermissions(target.permissions());
    if (file.write(bytes) != bytes.size())
        file.cancelWriting();
    if (!file.commit())
        throw fail(file.errorString());
    // Replaces the old file in one step; QFile::rename() never replaces.
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(hidden).toStdString(),
                            QFile::encodeName(target.absoluteFilePath()).toStdString(), error);
    if (error) {
        QFile::remove(hidden);
        throw fail(QString::fromStdString(error.message()));
    }
}

} // namespace snagwell
