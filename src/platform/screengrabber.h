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

class FixedScreenGrabber final : public ScreenGrabber
{
public:
    explicit FixedScreenGrabber(QImage image) : m_image(std::move(image)) {}
    QImage grabVirtualScreen() override
    {
        ++m_grabs;
        return m_image;
    }
    int grabs() const { return m_grabs; }

private:
    QImage m_image;
    int m_grabs = 0;
};

} // namespace snagwell
