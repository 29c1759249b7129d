#include "platform/x11/X11Workspace.h"

#include "core/Logging.h"
#include "platform/x11/X11KeyboardHandoffs.h"
#include "platform/x11/X11Session.h"

#include <QGuiApplication>
#include <QSocketNotifier>
#include <QtGui/qguiapplication_platform.h>

#include <X11/Xlib.h>
#include <xcb/xcb.h>

X11Workspace::X11Workspace(QObject *parent)
    : Workspace(parent)
{
    m_usable = m_connection.isOpen() && X11Session::isUsable();
    if (!m_usable) {
        qCWarning(lcPlatform) << "Workspace: no X11 session; the front application is unknown";
        return;
    }
    // Every change of the active window is followed as it comes, so that the last other
    // program in front is known when Tarnel's own window or the manager's has come in front since.
    // The server gives every client the same mask over its resource ids, each its own base.
    if (auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr)
        m_resourceMask = xcb_get_setup(x11->connection())->resource_id_mask;
    m_activeWindowAtom = m_connection.atom("_NET_ACTIVE_WINDOW");
    XSelectInput(m_connection.display(), m_connection.rootWindow(), PropertyChangeMask);
    XFlush(m_connection.display());
    auto *notifier = new QSocketNotifier(m_connection.fileDescriptor(), QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] { followEvents(); });
    noteActiveWindow();
}

void X11Workspace::followEvents() const
{
    Display *display = m_connection.display();
    bool activeChanged = false;
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == MappingNotify)
            XRefreshKeyboardMapping(&event.xmapping);
        else if (event.type == PropertyNotify && event.xproperty.atom == m_activeWindowAtom)
            activeChanged = true;
    }
    if (activeChanged)
        noteActiveWindow();
}

void X11Workspace::noteActiveWindow() const
{
    const std::optional<unsigned long> window = m_connection.activeWindow();
    if (!window || !m_connection.windowExists(*window) || isManagers(*window))
        return;
    const RunningApplication application = applicationFor(*window);
    if (!isOwn(application) && !application.name.isEmpty())
        m_lastOtherFront = application;
}

bool X11Workspace::isManagers(unsigned long window) const
{
    const QList<unsigned long> check = m_connection.cardinalProperty(m_connection.rootWindow(), "_NET_SUPPORTING_WM_CHECK");
    if (m_resourceMask == 0 || check.isEmpty() || check.first() == 0)
        return false;
    return (window & ~m_resourceMask) == (check.first() & ~m_resourceMask);
}

std::optional<RunningApplication> X11Workspace::applicationOfClient(unsigned long window) const
{
    if (window == 0 || !m_connection.windowExists(window))
        return std::nullopt;
    // Windows made by one connection share the resource base the server gave it.
    const QList<unsigned long> clients = m_resourceMask != 0 ? m_connection.clientWindows() : QList<unsigned long>{};
    // Topmost first: the one the user saw last.
    for (auto it = clients.crbegin(); it != clients.crend(); ++it) {
        if ((*it & ~m_resourceMask) == (window & ~m_resourceMask))
            return applicationFor(*it);
    }
    if (const std::optional<qint64> pid = m_connection.windowPid(window)) {
        if (std::optional<RunningApplication> application = applicationWithPid(*pid))
            return application;
    }
    if (const std::optional<QString> name = m_connection.windowClass(window); name && !name->isEmpty())
        return applicationFor(window);
    return std::nullopt;
}

std::optional<RunningApplication> X11Workspace::copySource(quint64 clipboardOwner) const
{
    if (!m_usable)
        return std::nullopt;
    followEvents();
    if (std::optional<RunningApplication> owner = applicationOfClient(clipboardOwner); owner && !isManagers(owner->window))
        return owner;
    // A program without a window of its own (xclip) copied: the program the user was in.
    if (const std::optional<RunningApplication> front = frontmostApplication();
        front && !isOwn(*front) && !isManagers(front->window) && !front->name.isEmpty())
        return front;
    return m_lastOtherFront;
}

RunningApplication X11Workspace::applicationFor(unsigned long window) const
{
    RunningApplication application;
    application.window = window;
    application.pid = m_connection.windowPid(window).value_or(0);
    application.name = m_connection.windowClass(window).value_or(QString());
    return application;
}

std::optional<RunningApplication> X11Workspace::frontmostApplication() const
{
    if (!m_usable)
        return std::nullopt;
    followEvents();
    // A window that took the keyboard past the window manager (the notch panel does) is in
    // front although the manager still names the window the keyboard came from.
    if (const std::optional<unsigned long> unmanaged = m_connection.unmanagedFocusWindow();
        unmanaged && m_connection.windowPid(*unmanaged))
        return applicationFor(*unmanaged);
    const std::optional<unsigned long> window = m_connection.activeWindow();
    if (!window || !m_connection.windowExists(*window))
        return std::nullopt;
    noteKeyboardFollowingPointer(*window);
    return applicationFor(*window);
}

std::optional<RunningApplication> X11Workspace::windowUserWorksIn() const
{
    const std::optional<RunningApplication> front = frontmostApplication();
    if (!m_usable || (front && !isOwn(*front)) || !m_pointerMotion || !m_connection.keyboardFollowsPointer())
        return front;
    // The keyboard follows the pointer, which is on Tarnel's notch now: keys typed there would
    // reach the notch, but the user worked in the window the pointer came from, whatever that
    // window says of itself.
    const unsigned long client = m_connection.clientWithin(m_pointerMotion->lastOverOutside());
    if (client == 0 || isManagers(client))
        return front;
    const RunningApplication application = applicationFor(client);
    if (isOwn(application))
        return front;
    m_followedByKeyboard = client;
    return application;
}

void X11Workspace::noteKeyboardFollowingPointer(unsigned long window) const
{
    m_followedByKeyboard = m_connection.keyboardFollowsPointer() ? window : 0;
}

std::optional<RunningApplication> X11Workspace::keyboardHolder(quint64 besides) const
{
    if (!m_usable)
        return std::nullopt;
    followEvents();
    std::optional<unsigned long> window = m_connection.focusedTopLevel();
    if (!window || *window == besides)
        window = m_connection.activeWindow();
    if (!window || *window == besides || !m_connection.windowExists(*window))
        return std::nullopt;
    noteKeyboardFollowingPointer(*window);
    return applicationFor(*window);
}

std::optional<RunningApplication> X11Workspace::applicationWithPid(qint64 pid) const
{
    if (!m_usable || pid <= 0)
        return std::nullopt;
    const QList<unsigned long> windows = m_connection.clientWindows();
    // The list runs bottom-most first: the last match is the one the user saw last.
    for (auto it = windows.crbegin(); it != windows.crend(); ++it) {
        if (m_connection.windowPid(*it) == pid)
            return applicationFor(*it);
    }
    return std::nullopt;
}

std::optional<RunningApplication> X11Workspace::stillShown(const RunningApplication &application) const
{
    if (!m_usable)
        return std::nullopt;
    if (m_connection.windowExists(application.window))
        return application;
    return applicationWithPid(application.pid);
}

bool X11Workspace::activate(const RunningApplication &application)
{
    if (!m_usable)
        return false;
    unsigned long window = application.window;
    if (!m_connection.windowExists(window)) {
        // The remembered window is gone; another window of the same process will do.
        const std::optional<RunningApplication> other = applicationWithPid(application.pid);
        if (!other)
            return false;
        window = other->window;
    }
    // Noted before it is asked: a window of this program that holds the keyboard lets it go there.
    X11KeyboardHandoffs::shared().handedTo(window);
    Display *display = m_connection.display();
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.serial = 0;
    event.xclient.send_event = True;
    event.xclient.display = display;
    event.xclient.window = window;
    event.xclient.message_type = m_connection.atom("_NET_ACTIVE_WINDOW");
    event.xclient.format = 32;
    // Source 2 (a pager acting for the user): window managers honour it without applying their
    // focus-stealing prevention, which would otherwise ignore a request from a background client.
    event.xclient.data.l[0] = 2;
    event.xclient.data.l[1] = CurrentTime;
    event.xclient.data.l[2] = 0;
    const Status status = XSendEvent(display, m_connection.rootWindow(), False,
                                     SubstructureRedirectMask | SubstructureNotifyMask, &event);
    // The keyboard went past the window manager to a window it does not manage, or the manager
    // gave it to a window of its own when such a window closed: the manager may still count the
    // window as active and do nothing, so the keyboard is handed back here. A manager without
    // EWMH (twm) does not hear the message at all: the window is raised through it and given the
    // keyboard here.
    const bool heard = m_connection.managerSupports("_NET_ACTIVE_WINDOW");
    if (!heard)
        XRaiseWindow(display, window);
    if (!heard || m_connection.unmanagedFocusWindow()
        || (m_connection.activeWindow() == window && m_connection.focusedTopLevel() != window)) {
        // The keyboard followed the pointer into the window before Tarnel took it: it follows the
        // pointer again, or it would stay in the window wherever the user moves the pointer next.
        if (window == m_followedByKeyboard && m_connection.clientUnderPointer() == window)
            m_connection.letKeyboardFollowPointer();
        else
            m_connection.setInputFocus(window);
    }
    XFlush(display);
    return status != 0;
}
