#include "platform/x11/X11DesktopBars.h"

#include "platform/x11/X11Connection.h"

#include <QGuiApplication>

#include <X11/Xlib.h>

#include <algorithm>
#include <cmath>

namespace {

int ignoreError(Display *, XErrorEvent *)
{
    return 0;
}

// A strip along the top that reaches further down than this share of the screen is no bar (a
// window that reserves the whole screen by mistake): the notch stays where it can be reached.
constexpr double kTallestBarShare = 0.25;

// The order of the twelve values of _NET_WM_STRUT_PARTIAL that a top strip needs.
constexpr int kTop = 2;
constexpr int kTopStartX = 8;
constexpr int kTopEndX = 9;

} // namespace

X11DesktopBars::X11DesktopBars(QObject *parent)
    : DesktopBars(parent)
    , m_connection(std::make_unique<X11Connection>())
{
    if (!m_connection->isOpen())
        return;
    m_settle.setSingleShot(true);
    m_settle.setInterval(kRestackSettle);
    connect(&m_settle, &QTimer::timeout, this, &DesktopBars::changed);
    XSelectInput(m_connection->display(), m_connection->rootWindow(), PropertyChangeMask);
    followActiveWindow();
    m_events = std::make_unique<QSocketNotifier>(m_connection->fileDescriptor(), QSocketNotifier::Read);
    connect(m_events.get(), &QSocketNotifier::activated, this, [this] { takeEvents(); });
}

X11DesktopBars::~X11DesktopBars() = default;

void X11DesktopBars::takeEvents()
{
    Display *display = m_connection->display();
    const Atom workArea = m_connection->atom("_NET_WORKAREA");
    const Atom desktop = m_connection->atom("_NET_CURRENT_DESKTOP");
    const Atom active = m_connection->atom("_NET_ACTIVE_WINDOW");
    const Atom state = m_connection->atom("_NET_WM_STATE");
    const Atom stacking = m_connection->atom("_NET_CLIENT_LIST_STACKING");
    bool changedNow = false;
    bool restacked = false;
    bool activeChanged = false;
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type != PropertyNotify)
            continue;
        const Atom property = event.xproperty.atom;
        if (event.xproperty.window == m_connection->rootWindow()) {
            activeChanged = activeChanged || property == active;
            changedNow = changedNow || property == workArea || property == desktop || property == active;
            restacked = restacked || property == stacking;
        } else if (event.xproperty.window == m_active && property == state) {
            changedNow = true;
        }
    }
    if (activeChanged)
        followActiveWindow();
    // A window gone full screen comes over the bar once the manager has restacked it, which it may
    // publish after the window's new state. The order changes at every raise, and beside a window
    // that raises itself again and again many times a second: told once it has settled.
    if (restacked) {
        const QList<unsigned long> order = m_connection->cardinalProperty(m_connection->rootWindow(), "_NET_CLIENT_LIST_STACKING");
        if (order != m_stacking && !m_settle.isActive())
            m_settle.start();
        m_stacking = order;
    }
    if (changedNow)
        Q_EMIT changed();
}

void X11DesktopBars::followActiveWindow()
{
    Display *display = m_connection->display();
    const unsigned long active = m_connection->activeWindow().value_or(0);
    if (active == m_active)
        return;
    // The window may be gone by the time the request arrives: that is no error of ours.
    XSync(display, False);
    XErrorHandler previous = XSetErrorHandler(ignoreError);
    if (m_active != 0)
        XSelectInput(display, m_active, NoEventMask);
    if (active != 0)
        XSelectInput(display, active, PropertyChangeMask);
    XSync(display, False);
    XSetErrorHandler(previous);
    m_active = active;
}

int X11DesktopBars::freeTop(const QRect &screen, int left, int right) const
{
    if (!m_connection->isOpen())
        return screen.top();
    // The server counts device pixels; Qt's global positions are scaled by its ratio.
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    const auto toDevice = [ratio](int logical) { return int(std::lround(logical * ratio)); };
    const QRect device(toDevice(screen.x()), toDevice(screen.y()), toDevice(screen.width()), toDevice(screen.height()));
    const int lowest = device.top() + int(device.height() * kTallestBarShare);
    const unsigned long fullScreen = m_connection->atom("_NET_WM_STATE_FULLSCREEN");
    const unsigned long hidden = m_connection->atom("_NET_WM_STATE_HIDDEN");

    // Bottom-most first: a bar under a full-screen window shown over it is covered by that window.
    struct Strip {
        int bottom;
        bool overColumns;
        int place;
    };
    QList<Strip> strips;
    int topFullScreen = -1;
    const QList<unsigned long> clients = m_connection->clientWindows();
    for (int place = 0; place < clients.size(); ++place) {
        const unsigned long client = clients.at(place);
        const QList<unsigned long> states = m_connection->cardinalProperty(client, "_NET_WM_STATE");
        if (states.contains(fullScreen) && !states.contains(hidden))
            topFullScreen = place;
        QList<unsigned long> strut = m_connection->cardinalProperty(client, "_NET_WM_STRUT_PARTIAL");
        if (strut.size() < 12) {
            // The older form spans the whole width of the root.
            const QList<unsigned long> whole = m_connection->cardinalProperty(client, "_NET_WM_STRUT");
            if (whole.size() < 4)
                continue;
            strut = {whole[0], whole[1], whole[2], whole[3], 0, 0, 0, 0, 0, 1ul << 30, 0, 0};
        }
        // A strut counts from the root's top edge, over the columns it names.
        const long bottom = long(strut[kTop]);
        if (bottom <= 0)
            continue;
        strips.append({int(std::min<long>(bottom, 1l << 30)),
                       long(strut[kTopStartX]) <= toDevice(right) && long(strut[kTopEndX]) >= toDevice(left), place});
    }

    int barBottom = device.top();
    if (!strips.isEmpty()) {
        for (const Strip &strip : strips)
            if (strip.overColumns && strip.place > topFullScreen && strip.bottom > device.top() && strip.bottom <= lowest)
                barBottom = std::max(barBottom, strip.bottom);
    } else if (topFullScreen < 0) {
        const QList<unsigned long> desktops = m_connection->cardinalProperty(m_connection->rootWindow(), "_NET_WORKAREA");
        const QList<unsigned long> current =
            m_connection->cardinalProperty(m_connection->rootWindow(), "_NET_CURRENT_DESKTOP");
        const qsizetype index = 4 * static_cast<qsizetype>(current.isEmpty() ? 0 : current.first());
        if (desktops.size() >= index + 4) {
            const auto value = [&desktops, index](qsizetype offset) { return static_cast<int>(desktops.at(index + offset)); };
            const QRect area{value(0), value(1), value(2), value(3)};
            if (area.intersects(device) && area.top() > device.top() && area.top() <= lowest)
                barBottom = area.top();
        }
    }
    return int(std::lround(barBottom / ratio));
}
