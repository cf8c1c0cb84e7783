#pragma once

#include <QList>
#include <QPointer>

#include "platform/dialogs.h"

class QMessageBox;

namespace snagwell {

// Message boxes on the screen, their buttons in Japanese.
class QtDialogs final : public Dialogs
{
public:
    void notice(const QString &text, const QString &title = applicationTitle()) override;
    bool askOkCancel(const QString &text, const QString &title) override;
    bool askYesNo(const QString &text, const QString &title) override;
    void closeAll() override;

    // The texts of the standard buttons the boxes use.
    static QString buttonText(int standardButton);

private:
    int ask(int icon, const QString &text, const QString &title, int buttons);

    // The boxes open now, innermost last.
    QList<QPointer<QMessageBox>> m_open;
};

} // namespace snagwell
