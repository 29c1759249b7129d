// The front application and activation, read from the window manager (openbox) on Xvfb.
#include "InputTestSupport.h"
#include "platform/x11/X11Workspace.h"

#include <QWidget>

#include <gtest/gtest.h>

namespace {

using namespace inputtest;

bool isFront(const X11Workspace &workspace, qint64 pid)
{
    const auto front = workspace.frontmostApplication();
    return front && front->pid == pid;
}

TEST(X11Workspace, FrontApplicationComesFromTheActiveWindow)
{
    X11Workspace workspace;
    ASSERT_TRUE(workspace.isUsable());
    Fixture fixture("front");
    ASSERT_TRUE(waitUntil([&] { return isFront(workspace, fixture.pid()); }));

    const auto front = workspace.frontmostApplication();
    ASSERT_TRUE(front.has_value());
    EXPECT_EQ(front->name, QStringLiteral("TarnelFixture"));
    EXPECT_NE(front->window, 0u);
    EXPECT_FALSE(workspace.isOwn(*front));
    EXPECT_EQ(workspace.applicationWithPid(fixture.pid()), front);
    EXPECT_FALSE(workspace.applicationWithPid(999999).has_value());
}

TEST(X11Workspace, RememberedApplicationIsActivatedAgain)
{
    X11Workspace workspace;
    Fixture first("first", {}, "50,50,400,300");
    ASSERT_TRUE(waitUntil([&] { return isFront(workspace, first.pid()); }));
    const RunningApplication remembered = *workspace.frontmostApplication();

    Fixture second("second", {}, "600,400,400,300");
    ASSERT_TRUE(waitUntil([&] { return isFront(workspace, second.pid()); }));

    EXPECT_TRUE(workspace.activate(remembered));
    EXPECT_TRUE(waitUntil([&] { return isFront(workspace, first.pid()); }));
    EXPECT_EQ(workspace.frontmostApplication(), remembered);

    // A closed application cannot be activated, and nothing else is brought up in its place.
    const RunningApplication closed = *workspace.applicationWithPid(second.pid());
    second.close();
    ASSERT_TRUE(waitUntil([&] { return !workspace.applicationWithPid(closed.pid).has_value(); }));
    EXPECT_FALSE(workspace.activate(closed));
    pump(200ms);
    EXPECT_TRUE(isFront(workspace, first.pid()));
}

TEST(X11Workspace, OurOwnWindowInFrontIsUs)
{
    X11Workspace workspace;
    QWidget window;
    window.setGeometry(300, 300, 300, 200);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(waitUntil([&] { return isFront(workspace, workspace.ownPid()); }));
    EXPECT_TRUE(workspace.isOwn(*workspace.frontmostApplication()));
}

} // namespace
