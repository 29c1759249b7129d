#include "platform/x11/X11WindowTree.h"

#include <vector>

#include <X11/Xlib.h>

namespace {

bool carriesWmState(Display *display, Window window, Atom wmState)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    const bool read = XGetWindowProperty(display, window, wmState, 0, 0, False, AnyPropertyType, &type, &format,
                                         &count, &after, &data)
        == Success;
    if (data)
        XFree(data);
    return read && type != None;
}

} // namespace

namespace X11WindowTree {

Ancestry ancestry(Display *display, unsigned long window, unsigned long wmStateAtom)
{
    Ancestry found;
    const Window root = DefaultRootWindow(display);
    while (window != 0 && window != root) {
        if (found.client == 0 && carriesWmState(display, window, wmStateAtom))
            found.client = window;
        Window rootOut = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(display, window, &rootOut, &parent, &children, &count))
            return {};
        if (children)
            XFree(children);
        if (parent == root) {
            found.topLevel = window;
            return found;
        }
        window = parent;
    }
    return {};
}

unsigned long clientWithin(Display *display, unsigned long window, unsigned long wmStateAtom)
{
    std::vector<Window> level{window};
    for (int depth = 0; depth <= kClientDepth && !level.empty(); ++depth) {
        std::vector<Window> next;
        for (const Window candidate : level) {
            if (carriesWmState(display, candidate, wmStateAtom))
                return candidate;
            if (depth == kClientDepth)
                continue;
            Window rootOut = 0, parent = 0, *children = nullptr;
            unsigned int count = 0;
            if (XQueryTree(display, candidate, &rootOut, &parent, &children, &count) && children) {
                next.insert(next.end(), children, children + count);
                XFree(children);
            }
        }
        level = std::move(next);
    }
    return 0;
}

} // namespace X11WindowTree
