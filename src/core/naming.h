#pragma once

#include <QString>

#include "core/settingsfile.h"

namespace snagwell {

// The folder the browser stands in, without one trailing separator: the
// root "/" reads as the empty string, so that folder + "/" + name never
// doubles the separator.
QString currentFolderPath(const QString &folder);

// The header of new captures: the computer's name, the user's name, both
// run together, or the registered name without the blanks around it.
QString fileNameHeader(HeaderMode mode, const QString &registeredName, const QString &computer,
                       const QString &user);

// The header as it can stand at the start of a file name on Linux and on
// Windows: every character that no file name may hold ('/', '\', control
// characters, ':', '*', '?', '"', '<', '>', '|') becomes '_', and so does a
// leading '.', which would hide the capture from every listing (and from the
// running number, so a later capture would overwrite it). A header longer
// than longestHeaderBytes in UTF-8 is cut to it, so that no file name passes
// the file system's limit.
inline constexpr int longestHeaderBytes = 240;
QString cleanFileNameHeader(const QString &header);

// The cleaned header followed by the next running number in the folder
// (a current folder path): one above the highest number that follows the
// header in any file's name, as three digits, passing over a number whose
// name is taken with a capture's extension by anything (a folder named
// "user001.txt" included). Once "999" is taken, the
// smallest number from 1000 up that no file name starts with, followed by
// "." (header + number + "."). Nothing is reserved: the caller must write
// the file before asking again.
QString nextFreeFileName(const QString &folder, const QString &header);

// folder + "/" + nextFreeFileName, without extension.
QString nextCapturePath(const QString &folder, const QString &header);

// nextCapturePath + ".txt".
QString nextTextFilePath(const QString &folder, const QString &header);

} // namespace snagwell
