#pragma once

#include "platform/Workspace.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11PointerMotion.h"

// The front application and activation through the window manager's EWMH properties.
class X11Workspace : public Workspace {
    Q_OBJECT
public:
    explicit X11Workspace(QObject *parent = nullptr);

    bool isUsable() const { return m_usable; }

    std::optional<RunningApplication> frontmostApplication() const override;
    std::optional<RunningApplication> windowUserWorksIn() const override;
    std::optional<RunningApplication> applicationWithPid(qint64 pid) const override;
    std::optional<RunningApplication> stillShown(const RunningApplication &application) const override;
    bool activate(const RunningApplication &application) override;
    std::optional<RunningApplication> keyboardHolder(quint64 besides) const override;
    std::optional<RunningApplication> copySource(quint64 clipboardOwner) const override;
    bool keyboardFollowedPointerInto(quint64 window) const override
    {
        return window != 0 && window == m_followedByKeyboard;
    }

    // Where the pointer came from onto the notch is asked of it.
    void followPointerWith(const X11PointerMotion *motion) { m_pointerMotion = motion; }

private:
    RunningApplication applicationFor(unsigned long window) const;
    // The application of the program that created the window: its managed window, else what
    // the window itself says. A program owns the clipboard through a hidden window of its own.
    std::optional<RunningApplication> applicationOfClient(unsigned long window) const;
    // Whether the window is the window manager's own (made by the client that names itself
    // the manager on the root window).
    bool isManagers(unsigned long window) const;
    // Takes the events the server sent (changes of the active window among them) off the queue.
    void followEvents() const;
    // Notes the active window when it is another program's.
    void noteActiveWindow() const;

    X11Connection m_connection;
    bool m_usable = false;
    unsigned long m_activeWindowAtom = 0;
    // The part of a resource id that tells it apart within its client; 0 when unknown.
    unsigned long m_resourceMask = 0;
    // Notes the window when the keyboard reaches it by following the pointer.
    void noteKeyboardFollowingPointer(unsigned long window) const;

    // The last window in front that was neither ours nor the manager's.
    mutable std::optional<RunningApplication> m_lastOtherFront;
    // The last window the keyboard reached by following the pointer, not given to it; 0 when none.
    mutable unsigned long m_followedByKeyboard = 0;
    const X11PointerMotion *m_pointerMotion = nullptr;
};
