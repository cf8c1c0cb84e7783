#pragma once

#include <QString>

namespace snagwell {

// The browser's position in the file system, as the folder operations see
// it: the folder list's path (setting it moves the file list at once) and
// the file list's path, from which the current folder is read.
class FolderBrowser
{
public:
    virtual ~FolderBrowser() = default;
    // The folder list's path.
    virtual QString folderPath() const = 0;
    // The file list's path; equal to the folder list's after every change.
    virtual QString fileListPath() const = 0;
    // Moves the folder list (and with it the file list) to an existing
    // folder; throws Failure, and stays, when the folder cannot be entered.
    virtual void setFolderPath(const QString &path) = 0;
    // Makes the folder list read its folder's contents again.
    virtual void rereadFolders() = 0;
};

} // namespace snagwell
