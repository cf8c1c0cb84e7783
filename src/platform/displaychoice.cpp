#include "platform/displaychoice.h"

#include <xcb/xcb.h>

#include <QtGlobal>

namespace snagwell {

bool isWaylandSession(const std::function<QByteArray(const char *)> &environment)
{
    return !environment("WAYLAND_DISPLAY").isEmpty() ||
           environment("XDG_SESSION_TYPE") == "wayland";
}

DisplayChoice chooseDisplay(const std::function<QByteArray(const char *)> &environment)
{
    const QByteArray platform = environment("QT_QPA_PLATFORM");
    // A platform chosen on purpose (offscreen for tests, xcb) is kept,
    // unless it is Wayland, where the clipboard cannot be watched.
    if (!platform.isEmpty() && !platform.startsWith("wayland"))
        return {};
    const bool x11 = !environment("DISPLAY").isEmpty();
    const bool wayland = isWaylandSession(environment) || !platform.isEmpty();
    if (x11)
        return {wayland ? DisplayChoice::Kind::ForceX11 : DisplayChoice::Kind::AsIs, {}};
    if (wayland)
        return {DisplayChoice::Kind::Refuse,
                QStringLiteral("Snagwell needs X11 to watch the clipboard: a Wayland program is\n"
                               "told of clipboard changes only while it has the keyboard focus.\n"
                               "This Wayland session has no XWayland (DISPLAY is not set).\n"
                               "Enable XWayland, or log in to an X11 session.\n"
                               "クリップボードを監視するには X11 (XWayland) が必要です。\n")};
    return {DisplayChoice::Kind::Refuse,
            QStringLiteral("Snagwell needs a graphical session: no X11 display is set (DISPLAY).\n"
                           "画面に接続できません。\n")};
}

void applyDisplayChoice(const DisplayChoice &choice)
{
    if (choice.kind == DisplayChoice::Kind::ForceX11)
        qputenv("QT_QPA_PLATFORM", "xcb");
}

std::optional<QString> unreachableDisplay()
{
    // Qt aborts when its X11 connection fails, and suggests reinstalling;
    // the display is tried first so that the user is told what is wrong.
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && platform != "xcb")
        return std::nullopt;
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    const bool failed = xcb_connection_has_error(connection) != 0;
    xcb_disconnect(connection);
    if (!failed)
        return std::nullopt;
    const QString display = QString::fromLocal8Bit(qgetenv("DISPLAY"));
    return QStringLiteral("Snagwell cannot open the X11 display \"%1\".\n"
                          "画面 \"%1\" に接続できません。\n")
        .arg(display);
}

} // namespace snagwell
