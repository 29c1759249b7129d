#include "platform/x11/X11StackingOrder.h"

#include <algorithm>

void X11StackingOrder::reset(std::vector<TopLevel> windows)
{
    m_windows = std::move(windows);
}

X11StackingOrder::TopLevel *X11StackingOrder::find(unsigned long window)
{
    const auto at = std::find_if(m_windows.begin(), m_windows.end(), [window](const TopLevel &known) { return known.window == window; });
    return at == m_windows.end() ? nullptr : &*at;
}

const X11StackingOrder::TopLevel *X11StackingOrder::find(unsigned long window) const
{
    return const_cast<X11StackingOrder *>(this)->find(window);
}

unsigned long X11StackingOrder::holderOf(unsigned long window) const
{
    for (const TopLevel &known : m_windows)
        if (known.window == window || known.client == window)
            return known.window;
    return 0;
}

int X11StackingOrder::indexOf(unsigned long window) const
{
    for (std::size_t i = 0; i < m_windows.size(); ++i)
        if (m_windows[i].window == window)
            return int(i);
    return -1;
}

void X11StackingOrder::add(const TopLevel &window)
{
    if (find(window.window))
        return;
    m_windows.push_back(window);
}

void X11StackingOrder::remove(unsigned long window)
{
    std::erase_if(m_windows, [window](const TopLevel &known) { return known.window == window; });
}

bool X11StackingOrder::restack(unsigned long window, unsigned long sibling)
{
    const int from = indexOf(window);
    if (from < 0)
        return false;
    const int below = sibling == 0 ? -1 : indexOf(sibling);
    if (sibling != 0 && below < 0)
        return false;
    if (below == from - 1)
        return false;
    const TopLevel moved = m_windows[std::size_t(from)];
    m_windows.erase(m_windows.begin() + from);
    const int to = below < 0 ? 0 : (below < from ? below + 1 : below);
    m_windows.insert(m_windows.begin() + to, moved);
    return true;
}

bool X11StackingOrder::circulate(unsigned long window, bool onTop)
{
    const int from = indexOf(window);
    if (from < 0 || from == (onTop ? int(m_windows.size()) - 1 : 0))
        return false;
    const TopLevel moved = m_windows[std::size_t(from)];
    m_windows.erase(m_windows.begin() + from);
    m_windows.insert(onTop ? m_windows.end() : m_windows.begin(), moved);
    return true;
}
