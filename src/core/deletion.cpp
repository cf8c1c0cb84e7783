#include "core/deletion.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "core/capturefiles.h"
#include "core/dayfolders.h"

namespace snagwell {

namespace {

bool isLink(const QFileInfo &entry)
{
    return entry.isSymLink() || entry.isJunction();
}

// The counterpart of the read-only attribute is a file whose owner may not
// write it. Checked by its mode rather than by trying: the directory's
// permission alone decides whether a file can be unlinked here, and a
// privileged user could unlink it regardless.
bool isReadOnly(const QFileInfo &file)
{
    return !file.permission(QFile::WriteOwner);
}

// Empties an old day folder of what a day's captures consist of, then
// removes it when nothing else is left. Subfolders, hidden files and special
// entries stay, and with them the folder.
void removeDayFolder(const QString &path)
{
    const QFileInfoList entries = QDir(path).entryInfoList(
        QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QFileInfo &entry : entries) {
        if (isLink(entry)) {
            // Removes the link itself; its target is not touched.
            QFile::remove(entry.filePath());
        } else if (entry.isFile() && !isReadOnly(entry)) {
            QFile::remove(entry.filePath());
        }
    }
    // A capture or conversion cut off by a crash leaves its hidden
    // temporary file behind; it is Snagwell's own and goes with the folder.
    const QFileInfoList hidden =
        QDir(path).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QFileInfo &entry : hidden) {
        if (!isLink(entry) && isCaptureTemporaryName(entry.fileName()) && !isReadOnly(entry))
            QFile::remove(entry.filePath());
    }
    QDir().rmdir(path);
}

} // namespace

std::optional<int> daysToKeep(KeepDays keep)
{
    switch (keep) {
    case KeepDays::Forever:
        return std::nullopt;
    case KeepDays::Week:
        return 7;
    case KeepDays::Month:
        return 30;
    }
    return std::nullopt;
}

void deleteOldDayFolders(const QString &currentFolder, int days, const QDateTime &now)
{
    QString managementFolder = currentFolder;
    if (isDayFolderName(lastSevenCharacters(managementFolder)))
        managementFolder = parentPath(managementFolder);
    if (!isManagementFolder(managementFolder))
        return;

    const QDateTime limit = now.addDays(-days);
    // The whole listing is read before anything is removed, so that each
    // entry is looked at once.
    const QFileInfoList entries = QDir(managementFolder + QLatin1Char('/'))
                                      .entryInfoList(QDir::Files | QDir::Dirs, QDir::Unsorted);
    for (const QFileInfo &entry : entries) {
        // Only a real date in the day folders' form: SWData may hold the
        // user's own folders too ("2020bak", "1_notes", "26Feb30").
        if (!isDatedDayFolderName(entry.fileName()))
            continue;
        // A link could lead anywhere: neither it nor what it points at is
        // part of the management folder.
        if (isLink(entry) || !entry.isDir())
            continue;
        const QDateTime lastChange = entry.lastModified();
        if (lastChange.isValid() && lastChange < limit)
            removeDayFolder(entry.filePath());
    }
}

} // namespace snagwell
