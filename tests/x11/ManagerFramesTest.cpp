// Which window holds the keyboard, told by what the windows are rather than by the
// override-redirect flag: fluxbox, icewm and i3 set that flag on every frame they draw, while
// another program's menu or lock screen carries it too. A frame holds a client marked with
// WM_STATE (directly or a container down); a window beside the manager holds none.
#include <gtest/gtest.h>

#include "platform/x11/X11Connection.h"
#include "platform/x11/X11FrontKeeper.h"
#include "platform/x11/X11WindowTree.h"

#include <QTest>
#include <QWidget>

#include <atomic>
#include <chrono>
#include <ostream>
#include <thread>
#include <vector>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

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
    {"a client a frame, a container and a wrapper down", 3, 3, 3, false, 3},
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

// What comes before each raise of another program's window over the kept panel.
enum class Before { Nothing,
                    Click,
                    Key,
                    UserAskedForThePanel };

struct RaiseCase {
    const char *name;
    int raises;
    Before before;
    bool givenWay; // expected: the panel gave way to the window
    // Then another window comes over it and it rises once more; expected: the panel over it again.
    bool riseAgain;
    // Given way, it then raises itself no more; expected: the panel tries standing over it again
    // and stays there.
    bool goesStill = false;
};

const RaiseCase kRaises[] = {
    {"four raises within a second", X11SelfRaiseGuard::kRaises - 1, Before::Nothing, false, false},
    {"five raises within a second", X11SelfRaiseGuard::kRaises, Before::Nothing, true, false},
    {"six raises, each right after a click into the window", X11SelfRaiseGuard::kRaises + 1, Before::Click, false, false},
    {"six raises, each right after a key typed into the window", X11SelfRaiseGuard::kRaises + 1, Before::Key, false, false},
    {"six raises while the user asks for the panel", X11SelfRaiseGuard::kRaises + 1, Before::UserAskedForThePanel, false, false},
    {"given way, covered by another window, then one raise", X11SelfRaiseGuard::kRaises, Before::Nothing, true, true},
    {"given way, then still", X11SelfRaiseGuard::kRaises, Before::Nothing, true, false, true},
};

void PrintTo(const RaiseCase &row, std::ostream *out)
{
    *out << row.name;
}

// The keeper's log lines, read by the test.
QStringList &keeperLog()
{
    static QStringList lines;
    return lines;
}

void keepLog(QtMsgType, const QMessageLogContext &, const QString &message)
{
    keeperLog().append(message);
}

// A window of another program that the manager would stack (it carries WM_STATE), at the top.
Window managedWindow(Display *display, QRect at)
{
    const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), at.x(), at.y(), unsigned(at.width()),
                                              unsigned(at.height()), 0, 0, 0x808080);
    const Atom wmState = XInternAtom(display, "WM_STATE", False);
    const long state[2] = {1, 0};
    XChangeProperty(display, window, wmState, wmState, 32, PropModeReplace, reinterpret_cast<const unsigned char *>(state), 2);
    XMapRaised(display, window);
    XSync(display, False);
    return window;
}

bool standsAbove(Display *display, Window upper, Window lower)
{
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    int upperAt = -1, lowerAt = -1;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) && children) {
        for (unsigned int i = 0; i < count; ++i) {
            upperAt = children[i] == upper ? int(i) : upperAt;
            lowerAt = children[i] == lower ? int(i) : lowerAt;
        }
        XFree(children);
    }
    return upperAt >= 0 && lowerAt >= 0 && upperAt > lowerAt;
}

class RaisedWindows : public ::testing::TestWithParam<RaiseCase> { };

// A window raised over the kept panel again and again is given way only when it raises itself:
// not when each raise answers the user's press in it (openbox raises a window at each click),
// and not while the user asks for the panel. Given way, it is stood over again once another
// window came over it.
TEST_P(RaisedWindows, ThePanelGivesWayOnlyToAWindowThatRaisesItself)
{
    const RaiseCase &row = GetParam();
    keeperLog().clear();
    const QtMessageHandler previous = qInstallMessageHandler(keepLog);
    Display *display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    const QRect place(300, 0, 1200, 700);
    const Window window = managedWindow(display, place);
    QWidget panel(nullptr, Qt::BypassWindowManagerHint | Qt::FramelessWindowHint);
    panel.setGeometry(735, 0, 450, 460);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    X11FrontKeeper keeper;
    keeper.keep(panel);
    keeper.placeNow();
    const Window kept = Window(panel.winId());
    ASSERT_TRUE(QTest::qWaitFor([&] { return standsAbove(display, kept, window); }));
    // A hover or the shortcut asks for the panel; a start does too, long enough ago here.
    if (row.before == Before::UserAskedForThePanel)
        keeper.bringToFront();
    XWarpPointer(display, None, DefaultRootWindow(display), 0, 0, 0, 0, 960, 600);
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
    const KeyCode shift = XKeysymToKeycode(display, XK_Shift_L);
    const auto givenWay = [] { return keeperLog().join('\n').contains(QStringLiteral("raises itself")); };

    for (int raise = 0; raise < row.raises; ++raise) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return standsAbove(display, kept, window); })) << "raise " << raise;
        if (row.before == Before::Click) {
            XTestFakeButtonEvent(display, 1, True, CurrentTime);
            XTestFakeButtonEvent(display, 1, False, CurrentTime);
        } else if (row.before == Before::Key) {
            XTestFakeKeyEvent(display, shift, True, CurrentTime);
            XTestFakeKeyEvent(display, shift, False, CurrentTime);
        }
        XRaiseWindow(display, window);
        XSync(display, False);
    }
    if (row.givenWay) {
        EXPECT_TRUE(QTest::qWaitFor(givenWay)) << "the panel never gave way";
    }
    if (row.goesStill) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return standsAbove(display, window, kept); })) << "the panel stands over it still";
        // A window that stopped raising itself is no reason to leave the panel under it for good.
        EXPECT_TRUE(QTest::qWaitFor([&] { return standsAbove(display, kept, window); },
                                    int(X11SelfRaiseGuard::kTryAgainAfter.count()) * 4))
            << "the panel stays under a window that no longer raises itself";
    }
    // Another window on top: once the keeper stands over it, it followed every raise before.
    const Window other = managedWindow(display, QRect(100, 100, 400, 300));
    EXPECT_TRUE(QTest::qWaitFor([&] { return standsAbove(display, kept, other); })) << "the panel is not over a new window";
    EXPECT_EQ(givenWay(), row.givenWay) << keeperLog().join('\n').toStdString();
    if (row.riseAgain) {
        XRaiseWindow(display, window);
        XSync(display, False);
        // Before the keeper would try standing over a window given way anyway.
        EXPECT_TRUE(QTest::qWaitFor([&] { return standsAbove(display, kept, window); },
                                    int(X11SelfRaiseGuard::kTryAgainAfter.count() / 2)))
            << "the panel stays under a window it gave way to before another came over it";
    }
    XDestroyWindow(display, other);
    XDestroyWindow(display, window);
    XCloseDisplay(display);
    qInstallMessageHandler(previous);
}

INSTANTIATE_TEST_SUITE_P(Raises, RaisedWindows, ::testing::ValuesIn(kRaises));

constexpr std::chrono::milliseconds kRaisePeriod{10};
// Reads of the order while the window raises itself against the panel: the panel is in front in
// most of them (the window is over it for the moment until the panel answers).
constexpr int kReads = 20;
constexpr int kReadsInFront = 15;

// A window that raises itself 100 times a second, as no manager stands between: the resting panel
// gives way to it, the user's asking brings the panel in front of it for as long as that lasts,
// and then the panel gives way again (bench/front_keeper.cpp measures what that costs).
TEST(RaisedWindows, AWindowRaisingItselfAHundredTimesASecondLeavesThePanelInReachWhenAskedFor)
{
    keeperLog().clear();
    const QtMessageHandler previous = qInstallMessageHandler(keepLog);
    Display *display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    const Window window = managedWindow(display, QRect(300, 0, 1200, 700));
    QWidget panel(nullptr, Qt::BypassWindowManagerHint | Qt::FramelessWindowHint);
    panel.setGeometry(735, 0, 450, 460);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    X11FrontKeeper keeper;
    keeper.keep(panel);
    keeper.placeNow();
    const Window kept = Window(panel.winId());
    // Each read after the keeper took what the server sent it until then.
    const auto readsInFront = [&] {
        int inFront = 0;
        for (int read = 0; read < kReads; ++read) {
            XSync(display, False);
            QCoreApplication::processEvents();
            inFront += standsAbove(display, kept, window);
        }
        return inFront;
    };
    std::atomic<bool> stop = false;
    std::thread raiser([&stop, window] {
        Display *own = XOpenDisplay(nullptr);
        while (!stop) {
            XRaiseWindow(own, window);
            XFlush(own);
            std::this_thread::sleep_for(kRaisePeriod);
        }
        XCloseDisplay(own);
    });

    EXPECT_TRUE(QTest::qWaitFor([] { return keeperLog().join('\n').contains(QStringLiteral("raises itself")); }))
        << "the resting panel never gave way";
    // A hover, the shortcut or a notice.
    keeper.bringToFront();
    int inFront = 0;
    EXPECT_TRUE(QTest::qWaitFor([&] { return (inFront = readsInFront()) >= kReadsInFront; }))
        << "asked for, the panel is under the window in " << kReads - inFront << " of " << kReads << " reads";
    EXPECT_TRUE(QTest::qWaitFor([&] { return readsInFront() == 0; }, int(X11FrontKeeper::kUserAsked.count()) * 2))
        << "the panel never gave way again once the user no longer asked for it";

    stop = true;
    raiser.join();
    XDestroyWindow(display, window);
    XCloseDisplay(display);
    qInstallMessageHandler(previous);
}

} // namespace
