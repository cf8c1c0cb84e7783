#pragma once

#include <QList>
#include <QString>

namespace snagwell {

inline const QString &applicationTitle()
{
    static const QString title = QStringLiteral("Snagwell");
    return title;
}

// Message boxes. A notice has the OK button alone; the two questions answer
// true for OK and for Yes.
class Dialogs
{
public:
    virtual ~Dialogs() = default;
    virtual void notice(const QString &text, const QString &title = applicationTitle()) = 0;
    virtual bool askOkCancel(const QString &text, const QString &title) = 0;
    virtual bool askYesNo(const QString &text, const QString &title) = 0;
};

} // namespace snagwell
