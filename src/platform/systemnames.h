#pragma once

#include <QString>

namespace snagwell {

// The computer's and the user's names, which make file-name headers.
class SystemNames
{
public:
    virtual ~SystemNames() = default;
    // The host name up to its first '.'; empty when it cannot be read.
    virtual QString computerName() const = 0;
    // The login name of the effective user; empty when it cannot be read.
    virtual QString userName() const = 0;
};

class HostSystemNames final : public SystemNames
{
public:
    QString computerName() const override;
    QString userName() const override;
};

class FixedSystemNames final : public SystemNames
{
public:
    FixedSystemNames(QString computer, QString user)
        : m_computer(std::move(computer)), m_user(std::move(user))
    {
    }
    QString computerName() const override { return m_computer; }
    QString userName() const override { return m_user; }
    void setNames(const QString &computer, const QString &user)
    {
        m_computer = computer;
        m_user = user;
    }

private:
    QString m_computer;
    QString m_user;
};

} // namespace snagwell
