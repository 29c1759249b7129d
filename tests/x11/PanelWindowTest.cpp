// The panel as the desktop sees it: one frameless accessory window at the top centre that
// lets clicks through outside its notch, opens on hover and closes when the pointer leaves.
#include <gtest/gtest.h>

#include <QElapsedTimer>

#include "X11TestSupport.h"

using namespace x11test;

namespace {

const QByteArray kOnboarded = R"({"tarnel.onboardingComplete": true})";
constexpr QPoint kNotch{960, 8};
constexpr QPoint kAway{300, 900};
const QRect kFrame(735, 0, 450, 460);
// The collapsed panel's window is the notch itself, and all of it is drawn.
const QRect kCollapsedWindow(912, 0, 96, 40);
const QRect kCollapsedNotch(0, 0, 96, 40);

bool panelOpen(Window panel) { return drawnExtents(panel).height() == kFrame.height(); }

} // namespace

TEST(PanelWindow, IsOneFramelessPanelAboveOthersAtTopCentreWithoutTaskbarEntry)
{
    writeSettings(kOnboarded);
    movePointer(kAway);
    Program tarnel(tarnelBinary());
    const std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel) << tarnel.errorOutput().constData();

    EXPECT_TRUE(QTest::qWaitFor([&] { return geometry(*panel) == kCollapsedWindow; }));
    // Beside the window manager, the panel is in no taskbar or pager, which list managed windows only.
    EXPECT_TRUE(QTest::qWaitFor([&] { return bypassesWindowManager(*panel) || hasAtom(*panel, "_NET_WM_STATE", "_NET_WM_STATE_SKIP_TASKBAR"); }));
    EXPECT_TRUE(hasAtom(*panel, "_NET_WM_STATE", "_NET_WM_STATE_ABOVE"));
    // Motif hints: flags 2 (decorations given) with decorations 0: no frame, no title bar.
    const std::vector<unsigned long> hints = longProperty(*panel, "_MOTIF_WM_HINTS");
    ASSERT_GE(hints.size(), 3u);
    EXPECT_TRUE(hints[0] & 2);
    EXPECT_EQ(hints[2], 0u);
    EXPECT_EQ(drawnExtents(*panel), kCollapsedNotch) << "only the collapsed notch is drawn";
}

TEST(PanelWindow, ASecondStartMakesTheFirstQuitAndOnePanelRemains)
{
    writeSettings(kOnboarded);
    Program first(tarnelBinary());
    ASSERT_TRUE(waitForPanel()) << first.errorOutput().constData();
    Program second(tarnelBinary());
    EXPECT_TRUE(first.process().waitForFinished(5000)) << "the first instance was asked to quit";
    EXPECT_EQ(first.process().exitStatus(), QProcess::NormalExit) << "it quit on its own, politely";
    EXPECT_TRUE(second.isRunning());
    // The first one's windows went with it: the one panel left is the second's.
    EXPECT_TRUE(QTest::qWaitFor([&] {
        const auto panels = shownWithRole("tarnel-panel");
        return panels.size() == 1 && longProperty(panels.front(), "_NET_WM_PID") == std::vector<unsigned long>{ulong(second.pid())};
    }));
}

TEST(PanelWindow, ClicksOutsideTheNotchReachTheWindowBelow)
{
    writeSettings(kOnboarded);
    Fixture below("Below", {}, QStringLiteral("800x600+600+100"));
    ASSERT_TRUE(below.waitForKeyboard());
    movePointer(kAway);
    Program tarnel(tarnelBinary());
    const std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel);
    ASSERT_TRUE(QTest::qWaitFor([&] { return geometry(*panel) == kCollapsedWindow; }));

    // Where the open panel would be, far from the collapsed notch.
    clickAt({760, 400});
    EXPECT_TRUE(QTest::qWaitFor([&] { return below.clicks().contains("760 400"); })) << below.clicks().constData();

    // Over the notch the panel opens and from then on takes the clicks on its content. A later
    // click beside the panel reaches the fixture, so any click let through would be logged by then.
    movePointer(kNotch);
    ASSERT_TRUE(QTest::qWaitFor([&] { return panelOpen(*panel); }, 3000));
    EXPECT_EQ(geometry(*panel), kFrame) << "the open panel's window is the panel";
    movePointer({960, 300});
    ASSERT_TRUE(clickIn(*panel, QPoint(960, 300) - kFrame.topLeft()));
    clickAt({1300, 600});
    ASSERT_TRUE(QTest::qWaitFor([&] { return below.clicks().contains("1300 600"); })) << below.clicks().constData();
    EXPECT_FALSE(below.clicks().contains("960 300")) << "the open panel kept that click";
    EXPECT_TRUE(below.isRunning()) << "starting Tarnel ends only other Tarnel instances";
}

TEST(PanelWindow, HoverOpensWithItsDelaysAndLeavingCloses)
{
    writeSettings(kOnboarded);
    movePointer(kAway);
    Program tarnel(tarnelBinary());
    const std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel);
    ASSERT_TRUE(QTest::qWaitFor([&] { return drawnExtents(*panel) == kCollapsedNotch; }));

    // The tool that moves the pointer ends some time after the pointer moved, long on a loaded
    // machine. A lower bound is read on a clock started before the move, an upper bound on one
    // started after it, so that neither counts that time for the panel.
    QElapsedTimer beforeMove;
    QElapsedTimer afterMove;
    beforeMove.start();
    movePointer(kNotch);
    afterMove.start();
    // The width follows at once (animated over 0.18 s), the content 0.18 s later.
    ASSERT_TRUE(QTest::qWaitFor([&] { return drawnExtents(*panel).width() > 96; }, 1000));
    const qint64 widening = afterMove.elapsed();
    ASSERT_TRUE(QTest::qWaitFor([&] { return panelOpen(*panel); }, 2000));
    EXPECT_GE(beforeMove.elapsed(), 150) << "the content waited for the pointer to stay";
    EXPECT_LT(widening, afterMove.elapsed());
    EXPECT_TRUE(QTest::qWaitFor([&] { return drawnExtents(*panel).width() == 450; }, 1000));

    beforeMove.restart();
    movePointer(kAway);
    afterMove.restart();
    ASSERT_TRUE(QTest::qWaitFor([&] { return drawnExtents(*panel).height() == 40; }, 1000));
    const qint64 hiding = afterMove.elapsed();
    ASSERT_TRUE(QTest::qWaitFor([&] { return drawnExtents(*panel).width() == 96; }, 2000));
    EXPECT_LT(hiding, 260 + 200) << "the content folds away over 0.26 s, without waiting";
    EXPECT_GE(beforeMove.elapsed(), 260 + 100) << "the width waits 0.26 s, then narrows over 0.22 s";
}

