#include "platform/x11/X11HotKeyRegistry.h"

#include "core/Logging.h"
#include "platform/x11/X11KeyLookup.h"
#include "platform/x11/X11LayoutSwitchKeys.h"
#include "platform/x11/X11Keysyms.h"
#include "platform/x11/X11Session.h"

#include <QSocketNotifier>

#include <algorithm>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/keysym.h>

namespace {

// Set by the error handler while grabs are made: another client holds the combination.
bool g_grabRefused = false;

int recordGrabError(Display *, XErrorEvent *error)
{
    if (error->request_code == X_GrabKey && error->error_code == BadAccess)
        g_grabRefused = true;
    return 0;
}

} // namespace

X11HotKeyRegistry::X11HotKeyRegistry(QObject *parent)
    : HotKeyRegistry(parent)
{
}

X11HotKeyRegistry::~X11HotKeyRegistry()
{
    ungrabAll();
}

unsigned X11HotKeyRegistry::xModifiers(Qt::KeyboardModifiers modifiers, const ModifierBits &bits)
{
    unsigned mask = 0;
    if (modifiers.testFlag(Qt::ShiftModifier))
        mask |= ShiftMask;
    if (modifiers.testFlag(Qt::ControlModifier))
        mask |= ControlMask;
    if (modifiers.testFlag(Qt::AltModifier))
        mask |= bits.alt;
    if (modifiers.testFlag(Qt::MetaModifier))
        mask |= bits.super;
    return mask;
}

QList<unsigned> X11HotKeyRegistry::lockVariants(const ModifierBits &bits)
{
    QList<unsigned> variants{0, LockMask};
    // A Num Lock bit that Alt or Super also sets is no lock: grabbing with it would take a
    // combination of another shortcut (Shift+Super+V with Alt is a different shortcut).
    const bool numLockIsALock = bits.numLock != 0 && bits.numLock != LockMask && bits.numLock != bits.alt
        && bits.numLock != bits.super;
    if (numLockIsALock) {
        variants.append(bits.numLock);
        variants.append(bits.numLock | LockMask);
    }
    return variants;
}

X11HotKeyRegistry::ModifierBits X11HotKeyRegistry::readModifierBits() const
{
    // Usual defaults, replaced by what the keyboard map actually says.
    ModifierBits bits{Mod1Mask, Mod4Mask, Mod2Mask};
    Display *display = m_connection.display();
    XModifierKeymap *map = XGetModifierMapping(display);
    if (!map)
        return bits;
    const KeyCode alt = XKeysymToKeycode(display, XK_Alt_L);
    const KeyCode super = XKeysymToKeycode(display, XK_Super_L);
    const KeyCode numLock = XKeysymToKeycode(display, XK_Num_Lock);
    for (int modifier = Mod1MapIndex; modifier <= Mod5MapIndex; ++modifier) {
        for (int i = 0; i < map->max_keypermod; ++i) {
            const KeyCode keycode = map->modifiermap[modifier * map->max_keypermod + i];
            if (keycode == 0)
                continue;
            if (keycode == alt)
                bits.alt = 1u << modifier;
            if (keycode == super)
                bits.super = 1u << modifier;
            if (keycode == numLock)
                bits.numLock = 1u << modifier;
        }
    }
    XFreeModifiermap(map);
    return bits;
}

QList<AppShortcut> X11HotKeyRegistry::start()
{
    if (m_started)
        return m_failures;
    m_failures.clear();
    if (!m_connection.isOpen() || !X11Session::isUsable()) {
        qCWarning(lcPlatform) << "HotKeyRegistry: no X11 session; global shortcuts are unavailable";
        for (AppShortcut shortcut : AppShortcut::allCases())
            m_failures.append(shortcut);
        return m_failures;
    }
    // A held shortcut then repeats as presses without releases, which are told apart below.
    XkbSetDetectableAutoRepeat(m_connection.display(), True, nullptr);
    int opcode = 0, eventBase = 0, errorBase = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
    if (m_xkbEventBase < 0
        && XkbQueryExtension(m_connection.display(), &opcode, &eventBase, &errorBase, &major, &minor)) {
        m_xkbEventBase = eventBase;
        XkbSelectEventDetails(m_connection.display(), XkbUseCoreKbd, XkbStateNotify, XkbGroupStateMask,
                              XkbGroupStateMask);
    }
    grabAll();
    m_started = true;
    if (!m_failures.isEmpty())
        qCInfo(lcPlatform) << "HotKeyRegistry: taken by another application:" << AppShortcut::labels(m_failures);
    followLayoutSwitch();

    if (!m_notifier) {
        m_notifier = std::make_unique<QSocketNotifier>(m_connection.fileDescriptor(), QSocketNotifier::Read);
        connect(m_notifier.get(), &QSocketNotifier::activated, this, &X11HotKeyRegistry::readEvents);
    }
    // The syncs above may have read events into Xlib's queue, where the socket shows nothing.
    readEvents();
    return m_failures;
}

void X11HotKeyRegistry::grabAll()
{
    m_failures.clear();
    m_bits = readModifierBits();
    const X11KeyLookup lookup(m_connection.display());
    for (AppShortcut shortcut : AppShortcut::allCases())
        grab(shortcut, lookup);
}

bool X11HotKeyRegistry::grab(AppShortcut shortcut, const X11KeyLookup &lookup)
{
    Display *display = m_connection.display();
    const auto keysym = X11Keysyms::keysymFor(shortcut.keys().key());
    const unsigned keycode = keysym ? lookup.keycode(*keysym) : 0;
    if (keycode == 0) {
        m_failures.append(shortcut);
        return false;
    }
    const unsigned base = xModifiers(shortcut.keys().keyboardModifiers(), m_bits);
    QList<Grab> made;
    XSync(display, False);
    XErrorHandler previous = XSetErrorHandler(recordGrabError);
    g_grabRefused = false;
    for (unsigned variant : lockVariants(m_bits)) {
        XGrabKey(display, int(keycode), base | variant, m_connection.rootWindow(), False, GrabModeAsync, GrabModeAsync);
        made.append({shortcut, keycode, base | variant});
    }
    XSync(display, False);
    const bool refused = g_grabRefused;
    if (refused) {
        // Half a shortcut (only with Num Lock, say) would be a puzzle: give it up whole.
        for (const Grab &grab : made)
            XUngrabKey(display, int(grab.keycode), grab.modifiers, m_connection.rootWindow());
        XSync(display, False);
        m_failures.append(shortcut);
    } else {
        m_grabs.append(made);
    }
    XSetErrorHandler(previous);
    return !refused;
}

void X11HotKeyRegistry::followLayoutSwitch()
{
    const QList<AppShortcut> taken = X11LayoutSwitchKeys::takenShortcuts();
    if (taken == m_takenByLayoutSwitch)
        return;
    m_takenByLayoutSwitch = taken;
    if (!taken.isEmpty())
        qCInfo(lcPlatform) << "HotKeyRegistry: the keyboard's layout switch takes" << AppShortcut::labels(taken);
    Q_EMIT takenByLayoutSwitchChanged();
}

void X11HotKeyRegistry::followKeyboardMap()
{
    followLayoutSwitch();
    if (!(readModifierBits() == m_bits)) {
        ungrabAll();
        m_pressedKeycodes.clear();
        grabAll();
        qCInfo(lcPlatform) << "HotKeyRegistry: keyboard map changed; shortcuts registered again";
        return;
    }
    // Grabs hold key codes: a shortcut whose letter moved to another key (a new layout or
    // group) follows it, and one that had no key, or was refused, is tried again. Remaps that
    // leave the letters alone (tools typing through a spare key) change nothing.
    const X11KeyLookup lookup(m_connection.display());
    QList<AppShortcut> moved;
    for (AppShortcut shortcut : AppShortcut::allCases()) {
        const auto keysym = X11Keysyms::keysymFor(shortcut.keys().key());
        const unsigned keycode = keysym ? lookup.keycode(*keysym) : 0;
        const auto held = std::find_if(m_grabs.cbegin(), m_grabs.cend(),
                                       [shortcut](const Grab &grab) { return grab.shortcut == shortcut; });
        if (held == m_grabs.cend() || held->keycode != keycode)
            moved.append(shortcut);
    }
    if (moved.isEmpty())
        return;
    // All released before any is taken again: where two letters swapped keys, releasing the
    // second would release the first one's new grab.
    for (AppShortcut shortcut : std::as_const(moved)) {
        ungrab(shortcut);
        m_failures.removeAll(shortcut);
    }
    for (AppShortcut shortcut : std::as_const(moved))
        grab(shortcut, lookup);
    m_pressedKeycodes.clear();
    // In table order, as a start reports them.
    QList<AppShortcut> failures;
    for (AppShortcut shortcut : AppShortcut::allCases()) {
        if (m_failures.contains(shortcut))
            failures.append(shortcut);
    }
    m_failures = failures;
    if (m_failures.isEmpty())
        qCInfo(lcPlatform) << "HotKeyRegistry: keyboard map changed; shortcuts registered again";
    else
        qCInfo(lcPlatform) << "HotKeyRegistry: keyboard map changed; not available now:" << AppShortcut::labels(m_failures);
}

void X11HotKeyRegistry::ungrab(AppShortcut shortcut)
{
    bool released = false;
    for (const Grab &grab : std::as_const(m_grabs)) {
        if (grab.shortcut == shortcut) {
            XUngrabKey(m_connection.display(), int(grab.keycode), grab.modifiers, m_connection.rootWindow());
            released = true;
        }
    }
    m_grabs.removeIf([shortcut](const Grab &grab) { return grab.shortcut == shortcut; });
    if (released)
        XSync(m_connection.display(), False);
}

void X11HotKeyRegistry::stop()
{
    ungrabAll();
    m_pressedKeycodes.clear();
    m_started = false;
}

void X11HotKeyRegistry::ungrabAll()
{
    if (!m_connection.isOpen() || m_grabs.isEmpty())
        return;
    for (const Grab &grab : std::as_const(m_grabs))
        XUngrabKey(m_connection.display(), int(grab.keycode), grab.modifiers, m_connection.rootWindow());
    XSync(m_connection.display(), False);
    m_grabs.clear();
}

void X11HotKeyRegistry::readEvents()
{
    Display *display = m_connection.display();
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == MappingNotify) {
            XRefreshKeyboardMapping(&event.xmapping);
            if (m_started)
                followKeyboardMap();
            continue;
        }
        if (m_xkbEventBase >= 0 && event.type == m_xkbEventBase) {
            const auto *xkb = reinterpret_cast<const XkbEvent *>(&event);
            // Another group may type the letters on other keys (us,fr) or not at all (us,ru).
            if (xkb->any.xkb_type == XkbStateNotify && (xkb->state.changed & XkbGroupStateMask) && m_started)
                followKeyboardMap();
            continue;
        }
        if (event.type == KeyRelease) {
            m_pressedKeycodes.remove(event.xkey.keycode);
            continue;
        }
        if (event.type != KeyPress)
            continue;
        const unsigned keycode = event.xkey.keycode;
        if (m_pressedKeycodes.contains(keycode))
            continue; // auto-repeat of a held shortcut
        m_pressedKeycodes.insert(keycode);
        const unsigned relevant = ShiftMask | ControlMask | m_bits.alt | m_bits.super;
        const unsigned modifiers = event.xkey.state & relevant;
        for (const Grab &grab : std::as_const(m_grabs)) {
            if (grab.keycode == keycode && (grab.modifiers & relevant) == modifiers) {
                Q_EMIT shortcutPressed(grab.shortcut);
                break;
            }
        }
    }
}
