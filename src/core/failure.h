#pragma once

#include <QString>

#include <stdexcept>

namespace snagwell {

// A failed operation with a description a user can read. Handlers that
// report errors show what(); steps that stand alone catch it and go on.
class Failure : public std::runtime_error
{
public:
    explicit Failure(const QString &description)
        : std::runtime_error(description.toStdString()), m_description(description)
    {
    }
    const QString &description() const { return m_description; }

private:
    QString m_description;
};

// The description of any exception, for a message box.
inline QString describe(const std::exception &error)
{
    if (const auto *failure = dynamic_cast<const Failure *>(&error))
        return failure->description();
    return QString::fromLocal8Bit(error.what());
}

// A text as a message shows it: a long one keeps its start and its end.
inline QString shortened(const QString &text, qsizetype most = 200)
{
    if (text.size() <= most)
        return text;
    return text.left(most / 2) + QStringLiteral("…") + text.right(most / 2 - 1);
}

} // namespace snagwell
