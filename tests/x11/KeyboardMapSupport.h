#pragma once

// Changes to the server's keyboard map, as a layout switch would make them. Include after gtest:
// Xlib's macros clash with it.

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

namespace inputtest {

// Moves a keysym from its key to a key that has no symbol; returns the new key code (0 when
// there is no free key).
inline unsigned moveKeysymToSpareKey(unsigned long keysym)
{
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        return 0;
    int first = 0, last = 0;
    XDisplayKeycodes(display, &first, &last);
    const KeyCode old = XKeysymToKeycode(display, keysym);
    unsigned moved = 0;
    for (int keycode = last; keycode >= first && old != 0; --keycode) {
        if (XkbKeycodeToKeysym(display, KeyCode(keycode), 0, 0) != NoSymbol)
            continue;
        KeySym symbols[2] = {keysym, keysym};
        XChangeKeyboardMapping(display, keycode, 2, symbols, 1);
        KeySym none[2] = {NoSymbol, NoSymbol};
        XChangeKeyboardMapping(display, old, 2, none, 1);
        XSync(display, False);
        moved = unsigned(keycode);
        break;
    }
    XCloseDisplay(display);
    return moved;
}

} // namespace inputtest
