#include "core/capturefiles.h"

#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>

#include "core/ansicodepage.h"
#include "core/failure.h"

namespace snagwell {
namespace {

// Six letters or digits, as a temporary file's name ends.
QString randomSuffix()
{
    static const QLatin1String letters(
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789");
    QString suffix;
    for (int i = 0; i < 6; ++i)
        suffix += letters.at(QRandomGenerator::global()->bounded(int(letters.size())));
    return suffix;
}

} // namespace

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
        // running number; created new, never through a link, and read and
        // write for all less the umask, as any new file.
        QFile file(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                   QLatin1Char('.') + randomSuffix());
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (file.exists())
                continue;
            throw Failure(QStringLiteral("%1 を作成できません: %2").arg(path, file.errorString()));
        }
        // Gone unless it got its name; removed by name, as remove() would
        // first close it, and the close's flush fails again on a full disk.
        bool named = false;
        const auto removeTemporary = qScopeGuard([&] {
            if (!named)
                QFile::remove(file.fileName());
        });
        write(file);
        const bool written = file.flush() && file.error() == QFileDevice::NoError;
        // rename() never replaces an existing file.
        named = written && file.rename(path);
        if (named)
            return base;
        const QString reason = file.errorString();
        if (!written)
            throw Failure(QStringLiteral("%1 に書き込めません: %2").arg(path, reason));
        if (!QFile::exists(path))
            throw Failure(QStringLiteral("%1 を作成できません: %2").arg(path, reason));
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
