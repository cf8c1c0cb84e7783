#include "core/dayfolders.h"

#include <algorithm>
#include <array>

#include <QDirIterator>

#include <QDate>
#include <QLocale>

namespace snagwell {

namespace {

// Names are listed as the folder list shows them: files and folders,
// without hidden entries and without special ones (sockets, devices,
// dangling links).
bool holdsEntryNamed(const QString &folder, const auto &isSought)
{
    QDirIterator entries(folder + QLatin1Char('/'), QDir::Files | QDir::Dirs);
    while (entries.hasNext()) {
        entries.next();
        if (isSought(entries.fileName()))
            return true;
    }
    return false;
}

constexpr std::array<const char *, 12> monthAbbreviations{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Two ASCII digits: other scripts' digits never appear in a name the
// program made.
int twoDigitNumber(QStringView text)
{
    if (text.size() != 2 || text[0] < u'0' || text[0] > u'9' || text[1] < u'0' || text[1] > u'9')
        return -1;
    return (text[0].unicode() - u'0') * 10 + (text[1].unicode() - u'0');
}

} // namespace

const QString &managementFolderName()
{
    static const QString name = QStringLiteral("SWData");
    return name;
}

QString todaysFolderName(const QDate &today)
{
    // The C locale's English abbreviations: the names must not change with
    // the user's locale, or a day folder would be made twice.
    return QLocale::c().toString(today, u"yyMMMdd");
}

bool isDayFolderName(const QString &name)
{
    static const QString lowest = QStringLiteral("00Apr01");
    static const QString highest = QStringLiteral("99Sep30");
    if (name <= lowest || name >= highest)
        return false;
    return name.size() == 7;
}

bool isDatedDayFolderName(const QString &name)
{
    if (!isDayFolderName(name))
        return false;
    const int year = twoDigitNumber(QStringView(name).left(2));
    const int day = twoDigitNumber(QStringView(name).right(2));
    const QStringView month = QStringView(name).mid(2, 3);
    const auto found = std::find_if(monthAbbreviations.begin(), monthAbbreviations.end(),
                                    [&](const char *m) { return month == QLatin1String(m); });
    if (year < 0 || day < 0 || found == monthAbbreviations.end())
        return false;
    return QDate::isValid(2000 + year, int(found - monthAbbreviations.begin()) + 1, day);
}

QString dayFolderAfterDateChange(const QString &currentFolder, const QDate &lastDay,
                                 const QDate &today)
{
    if (!lastDay.isValid() || lastDay == today)
        return {};
    const QString lastDaysFolder = todaysFolderName(lastDay);
    const qsizetype separator = currentFolder.lastIndexOf(QLatin1Char('/'));
    if (separator < 0 || QStringView(currentFolder).mid(separator + 1) != lastDaysFolder)
        return {};
    const QString managementFolder = currentFolder.left(separator);
    if (!managementFolder.endsWith(managementFolderName()))
        return {};
    return managementFolder + QLatin1Char('/') + todaysFolderName(today);
}

bool hasManagementFolder(const QString &folder)
{
    return holdsEntryNamed(folder,
                           [](const QString &name) { return name == managementFolderName(); });
}

bool hasTodaysFolder(const QString &folder, const QDate &today)
{
    const QString sought = todaysFolderName(today);
    return holdsEntryNamed(folder, [&sought](const QString &name) { return name == sought; });
}

bool isManagementFolder(const QString &path)
{
    return lastSevenCharacters(path) == QLatin1Char('/') + managementFolderName();
}

bool isInsideManagementFolder(const QString &path)
{
    if (!path.contains(QLatin1Char('/')))
        return false;
    return isManagementFolder(parentPath(path));
}

bool isAtTodaysFolder(const QString &folderPath, const QDate &today)
{
    return lastSevenCharacters(folderPath) == todaysFolderName(today);
}

QString parentPath(const QString &path)
{
    const qsizetype separator = path.lastIndexOf(QLatin1Char('/'));
    return separator < 0 ? QString() : path.left(separator);
}

QString lastSevenCharacters(const QString &path)
{
    return path.right(7);
}

} // namespace snagwell
