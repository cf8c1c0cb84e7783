#pragma once

namespace snagwell {

// Sizes of the settings window, in twips (1/1440 inch).
inline constexpr int form1MinWidth = 10425;
inline constexpr int form1MinHeight = 8010;

// What a resize of the settings window leads to. The window cannot be made
// smaller than its minimum, width corrected before height; otherwise the
// preview area stretches with it and nothing else moves.
struct Form1Resize
{
    enum class Action { None, SetWidth, SetHeight, Stretch };
    Action action = Action::None;
    int value = 0; // the width or height to set, for SetWidth and SetHeight
    int labelTxtWidth = 0;
    int text1Width = 0;
    int labelImgWidth = 0;
    int picture1Width = 0;
    int picture1Height = 0;
};

constexpr Form1Resize Form_ResizeRule(bool minimized, int width, int height)
{
    Form1Resize r;
    if (minimized)
        return r;
    if (width < form1MinWidth) {
        r.action = Form1Resize::Action::SetWidth;
        r.value = form1MinWidth;
        return r;
    }
    if (height < form1MinHeight) {
        r.action = Form1Resize::Action::SetHeight;
        r.value = form1MinHeight;
        return r;
    }
    r.action = Form1Resize::Action::Stretch;
    r.labelTxtWidth = width - form1MinWidth + 6300;
    r.text1Width = width - form1MinWidth + 7275;
    r.labelImgWidth = width - form1MinWidth + 6300;
    r.picture1Width = width - form1MinWidth + 7275;
    r.picture1Height = height - form1MinHeight + 5325;
    return r;
}

// Twips and pixels at a logical DPI (15 twips a pixel at 96).
constexpr int twipsToPixels(int twips, int dpi)
{
    return (twips * dpi + 720) / 1440;
}
constexpr int pixelsToTwips(int pixels, int dpi)
{
    return dpi > 0 ? (pixels * 1440 + dpi / 2) / dpi : pixels * 15;
}

} // namespace snagwell
