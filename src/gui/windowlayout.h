#pragma once

namespace snagwell {

// The least size of the settings window, in twips (1/1440 inch).
inline constexpr int settingsWindowMinWidth = 10425;
inline constexpr int settingsWindowMinHeight = 8010;

// Pixels at a logical DPI (15 twips a pixel at 96).
constexpr int twipsToPixels(int twips, int dpi)
{
    return (twips * dpi + 720) / 1440;
}

} // namespace snagwell
