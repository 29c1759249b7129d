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
    // During start(): another instance keeps running, and onReady never runs.
    void simulateGivingWay(qint64 pid, const QString &executable)
    {
        m_pending = nullptr;
        Q_EMIT gaveWay(pid, executable);
    }
    // No lock could be had: the history is read and not written.
    void setHistoryLockProblem(const QString &problem) { m_historyLockProblem = problem; }
    bool holdsHistory() const override { return m_historyLockProblem.isEmpty(); }
    QString historyLockProblem() const override { return m_historyLockProblem; }
    int startCount() const { return m_startCount; }

private:
    bool m_othersRunning = false;
    std::function<void()> m_pending;
    int m_startCount = 0;
    QString m_historyLockProblem;
};
