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
    // Closes every box still open, as if nobody answered: a notice returns,
    // a question answers false. For the end of the program, which must not
    // wait for somebody to answer.
    virtual void closeAll() = 0;
};

} // namespace snagwell
