#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

#include <functional>

class QDateTime;

#include "core/settingsfile.h"

class QIODevice;

namespace snagwell {

// A text capture's file: each piece between CR LF pairs followed by CR LF,
// in CP932, or as UTF-8 with a byte order mark when CP932 cannot hold the
// text. An empty text gives an empty file.
QByteArray textFileBytes(const QString &text);

// How a picture is kept, by the picture format's text.
struct PictureFormat
{
    enum class Converter { None, Jpeg, Png };
    Converter converter = Converter::None;
    QString extension; // of the converted file, with its dot
    QString option;    // the converter's option text
};
PictureFormat pictureFormatFor(PictureType type);

// Stores a new capture file without ever replacing one, with the
// permissions the umask gives: the bytes go to a new hidden temporary file
// in the capture's folder, which is then renamed to
// base + extension only when no file of that name exists. When the name has
// been taken meanwhile, nextBase is asked again, a bounded number of times.
// Answers the base under which the file now stands; throws Failure when the
// file cannot be written.
QString storeNewCapture(const std::function<QString()> &nextBase, const QString &extension,
                        const std::function<void(QIODevice &)> &write);

// Whether a name is one of the hidden temporaries that a capture (or its
// conversion) is written under before it gets its name: ".", the capture's
// file name with its picture or text extension, ".", six letters or digits.
bool isCaptureTemporaryName(const QString &name);

// Removes from a folder the capture temporaries that a run cut off (a kill,
// a crash) left behind: files, not links, of this user, last changed before
// the given moment. Whatever cannot be removed stays; nothing is reported.
void removeStaleTemporaries(const QString &folder, const QDateTime &before);

} // namespace snagwell
