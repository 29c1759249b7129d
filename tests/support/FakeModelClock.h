#pragma once

#include "engine/ModelClock.h"

#include <QDateTime>
#include <QPointer>
#include <QTimeZone>

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

// Time that only moves when a test moves it; delayed work runs in due order as it passes.
class FakeModelClock final : public ModelClock
{
public:
    QDateTime now() const override { return m_now; }
    void singleShot(std::chrono::milliseconds delay, QObject *context, std::function<void()> work) override
    {
        m_pending.push_back({m_now.addMSecs(delay.count()), m_nextOrder++, QPointer<QObject>(context), std::move(work)});
    }

    void advance(std::chrono::milliseconds by)
    {
        const QDateTime target = m_now.addMSecs(by.count());
        for (;;) {
            auto next = std::min_element(m_pending.begin(), m_pending.end(), [](const Pending &a, const Pending &b) {
                return a.due < b.due || (a.due == b.due && a.order < b.order);
            });
            if (next == m_pending.end() || next->due > target)
                break;
            Pending due = std::move(*next);
            m_pending.erase(next);
            m_now = due.due;
            if (due.context)
                due.work();
        }
        m_now = target;
    }
    std::size_t pendingCount() const { return m_pending.size(); }

private:
    struct Pending {
        QDateTime due;
        quint64 order;
        QPointer<QObject> context;
        std::function<void()> work;
    };
    QDateTime m_now{QDate(2026, 3, 1), QTime(12, 0), QTimeZone::utc()};
    std::vector<Pending> m_pending;
    quint64 m_nextOrder = 0;
};
