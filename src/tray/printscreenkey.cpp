#include "printscreenkey.h"

#include <QCoreApplication>
#include <QImage>

#include "platform/clipboard.h"
#include "platform/screengrabber.h"

namespace snagwell {

void PressPrintScreenKey(Clipboard &clipboard, ScreenGrabber &grabber)
{
    // X11 answers no key with a screenshot on the clipboard, so the picture
    // is taken here. Emptying first keeps an old picture from being taken
    // for the new one when the grab fails.
    clipboard.clear();
    const QImage screen = grabber.grabVirtualScreen();
    if (!screen.isNull())
        clipboard.setImage(screen);
    QCoreApplication::processEvents();
}

int printScreenScanCode(std::optional<double> osVersion)
{
    return osVersion && *osVersion < 5.0 ? 1 : 0;
}

} // namespace snagwell
