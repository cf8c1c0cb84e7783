#pragma once

#include <QImage>

namespace snagwell {

// A picture of the whole virtual screen: every monitor, as they stand.
class ScreenGrabber
{
public:
    virtual ~ScreenGrabber() = default;
    virtual QImage grabVirtualScreen() = 0;
};

class QtScreenGrabber final : public ScreenGrabber
{
public:
    QImage grabVirtualScreen() override;
};

} // namespace snagwell
