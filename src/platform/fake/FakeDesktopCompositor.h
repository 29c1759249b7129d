#pragma once

#include "platform/DesktopCompositor.h"

// A compositor that tests start and stop.
class FakeDesktopCompositor : public DesktopCompositor {
    Q_OBJECT
public:
    explicit FakeDesktopCompositor(bool running = false) : m_running(running) {}

    bool isRunning() const override { return m_running; }
    void setRunning(bool running)
    {
        if (running == m_running)
            return;
        m_running = running;
        Q_EMIT runningChanged(running);
    }

private:
    bool m_running;
};
