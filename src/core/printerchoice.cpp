#include "core/printerchoice.h"

#include "core/numbers.h"

namespace snagwell {

int chosenPrinterIndex(const QStringList &printers, const QString &savedName)
{
    if (savedName.isEmpty())
        return int(printers.size()) - 1;
    for (qsizetype i = 0; i < printers.size(); ++i) {
        if (printers.at(i).compare(savedName, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

QRect pictureTwips(const QSize &pixels, int screenDpi)
{
    return QRect(10, 10, pixelsToTwips(pixels.width(), screenDpi),
                 pixelsToTwips(pixels.height(), screenDpi));
}

} // namespace snagwell
