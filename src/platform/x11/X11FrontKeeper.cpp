#include "platform/x11/X11FrontKeeper.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QWindow>

#include <algorithm>
#include <map>

#include <xcb/xcb.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

Display *x11Display()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}

xcb_connection_t *x11Connection()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

// The window's ancestor that is a child of the root: the frame the manager stacks, or the
// window itself when it has none.
Window stackedAncestor(Display *display, Window window)
{
    const Window root = DefaultRootWindow(display);
    while (window != 0 && window != root) {
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

// What a root child is to the kept window.
enum class Kind {
    Hidden,    // unmapped or input only: not seen
    Managed,   // stacked by the manager, another program's or one the panel stands above
    OverPanel, // the program's own window opened from or over the panel
    Bypassing, // another program's window that bypasses the manager
    Covering,  // the same, over the whole screen: a lock screen or screen saver
    Kept,
};

struct Child {
    Window window = 0;
    Kind kind = Kind::Hidden;
};

} // namespace

X11FrontKeeper::X11FrontKeeper()
{
    // Bursts of events (a window mapped, reparented, placed and raised) are read once.
    m_placing.setSingleShot(true);
    m_placing.setInterval(0);
    QObject::connect(&m_placing, &QTimer::timeout, [this] { placeNow(); });
}

X11FrontKeeper::~X11FrontKeeper()
{
    if (m_listening && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

void X11FrontKeeper::keep(QWidget &window)
{
    if (std::find(m_kept.begin(), m_kept.end(), &window) == m_kept.end())
        m_kept.push_back(&window);
    listen();
}

void X11FrontKeeper::keepUnder(QWidget &window)
{
    if (std::find(m_under.begin(), m_under.end(), &window) == m_under.end())
        m_under.push_back(&window);
    listen();
    m_placing.start();
}

void X11FrontKeeper::liftOver(QWidget &window)
{
    if (std::find(m_lifted.begin(), m_lifted.end(), &window) == m_lifted.end())
        m_lifted.push_back(&window);
    m_placing.start();
}

void X11FrontKeeper::bringToFront()
{
    m_lifted.clear();
    placeNow();
}

void X11FrontKeeper::listen()
{
    Display *display = x11Display();
    if (!display || m_listening)
        return;
    m_listening = true;
    m_stackingAtom = XInternAtom(display, "_NET_CLIENT_LIST_STACKING", False);
    m_activeAtom = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
    if (xcb_connection_t *connection = x11Connection()) {
        const xcb_setup_t *setup = xcb_get_setup(connection);
        m_idBase = setup->resource_id_base;
        m_idMask = setup->resource_id_mask;
    }
    // The root's children coming, going and moving, and its properties, reach this client
    // through Qt's connection; added to what Qt selects there, never in place of it.
    const Window root = DefaultRootWindow(display);
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, root, &attributes);
    XSelectInput(display, root, attributes.your_event_mask | PropertyChangeMask | SubstructureNotifyMask);
    XFlush(display);
    QCoreApplication::instance()->installNativeEventFilter(this);
}

bool X11FrontKeeper::isOwn(unsigned long window) const
{
    // Every window this client creates has an id from the block the server gave it.
    return m_idMask != 0 && (window & ~static_cast<unsigned long>(m_idMask)) == m_idBase;
}

bool X11FrontKeeper::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    switch (event->response_type & 0x7f) {
    case XCB_PROPERTY_NOTIFY: {
        const auto *change = static_cast<const xcb_property_notify_event_t *>(message);
        if (change->atom == m_stackingAtom || change->atom == m_activeAtom)
            m_placing.start();
        break;
    }
    case XCB_MAP_NOTIFY:
    case XCB_UNMAP_NOTIFY:
    case XCB_CONFIGURE_NOTIFY:
    case XCB_REPARENT_NOTIFY:
    case XCB_CIRCULATE_NOTIFY:
        m_placing.start();
        break;
    default:
        break;
    }
    return false;
}

bool X11FrontKeeper::isScreenCovered() const
{
    Display *display = x11Display();
    if (!display)
        return false;
    XErrorHandler previous = XSetErrorHandler(ignoreError);
    const Window root = DefaultRootWindow(display);
    const int width = DisplayWidth(display, DefaultScreen(display));
    const int height = DisplayHeight(display, DefaultScreen(display));
    Window rootOut = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    bool covered = false;
    if (XQueryTree(display, root, &rootOut, &parent, &children, &count) && children) {
        for (unsigned int i = 0; i < count && !covered; ++i) {
            XWindowAttributes attributes{};
            covered = !isOwn(children[i]) && XGetWindowAttributes(display, children[i], &attributes)
                && attributes.map_state == IsViewable && attributes.c_class == InputOutput && attributes.override_redirect
                && attributes.x <= 0 && attributes.y <= 0 && attributes.x + attributes.width >= width
                && attributes.y + attributes.height >= height;
        }
        XFree(children);
    }
    XSetErrorHandler(previous);
    return covered;
}

void X11FrontKeeper::placeNow()
{
    Display *display = x11Display();
    if (!display)
        return;
    std::vector<Window> kept;
    for (const QPointer<QWidget> &window : m_kept)
        if (window && window->isVisible() && window->testAttribute(Qt::WA_WState_Created))
            kept.push_back(Window(window->winId()));
    if (kept.empty())
        return;
    // Windows vanish while they are read.
    XErrorHandler previous = XSetErrorHandler(ignoreError);

    // The program's own shown windows by the root child that holds them: those the panel stands
    // above, and all others, which stand above it.
    std::map<Window, Kind> own;
    for (QWindow *window : QGuiApplication::topLevelWindows()) {
        if (!window->isVisible() || !window->handle())
            continue;
        const auto id = Window(window->winId());
        if (std::find(kept.begin(), kept.end(), id) != kept.end())
            continue;
        const auto named = [id](const std::vector<QPointer<QWidget>> &windows) {
            return std::any_of(windows.begin(), windows.end(), [id](const QPointer<QWidget> &widget) {
                return widget && widget->testAttribute(Qt::WA_WState_Created) && Window(widget->winId()) == id;
            });
        };
        const bool under = named(m_under) && !named(m_lifted);
        if (const Window stacked = stackedAncestor(display, id))
            own[stacked] = under ? Kind::Managed : Kind::OverPanel;
    }

    const Window root = DefaultRootWindow(display);
    const int width = DisplayWidth(display, DefaultScreen(display));
    const int height = DisplayHeight(display, DefaultScreen(display));
    std::vector<Child> order;
    {
        Window rootOut = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        if (XQueryTree(display, root, &rootOut, &parent, &children, &count) && children) {
            for (unsigned int i = 0; i < count; ++i) {
                Child child{children[i], Kind::Hidden};
                XWindowAttributes attributes{};
                if (std::find(kept.begin(), kept.end(), child.window) != kept.end()) {
                    child.kind = Kind::Kept;
                } else if (XGetWindowAttributes(display, child.window, &attributes) && attributes.map_state == IsViewable
                           && attributes.c_class == InputOutput) {
                    if (const auto found = own.find(child.window); found != own.end())
                        child.kind = found->second;
                    else if (attributes.override_redirect && isOwn(child.window))
                        child.kind = Kind::OverPanel;
                    else if (!attributes.override_redirect)
                        child.kind = Kind::Managed;
                    else if (attributes.x <= 0 && attributes.y <= 0 && attributes.x + attributes.width >= width
                             && attributes.y + attributes.height >= height)
                        child.kind = Kind::Covering;
                    else
                        child.kind = Kind::Bypassing;
                }
                order.push_back(child);
            }
            XFree(children);
        }
    }

    // A lock screen or screen saver: what lies over its lowest one is not the panel's to cover.
    const auto cover = std::find_if(order.begin(), order.end(), [](const Child &child) { return child.kind == Kind::Covering; });
    // The program's own windows that came over it (a window mapped meanwhile) go under it.
    if (cover != order.end()) {
        for (auto it = cover + 1; it != order.end(); ++it) {
            if (it->kind != Kind::OverPanel && !own.count(it->window))
                continue;
            XWindowChanges under{};
            under.sibling = cover->window;
            under.stack_mode = Below;
            XConfigureWindow(display, it->window, CWSibling | CWStackMode, &under);
        }
    }
    // The topmost window the panel stands above.
    Window anchor = 0;
    for (auto it = order.begin(); it != cover; ++it)
        if (it->kind == Kind::Managed)
            anchor = it->window;
    for (const Window window : kept) {
        const auto at = std::find_if(order.begin(), order.end(), [window](const Child &child) { return child.window == window; });
        const auto from = std::find_if(order.begin(), order.end(), [anchor](const Child &child) { return child.window == anchor; });
        // In place: above the anchor, with nothing seen between the two.
        bool inPlace = at != order.end() && at < cover && (anchor == 0 || from < at);
        for (auto it = (anchor == 0 ? order.begin() : from + 1); inPlace && it < at; ++it)
            inPlace = it->kind == Kind::Hidden || it->kind == Kind::Kept;
        if (inPlace)
            continue;
        if (anchor == 0) {
            XLowerWindow(display, window);
        } else {
            XWindowChanges above{};
            above.sibling = anchor;
            above.stack_mode = Above;
            XConfigureWindow(display, window, CWSibling | CWStackMode, &above);
        }
    }
    XSync(display, False);
    XSetErrorHandler(previous);
}
