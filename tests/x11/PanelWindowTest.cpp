// The panel as the desktop sees it: one frameless accessory window at the top centre that
// lets clicks through outside its notch, opens on hover and closes when the pointer leaves.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

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

// Three quarters of the way from one length to the other.
int mostOfTheWay(int from, int to) { return from + (to - from) * 3 / 4; }

// Every outline the program gives a window, in the order it gave them, as the server reports
// each change: none is missed however late this process comes to read them.
class OutlineLog {
public:
    explicit OutlineLog(Window window)
        : m_window(window)
    {
        int errorBase = 0;
        XShapeQueryExtension(display(), &m_eventBase, &errorBase);
        XShapeSelectInput(display(), m_window, ShapeNotifyMask);
        XSync(display(), False);
    }
    ~OutlineLog()
    {
        XShapeSelectInput(display(), m_window, 0);
        XSync(display(), False);
    }
    OutlineLog(const OutlineLog &) = delete;
    OutlineLog &operator=(const OutlineLog &) = delete;

    // The sizes of the outlines given since the last read.
    std::vector<QSize> read()
    {
        XSync(display(), False);
        std::vector<QSize> outlines;
        XEvent event{};
        while (XCheckTypedWindowEvent(display(), m_window, m_eventBase + ShapeNotify, &event)) {
            const auto &shape = reinterpret_cast<const XShapeEvent &>(event);
            if (shape.kind == ShapeBounding)
                outlines.emplace_back(shape.width, shape.height);
        }
        return outlines;
    }

private:
    Window m_window;
    int m_eventBase = 0;
};

std::string sizes(const std::vector<QSize> &outlines)
{
    std::string text;
    for (const QSize outline : outlines)
        text += ' ' + std::to_string(outline.width()) + 'x' + std::to_string(outline.height());
    return text;
}

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

    // Each part moves in its turn, read off the outlines the program gave the panel one after
    // the other rather than off a clock: a loaded machine slows the program and this test alike.
    // The width follows the pointer at once, over 0.18 s, and the content grows once the pointer
    // has stayed 0.18 s: the width had come most of its way before the content began.
    OutlineLog outlines(*panel);
    movePointer(kNotch);
    ASSERT_TRUE(QTest::qWaitFor([&] { return panelOpen(*panel) && drawnExtents(*panel).width() == kFrame.width(); }, 5000));
    const std::vector<QSize> opening = outlines.read();
    EXPECT_TRUE(std::any_of(opening.begin(), opening.end(), [](QSize outline) {
        return outline.height() == kCollapsedNotch.height() && outline.width() >= mostOfTheWay(kCollapsedNotch.width(), kFrame.width());
    })) << "the content did not wait for the width and for the pointer to stay:"
        << sizes(opening);

    // Leaving, the content folds away at once, over 0.26 s, and the width waits 0.26 s before it
    // narrows: the content had gone most of its way while the width still stood open.
    movePointer(kAway);
    ASSERT_TRUE(QTest::qWaitFor([&] { return drawnExtents(*panel) == kCollapsedNotch; }, 5000));
    const std::vector<QSize> closing = outlines.read();
    EXPECT_TRUE(std::any_of(closing.begin(), closing.end(), [](QSize outline) {
        return outline.width() == kFrame.width() && outline.height() <= mostOfTheWay(kFrame.height(), kCollapsedNotch.height());
    })) << "the content did not fold away before the width narrowed:"
        << sizes(closing);
}

