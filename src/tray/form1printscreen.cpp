// The settings window's side of the screen-capture button window.

#include "app/form1.h"

namespace snagwell {

void Form1::mnuPrintScreen_Click()
{
    // The screen-capture button window is not built yet.
}

bool Form1::isPrintScreenLoaded() const
{
    return false;
}

void Form1::unloadPrintScreen()
{
    // Nothing is loaded yet.
}

frmPrintScreen *Form1::printScreenWindow()
{
    return nullptr;
}

} // namespace snagwell
