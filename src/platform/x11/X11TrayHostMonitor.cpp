#include "platform/x11/X11TrayHostMonitor.h"

#include "platform/x11/X11SelectionOwnerWatch.h"

X11TrayHostMonitor::X11TrayHostMonitor(QObject *parent)
    : TrayHostMonitor(parent)
    , m_watch(new X11SelectionOwnerWatch(X11SelectionOwnerWatch::screenSelection("_NET_SYSTEM_TRAY_S"), this))
{
    connect(m_watch, &X11SelectionOwnerWatch::ownerChanged, this, &TrayHostMonitor::hostChanged);
}

X11TrayHostMonitor::~X11TrayHostMonitor() = default;

bool X11TrayHostMonitor::isWatching() const
{
    return m_watch->isWatching();
}
