#include "platform/x11/X11Permissions.h"

#include "platform/KeyTap.h"
#include "platform/x11/X11Session.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace {

bool serverHasXTest()
{
    static const bool present = [] {
        Display *display = XOpenDisplay(nullptr);
        if (!display)
            return false;
        int eventBase = 0, errorBase = 0, major = 0, minor = 0;
        const bool found = XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor);
        XCloseDisplay(display);
        return found;
    }();
    return present;
}

} // namespace

X11Permissions::X11Permissions(KeyTap *tap, QObject *parent)
    : Permissions(parent)
    , m_tap(tap)
{
}

bool X11Permissions::accessibilityTrusted() const
{
    return X11Session::isUsable() && serverHasXTest();
}

bool X11Permissions::inputMonitoring() const
{
    return X11Session::isUsable() && m_tap && m_tap->isAvailable();
}

bool X11Permissions::screenRecording() const
{
    return X11Session::isUsable();
}

bool X11Permissions::waylandSession() const
{
    return X11Session::isUsable() && X11Session::isXWaylandInWayland();
}
