#pragma once

#include <QString>

namespace snagwell {

class Clock;

// Captures are filed in a management folder named "SWData" that holds one
// day folder per day, named "yymmmdd" (05Nov15 for 15 November 2005).
// Names are compared exactly; the path tests look at the last characters of
// a path, not at its last component, and use the separator '/'.

// "SWData"
const QString &managementFolderName();

// Today's day-folder name by the clock's local date, with the English month
// abbreviation whatever the locale.
QString TodaysFolderName(const Clock &clock);

// The shape of a day-folder name: 7 characters sorting strictly between
// "00Apr01" and "99Sep30" by code unit. The date itself is not checked.
bool IsDayFolderName(const QString &name);

// Whether the folder (no trailing separator) holds an entry named "SWData",
// a file as well as a folder; hidden and special entries are not looked at.
bool HasManagementFolder(const QString &folder);

// Whether the folder (no trailing separator) holds an entry named
// TodaysFolderName, a file as well as a folder.
bool HasTodaysFolder(const QString &folder, const Clock &clock);

// Whether the path ends in "/SWData".
bool IsManagementFolder(const QString &path);

// Whether the path's parent ends in "/SWData"; false for a path without
// separator.
bool IsInsideManagementFolder(const QString &path);

// Whether the folder list's path ends in TodaysFolderName.
bool IsAtTodaysFolder(const QString &folderListPath, const Clock &clock);

// Everything before the path's last separator ("" for a folder at the root,
// and for a path without separator).
QString parentPath(const QString &path);

// The last 7 characters of a path (all of it when shorter), which the
// day-folder and management-folder tests look at.
QString lastSevenCharacters(const QString &path);

} // namespace snagwell
