#include "browse/printing.h"

#include <exception>

#include <QImage>
#include <QLineEdit>
#include <QListWidget>

#include "app/failure.h"
#include "platform/dialogs.h"
#include "platform/printers.h"

namespace snagwell {
namespace {

const QString &printQuestionTitle()
{
    static const QString title = QStringLiteral("印刷確認");
    return title;
}

void selectRow(QListWidget &list, int row)
{
    // Selecting by code must raise the click handling at once, as a click does.
    list.setCurrentRow(row,
                       row < 0 ? QItemSelectionModel::Clear : QItemSelectionModel::ClearAndSelect);
}

} // namespace

QString listText(const QListWidget &list)
{
    const QList<QListWidgetItem *> selected = list.selectedItems();
    return selected.isEmpty() ? QString() : selected.constFirst()->text();
}

int findStringExact(const QListWidget &list, const QString &text)
{
    for (int i = 0; i < list.count(); ++i) {
        if (list.item(i)->text().compare(text, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

void lstPrinters_Click(const QListWidget &lstPrinters, QLineEdit &tbxPrinter)
{
    tbxPrinter.setText(listText(lstPrinters));
}

void connectPrinterList(QListWidget &lstPrinters, QLineEdit &tbxPrinter)
{
    lstPrinters.setSelectionMode(QAbstractItemView::SingleSelection);
    lstPrinters.setSortingEnabled(false);
    const auto click = [&lstPrinters, &tbxPrinter] { lstPrinters_Click(lstPrinters, tbxPrinter); };
    QObject::connect(&lstPrinters, &QListWidget::itemSelectionChanged, &tbxPrinter, click);
    QObject::connect(&lstPrinters, &QListWidget::itemClicked, &tbxPrinter, click);
}

void FillPrinterList(QListWidget &lstPrinters, QLineEdit &tbxPrinter, Printers &printers)
{
    lstPrinters.clear();
    const QStringList names = printers.names();
    for (int i = 0; i < names.size(); ++i) {
        lstPrinters.addItem(names.at(i));
        // An empty saved name matches the empty list text, so each printer
        // is selected in turn and the last one ends up chosen.
        if (listText(lstPrinters) == tbxPrinter.text())
            selectRow(lstPrinters, i);
        else
            lstPrinters.item(i)->setSelected(false);
    }
    selectRow(lstPrinters, findStringExact(lstPrinters, tbxPrinter.text()));
}

void SelectChosenPrinter(Printers &printers, const QString &chosenPrinter)
{
    const QStringList names = printers.names();
    for (const QString &name : names) {
        if (name == chosenPrinter) {
            printers.makeCurrent(name);
            return;
        }
    }
}

void printTextJob(Printers &printers, const QString &chosenPrinter, const QString &text)
{
    SelectChosenPrinter(printers, chosenPrinter);
    printers.setOrientation(PageOrientation::Portrait);
    printers.print(text);
    printers.endDoc();
}

QRect pictureTwips(const QSize &pixels, int screenDpi)
{
    if (screenDpi <= 0)
        throw Failure(QStringLiteral("画面の解像度が不明です"));
    const auto toTwips = [screenDpi](int length) { return qRound(length * 1440.0 / screenDpi); };
    return QRect(10, 10, toTwips(pixels.width()), toTwips(pixels.height()));
}

void printPictureJob(Printers &printers, const QString &chosenPrinter, const QImage &picture,
                     int screenDpi)
{
    SelectChosenPrinter(printers, chosenPrinter);
    printers.setOrientation(PageOrientation::Landscape);
    printers.paintPicture(picture, pictureTwips(picture.size(), screenDpi));
    printers.endDoc();
}

void btnPrnIMG_Click(const QString &labelImg, const QImage &picture, int screenDpi,
                     const QString &chosenPrinter, Printers &printers, Dialogs &dialogs)
{
    try {
        if (labelImg.isEmpty()) {
            dialogs.notice(QStringLiteral("イメージが選択されていません"));
            return;
        }
        if (!dialogs.askOkCancel(QStringLiteral("イメージを印刷しますか"), printQuestionTitle()))
            return;
        printPictureJob(printers, chosenPrinter, picture, screenDpi);
    } catch (const std::exception &error) {
        dialogs.notice(describe(error));
    }
}

void btnPrnTXT_Click(const QString &text, const QString &chosenPrinter, Printers &printers,
                     Dialogs &dialogs)
{
    try {
        if (text.isEmpty()) {
            dialogs.notice(QStringLiteral("テキストデータはありません"));
            return;
        }
        if (!dialogs.askOkCancel(QStringLiteral("テキストを印刷しますか"), printQuestionTitle()))
            return;
        printTextJob(printers, chosenPrinter, text);
    } catch (const std::exception &error) {
        dialogs.notice(describe(error));
    }
}

} // namespace snagwell
