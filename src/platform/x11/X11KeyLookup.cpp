#include "platform/x11/X11KeyLookup.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XKBstr.h>
#include <X11/keysym.h>

#include <array>
#include <cstring>

namespace {

// XKB names of the keys that type the letters a to z on the US layout.
constexpr std::array<const char *, 26> kUsLetterKeys{"AC01", "AB05", "AB03", "AC03", "AD03", "AC04", "AC05", "AC06", "AD08",
                                                     "AC07", "AC08", "AC09", "AB07", "AB06", "AD09", "AD10", "AD01", "AD04",
                                                     "AC02", "AD05", "AD07", "AB04", "AD02", "AB02", "AD06", "AB01"};
// XKB names of the number row's keys 0 to 9.
constexpr std::array<const char *, 10> kUsDigitKeys{"AE10", "AE01", "AE02", "AE03", "AE04", "AE05", "AE06", "AE07", "AE08", "AE09"};

// The key X11SpareKey has bound for a moment (one per process, main thread only).
unsigned g_borrowedKeycode = 0;

const char *usKeyName(quint32 keysym)
{
    if (keysym >= XK_A && keysym <= XK_Z)
        keysym += XK_a - XK_A;
    if (keysym >= XK_a && keysym <= XK_z)
        return kUsLetterKeys.at(keysym - XK_a);
    if (keysym >= XK_0 && keysym <= XK_9)
        return kUsDigitKeys.at(keysym - XK_0);
    return nullptr;
}

// The group a key takes when the active one is beyond its own: keys with fewer groups (the
// Latin-only keys of a two-layout map) wrap, clamp or redirect as the map says.
int keyGroup(XkbDescPtr keyboard, unsigned keycode, int group)
{
    const int count = XkbKeyNumGroups(keyboard, keycode);
    if (count <= 0)
        return -1;
    if (group < count)
        return group;
    const unsigned info = XkbKeyGroupInfo(keyboard, keycode);
    switch (XkbOutOfRangeGroupAction(info)) {
    case XkbClampIntoRange:
        return count - 1;
    case XkbRedirectIntoRange: {
        const int redirected = XkbOutOfRangeGroupNumber(info);
        return redirected < count ? redirected : 0;
    }
    default:
        return group % count;
    }
}

} // namespace

X11KeyLookup::X11KeyLookup(Display *display)
    : m_display(display)
{
    if (!m_display)
        return;
    m_keyboard = XkbGetMap(m_display, XkbKeySymsMask | XkbKeyTypesMask, XkbUseCoreKbd);
    if (m_keyboard && XkbGetNames(m_display, XkbKeyNamesMask, m_keyboard) != Success) {
        XkbFreeKeyboard(m_keyboard, 0, True);
        m_keyboard = nullptr;
    }
    XkbStateRec state;
    if (m_keyboard && XkbGetState(m_display, XkbUseCoreKbd, &state) == Success) {
        m_group = state.group;
        m_lockedModifiers = state.locked_mods;
    }
}

X11KeyLookup::~X11KeyLookup()
{
    if (m_keyboard)
        XkbFreeKeyboard(m_keyboard, 0, True);
}

void X11KeyLookup::setBorrowedKeycode(unsigned keycode)
{
    g_borrowedKeycode = keycode;
}

unsigned X11KeyLookup::keycode(quint32 keysym) const
{
    if (const unsigned typing = typingKeycode(keysym))
        return typing;
    return m_keyboard && m_keyboard->map && m_keyboard->names ? keycodeAtUsPosition(keysym) : 0;
}

unsigned X11KeyLookup::typingKeycode(quint32 keysym) const
{
    if (!m_display)
        return 0;
    // Without XKB the core map is all there is.
    if (!m_keyboard || !m_keyboard->map || !m_keyboard->names) {
        const unsigned core = XKeysymToKeycode(m_display, keysym);
        return core == g_borrowedKeycode ? 0 : core;
    }
    if (const unsigned active = keycodeInGroup(keysym, m_group, true))
        return active;
    for (int group = 0; group < XkbNumKbdGroups; ++group) {
        if (const unsigned found = keycodeInGroup(keysym, group, false))
            return found;
    }
    return 0;
}

std::optional<X11KeyLookup::Typing> X11KeyLookup::typingInActiveGroup(quint32 keysym) const
{
    if (!m_keyboard || !m_keyboard->map)
        return std::nullopt;
    const unsigned thirdLevelMask = XkbKeysymToModifiers(m_display, XK_ISO_Level3_Shift);
    for (const bool thirdLevel : {false, true}) {
        if (thirdLevel && thirdLevelMask == 0)
            break;
        for (const bool shifted : {false, true}) {
            const unsigned modifiers = m_lockedModifiers | (shifted ? ShiftMask : 0) | (thirdLevel ? thirdLevelMask : 0);
            for (unsigned code = m_keyboard->min_key_code; code <= m_keyboard->max_key_code; ++code) {
                if (code == g_borrowedKeycode || XkbKeyNumGroups(m_keyboard, code) == 0)
                    continue;
                unsigned consumed = 0;
                KeySym typed = NoSymbol;
                if (XkbTranslateKeyCode(m_keyboard, KeyCode(code), XkbBuildCoreState(modifiers, m_group), &consumed, &typed)
                    && typed == keysym)
                    return Typing{code, shifted, thirdLevel};
            }
        }
    }
    return std::nullopt;
}

unsigned X11KeyLookup::spareKeycode() const
{
    if (!m_keyboard || !m_keyboard->map)
        return 0;
    // From the top, where keyboards have no keys; the lowest codes may be the first keys.
    for (unsigned code = m_keyboard->max_key_code; code > m_keyboard->min_key_code; --code) {
        if (XkbKeyNumGroups(m_keyboard, code) == 0)
            return code;
    }
    return 0;
}

quint32 X11KeyLookup::keysymAt(unsigned keycode) const
{
    if (!m_keyboard || !m_keyboard->map || keycode < m_keyboard->min_key_code || keycode > m_keyboard->max_key_code
        || XkbKeyNumGroups(m_keyboard, keycode) == 0)
        return 0;
    return quint32(XkbKeySymEntry(m_keyboard, keycode, 0, 0));
}

unsigned X11KeyLookup::keycodeInGroup(quint32 keysym, int group, bool wrapGroup) const
{
    XkbDescPtr keyboard = m_keyboard;
    // The plainest level first: where a letter sits on two keys, the one that types it unshifted.
    for (int level = 0; level < XkbMaxShiftLevel; ++level) {
        bool anyKeyHasLevel = false;
        for (unsigned code = keyboard->min_key_code; code <= keyboard->max_key_code; ++code) {
            int keyGroupIndex = -1;
            if (wrapGroup)
                keyGroupIndex = keyGroup(keyboard, code, group);
            else if (group < XkbKeyNumGroups(keyboard, code))
                keyGroupIndex = group;
            if (keyGroupIndex < 0 || level >= XkbKeyGroupWidth(keyboard, code, keyGroupIndex) || code == g_borrowedKeycode)
                continue;
            anyKeyHasLevel = true;
            if (XkbKeySymEntry(keyboard, code, level, keyGroupIndex) == keysym)
                return code;
        }
        if (!anyKeyHasLevel)
            break;
    }
    return 0;
}

unsigned X11KeyLookup::keycodeAtUsPosition(quint32 keysym) const
{
    const char *name = usKeyName(keysym);
    if (!name)
        return 0;
    const XkbKeyNamePtr names = m_keyboard->names->keys;
    if (!names)
        return 0;
    for (unsigned code = m_keyboard->min_key_code; code <= m_keyboard->max_key_code; ++code) {
        if (std::strncmp(names[code].name, name, XkbKeyNameLength) == 0 && XkbKeyNumGroups(m_keyboard, code) > 0)
            return code;
    }
    return 0;
}
