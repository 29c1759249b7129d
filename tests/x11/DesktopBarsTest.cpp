// What the desktop's bars hold at the top centre of the screen, as the window manager (openbox)
// publishes it: the strip a dock reserves over the columns it names, in either form of the hint,
// nothing where a bar holds only a corner though the work area starts below it, nothing where a
// full-screen window covers the bar, and the work area alone where no window reserves anything
// (a shell that draws its bar without a window of its own). Each change is announced.
#include <gtest/gtest.h>

#include "platform/x11/X11DesktopBars.h"

#include <functional>
#include <memory>

#include "X11TestSupport.h"

using namespace x11test;

namespace {

constexpr int kScreenWidth = 1920;
const QRect kScreen(0, 0, kScreenWidth, 1080);
// The notch's columns at the top centre.
constexpr int kLeft = 735;
constexpr int kRight = 1184;
constexpr int kBarHeight = 30;

// A dock along the top that reserves its strip in the form given: the twelve values of
// _NET_WM_STRUT_PARTIAL over the columns from left to right, or the four of the older _NET_WM_STRUT.
class Dock {
public:
    Dock(int left, int right, bool partial)
    {
        XSetWindowAttributes attributes{};
        m_window = XCreateWindow(display(), DefaultRootWindow(display()), left, 0, unsigned(right - left + 1),
                                 kBarHeight, 0, CopyFromParent, InputOutput, CopyFromParent, 0, &attributes);
        const Atom dock = XInternAtom(display(), "_NET_WM_WINDOW_TYPE_DOCK", False);
        XChangeProperty(display(), m_window, XInternAtom(display(), "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char *>(&dock), 1);
        const long strip[12] = {0, 0, kBarHeight, 0, 0, 0, 0, 0, left, right, 0, 0};
        XChangeProperty(display(), m_window,
                        XInternAtom(display(), partial ? "_NET_WM_STRUT_PARTIAL" : "_NET_WM_STRUT", False),
                        XA_CARDINAL, 32, PropModeReplace, reinterpret_cast<const unsigned char *>(strip), partial ? 12 : 4);
        XMapWindow(display(), m_window);
        XSync(display(), False);
    }
    ~Dock()
    {
        XDestroyWindow(display(), m_window);
        XSync(display(), False);
    }
    Dock(const Dock &) = delete;
    Dock &operator=(const Dock &) = delete;

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

bool workAreaTop(long top)
{
    const std::vector<unsigned long> area = longProperty(DefaultRootWindow(display()), "_NET_WORKAREA");
    return area.size() >= 4 && long(area[1]) == top;
}

// What a row puts on the desktop, kept while the row is looked at.
struct Desktop {
    std::unique_ptr<Dock> dock;
    std::unique_ptr<Fixture> window;
};

} // namespace

TEST(DesktopBars, TheTopCentreIsFreeUnlessABarHoldsItUncovered)
{
    X11DesktopBars bars;
    const struct {
        const char *row;
        std::function<bool(Desktop &)> make;
        int freeTop;
    } rows[] = {
        {"nothing reserved", [](Desktop &) { return workAreaTop(0); }, 0},
        {"a dock across the top",
         [](Desktop &d) {
             d.dock = std::make_unique<Dock>(0, kScreenWidth - 1, true);
             return QTest::qWaitFor([] { return workAreaTop(kBarHeight); });
         },
         kBarHeight},
        {"a dock in the left corner only: the work area starts below it all the same",
         [](Desktop &d) {
             d.dock = std::make_unique<Dock>(0, 299, true);
             return QTest::qWaitFor([] { return workAreaTop(kBarHeight); });
         },
         0},
        {"a dock in the older form, across the whole width",
         [](Desktop &d) {
             d.dock = std::make_unique<Dock>(kScreenWidth - 300, kScreenWidth - 1, false);
             return QTest::qWaitFor([] { return workAreaTop(kBarHeight); });
         },
         kBarHeight},
        {"a full-screen window over a dock across the top",
         [](Desktop &d) {
             d.dock = std::make_unique<Dock>(0, kScreenWidth - 1, true);
             d.window = std::make_unique<Fixture>(QStringLiteral("Full"), QString(), QStringLiteral("400x300+200+300"));
             std::optional<Window> shown;
             if (!QTest::qWaitFor([&] { return (shown = d.window->shownWindow()).has_value(); }, 8000))
                 return false;
             setFullScreen(*shown);
             return QTest::qWaitFor([&] { return geometry(stackedWindowOf(*shown)) == kScreen; });
         },
         0},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.row);
        QSignalSpy changed(&bars, &DesktopBars::changed);
        Desktop desktop;
        ASSERT_TRUE(row.make(desktop)) << "the desktop never came up";
        EXPECT_TRUE(QTest::qWaitFor([&] { return bars.freeTop(kScreen, kLeft, kRight) == row.freeTop; }, 4000))
            << "free from " << bars.freeTop(kScreen, kLeft, kRight);
        if (row.freeTop != 0) {
            EXPECT_FALSE(changed.isEmpty()) << "the change was never announced";
        }
        // Gone, every dock leaves the top free again.
        desktop = {};
        ASSERT_TRUE(QTest::qWaitFor([] { return workAreaTop(0); }));
        EXPECT_TRUE(QTest::qWaitFor([&] { return bars.freeTop(kScreen, kLeft, kRight) == 0; }, 4000));
    }
}

// A shell that draws its bar itself (gnome-shell) has no window that reserves anything: the work
// area the manager publishes is all there is to go by.
TEST(DesktopBars, WithoutAReservingWindowTheWorkAreaHoldsTheTop)
{
    X11DesktopBars bars;
    QSignalSpy changed(&bars, &DesktopBars::changed);
    const Window root = DefaultRootWindow(display());
    const std::vector<unsigned long> before = longProperty(root, "_NET_WORKAREA");
    ASSERT_GE(before.size(), 4u);
    std::vector<long> area(before.begin(), before.end());
    area[1] = 32;
    area[3] = 1080 - 32;
    XChangeProperty(display(), root, XInternAtom(display(), "_NET_WORKAREA", False), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(area.data()), int(area.size()));
    XSync(display(), False);
    EXPECT_TRUE(changed.wait(4000)) << "the change was never announced";
    EXPECT_EQ(bars.freeTop(kScreen, kLeft, kRight), 32);
    // Over a screen whose top lies below that, the screen's own top.
    EXPECT_EQ(bars.freeTop(QRect(0, 1080, kScreenWidth, 1080), kLeft, kRight), 1080);
}
