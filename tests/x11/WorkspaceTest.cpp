// The front application and activation, read from the window manager (openbox) on Xvfb.
#include "platform/x11/X11Workspace.h"

#include <QWidget>

#include <gtest/gtest.h>

#include "X11TestSupport.h"

namespace {

using namespace x11test;

bool isFront(const X11Workspace &workspace, qint64 pid)
{
    const auto front = workspace.frontmostApplication();
    return front && front->pid == pid;
}

TEST(X11Workspace, FrontApplicationComesFromTheActiveWindowAndIsActivatedAgain)
{
    X11Workspace workspace;
    ASSERT_TRUE(workspace.isUsable());
    Fixture first("first", {}, QStringLiteral("400x300+50+50"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return isFront(workspace, first.pid()); }));
    const RunningApplication remembered = *workspace.frontmostApplication();
    EXPECT_EQ(remembered.name, QStringLiteral("TarnelFixture"));
    EXPECT_NE(remembered.window, 0u);
    EXPECT_FALSE(workspace.isOwn(remembered));
    EXPECT_EQ(workspace.applicationWithPid(first.pid()), remembered);
    EXPECT_FALSE(workspace.applicationWithPid(999999).has_value());

    Fixture second("second", {}, QStringLiteral("400x300+600+400"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return isFront(workspace, second.pid()); }));
    EXPECT_TRUE(workspace.activate(remembered));
    EXPECT_TRUE(QTest::qWaitFor([&] { return isFront(workspace, first.pid()); }));
    EXPECT_EQ(workspace.frontmostApplication(), remembered);

    // A closed application cannot be activated, and nothing is brought up in its place.
    const RunningApplication closed = *workspace.applicationWithPid(second.pid());
    second.close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !workspace.applicationWithPid(closed.pid).has_value(); }));
    EXPECT_FALSE(workspace.activate(closed));
    EXPECT_TRUE(isFront(workspace, first.pid()));

    // Our own window in front is us.
    QWidget window;
    window.setGeometry(300, 300, 300, 200);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return isFront(workspace, workspace.ownPid()); }));
    EXPECT_TRUE(workspace.isOwn(*workspace.frontmostApplication()));
}

} // namespace
