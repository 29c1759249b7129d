#pragma once

#include <chrono>

union _XEvent;
using XEvent = _XEvent;
struct _XDisplay;
using Display = _XDisplay;

// The user's own button and key presses, as XInput2 raw events on the root of a connection,
// each paired with the top-level window it went to: the one under the pointer for a button, the
// one holding the keyboard for a key. Some managers (openbox) raise a window at each click on it;
// a raise of that window right after the press is the manager answering the user.
class X11UserPresses {
public:
    using Clock = std::chrono::steady_clock;
    // How soon after a press a manager raises the window pressed in.
    static constexpr std::chrono::milliseconds kAnswerWithin{1000};

    // Asks the server for the raw presses on the display's root; false where XInput2 is missing.
    bool listen(Display *display);
    // Takes the event when it is a raw press; whether it was one.
    bool take(Display *display, XEvent &event, Clock::time_point now);
    // Whether the user pressed in the top-level window within kAnswerWithin before `now`.
    bool answersUser(unsigned long topLevel, Clock::time_point now) const;
    // Whether the user pressed a pointer button in the top-level window within kAnswerWithin
    // before `now`, and not before `since`: a click that gives that window the keyboard after
    // the user asked for another (a click that came first was answered before the user asked).
    bool clickedIn(unsigned long topLevel, Clock::time_point since, Clock::time_point now) const;
    // The top-level window of the user's last click and when it came; 0 before the first.
    unsigned long lastClickWindow() const { return m_lastClickWindow; }
    Clock::time_point lastClick() const { return m_lastClick; }
    // A press in the top-level window, as take() notes one; a button's is a click as well.
    void pressed(unsigned long topLevel, Clock::time_point now, bool button = false);
    // The top-level window a press the server just reported went to, read on the connection that
    // heard it: for a button the root child under the pointer, for a key the one holding the
    // keyboard; 0 when the keyboard follows the pointer or the window is gone already.
    static unsigned long pressedTopLevel(Display *display, bool button, unsigned long wmStateAtom);

private:
    int m_opcode = -1;
    unsigned long m_wmState = 0;
    unsigned long m_lastWindow = 0;
    Clock::time_point m_lastPress{};
    unsigned long m_lastClickWindow = 0;
    Clock::time_point m_lastClick{};
};
