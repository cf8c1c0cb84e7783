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

// Test double: answers from a script (OK/Yes when the script has run out)
// and records every box it was asked to show.
class ScriptedDialogs final : public Dialogs
{
public:
    enum class Kind { Notice, OkCancel, YesNo };
    struct Shown
    {
        Kind kind;
        QString text;
        QString title;
    };

    void notice(const QString &text, const QString &title = applicationTitle()) override
    {
        m_shown.append({Kind::Notice, text, title});
    }
    bool askOkCancel(const QString &text, const QString &title) override
    {
        m_shown.append({Kind::OkCancel, text, title});
        return nextAnswer();
    }
    bool askYesNo(const QString &text, const QString &title) override
    {
        m_shown.append({Kind::YesNo, text, title});
        return nextAnswer();
    }

    void answer(bool yes) { m_answers.append(yes); }
    const QList<Shown> &shown() const { return m_shown; }
    QStringList texts() const
    {
        QStringList result;
        for (const Shown &box : m_shown)
            result.append(box.text);
        return result;
    }
    void clear()
    {
        m_shown.clear();
        m_answers.clear();
    }

private:
    bool nextAnswer() { return m_answers.isEmpty() ? true : m_answers.takeFirst(); }

    QList<Shown> m_shown;
    QList<bool> m_answers;
};

} // namespace snagwell
