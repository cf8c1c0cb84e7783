#include "screenshot.h"

#include <algorithm>
#include <cstdint>

#include <QColor>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QRect>
#include <QString>

namespace snagwell::bench {

namespace {

// Fixed, so that every run encodes the same pixels; std::minstd_rand would
// do too, but its distributions are not the same across standard libraries.
class Noise final
{
public:
    std::uint32_t next()
    {
        m_state = m_state * 1664525u + 1013904223u;
        return m_state >> 8;
    }

private:
    std::uint32_t m_state = 20051115u;
};

int clampChannel(int value)
{
    return std::clamp(value, 0, 255);
}

void drawWindow(QPainter &painter, const QRect &frame, int unit, const QColor &title)
{
    painter.fillRect(frame, QColor(0xF6, 0xF6, 0xF6));
    painter.setPen(QColor(0xA0, 0xA0, 0xA0));
    painter.drawRect(frame.adjusted(0, 0, -1, -1));
    painter.fillRect(QRect(frame.left(), frame.top(), frame.width(), 3 * unit), title);
    // Three flat buttons in the title bar.
    for (int i = 1; i <= 3; ++i)
        painter.fillRect(
            QRect(frame.right() - i * 4 * unit, frame.top() + unit / 2, 3 * unit, 2 * unit),
            QColor(0xE8, 0xE8, 0xE8));
}

void drawText(QPainter &painter, const QRect &area, int unit, Noise &noise)
{
    static const char *const words[] = {
        "clipboard", "capture", "folder",  "picture", "monitor", "printer", "setting",
        "JPEG",      "PNG",     "bitmap",  "05Nov15", "user",    "text",    "save",
        "window",    "tray",    "running", "number",  "header",  "convert", "quality"};
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(std::max(8, unit * 13 / 10));
    painter.setFont(font);
    const int lineHeight = unit * 2;
    const QColor colours[] = {QColor(0x20, 0x20, 0x20), QColor(0x1A, 0x5F, 0xB4),
                              QColor(0xA0, 0x20, 0x20), QColor(0x26, 0x7F, 0x3A)};
    for (int y = area.top() + lineHeight; y < area.bottom(); y += lineHeight) {
        QString line;
        const int count = 4 + static_cast<int>(noise.next() % 12);
        for (int i = 0; i < count; ++i) {
            line += QLatin1String(words[noise.next() % std::size(words)]);
            line += QLatin1Char(' ');
        }
        painter.setPen(colours[noise.next() % std::size(colours)]);
        painter.drawText(QPoint(area.left() + unit, y), line);
    }
}

void drawGradient(QPainter &painter, const QRect &area)
{
    QLinearGradient gradient(area.topLeft(), area.bottomRight());
    gradient.setColorAt(0.0, QColor(0x35, 0x6A, 0x9E));
    gradient.setColorAt(0.45, QColor(0xE3, 0xB5, 0x6F));
    gradient.setColorAt(1.0, QColor(0x3C, 0x7A, 0x2E));
    painter.fillRect(area, gradient);
}

// Grain, as a camera gives it: what makes a photo expensive to encode.
void addGrain(QImage &image, const QRect &area, Noise &noise)
{
    for (int y = area.top(); y <= area.bottom(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = area.left(); x <= area.right(); ++x) {
            const std::uint32_t bits = noise.next();
            const int grain = static_cast<int>(bits & 31) - 16;
            const QRgb pixel = row[x];
            row[x] = qRgb(clampChannel(qRed(pixel) + grain),
                          clampChannel(qGreen(pixel) + grain + static_cast<int>(bits >> 5 & 7) - 4),
                          clampChannel(qBlue(pixel) + grain + static_cast<int>(bits >> 8 & 7) - 4));
        }
    }
}

} // namespace

QImage screenshotLikePicture(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    const int width = size.width();
    const int height = size.height();
    const int unit = std::max(4, height / 108); // 10 pixels at 1080 lines
    Noise noise;

    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    // Desktop and task bar.
    image.fill(QColor(0x3A, 0x6E, 0xA5));
    painter.fillRect(QRect(0, height - 4 * unit, width, 4 * unit), QColor(0x20, 0x20, 0x28));
    for (int i = 0; i < 8; ++i)
        painter.fillRect(QRect(unit + i * 5 * unit, height - 7 * unit / 2, 3 * unit, 3 * unit),
                         QColor(0x50 + i * 16, 0x80, 0xC0 - i * 8));

    // An editor on the left half, full of text.
    const QRect editor(2 * unit, 2 * unit, width / 2, height - 8 * unit);
    drawWindow(painter, editor, unit, QColor(0x2B, 0x57, 0x9A));
    drawText(painter, editor.adjusted(unit, 4 * unit, -unit, -unit), unit, noise);

    // A settings-like window on the right with list rows and buttons.
    const QRect dialog(width / 2 + 4 * unit, 2 * unit, width / 2 - 6 * unit, height / 3);
    drawWindow(painter, dialog, unit, QColor(0x44, 0x44, 0x44));
    for (int row = 0; row < 8; ++row) {
        const QRect line(dialog.left() + unit, dialog.top() + 4 * unit + row * 3 * unit,
                         dialog.width() - 2 * unit, 3 * unit);
        if (line.bottom() > dialog.bottom() - 5 * unit)
            break;
        painter.fillRect(line, row % 2 == 0 ? QColor(0xFF, 0xFF, 0xFF) : QColor(0xEE, 0xF2, 0xF8));
    }
    drawText(painter,
             QRect(dialog.left(), dialog.top() + 4 * unit, dialog.width() / 2,
                   dialog.height() - 9 * unit),
             unit, noise);
    painter.fillRect(
        QRect(dialog.right() - 12 * unit, dialog.bottom() - 4 * unit, 10 * unit, 3 * unit),
        QColor(0x1A, 0x5F, 0xB4));

    // A picture viewer below it: the photo.
    const QRect viewer(width / 2 + 4 * unit, height / 3 + 4 * unit, width / 2 - 6 * unit,
                       height - height / 3 - 10 * unit);
    drawWindow(painter, viewer, unit, QColor(0x30, 0x30, 0x30));
    const QRect photo = viewer.adjusted(unit, 4 * unit, -unit, -unit);
    drawGradient(painter, photo);
    painter.end();
    addGrain(image, photo, noise);
    return image;
}

QImage photoLikePicture(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    drawGradient(painter, image.rect());
    painter.end();
    Noise noise;
    addGrain(image, image.rect(), noise);
    return image;
}

} // namespace snagwell::bench
