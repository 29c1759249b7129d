#include "platform/x11/X11OverFullScreen.h"

#include "core/Logging.h"
#include "platform/x11/X11WindowTree.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <chrono>

#include <xcb/xcb.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

Display *x11Display()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}

// How often, and how far apart, a new window is looked at until the manager has mapped it, and
// for how many of those looks a manager may still raise it over the full-screen window.
constexpr std::chrono::milliseconds kMapLook{20};
constexpr int kMapLooks = 50;
constexpr int kSettleLooks = 5;
// How long a window is watched for its place and the keyboard: the windows around it are
// restacked meanwhile, and a manager may raise the full-screen window again after the map.
constexpr int kKeyboardLooks = 15;
// For how many looks a window closed over a full-screen window asks the manager to give that
// window the keyboard left nowhere, before giving it itself.
constexpr int kCloseAsks = 3;

// Whether the root child `lower` stands under the root child `upper`.
bool isBelow(Display *display, Window lower, Window upper)
{
    Window rootOut = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &rootOut, &parent, &children, &count) || !children)
        return false;
    int lowerAt = -1, upperAt = -1;
    for (unsigned int i = 0; i < count; ++i) {
        if (children[i] == lower)
            lowerAt = int(i);
        if (children[i] == upper)
            upperAt = int(i);
    }
    XFree(children);
    return lowerAt >= 0 && upperAt >= 0 && lowerAt < upperAt;
}

int ignoreError(Display *, XErrorEvent *)
{
    return 0;
}

// Whether the window was created by this program: its id is from the block the server gave Qt.
bool isOwn(Window window)
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return false;
    const xcb_setup_t *setup = xcb_get_setup(x11->connection());
    return (window & ~Window(setup->resource_id_mask)) == setup->resource_id_base;
}

bool isFullScreen(Display *display, Window client)
{
    const Atom state = XInternAtom(display, "_NET_WM_STATE", False);
    const Atom fullScreen = XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    bool found = false;
    if (XGetWindowProperty(display, client, state, 0, 64, False, XA_ATOM, &type, &format, &count, &after, &data) == Success
        && data) {
        const auto *atoms = reinterpret_cast<const Atom *>(data);
        for (unsigned long i = 0; i < count && !found; ++i)
            found = atoms[i] == fullScreen;
    }
    if (data)
        XFree(data);
    return found;
}

// The client of the topmost window the manager stacks that is another program's, when it is full
// screen; 0 otherwise. Read from the root's children as the server holds them.
Window fullScreenOnTop(Display *display)
{
    const Atom wmState = XInternAtom(display, "WM_STATE", False);
    Window rootOut = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    Window found = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &rootOut, &parent, &children, &count) || !children)
        return 0;
    for (unsigned int i = count; i-- > 0;) {
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(display, children[i], &attributes) || attributes.map_state != IsViewable
            || attributes.c_class == InputOnly)
            continue;
        const Window client = X11WindowTree::clientWithin(display, children[i], wmState);
        // Menus, tooltips and what bypasses the manager, this program's panel among them.
        if (client == 0 || isOwn(client))
            continue;
        found = isFullScreen(display, client) ? client : 0;
        break;
    }
    XFree(children);
    return found;
}

// Asks the manager to activate the window as a pager asks, which it honours as the user's own
// choice and raises the window with.
void askToActivate(Display *display, Window window)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = 2;
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

// Maps the window anew as transient for the full-screen window, which managers stack over it and
// show beside it. Withdrawn first (ICCCM 4.1.4): the manager reads the hint only when it takes the
// window.
void mapAsTransient(Display *display, Window window, Window fullScreen)
{
    XWithdrawWindow(display, window, DefaultScreen(display));
    XSetTransientForHint(display, window, fullScreen);
    XMapWindow(display, window);
}

// A window of its own that the manager stacks, which no other window of the program holds.
bool standsOnItsOwn(const QWidget *widget)
{
    if (!widget->isWindow() || widget->windowFlags().testFlag(Qt::BypassWindowManagerHint))
        return false;
    const Qt::WindowType type = widget->windowType();
    if (type != Qt::Window && type != Qt::Dialog && type != Qt::Tool)
        return false;
    const QWindow *handle = widget->windowHandle();
    return handle && !handle->transientParent();
}

} // namespace

X11OverFullScreen::X11OverFullScreen() = default;

X11OverFullScreen::~X11OverFullScreen()
{
    if (m_started && qApp)
        qApp->removeEventFilter(this);
}

void X11OverFullScreen::start()
{
    if (m_started || !qApp || !x11Display())
        return;
    m_started = true;
    qApp->installEventFilter(this);
}

bool X11OverFullScreen::eventFilter(QObject *watched, QEvent *event)
{
    if (!watched->isWidgetType() || !static_cast<QWidget *>(watched)->isWindow())
        return false;
    if (event->type() == QEvent::Hide) {
        const auto stood = m_overFullScreen.find(static_cast<QWidget *>(watched));
        if (stood != m_overFullScreen.end()) {
            const std::pair<unsigned long, unsigned long> windows = stood->second;
            m_overFullScreen.erase(stood);
            followClose(windows.first, windows.second, 0);
        }
        return false;
    }
    if (event->type() != QEvent::Show)
        return false;
    // The show event comes before Qt maps the window, with WM_TRANSIENT_FOR written anew: what the
    // manager made of the map is looked at once it was sent (and after the dialogs beside the
    // manager took theirs).
    QTimer::singleShot(0, watched, [this, window = QPointer<QWidget>(static_cast<QWidget *>(watched))] {
        if (window && window->isVisible() && standsOnItsOwn(window))
            standOverFullScreen(*window);
    });
    return false;
}

void X11OverFullScreen::standOverFullScreen(QWidget &window)
{
    Display *display = x11Display();
    if (!display)
        return;
    const auto id = Window(window.windowHandle()->winId());
    XErrorHandler previous = XSetErrorHandler(ignoreError);
    const Window fullScreen = fullScreenOnTop(display);
    XSetErrorHandler(previous);
    if (fullScreen == 0)
        return;
    // The layer over full screen where the manager has one (jwm): "above", as the windows that
    // stay on top ask from the start.
    if (!window.windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = id;
        event.xclient.message_type = XInternAtom(display, "_NET_WM_STATE", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = 1; // add
        event.xclient.data.l[1] = long(XInternAtom(display, "_NET_WM_STATE_ABOVE", False));
        event.xclient.data.l[3] = 1; // from an application
        XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
        XFlush(display);
    }
    const bool known = m_overFullScreen.count(&window) > 0;
    m_overFullScreen[&window] = {id, fullScreen};
    // A window deleted while still on the list goes from it as a closed one does, handing the
    // keyboard on: the list never holds a window that is gone.
    if (!known)
        QObject::connect(&window, &QObject::destroyed, this, [this, gone = &window] {
            const auto stood = m_overFullScreen.find(gone);
            if (stood == m_overFullScreen.end())
                return;
            const std::pair<unsigned long, unsigned long> windows = stood->second;
            m_overFullScreen.erase(stood);
            followClose(windows.first, windows.second, 0);
        });
    followOnceMapped(window, fullScreen, 0, false);
}

QWidget *X11OverFullScreen::standingOver(unsigned long fullScreen) const
{
    Display *display = x11Display();
    if (!display)
        return nullptr;
    Window rootOut = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    XErrorHandler previous = XSetErrorHandler(ignoreError);
    const bool read = XQueryTree(display, DefaultRootWindow(display), &rootOut, &parent, &children, &count) && children;
    const Atom wmState = XInternAtom(display, "WM_STATE", False);
    QWidget *topmost = nullptr;
    long topmostAt = -1;
    for (const auto &[widget, windows] : m_overFullScreen) {
        if (!read || windows.second != fullScreen || !widget->isVisible())
            continue;
        const unsigned long frame = X11WindowTree::ancestry(display, windows.first, wmState).topLevel;
        for (unsigned int i = 0; i < count; ++i)
            if (children[i] == frame && long(i) > topmostAt) {
                topmost = widget;
                topmostAt = long(i);
            }
    }
    if (children)
        XFree(children);
    XSetErrorHandler(previous);
    return topmost;
}

void X11OverFullScreen::handBack(QWidget &window, unsigned long fullScreen, int looks)
{
    Display *display = x11Display();
    if (!display || !window.windowHandle())
        return;
    const auto id = Window(window.windowHandle()->winId());
    XErrorHandler previous = XSetErrorHandler(ignoreError);
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    const Atom wmState = XInternAtom(display, "WM_STATE", False);
    const unsigned long own = X11WindowTree::ancestry(display, id, wmState).topLevel;
    const unsigned long other = X11WindowTree::ancestry(display, fullScreen, wmState).topLevel;
    const bool under = own != 0 && other != 0 && own != other && isBelow(display, own, other);
    const bool needed = focus != id || under;
    if (needed && under && looks == kCloseAsks) {
        // The manager keeps the full-screen window over it whatever it is asked (wmaker raises the
        // full-screen window as a transient of its closes): mapped anew as its transient.
        mapAsTransient(display, id, fullScreen);
    } else if (needed) {
        if (looks < kCloseAsks || under) {
            askToActivate(display, id);
        } else {
            XSetInputFocus(display, id, RevertToParent, CurrentTime);
        }
    }
    XSync(display, False);
    XSetErrorHandler(previous);
}

void X11OverFullScreen::followClose(unsigned long closed, unsigned long fullScreen, int looks)
{
    Display *display = x11Display();
    if (!display)
        return;
    // A window of the program still over the full-screen window has the keyboard back, in sight;
    // the full-screen window is never activated over it. Followed for a while, as a manager may
    // give the keyboard to the full-screen window, or raise it, after the closed window went.
    if (QWidget *standing = standingOver(fullScreen)) {
        handBack(*standing, fullScreen, looks);
        if (looks < kKeyboardLooks)
            QTimer::singleShot(kMapLook, this, [this, closed, fullScreen, looks] { followClose(closed, fullScreen, looks + 1); });
        return;
    }
    XErrorHandler previous = XSetErrorHandler(ignoreError);
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    XWindowAttributes attributes{};
    const bool there = XGetWindowAttributes(display, fullScreen, &attributes) && attributes.map_state == IsViewable;
    // No window, or one of the manager's own (a frame it is taking down) that holds no client.
    const bool nowhere = focus == None || focus == PointerRoot || focus == DefaultRootWindow(display)
        || (focus != closed && !isOwn(focus) && X11WindowTree::ancestry(display, focus, XInternAtom(display, "WM_STATE", False)).client == 0);
    if (there && nowhere) {
        if (looks < kCloseAsks) {
            // Asked of the manager first, so that it counts the window active.
            askToActivate(display, fullScreen);
        } else {
            XSetInputFocus(display, fullScreen, RevertToParent, CurrentTime);
        }
    }
    XSync(display, False);
    XSetErrorHandler(previous);
    // Followed until the keyboard is in a window other than the one closed: the manager's choice,
    // or the user's.
    if (!there || (!nowhere && focus != closed) || looks >= kKeyboardLooks)
        return;
    QTimer::singleShot(kMapLook, this, [this, closed, fullScreen, looks] { followClose(closed, fullScreen, looks + 1); });
}

void X11OverFullScreen::followOnceMapped(QWidget &window, unsigned long fullScreen, int looks, bool remapped)
{
    Display *display = x11Display();
    if (!display || !window.windowHandle())
        return;
    const auto id = Window(window.windowHandle()->winId());
    XErrorHandler previous = XSetErrorHandler(ignoreError);
    XWindowAttributes attributes{};
    const bool mapped = XGetWindowAttributes(display, id, &attributes) && attributes.map_state == IsViewable;
    const Atom wmState = XInternAtom(display, "WM_STATE", False);
    const unsigned long own = mapped ? X11WindowTree::ancestry(display, id, wmState).topLevel : 0;
    const unsigned long other = mapped ? X11WindowTree::ancestry(display, fullScreen, wmState).topLevel : 0;
    const bool under = own != 0 && other != 0 && own != other && isBelow(display, own, other);
    XSetErrorHandler(previous);
    const auto lookAgain = [&](int next, bool again) {
        QTimer::singleShot(kMapLook, &window, [this, target = QPointer<QWidget>(&window), fullScreen, next, again] {
            if (target && target->isVisible())
                followOnceMapped(*target, fullScreen, next, again);
        });
    };
    if (!remapped && looks < kSettleLooks) {
        // The manager may still be mapping, placing or raising it, or giving the keyboard back to
        // the full-screen window and that window its place on top (jwm).
        lookAgain(looks + 1, false);
        return;
    }
    if (!remapped && (!mapped || under)) {
        // Still under the full-screen layer (wmaker, jwm), or kept unmapped behind it (i3): mapped
        // anew as transient for that window.
        qCInfo(lcPlatform).nospace() << "A full-screen window 0x" << Qt::hex << fullScreen
                                     << " stays over a new window; it is mapped again as its transient";
        previous = XSetErrorHandler(ignoreError);
        mapAsTransient(display, id, fullScreen);
        XSync(display, False);
        XSetErrorHandler(previous);
        lookAgain(0, true);
        return;
    }
    if (!mapped) {
        if (looks < kMapLooks)
            lookAgain(looks + 1, true);
        return;
    }
    // It asks for the keyboard until the manager has settled, and takes it itself where the manager
    // answers with a request dated before the full-screen window last took it (fluxbox's take-focus
    // message), which the server ignores, or hands it to the window under the pointer while the
    // windows are restacked around the new one (jwm's sloppy focus), before Qt hears of either.
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    if (focus != id) {
        window.activateWindow();
        previous = XSetErrorHandler(ignoreError);
        XSetInputFocus(display, id, RevertToParent, CurrentTime);
        XSync(display, False);
        XSetErrorHandler(previous);
    }
    // Put back under the full-screen window once mapped as its transient, as wmaker does when the
    // user's click that opened it raises another transient of that window: mapped anew once more
    // once the manager has settled, else asked up again.
    if (remapped && under) {
        previous = XSetErrorHandler(ignoreError);
        if (looks == kSettleLooks)
            mapAsTransient(display, id, fullScreen);
        else
            askToActivate(display, id);
        XSync(display, False);
        XSetErrorHandler(previous);
    }
    if (looks < kKeyboardLooks)
        lookAgain(looks + 1, remapped);
}
