#pragma once

#include <QDateTime>

namespace snagwell {

// The local date and time, asked through a port so that day folders and the
// deletion of old ones can be tested on a fixed day.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock final : public Clock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

} // namespace snagwell
