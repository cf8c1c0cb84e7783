#include "core/capturefiles.h"

#include <QFile>
#include <QFileInfo>
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
            // ordinary file.
            file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                QFileDevice::ReadUser | QFileDevice::WriteUser |
                                QFileDevice::ReadGroup | QFileDevice::ReadOther);
            return base;
        }
        if (!QFile::exists(path))
            throw Failure(QStringLiteral("%1 を作成できません: %2").arg(path, file.errorString()));
    }
    throw Failure(QStringLiteral("空いているファイル名がありません: %1").arg(extension));
}

} // namespace snagwell
