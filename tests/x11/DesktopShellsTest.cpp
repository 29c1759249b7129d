// The whole program beside what a desktop session puts at the top of the screen: a shell that keeps
// the pointer's events there from every other window (an input-only window of another program over
// the top edge, above the notch, as gnome-shell and cinnamon keep them, or over the whole screen), a dock that reserves a
// strip across the top centre (as GNOME's, Xfce's and MATE's top panels do), and that dock under a
// full-screen window. In each, the notch stands where it leaves the desktop's bar whole, the
// shortcut opens Quick Access, the pointer on the notch opens the panel, and the panel's rows and
// its gear take their clicks.
#include <gtest/gtest.h>

#include <iostream>
#include <memory>
#include <ostream>

#include "ScreenReading.h"

#include <X11/extensions/XTest.h>

using namespace x11test;

namespace {

constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;
// A top panel's height, and how far down a shell keeps the pointer's events at the top edge: past
// the resting notch and over the open panel's own row of controls.
constexpr int kBarHeight = 30;
constexpr int kGuardHeight = 48;
constexpr QPoint kAway{300, 900};
const QSize kOpenSize(450, 460);
constexpr int kQuickAccessWidth = 350;
// Inside the open panel, from its top left: the first row of the history (on its text) and the
// gear in the row of controls along its top edge.
constexpr QPoint kFirstRow{120, 206};
constexpr QPoint kGear{385, 19};
// Below the panel, where the window under it shows.
const QString kUnderNotch = QStringLiteral("1200x500+360+520");

// A window of another program that bypasses the manager and takes every pointer event over the
// top edge (or the whole screen) without drawing anything, stacked over everything there, the
// notch included.
class PointerGuard {
public:
    explicit PointerGuard(int height)
    {
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        attributes.event_mask = ButtonPressMask | ButtonReleaseMask | EnterWindowMask | LeaveWindowMask | PointerMotionMask;
        m_window = XCreateWindow(display(), DefaultRootWindow(display()), 0, 0, kScreenWidth, unsigned(height), 0, 0,
                                 InputOnly, CopyFromParent, CWOverrideRedirect | CWEventMask, &attributes);
        XMapRaised(display(), m_window);
        XSync(display(), False);
    }
    ~PointerGuard()
    {
        XDestroyWindow(display(), m_window);
        XSync(display(), False);
    }
    PointerGuard(const PointerGuard &) = delete;
    PointerGuard &operator=(const PointerGuard &) = delete;
    Window window() const { return m_window; }

private:
    Window m_window = 0;
};

// A dock across the top of the screen that reserves its strip there, as a desktop's top panel does.
class TopBar {
public:
    TopBar()
    {
        XSetWindowAttributes attributes{};
        attributes.background_pixel = 0x303030;
        m_window = XCreateWindow(display(), DefaultRootWindow(display()), 0, 0, kScreenWidth, kBarHeight, 0,
                                 CopyFromParent, InputOutput, CopyFromParent, CWBackPixel, &attributes);
        const Atom dock = XInternAtom(display(), "_NET_WM_WINDOW_TYPE_DOCK", False);
        XChangeProperty(display(), m_window, XInternAtom(display(), "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char *>(&dock), 1);
        const long partial[12] = {0, 0, kBarHeight, 0, 0, 0, 0, 0, 0, kScreenWidth - 1, 0, 0};
        XChangeProperty(display(), m_window, XInternAtom(display(), "_NET_WM_STRUT_PARTIAL", False), XA_CARDINAL, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char *>(partial), 12);
        XMapWindow(display(), m_window);
        XSync(display(), False);
    }
    ~TopBar()
    {
        XDestroyWindow(display(), m_window);
        XSync(display(), False);
    }
    TopBar(const TopBar &) = delete;
    TopBar &operator=(const TopBar &) = delete;
    // Once the manager has taken the dock and published the work area that leaves its strip free.
    static bool reserved()
    {
        const std::vector<unsigned long> area = longProperty(DefaultRootWindow(display()), "_NET_WORKAREA");
        return area.size() >= 4 && area[1] == kBarHeight;
    }

private:
    Window m_window = 0;
};

void setFullScreen(Window window)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display(), "_NET_WM_STATE", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = 1;
    event.xclient.data.l[1] = long(XInternAtom(display(), "_NET_WM_STATE_FULLSCREEN", False));
    event.xclient.data.l[3] = 1;
    XSendEvent(display(), DefaultRootWindow(display()), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XFlush(display());
}

struct SessionCase {
    const char *name;
    // How far down the shell keeps the pointer's events; 0: nowhere.
    int guard;
    bool bar;
    bool fullScreen;
    // Where the notch's top edge stands: the screen's top, or the bar's lower edge.
    int notchTop;
};

const SessionCase kSessions[] = {
    {"a bare window manager", 0, false, false, 0},
    {"a shell that keeps the pointer's events at the top edge", kGuardHeight, false, false, 0},
    {"a shell that keeps the pointer's events everywhere", kScreenHeight, false, false, 0},
    {"a top bar holding the centre", 0, true, false, kBarHeight},
    {"a top bar under a full-screen window", 0, true, true, 0},
};

void PrintTo(const SessionCase &row, std::ostream *out)
{
    *out << row.name;
}

class DesktopSessions : public ::testing::TestWithParam<SessionCase> { };

bool panelOpen(Window panel) { return drawnExtents(panel).size() == kOpenSize; }

// The resting notch: its window, centred at the top and as high as the notch itself.
bool notchRestsAt(Window panel, int top)
{
    const QRect at = geometry(panel);
    return at.top() == top && std::abs(at.center().x() - kScreenWidth / 2) <= 1 && at.height() < 60;
}

// Whether a click where the pointer is reaches the panel: the server names it there, or it holds
// the pointer (a grab of the test's own is then refused).
bool clickReachesPanel(Window panel, QPoint at)
{
    if (isWithin(windowAt(at), panel))
        return true;
    const int grab = XGrabPointer(display(), DefaultRootWindow(display()), False, 0, GrabModeAsync, GrabModeAsync, 0, 0,
                                  CurrentTime);
    if (grab == GrabSuccess)
        XUngrabPointer(display(), CurrentTime);
    XSync(display(), False);
    return grab == AlreadyGrabbed;
}

// Moves the pointer by hand to a point of the open panel and clicks there once a click reaches it,
// whatever window the server names there (the guard's, in a session that keeps the pointer's events).
bool clickInOpenPanel(Window panel, QPoint offset)
{
    const QPoint at = geometry(panel).topLeft() + offset;
    moveByHand(at);
    if (!QTest::qWaitFor([&] { return panelOpen(panel) && clickReachesPanel(panel, at); }, 6000))
        return false;
    xdotool({"click", "1"});
    return true;
}

} // namespace

TEST_P(DesktopSessions, TheNotchLeavesTheBarWholeOpensUnderThePointerAndItsControlsTakeClicks)
{
    const SessionCase &row = GetParam();
    std::cout << "[ session  ] " << row.name << "\n";
    writeSettings(settingsWithHistory(3));
    movePointer(kAway);
    Program tarnel(tarnelBinary());
    const std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel) << tarnel.errorOutput().constData();
    Fixture under("Under", QString(), kUnderNotch);
    std::optional<Window> window;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (window = under.shownWindow()) && hasKeyboard(*window); }, 10000))
        << "the window under the notch never had the keyboard";

    // The session comes up around the running program, as a desktop's panel and shell do at login.
    std::unique_ptr<TopBar> bar;
    if (row.bar) {
        bar = std::make_unique<TopBar>();
        ASSERT_TRUE(QTest::qWaitFor(&TopBar::reserved)) << "the manager never reserved the bar's strip";
    }
    if (row.fullScreen) {
        setFullScreen(*window);
        ASSERT_TRUE(QTest::qWaitFor([&] { return geometry(stackedWindowOf(*window)) == QRect(0, 0, kScreenWidth, kScreenHeight); }))
            << "the window did not go full screen";
        ASSERT_TRUE(waitForKeyboard(*window));
    }
    std::unique_ptr<PointerGuard> guard;
    if (row.guard > 0) {
        guard = std::make_unique<PointerGuard>(row.guard);
        ASSERT_TRUE(QTest::qWaitFor([&] { return standsAbove(guard->window(), *panel); }));
    }

    // The notch where it leaves the bar whole.
    EXPECT_TRUE(QTest::qWaitFor([&] { return notchRestsAt(*panel, row.notchTop); }, 6000))
        << "the notch rests at " << geometry(*panel).top() << ", not " << row.notchTop;
    if (row.bar && !row.fullScreen) {
        EXPECT_GE(geometry(*panel).top(), kBarHeight) << "the notch covers the bar";
    }

    // The shortcut opens Quick Access with the keyboard, whatever keeps the pointer, and Escape
    // puts it back as the notch.
    const QRect resting = geometry(*panel);
    xdotool({"key", "shift+super+v"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return geometry(*panel).width() == kQuickAccessWidth && hasKeyboard(*panel); }, 8000))
        << "Quick Access never opened: the panel is " << geometry(*panel).width() << " wide, keyboard "
        << hasKeyboard(*panel) << "; " << tarnel.errorOutput().constData();
    xdotool({"key", "Escape"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return geometry(*panel) == resting; })) << "Quick Access stayed open";

    // The pointer on the notch opens the panel, whatever window the server names under it.
    const QPoint notch(kScreenWidth / 2, geometry(*panel).top() + 8);
    moveByHand(notch);
    ASSERT_TRUE(QTest::qWaitFor([&] { return panelOpen(*panel); }, 6000))
        << "the panel never opened under the pointer; " << tarnel.errorOutput().constData();
    if (row.bar && !row.fullScreen) {
        EXPECT_GE(geometry(*panel).top(), kBarHeight) << "the open panel covers the bar";
    }

    // A click on a row pastes it into the window the user came from, and the panel stays open.
    ASSERT_TRUE(clickInOpenPanel(*panel, kFirstRow)) << "no click there reaches the panel";
    EXPECT_TRUE(QTest::qWaitFor([&] { return under.text() == QStringLiteral("záznam 0"); }, 8000))
        << "[" << under.text().toStdString() << "] " << tarnel.errorOutput().constData();

    // The gear, in the row along the open panel's top edge, opens the settings.
    ASSERT_TRUE(clickInOpenPanel(*panel, kGear)) << "no click there reaches the panel";
    EXPECT_TRUE(waitForRole("tarnel-settings", 8000).has_value())
        << "the gear's click went elsewhere; " << tarnel.errorOutput().constData();
}

INSTANTIATE_TEST_SUITE_P(Sessions, DesktopSessions, ::testing::ValuesIn(kSessions));
