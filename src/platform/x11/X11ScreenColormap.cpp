#include "platform/x11/X11ScreenColormap.h"

#include <QGuiApplication>
#include <QPlatformSurfaceEvent>
#include <QWindow>

#include <X11/Xlib.h>

namespace {

Display *qtDisplay()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}

} // namespace

X11ScreenColormap::X11ScreenColormap(QObject *parent) : QObject(parent)
{
    if (qGuiApp && qtDisplay())
        qGuiApp->installEventFilter(this);
}

bool X11ScreenColormap::eventFilter(QObject *watched, QEvent *event)
{
    // The window exists on the server from here on, and is not mapped yet.
    if (event->type() == QEvent::PlatformSurface
        && static_cast<QPlatformSurfaceEvent *>(event)->surfaceEventType() == QPlatformSurfaceEvent::SurfaceCreated) {
        if (auto *window = qobject_cast<QWindow *>(watched); window && window->handle())
            useScreenColormap(window->winId());
    }
    return QObject::eventFilter(watched, event);
}

bool X11ScreenColormap::useScreenColormap(unsigned long window)
{
    Display *display = qtDisplay();
    XWindowAttributes attributes{};
    if (!display || !XGetWindowAttributes(display, window, &attributes))
        return false;
    const int screen = XScreenNumberOfScreen(attributes.screen);
    if (attributes.visual != DefaultVisual(display, screen))
        return false;
    const Colormap screenColormap = DefaultColormap(display, screen);
    if (attributes.colormap != screenColormap) {
        XSetWindowColormap(display, window, screenColormap);
        XFlush(display);
    }
    return true;
}
