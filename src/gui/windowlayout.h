#pragma once

#include "core/numbers.h"

namespace snagwell {

// The least size of the settings window, in twips (1/1440 inch).
inline constexpr int settingsWindowMinWidth = 10425;
inline constexpr int settingsWindowMinHeight = 8010;

} // namespace snagwell
