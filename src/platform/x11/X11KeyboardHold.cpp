#include "platform/x11/X11KeyboardHold.h"

#include <utility>

#include <X11/X.h>

void X11KeyboardHold::focusIn(int mode, int detail)
{
    // The pointer's window hears of a focus on the root beside it: not the window's own.
    if (detail == NotifyPointer)
        return;
    m_hasKeyboard = true;
    if (mode != NotifyWhileGrabbed)
        m_grabbedFromWindow = false;
}

bool X11KeyboardHold::focusOut(int mode, int detail)
{
    // The keyboard went to a window within, or the pointer's window hears of it.
    if (detail == NotifyInferior || detail == NotifyPointer)
        return false;
    if (mode == NotifyGrab) {
        m_grabbedFromWindow = m_hasKeyboard;
        return false;
    }
    if (mode == NotifyUngrab) {
        m_grabbedFromWindow = false;
        return false;
    }
    const bool held = std::exchange(m_hasKeyboard, false);
    const bool byGrabber = mode == NotifyWhileGrabbed && m_grabbedFromWindow;
    return held && !byGrabber;
}
