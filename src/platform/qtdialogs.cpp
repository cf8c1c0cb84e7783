#include "platform/qtdialogs.h"

#include <QApplication>
#include <QMessageBox>

namespace snagwell {
namespace {

QMessageBox::StandardButton ask(QMessageBox::Icon icon, const QString &text, const QString &title,
                                QMessageBox::StandardButtons buttons)
{
    QMessageBox box(icon, title, text, buttons);
    // The program often has no window on screen (it lives in the tray), so
    // its boxes must come to the front by themselves.
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace

void QtDialogs::notice(const QString &text, const QString &title)
{
    ask(QMessageBox::Information, text, title, QMessageBox::Ok);
}

bool QtDialogs::askOkCancel(const QString &text, const QString &title)
{
    return ask(QMessageBox::Question, text, title, QMessageBox::Ok | QMessageBox::Cancel) ==
           QMessageBox::Ok;
}

bool QtDialogs::askYesNo(const QString &text, const QString &title)
{
    return ask(QMessageBox::Question, text, title, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

} // namespace snagwell
