#include "platform/x11/X11PointerMotion.h"

#include "platform/x11/X11Connection.h"

#include "core/Logging.h"

#include <QGuiApplication>

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>


X11PointerMotion::X11PointerMotion(QObject *parent)
    : PointerMotion(parent)
    , m_connection(std::make_unique<X11Connection>())
{
    m_lateLook.setSingleShot(true);
    m_lateLook.setInterval(kFarLookPace);
    connect(&m_lateLook, &QTimer::timeout, this, &X11PointerMotion::lookAgain);
    if (!m_connection->isOpen())
        return;
    Display *display = m_connection->display();
    int event = 0, error = 0;
    int major = 2, minor = 2;
    if (!XQueryExtension(display, "XInputExtension", &m_opcode, &event, &error)
        || XIQueryVersion(display, &major, &minor) != Success || major < 2 || (major == 2 && minor < 2)) {
        qCInfo(lcPlatform) << "Pointer motion: no XInput2; the notch learns of the pointer from its own window alone";
        m_opcode = -1;
        return;
    }
    m_events = std::make_unique<QSocketNotifier>(m_connection->fileDescriptor(), QSocketNotifier::Read);
    connect(m_events.get(), &QSocketNotifier::activated, this, [this] { takeEvents(); });
}

X11PointerMotion::~X11PointerMotion() = default;

void X11PointerMotion::watch(const QRect &area)
{
    if (area == watchedArea())
        return;
    PointerMotion::watch(area);
    if (!m_events)
        return;
    // Nothing watched, nothing heard: the moves would only wake the program.
    m_lateLook.stop();
    listen(!area.isEmpty());
    // A pointer already inside a new area is told of at once, not at its next move.
    if (!area.isEmpty())
        lookAndPace();
}

void X11PointerMotion::listen(bool on)
{
    if (on == m_listening)
        return;
    m_listening = on;
    Display *display = m_connection->display();
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XIEventMask mask{XIAllMasterDevices, int(sizeof(bits)), bits};
    if (on)
        XISetMask(bits, XI_RawMotion);
    XISelectEvents(display, DefaultRootWindow(display), &mask, 1);
    XFlush(display);
}

void X11PointerMotion::takeEvents()
{
    Display *display = m_connection->display();
    bool moved = false;
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        moved = moved
            || (event.type == GenericEvent && event.xcookie.extension == m_opcode && event.xcookie.evtype == XI_RawMotion);
    }
    if (moved && m_listening && !watchedArea().isEmpty())
        lookAndPace();
}

void X11PointerMotion::lookAndPace()
{
    look();
    pace();
}

void X11PointerMotion::pace()
{
    // Far from the area the pointer needs a while to arrive: its moves are not heard meanwhile,
    // and it is looked at again after the pace, until it rests or comes near.
    const QRect near = watchedArea().adjusted(-kNearDistance, -kNearDistance, kNearDistance, kNearDistance);
    if (!near.contains(m_last) && !m_wasInside) {
        listen(false);
        m_lateLook.start();
    }
}

void X11PointerMotion::lookAgain()
{
    if (watchedArea().isEmpty())
        return;
    // Heard again before the look, so that no move after it goes unheard.
    listen(true);
    const QPoint before = m_last;
    look();
    // At rest, the next move is heard as it comes; still moving far away, it is looked at again.
    if (m_last != before)
        pace();
}

void X11PointerMotion::look()
{
    if (!m_events)
        return;
    Display *display = m_connection->display();
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int buttons = 0;
    const bool answered =
        XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &x, &y, &buttons);
    // The moves read off the socket while waiting for the answer came before it: the answer holds
    // them, and left queued they would wait for the next move to be read at all.
    while (XEventsQueued(display, QueuedAlready) > 0) {
        XEvent event;
        XNextEvent(display, &event);
    }
    if (!answered)
        return;
    // The server counts device pixels; Qt's global positions are scaled by its ratio.
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    m_last = QPointF(rootX / ratio, rootY / ratio).toPoint();
    const bool inside = watchedArea().contains(m_last);
    const bool announce = inside || m_wasInside;
    if (!inside)
        m_overOutside = child;
    m_wasInside = inside;
    if (announce)
        Q_EMIT moved(m_last);
}
