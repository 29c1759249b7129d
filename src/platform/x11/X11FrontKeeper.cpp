#include "platform/x11/X11FrontKeeper.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <algorithm>

#include <xcb/xcb.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

Display *x11Display()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}

std::vector<unsigned long> windowList(Display *display, Window window, Atom property)
{
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    std::vector<unsigned long> values;
    if (XGetWindowProperty(display, window, property, 0, 4096, False, AnyPropertyType, &type, &format, &count, &after,
                           &data)
            == Success
        && data) {
        if (format == 32)
            values.assign(reinterpret_cast<const unsigned long *>(data), reinterpret_cast<const unsigned long *>(data) + count);
        XFree(data);
    }
    return values;
}

// The window's ancestor that is a child of the root: the frame the manager stacks.
Window stackedAncestor(Display *display, Window window)
{
    const Window root = DefaultRootWindow(display);
    while (window != 0) {
        Window rootOut = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(display, window, &rootOut, &parent, &children, &count))
            return 0;
        if (children)
            XFree(children);
        if (parent == root)
            return window;
        window = parent;
    }
    return 0;
}

int ignoreError(Display *, XErrorEvent *)
{
    return 0;
}

} // namespace

X11FrontKeeper::~X11FrontKeeper()
{
    if (m_listening && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

void X11FrontKeeper::keep(QWidget &window)
{
    Display *display = x11Display();
    if (!display || std::find(m_kept.begin(), m_kept.end(), &window) != m_kept.end())
        return;
    m_kept.push_back(&window);
    if (m_listening)
        return;
    m_listening = true;
    m_stackingAtom = XInternAtom(display, "_NET_CLIENT_LIST_STACKING", False);
    m_activeAtom = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
    // The root's property changes reach this client through Qt's connection; added to what
    // Qt selects there, never in place of it.
    const Window root = DefaultRootWindow(display);
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, root, &attributes);
    XSelectInput(display, root, attributes.your_event_mask | PropertyChangeMask);
    XFlush(display);
    QCoreApplication::instance()->installNativeEventFilter(this);
}

bool X11FrontKeeper::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
        return false;
    const auto *change = static_cast<const xcb_property_notify_event_t *>(message);
    if (change->atom == m_stackingAtom || change->atom == m_activeAtom)
        liftWhereCovered();
    return false;
}

void X11FrontKeeper::liftWhereCovered()
{
    Display *display = x11Display();
    if (!display)
        return;
    const Window root = DefaultRootWindow(display);
    const std::vector<unsigned long> stacking = windowList(display, root, Atom(m_stackingAtom));
    if (stacking.empty())
        return;
    // The top window may vanish while it is read.
    XErrorHandler previous = XSetErrorHandler(ignoreError);
    const Window top = stacking.back();
    const std::vector<unsigned long> pid = windowList(display, top, XInternAtom(display, "_NET_WM_PID", False));
    const bool own = !pid.empty() && qint64(pid.front()) == QCoreApplication::applicationPid();
    const Window frame = own ? stackedAncestor(display, top) : 0;
    for (const QPointer<QWidget> &kept : m_kept) {
        if (!kept || !kept->isVisible())
            continue;
        const auto id = Window(kept->winId());
        if (!own) {
            XRaiseWindow(display, id);
        } else if (frame != 0 && frame != id) {
            XWindowChanges under{};
            under.sibling = frame;
            under.stack_mode = Below;
            XConfigureWindow(display, id, CWSibling | CWStackMode, &under);
        }
    }
    XSync(display, False);
    XSetErrorHandler(previous);
}
