#include "platform/x11/X11PointerPresses.h"

#include "platform/x11/X11Connection.h"

#include "core/Logging.h"

#include <QGuiApplication>

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>


X11PointerPresses::X11PointerPresses(QObject *parent)
    : PointerPresses(parent)
    , m_connection(std::make_unique<X11Connection>())
{
    if (!m_connection->isOpen())
        return;
    Display *display = m_connection->display();
    int event = 0, error = 0;
    int major = 2, minor = 2;
    if (!XQueryExtension(display, "XInputExtension", &m_opcode, &event, &error)
        || XIQueryVersion(display, &major, &minor) != Success || major < 2 || (major == 2 && minor < 2)) {
        qCInfo(lcPlatform) << "Pointer presses: no XInput2; a popup closes only when it loses the keyboard";
        m_opcode = -1;
        return;
    }
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XIEventMask mask{XIAllMasterDevices, int(sizeof(bits)), bits};
    XISetMask(bits, XI_RawButtonPress);
    XISelectEvents(display, DefaultRootWindow(display), &mask, 1);
    XFlush(display);
    m_events = std::make_unique<QSocketNotifier>(m_connection->fileDescriptor(), QSocketNotifier::Read);
    connect(m_events.get(), &QSocketNotifier::activated, this, [this] { takeEvents(); });
}

X11PointerPresses::~X11PointerPresses() = default;

void X11PointerPresses::catchUp()
{
    if (!m_events)
        return;
    // After the round trip every press the server took before now is queued here.
    XSync(m_connection->display(), False);
    takeEvents();
}

void X11PointerPresses::takeEvents()
{
    Display *display = m_connection->display();
    const Window root = DefaultRootWindow(display);
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type != GenericEvent || event.xcookie.extension != m_opcode
            || event.xcookie.evtype != XI_RawButtonPress)
            continue;
        Window rootOut = 0, child = 0;
        int rootX = 0, rootY = 0, x = 0, y = 0;
        unsigned int buttons = 0;
        if (!XQueryPointer(display, root, &rootOut, &child, &rootX, &rootY, &x, &y, &buttons))
            continue;
        // The server counts device pixels; Qt's global positions are scaled by its ratio.
        const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
        Q_EMIT pressed(QPointF(rootX / ratio, rootY / ratio).toPoint());
    }
}
