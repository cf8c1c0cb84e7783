#include "platform/screengrabber.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

namespace snagwell {

QImage QtScreenGrabber::grabVirtualScreen()
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    if (screens.isEmpty())
        return {};
    QRect area;
    for (const QScreen *screen : screens)
        area |= screen->geometry();
    if (screens.size() == 1)
        return screens.first()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
    QImage picture(area.size(), QImage::Format_RGB32);
    picture.fill(Qt::black);
    QPainter painter(&picture);
    for (QScreen *screen : screens) {
        const QPixmap shot = screen->grabWindow(0);
        // A high-DPI screen gives more pixels than its logical size.
        painter.drawPixmap(
            QRect(screen->geometry().topLeft() - area.topLeft(), screen->geometry().size()), shot);
    }
    return picture;
}

} // namespace snagwell
