#pragma once

#include <QString>

class QDate;

namespace snagwell {

// Captures are filed in a management folder named "SWData" that holds one
// day folder per day, named "yymmmdd" (05Nov15 for 15 November 2005).
// Names are compared exactly; the path tests look at the last characters of
// a path, not at its last component, and use the separator '/'.

// "SWData"
const QString &managementFolderName();

// The day's folder name, with the English month abbreviation whatever the
// locale.
QString todaysFolderName(const QDate &today);

// The shape of a day-folder name: 7 characters sorting strictly between
// "00Apr01" and "99Sep30" by code unit. The date itself is not checked.
bool isDayFolderName(const QString &name);

// A day-folder name that names a real date: two digits of the year (of
// 2000 to 2099), the English month abbreviation, two digits of a day that
// month has in that year, and the shape above. Only such folders are the
// program's to remove.
bool isDatedDayFolderName(const QString &name);

// After the date changed while the program ran: the day folder that
// captures now belong in, when the browser still stands in the day folder
// of lastDay inside a folder whose name ends in "SWData" (the same test that
// start-up applies). Empty when the browser stays: the date has not
// changed, or the user stands anywhere else.
QString dayFolderAfterDateChange(const QString &currentFolder, const QDate &lastDay,
                                 const QDate &today);

// Whether the folder (no trailing separator) holds an entry named "SWData",
// resp. today's folder name, a file as well as a folder; hidden and special
// entries are not looked at.
bool hasManagementFolder(const QString &folder);
bool hasTodaysFolder(const QString &folder, const QDate &today);

// Whether the path ends in "/SWData".
bool isManagementFolder(const QString &path);

// Whether the path's parent ends in "/SWData"; false for a path without
// separator.
bool isInsideManagementFolder(const QString &path);

// Whether the path ends in today's folder name.
bool isAtTodaysFolder(const QString &folderPath, const QDate &today);

// Everything before the path's last separator ("" for a folder at the root,
// and for a path without separator).
QString parentPath(const QString &path);

// The last 7 characters of a path (all of it when shorter), which the
// day-folder and management-folder tests look at.
QString lastSevenCharacters(const QString &path);

} // namespace snagwell
