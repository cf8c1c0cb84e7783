#include "settingsfile.h"

#include <cerrno>
#include <cmath>
#include <cstring>

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include "app/ansicodepage.h"
#include "app/failure.h"

namespace snagwell {

QString settingsFilePath(const QString &folder)
{
    // The separator goes in even after a root folder, as the program always
    // has done: "/" + "/" + name still names the file in the root.
    return folder + QLatin1Char('/') + settingsFileName();
}

bool HasSettingsFile(const QString &folder)
{
    const QDir dir(folder.isEmpty() ? QStringLiteral("/") : folder);
    const QStringList files = dir.entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QString &name : files) {
        if (name == settingsFileName())
            return true;
    }
    return false;
}

bool IsExistingFolder(const QString &path)
{
    return QFileInfo(path + QLatin1Char('/')).isDir();
}

QString JoinRegisteredNames(const QStringList &names)
{
    QString text;
    for (const QString &name : names)
        text += name + QLatin1Char(',');
    if (!text.isEmpty())
        text.chop(1);
    return text;
}

QStringList SplitRegisteredNames(const QString &line)
{
    return line.split(QLatin1Char(','));
}

QString formatPrintNumber(qint16 value)
{
    return (value >= 0 ? QStringLiteral(" ") : QStringLiteral("-")) +
           QString::number(std::abs(static_cast<int>(value))) + QLatin1Char(' ');
}

std::optional<qint16> parseNumberLine(const QString &line)
{
    const QString text = line.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    // Sign, digits, an optional fraction: nothing else reads as a number.
    qsizetype i = 0;
    if (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))
        ++i;
    bool digits = false;
    while (i < text.size() && text[i].isDigit() && text[i].unicode() < 128) {
        ++i;
        digits = true;
    }
    if (i < text.size() && text[i] == QLatin1Char('.')) {
        ++i;
        while (i < text.size() && text[i].isDigit() && text[i].unicode() < 128) {
            ++i;
            digits = true;
        }
    }
    if (!digits || i != text.size())
        return std::nullopt;
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok)
        return std::nullopt;
    const double rounded = std::nearbyint(value); // half to even in the default mode
    if (rounded < -32768.0 || rounded > 32767.0)
        return std::nullopt;
    return static_cast<qint16>(rounded);
}

QStringList splitSettingsLines(const QByteArray &bytes)
{
    QStringList slots = fileLines(decodeFileText(bytes), settingsLineCount);
    while (slots.size() < settingsLineCount)
        slots.append(QString());
    return slots;
}

QStringList readSettingsLines(const QString &path)
{
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

QStringList settingsLines(const Settings &s)
{
    return {s.dir1Path,
            formatPrintNumber(s.saveTextCK),
            formatPrintNumber(s.printCK),
            s.fileHeader,
            JoinRegisteredNames(s.regNames),
            formatPrintNumber(s.regNameIndex),
            s.fileType,
            s.deleteFolder,
            s.printer,
            formatPrintNumber(s.printScreenCK),
            s.top,
            s.left};
}

QByteArray composeSettingsFile(const QStringList &lines)
{
    QString text;
    for (const QString &line : lines)
        text += line + QStringLiteral("\r\n");
    return encodeFileText(text);
}

void writeFileAtomically(const QString &path, const QByteArray &bytes)
{
    // Not QSaveFile: the one of Qt 6.4 renames its temporary file over the
    // old one even when the last bytes never reached the disk (a full disk,
    // a file-size limit), leaving a cut-off file where a whole one stood.
    const auto fail = [&](const QString &reason) {
        return Failure(QStringLiteral("%1 に書き込めません: %2").arg(path, reason));
    };
    // A link is written through, as an editor would.
    QFileInfo target(path);
    for (int depth = 0; depth < 128 && target.isSymLink(); ++depth)
        target.setFile(target.symLinkTarget());
    if (target.isDir())
        throw fail(QStringLiteral("フォルダーです"));
    if (target.exists() && !target.isWritable())
        throw fail(QStringLiteral("書き込みが許可されていません"));
    const QString finalPath = target.absoluteFilePath();

    QTemporaryFile file(finalPath + QStringLiteral(".XXXXXX"));
    if (!file.open())
        throw fail(file.errorString());
    // A short count is how a full disk shows in the middle of a write.
    if (file.write(bytes) != bytes.size() || !file.flush() || file.error() != QFileDevice::NoError)
        throw fail(file.errorString());
    if (::fsync(file.handle()) != 0)
        throw fail(QString::fromLocal8Bit(std::strerror(errno)));
    file.setPermissions(target.exists() ? target.permissions()
                                        : QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ReadUser | QFileDevice::WriteUser |
                                              QFileDevice::ReadGroup | QFileDevice::ReadOther);
    // Gives the temporary file its name beside the old one; the rename
    // replaces the old file in one step, whole by whole.
    const QString temporary = file.fileName();
    if (::rename(QFile::encodeName(temporary).constData(),
                 QFile::encodeName(finalPath).constData()) != 0)
        throw fail(QString::fromLocal8Bit(std::strerror(errno)));
    file.setAutoRemove(false);
}

} // namespace snagwell
