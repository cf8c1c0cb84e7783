#include "platform/clipboard.h"

#include <algorithm>

#include <QClipboard>
#include <QImageReader>
#include <QGuiApplication>
#include <QMimeData>

namespace snagwell {

QString toWindowsLineEnds(const QString &text)
{
    QString result;
    result.reserve(text.size() + text.size() / 32 + 1);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\n') && (i == 0 || text[i - 1] != QLatin1Char('\r')))
            result += QLatin1Char('\r');
        result += c;
    }
    return result;
}

SystemClipboard::SystemClipboard(QObject *parent) : Clipboard(parent)
{
    // Qt refuses to decode a picture above 128 MB; the converters take up to
    // 2^28 pixels, four bytes each.
    QImageReader::setAllocationLimit(1024);
    // Only the CLIPBOARD selection: selecting text (PRIMARY) is no copy.
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
            [this] { Q_EMIT changed(); });
}

const QMimeData *SystemClipboard::data() const
{
    return QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
}

bool SystemClipboard::hasText() const
{
    // Plain text only: Qt counts a file list (text/uri-list) as text too, and
    // would hand over its URLs instead of a picture offered beside them.
    const QMimeData *mime = data();
    if (!mime)
        return false;
    const QStringList formats = mime->formats();
    return std::any_of(formats.begin(), formats.end(), [](const QString &format) {
        return format == QLatin1String("text/plain") || format.startsWith(QLatin1String("text/plain;"));
    });
}

QString SystemClipboard::text() const
{
    const QMimeData *mime = data();
    return mime ? toWindowsLineEnds(mime->text()) : QString();
}

bool SystemClipboard::hasImage() const
{
    const QMimeData *mime = data();
    return mime && mime->hasImage();
}

QImage SystemClipboard::image() const
{
    const QMimeData *mime = data();
    return mime ? qvariant_cast<QImage>(mime->imageData()) : QImage();
}

bool SystemClipboard::isSecret() const
{
    const QMimeData *mime = data();
    return mime && mime->data(QStringLiteral("x-kde-passwordManagerHint")) == "secret";
}

void SystemClipboard::clear()
{
    QGuiApplication::clipboard()->clear(QClipboard::Clipboard);
}

void SystemClipboard::setImage(const QImage &image)
{
    QGuiApplication::clipboard()->setImage(image, QClipboard::Clipboard);
}

} // namespace snagwell
