#pragma once

#include <QString>

#include "core/settingsfile.h"

namespace snagwell {

// The tray icon's tip: the header, then the program's file name in
// parentheses. Under "登録名" the header is the registered name itself.
QString trayTipText(const Settings &settings, const QString &programName);

// The tip as the 64-byte CP932 field holds it: at most 64 characters, then
// cut at 64 bytes without splitting a double-byte character. The blanks
// that fill the rest of that field are not part of what is shown.
QString trayTipField(const QString &text);

} // namespace snagwell
