// Under a Wayland session without X11 the keyboard backends refuse plainly instead of pretending.
#include "platform/x11/X11HotKeyRegistry.h"
#include "platform/x11/X11KeySender.h"
#include "platform/x11/X11KeyTap.h"
#include "platform/x11/X11Permissions.h"
#include "platform/x11/X11Session.h"
#include "platform/x11/X11Workspace.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

namespace {

class WaylandSession : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The unit tests run Qt offscreen, which is not xcb: with Wayland announced, X11 is out.
        ASSERT_NE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        m_previous = qgetenv("WAYLAND_DISPLAY");
        qputenv("WAYLAND_DISPLAY", "wayland-tarnel-test");
    }
    void TearDown() override
    {
        if (m_previous.isEmpty())
            qunsetenv("WAYLAND_DISPLAY");
        else
            qputenv("WAYLAND_DISPLAY", m_previous);
    }

private:
    QByteArray m_previous;
};

TEST_F(WaylandSession, EveryKeyboardServiceReportsWhatItCannotDo)
{
    X11KeyTap tap;
    EXPECT_FALSE(tap.isAvailable());
    EXPECT_FALSE(tap.start());
    EXPECT_FALSE(tap.isRunning());

    X11Permissions permissions(&tap);
    EXPECT_FALSE(permissions.accessibilityTrusted());
    EXPECT_FALSE(permissions.inputMonitoring());
    EXPECT_FALSE(permissions.screenRecording());
    // Without an X display there is no X11 application to reach either.
    EXPECT_FALSE(permissions.waylandSession());

    X11HotKeyRegistry registry;
    const QList<AppShortcut> all(AppShortcut::allCases().begin(), AppShortcut::allCases().end());
    EXPECT_EQ(registry.start(), all);
    EXPECT_EQ(registry.failures(), all);
    EXPECT_EQ(registry.grabCount(), 0);

    X11Workspace workspace;
    EXPECT_FALSE(workspace.frontmostApplication().has_value());
    EXPECT_FALSE(workspace.activate(RunningApplication{1, 1, "x"}));

    X11KeySender sender(&workspace);
    EXPECT_FALSE(sender.isUsable());
    EXPECT_FALSE(sender.sendPaste());
    EXPECT_FALSE(sender.sendDelete());
    EXPECT_EQ(sender.pendingCount(), 0);
}

TEST(XWaylandSession, TheServerOrBothSessionVariablesTellXWayland)
{
    struct Case {
        const char *name;
        bool displayOpens;
        bool xwaylandServer;
        const char *sessionType;
        bool waylandDisplay;
        bool xwayland;
    };
    const Case cases[] = {
        {"plain X11 session", true, false, "x11", false, false},
        {"XWayland server, variables lost (sudo, ssh)", true, true, "", false, true},
        {"Wayland session announced both ways", true, false, "wayland", true, true},
        {"spelled in capitals", true, false, "Wayland", true, true},
        {"a stale session type alone", true, false, "wayland", false, false},
        {"a Wayland display beside an X11 session", true, false, "x11", true, false},
        {"no X display at all", false, true, "wayland", true, false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(X11Session::decideXWayland(c.displayOpens, c.xwaylandServer, QString::fromLatin1(c.sessionType),
                                             c.waylandDisplay),
                  c.xwayland)
            << c.name;

    EXPECT_TRUE(X11Session::namesLookLikeXWayland({QStringLiteral("XWAYLAND0")}));
    EXPECT_TRUE(X11Session::namesLookLikeXWayland({QStringLiteral("HDMI-1"), QStringLiteral("XWAYLAND1")}));
    EXPECT_FALSE(X11Session::namesLookLikeXWayland({QStringLiteral("eDP-1"), QStringLiteral("screen")}));
    EXPECT_FALSE(X11Session::namesLookLikeXWayland({}));
}

} // namespace
