#pragma once

#include <QString>

// Whether Tarnel runs in an X11 session (also XWayland) where synthetic keys, the key tap,
// hot keys and screen grabs work. Under a pure Wayland session they do not, and every
// backend says so instead of pretending.
namespace X11Session {

// The rule: Qt on xcb means X11 is there; otherwise a Wayland session rules X11 out, and without
// Wayland an X display that opens will do (tests run Qt offscreen next to an X server).
bool decide(bool waylandDisplaySet, const QString &qtPlatformName, bool displayOpens);

// The rule applied to this process (the display is probed once).
bool isUsable();

} // namespace X11Session
