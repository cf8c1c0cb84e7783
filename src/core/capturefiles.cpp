#include "core/capturefiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>

#include "core/ansicodepage.h"
#include "core/failure.h"

namespace snagwell {

QByteArray textFileBytes(const QString &text)
{
    if (text.isEmpty())
        return {};
    const QString crlf = QStringLiteral("\r\n");
    QString content;
    content.reserve(text.size() + 2);
    for (const QString &piece : text.split(crlf))
        content += piece + crlf;
    return encodeFileText(content);
}

PictureFormat pictureFormatFor(PictureType type)
{
    using C = PictureFormat::Converter;
    switch (type) {
    case PictureType::Jpeg:
        return {C::Jpeg, QStringLiteral(".jpeg"), QStringLiteral("q30")};
    case PictureType::Jpg:
        return {C::Jpeg, QStringLiteral(".jpg"), QStringLiteral("q95")};
    case PictureType::Png:
        return {C::Png, QStringLiteral(".png"), QStringLiteral("ac3")};
    case PictureType::Bmp:
        break;
    }
    return {C::None, QString(), QString()};
}

QFileDevice::Permissions newFilePermissions()
{
    // Read, not set and restored: umask() would change it for a moment for
    // every thread of the process.
    mode_t mask = 022;
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("Umask:"))
                mask = static_cast<mode_t>(line.mid(6).trimmed().toUInt(nullptr, 8));
        }
    }
    const mode_t mode = 0666 & ~mask;
    QFileDevice::Permissions permissions;
    const std::pair<mode_t, QFileDevice::Permissions> bits[] = {
        {S_IRUSR, QFileDevice::ReadOwner | QFileDevice::ReadUser},
        {S_IWUSR, QFileDevice::WriteOwner | QFileDevice::WriteUser},
        {S_IRGRP, QFileDevice::ReadGroup},
        {S_IWGRP, QFileDevice::WriteGroup},
        {S_IROTH, QFileDevice::ReadOther},
        {S_IWOTH, QFileDevice::WriteOther}};
    for (const auto &[bit, permission] : bits) {
        if (mode & bit)
            permissions |= permission;
    }
    return permissions;
}

QString storeNewCapture(const std::function<QString()> &nextBase, const QString &extension,
                        const std::function<void(QIODevice &)> &write)
{
    // Another program or another instance may take the name between the
    // scan and the rename; each try scans afresh.
    constexpr int tries = 32;
    for (int attempt = 0; attempt < tries; ++attempt) {
        const QString base = nextBase();
        const QString path = base + extension;
        const QFileInfo target(path);
        // Hidden, so that it never shows in the file list nor counts for a
        // running number.
        QTemporaryFile file(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                            QStringLiteral(".XXXXXX"));
        if (!file.open())
            throw Failure(QStringLiteral("%1 を作成できません: %2").arg(path, file.errorString()));
        write(file);
        if (!file.flush() || file.error() != QFileDevice::NoError)
            throw Failure(QStringLiteral("%1 に書き込めません: %2").arg(path, file.errorString()));
        if (QFile::exists(path))
            continue;
        // rename() never replaces an existing file; the temporary file is
        // removed by its destructor when the rename does not happen.
        if (file.rename(path)) {
            file.setAutoRemove(false);
            // Temporary files are private to their owner; a capture is an
            // ordinary file, as the umask makes it.
            file.setPermissions(newFilePermissions());
            return base;
        }
        if (!QFile::exists(path))
            throw Failure(QStringLiteral("%1 を作成できません: %2").arg(path, file.errorString()));
    }
    throw Failure(QStringLiteral("空いているファイル名がありません: %1").arg(extension));
}

bool isCaptureTemporaryName(const QString &name)
{
    static const QRegularExpression temporary(
        QStringLiteral("^\\..+\\.(txt|bmp|jpeg|jpg|png)\\.[A-Za-z0-9]{6}$"));
    return temporary.match(name).hasMatch();
}

void removeStaleTemporaries(const QString &folder, const QDateTime &before)
{
    const QFileInfoList hidden =
        QDir(folder).entryInfoList(QStringList{QStringLiteral(".*")},
                                   QDir::Files | QDir::Hidden | QDir::System, QDir::Unsorted);
    for (const QFileInfo &entry : hidden) {
        // Another user's program may be writing into a shared folder, and a
        // file changed since start-up belongs to somebody still at work.
        if (entry.isSymLink() || !isCaptureTemporaryName(entry.fileName()) ||
            entry.ownerId() != ::geteuid() || entry.lastModified() >= before)
            continue;
        QFile::remove(entry.filePath());
    }
}

} // namespace snagwell
