#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace snagwell {

class Clock;

// The texts of the automatic-deletion list, in list order: "しない",
// " 7日前" (with its leading blank), "30日前".
const QStringList &deleteFolderTexts();

// The number of days that the deletion list's text keeps: nothing for
// "しない", otherwise the value of its first two characters read as BASIC's
// Val reads a number (" 7" gives 7, "30" gives 30, no number gives 0).
std::optional<int> DaysToKeep(const QString &deleteFolderText);

// Removes the day folders of the management folder that the browser stands
// in (currentFolder), or stands in a day folder of, whose own last change is
// strictly earlier than the clock's now minus the given days. Inside an old
// day folder only its plain, writable, unhidden files and its links are
// deleted, and the folder goes only when that leaves it empty. Links are
// never followed: a link named like a day folder is left alone. Reports
// nothing; whatever cannot be removed stays for a later run.
void DeleteOldDayFolders(const QString &currentFolder, int days, const Clock &clock);

} // namespace snagwell
