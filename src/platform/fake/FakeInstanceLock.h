#pragma once

#include "platform/InstanceLock.h"

#include <atomic>

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
    void setHistoryLockProblem(const QString &problem, HistoryLockReason reason = HistoryLockReason::NoLocks)
    {
        m_historyLockProblem = problem;
        m_historyLockReason = reason;
        m_held = problem.isEmpty();
    }
    bool holdsHistory() const override { return m_historyLockProblem.isEmpty(); }
    QString historyLockProblem() const override { return m_historyLockProblem; }
    HistoryLockReason historyLockReason() const override
    {
        return m_historyLockProblem.isEmpty() ? HistoryLockReason::None : m_historyLockReason;
    }
    // From the history's writer thread too.
    HistoryFolderCheck checkHistoryFolder() override { return {m_held, m_generation, {}}; }
    // The folder is taken at last (or anew): the history is to be written there whole.
    void simulateHistoryTaken()
    {
        m_historyLockProblem.clear();
        m_held = true;
        ++m_generation;
        Q_EMIT historyFolderTaken();
    }
    int startCount() const { return m_startCount; }

private:
    bool m_othersRunning = false;
    std::function<void()> m_pending;
    int m_startCount = 0;
    QString m_historyLockProblem;
    HistoryLockReason m_historyLockReason = HistoryLockReason::NoLocks;
    std::atomic<bool> m_held{true};
    std::atomic<quint64> m_generation{0};
};
