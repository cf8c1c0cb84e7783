#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

namespace snagwell {

// The printer the saved name chooses among the system's printers: the first
// one equal to it when letter case is ignored; with no saved name, the last
// printer. -1 when none is chosen.
int chosenPrinterIndex(const QStringList &printers, const QString &savedName);

// Where the picture job puts a picture of this many screen pixels: at
// (10, 10) twips, at its own size, in twips at the screen's DPI.
QRect pictureTwips(const QSize &pixels, int screenDpi);

} // namespace snagwell
