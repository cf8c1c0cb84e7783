#pragma once

#include <QStringView>

#include <optional>

namespace snagwell {

// A number as the settings file and capture names write it: blanks around
// it, an optional sign, ASCII digits with at most one decimal point, at
// least one digit ("007", "12.", " 42 ", "-1.5"); no exponent, no other
// digits. Rounded to a whole number half to even ("2.5" gives 2, "3.5"
// gives 4), on the decimal digits themselves; a number beyond a billion
// reads as a billion. Nothing for any other text.
std::optional<int> readNumber(QStringView text);

// Twips (1/1440 inch) and pixels at a logical DPI, rounded to the nearest,
// halves away from zero, so that places left of or above the primary screen
// round as those right of or below it do. A DPI that is not positive (no
// screen) counts as 96, 15 twips a pixel.
int twipsToPixels(int twips, int dpi);
int pixelsToTwips(int pixels, int dpi);

} // namespace snagwell
