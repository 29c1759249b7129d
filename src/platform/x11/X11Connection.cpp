#include "platform/x11/X11Connection.h"

#include "platform/x11/X11WindowTree.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

// Errors from requests about windows that vanished meanwhile are expected; they must not end
// the program (Xlib's default handler exits).
int ignoreError(Display *, XErrorEvent *)
{
    return 0;
}

// Runs a request whose failure just means "no answer", with a handler that swallows the error.
template <typename F>
auto quietly(Display *display, F &&request)
{
    XSync(display, False);
    XErrorHandler previous = XSetErrorHandler(ignoreError);
    auto result = request();
    XSync(display, False);
    XSetErrorHandler(previous);
    return result;
}

// The root child under the pointer and the managed window in it; errors about windows that
// vanish meanwhile are the caller's to swallow.
X11WindowTree::Ancestry underPointer(Display *display, unsigned long wmState)
{
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int buttons = 0;
    if (!XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &x, &y, &buttons) || child == 0)
        return {};
    return {child, X11WindowTree::clientWithin(display, child, wmState)};
}

} // namespace

X11Connection::X11Connection()
    : m_display(XOpenDisplay(nullptr))
{
}

X11Connection::~X11Connection()
{
    if (m_display)
        XCloseDisplay(m_display);
}

unsigned long X11Connection::rootWindow() const
{
    return DefaultRootWindow(m_display);
}

int X11Connection::fileDescriptor() const
{
    return ConnectionNumber(m_display);
}

unsigned long X11Connection::atom(const char *name) const
{
    return XInternAtom(m_display, name, False);
}

QList<unsigned long> X11Connection::cardinalProperty(unsigned long window, const char *name) const
{
    QList<unsigned long> values;
    if (!m_display || window == 0)
        return values;
    const Atom property = atom(name);
    quietly(m_display, [&] {
        Atom type = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long remaining = 0;
        unsigned char *data = nullptr;
        const int status = XGetWindowProperty(m_display, window, property, 0, 4096, False, AnyPropertyType,
                                              &type, &format, &count, &remaining, &data);
        if (status == Success && data && format == 32) {
            // Xlib hands 32-bit items back as longs.
            const auto *items = reinterpret_cast<const unsigned long *>(data);
            for (unsigned long i = 0; i < count; ++i)
                values.append(items[i]);
        }
        if (data)
            XFree(data);
        return 0;
    });
    return values;
}

std::optional<QString> X11Connection::windowClass(unsigned long window) const
{
    return classHintPart(window, false);
}

std::optional<QString> X11Connection::windowInstance(unsigned long window) const
{
    return classHintPart(window, true);
}

std::optional<QString> X11Connection::classHintPart(unsigned long window, bool instance) const
{
    if (!m_display || window == 0)
        return std::nullopt;
    return quietly(m_display, [&]() -> std::optional<QString> {
        XClassHint hint{nullptr, nullptr};
        if (!XGetClassHint(m_display, window, &hint))
            return std::nullopt;
        std::optional<QString> result;
        if (const char *part = instance ? hint.res_name : hint.res_class)
            result = QString::fromLocal8Bit(part);
        if (hint.res_name)
            XFree(hint.res_name);
        if (hint.res_class)
            XFree(hint.res_class);
        return result;
    });
}

std::optional<qint64> X11Connection::windowPid(unsigned long window) const
{
    const QList<unsigned long> values = cardinalProperty(window, "_NET_WM_PID");
    if (values.isEmpty() || values.first() == 0)
        return std::nullopt;
    return qint64(values.first());
}

bool X11Connection::managerSupports(const char *hint) const
{
    return cardinalProperty(rootWindow(), "_NET_SUPPORTED").contains(atom(hint));
}

std::optional<unsigned long> X11Connection::activeWindow() const
{
    const QList<unsigned long> values = cardinalProperty(rootWindow(), "_NET_ACTIVE_WINDOW");
    if (!values.isEmpty() && values.first() != 0)
        return values.first();
    if (managerSupports("_NET_ACTIVE_WINDOW"))
        return std::nullopt;
    // No manager names the active window: the window the user works in is the one with the
    // keyboard, never one beside the manager (Tarnel's panel).
    const FocusHolder holder = focusHolder();
    if (holder.client == 0)
        return std::nullopt;
    return holder.client;
}

X11Connection::FocusHolder X11Connection::focusHolder() const
{
    if (!m_display)
        return {};
    const Atom wmState = atom("WM_STATE");
    return quietly(m_display, [&]() -> FocusHolder {
        Window focus = 0;
        int revert = 0;
        XGetInputFocus(m_display, &focus, &revert);
        if (focus == None)
            return {};
        X11WindowTree::Ancestry ancestry;
        if (focus == PointerRoot) {
            // The keyboard follows the pointer (twm with NoTitleFocus, a session with no
            // manager): keys go to the window under it, whatever it says about itself.
            ancestry = underPointer(m_display, wmState);
        } else {
            // The focused window may be a child of the top-level window the server stacks.
            ancestry = X11WindowTree::ancestry(m_display, focus, wmState);
        }
        if (ancestry.topLevel == 0)
            return {};
        FocusHolder holder{ancestry.topLevel, ancestry.client, false};
        // Beside the manager: override-redirect with no managed client on the way or inside.
        // Some managers (fluxbox, icewm, i3) set that flag on their frames too.
        if (ancestry.client == 0) {
            XWindowAttributes attributes{};
            holder.unmanaged = XGetWindowAttributes(m_display, ancestry.topLevel, &attributes)
                && attributes.override_redirect
                && X11WindowTree::clientWithin(m_display, ancestry.topLevel, wmState) == 0;
        }
        return holder;
    });
}

std::optional<unsigned long> X11Connection::unmanagedFocusWindow() const
{
    const FocusHolder holder = focusHolder();
    if (!holder.unmanaged)
        return std::nullopt;
    return holder.topLevel;
}

std::optional<unsigned long> X11Connection::focusedTopLevel() const
{
    const FocusHolder holder = focusHolder();
    if (holder.topLevel == 0)
        return std::nullopt;
    return holder.client != 0 ? holder.client : holder.topLevel;
}

bool X11Connection::keyboardFollowsPointer() const
{
    if (!m_display)
        return false;
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(m_display, &focus, &revert);
    return focus == PointerRoot;
}

std::optional<unsigned long> X11Connection::clientUnderPointer() const
{
    if (!m_display)
        return std::nullopt;
    const Atom wmState = atom("WM_STATE");
    const unsigned long client = quietly(m_display, [&] { return underPointer(m_display, wmState).client; });
    if (client == 0)
        return std::nullopt;
    return client;
}

unsigned long X11Connection::clientWithin(unsigned long rootChild) const
{
    if (!m_display || rootChild == 0)
        return 0;
    const Atom wmState = atom("WM_STATE");
    return quietly(m_display, [&] { return X11WindowTree::clientWithin(m_display, rootChild, wmState); });
}

void X11Connection::letKeyboardFollowPointer() const
{
    if (m_display)
        XSetInputFocus(m_display, PointerRoot, RevertToPointerRoot, CurrentTime);
}

bool X11Connection::setInputFocus(unsigned long window) const
{
    if (!m_display || window == 0)
        return false;
    return quietly(m_display, [&] {
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(m_display, window, &attributes) || attributes.map_state != IsViewable)
            return false;
        XSetInputFocus(m_display, window, RevertToParent, CurrentTime);
        return true;
    });
}

QList<unsigned long> X11Connection::clientWindows() const
{
    QList<unsigned long> windows = cardinalProperty(rootWindow(), "_NET_CLIENT_LIST_STACKING");
    if (windows.isEmpty())
        windows = cardinalProperty(rootWindow(), "_NET_CLIENT_LIST");
    if (!windows.isEmpty() || !m_display || managerSupports("_NET_CLIENT_LIST"))
        return windows;
    // A manager without the lists (twm) still marks each window it manages with WM_STATE.
    const Atom wmState = atom("WM_STATE");
    quietly(m_display, [&] {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(m_display, rootWindow(), &root, &parent, &children, &count) || !children)
            return 0;
        for (unsigned int i = 0; i < count; ++i) {
            XWindowAttributes attributes{};
            if (!XGetWindowAttributes(m_display, children[i], &attributes) || attributes.map_state != IsViewable)
                continue;
            if (const unsigned long client = X11WindowTree::clientWithin(m_display, children[i], wmState))
                windows.append(client);
        }
        XFree(children);
        return 0;
    });
    return windows;
}

bool X11Connection::windowExists(unsigned long window) const
{
    if (!m_display || window == 0)
        return false;
    return quietly(m_display, [&] {
        XWindowAttributes attributes;
        return XGetWindowAttributes(m_display, window, &attributes) != 0;
    });
}

void X11Connection::drainEvents() const
{
    if (!m_display)
        return;
    while (XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        if (event.type == MappingNotify)
            XRefreshKeyboardMapping(&event.xmapping);
    }
}
