#include "platform/x11/X11SelfRaiseGuard.h"

bool X11SelfRaiseGuard::raised(unsigned long window, Clock::time_point now)
{
    if (isGivenWay(window))
        return false;
    std::deque<Clock::time_point> &times = m_raises[window];
    times.push_back(now);
    while (!times.empty() && now - times.front() >= kWithin)
        times.pop_front();
    const auto tried = m_tried.find(window);
    const bool risesAgain = tried != m_tried.end() && now - tried->second < kWithin;
    if (tried != m_tried.end())
        m_tried.erase(tried);
    if (int(times.size()) < kRaises && !risesAgain)
        return false;
    m_raises.erase(window);
    m_givenWay.insert(window);
    return true;
}

void X11SelfRaiseGuard::release(unsigned long window)
{
    m_raises.erase(window);
    m_givenWay.erase(window);
    m_tried.erase(window);
}

void X11SelfRaiseGuard::releaseAll()
{
    m_raises.clear();
    m_givenWay.clear();
    m_tried.clear();
}

void X11SelfRaiseGuard::tryAgain(Clock::time_point now)
{
    for (const unsigned long window : m_givenWay) {
        m_raises.erase(window);
        m_tried[window] = now;
    }
    m_givenWay.clear();
}
