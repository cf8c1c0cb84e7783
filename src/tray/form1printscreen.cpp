// The settings window's side of the screen-capture button window.

#include "app/form1.h"

#include "tray/frmprintscreen.h"

namespace snagwell {

void Form1::mnuPrintScreen_Click()
{
    frmPrintScreen *window = printScreenWindow();
    window->show();
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
}

bool Form1::isPrintScreenLoaded() const
{
    return !m_printScreen.isNull();
}

void Form1::unloadPrintScreen()
{
    // Forgotten first: a window that unloads is never handed out again,
    // though it is deleted only later.
    frmPrintScreen *window = m_printScreen.data();
    m_printScreen.clear();
    if (window)
        window->unload();
}

frmPrintScreen *Form1::printScreenWindow()
{
    // Asking for the window's entries or visibility loads it, hidden.
    if (m_printScreen.isNull()) {
        m_printScreen = new frmPrintScreen(*this);
        m_printScreen->Form_Load();
    }
    return m_printScreen.data();
}

} // namespace snagwell
