#pragma once

#include <QtGlobal>

#include <optional>

struct _XDisplay;
using Display = _XDisplay;
struct _XkbDesc;

// Which key to grab or press for a keysym, on the keyboard map and group as they stand when
// the lookup is made. Desktops take shortcuts by the key that types their letter, so that they
// keep working on layouts without Latin letters:
// - the key that types it in the active group;
// - else the key that types it in the first group that has it (Ctrl+C on a us,ru map with
//   ru active is the key of C in the us group);
// - else, for a Latin letter or a digit, the key where the US layout has it (on ru alone).
// Programs read Ctrl with such a key as the Latin chord, as they do when the user presses it.
class X11KeyLookup {
public:
    // Reads the map and the group from the server: no cached copy can be stale.
    explicit X11KeyLookup(Display *display);
    ~X11KeyLookup();
    X11KeyLookup(const X11KeyLookup &) = delete;
    X11KeyLookup &operator=(const X11KeyLookup &) = delete;

    // The key to grab for a keysym: the whole order above; 0 when no key can stand for it.
    unsigned keycode(quint32 keysym) const;
    // The key that types the keysym in the active group or else in the first group that has
    // it; 0 when no group does. Keys typed for programs need it: they read Ctrl with the key
    // of another layout's letter as Ctrl and that letter only where some group of the map has
    // the letter.
    unsigned typingKeycode(quint32 keysym) const;
    // The key that types the keysym in the active group as the keyboard is locked now (Caps
    // Lock turns a letter's level), with the level keys held for it (Shift, and the third
    // level's AltGr where the group puts a backslash there); none when no key of the active
    // group types it on its first four levels. Text typed for a program needs it: a letter of
    // another group would type the active group's letter.
    struct Typing {
        unsigned keycode = 0;
        bool shifted = false;
        bool thirdLevel = false;
    };
    std::optional<Typing> typingInActiveGroup(quint32 keysym) const;
    // A key that types nothing in any group, free to be bound for a moment; 0 when none is.
    unsigned spareKeycode() const;
    // What the key types in its first group without modifiers; 0 for nothing.
    quint32 keysymAt(unsigned keycode) const;
    // The key bound for a moment to type a keysym that no group has: never taken for a
    // shortcut's grab (it types the letter for a moment only). 0 for none.
    static void setBorrowedKeycode(unsigned keycode);
    // The active group (0 for the first), as read.
    int group() const { return m_group; }

private:
    unsigned keycodeInGroup(quint32 keysym, int group, bool wrapGroup) const;
    unsigned keycodeAtUsPosition(quint32 keysym) const;

    Display *m_display;
    _XkbDesc *m_keyboard = nullptr;
    int m_group = 0;
    unsigned m_lockedModifiers = 0;
};
