#include "core/naming.h"

#include <optional>

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include "core/numbers.h"

namespace snagwell {

namespace {

constexpr int widestThreeDigitNumber = 999;

bool isBlank(QChar c)
{
    // The ideographic space counts: a name typed with a Japanese input method
    // easily carries one at either end.
    return c == u' ' || c == u'\u3000';
}

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

QString withoutBlanksAround(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && isBlank(text.at(first)))
        ++first;
    while (last > first && isBlank(text.at(last - 1)))
        --last;
    return text.mid(first, last - first);
}

QDir listingOf(const QString &folder)
{
    // The root reads as the empty string; "" + "/" lists the root, not the
    // working directory.
    return QDir(folder + QLatin1Char('/'));
}

// The smallest number from 1000 up that no entry of the folder (names: all
// of them, folders included: a capture must not be aimed at a name that is
// taken by anything at all) names as header + number + "." (written without
// leading zeros, as it would be written here).
qint64 firstFreeLongNumber(const QStringList &names, const QString &header)
{
    constexpr qsizetype longestNumber = 18; // stays within qint64
    QSet<qint64> taken;
    for (const QString &name : names) {
        if (!name.startsWith(header))
            continue;
        const QStringView rest = QStringView(name).mid(header.size());
        const qsizetype dot = rest.indexOf(u'.');
        if (dot < 4 || dot > longestNumber || rest.at(0) == u'0')
            continue;
        qint64 number = 0;
        bool allDigits = true;
        for (QChar c : rest.left(dot)) {
            allDigits = allDigits && isAsciiDigit(c);
            number = number * 10 + (c.unicode() - u'0');
        }
        if (allDigits)
            taken.insert(number);
    }
    qint64 number = widestThreeDigitNumber + 1;
    while (taken.contains(number))
        ++number;
    return number;
}

} // namespace

QString currentFolderPath(const QString &fileListPath)
{
    if (fileListPath.endsWith(QLatin1Char('/')))
        return fileListPath.chopped(1);
    return fileListPath;
}

QString fileNameHeader(HeaderMode mode, const QString &registeredName, const QString &computer,
                       const QString &user)
{
    switch (mode) {
    case HeaderMode::Pc:
        return computer;
    case HeaderMode::User:
        return user;
    case HeaderMode::PcUser:
        return computer + user;
    case HeaderMode::Registered:
        return withoutBlanksAround(registeredName);
    }
    return QString();
}

QString cleanFileNameHeader(const QString &header)
{
    static const QString forbidden = QStringLiteral("/\\:*?\"<>|");
    QString cleaned = header;
    for (QChar &c : cleaned) {
        if (c.category() == QChar::Other_Control || forbidden.contains(c))
            c = u'_';
    }
    if (cleaned.startsWith(QLatin1Char('.')))
        cleaned[0] = u'_';
    // Room for the running number and the longest extension within the
    // file system's 255 bytes; a character is never cut in half.
    while (cleaned.toUtf8().size() > longestHeaderBytes)
        cleaned.chop(cleaned.size() >= 2 && cleaned.at(cleaned.size() - 1).isLowSurrogate() ? 2
                                                                                            : 1);
    return cleaned;
}

QString nextFreeFileName(const QString &folder, const QString &header)
{
    const QString cleaned = cleanFileNameHeader(header);
    // Files, hidden ones left out: the program's own temporary files never
    // take a number. Special entries (dangling links, pipes) take theirs, so
    // that a capture is never written through a link to somewhere else or
    // into a pipe.
    // One reading of the folder serves both rules: the entry types come
    // with the listing, so telling folders apart costs nothing more.
    const QFileInfoList entries = listingOf(folder).entryInfoList(
        QDir::Files | QDir::Dirs | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    QStringList names;
    names.reserve(entries.size());
    int highest = 0;
    for (const QFileInfo &entry : entries) {
        const QString name = entry.fileName();
        names.append(name);
        if (entry.isDir() || !name.startsWith(cleaned))
            continue;
        const std::optional<int> number = readNumber(QStringView(name).mid(cleaned.size(), 3));
        if (number && *number > highest)
            highest = *number;
    }
    // A name taken with any capture's extension, by a file or a folder,
    // is passed over: a capture of another kind may be aimed at it next.
    const QSet<QString> taken(names.begin(), names.end());
    const auto isTaken = [&taken](const QString &base) {
        for (const char *extension : {".txt", ".bmp", ".jpg", ".jpeg", ".png"})
            if (taken.contains(base + QLatin1String(extension)))
                return true;
        return false;
    };
    for (int number = highest + 1; number <= widestThreeDigitNumber; ++number) {
        const QString base = cleaned + QString::number(number).rightJustified(3, QLatin1Char('0'));
        if (!isTaken(base))
            return base;
    }
    return cleaned + QString::number(firstFreeLongNumber(names, cleaned));
}

QString nextCapturePath(const QString &folder, const QString &header)
{
    return folder + QLatin1Char('/') + nextFreeFileName(folder, header);
}

QString nextTextFilePath(const QString &folder, const QString &header)
{
    return nextCapturePath(folder, header) + QStringLiteral(".txt");
}

} // namespace snagwell
