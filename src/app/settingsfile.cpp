#include "settingsfile.h"

#include <cmath>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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
    const QString text = decodeFileText(bytes);
    QStringList slots;
    QString current;
    bool pending = false; // a line has begun that has no end yet
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\r')) {
            slots.append(current);
            current.clear();
            pending = false;
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
                ++i;
            if (slots.size() >= settingsLineCount)
                break;
            continue;
        }
        current += c;
        pending = true;
    }
    if (pending && slots.size() < settingsLineCount)
        slots.append(current);
    while (slots.size() > settingsLineCount)
        slots.removeLast();
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
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw Failure(QStringLiteral("%1 に書き込めません: %2").arg(path, file.errorString()));
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        throw Failure(QStringLiteral("%1 に書き込めません: %2").arg(path, reason));
    }
    if (!file.commit())
        throw Failure(QStringLiteral("%1 に書き込めません: %2").arg(path, file.errorString()));
}

} // namespace snagwell
