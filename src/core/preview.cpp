#include "core/preview.h"

#include "core/ansicodepage.h"

namespace snagwell {

QString previewExtension(const QString &fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString extension = fileName.mid(dot + 1, 4);
    // Blanks only, as the browser always trimmed them.
    qsizetype begin = 0;
    qsizetype end = extension.size();
    while (begin < end && extension[begin] == QLatin1Char(' '))
        ++begin;
    while (end > begin && extension[end - 1] == QLatin1Char(' '))
        --end;
    return extension.mid(begin, end - begin);
}

PreviewKind previewKindOf(const QString &fileName)
{
    const QString extension = previewExtension(fileName);
    if (extension == QLatin1String("gif") || extension == QLatin1String("bmp") ||
        extension == QLatin1String("jpg") || extension == QLatin1String("jpeg"))
        return PreviewKind::Picture;
    if (extension == QLatin1String("png"))
        return PreviewKind::Png;
    if (extension == QLatin1String("txt"))
        return PreviewKind::Text;
    return PreviewKind::None;
}

QString joinFolderAndName(const QString &folder, const QString &name)
{
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

QString previewText(const QByteArray &bytes)
{
    QString result;
    for (const QString &line : fileLines(decodeFileText(bytes)))
        result += line + QStringLiteral("\r\n");
    return result;
}

} // namespace snagwell
