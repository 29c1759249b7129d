#pragma once

#include <chrono>
#include <deque>
#include <map>
#include <set>

// Some windows (players, on-screen displays) raise themselves whenever they are covered. Kept
// over them, the panel would be restacked against them without end, so after a few raises in
// a short time such a window is given way: it stays on top until it no longer is the topmost of
// the manager's windows (it unmapped, or the user brought another window over it), until the
// user asks for the panel, or until a try shows it no longer raises itself. A window given way
// before that rises again at once comes back over the panel at its first raise.
class X11SelfRaiseGuard {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr int kRaises = 5;
    static constexpr std::chrono::milliseconds kWithin{1000};
    // How long a window is given way before the panel tries standing over it again.
    static constexpr std::chrono::milliseconds kTryAgainAfter{2000};

    // The window rose over the kept windows; true when that made it one to give way to.
    bool raised(unsigned long window, Clock::time_point now);
    bool isGivenWay(unsigned long window) const { return m_givenWay.count(window) != 0; }
    bool givesWay() const { return !m_givenWay.empty(); }
    // The window is no longer on top, or gone: it is kept under again and counts from nothing.
    void release(unsigned long window);
    // The user asked for the panel: every window given way is kept under again.
    void releaseAll();
    // Keeps every window given way under again for a try; one that rises within kWithin is
    // given way at once.
    void tryAgain(Clock::time_point now);

private:
    std::map<unsigned long, std::deque<Clock::time_point>> m_raises;
    std::set<unsigned long> m_givenWay;
    // Windows given way until a try, by when it began.
    std::map<unsigned long, Clock::time_point> m_tried;
};
