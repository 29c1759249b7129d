// What a user sees around Tarnel's windows on the desktops people run: bare openbox, plain
// xcompmgr, and the compositors that draw shadows (xcompmgr -c, picom with shadows), which
// draw a window's shadow from its rectangle whatever its shape. Far enough from every drawn
// outline (farther than any shadow reaches), the window beneath must read on the screen as it
// did before Tarnel started, in every state of the panel and whether that window was there
// before Tarnel or opened after it; also while a compositor starts and stops under Tarnel.
#include "core/ClipboardEntry.h"
#include "shell/NotchPanelGeometry.h"
#include "shell/PanelTimings.h"
#include "shell/TarnelPanel.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QTemporaryDir>

#include <functional>
#include <iostream>

#include "ScreenReading.h"

using namespace x11test;

namespace {

// A shadow hugs its window within this distance; anything farther out must be left alone.
constexpr int kShadowReach = 48;
// Points of the screen looked at: a grid this fine.
constexpr int kGridStep = 16;
constexpr QPoint kAway{300, 1000};
// How long the screen is watched after a compositor started or stopped.
constexpr std::chrono::milliseconds kCompositorSettle{1500};
// Compositor changes per compositor while the menu-bar stand-in shows.
constexpr int kCompositorRounds = 4;
const QRect kCollapsedNotch(912, 0, 96, 40);
const QRect kOpenPanel(735, 0, 450, 460);
// The screenshot toast in the top right corner.
const QRect kToast(1580, 20, 320, 124);
// The corner where the window beneath keeps its text cursor, which blinks.
const QRect kTextCursorCorner(0, 0, 120, 120);
// The window beneath, without the title bar that the window manager draws active or inactive.
QRect g_beneath;

struct Desktop {
    const char *name;
    QString program; // empty: no compositor
    QStringList arguments;
    // xcompmgr paints a translucent window over its whole rectangle, whatever its shape, and
    // with -c shades the resting notch's rectangle once the popover opened under it, and goes
    // on after the popover's window is unmapped, though the notch window is unchanged and of
    // depth 32, which it never shades otherwise; both are the compositor's own.
    bool paintsWholeRectangles = false;
    bool shadesNotchUnderPopover = false;
};

void PrintTo(const Desktop &desktop, std::ostream *out) { *out << desktop.name; }

std::unique_ptr<Compositor> startCompositor(const Desktop &desktop)
{
    if (desktop.program.isEmpty())
        return nullptr;
    return std::make_unique<Compositor>(desktop.program, desktop.arguments);
}

// Waits until reads of the screen agree three times in a row, and gives that picture.
QImage settledScreen()
{
    QImage previous, read;
    int agreeing = 0;
    (void)QTest::qWaitFor([&] {
        read = framebufferImage();
        agreeing = !read.isNull() && read == previous ? agreeing + 1 : 0;
        previous = read;
        return agreeing >= 2;
    });
    return read;
}

// The grid points at least kShadowReach away from every outline (given by its bounds).
std::vector<QPoint> farFrom(const std::vector<QRect> &outlines)
{
    std::vector<QPoint> points;
    for (int y = kGridStep / 2; y < 1080; y += kGridStep) {
        for (int x = kGridStep / 2; x < 1920; x += kGridStep) {
            const QPoint p(x, y);
            if (kTextCursorCorner.contains(p) || !g_beneath.contains(p))
                continue;
            const bool near = std::any_of(outlines.begin(), outlines.end(), [p](const QRect &outline) {
                return outline.adjusted(-kShadowReach, -kShadowReach, kShadowReach, kShadowReach).contains(p);
            });
            if (!near)
                points.push_back(p);
        }
    }
    return points;
}

// Waits until no point far from the outlines differs from `before`, and then for `hold` longer
// while nothing may change there; what differs otherwise.
std::string farPointsChanged(const char *state, const std::vector<QRect> &outlines, const QImage &before,
                             std::chrono::milliseconds hold = {})
{
    const std::vector<QPoint> points = farFrom(outlines);
    int changed = 0;
    QPoint first;
    QImage now;
    const auto anyChanged = [&](const QImage &read) {
        now = read;
        changed = 0;
        for (const QPoint &p : points) {
            if (now.pixel(p) != before.pixel(p) && changed++ == 0)
                first = p;
        }
        return changed != 0;
    };
    // Judged on settled pictures only: a compositor that just started, or a window that just
    // changed, may not have been drawn yet.
    constexpr int kTimeout = 4000;
    (void)QTest::qWaitFor([&] { return !anyChanged(settledScreen()); }, kTimeout);
    // A compositor that just started paints the windows made anew for it when it gets to them.
    if (!changed && hold.count() > 0)
        (void)QTest::qWaitFor([&] { return anyChanged(framebufferImage()); }, int(hold.count()));
    std::cout << "[ screen   ] " << state << ": " << points.size() << " points sampled, " << changed << " changed\n";
    if (!changed)
        return {};
    return QStringLiteral("%1: %2 of %3 points changed, first at %4,%5: #%6 instead of #%7")
        .arg(QLatin1String(state))
        .arg(changed)
        .arg(points.size())
        .arg(first.x())
        .arg(first.y())
        .arg(now.pixel(first) & 0xffffff, 6, 16, QLatin1Char('0'))
        .arg(before.pixel(first) & 0xffffff, 6, 16, QLatin1Char('0'))
        .toStdString();
}

bool drawsAt(QPoint p, const QImage &before)
{
    return QTest::qWaitFor([&] { return framebufferImage().pixel(p) != before.pixel(p); });
}

bool clearAt(QPoint p, const QImage &before)
{
    return QTest::qWaitFor([&] { return framebufferImage().pixel(p) == before.pixel(p); });
}

// The window beneath: the whole screen, as a user's editor would be.
std::unique_ptr<Fixture> openWindowBeneath()
{
    auto below = std::make_unique<Fixture>(QStringLiteral("Below"), QString(), QStringLiteral("1920x1080+0+0"));
    if (!below->waitForKeyboard())
        return nullptr;
    g_beneath = geometry(*below->shownWindow());
    return below;
}

QRect shownGeometry(const QByteArray &role)
{
    const auto shown = shownWithRole(role);
    return shown.size() == 1 ? geometry(shown.front()) : QRect();
}

int windowDepth(Window window)
{
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display(), window, &attributes) ? attributes.depth : 0;
}

// Waits for the panel to be made anew for the desktop: 32 bits deep with a compositor, 24 without.
bool panelOfDepth(int depth)
{
    return QTest::qWaitFor([depth] {
        const auto shown = shownWithRole("tarnel-panel");
        return shown.size() == 1 && windowDepth(shown.front()) == depth;
    });
}

bool atTopCentre(const QRect &frame) { return frame.top() == 0 && std::abs(frame.center().x() - 960) <= 1; }

// How long the menu-bar stand-in is watched once the compositors stopped changing.
constexpr std::chrono::milliseconds kStandInHold{1000};

// Every place the server puts a window of the stand-in's role at from now on (configured or
// mapped), on a connection of its own; the first one away from the top centre, if any.
class StandInMoves {
public:
    StandInMoves()
        : m_display(XOpenDisplay(nullptr))
    {
        if (m_display)
            XSelectInput(m_display, DefaultRootWindow(m_display), SubstructureNotifyMask);
    }
    ~StandInMoves()
    {
        if (m_display)
            XCloseDisplay(m_display);
    }
    StandInMoves(const StandInMoves &) = delete;
    StandInMoves &operator=(const StandInMoves &) = delete;

    std::string awayFromTopCentre()
    {
        while (m_display && m_away.empty() && XPending(m_display)) {
            XEvent event;
            XNextEvent(m_display, &event);
            if (event.type == ConfigureNotify)
                note(event.xconfigure.window,
                     QRect(event.xconfigure.x, event.xconfigure.y, event.xconfigure.width, event.xconfigure.height));
            else if (event.type == MapNotify)
                note(event.xmap.window, geometry(event.xmap.window));
        }
        return m_away;
    }

private:
    void note(Window window, const QRect &place)
    {
        if (textProperty(window, "WM_WINDOW_ROLE").startsWith("tarnel-panel") && !atTopCentre(place))
            m_away = "put at " + std::to_string(place.x()) + "," + std::to_string(place.y()) + " "
                + std::to_string(place.width()) + "x" + std::to_string(place.height());
    }

    Display *m_display;
    std::string m_away;
};

class CompositorShadows : public testing::TestWithParam<Desktop> { };

} // namespace

TEST_P(CompositorShadows, NothingFarFromTheOutlinesChangesInAnyState)
{
    const std::unique_ptr<Compositor> compositor = startCompositor(GetParam());
    if (compositor) {
        ASSERT_TRUE(compositor->isReady()) << GetParam().name;
    }
    writeSettings(settingsWithHistory(3));
    movePointer(kAway);
    std::unique_ptr<Fixture> below = openWindowBeneath();
    ASSERT_TRUE(below);
    const QImage before = settledScreen();
    {
        Program tarnel(tarnelBinary());
        ASSERT_TRUE(waitForPanel()) << tarnel.errorOutput().constData();
        ASSERT_TRUE(drawsAt(kCollapsedNotch.center(), before));
        EXPECT_EQ(farPointsChanged("collapsed", {kCollapsedNotch}, before), "");

        movePointer({960, 10});
        ASSERT_TRUE(drawsAt({960, 420}, before)) << "the panel opens on hover";
        EXPECT_EQ(farPointsChanged("open", {kOpenPanel}, before), "");
        movePointer(kAway);
        EXPECT_TRUE(clearAt({960, 420}, before)) << "and closes";
        EXPECT_EQ(farPointsChanged("after a hover", {kCollapsedNotch}, before), "");

        xdotool({"key", "shift+super+v"});
        QRect quickAccess;
        ASSERT_TRUE(QTest::qWaitFor([&] {
            quickAccess = shownGeometry("tarnel-panel");
            return quickAccess.width() == 350 && quickAccess.center().y() >= 530;
        })) << tarnel.errorOutput().constData();
        EXPECT_EQ(farPointsChanged("Quick Access", {quickAccess}, before), "");
        xdotool({"key", "Escape"});
        ASSERT_TRUE(QTest::qWaitFor([&] { return atTopCentre(shownGeometry("tarnel-panel")); }));

        // A window that opens after Tarnel, looking as the first one did.
        below.reset();
        below = openWindowBeneath();
        ASSERT_TRUE(below);
        EXPECT_EQ(farPointsChanged("collapsed over a window opened later", {kCollapsedNotch}, before), "");
    }

    // Menu-bar mode without a tray host: the panel stands in for the tray icon, a new
    // screenshot shows its toast, and Quick Access opens in the popover below the stand-in.
    QTemporaryDir shots;
    writeSettings(settingsWithHistory(
        3, {{"tarnel.presentationMode", "menuBar"}, {"tarnel.screenshotFolderPath", shots.path()}}));
    Program tarnel(tarnelBinary());
    ASSERT_TRUE(waitForPanel()) << tarnel.errorOutput().constData();
    QImage shot(400, 300, QImage::Format_RGB32);
    shot.fill(qRgb(40, 120, 200));
    QSaveFile file(shots.filePath(QStringLiteral("Screenshot from 2026-12-07 06-00-00.png")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(shot.save(&file, "PNG"));
    ASSERT_TRUE(file.commit());
    QRect toast;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (toast = shownGeometry("tarnel-toast")) == kToast; }, 15000))
        << tarnel.errorOutput().constData();
    EXPECT_EQ(farPointsChanged("menu bar with the toast", {kCollapsedNotch, kToast}, before), "");

    xdotool({"key", "shift+super+v"});
    QRect popover;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        popover = shownGeometry("tarnel-popover");
        return popover.width() == 350;
    })) << tarnel.errorOutput().constData();
    EXPECT_EQ(farPointsChanged("menu bar with the popover", {kCollapsedNotch, kToast, popover}, before), "");
}

namespace {

// Beside a drawn outline, only its soft edge may differ from the window beneath: no shadow,
// no box of the window's rectangle around a rounded outline.
constexpr int kOutlineTolerance = 3;
constexpr int kPanelFrameLeft = 735;

QRegion notchOutline(QSizeF size)
{
    return NotchPanelGeometry::notchRegion(size, kOpenPanel.width()).translated(kPanelFrameLeft, 0);
}

// Waits until no point within kShadowReach of the outlines, but farther than kOutlineTolerance
// from all of them, differs from `before`; what differs otherwise. A window that shows for a
// while only (the toast) is told by `showing`: a read counts only when the window was on the
// screen before and after it, and its going away ends the wait with the last read that counted.
std::string pointsChangedBeside(const char *state, const QRegion &drawn, const QImage &before,
                                const std::function<bool()> &showing = {})
{
    QImage tolerated(before.size(), QImage::Format_Grayscale8);
    tolerated.fill(0);
    QImage band = tolerated;
    {
        QPainter toleratedPainter(&tolerated);
        QPainter bandPainter(&band);
        for (const QRect &rect : drawn) {
            toleratedPainter.fillRect(rect.adjusted(-kOutlineTolerance, -kOutlineTolerance, kOutlineTolerance, kOutlineTolerance),
                                      Qt::white);
            bandPainter.fillRect(rect.adjusted(-kShadowReach, -kShadowReach, kShadowReach, kShadowReach), Qt::white);
        }
    }
    std::vector<QPoint> points;
    for (int y = 0; y < before.height(); ++y)
        for (int x = 0; x < before.width(); ++x) {
            const QPoint p(x, y);
            if (qGray(band.pixel(p)) && !qGray(tolerated.pixel(p)) && g_beneath.contains(p) && !kTextCursorCorner.contains(p))
                points.push_back(p);
        }
    int changed = 0;
    QPoint first;
    QRect spread;
    QImage now;
    bool counted = false;
    bool gone = false;
    const auto stillShowing = [&] {
        gone = gone || (showing && !showing());
        return !gone;
    };
    const auto anyChanged = [&] {
        if (!stillShowing())
            return false;
        const QImage read = settledScreen();
        if (!stillShowing())
            return false;
        now = read;
        counted = true;
        changed = 0;
        spread = QRect();
        for (const QPoint &p : points) {
            if (now.pixel(p) == before.pixel(p))
                continue;
            if (changed++ == 0)
                first = p;
            spread |= QRect(p, QSize(1, 1));
        }
        return changed != 0;
    };
    (void)QTest::qWaitFor([&] { return !anyChanged() && (counted || gone); }, 4000);
    if (!counted)
        return std::string(state) + ": gone before the screen was read";
    std::cout << "[ outline  ] " << state << ": " << points.size() << " points beside, " << changed << " changed";
    if (changed)
        std::cout << " within " << spread.x() << "," << spread.y() << " " << spread.width() << "x" << spread.height();
    std::cout << "\n";
    if (!changed)
        return {};
    return QStringLiteral("%1: %2 points changed beside the outline, first at %3,%4: #%5 instead of #%6")
        .arg(QLatin1String(state))
        .arg(changed)
        .arg(first.x())
        .arg(first.y())
        .arg(now.pixel(first) & 0xffffff, 6, 16, QLatin1Char('0'))
        .arg(before.pixel(first) & 0xffffff, 6, 16, QLatin1Char('0'))
        .toStdString();
}

} // namespace

TEST_P(CompositorShadows, NothingButTheOutlinesShowsBesideThemInAnyState)
{
    // What the compositor may show of a window: its outline, or its whole rectangle.
    const auto shown = [](const QRegion &outline) {
        return GetParam().paintsWholeRectangles ? QRegion(outline.boundingRect()) : outline;
    };
    const std::unique_ptr<Compositor> compositor = startCompositor(GetParam());
    if (compositor) {
        ASSERT_TRUE(compositor->isReady()) << GetParam().name;
    }
    writeSettings(settingsWithHistory(3));
    movePointer(kAway);
    std::unique_ptr<Fixture> below = openWindowBeneath();
    ASSERT_TRUE(below);
    const QImage before = settledScreen();
    {
        Program tarnel(tarnelBinary());
        ASSERT_TRUE(waitForPanel()) << tarnel.errorOutput().constData();
        ASSERT_TRUE(drawsAt(kCollapsedNotch.center(), before));
        EXPECT_EQ(pointsChangedBeside("notch after the start", shown(notchOutline(kCollapsedNotch.size())), before), "");

        movePointer({960, 10});
        ASSERT_TRUE(drawsAt({960, 420}, before)) << "the panel opens on hover";
        EXPECT_EQ(pointsChangedBeside("open panel", shown(notchOutline(kOpenPanel.size())), before), "");
        movePointer(kAway);
        EXPECT_TRUE(clearAt({960, 420}, before)) << "and closes";

        // A copy shows its notice in a wider notch.
        const ClipboardOwner copied(QStringLiteral("skopírované"));
        ASSERT_TRUE(copied.isReady());
        ASSERT_TRUE(QTest::qWaitFor([&] { return shownGeometry("tarnel-panel").width() > kCollapsedNotch.width() + 2; }))
            << "the copied notice";
        EXPECT_EQ(pointsChangedBeside("copied notice", shown(notchOutline({PanelMetrics::copiedNoticeWidth, 40})), before), "");
    }

    // Menu-bar mode without a tray host: the stand-in notch, the popover, the stand-in once the
    // popover closed with Escape, and the screenshot toast beside the stand-in.
    QTemporaryDir shots;
    writeSettings(settingsWithHistory(
        3, {{"tarnel.presentationMode", "menuBar"}, {"tarnel.screenshotFolderPath", shots.path()}}));
    Program tarnel(tarnelBinary());
    ASSERT_TRUE(waitForPanel()) << tarnel.errorOutput().constData();
    ASSERT_TRUE(drawsAt(kCollapsedNotch.center(), before));
    xdotool({"key", "shift+super+v"});
    QRect popover;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (popover = shownGeometry("tarnel-popover")).width() == 350; }))
        << tarnel.errorOutput().constData();
    const QRegion standIn = notchOutline(kCollapsedNotch.size());
    const QRegion popoverOutline = roundedRegion(popover, 15);
    const std::string withPopover = pointsChangedBeside("popover", shown(standIn) | shown(popoverOutline), before);
    if (!GetParam().shadesNotchUnderPopover) {
        EXPECT_EQ(withPopover, "");
    }
    xdotool({"key", "Escape"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return shownGeometry("tarnel-popover").isNull(); }));
    const std::string afterPopover = pointsChangedBeside("after the popover closed", shown(standIn), before);
    if (!GetParam().shadesNotchUnderPopover) {
        EXPECT_EQ(afterPopover, "");
    }

    QImage shot(400, 300, QImage::Format_RGB32);
    shot.fill(qRgb(40, 120, 200));
    QSaveFile file(shots.filePath(QStringLiteral("Screenshot from 2026-12-07 06-00-00.png")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(shot.save(&file, "PNG"));
    ASSERT_TRUE(file.commit());
    // The toast shows for a few seconds: the screen is read while it does. It is the only
    // notice of menu-bar mode, and the stand-in notch stays as it was.
    const auto toastShown = [] { return shownGeometry("tarnel-toast") == kToast; };
    ASSERT_TRUE(QTest::qWaitFor(toastShown, 15000)) << tarnel.errorOutput().constData();
    EXPECT_EQ(pointsChangedBeside("screenshot toast", shown(roundedRegion(kToast, 14)), before, toastShown), "");
    const std::string standInBesideToast = pointsChangedBeside("stand-in notch beside the toast", shown(standIn), before, toastShown);
    if (!GetParam().shadesNotchUnderPopover) {
        EXPECT_EQ(standInBesideToast, "");
    }
}

INSTANTIATE_TEST_SUITE_P(Desktops, CompositorShadows,
                         testing::Values(Desktop{"bare", {}, {}}, Desktop{"xcompmgr", "xcompmgr", {}, true},
                                         Desktop{"xcompmgr_shadows", "xcompmgr", {"-c"}, true, true},
                                         Desktop{"picom_shadows", "picom", {"--backend", "xrender", "--shadow"}}),
                         [](const testing::TestParamInfo<Desktop> &desktop) { return std::string(desktop.param.name); });

TEST(CompositorShadowsWhileRunning, AShadowingCompositorStartedAndStoppedUnderTarnelLeavesTheScreenAlone)
{
    writeSettings(settingsWithHistory(3));
    movePointer(kAway);
    const std::unique_ptr<Fixture> below = openWindowBeneath();
    ASSERT_TRUE(below);
    const QImage plain = settledScreen();
    QImage composited;
    {
        Compositor compositor(QStringLiteral("picom"), {"--backend", "xrender", "--shadow"});
        ASSERT_TRUE(compositor.isReady());
        ASSERT_TRUE(QTest::qWaitFor([&] { return (composited = settledScreen()) != plain; })) << "painted by the compositor";
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return framebufferImage() == plain; })) << "the bare desktop is back";

    Program tarnel(tarnelBinary());
    ASSERT_TRUE(waitForPanel()) << tarnel.errorOutput().constData();
    ASSERT_TRUE(drawsAt(kCollapsedNotch.center(), plain));
    for (int round = 0; round < 2; ++round) {
        Compositor compositor(QStringLiteral("picom"), {"--backend", "xrender", "--shadow"});
        ASSERT_TRUE(compositor.isReady());
        ASSERT_TRUE(panelOfDepth(32)) << "made translucent, round " << round;
        EXPECT_EQ(farPointsChanged("compositor started", {kCollapsedNotch}, composited, kCompositorSettle), "")
            << "round " << round;
        ASSERT_TRUE(compositor.stop());
        ASSERT_TRUE(panelOfDepth(24)) << "made opaque, round " << round;
        EXPECT_EQ(farPointsChanged("compositor stopped", {kCollapsedNotch}, plain, kCompositorSettle), "")
            << "round " << round;
    }
}

TEST(CompositorShadowsWhileRunning, TheMenuBarStandInStaysAtTheTopCentreThroughCompositorChanges)
{
    writeSettings(settingsWithHistory(3, {{"tarnel.presentationMode", "menuBar"}}));
    movePointer(kAway);
    Program tarnel(tarnelBinary());
    ASSERT_TRUE(waitForPanel()) << tarnel.errorOutput().constData();
    xdotool({"key", "shift+super+v"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return shownGeometry("tarnel-popover").width() == 350; }))
        << tarnel.errorOutput().constData();
    for (const Desktop &desktop : {Desktop{"xcompmgr_shadows", "xcompmgr", {"-c"}},
                                   Desktop{"picom_shadows", "picom", {"--backend", "xrender", "--shadow"}}}) {
        for (int round = 0; round < kCompositorRounds; ++round) {
            {
                const std::unique_ptr<Compositor> compositor = startCompositor(desktop);
                ASSERT_TRUE(compositor->isReady());
                ASSERT_TRUE(panelOfDepth(32)) << desktop.name << " round " << round;
                EXPECT_TRUE(QTest::qWaitFor([&] { return atTopCentre(shownGeometry("tarnel-panel")); }))
                    << desktop.name << " started, round " << round << ": at " << shownGeometry("tarnel-panel").x()
                    << "," << shownGeometry("tarnel-panel").y();
            }
            ASSERT_TRUE(panelOfDepth(24)) << desktop.name << " round " << round;
            EXPECT_TRUE(QTest::qWaitFor([&] { return atTopCentre(shownGeometry("tarnel-panel")); }))
                << desktop.name << " stopped, round " << round << ": at " << shownGeometry("tarnel-panel").x() << ","
                << shownGeometry("tarnel-panel").y();
        }
    }
    // And it stays there: nothing places it anew a moment later. Told by what the server reports
    // of the stand-in's windows (each place it is configured or mapped at), not by walking the
    // window tree, whose reads of windows made and destroyed meanwhile say nothing of the screen.
    StandInMoves moves;
    EXPECT_FALSE(QTest::qWaitFor([&] { return !moves.awayFromTopCentre().empty(); }, int(kStandInHold.count())))
        << moves.awayFromTopCentre();
}
