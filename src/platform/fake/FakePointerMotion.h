#pragma once

#include "platform/PointerMotion.h"

#include <utility>

// A pointer that tests move: announced as the desktop announces it, only within the watched area
// and once as it leaves.
class FakePointerMotion : public PointerMotion {
    Q_OBJECT
public:
    using PointerMotion::PointerMotion;

    void moveTo(QPoint globalPosition)
    {
        const bool inside = watchedArea().contains(globalPosition);
        const bool announce = inside || std::exchange(m_wasInside, inside);
        m_wasInside = inside;
        if (announce)
            Q_EMIT moved(globalPosition);
    }

private:
    bool m_wasInside = false;
};
