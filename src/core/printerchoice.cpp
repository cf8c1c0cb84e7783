#include "core/printerchoice.h"

#include "core/failure.h"

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
    if (screenDpi <= 0)
        throw Failure(QStringLiteral("画面の解像度が不明です"));
    const auto toTwips = [screenDpi](int length) { return qRound(length * 1440.0 / screenDpi); };
    return QRect(10, 10, toTwips(pixels.width()), toTwips(pixels.height()));
}

} // namespace snagwell
