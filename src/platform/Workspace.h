#pragma once

#include <QObject>
#include <QString>

#include <optional>

// A running application as the desktop shows it: one of its top-level windows, its process and
// its name (the window's class). Window titles are never read: they leak document names.
struct RunningApplication {
    quint64 window = 0; // X window id
    qint64 pid = 0;     // 0 when the window does not say
    QString name;       // WM_CLASS class, e.g. "TarnelFixture"

    bool operator==(const RunningApplication &) const = default;
};

// The front application, activation of a remembered one, and who we are.
class Workspace : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // The application that owns the active window; none when no window is active.
    virtual std::optional<RunningApplication> frontmostApplication() const = 0;
    // The window the user works in: the front application, or, where the keyboard follows the
    // pointer and the pointer is on a window of ours, the one it came from.
    virtual std::optional<RunningApplication> windowUserWorksIn() const { return frontmostApplication(); }
    // The topmost window of a process, if it still has one.
    virtual std::optional<RunningApplication> applicationWithPid(qint64 pid) const = 0;
    // Where a paste recorded for the application goes now: its own window while that exists,
    // whether or not the window says which process made it, else the topmost window of its
    // process; none when neither is left.
    virtual std::optional<RunningApplication> stillShown(const RunningApplication &application) const;
    // Asks the desktop to bring the application's window to the front and give it the keyboard.
    // Returns false when the request could not be made (the window and the process are gone).
    virtual bool activate(const RunningApplication &application) = 0;
    // The window that holds the keyboard now, one of our own included; when that is `besides`
    // (a window that took the keyboard past the window manager), the window the manager still
    // calls active, where the keyboard came from.
    virtual std::optional<RunningApplication> keyboardHolder(quint64 besides) const;
    // Whether the keyboard reached the window by following the pointer (focus follows the
    // pointer there) before Tarnel gave it to the window past a pointer resting on Tarnel's own.
    virtual bool keyboardFollowedPointerInto(quint64 window) const
    {
        Q_UNUSED(window);
        return false;
    }
    // Our own process id.
    virtual qint64 ownPid() const;
    // The program a copy came from: the one whose window `clipboardOwner` (0 when unknown) owned
    // the clipboard, else the last application in front that was neither ours nor the window
    // manager's. None when neither is known.
    virtual std::optional<RunningApplication> copySource(quint64 clipboardOwner) const;

    bool isOwn(const RunningApplication &application) const { return application.pid == ownPid(); }
};
