#pragma once

#include "platform/PointerPresses.h"

#include <QList>

#include <utility>

// Presses that tests make; catchUp() announces the ones made with pressLater().
class FakePointerPresses : public PointerPresses {
    Q_OBJECT
public:
    using PointerPresses::PointerPresses;

    void press(QPoint globalPosition) { Q_EMIT pressed(globalPosition); }
    // A press the desktop has made but not yet announced.
    void pressLater(QPoint globalPosition) { m_pending.append(globalPosition); }
    void catchUp() override
    {
        const QList<QPoint> pending = std::exchange(m_pending, {});
        for (const QPoint &position : pending)
            Q_EMIT pressed(position);
    }

private:
    QList<QPoint> m_pending;
};
