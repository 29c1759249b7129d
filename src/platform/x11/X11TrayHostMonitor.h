#pragma once

#include "platform/TrayHostMonitor.h"

class X11SelectionOwnerWatch;

// The tray host of an X11 desktop is whoever owns the manager selection _NET_SYSTEM_TRAY_S<n>
// of the default screen; the server reports each change of its owner.
class X11TrayHostMonitor : public TrayHostMonitor
{
    Q_OBJECT
public:
    explicit X11TrayHostMonitor(QObject *parent = nullptr);
    ~X11TrayHostMonitor() override;

    // False without a display or where ownership cannot be followed: nothing is announced then.
    bool isWatching() const;

private:
    X11SelectionOwnerWatch *m_watch = nullptr;
};
