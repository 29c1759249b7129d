#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Whether Tarnel runs in an X11 session (also XWayland) where synthetic keys, the key tap,
// hot keys and screen grabs work. Under a pure Wayland session they do not, and every
// backend says so instead of pretending.
namespace X11Session {

// The rule: Qt on xcb means X11 is there; otherwise a Wayland session rules X11 out, and without
// Wayland an X display that opens will do (tests run Qt offscreen next to an X server).
bool decide(bool waylandDisplaySet, const QString &qtPlatformName, bool displayOpens);

// The rule applied to this process (the display is probed once).
bool isUsable();

// Whether the X display is XWayland inside a Wayland session. There shortcuts, synthetic keys and
// paste reach X11 applications only, copies made in Wayland applications reach the X clipboard
// only when the compositor passes them on, and the compositor offers the clipboard to X again,
// with the same content, whenever the keyboard moves to an X11 window. Told by the server
// itself (the XWAYLAND extension, or screens named the way XWayland names them) or by the
// session announcing Wayland both ways (XDG_SESSION_TYPE and WAYLAND_DISPLAY).
bool decideXWayland(bool displayOpens, bool xwaylandServer, const QString &sessionType, bool waylandDisplaySet);
// The XWayland signature among the server's screen (output) names.
bool namesLookLikeXWayland(const QStringList &screenNames);

// The rule applied to this process (the server is probed once).
bool isXWaylandInWayland();

// Whether Tarnel's windows must be put on Qt's X11 platform: whenever an X display is there and
// the user chose no platform (QT_QPA_PLATFORM or -platform). The platform layer talks to that
// display; windows on another platform (Qt's Wayland one, under a Wayland session) would be
// invisible to it, so its shortcuts, panel placement and focus tracking would all miss them.
bool choosesXcb(const QByteArray &chosenPlatform, const QByteArray &xDisplay, bool platformArgument);

// The program's arguments with "-platform xcb" added when choosesXcb() holds for this process;
// handed to the application object, so children Tarnel starts never inherit the choice.
QList<QByteArray> qtArguments(int argc, char **argv);

} // namespace X11Session
