#pragma once

#include "platform/InstanceLock.h"

// No other instance exists unless a test says so; then onReady waits for finishWaiting().
class FakeInstanceLock : public InstanceLock
{
    Q_OBJECT

public:
    using InstanceLock::InstanceLock;

    void start(std::function<void()> onReady) override
    {
        ++m_startCount;
        if (m_othersRunning)
            m_pending = std::move(onReady);
        else if (onReady)
            onReady();
    }

    void setOthersRunning(bool running) { m_othersRunning = running; }
    void finishWaiting()
    {
        if (auto ready = std::exchange(m_pending, nullptr))
            ready();
    }
    void simulateQuitRequest() { Q_EMIT quitRequested(); }
    int startCount() const { return m_startCount; }

private:
    bool m_othersRunning = false;
    std::function<void()> m_pending;
    int m_startCount = 0;
};
