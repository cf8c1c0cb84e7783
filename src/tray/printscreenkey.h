#pragma once

#include <optional>

namespace snagwell {

class Clipboard;
class ScreenGrabber;

// What the PrintScreen key does for the button "画面保存": the clipboard is
// emptied, then a picture of the whole virtual screen (every monitor, the
// button window on it) is put there, and pending events run once, so that
// monitoring may capture the picture before the click handling returns.
// A grab that yields nothing leaves the clipboard empty.
void PressPrintScreenKey(Clipboard &clipboard, ScreenGrabber &grabber);

// The scan code to send with a synthetic PrintScreen press, for a platform
// that presses the key itself: 0 from operating-system version 5.0 on, 1
// before it, and 0 when the version is not known.
int printScreenScanCode(std::optional<double> osVersion);

} // namespace snagwell
