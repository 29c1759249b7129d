#include "platform/x11/X11KeyboardHandoffs.h"

namespace {

// Windows remembered at most: the oldest hand-off is forgotten past them, a window long closed.
constexpr std::size_t kRemembered = 64;

} // namespace

X11KeyboardHandoffs &X11KeyboardHandoffs::shared()
{
    static X11KeyboardHandoffs handoffs;
    return handoffs;
}

void X11KeyboardHandoffs::handedTo(unsigned long client, Clock::time_point at)
{
    m_last[client] = at;
    if (m_last.size() <= kRemembered)
        return;
    auto oldest = m_last.begin();
    for (auto it = m_last.begin(); it != m_last.end(); ++it)
        if (it->second < oldest->second)
            oldest = it;
    m_last.erase(oldest);
}

bool X11KeyboardHandoffs::handedToSince(unsigned long client, Clock::time_point since) const
{
    const auto found = m_last.find(client);
    return found != m_last.end() && found->second >= since;
}
