// Which window holds the keyboard, told by what the windows are rather than by the
// override-redirect flag: fluxbox, icewm and i3 set that flag on every frame they draw, while
// another program's menu or lock screen carries it too. A frame holds a client marked with
// WM_STATE (directly or a container down); a window beside the manager holds none.
#include <gtest/gtest.h>

#include "platform/x11/X11Connection.h"
#include "platform/x11/X11WindowTree.h"

#include <QTest>

#include <ostream>
#include <vector>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

struct FocusCase {
    const char *name;
    int depth;       // windows nested under the root child, each inside the one before
    int clientDepth; // which of them carries WM_STATE (0: the root child); -1 none
    int focusDepth;  // which of them gets the keyboard
    bool unmanaged;  // expected: the keyboard is beside the manager
    int holderDepth; // expected: the window reported as holding it
};

const FocusCase kCases[] = {
    {"a menu", 0, -1, 0, true, 0},
    {"a field inside a menu", 2, -1, 2, true, 0},
    {"a window framed by i3", 1, 1, 1, false, 1},
    {"the frame of icewm itself, its client two down", 2, 2, 0, false, 0},
    {"a field inside a client framed by fluxbox", 2, 1, 2, false, 1},
    {"a client marked by itself at the root", 0, 0, 0, false, 0},
};

void PrintTo(const FocusCase &row, std::ostream *out)
{
    *out << row.name;
}

class ManagerFrames : public ::testing::TestWithParam<FocusCase> { };

TEST_P(ManagerFrames, TheKeyboardIsBesideTheManagerOnlyInAWindowWithNoManagedClient)
{
    const FocusCase &row = GetParam();
    Display *display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    const Atom wmState = XInternAtom(display, "WM_STATE", False);
    std::vector<Window> chain;
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    Window parent = DefaultRootWindow(display);
    for (int level = 0; level <= row.depth; ++level) {
        const Window window = XCreateWindow(display, parent, level == 0 ? 300 : 0, level == 0 ? 200 : 0, 400, 300, 0,
                                            CopyFromParent, InputOutput, CopyFromParent, CWOverrideRedirect, &attributes);
        if (level == row.clientDepth) {
            const long state[2] = {1, 0};
            XChangeProperty(display, window, wmState, wmState, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char *>(state), 2);
        }
        XMapWindow(display, window);
        chain.push_back(window);
        parent = window;
    }
    XSync(display, False);
    const X11Connection connection;
    ASSERT_TRUE(connection.isOpen());
    const Window focused = chain[std::size_t(row.focusDepth)];
    ASSERT_TRUE(QTest::qWaitFor([&] {
        Window focus = 0;
        int revert = 0;
        XGetInputFocus(display, &focus, &revert);
        if (focus == focused)
            return true;
        connection.setInputFocus(focused);
        return false;
    }));

    EXPECT_EQ(connection.unmanagedFocusWindow(), row.unmanaged ? std::optional<unsigned long>(chain.front()) : std::nullopt)
        << row.name;
    EXPECT_EQ(connection.focusedTopLevel(), std::optional<unsigned long>(chain[std::size_t(row.holderDepth)])) << row.name;
    EXPECT_EQ(X11WindowTree::clientWithin(display, chain.front(), wmState),
              row.clientDepth < 0 ? 0ul : chain[std::size_t(row.clientDepth)])
        << row.name;
    XDestroyWindow(display, chain.front());
    XCloseDisplay(display);
}

INSTANTIATE_TEST_SUITE_P(Windows, ManagerFrames, ::testing::ValuesIn(kCases));

} // namespace
