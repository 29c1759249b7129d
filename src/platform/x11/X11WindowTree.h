#pragma once

struct _XDisplay;
using Display = _XDisplay;

// Reads of the window tree that tell the window manager's frames from the windows that bypass
// it. Managers differ in which of their windows carry override-redirect (fluxbox, icewm and i3
// set it on every frame), but each puts WM_STATE on the client window it manages, inside the
// frame; another program's menu, tooltip, notification or lock screen carries none.
namespace X11WindowTree {

// How deep inside a root child a managed client is looked for: the managers nest it at most
// a frame, a container and a wrapper down.
constexpr int kClientDepth = 3;

// What one walk up from a window to the root finds.
struct Ancestry {
    unsigned long topLevel = 0; // the root child that holds the window; 0 when it vanished
    unsigned long client = 0;   // the first window on the way that carries WM_STATE; 0 when none
};

// Walks from the window up to its root child. Errors about vanished windows must be handled by
// the caller's error handler.
Ancestry ancestry(Display *display, unsigned long window, unsigned long wmStateAtom);

// The window that carries WM_STATE: the window itself or one inside it down to kClientDepth,
// searched level by level; 0 when none does.
unsigned long clientWithin(Display *display, unsigned long window, unsigned long wmStateAtom);

} // namespace X11WindowTree
