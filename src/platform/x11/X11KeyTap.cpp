#include "platform/x11/X11KeyTap.h"

#include "core/Logging.h"
#include "platform/x11/SyntheticKeyJournal.h"
#include "platform/x11/X11Keysyms.h"
#include "platform/x11/X11Session.h"

#include <QGuiApplication>
#include <QSocketNotifier>

#include <xkbcommon/xkbcommon-compose.h>
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/keysym.h>

X11KeyTap::X11KeyTap(QObject *parent)
    : KeyTap(parent)
{
    if (!m_connection.isOpen() || !X11Session::isUsable())
        return;
    Display *display = m_connection.display();
    int event = 0, error = 0;
    if (!XQueryExtension(display, "XInputExtension", &m_xiOpcode, &event, &error))
        return;
    // 2.2: raw events keep arriving while another client grabs the keyboard (a menu, a hot key).
    int major = 2, minor = 2;
    if (XIQueryVersion(display, &major, &minor) != Success || major < 2 || (major == 2 && minor < 1))
        return;
    int xkbOpcode = 0, xkbError = 0, xkbMajor = XkbMajorVersion, xkbMinor = XkbMinorVersion;
    if (!XkbQueryExtension(display, &xkbOpcode, &m_xkbEventBase, &xkbError, &xkbMajor, &xkbMinor))
        return;
    m_available = true;
}

X11KeyTap::~X11KeyTap()
{
    stop();
    if (m_compose)
        xkb_compose_state_unref(m_compose);
    if (m_composeTable)
        xkb_compose_table_unref(m_composeTable);
    if (m_context)
        xkb_context_unref(m_context);
}

bool X11KeyTap::isModifierKeysym(quint32 keysym)
{
    // Shift, Control, Caps Lock, Alt, Super and the rest of the core modifiers; the ISO level,
    // group and lock keys (AltGr among them); the mode switch and Num Lock.
    return (keysym >= XKB_KEY_Shift_L && keysym <= XKB_KEY_Hyper_R)
        || (keysym >= XKB_KEY_ISO_Lock && keysym <= XKB_KEY_ISO_Level5_Lock)
        || keysym == XKB_KEY_Mode_switch || keysym == XKB_KEY_Num_Lock;
}

bool X11KeyTap::isScreenshotChord(quint32 keysym, Qt::KeyboardModifiers modifiers)
{
    return keysym == XK_Print && modifiers.testFlag(Qt::ControlModifier) && !modifiers.testFlag(Qt::MetaModifier);
}

bool X11KeyTap::start()
{
    if (m_running)
        return true;
    if (!m_available)
        return false;
    if (!loadKeymap()) {
        qCWarning(lcPlatform) << "KeyTap: the keyboard map could not be read";
        return false;
    }
    loadComposeTable();
    // A sequence begun before a stop is not continued after it.
    if (m_compose)
        xkb_compose_state_reset(m_compose);
    Display *display = m_connection.display();
    findXTestDevices();

    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XIEventMask mask{XIAllMasterDevices, int(sizeof(bits)), bits};
    XISetMask(bits, XI_RawKeyPress);
    XISetMask(bits, XI_RawKeyRelease);
    XISelectEvents(display, m_connection.rootWindow(), &mask, 1);

    XkbSelectEventDetails(display, XkbUseCoreKbd, XkbStateNotify, XkbAllStateComponentsMask,
                          XkbAllStateComponentsMask);
    XkbSelectEvents(display, XkbUseCoreKbd, XkbNewKeyboardNotifyMask | XkbMapNotifyMask,
                    XkbNewKeyboardNotifyMask | XkbMapNotifyMask);
    XSync(display, False);
    // The one time the keyboard's state now is the right one: no key has been read yet.
    syncModifierState();

    if (!m_notifier) {
        m_notifier = std::make_unique<QSocketNotifier>(m_connection.fileDescriptor(), QSocketNotifier::Read);
        connect(m_notifier.get(), &QSocketNotifier::activated, this, &X11KeyTap::readEvents);
    }
    m_notifier->setEnabled(true);
    m_running = true;
    readEvents();
    return true;
}

void X11KeyTap::stop()
{
    if (!m_running)
        return;
    Display *display = m_connection.display();
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XIEventMask mask{XIAllMasterDevices, int(sizeof(bits)), bits};
    XISelectEvents(display, m_connection.rootWindow(), &mask, 1);
    XkbSelectEvents(display, XkbUseCoreKbd, XkbAllEventsMask, 0);
    XSync(display, False);
    m_notifier->setEnabled(false);
    // Drop whatever was read before the selection ended.
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
    }
    m_pressedKeycodes.clear();
    freeKeymap();
    m_running = false;
}

bool X11KeyTap::loadKeymap()
{
    freeKeymap();
    if (!m_context)
        m_context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (!m_context)
        return false;
    // The server's own keymap, through Qt's xcb connection when Qt runs on X11.
    if (auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr) {
        xcb_connection_t *connection = x11->connection();
        if (connection && xkb_x11_setup_xkb_extension(connection, XKB_X11_MIN_MAJOR_XKB_VERSION,
                                                      XKB_X11_MIN_MINOR_XKB_VERSION, XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS,
                                                      nullptr, nullptr, nullptr, nullptr)) {
            const int32_t device = xkb_x11_get_core_keyboard_device_id(connection);
            if (device >= 0)
                m_keymap = xkb_x11_keymap_new_from_device(m_context, connection, device, XKB_KEYMAP_COMPILE_NO_FLAGS);
        }
    }
    if (!m_keymap) {
        // Otherwise the rules, model and layouts the server announces on the root window.
        QList<QByteArray> names;
        Atom type = None;
        int format = 0;
        unsigned long count = 0, remaining = 0;
        unsigned char *data = nullptr;
        if (XGetWindowProperty(m_connection.display(), m_connection.rootWindow(), m_connection.atom("_XKB_RULES_NAMES"),
                               0, 1024, False, XA_STRING, &type, &format, &count, &remaining, &data) == Success
            && data && format == 8) {
            names = QByteArray(reinterpret_cast<const char *>(data), int(count)).split('\0');
        }
        if (data)
            XFree(data);
        while (names.size() < 5)
            names.append(QByteArray());
        const xkb_rule_names rules{names[0].isEmpty() ? nullptr : names[0].constData(),
                                   names[1].isEmpty() ? nullptr : names[1].constData(),
                                   names[2].isEmpty() ? nullptr : names[2].constData(),
                                   names[3].isEmpty() ? nullptr : names[3].constData(),
                                   names[4].isEmpty() ? nullptr : names[4].constData()};
        m_keymap = xkb_keymap_new_from_names(m_context, &rules, XKB_KEYMAP_COMPILE_NO_FLAGS);
    }
    if (!m_keymap)
        return false;
    m_state = xkb_state_new(m_keymap);
    return m_state != nullptr;
}

void X11KeyTap::freeKeymap()
{
    if (m_state)
        xkb_state_unref(m_state);
    if (m_keymap)
        xkb_keymap_unref(m_keymap);
    m_state = nullptr;
    m_keymap = nullptr;
}

void X11KeyTap::syncModifierState()
{
    XkbStateRec state{};
    if (m_state && XkbGetState(m_connection.display(), XkbUseCoreKbd, &state) == Success) {
        xkb_state_update_mask(m_state, state.base_mods, state.latched_mods, state.locked_mods, state.base_group,
                              state.latched_group, state.locked_group);
    }
}

X11KeyTap::ModifierState X11KeyTap::modifierState() const
{
    if (!m_state)
        return {};
    // Only the eight core modifiers, the ones state events report: the indices of the virtual
    // modifiers are the map's own and need not survive a new one.
    constexpr xkb_mod_mask_t core = 0xff;
    return {xkb_state_serialize_mods(m_state, XKB_STATE_MODS_DEPRESSED) & core,
            xkb_state_serialize_mods(m_state, XKB_STATE_MODS_LATCHED) & core,
            xkb_state_serialize_mods(m_state, XKB_STATE_MODS_LOCKED) & core,
            xkb_state_serialize_layout(m_state, XKB_STATE_LAYOUT_DEPRESSED),
            xkb_state_serialize_layout(m_state, XKB_STATE_LAYOUT_LATCHED),
            xkb_state_serialize_layout(m_state, XKB_STATE_LAYOUT_LOCKED)};
}

void X11KeyTap::setModifierState(const ModifierState &state)
{
    if (m_state)
        xkb_state_update_mask(m_state, state.baseMods, state.latchedMods, state.lockedMods, state.baseGroup,
                              state.latchedGroup, state.lockedGroup);
}

void X11KeyTap::findXTestDevices()
{
    m_xtestDevices.clear();
    int count = 0;
    XIDeviceInfo *devices = XIQueryDevice(m_connection.display(), XIAllDevices, &count);
    for (int i = 0; i < count; ++i) {
        // The server names the XTest slave of each master "<master> XTEST keyboard".
        if (devices[i].use == XISlaveKeyboard && QByteArray(devices[i].name).contains("XTEST"))
            m_xtestDevices.insert(devices[i].deviceid);
    }
    if (devices)
        XIFreeDeviceInfo(devices);
}

void X11KeyTap::readEvents()
{
    Display *display = m_connection.display();
    while (m_running && XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == GenericEvent && event.xcookie.extension == m_xiOpcode) {
            if (!XGetEventData(display, &event.xcookie))
                continue;
            const int type = event.xcookie.evtype;
            if (type == XI_RawKeyPress || type == XI_RawKeyRelease) {
                const auto *raw = static_cast<const XIRawEvent *>(event.xcookie.data);
                const unsigned keycode = unsigned(raw->detail);
                const int source = raw->sourceid;
                const bool repeat = raw->flags & XIKeyRepeat;
                XFreeEventData(display, &event.xcookie);
                handleRawKey(keycode, source, type == XI_RawKeyPress, repeat);
            } else {
                XFreeEventData(display, &event.xcookie);
            }
            continue;
        }
        if (event.type == m_xkbEventBase) {
            const auto *xkb = reinterpret_cast<const XkbEvent *>(&event);
            if (xkb->any.xkb_type == XkbStateNotify && m_state) {
                const XkbStateNotifyEvent &s = xkb->state;
                // The event carries the groups as int; xkbcommon takes the same small indices unsigned.
                xkb_state_update_mask(m_state, s.base_mods, s.latched_mods, s.locked_mods,
                                      xkb_layout_index_t(s.base_group), xkb_layout_index_t(s.latched_group),
                                      xkb_layout_index_t(s.locked_group));
            } else if (xkb->any.xkb_type == XkbNewKeyboardNotify || xkb->any.xkb_type == XkbMapNotify) {
                // Another layout or a remapped key: read the map again. The keys queued behind
                // this event went down under the modifiers the events read so far left in force,
                // not under the keyboard's state now (Shift may be down by then), so the new map
                // starts from those; later state events carry it on in order.
                const ModifierState carried = modifierState();
                if (loadKeymap())
                    setModifierState(carried);
                findXTestDevices();
            }
        }
    }
}

void X11KeyTap::handleRawKey(unsigned keycode, int sourceDevice, bool press, bool repeatFlag)
{
    // Only keys typed through XTest can be ours; the journal tells ours from other tools'.
    if (m_xtestDevices.contains(sourceDevice) && SyntheticKeyJournal::shared().consume(keycode, press))
        return;
    if (!press) {
        m_pressedKeycodes.remove(keycode);
        return;
    }
    const bool repeat = repeatFlag || m_pressedKeycodes.contains(keycode);
    m_pressedKeycodes.insert(keycode);
    if (!m_state)
        return;
    // A modifier on its own types nothing and is no key press for the listeners: Shift pressed
    // on the way to "@" must not read as a key that ends what was being typed.
    if (isModifierKeysym(xkb_state_key_get_one_sym(m_state, keycode)))
        return;
    KeyTapEvent event = describe(keycode);
    if (!compose(keycode, event))
        return;
    event.isAutoRepeat = repeat;
    Q_EMIT keyPressed(event);
}

bool X11KeyTap::compose(unsigned keycode, KeyTapEvent &event)
{
    if (!m_compose
        || xkb_compose_state_feed(m_compose, xkb_state_key_get_one_sym(m_state, keycode)) == XKB_COMPOSE_FEED_IGNORED)
        return true;
    switch (xkb_compose_state_get_status(m_compose)) {
    case XKB_COMPOSE_NOTHING:
        return true;
    case XKB_COMPOSE_COMPOSING:
        return false;
    case XKB_COMPOSE_COMPOSED: {
        char text[64] = {};
        const int length = xkb_compose_state_get_utf8(m_compose, text, sizeof(text));
        xkb_compose_state_reset(m_compose);
        if (length > 0 && length < int(sizeof(text)))
            event.characters = QString::fromUtf8(text, length);
        else
            event.characters.reset();
        return true;
    }
    case XKB_COMPOSE_CANCELLED:
        // A key that ends no sequence: the applications type nothing for it.
        xkb_compose_state_reset(m_compose);
        event.characters.reset();
        return true;
    }
    return true;
}

void X11KeyTap::loadComposeTable()
{
    if (m_composeTable || !m_context)
        return;
    // The locale the applications compose with, as xkbcommon's own guide reads it; the plain C
    // locale's table knows Latin-1 only, the UTF-8 one every letter.
    QByteArray locale;
    for (const char *name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        locale = qgetenv(name);
        if (!locale.isEmpty())
            break;
    }
    if (locale.isEmpty() || locale == "C" || locale == "POSIX")
        locale = QByteArrayLiteral("C.UTF-8");
    m_composeTable = xkb_compose_table_new_from_locale(m_context, locale.constData(), XKB_COMPOSE_COMPILE_NO_FLAGS);
    if (!m_composeTable) {
        qCInfo(lcPlatform) << "KeyTap: no compose table for the locale; dead keys are read as they are";
        return;
    }
    m_compose = xkb_compose_state_new(m_composeTable, XKB_COMPOSE_STATE_NO_FLAGS);
}

KeyTapEvent X11KeyTap::describe(unsigned keycode) const
{
    KeyTapEvent event;
    // The key itself is its unshifted symbol: Shift+1 is still the digit-1 key.
    const xkb_layout_index_t layout = xkb_state_key_get_layout(m_state, keycode);
    const xkb_keysym_t *symbols = nullptr;
    const int count = xkb_keymap_key_get_syms_by_level(m_keymap, keycode, layout == XKB_LAYOUT_INVALID ? 0 : layout, 0,
                                                       &symbols);
    const xkb_keysym_t keysym = count > 0 ? symbols[0] : XKB_KEY_NoSymbol;
    const QKeyCombination named = X11Keysyms::qtKey(keysym);
    event.key = named.key();
    event.modifiers = named.keyboardModifiers();

    const auto active = [this](const char *name) {
        return xkb_state_mod_name_is_active(m_state, name, XKB_STATE_MODS_EFFECTIVE) > 0;
    };
    event.modifiers.setFlag(Qt::ShiftModifier, active(XKB_MOD_NAME_SHIFT));
    event.modifiers.setFlag(Qt::ControlModifier, active(XKB_MOD_NAME_CTRL));
    event.modifiers.setFlag(Qt::AltModifier, active(XKB_MOD_NAME_ALT));
    event.modifiers.setFlag(Qt::MetaModifier, active(XKB_MOD_NAME_LOGO));

    char text[64] = {};
    const int length = xkb_state_key_get_utf8(m_state, keycode, text, sizeof(text));
    if (length > 0 && length < int(sizeof(text)))
        event.characters = QString::fromUtf8(text, length);
    event.isScreenshotChord = isScreenshotChord(keysym, event.modifiers);
    return event;
}
