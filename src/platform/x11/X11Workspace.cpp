#include "platform/x11/X11Workspace.h"

#include "core/Logging.h"
#include "platform/x11/X11Session.h"

#include <X11/Xlib.h>

X11Workspace::X11Workspace(QObject *parent)
    : Workspace(parent)
{
    m_usable = m_connection.isOpen() && X11Session::isUsable();
    if (!m_usable)
        qCWarning(lcPlatform) << "Workspace: no X11 session; the front application is unknown";
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
    m_connection.drainEvents();
    // A window that took the keyboard past the window manager (the notch panel does) is in
    // front although the manager still names the window the keyboard came from.
    if (const std::optional<unsigned long> unmanaged = m_connection.unmanagedFocusWindow();
        unmanaged && m_connection.windowPid(*unmanaged))
        return applicationFor(*unmanaged);
    const std::optional<unsigned long> window = m_connection.activeWindow();
    if (!window || !m_connection.windowExists(*window))
        return std::nullopt;
    return applicationFor(*window);
}

std::optional<RunningApplication> X11Workspace::keyboardHolder(quint64 besides) const
{
    if (!m_usable)
        return std::nullopt;
    m_connection.drainEvents();
    std::optional<unsigned long> window = m_connection.focusedTopLevel();
    if (!window || *window == besides)
        window = m_connection.activeWindow();
    if (!window || *window == besides || !m_connection.windowExists(*window))
        return std::nullopt;
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
        || (m_connection.activeWindow() == window && m_connection.focusedTopLevel() != window))
        m_connection.setInputFocus(window);
    XFlush(display);
    return status != 0;
}
