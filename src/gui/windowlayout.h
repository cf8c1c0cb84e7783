#pragma once

#include "core/numbers.h"

namespace snagwell {

// Sizes of the settings window, in twips (1/1440 inch).
inline constexpr int settingsWindowMinWidth = 10425;
inline constexpr int settingsWindowMinHeight = 8010;

// What a resize of the settings window leads to. The window cannot be made
// smaller than its minimum, width corrected before height; otherwise the
// preview area stretches with it and nothing else moves.
struct PreviewStretch
{
    enum class Action { None, SetWidth, SetHeight, Stretch };
    Action action = Action::None;
    int value = 0; // the width or height to set, for SetWidth and SetHeight
    int textPathWidth = 0;
    int textWidth = 0;
    int picturePathWidth = 0;
    int pictureWidth = 0;
    int pictureHeight = 0;
};

constexpr PreviewStretch previewStretchFor(bool minimized, int width, int height)
{
    PreviewStretch r;
    if (minimized)
        return r;
    if (width < settingsWindowMinWidth) {
        r.action = PreviewStretch::Action::SetWidth;
        r.value = settingsWindowMinWidth;
        return r;
    }
    if (height < settingsWindowMinHeight) {
        r.action = PreviewStretch::Action::SetHeight;
        r.value = settingsWindowMinHeight;
        return r;
    }
    r.action = PreviewStretch::Action::Stretch;
    r.textPathWidth = width - settingsWindowMinWidth + 6300;
    r.textWidth = width - settingsWindowMinWidth + 7275;
    r.picturePathWidth = width - settingsWindowMinWidth + 6300;
    r.pictureWidth = width - settingsWindowMinWidth + 7275;
    r.pictureHeight = height - settingsWindowMinHeight + 5325;
    return r;
}

} // namespace snagwell
