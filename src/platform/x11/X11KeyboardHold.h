#pragma once

// Whether a window of the program that holds the keyboard while the user asks for it (Quick
// Access) lost it to another window on the other window's or the manager's own account, told from
// the focus events the server sends that window. Some managers hand the keyboard on their own to a
// window that raises itself: fluxbox focuses a window that asks to be raised while none of the
// windows it manages has the keyboard, twm the window that comes up under the pointer. The user
// moves the keyboard away with a key another client grabbed (a manager's binding, announced as a
// grab that began while the window held the keyboard) or with a click in the other window, which
// the caller tells apart.
class X11KeyboardHold {
public:
    // A FocusIn of the window, with the event's mode and detail.
    void focusIn(int mode, int detail);
    // A FocusOut of the window; whether the keyboard left it for another window other than
    // through a grab that began while the window held it.
    bool focusOut(int mode, int detail);
    bool hasKeyboard() const { return m_hasKeyboard; }

private:
    bool m_hasKeyboard = false;
    // A grab began while the window held the keyboard: what moves the keyboard until it ends is
    // the grabbing client's answer to a key of the user's.
    bool m_grabbedFromWindow = false;
};
