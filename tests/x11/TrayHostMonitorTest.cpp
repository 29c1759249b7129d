#include "platform/x11/X11TrayHostMonitor.h"

#include <gtest/gtest.h>

#include "X11TestSupport.h"

using namespace x11test;

namespace {

// A stand-in tray host: a client of its own that claims a manager selection with a window.
struct Claimant {
    Display *connection = XOpenDisplay(nullptr);
    Window window = XCreateSimpleWindow(connection, DefaultRootWindow(connection), 0, 0, 1, 1, 0, 0, 0);
    ~Claimant() { XCloseDisplay(connection); }
    void claim(const char *selection)
    {
        XSetSelectionOwner(connection, XInternAtom(connection, selection, False), window, CurrentTime);
        XSync(connection, False);
    }
};

} // namespace

TEST(X11TrayHostMonitor, AnnouncesAHostOfThisScreenComingAndGoing)
{
    X11TrayHostMonitor monitor;
    ASSERT_TRUE(monitor.isWatching());
    QSignalSpy changes(&monitor, &TrayHostMonitor::hostChanged);

    // Hosts of another screen and other managers are not this screen's tray.
    Claimant other;
    other.claim("_NET_SYSTEM_TRAY_S1");
    other.claim("_NET_WM_CM_S0");

    auto host = std::make_unique<Claimant>();
    host->claim("_NET_SYSTEM_TRAY_S0");
    ASSERT_TRUE(changes.wait(5000)) << "a host that started";

    // A host that quits without a word: its connection closes and the selection is free. The
    // server reports in order, so by this last news every earlier one has been heard.
    host.reset();
    ASSERT_TRUE(QTest::qWaitFor([&] { return changes.size() >= 2; }, 5000)) << "a host that went away";
    EXPECT_EQ(changes.size(), 2) << "one announcement for each change of this screen's host alone";
}
