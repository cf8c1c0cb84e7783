#pragma once

#include <QRect>
#include <QSize>
#include <QString>

class QImage;
class QLineEdit;
class QListWidget;

namespace snagwell {

class Dialogs;
class Printers;

// The printer list `lstPrinters` holds the system's printers in their own
// order; `tbxPrinter` holds the chosen printer's name, which the settings
// file keeps. The current printer changes only when a job is printed.

// The list's text: the selected item's name, empty when nothing is selected.
QString listText(const QListWidget &list);

// The first item equal to text when letter case is ignored, -1 for none.
int findStringExact(const QListWidget &list, const QString &text);

// tbxPrinter := the list's text.
void lstPrinters_Click(const QListWidget &lstPrinters, QLineEdit &tbxPrinter);

// Runs lstPrinters_Click whenever an item becomes selected, by the user or
// by code (synchronously, inside the call that selects), and when the user
// clicks an item that is already selected.
void connectPrinterList(QListWidget &lstPrinters, QLineEdit &tbxPrinter);

// Lists the system's printers and selects the one tbxPrinter names, found
// without regard to letter case; tbxPrinter then takes the name as the
// system writes it. With an empty name the last printer is chosen; with a
// name no printer has, nothing is selected and tbxPrinter keeps the name.
// Needs connectPrinterList() to have been called. Reports no failure of
// its own.
void FillPrinterList(QListWidget &lstPrinters, QLineEdit &tbxPrinter, Printers &printers);

// Makes the printer whose name is exactly chosenPrinter the current printer;
// without such a printer the current printer stays.
void SelectChosenPrinter(Printers &printers, const QString &chosenPrinter);

// The text job: the whole text in portrait from the top left of the page.
// Throws Failure.
void printTextJob(Printers &printers, const QString &chosenPrinter, const QString &text);

// Where the picture job puts a picture of this many screen pixels: at
// (10, 10) twips, at its own size, in twips at the screen's DPI.
QRect pictureTwips(const QSize &pixels, int screenDpi);

// The picture job: the picture at its own size in landscape. Throws Failure.
void printPictureJob(Printers &printers, const QString &chosenPrinter, const QImage &picture,
                     int screenDpi);

// Button "イメージ印刷": labelImg is the previewed picture's path (LabelIMG),
// picture what the preview shows. Asks first; any failure is shown.
void btnPrnIMG_Click(const QString &labelImg, const QImage &picture, int screenDpi,
                     const QString &chosenPrinter, Printers &printers, Dialogs &dialogs);

// Button "テキスト印刷": text is the text preview's (Text1). Asks first; any
// failure is shown.
void btnPrnTXT_Click(const QString &text, const QString &chosenPrinter, Printers &printers,
                     Dialogs &dialogs);

} // namespace snagwell
