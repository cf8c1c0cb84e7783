#pragma once

#include <QString>
#include <QStringList>

namespace snagwell {

// The desktop's own program that shows what the computer is made of.
class SystemInformation
{
public:
    virtual ~SystemInformation() = default;
    // Starts it in its own window without waiting; false when none is
    // installed or it could not be started.
    [[nodiscard]] virtual bool start() = 0;
};

// The first installed of the known programs, found on PATH.
class DesktopSystemInformation final : public SystemInformation
{
public:
    [[nodiscard]] bool start() override;
};

} // namespace snagwell
