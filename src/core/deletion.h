#pragma once

#include <QString>

#include <optional>

#include "core/settingsfile.h"

class QDateTime;

namespace snagwell {

// The days a choice of the deletion list keeps; nothing for "しない".
std::optional<int> daysToKeep(KeepDays keep);

// Removes the day folders (named by a real date, isDatedDayFolderName) of
// the management folder that the browser stands in (currentFolder), or
// stands in a day folder of, whose own last change is
// strictly earlier than now minus the given days. Inside an old day folder
// only its plain, writable, unhidden files, its links and the program's own
// left-over temporaries are deleted, and the folder goes only when that
// leaves it empty. Links are never followed: a link named like a day folder
// is left alone. Reports nothing; whatever cannot be removed stays for a
// later run.
void deleteOldDayFolders(const QString &currentFolder, int days, const QDateTime &now);

} // namespace snagwell
