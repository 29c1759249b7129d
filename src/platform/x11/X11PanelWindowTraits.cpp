#include "platform/x11/X11PanelWindowTraits.h"

#include "core/Logging.h"

#include <QGuiApplication>
#include <QRegion>
#include <QWidget>
#include <QWindow>

#include <utility>
#include <vector>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>
#include <X11/extensions/scrnsaver.h>
#include <X11/extensions/shape.h>

namespace {

Display *x11Display()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}

bool hasXFixes(Display *display)
{
    static const bool present = [display] {
        int event = 0, error = 0;
        return XFixesQueryExtension(display, &event, &error) != 0;
    }();
    return present;
}

void sendWmState(Display *display, Window window, const char *first, const char *second, bool add = true)
{
    constexpr long netWmStateRemove = 0;
    constexpr long netWmStateAdd = 1;
    constexpr long sourceIsApplication = 1;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "_NET_WM_STATE", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = add ? netWmStateAdd : netWmStateRemove;
    event.xclient.data.l[1] = static_cast<long>(XInternAtom(display, first, False));
    event.xclient.data.l[2] = second ? static_cast<long>(XInternAtom(display, second, False)) : 0;
    event.xclient.data.l[3] = sourceIsApplication;
    XSendEvent(display, DefaultRootWindow(display), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

// What the window was told about the pointer, kept on the window itself: whether it lets the
// pointer pass, and the part of it that takes the pointer otherwise.
constexpr char kPassesPointer[] = "tarnelPassesPointer";
constexpr char kPointerRegion[] = "tarnelPointerRegion";

void applyPointerShape(QWidget &window)
{
    Display *display = x11Display();
    if (!display)
        return; // not an X11 session: the window system decides on its own
    if (!hasXFixes(display)) {
        static bool told = false;
        if (!std::exchange(told, true))
            qCWarning(lcPlatform) << "No XFixes: clicks beside the notch cannot pass through the panel";
        return;
    }
    const auto id = static_cast<Window>(window.winId());
    const QRegion region = window.property(kPointerRegion).value<QRegion>();
    if (!window.property(kPassesPointer).toBool() && region.isEmpty()) {
        // No input shape of our own: input follows the drawn (bounding) shape again.
        XFixesSetWindowShapeRegion(display, id, ShapeInput, 0, 0, None);
    } else {
        std::vector<XRectangle> rectangles;
        if (!window.property(kPassesPointer).toBool()) {
            for (const QRect &rect : region)
                rectangles.push_back({static_cast<short>(rect.x()), static_cast<short>(rect.y()),
                                      static_cast<unsigned short>(rect.width()), static_cast<unsigned short>(rect.height())});
        }
        const XserverRegion shape = XFixesCreateRegion(display, rectangles.data(), static_cast<int>(rectangles.size()));
        XFixesSetWindowShapeRegion(display, id, ShapeInput, 0, 0, shape);
        XFixesDestroyRegion(display, shape);
    }
    XFlush(display);
}

} // namespace

X11PanelWindowTraits::X11PanelWindowTraits()
{
    // The opener of a closed dialog beside the manager keeps the keyboard it takes back, as the
    // panel keeps the one its sheets hand back.
    QObject::connect(&m_dialogs, &X11BypassingDialogs::keyboardHandedBack, &m_dialogs,
                     [this](QWidget *opener) { m_frontKeeper.holdKeyboard(*opener, true); });
}

void X11PanelWindowTraits::setAcceptsPointer(QWidget &window, bool accepts)
{
    window.setProperty(kPassesPointer, !accepts);
    applyPointerShape(window);
}

void X11PanelWindowTraits::setPointerRegion(QWidget &window, const QRegion &region)
{
    window.setProperty(kPointerRegion, QVariant::fromValue(region));
    applyPointerShape(window);
}

void X11PanelWindowTraits::keepPictureInPlace(QWidget &window)
{
    Display *display = x11Display();
    if (!display)
        return;
    // Qt makes its windows with north-west bit gravity: moved and resized at once, the window
    // carries its old picture along with its top-left corner, and what it drew stands where
    // it no longer belongs until it paints again. Static gravity leaves it on the screen.
    XSetWindowAttributes attributes{};
    attributes.bit_gravity = StaticGravity;
    XChangeWindowAttributes(display, static_cast<Window>(window.winId()), CWBitGravity, &attributes);
    XFlush(display);
}

void X11PanelWindowTraits::keepOffTaskbar(QWidget &window)
{
    Display *display = x11Display();
    if (!display)
        return;
    const auto id = static_cast<Window>(window.winId());
    sendWmState(display, id, "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER");
    sendWmState(display, id, "_NET_WM_STATE_STICKY", nullptr);
    // Every desktop, as a panel of the screen's edge should be.
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = id;
    event.xclient.message_type = XInternAtom(display, "_NET_WM_DESKTOP", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = 0xFFFFFFFFL;
    event.xclient.data.l[1] = 1;
    XSendEvent(display, DefaultRootWindow(display), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XFlush(display);
}

void X11PanelWindowTraits::setKeptAbove(QWidget &window, bool above)
{
    Display *display = x11Display();
    if (!display)
        return;
    sendWmState(display, static_cast<Window>(window.winId()), "_NET_WM_STATE_ABOVE", nullptr, above);
    XFlush(display);
}

void X11PanelWindowTraits::setCastsShadow(QWidget &window, bool casts)
{
    Display *display = x11Display();
    if (!display)
        return;
    const auto id = static_cast<Window>(window.winId());
    const Atom shadow = XInternAtom(display, "_COMPTON_SHADOW", False);
    if (casts) {
        XDeleteProperty(display, id, shadow);
    } else {
        const long none = 0;
        XChangeProperty(display, id, shadow, XA_CARDINAL, 32, PropModeReplace, reinterpret_cast<const unsigned char *>(&none), 1);
    }
    XFlush(display);
}

void X11PanelWindowTraits::keepInFront(QWidget &window)
{
    m_frontKeeper.keep(window);
    // What is opened from the kept window and its sheets opens beside the manager as well.
    m_dialogs.start();
    // What opens on its own is seen over a full-screen window as well.
    m_overFullScreen.start();
}

void X11PanelWindowTraits::keepUnderPanel(QWidget &window)
{
    m_frontKeeper.keepUnder(window);
    m_overFullScreen.start();
}

void X11PanelWindowTraits::liftOverPanel(QWidget &window)
{
    m_frontKeeper.liftOver(window);
}

void X11PanelWindowTraits::bringToFront(QWidget &)
{
    m_frontKeeper.bringToFront();
}

void X11PanelWindowTraits::takeKeyboard(QWidget &window)
{
    m_dialogs.takeKeyboard(window);
}

void X11PanelWindowTraits::holdKeyboard(QWidget &window, bool hold)
{
    m_frontKeeper.holdKeyboard(window, hold);
}

void X11PanelWindowTraits::holdPointer(QWidget &window, bool hold)
{
    QWindow *handle = window.windowHandle();
    Display *display = x11Display();
    if (!handle || !display)
        return;
    // Held only where the server names another window under the pointer: elsewhere the window takes
    // the pointer's events as it is, and a click the user makes just after leaving it goes where
    // it lands rather than to a window that held the pointer until it saw it leave.
    bool elsewhere = false;
    if (hold && window.isVisible()) {
        Window root = 0, child = 0;
        int rootX = 0, rootY = 0, x = 0, y = 0;
        unsigned int buttons = 0;
        elsewhere = XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &x, &y, &buttons)
            && child != Window(window.winId());
    }
    if (elsewhere) {
        // Asked again on every look: a menu or drag of the program that took the pointer over since
        // let it go as it ended. Qt's own grab, so that what it delivers reaches the widget under
        // the pointer as any event of the window's would.
        if (!handle->setMouseGrabEnabled(true) && m_pointerHolder != &window)
            qCInfo(lcPlatform) << "The panel could not hold the pointer: another program holds it";
        m_pointerHolder = &window;
    } else if (m_pointerHolder == &window) {
        handle->setMouseGrabEnabled(false);
        m_pointerHolder = nullptr;
    }
}

bool X11PanelWindowTraits::isScreenCovered() const
{
    if (m_frontKeeper.isScreenCovered())
        return true;
    Display *display = x11Display();
    if (!display)
        return false;
    // The server's own screen saver, or one a locker runs through it.
    int event = 0, error = 0;
    if (!XScreenSaverQueryExtension(display, &event, &error))
        return false;
    XScreenSaverInfo *info = XScreenSaverAllocInfo();
    const bool on = info && XScreenSaverQueryInfo(display, DefaultRootWindow(display), info) && info->state == ScreenSaverOn;
    XFree(info);
    return on;
}
