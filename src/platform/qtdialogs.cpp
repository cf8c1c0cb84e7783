#include "platform/qtdialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>

namespace snagwell {

QString QtDialogs::buttonText(int standardButton)
{
    // Set here rather than left to Qt, whose own texts are English unless its
    // Japanese translation happens to be installed.
    switch (standardButton) {
    case QMessageBox::Ok:
        return QStringLiteral("OK");
    case QMessageBox::Cancel:
        return QStringLiteral("キャンセル");
    case QMessageBox::Yes:
        return QStringLiteral("はい");
    case QMessageBox::No:
        return QStringLiteral("いいえ");
    }
    return QString();
}

int QtDialogs::ask(int icon, const QString &text, const QString &title, int buttons)
{
    QMessageBox box(static_cast<QMessageBox::Icon>(icon), title, text,
                    static_cast<QMessageBox::StandardButtons>(buttons));
    for (QAbstractButton *button : box.buttons())
        button->setText(buttonText(box.standardButton(button)));
    // The program often has no window on screen (it lives in the tray), so
    // its boxes must come to the front by themselves.
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    m_open.append(&box);
    const int answer = box.exec();
    m_open.removeAll(&box);
    return answer;
}

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

void QtDialogs::closeAll()
{
    // Each box's own event loop ends once control returns to it; no button
    // counts as pressed.
    for (const QPointer<QMessageBox> &box : std::as_const(m_open)) {
        if (box)
            box->done(QMessageBox::NoButton);
    }
}

} // namespace snagwell
