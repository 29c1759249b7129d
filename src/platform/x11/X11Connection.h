#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

struct _XDisplay;
using Display = _XDisplay;

// One private connection to the X server. Each backend owns its own, so that grabs, event
// selections and error handling of one never disturb another or Qt's own connection.
class X11Connection {
public:
    // Opens $DISPLAY; isOpen() tells whether that worked.
    X11Connection();
    ~X11Connection();
    X11Connection(const X11Connection &) = delete;
    X11Connection &operator=(const X11Connection &) = delete;

    bool isOpen() const { return m_display != nullptr; }
    Display *display() const { return m_display; }
    unsigned long rootWindow() const;
    int fileDescriptor() const;

    unsigned long atom(const char *name) const;
    // A 32-bit property (CARDINAL, WINDOW, ATOM ...) as a list of values; empty when absent.
    QList<unsigned long> cardinalProperty(unsigned long window, const char *name) const;
    // The class part of WM_CLASS (the second of its two strings).
    std::optional<QString> windowClass(unsigned long window) const;
    // The instance part of WM_CLASS (the first string): the program's name where the user
    // renamed its class (xterm -class Foo is still the instance "xterm").
    std::optional<QString> windowInstance(unsigned long window) const;
    std::optional<qint64> windowPid(unsigned long window) const;
    // Whether the window manager says it keeps the EWMH root property or message (_NET_SUPPORTED).
    bool managerSupports(const char *hint) const;
    // The window that _NET_ACTIVE_WINDOW names; none when no window is active. Under a manager
    // that keeps no such property (twm), the managed window that holds the keyboard.
    std::optional<unsigned long> activeWindow() const;
    // The top-level window that holds the keyboard when the window manager does not manage it
    // (it bypasses the manager and took the keyboard itself, and no window in it carries
    // WM_STATE: a frame of a manager that sets override-redirect on frames is not one); none
    // otherwise. The manager's active window then still names the window the keyboard came from.
    std::optional<unsigned long> unmanagedFocusWindow() const;
    // The top-level window that holds the keyboard (XGetInputFocus): the managed window (the one
    // with WM_STATE) the focus lies in, or the window beside the manager that took it; none when
    // no window has it. Where the keyboard follows the pointer (the focus is PointerRoot), the
    // window under the pointer, which the keys reach.
    std::optional<unsigned long> focusedTopLevel() const;
    // Whether the keyboard follows the pointer (the focus is PointerRoot).
    bool keyboardFollowsPointer() const;
    // The managed window under the pointer; none over the bare desktop or a window beside the manager.
    std::optional<unsigned long> clientUnderPointer() const;
    // The managed window within a child of the root (its frame, or itself); 0 when none or gone.
    unsigned long clientWithin(unsigned long rootChild) const;
    // Lets the keyboard follow the pointer again, as it did before a window took it.
    void letKeyboardFollowPointer() const;
    // Hands the keyboard to a viewable window directly; false when it could not.
    bool setInputFocus(unsigned long window) const;
    // The managed windows, bottom-most first (_NET_CLIENT_LIST_STACKING, else _NET_CLIENT_LIST;
    // under a manager that keeps neither, the mapped windows that carry WM_STATE).
    QList<unsigned long> clientWindows() const;
    // Whether the window still exists.
    bool windowExists(unsigned long window) const;
    // For connections that select no events: takes what the server sends anyway (keyboard map
    // changes) off the queue, so that the queue does not grow for the life of the program.
    void drainEvents() const;

private:
    std::optional<QString> classHintPart(unsigned long window, bool instance) const;
    // Where the keyboard is, from one walk up the window tree from the focused window.
    struct FocusHolder {
        unsigned long topLevel = 0; // the root child that holds the focus; 0 when none does
        unsigned long client = 0;   // the managed window on the way (WM_STATE); 0 when none
        bool unmanaged = false;     // the root child bypasses the manager and holds no client
    };
    FocusHolder focusHolder() const;

    Display *m_display = nullptr;
};
