#pragma once

#include <chrono>
#include <map>

// The windows of other programs this program handed the keyboard to itself: the application a
// paste goes into, the one the user came from as the panel closes. A window of the program that
// holds the keyboard against the window manager (see X11FrontKeeper::holdKeyboard) lets it go to
// such a window: the program is the one moving it there, not the manager.
class X11KeyboardHandoffs {
public:
    using Clock = std::chrono::steady_clock;

    // The one record of this process, written where the program activates another program's
    // window and read where its own windows hold the keyboard.
    static X11KeyboardHandoffs &shared();

    // The program handed the keyboard to the client window.
    void handedTo(unsigned long client, Clock::time_point at = Clock::now());
    // Whether the program handed the keyboard to the client window at `since` or later.
    bool handedToSince(unsigned long client, Clock::time_point since) const;

private:
    // The last hand-off to each window; a few windows at most over a session's pastes.
    std::map<unsigned long, Clock::time_point> m_last;
};
