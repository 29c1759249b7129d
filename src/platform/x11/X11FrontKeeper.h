#pragma once

#include "platform/x11/X11KeyboardHold.h"
#include "platform/x11/X11SelfRaiseGuard.h"
#include "platform/x11/X11StackingOrder.h"
#include "platform/x11/X11UserPresses.h"

#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

#include <map>
#include <memory>
#include <set>
#include <vector>

class X11Connection;
class X11RestackFilter;
union _XEvent;
using XEvent = _XEvent;

// Keeps a window that bypasses the window manager (the notch panel) at its place in the real
// stacking order, the root's children as the server holds them: directly above the topmost
// window the manager stacks (full-screen ones included), under every window the program opened
// from or over it, and never over another program's window that bypasses the manager (its
// menus, tooltips, a lock screen or a screen saver). The manager's frames are told from those by
// the managed client (WM_STATE) they hold, not by override-redirect, which some managers set on
// every frame. The program's own windows are told apart by who created them, not by a process
// id a window may lack; those the panel stands above (the settings, the guide) are named, all
// others of the program stand above the panel; a named one the user just opened stands over it
// until the panel is brought to the front again. The order is followed through the root's
// create, map, unmap, restack, reparent and circulate events without reading the windows back;
// only a window that maps is read, once. They come on a connection of the keeper's own: Qt's
// merges the configure events sent to one window (the root), which would lose restacks, and
// takes each for a change of the screens. The panel is moved only when it stands elsewhere, so the
// manager is never answered with a move of its own, and a window that raises itself over it
// again and again is given way, but never while the user asks for the panel (a hover, the
// shortcut, a notice), and never for a raise that follows the user's own press in that window:
// that is the manager answering the user (openbox raises a window at each click). While another program's window covers the screen, a window of
// the program that maps over it is put under it.
class X11FrontKeeper {
public:
    // How long after the user asked for the kept windows none is given way to another: the
    // longest notice shows for four seconds. The pointer over a kept window or the keyboard in
    // one holds it longer.
    static constexpr std::chrono::milliseconds kUserAsked{5000};

    X11FrontKeeper();
    ~X11FrontKeeper();
    X11FrontKeeper(const X11FrontKeeper &) = delete;
    X11FrontKeeper &operator=(const X11FrontKeeper &) = delete;

    void keep(QWidget &window);
    void keepUnder(QWidget &window);
    // A window named by keepUnder that the user just opened stands over the kept windows until
    // they are brought to the front again.
    void liftOver(QWidget &window);
    // Puts the kept windows at their places now.
    void placeNow();
    // The user asked for the kept windows: brings them over every window named by keepUnder and
    // every window given way again, and places them.
    void bringToFront();
    // While held, a kept window the user asked the keyboard into takes it back from another window
    // that took it without the user's click there or a key binding's grab: some managers hand it
    // to a window that raises itself at each raise (fluxbox) or as it comes up under the pointer
    // (twm), or back to the window a window beside them took it from (fvwm). The hold ends once
    // the program itself hands the keyboard to another program's window (X11KeyboardHandoffs).
    // Any window of the program may be held; one held over another (a sheet's opener over Quick
    // Access) leaves the one under it held again once that one has the keyboard back.
    void holdKeyboard(QWidget &window, bool hold);
    // Whether another program's window that bypasses the manager covers the whole screen.
    bool isScreenCovered() const;
    // The requests sent on the keeper's own connection so far: what following the order costs
    // the server.
    unsigned long requestsSent() const;

private:
    using TopLevel = X11StackingOrder::TopLevel;

    void listen();
    bool isOwn(unsigned long window) const;
    std::vector<TopLevel> readTopLevels() const;
    // Reads the whole order anew; events sent before the read are then passed over.
    void rereadOrder() const;
    // Follows the events that came meanwhile; places the kept windows when what is seen changed.
    void takeEvents();
    // Follows the events that came meanwhile, those read already or also those on the socket;
    // whether what is seen may have changed.
    bool followEvents(bool readSocket);
    // Places the kept windows, after following what came meanwhile or not.
    void place(bool followFirst);
    // Reads the windows that mapped since they were last read.
    void examinePending() const;
    void takeQueuedEventsLater() const;
    bool isCovering(const TopLevel &window) const;
    std::vector<unsigned long> keptWindows() const;
    // Follows one event of the root's children; whether what is seen may have changed.
    bool follow(const XEvent &event);
    bool isUnderKept(unsigned long window) const;
    // Counts a window that rose over the kept windows, to give way to one that does so again and again.
    void noteRaise(unsigned long window, bool wasUnderKept);
    // Whether the user asks for the kept windows now.
    bool userAsks() const;
    // Hears the focus events of the kept windows, made anew when a window is.
    void watchFocus(const std::vector<unsigned long> &kept);
    // The held window, or the one held under it, that is shown as the window; null when neither is.
    QWidget *heldWindow(unsigned long window) const;
    // Follows a focus event of a kept window; takes the keyboard back when it was taken from the
    // held window.
    void followFocus(const XEvent &event);
    // The user clicked in another program's top-level window while the held window has the
    // keyboard: gives it to that window where the manager will not (see the definition).
    void followClick(unsigned long topLevel);

    std::vector<QPointer<QWidget>> m_kept;
    std::vector<QPointer<QWidget>> m_under;
    std::vector<QPointer<QWidget>> m_lifted;
    QTimer m_placing;
    QTimer m_recheck;
    QTimer m_tryAgain;
    bool m_listening = false;
    std::unique_ptr<X11Connection> m_connection;
    std::unique_ptr<QSocketNotifier> m_events;
    // Events older than the last whole read are already in it.
    mutable unsigned long m_readSerial = 0;
    unsigned long m_root = 0;
    unsigned long m_wmStateAtom = 0;
    unsigned int m_idBase = 0;
    unsigned int m_idMask = 0;
    mutable X11StackingOrder m_order;
    // Read again anew once: an order the events no longer explain.
    mutable bool m_stale = false;
    // Windows found bypassing when they mapped, read once more a little later: a manager may
    // mark the client it frames only after the frame maps.
    mutable std::vector<unsigned long> m_toRecheck;
    mutable std::set<unsigned long> m_rechecked;
    X11SelfRaiseGuard m_raises;
    X11UserPresses m_presses;
    // The last click followed.
    X11UserPresses::Clock::time_point m_clickFollowed{};
    X11SelfRaiseGuard::Clock::time_point m_askedAt{};
    std::set<unsigned long> m_loggedRaisers;
    // Kept windows just moved, by the window each was put above (0: the bottom), until the
    // server reports the restack.
    std::map<unsigned long, unsigned long> m_movedAbove;
    std::set<unsigned long> m_focusWatched;
    std::map<unsigned long, X11KeyboardHold> m_keyboard;
    QPointer<QWidget> m_held;
    // The window held before the one held now was opened over it, held again once it is the one
    // with the keyboard.
    QPointer<QWidget> m_heldUnder;
    // When the user last asked the keyboard into the held window.
    X11SelfRaiseGuard::Clock::time_point m_heldSince{};
    // The window the keyboard was last taken back from while held (its top level and the window
    // that had it): a click of the user's there afterwards shows they wanted it there.
    unsigned long m_takenFromTopLevel = 0;
    unsigned long m_takenFrom = 0;
    std::set<unsigned long> m_loggedTakers;
    std::set<unsigned long> m_loggedClicks;
    // Keeps the kept windows' own restacks from Qt, which would wait for the server at each.
    std::unique_ptr<X11RestackFilter> m_restacks;
};
