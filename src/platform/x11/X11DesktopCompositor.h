#pragma once

#include "platform/DesktopCompositor.h"
#include "platform/x11/X11SelectionOwnerWatch.h"

// A compositing manager runs while a client owns the screen's _NET_WM_CM_S<n> selection.
class X11DesktopCompositor : public DesktopCompositor {
    Q_OBJECT
public:
    explicit X11DesktopCompositor(QObject *parent = nullptr);

    bool isRunning() const override { return m_running; }

private:
    X11SelectionOwnerWatch m_watch;
    bool m_running = false;
};
