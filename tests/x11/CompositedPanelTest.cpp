// The notch panel drawn whole under every compositing manager a desktop is likely to run: the
// managers that composite themselves (marco, MATE's default; metacity; xfwm4; kwin) and the
// compositors beside a plain manager (picom, xcompmgr). At each size the notch rests at (the
// resting notch, the notch widened by a copy's notice, the open panel with its rows), every point
// inside its outline shows Tarnel's drawing on the screen, none the window beneath.
#include "shell/NotchPanelGeometry.h"
#include "shell/PanelTimings.h"

#include <gtest/gtest.h>

#include <QStandardPaths>

#include <iostream>
#include <memory>

#include "ScreenReading.h"

using namespace x11test;

namespace {

constexpr QPoint kAway{300, 1000};
constexpr QPoint kOverNotch{960, 10};
const QRect kPanelFrame(735, 0, 450, 460);
// Points this close to an outline may blend with what lies beneath (the soft edge).
constexpr int kEdgeMargin = 3;
// Points looked at inside an outline: a grid this fine.
constexpr int kGridStep = 6;
// How long a manager takes to come up and own the compositing selection.
constexpr int kManagerStartMs = 10000;
// How long the screen must show one picture to count as settled: longer than a frame of a fade.
constexpr qint64 kSettledForMs = 200;
// How long an outline may take to be drawn whole once the panel rests at its size.
constexpr int kDrawnWithinMs = 4000;

struct CompositingDesktop {
    const char *name;
    // The window manager that takes over the screen, compositing itself or beside the compositor.
    QString manager;
    QStringList managerArguments;
    // A compositor of its own beside the manager; empty when the manager composites.
    QString compositor;
    QStringList compositorArguments;
    // xfwm4 wants a session bus.
    bool needsSessionBus = false;
};

void PrintTo(const CompositingDesktop &desktop, std::ostream *out) { *out << desktop.name; }

bool compositorRunning() { return Compositor::isRunning(); }

// The window that holds the manager selection: the running window manager's.
Window managerSelectionOwner() { return XGetSelectionOwner(display(), XInternAtom(display(), "WM_S0", False)); }

// A session bus of this test's own, while this lives.
class SessionBus {
public:
    SessionBus()
        : m_address(QStringLiteral("unix:path=") + m_dir.filePath(QStringLiteral("bus")))
        , m_daemon(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--address=" + m_address})
    {
        m_ready = QTest::qWaitFor([this] { return QFile::exists(m_dir.filePath(QStringLiteral("bus"))); });
    }
    bool isReady() const { return m_ready; }
    QProcessEnvironment environment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_address);
        return environment;
    }

private:
    QTemporaryDir m_dir;
    QString m_address;
    Program m_daemon;
    bool m_ready = false;
};

// The points of the screen inside the outline, at least kEdgeMargin from its edge.
std::vector<QPoint> pointsInside(const QRegion &outline)
{
    std::vector<QPoint> points;
    const QRect bounds = outline.boundingRect();
    for (int y = bounds.top() + kEdgeMargin; y <= bounds.bottom() - kEdgeMargin; y += kGridStep)
        for (int x = bounds.left() + kEdgeMargin; x <= bounds.right() - kEdgeMargin; x += kGridStep) {
            const QRect around(x - kEdgeMargin, y - kEdgeMargin, 2 * kEdgeMargin + 1, 2 * kEdgeMargin + 1);
            if (outline.intersected(around) == QRegion(around))
                points.push_back({x, y});
        }
    return points;
}

QRegion notchOutline(QSizeF size)
{
    return NotchPanelGeometry::notchRegion(size, kPanelFrame.width()).translated(kPanelFrame.topLeft());
}

// Waits until every point inside the outline differs from the screen beneath; what still shows
// the window beneath otherwise.
std::string beneathShowsInside(const char *state, const QRegion &outline, const QImage &beneath)
{
    const std::vector<QPoint> points = pointsInside(outline);
    int showing = 0;
    QPoint first;
    const bool drawn = QTest::qWaitFor(
        [&] {
            const QImage screen = framebufferImage();
            showing = 0;
            for (const QPoint &p : points)
                if (screen.pixel(p) == beneath.pixel(p) && showing++ == 0)
                    first = p;
            return showing == 0;
        },
        kDrawnWithinMs);
    std::cout << "[ drawn    ] " << state << ": " << points.size() << " points inside, " << showing
              << " show the window beneath\n";
    if (drawn)
        return {};
    return QStringLiteral("%1: %2 of %3 points inside the outline show the window beneath, first at %4,%5")
        .arg(QLatin1String(state))
        .arg(showing)
        .arg(points.size())
        .arg(first.x())
        .arg(first.y())
        .toStdString();
}

// Waits until reads of the screen agree three times in a row and over kSettledForMs, and gives
// that picture: a compositor that fades a window in (kwin) draws the same frame for a while.
QImage settledScreen()
{
    QImage previous, read;
    int agreeing = 0;
    QElapsedTimer same;
    (void)QTest::qWaitFor([&] {
        read = framebufferImage();
        agreeing = !read.isNull() && read == previous ? agreeing + 1 : 0;
        if (agreeing == 0)
            same.start();
        previous = read;
        return agreeing >= 2 && same.hasExpired(kSettledForMs);
    });
    return read;
}

class CompositedPanel : public testing::TestWithParam<CompositingDesktop> { };

} // namespace

TEST_P(CompositedPanel, EveryRestingSizeIsDrawnWhole)
{
    const CompositingDesktop &desktop = GetParam();
    for (const QString &program : {desktop.manager, desktop.compositor}) {
        if (!program.isEmpty() && QStandardPaths::findExecutable(program).isEmpty())
            GTEST_SKIP() << program.toStdString() << " is not installed";
    }
    std::unique_ptr<SessionBus> bus;
    if (desktop.needsSessionBus) {
        bus = std::make_unique<SessionBus>();
        ASSERT_TRUE(bus->isReady()) << "no session bus";
    }
    // Takes over from whichever manager runs; a compositing one owns the compositing selection.
    const Window before = managerSelectionOwner();
    Program manager(desktop.manager, desktop.managerArguments,
                    bus ? std::optional(bus->environment()) : std::nullopt);
    std::unique_ptr<Compositor> compositor;
    if (!desktop.compositor.isEmpty())
        compositor = std::make_unique<Compositor>(desktop.compositor, desktop.compositorArguments);
    ASSERT_TRUE(QTest::qWaitFor([before] { return managerSelectionOwner() != before && managerSelectionOwner() != 0; },
                                kManagerStartMs))
        << manager.errorOutput().constData();
    ASSERT_TRUE(QTest::qWaitFor(compositorRunning, kManagerStartMs)) << manager.errorOutput().constData();

    writeSettings(settingsWithHistory(3));
    movePointer(kAway);
    // What the screen shows before the window beneath is drawn: a compositor may draw a window
    // only a while after it has the keyboard (kwin starts compositing then).
    const QImage bare = settledScreen();
    Fixture below(QStringLiteral("Below"), QString(), QStringLiteral("1920x1080+0+0"));
    ASSERT_TRUE(below.waitForKeyboard());
    ASSERT_TRUE(QTest::qWaitFor([&] { return framebufferImage() != bare; }, kManagerStartMs)) << "the window beneath is never drawn";
    const QImage beneath = settledScreen();

    Program tarnel(tarnelBinary());
    ASSERT_TRUE(waitForPanel()) << tarnel.errorOutput().constData();
    EXPECT_EQ(beneathShowsInside("resting notch", notchOutline(PanelMetrics::compactSize), beneath), "");

    movePointer(kOverNotch);
    EXPECT_EQ(beneathShowsInside("open panel", notchOutline(PanelMetrics::expandedSize), beneath), "")
        << tarnel.errorOutput().constData();
    movePointer(kAway);
    const QRect rows(kPanelFrame.x() + 20, 100, kPanelFrame.width() - 40, 300);
    ASSERT_TRUE(QTest::qWaitFor([&] { return framebufferImage().copy(rows) == beneath.copy(rows); })) << "the panel closes";
    EXPECT_EQ(beneathShowsInside("notch after the panel closed", notchOutline(PanelMetrics::compactSize), beneath), "");

    // A copy widens the notch for its notice.
    const ClipboardOwner copied(QStringLiteral("skopírované"));
    ASSERT_TRUE(copied.isReady());
    EXPECT_EQ(beneathShowsInside("copied notice", notchOutline({PanelMetrics::copiedNoticeWidth, 40}), beneath), "");
}

INSTANTIATE_TEST_SUITE_P(
    Desktops, CompositedPanel,
    testing::Values(CompositingDesktop{"marco", "marco", {"--replace", "--composite"}, {}, {}},
                    CompositingDesktop{"metacity", "metacity", {"--replace", "--compositor=xrender"}, {}, {}},
                    CompositingDesktop{"xfwm4", "xfwm4", {"--replace", "--compositor=on"}, {}, {}, true},
                    CompositingDesktop{"kwin", "kwin_x11", {"--replace"}, {}, {}},
                    CompositingDesktop{"picom", "openbox", {"--replace"}, "picom", {"--backend", "xrender"}},
                    CompositingDesktop{"xcompmgr", "openbox", {"--replace"}, "xcompmgr", {}}),
    [](const testing::TestParamInfo<CompositingDesktop> &desktop) { return std::string(desktop.param.name); });
