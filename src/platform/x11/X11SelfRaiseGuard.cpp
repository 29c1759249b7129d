#include "platform/x11/X11SelfRaiseGuard.h"

bool X11SelfRaiseGuard::raised(unsigned long window, Clock::time_point now)
{
    if (isGivenWay(window))
        return false;
    std::deque<Clock::time_point> &times = m_raises[window];
    times.push_back(now);
    while (!times.empty() && now - times.front() >= kWithin)
        times.pop_front();
    if (int(times.size()) < kRaises)
        return false;
    m_raises.erase(window);
    m_givenWay.insert(window);
    return true;
}

void X11SelfRaiseGuard::release(unsigned long window)
{
    m_raises.erase(window);
    m_givenWay.erase(window);
}
