#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

namespace snagwell {

// Which display connection the program takes. Watching the clipboard needs
// X11: a Wayland client is told of clipboard changes only while it has the
// keyboard focus. On a Wayland session with XWayland the program therefore
// runs through XWayland; without any X11 display it cannot watch the
// clipboard and says so instead of starting blind.
struct DisplayChoice
{
    enum class Kind { AsIs, ForceX11, Refuse };
    Kind kind = Kind::AsIs;
    QString reason; // for Refuse
};

// environment: the value of an environment variable, empty when unset.
DisplayChoice chooseDisplay(const std::function<QByteArray(const char *)> &environment);

// Whether the desktop session is Wayland, whatever display the program uses.
bool isWaylandSession(const std::function<QByteArray(const char *)> &environment);

// Applies the choice before the application object is made: forcing X11
// sets QT_QPA_PLATFORM.
void applyDisplayChoice(const DisplayChoice &choice);

// Why the X11 display the program is about to use cannot be opened, or
// nothing when it can (or another platform is chosen).
std::optional<QString> unreachableDisplay();

} // namespace snagwell
