#include "platform/x11/X11Session.h"

#include <QGuiApplication>

#include <X11/Xlib.h>

namespace X11Session {

bool decide(bool waylandDisplaySet, const QString &qtPlatformName, bool displayOpens)
{
    if (qtPlatformName == QLatin1String("xcb"))
        return displayOpens;
    if (waylandDisplaySet)
        return false;
    return displayOpens;
}

bool isUsable()
{
    static const bool displayOpens = [] {
        Display *display = XOpenDisplay(nullptr);
        if (!display)
            return false;
        XCloseDisplay(display);
        return true;
    }();
    return decide(!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"), QGuiApplication::platformName(), displayOpens);
}

} // namespace X11Session
