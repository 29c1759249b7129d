#pragma once

#include "platform/KeySender.h"
#include "platform/Pasteboard.h"
#include "platform/Workspace.h"
#include "platform/x11/ProgramRoads.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11SelectionTakes.h"
#include "platform/x11/X11SpareKey.h"

#include <QFuture>
#include <QList>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <chrono>
#include <optional>

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
    // While the target window is not active yet, its activation is asked for again this often:
    // a click in Tarnel's panel (the second click of a double click) takes the keyboard back.
    static constexpr std::chrono::milliseconds kActivationRetryInterval{150};
    // How often a target window that lost the keyboard again before its chord went out is
    // activated anew.
    static constexpr int kMaxReactivations = 2;
    // How long a terminal's selection may take to arrive when a copy reads it.
    static constexpr std::chrono::milliseconds kSelectionReadTimeout{2500};
    // How long the user may keep holding keys (the modifiers of the shortcut that started the
    // paste) before the held modifiers are released on their behalf.
    static constexpr std::chrono::milliseconds kHeldKeysTimeout{600};
    // How long a chord waits for the key of a global shortcut to come up. While that key is
    // down its hot-key grab holds the keyboard, and every key typed goes to the grab: the chord
    // is given up rather than typed into it.
    static constexpr std::chrono::milliseconds kShortcutKeyTimeout{15000};
    // How long a paste chord waits for the target program to ask what the clipboard now offers
    // and get its answer, counted from the post that follows the write. Programs that ask at
    // every change of owner do so at once; one that never asks gets its chord after this.
    static constexpr std::chrono::milliseconds kClipboardAnswerWait{150};

    // Backspaces go out this far apart, and the chord after the last of them no sooner: a program
    // on LibreOffice's own X11 toolkit takes one of three Backspaces sent in one burst.
    static constexpr std::chrono::milliseconds kDeletePace{40};

    using Route = KeyRoute;

    // The workspace activates target windows; the pasteboard offers and reads the primary
    // selection for the terminals that need it. Both must outlive the sender.
    explicit X11KeySender(Workspace *workspace, Pasteboard *pasteboard = nullptr, QObject *parent = nullptr);

    // A display with the XTest extension.
    bool isUsable() const { return m_usable; }
    bool post(const KeyPost &request) override;
    // Chords posted but not yet sent or given up.
    int pendingCount() const { return int(m_queue.size()); }

    // The route of a window: the program table's where its WM_CLASS class, or else its instance
    // (the program's own name, kept when the user renames the class), names a terminal or an
    // editor it knows; for any other window whose process holds a pseudo-terminal's master (a
    // terminal by what it is, whatever its name), the primary selection. Terminals never get a
    // plain Ctrl+V or Ctrl+C: the first would insert a control character, the second interrupt
    // the running program.
    Route routeOf(unsigned long window) const;

private:
    enum class Stage {
        Start,
        Activating,
        Settling,
        WaitingForKeys,
        ReadingSelection,
        // The user's primary selection is read before a paste borrows it.
        SavingSelection,
    };
    struct Job {
        KeyPost request;
        // When it was posted: right after the clipboard was written, for a paste.
        std::chrono::steady_clock::time_point posted;
        Stage stage = Stage::Start;
        std::chrono::steady_clock::time_point deadline;
        // Until when the key of a global shortcut may keep the keyboard grabbed.
        std::chrono::steady_clock::time_point shortcutKeyDeadline;
        // The window of the target process that has to be in front; 0: any of its windows.
        quint64 window = 0;
        // The window asked for, and when to ask again.
        std::optional<RunningApplication> target;
        std::chrono::steady_clock::time_point nextActivation;
        int reactivations = 0;
        // The keyboard followed the pointer until the window was asked for: it follows it again
        // once the chord is done.
        bool tookKeyboardFromPointer = false;
        // A terminal's selection on its way to the clipboard, or the user's on its way to be
        // given back after a paste.
        QFuture<std::optional<QString>> selection;
        // What a paste through the primary selection types.
        QString lentText;
        // Why the chord is given up, when it is.
        KeyDropReason dropReason = KeyDropReason::NoTarget;
    };

    enum class Outcome { Waiting,
                         Sent,
                         Dropped };

    void step();
    Outcome advance(Job &job);
    static bool isTargetInFront(const Job &job, const std::optional<RunningApplication> &front);
    QList<unsigned> heldKeycodes() const;
    QList<unsigned> heldKeycodes(HeldKeys which) const;
    QList<unsigned> modifierKeycodes() const;
    // The keys that the global shortcuts are grabbed on (V and C where the map has them).
    QList<unsigned> shortcutKeycodes() const;
    void startWaitingForKeys(Job &job, std::chrono::steady_clock::time_point now);
    void releaseHeldModifiers();
    Outcome deliver(Job &job);
    Outcome finishSelectionCopy(Job &job);
    Outcome pasteThroughPrimarySelection(Job &job);
    // The route the program table gives the window's class or instance.
    Route namedRoute(unsigned long window) const;
    bool sendChord(KeyChord chord, Route route);
    // Ctrl+\ Ctrl+O "+gP for Vim, each character on the key that types it in the active group;
    // false, with nothing typed, when the group lacks one of them.
    bool typeRegisterPut();
    void fakeKey(unsigned keycode, bool press);

    QPointer<Workspace> m_workspace;
    QPointer<Pasteboard> m_pasteboard;
    X11Connection m_connection;
    // Tells whether the program in front holds what the user selected there, for its copy.
    X11SelectionTakes m_selectionTakes;
    // Types the chord's letter where no group of the keyboard map has it.
    X11SpareKey m_spareKey{m_connection.display()};
    bool m_usable = false;
    QList<Job> m_queue;
    QTimer m_timer;
    bool m_stepping = false;
    // Keys the user kept holding through the wait of an earlier chord of the same burst; never
    // the key of a global shortcut, and forgotten once the queue is empty.
    QList<unsigned> m_outlastedKeycodes;
    // When the last Backspace went out, until a chord of another kind follows it.
    std::optional<std::chrono::steady_clock::time_point> m_lastDeleteSent;
};
