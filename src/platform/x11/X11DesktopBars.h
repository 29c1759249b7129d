#pragma once

#include "platform/DesktopBars.h"

#include <QList>
#include <QSocketNotifier>
#include <QTimer>

#include <chrono>
#include <memory>

class X11Connection;

// The bars as the window manager publishes them: the work area (_NET_WORKAREA) of the current
// desktop, and each managed window's reserved strip along the top (_NET_WM_STRUT_PARTIAL, else
// _NET_WM_STRUT) with the columns it spans. Where some window reserves a strip along the top, the
// struts say which columns a bar holds (a bar in a corner leaves the centre free although the
// work area starts below it); where none does and the work area still starts below the screen's
// top, the bar is the desktop shell's own, drawn by the compositor without a window of its own
// (gnome-shell's), and the work area is all there is to go by. A full-screen window stacked over a
// bar covers it. Followed through the root's and the active window's property changes on a private
// connection (a window goes full screen while active, and the manager restacks it), which come
// only when something changes.
class X11DesktopBars : public DesktopBars {
    Q_OBJECT
public:
    // How long the order of the windows stays put before a change of it is told.
    static constexpr std::chrono::milliseconds kRestackSettle{150};

    explicit X11DesktopBars(QObject *parent = nullptr);
    ~X11DesktopBars() override;

    int freeTop(const QRect &screen, int left, int right) const override;

private:
    void takeEvents();
    // Hears the active window's own state (full screen or not) from now on.
    void followActiveWindow();

    std::unique_ptr<X11Connection> m_connection;
    std::unique_ptr<QSocketNotifier> m_events;
    unsigned long m_active = 0;
    QList<unsigned long> m_stacking;
    QTimer m_settle;
};
