#pragma once

#include "platform/DesktopBars.h"

// A bar the test puts across the top of the screen, over the columns it names.
class FakeDesktopBars : public DesktopBars {
    Q_OBJECT
public:
    using DesktopBars::DesktopBars;

    void setBar(int height, int left = 0, int right = 1 << 20)
    {
        m_height = height;
        m_left = left;
        m_right = right;
        Q_EMIT changed();
    }
    int freeTop(const QRect &screen, int left, int right) const override
    {
        const bool holds = m_height > 0 && left <= m_right && right >= m_left;
        return holds ? screen.top() + m_height : screen.top();
    }

private:
    int m_height = 0;
    int m_left = 0;
    int m_right = 0;
};
