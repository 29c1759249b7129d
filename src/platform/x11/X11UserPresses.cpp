#include "platform/x11/X11UserPresses.h"

#include "platform/x11/X11WindowTree.h"

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

namespace {

int ignoreError(Display *, XErrorEvent *)
{
    return 0;
}

} // namespace

bool X11UserPresses::listen(Display *display)
{
    m_wmState = XInternAtom(display, "WM_STATE", False);
    int event = 0, error = 0;
    if (!XQueryExtension(display, "XInputExtension", &m_opcode, &event, &error))
        return false;
    // 2.2: raw events keep coming while another client grabs the pointer, as a manager does
    // for the click it raises a window on.
    int major = 2, minor = 2;
    if (XIQueryVersion(display, &major, &minor) != Success || major < 2 || (major == 2 && minor < 1)) {
        m_opcode = -1;
        return false;
    }
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XIEventMask mask{XIAllMasterDevices, int(sizeof(bits)), bits};
    XISetMask(bits, XI_RawButtonPress);
    XISetMask(bits, XI_RawKeyPress);
    XISelectEvents(display, DefaultRootWindow(display), &mask, 1);
    return true;
}

bool X11UserPresses::take(Display *display, XEvent &event, Clock::time_point now)
{
    if (m_opcode < 0 || event.type != GenericEvent || event.xcookie.extension != m_opcode)
        return false;
    const int type = event.xcookie.evtype;
    if (type != XI_RawButtonPress && type != XI_RawKeyPress)
        return true;
    const unsigned long topLevel = pressedTopLevel(display, type == XI_RawButtonPress, m_wmState);
    if (topLevel != 0)
        pressed(topLevel, now, type == XI_RawButtonPress);
    return true;
}

unsigned long X11UserPresses::pressedTopLevel(Display *display, bool button, unsigned long wmStateAtom)
{
    Window topLevel = 0;
    // The window pressed in may be gone already.
    XErrorHandler previous = XSetErrorHandler(ignoreError);
    if (button) {
        Window rootOut = 0, child = 0;
        int rootX = 0, rootY = 0, x = 0, y = 0;
        unsigned int buttons = 0;
        if (XQueryPointer(display, DefaultRootWindow(display), &rootOut, &child, &rootX, &rootY, &x, &y, &buttons))
            topLevel = child;
    } else {
        Window focus = 0;
        int revert = 0;
        XGetInputFocus(display, &focus, &revert);
        if (focus != None && focus != PointerRoot)
            topLevel = X11WindowTree::ancestry(display, focus, wmStateAtom).topLevel;
    }
    XSync(display, False);
    XSetErrorHandler(previous);
    return topLevel;
}

bool X11UserPresses::answersUser(unsigned long topLevel, Clock::time_point now) const
{
    return topLevel != 0 && topLevel == m_lastWindow && now - m_lastPress < kAnswerWithin;
}

bool X11UserPresses::clickedIn(unsigned long topLevel, Clock::time_point since, Clock::time_point now) const
{
    return topLevel != 0 && topLevel == m_lastClickWindow && m_lastClick >= since && now - m_lastClick < kAnswerWithin;
}

void X11UserPresses::pressed(unsigned long topLevel, Clock::time_point now, bool button)
{
    m_lastWindow = topLevel;
    m_lastPress = now;
    if (button) {
        m_lastClickWindow = topLevel;
        m_lastClick = now;
    }
}
