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

} // namespace snagwell
