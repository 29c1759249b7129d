#include "platform/x11/X11SelectionTakes.h"

#include "core/Logging.h"
#include "platform/x11/X11UserPresses.h"
#include "platform/x11/X11WindowTree.h"

#include <QGuiApplication>
#include <QSocketNotifier>

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/Xfixes.h>
#include <xcb/xcb.h>

#include <algorithm>

namespace {

// Buttons 4 to 7 are the wheel's, up, down, left and right.
constexpr unsigned kFirstWheelButton = 4;
constexpr unsigned kLastWheelButton = 7;

int ignoreError(Display *, XErrorEvent *)
{
    return 0;
}

} // namespace

X11SelectionTakes::X11SelectionTakes(QObject *parent)
    : QObject(parent)
{
    Display *display = m_connection.display();
    if (!display)
        return;
    int errorBase = 0, eventBase = 0;
    if (!XFixesQueryExtension(display, &m_xfixesEventBase, &errorBase)
        || !XQueryExtension(display, "XInputExtension", &m_inputOpcode, &eventBase, &errorBase)) {
        qCWarning(lcPlatform) << "SelectionTakes: the display cannot report selection owners and presses;"
                                 " no selection is taken for the user's";
        return;
    }
    int major = 0, minor = 0;
    XFixesQueryVersion(display, &major, &minor);
    // 2.2: raw presses keep coming while another client grabs the keyboard or the pointer.
    int inputMajor = 2, inputMinor = 2;
    if (XIQueryVersion(display, &inputMajor, &inputMinor) != Success || inputMajor < 2
        || (inputMajor == 2 && inputMinor < 1)) {
        qCWarning(lcPlatform) << "SelectionTakes: the display has no XInput2 raw events; no selection is taken for the user's";
        return;
    }
    if (auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr) {
        const xcb_setup_t *setup = xcb_get_setup(x11->connection());
        m_ownIdBase = setup->resource_id_base;
        m_ownIdMask = setup->resource_id_mask;
    }
    m_primary = m_connection.atom("PRIMARY");
    m_wmState = m_connection.atom("WM_STATE");
    const Window root = m_connection.rootWindow();
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XIEventMask mask{XIAllMasterDevices, int(sizeof(bits)), bits};
    XISetMask(bits, XI_RawButtonPress);
    XISetMask(bits, XI_RawKeyPress);
    XISelectEvents(display, root, &mask, 1);
    XFixesSelectSelectionInput(display, root, m_primary,
                               XFixesSetSelectionOwnerNotifyMask | XFixesSelectionWindowDestroyNotifyMask
                                   | XFixesSelectionClientCloseNotifyMask);
    XSync(display, False);
    m_watching = true;
    m_notifier = std::make_unique<QSocketNotifier>(m_connection.fileDescriptor(), QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &X11SelectionTakes::readEvents);
    readEvents();
}

X11SelectionTakes::~X11SelectionTakes() = default;

bool X11SelectionTakes::selectedIn(unsigned long window)
{
    if (!m_watching || window == 0)
        return false;
    catchUp();
    const unsigned long topLevel = topLevelOf(window);
    if (topLevel == 0 || m_takenAfterPressIn != topLevel || m_pressesOverflowed)
        return false;
    // A modifier alone changes nothing that is selected; any other key or a button pressed there
    // since (Escape ending Visual mode, a click, a motion) may have ended the selection while its
    // owner kept it.
    const QList<unsigned> modifiers = modifierKeycodes();
    return std::none_of(m_pressesSinceTake.cbegin(), m_pressesSinceTake.cend(), [&](const Press &press) {
        return press.topLevel == topLevel && !(press.key && modifiers.contains(press.detail));
    });
}

void X11SelectionTakes::forgetShortcutPress(const QList<unsigned> &shortcutKeycodes)
{
    if (!m_watching)
        return;
    catchUp();
    if (!m_pressesSinceTake.isEmpty() && m_pressesSinceTake.constLast().key
        && shortcutKeycodes.contains(m_pressesSinceTake.constLast().detail))
        m_pressesSinceTake.removeLast();
}

void X11SelectionTakes::catchUp()
{
    // Every event the server made before the sync is in the queue after it.
    XSync(m_connection.display(), False);
    readEvents();
}

void X11SelectionTakes::readEvents()
{
    Display *display = m_connection.display();
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == m_xfixesEventBase + XFixesSelectionNotify) {
            const auto &notify = reinterpret_cast<const XFixesSelectionNotifyEvent &>(event);
            if (notify.selection == m_primary)
                noteOwner(notify.subtype == XFixesSetSelectionOwnerNotify ? notify.owner : 0);
            continue;
        }
        if (event.type != GenericEvent || event.xcookie.extension != m_inputOpcode
            || !XGetEventData(display, &event.xcookie))
            continue;
        const int type = event.xcookie.evtype;
        const auto detail = unsigned(static_cast<const XIRawEvent *>(event.xcookie.data)->detail);
        // The wheel's buttons scroll the view and leave what is selected as it was.
        if (type == XI_RawKeyPress || (type == XI_RawButtonPress && (detail < kFirstWheelButton || detail > kLastWheelButton)))
            notePress(type == XI_RawKeyPress, detail);
        XFreeEventData(display, &event.xcookie);
    }
}

void X11SelectionTakes::notePress(bool key, unsigned detail)
{
    const unsigned long topLevel = X11UserPresses::pressedTopLevel(m_connection.display(), !key, m_wmState);
    m_lastPressWindow = topLevel;
    if (m_pressesSinceTake.size() >= kMaxPressesKept) {
        m_pressesOverflowed = true;
        return;
    }
    m_pressesSinceTake.append({topLevel, detail, key});
}

void X11SelectionTakes::noteOwner(unsigned long owner)
{
    // Tarnel's own (a paste lent to a terminal, and what it gives back after) is nothing the user
    // selected; a taking by any connection of another program follows the user's last press.
    m_takenAfterPressIn = owner != 0 && !isOwn(owner) ? m_lastPressWindow : 0;
    m_pressesSinceTake.clear();
    m_pressesOverflowed = false;
}

unsigned long X11SelectionTakes::topLevelOf(unsigned long window) const
{
    Display *display = m_connection.display();
    XErrorHandler previous = XSetErrorHandler(ignoreError);
    const unsigned long topLevel = X11WindowTree::ancestry(display, window, m_wmState).topLevel;
    XSync(display, False);
    XSetErrorHandler(previous);
    return topLevel;
}

QList<unsigned> X11SelectionTakes::modifierKeycodes() const
{
    QList<unsigned> result;
    XModifierKeymap *map = XGetModifierMapping(m_connection.display());
    if (!map)
        return result;
    for (int i = 0; i < 8 * map->max_keypermod; ++i) {
        if (map->modifiermap[i] != 0)
            result.append(map->modifiermap[i]);
    }
    XFreeModifiermap(map);
    return result;
}

bool X11SelectionTakes::isOwn(unsigned long window) const
{
    return m_ownIdMask != 0 && (window & ~m_ownIdMask) == m_ownIdBase;
}
