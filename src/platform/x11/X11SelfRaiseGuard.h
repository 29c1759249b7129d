#pragma once

#include <chrono>
#include <deque>
#include <map>
#include <set>

// Some windows (players, on-screen displays) raise themselves whenever they are covered. Kept
// over them, the panel would be restacked against them without end, so after a few raises in
// a short time such a window is given way: it stays on top until it no longer is the topmost of
// the manager's windows (it unmapped, or the user brought another window over it).
class X11SelfRaiseGuard {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr int kRaises = 5;
    static constexpr std::chrono::milliseconds kWithin{1000};

    // The window rose over the kept windows; true when that made it one to give way to.
    bool raised(unsigned long window, Clock::time_point now);
    bool isGivenWay(unsigned long window) const { return m_givenWay.count(window) != 0; }
    // The window is no longer on top, or gone: it is kept under again and counts from nothing.
    void release(unsigned long window);

private:
    std::map<unsigned long, std::deque<Clock::time_point>> m_raises;
    std::set<unsigned long> m_givenWay;
};
