#include "platform/x11/X11DesktopCompositor.h"

#include "core/Logging.h"

X11DesktopCompositor::X11DesktopCompositor(QObject *parent)
    : DesktopCompositor(parent)
    , m_watch(X11SelectionOwnerWatch::screenSelection("_NET_WM_CM_S"))
    , m_running(m_watch.hasOwner())
{
    qCInfo(lcPlatform) << "Compositing manager:" << (m_running ? "running" : "none");
    connect(&m_watch, &X11SelectionOwnerWatch::ownerChanged, this, [this](quint32 owner) {
        const bool running = owner != 0;
        if (running == m_running)
            return;
        m_running = running;
        qCInfo(lcPlatform) << "Compositing manager" << (running ? "started" : "stopped");
        Q_EMIT runningChanged(running);
    });
}
