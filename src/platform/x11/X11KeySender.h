#pragma once

#include "platform/KeySender.h"
#include "platform/Workspace.h"
#include "platform/x11/X11Connection.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <chrono>

// Types chords through the XTest extension.
class X11KeySender : public KeySender {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kPollInterval{10};
    // How long a target window may take to become active before its chord is given up.
    static constexpr std::chrono::milliseconds kActivationTimeout{700};
    // The window manager marks a window active before the application has taken the focus in;
    // keys sent at once could fall between the two.
    static constexpr std::chrono::milliseconds kActivationSettle{120};
    // How long the user may keep holding keys (the modifiers of the shortcut that started the
    // paste) before the held modifiers are released on their behalf.
    static constexpr std::chrono::milliseconds kHeldKeysTimeout{600};

    // The workspace activates target windows; it must outlive the sender.
    explicit X11KeySender(Workspace *workspace, QObject *parent = nullptr);

    // A display with the XTest extension.
    bool isUsable() const { return m_usable; }
    bool post(const KeyPost &request) override;
    // Chords posted but not yet sent or given up.
    int pendingCount() const { return int(m_queue.size()); }

    // Terminals read Ctrl+Shift+V and Ctrl+Shift+C: a plain Ctrl+V would insert a control
    // character and a plain Ctrl+C would interrupt the running program.
    static bool isTerminalClass(const QString &windowClass);

private:
    enum class Stage { Start, Activating, Settling, WaitingForKeys };
    struct Job {
        KeyPost request;
        Stage stage = Stage::Start;
        std::chrono::steady_clock::time_point deadline;
        // The window of the target process that has to be in front; 0: any of its windows.
        quint64 window = 0;
    };

    enum class Outcome { Waiting, Sent, Dropped };

    void step();
    Outcome advance(Job &job);
    static bool isTargetInFront(const Job &job, const std::optional<RunningApplication> &front);
    QList<unsigned> heldKeycodes() const;
    QList<unsigned> heldKeycodes(HeldKeys which) const;
    QList<unsigned> modifierKeycodes() const;
    void releaseHeldModifiers();
    bool sendChord(KeyChord chord);
    void fakeKey(unsigned keycode, bool press);

    QPointer<Workspace> m_workspace;
    X11Connection m_connection;
    bool m_usable = false;
    QList<Job> m_queue;
    QTimer m_timer;
    bool m_stepping = false;
    QList<unsigned> m_outlastedKeycodes;
};
