#include "platform/x11/X11FrontKeeper.h"

#include "core/Logging.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11KeyboardHandoffs.h"
#include "platform/x11/X11RestackFilter.h"
#include "platform/x11/X11Session.h"
#include "platform/x11/X11WindowTree.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <map>
#include <utility>

#include <xcb/xcb.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

// A manager that frames a window may mark the client inside only after the frame maps.
constexpr std::chrono::milliseconds kClientRecheck{300};

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

int ignoreError(Display *, XErrorEvent *)
{
    return 0;
}

// What a root child is to the kept window.
enum class Kind {
    Hidden,    // unmapped or input only: not seen
    Managed,   // stacked by the manager, another program's or one the panel stands above
    OverPanel, // the program's own window opened from or over the panel, or one given way
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
    // Bursts of events (a window mapped, reparented, placed and raised) are followed once.
    m_placing.setSingleShot(true);
    m_placing.setInterval(0);
    QObject::connect(&m_placing, &QTimer::timeout, [this] { placeNow(); });
    m_recheck.setSingleShot(true);
    m_recheck.setInterval(kClientRecheck);
    QObject::connect(&m_recheck, &QTimer::timeout, [this] {
        for (const unsigned long window : m_toRecheck)
            if (TopLevel *known = m_order.find(window); known && known->mapped && known->client == 0)
                known->examined = false;
        m_toRecheck.clear();
        placeNow();
    });
    m_tryAgain.setSingleShot(true);
    m_tryAgain.setInterval(X11SelfRaiseGuard::kTryAgainAfter);
    QObject::connect(&m_tryAgain, &QTimer::timeout, [this] {
        m_raises.tryAgain(X11SelfRaiseGuard::Clock::now());
        placeNow();
    });
}

X11FrontKeeper::~X11FrontKeeper() = default;

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
    m_raises.releaseAll();
    m_tryAgain.stop();
    m_askedAt = X11SelfRaiseGuard::Clock::now();
    placeNow();
}

void X11FrontKeeper::holdKeyboard(QWidget &window, bool hold)
{
    // Inside a Wayland session the compositor gives the keyboard to the window its seat has
    // focused and puts back whatever an X client asks instead (the XWAYLAND extension says the
    // server is its bridge): taken back against it, the keyboard would go to and fro and Quick
    // Access stand open without it, where let go Quick Access closes as it loses the keyboard.
    if (hold && X11Session::isXWaylandInWayland())
        return;
    if (hold) {
        // Held anew: asked again while held, the hold keeps the moment the user first asked.
        if (m_held != &window) {
            m_heldSince = X11SelfRaiseGuard::Clock::now();
            m_takenFromTopLevel = 0;
            m_takenFrom = 0;
            // A window opened over the held one (a sheet over Quick Access) is held while it is
            // shown; the one under it is held again once it has the keyboard back.
            if (m_held && m_held->isVisible())
                m_heldUnder = m_held;
        }
        m_held = &window;
    } else if (m_held == &window) {
        m_held = std::exchange(m_heldUnder, nullptr);
    } else if (m_heldUnder == &window) {
        m_heldUnder = nullptr;
    }
    // The focus events of a window shown for the first time are heard from now on, the held one's
    // too where it is not kept itself (a sheet over the panel).
    if (hold && m_listening) {
        std::vector<unsigned long> watched = keptWindows();
        if (window.isVisible() && window.testAttribute(Qt::WA_WState_Created))
            watched.push_back(window.winId());
        watchFocus(watched);
    }
}

QWidget *X11FrontKeeper::heldWindow(unsigned long window) const
{
    for (const QPointer<QWidget> &held : {m_held, m_heldUnder})
        if (held && held->isVisible() && held->testAttribute(Qt::WA_WState_Created) && Window(held->winId()) == window)
            return held;
    return nullptr;
}

void X11FrontKeeper::listen()
{
    if (m_listening || !x11Display())
        return;
    auto connection = std::make_unique<X11Connection>();
    if (!connection->isOpen())
        return;
    m_connection = std::move(connection);
    m_listening = true;
    m_restacks = std::make_unique<X11RestackFilter>([this](unsigned long id) {
        return std::any_of(m_kept.begin(), m_kept.end(), [id](const QPointer<QWidget> &window) {
            return window && window->testAttribute(Qt::WA_WState_Created) && window->winId() == id;
        });
    });
    Display *display = m_connection->display();
    m_root = DefaultRootWindow(display);
    m_wmStateAtom = XInternAtom(display, "WM_STATE", False);
    // The program's own windows are those of Qt's connection.
    if (xcb_connection_t *qt = x11Connection()) {
        const xcb_setup_t *setup = xcb_get_setup(qt);
        m_idBase = setup->resource_id_base;
        m_idMask = setup->resource_id_mask;
    }
    // Selected before the first read, so that nothing happens unseen between the two.
    XSelectInput(display, m_root, SubstructureNotifyMask);
    if (!m_presses.listen(display))
        qCInfo(lcPlatform) << "Front keeper: no XInput2; a window raised at each click on it may be given way";
    rereadOrder();
    m_events = std::make_unique<QSocketNotifier>(m_connection->fileDescriptor(), QSocketNotifier::Read);
    QObject::connect(m_events.get(), &QSocketNotifier::activated, m_events.get(), [this] { takeEvents(); });
}

void X11FrontKeeper::rereadOrder() const
{
    Display *display = m_connection->display();
    XErrorHandler previous = XSetErrorHandler(ignoreError);
    XSync(display, False);
    XSetErrorHandler(previous);
    m_readSerial = NextRequest(display);
    m_order.reset(readTopLevels());
}

void X11FrontKeeper::takeEvents()
{
    // Placed at once: every event that came is followed by now.
    if (followEvents(true))
        place(false);
}

bool X11FrontKeeper::followEvents(bool readSocket)
{
    Display *display = m_connection->display();
    bool changed = false;
    // Errors of requests sent before (a move of a window that went meanwhile) come with the events.
    XErrorHandler previous = XSetErrorHandler(ignoreError);
    // One read takes what the socket holds; what comes later announces itself on the socket.
    if (readSocket)
        XEventsQueued(display, QueuedAfterFlush);
    while (XQLength(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (m_presses.take(display, event, X11SelfRaiseGuard::Clock::now())) {
            if (m_presses.lastClick() != m_clickFollowed) {
                m_clickFollowed = m_presses.lastClick();
                followClick(m_presses.lastClickWindow());
            }
            continue;
        }
        if (event.type == FocusIn || event.type == FocusOut) {
            followFocus(event);
            continue;
        }
        // Already in the last whole read.
        if (event.xany.serial < m_readSerial)
            continue;
        changed = follow(event) || changed;
    }
    XSetErrorHandler(previous);
    return changed;
}

unsigned long X11FrontKeeper::requestsSent() const
{
    return m_connection ? NextRequest(m_connection->display()) - 1 : 0;
}

bool X11FrontKeeper::isOwn(unsigned long window) const
{
    // Every window this client creates has an id from the block the server gave it.
    return m_idMask != 0 && (window & ~static_cast<unsigned long>(m_idMask)) == m_idBase;
}

std::vector<X11FrontKeeper::TopLevel> X11FrontKeeper::readTopLevels() const
{
    std::vector<TopLevel> read;
    Display *display = m_connection ? m_connection->display() : x11Display();
    if (!display)
        return read;
    const Atom wmState = m_wmStateAtom != 0 ? m_wmStateAtom : XInternAtom(display, "WM_STATE", False);
    XErrorHandler previous = XSetErrorHandler(ignoreError);
    Window rootOut = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, DefaultRootWindow(display), &rootOut, &parent, &children, &count) && children) {
        for (unsigned int i = 0; i < count; ++i) {
            XWindowAttributes attributes{};
            if (!XGetWindowAttributes(display, children[i], &attributes))
                continue;
            TopLevel window;
            window.window = children[i];
            window.overrideRedirect = attributes.override_redirect;
            window.inputOnly = attributes.c_class == InputOnly;
            window.mapped = attributes.map_state != IsUnmapped;
            window.geometry = QRect(attributes.x, attributes.y, attributes.width, attributes.height);
            // What an unmapped window holds is read when it maps.
            if (window.mapped) {
                window.client = X11WindowTree::clientWithin(display, window.window, wmState);
                window.examined = true;
            }
            read.push_back(window);
        }
        XFree(children);
    }
    XSetErrorHandler(previous);
    return read;
}

void X11FrontKeeper::examinePending() const
{
    if (!m_listening)
        return;
    Display *display = m_connection->display();
    if (m_stale) {
        m_stale = false;
        rereadOrder();
    }
    std::vector<unsigned long> pending;
    for (const TopLevel &window : m_order.windows())
        if (window.mapped && !window.examined)
            pending.push_back(window.window);
    XErrorHandler previous = XSetErrorHandler(ignoreError);
    for (const unsigned long id : pending) {
        XWindowAttributes attributes{};
        const bool exists = XGetWindowAttributes(display, id, &attributes);
        TopLevel *window = m_order.find(id);
        if (!window)
            continue;
        if (!exists) {
            m_order.remove(id);
            continue;
        }
        window->overrideRedirect = attributes.override_redirect;
        window->inputOnly = attributes.c_class == InputOnly;
        window->mapped = attributes.map_state != IsUnmapped;
        window->geometry = QRect(attributes.x, attributes.y, attributes.width, attributes.height);
        window->client = X11WindowTree::clientWithin(display, id, m_wmStateAtom);
        window->examined = true;
        if (window->mapped && !window->client && window->overrideRedirect && !isOwn(id) && m_rechecked.insert(id).second) {
            m_toRecheck.push_back(id);
            const_cast<QTimer &>(m_recheck).start();
        }
    }
    XSetErrorHandler(previous);
    takeQueuedEventsLater();
}

void X11FrontKeeper::takeQueuedEventsLater() const
{
    // Events read with the answers to requests wait in the connection's queue, where the socket
    // no longer announces them.
    if (XQLength(m_connection->display()) > 0)
        QTimer::singleShot(0, m_events.get(), [this] { const_cast<X11FrontKeeper *>(this)->takeEvents(); });
}

bool X11FrontKeeper::isCovering(const TopLevel &window) const
{
    Display *display = m_connection ? m_connection->display() : x11Display();
    const int width = DisplayWidth(display, DefaultScreen(display));
    const int height = DisplayHeight(display, DefaultScreen(display));
    const QRect &at = window.geometry;
    return window.mapped && !window.inputOnly && !window.isManaged() && !isOwn(window.window) && at.x() <= 0
        && at.y() <= 0 && at.x() + at.width() >= width && at.y() + at.height() >= height;
}

std::vector<unsigned long> X11FrontKeeper::keptWindows() const
{
    std::vector<unsigned long> kept;
    for (const QPointer<QWidget> &window : m_kept)
        if (window && window->isVisible() && window->testAttribute(Qt::WA_WState_Created))
            kept.push_back(window->winId());
    return kept;
}

bool X11FrontKeeper::follow(const XEvent &event)
{
    switch (event.type) {
    case CreateNotify: {
        const XCreateWindowEvent &created = event.xcreatewindow;
        if (created.parent != m_root)
            return false;
        TopLevel window;
        window.window = created.window;
        window.overrideRedirect = created.override_redirect;
        window.geometry = QRect(created.x, created.y, created.width, created.height);
        m_order.add(window);
        return false;
    }
    case DestroyNotify: {
        const XDestroyWindowEvent &destroyed = event.xdestroywindow;
        const TopLevel *known = m_order.find(destroyed.window);
        const bool seen = known && known->mapped;
        m_order.remove(destroyed.window);
        m_raises.release(destroyed.window);
        m_rechecked.erase(destroyed.window);
        m_focusWatched.erase(destroyed.window);
        m_keyboard.erase(destroyed.window);
        return seen;
    }
    case MapNotify: {
        TopLevel *known = m_order.find(event.xmap.window);
        if (!known) {
            m_stale = true;
            return true;
        }
        known->mapped = true;
        known->examined = false;
        known->overrideRedirect = event.xmap.override_redirect;
        return true;
    }
    case UnmapNotify: {
        if (TopLevel *known = m_order.find(event.xunmap.window)) {
            known->mapped = false;
            known->examined = false;
        }
        m_raises.release(event.xunmap.window);
        m_rechecked.erase(event.xunmap.window);
        return true;
    }
    case ConfigureNotify: {
        const XConfigureEvent &configured = event.xconfigure;
        TopLevel *known = m_order.find(configured.window);
        if (!known || (configured.above != 0 && m_order.indexOf(configured.above) < 0)) {
            m_stale = true;
            return true;
        }
        // Only a move over or under the whole screen changes what a bypassing window is.
        const bool wasCovering = isCovering(*known);
        known->geometry = QRect(configured.x, configured.y, configured.width, configured.height);
        const bool coveringChanged = isCovering(*known) != wasCovering;
        const bool wasUnder = isUnderKept(configured.window);
        // A kept window's restack to where it was just put asks for nothing more.
        const auto moved = m_movedAbove.find(configured.window);
        const bool asPut = moved != m_movedAbove.end() && moved->second == configured.above;
        if (moved != m_movedAbove.end())
            m_movedAbove.erase(moved);
        if (!m_order.restack(configured.window, configured.above))
            return coveringChanged;
        if (asPut)
            return coveringChanged;
        noteRaise(configured.window, wasUnder);
        return true;
    }
    case ReparentNotify: {
        const XReparentEvent &reparented = event.xreparent;
        if (reparented.parent == m_root) {
            TopLevel window;
            window.window = reparented.window;
            window.overrideRedirect = reparented.override_redirect;
            // Its map state and size are read with the rest of what it is.
            window.mapped = true;
            m_order.add(window);
            return true;
        }
        // A client went into a frame: what the frame holds is read again.
        const TopLevel *known = m_order.find(reparented.window);
        const bool seen = known && known->mapped;
        m_order.remove(reparented.window);
        if (TopLevel *frame = m_order.find(reparented.parent); frame && frame->mapped) {
            frame->examined = false;
            return true;
        }
        return seen;
    }
    case CirculateNotify: {
        const bool wasUnder = isUnderKept(event.xcirculate.window);
        if (!m_order.circulate(event.xcirculate.window, event.xcirculate.place == PlaceOnTop))
            return false;
        noteRaise(event.xcirculate.window, wasUnder);
        return true;
    }
    default:
        return false;
    }
}

bool X11FrontKeeper::isUnderKept(unsigned long window) const
{
    const int at = m_order.indexOf(window);
    const std::vector<unsigned long> kept = keptWindows();
    return at >= 0 && std::any_of(kept.begin(), kept.end(), [&](unsigned long id) { return at < m_order.indexOf(id); });
}

void X11FrontKeeper::noteRaise(unsigned long window, bool wasUnderKept)
{
    const TopLevel *known = m_order.find(window);
    if (!wasUnderKept || !known || !known->mapped || !known->isManaged() || isOwn(window))
        return;
    // It rose from under a kept window to over every one.
    const int at = m_order.indexOf(window);
    const std::vector<unsigned long> kept = keptWindows();
    const bool overKept = std::all_of(kept.begin(), kept.end(), [&](unsigned long id) { return at > m_order.indexOf(id); });
    const auto now = X11SelfRaiseGuard::Clock::now();
    if (!overKept || m_presses.answersUser(window, now) || userAsks() || !m_raises.raised(window, now))
        return;
    m_tryAgain.start();
    if (m_loggedRaisers.insert(window).second)
        qCInfo(lcPlatform).nospace() << "Front keeper: window 0x" << Qt::hex << window
                                     << " raises itself over the panel again and again; the panel stays under it while it is on top";
}

bool X11FrontKeeper::userAsks() const
{
    if (X11SelfRaiseGuard::Clock::now() - m_askedAt < kUserAsked)
        return true;
    return std::any_of(m_kept.begin(), m_kept.end(), [](const QPointer<QWidget> &window) {
        return window && window->isVisible() && (window->underMouse() || window->isActiveWindow());
    });
}

void X11FrontKeeper::watchFocus(const std::vector<unsigned long> &kept)
{
    for (const unsigned long window : kept) {
        if (!m_focusWatched.insert(window).second)
            continue;
        XErrorHandler previous = XSetErrorHandler(ignoreError);
        XSelectInput(m_connection->display(), window, FocusChangeMask);
        XSync(m_connection->display(), False);
        XSetErrorHandler(previous);
    }
}

void X11FrontKeeper::followFocus(const XEvent &event)
{
    const XFocusChangeEvent &focus = event.xfocus;
    X11KeyboardHold &hold = m_keyboard[focus.window];
    if (event.type == FocusIn) {
        hold.focusIn(focus.mode, focus.detail);
        return;
    }
    if (!hold.focusOut(focus.mode, focus.detail) || !heldWindow(focus.window))
        return;
    Display *display = m_connection->display();
    Window holder = 0;
    int revert = 0;
    XGetInputFocus(display, &holder, &revert);
    // The keyboard went to another window of the program's (a dialog opened from Quick Access).
    if (holder == focus.window || isOwn(holder))
        return;
    Window taker = holder == None || holder == PointerRoot ? 0 : m_order.holderOf(holder);
    if (taker == 0 && holder != None && holder != PointerRoot) {
        XErrorHandler previous = XSetErrorHandler(ignoreError);
        taker = X11WindowTree::ancestry(display, holder, m_wmStateAtom).topLevel;
        XSetErrorHandler(previous);
    }
    // The program itself handed the keyboard on since the hold began (a paste into the application
    // in front): that window is where the user works now, and the hold ends.
    Window client = 0;
    if (holder != None && holder != PointerRoot) {
        XErrorHandler previous = XSetErrorHandler(ignoreError);
        client = X11WindowTree::ancestry(display, holder, m_wmStateAtom).client;
        // A manager that keeps the keyboard in its frame: the client the frame holds.
        if (client == 0 && taker != 0)
            client = X11WindowTree::clientWithin(display, taker, m_wmStateAtom);
        XSetErrorHandler(previous);
    }
    if (client != 0 && X11KeyboardHandoffs::shared().handedToSince(client, m_heldSince)) {
        m_held = nullptr;
        m_heldUnder = nullptr;
        return;
    }
    // The user clicked in that window since asking for the held one: it is theirs to type in now.
    if (m_presses.clickedIn(taker, m_heldSince, X11SelfRaiseGuard::Clock::now()))
        return;
    XErrorHandler previous = XSetErrorHandler(ignoreError);
    XSetInputFocus(display, focus.window, RevertToParent, CurrentTime);
    XSync(display, False);
    XSetErrorHandler(previous);
    m_takenFromTopLevel = taker;
    m_takenFrom = holder == None || holder == PointerRoot ? 0 : holder;
    if (m_loggedTakers.insert(taker).second)
        qCInfo(lcPlatform).nospace() << "Front keeper: window 0x" << Qt::hex << taker
                                     << " took the keyboard the user asked Tarnel for without the user; taken back";
}

void X11FrontKeeper::followClick(unsigned long topLevel)
{
    if (!m_held || topLevel == 0 || isOwn(topLevel))
        return;
    Display *display = m_connection->display();
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    if (!heldWindow(focus))
        return;
    XErrorHandler previous = XSetErrorHandler(ignoreError);
    Window giveTo = 0;
    if (m_takenFrom != 0 && topLevel == m_takenFromTopLevel) {
        // The keyboard was taken back from this window, which took it before the user's press
        // was heard (a manager whose keyboard follows the pointer gave it as the pointer came in,
        // and does nothing for the click): the click shows the user wanted it there.
        giveTo = m_takenFrom;
    } else if (const std::optional<unsigned long> active = m_connection->activeWindow(); active && *active != 0) {
        Window activeTopLevel = m_order.holderOf(*active);
        if (activeTopLevel == 0)
            activeTopLevel = X11WindowTree::ancestry(display, *active, m_wmStateAtom).topLevel;
        // The manager still counts active the window the held one took the keyboard from past
        // it, and a manager that gives the keyboard on a click (fluxbox) does nothing for a click
        // in the window it counts focused: the keyboard would stay with the held window, which
        // the user clicked out of. It goes where the user clicked, as the manager would give it;
        // in any other window the manager answers the click itself.
        if (activeTopLevel == topLevel)
            giveTo = *active;
    }
    if (giveTo != 0) {
        XSetInputFocus(display, giveTo, RevertToParent, CurrentTime);
        if (m_loggedClicks.insert(topLevel).second)
            qCInfo(lcPlatform).nospace() << "Front keeper: the user clicked in window 0x" << Qt::hex << topLevel
                                         << ", which had the keyboard or is counted active; it has the keyboard";
    }
    XSync(display, False);
    XSetErrorHandler(previous);
}

bool X11FrontKeeper::isScreenCovered() const
{
    if (!m_listening) {
        const std::vector<TopLevel> windows = readTopLevels();
        return std::any_of(windows.begin(), windows.end(), [this](const TopLevel &window) { return isCovering(window); });
    }
    // What happened until now (a lock screen that just went), then what mapped meanwhile.
    const_cast<X11FrontKeeper *>(this)->takeEvents();
    examinePending();
    const std::vector<TopLevel> &windows = m_order.windows();
    return std::any_of(windows.begin(), windows.end(), [this](const TopLevel &window) { return isCovering(window); });
}

void X11FrontKeeper::placeNow()
{
    place(true);
}

void X11FrontKeeper::place(bool followFirst)
{
    if (!m_listening)
        return;
    Display *display = m_connection->display();
    // What happened until now, some of it perhaps read with the answers to other requests; it is
    // all placed now.
    if (followFirst)
        followEvents(true);
    const std::vector<unsigned long> kept = keptWindows();
    if (kept.empty())
        return;
    watchFocus(kept);
    examinePending();
    // Windows vanish while they are moved.
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
        Window stacked = m_order.holderOf(id);
        if (stacked == 0) {
            // Framed before the manager marked it: found by a walk up, and known from then on.
            const X11WindowTree::Ancestry ancestry = X11WindowTree::ancestry(display, id, m_wmStateAtom);
            stacked = ancestry.topLevel;
            if (TopLevel *frame = m_order.find(stacked); frame && frame->client == 0)
                frame->client = ancestry.client;
        }
        if (stacked != 0)
            own[stacked] = under ? Kind::Managed : Kind::OverPanel;
    }

    bool moved = false;
    std::vector<Child> order;
    Window topManaged = 0;
    for (const TopLevel &window : m_order.windows()) {
        Child child{window.window, Kind::Hidden};
        if (std::find(kept.begin(), kept.end(), child.window) != kept.end())
            child.kind = Kind::Kept;
        else if (!window.mapped || window.inputOnly)
            child.kind = Kind::Hidden;
        else if (const auto found = own.find(child.window); found != own.end())
            child.kind = found->second;
        else if (window.overrideRedirect && isOwn(child.window))
            child.kind = Kind::OverPanel;
        else if (window.isManaged())
            child.kind = Kind::Managed;
        else if (isCovering(window))
            child.kind = Kind::Covering;
        else
            child.kind = Kind::Bypassing;
        if (child.kind == Kind::Managed && !own.count(child.window))
            topManaged = child.window;
        order.push_back(child);
    }
    // A window given way stays so while it is the topmost of the manager's; once another comes
    // over it or it goes, the panel stands over it again.
    for (Child &child : order) {
        if (!m_raises.isGivenWay(child.window))
            continue;
        if (child.window == topManaged && child.kind == Kind::Managed)
            child.kind = Kind::OverPanel;
        else
            m_raises.release(child.window);
    }

    // A lock screen or screen saver: what lies over its lowest one is not the panel's to cover.
    const auto cover = std::find_if(order.begin(), order.end(), [](const Child &child) { return child.kind == Kind::Covering; });
    // The program's own windows that came over it (a window mapped meanwhile) go under it.
    if (cover != order.end()) {
        for (auto it = cover + 1; it != order.end(); ++it) {
            if ((it->kind != Kind::OverPanel || !isOwn(it->window)) && !own.count(it->window))
                continue;
            XWindowChanges under{};
            under.sibling = cover->window;
            under.stack_mode = Below;
            XConfigureWindow(display, it->window, CWSibling | CWStackMode, &under);
            moved = true;
        }
    }
    // The topmost window the panel stands above, and under every window of the program's that
    // the manager stacks and that stands over the panel, also one the manager keeps under its
    // own panels (icewm's taskbar) or another window (i3).
    const auto limit = std::find_if(order.begin(), cover, [&](const Child &child) {
        const TopLevel *known = m_order.find(child.window);
        return child.kind == Kind::OverPanel && own.count(child.window) && known && known->isManaged();
    });
    Window anchor = 0;
    for (auto it = order.begin(); it != limit; ++it)
        if (it->kind == Kind::Managed)
            anchor = it->window;
    for (const Window window : kept) {
        const auto at = std::find_if(order.begin(), order.end(), [window](const Child &child) { return child.window == window; });
        const auto from = std::find_if(order.begin(), order.end(), [anchor](const Child &child) { return child.window == anchor; });
        // In place: above the anchor, with nothing seen between the two.
        bool inPlace = at != order.end() && at < limit && (anchor == 0 || from < at);
        for (auto it = (anchor == 0 ? order.begin() : from + 1); inPlace && it < at; ++it)
            inPlace = it->kind == Kind::Hidden || it->kind == Kind::Kept;
        if (inPlace)
            continue;
        moved = true;
        m_movedAbove[window] = anchor;
        if (anchor == 0) {
            XLowerWindow(display, window);
        } else {
            XWindowChanges above{};
            above.sibling = anchor;
            above.stack_mode = Above;
            XConfigureWindow(display, window, CWSibling | CWStackMode, &above);
        }
    }
    // Sent without waiting: the moves' own restacks come with the next events, and an error of a
    // move (a window that went meanwhile) with them, read while errors are ignored.
    if (moved)
        XFlush(display);
    XSetErrorHandler(previous);
    if (followEvents(false))
        m_placing.start();
}
