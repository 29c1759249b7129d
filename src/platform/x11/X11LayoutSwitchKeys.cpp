#include "platform/x11/X11LayoutSwitchKeys.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <array>
#include <memory>

namespace {

struct ModifierKey {
    Qt::KeyboardModifier modifier;
    xkb_keysym_t keysym; // the left key, which users hold for shortcuts
    const char *name;    // the real modifier it sets
};

constexpr std::array<ModifierKey, 4> kModifierKeys{{
    {Qt::ShiftModifier, XKB_KEY_Shift_L, XKB_MOD_NAME_SHIFT},
    {Qt::ControlModifier, XKB_KEY_Control_L, XKB_MOD_NAME_CTRL},
    {Qt::AltModifier, XKB_KEY_Alt_L, XKB_MOD_NAME_ALT},
    {Qt::MetaModifier, XKB_KEY_Super_L, XKB_MOD_NAME_LOGO},
}};

using Context = std::unique_ptr<xkb_context, decltype(&xkb_context_unref)>;
using Keymap = std::unique_ptr<xkb_keymap, decltype(&xkb_keymap_unref)>;
using State = std::unique_ptr<xkb_state, decltype(&xkb_state_unref)>;

// The key that types the keysym in the first group without a modifier; 0 when none does.
xkb_keycode_t keyTyping(xkb_keymap *keymap, xkb_keysym_t keysym)
{
    for (xkb_keycode_t key = xkb_keymap_min_keycode(keymap); key <= xkb_keymap_max_keycode(keymap); ++key) {
        const xkb_keysym_t *syms = nullptr;
        if (xkb_keymap_key_get_syms_by_level(keymap, key, 0, 0, &syms) == 1 && syms[0] == keysym)
            return key;
    }
    return 0;
}

// Whether the keys, pressed one after another in this order, leave every modifier they stand
// for set and the layout group as it was.
bool reachesTheShortcut(xkb_keymap *keymap, const QList<const ModifierKey *> &order, const QList<xkb_keycode_t> &keys)
{
    const State state(xkb_state_new(keymap), xkb_state_unref);
    if (!state)
        return true;
    const xkb_layout_index_t group = xkb_state_serialize_layout(state.get(), XKB_STATE_LAYOUT_EFFECTIVE);
    for (xkb_keycode_t key : keys)
        xkb_state_update_key(state.get(), key, XKB_KEY_DOWN);
    if (xkb_state_serialize_layout(state.get(), XKB_STATE_LAYOUT_EFFECTIVE) != group)
        return false;
    return std::all_of(order.cbegin(), order.cend(), [&](const ModifierKey *modifier) {
        return xkb_state_mod_name_is_active(state.get(), modifier->name, XKB_STATE_MODS_EFFECTIVE) > 0;
    });
}

bool takenByTheMap(xkb_keymap *keymap, AppShortcut shortcut)
{
    QList<const ModifierKey *> held;
    for (const ModifierKey &modifier : kModifierKeys) {
        if (shortcut.keys().keyboardModifiers() & modifier.modifier)
            held.append(&modifier);
    }
    // Every order in which the user may press them: the options act on the later key.
    std::sort(held.begin(), held.end());
    do {
        QList<xkb_keycode_t> keys;
        for (const ModifierKey *modifier : std::as_const(held)) {
            const xkb_keycode_t key = keyTyping(keymap, modifier->keysym);
            if (key == 0)
                return false; // no such key to press: nothing to say about the options
            keys.append(key);
        }
        if (!reachesTheShortcut(keymap, held, keys))
            return true;
    } while (std::next_permutation(held.begin(), held.end()));
    return false;
}

} // namespace

namespace X11LayoutSwitchKeys {

QList<AppShortcut> takenShortcuts()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection
        || !xkb_x11_setup_xkb_extension(connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                                        XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr, nullptr))
        return {};
    const int32_t device = xkb_x11_get_core_keyboard_device_id(connection);
    const Context context(xkb_context_new(XKB_CONTEXT_NO_FLAGS), xkb_context_unref);
    if (device < 0 || !context)
        return {};
    const Keymap keymap(xkb_x11_keymap_new_from_device(context.get(), connection, device, XKB_KEYMAP_COMPILE_NO_FLAGS),
                        xkb_keymap_unref);
    if (!keymap)
        return {};
    QList<AppShortcut> taken;
    for (AppShortcut shortcut : AppShortcut::allCases()) {
        if (takenByTheMap(keymap.get(), shortcut))
            taken.append(shortcut);
    }
    return taken;
}

} // namespace X11LayoutSwitchKeys
