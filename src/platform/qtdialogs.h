#pragma once

#include "platform/dialogs.h"

class QWidget;

namespace snagwell {

// Message boxes on the screen, Japanese buttons by the system's own texts.
class QtDialogs final : public Dialogs
{
public:
    void notice(const QString &text, const QString &title = applicationTitle()) override;
    bool askOkCancel(const QString &text, const QString &title) override;
    bool askYesNo(const QString &text, const QString &title) override;
};

} // namespace snagwell
