// Tarnel's windows that are not rectangles, as a user sees them over another application: the
// notch collapsed and open, Quick Access at the centre and in its popover, and the screenshot
// toast each show the window beneath everywhere outside their outlines, and clicks there reach
// it, on a bare desktop and under a compositing manager; the windows follow the compositor
// starting and stopping while Tarnel runs. The screen is read as the server holds it and, on a
// bare desktop, as a capture tool composes it from the windows: both must show the window
// beneath, whether it was there before Tarnel or came and moved under the notch afterwards.
// While the notch opens and closes, no picture of the screen shows the window beneath in its place.
#include "core/ClipboardEntry.h"
#include "core/TarnelNotchShape.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QElapsedTimer>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainterPath>
#include <QProcess>

#include <algorithm>
#include <functional>
#include <iostream>

#include "ScreenReading.h"

using namespace x11test;

namespace {

const QRect kPanelFrame(735, 0, 450, 460);
const QSizeF kCollapsed(96, 40);
constexpr qreal kQuickAccessRadius = 15;
constexpr qreal kToastRadius = 14;
constexpr QPoint kAway{300, 1000};

// An outline on the screen and how to check it against the screen.
struct Outline {
    QPainterPath path; // in screen coordinates
    QRect frame;       // the window that draws it

    static Outline notch(const QSizeF &size)
    {
        const QRectF rect(kPanelFrame.x() + (kPanelFrame.width() - size.width()) / 2.0, 0, size.width(), size.height());
        return {TarnelNotchShape().path(rect), kPanelFrame};
    }
    static Outline rounded(const QRect &frame, qreal radius)
    {
        QPainterPath path;
        path.addRoundedRect(QRectF(frame), radius, radius);
        return {path, frame};
    }

    // Pixels of the window that the outline does not touch at all, with half a pixel to spare:
    // every pixel near the outline's curves, and a sparse grid over the rest of the window.
    std::vector<QPoint> outsidePixels() const
    {
        std::vector<QPoint> pixels;
        const QRectF bounds = path.boundingRect();
        for (int y = frame.top(); y <= frame.bottom(); ++y) {
            for (int x = frame.left(); x <= frame.right(); ++x) {
                const QRectF square(x - 0.5, y - 0.5, 2, 2);
                const bool nearEdge = square.intersects(bounds) && !bounds.adjusted(24, 0, -24, -24).contains(square);
                if (!nearEdge && (x % 7 || y % 7))
                    continue;
                if (!path.intersects(square))
                    pixels.push_back({x, y});
            }
        }
        return pixels;
    }
    // A few pixels well inside the outline.
    std::vector<QPoint> insidePixels() const
    {
        const QRectF bounds = path.boundingRect();
        const QPointF centre = bounds.center();
        return {centre.toPoint(), QPointF(centre.x(), bounds.top() + 4).toPoint(),
                QPointF(bounds.left() + bounds.width() / 4, centre.y()).toPoint()};
    }
    // The outside pixel nearest to the bottom-left corner, where the rounding cuts deepest.
    QPoint bottomLeftCorner() const
    {
        const QPoint corner(int(path.boundingRect().left()), int(path.boundingRect().bottom()) - 1);
        return corner;
    }
};

// What is wrong with one read of the screen for this outline, empty when nothing is: outside
// it the screen must read as it did before Tarnel drew anything there, inside it Tarnel must
// have drawn.
QString mismatchIn(const QImage &now, const Outline &outline, const QImage &before)
{
    if (now.size() != before.size())
        return QStringLiteral("the screen could not be read");
    int wrong = 0;
    QPoint first;
    for (const QPoint &p : outline.outsidePixels()) {
        if (now.pixel(p) != before.pixel(p) && wrong++ == 0)
            first = p;
    }
    if (wrong)
        return QStringLiteral("%1 pixels outside the outline changed, first at %2,%3: #%4 instead of #%5")
            .arg(wrong)
            .arg(first.x())
            .arg(first.y())
            .arg(now.pixel(first) & 0xffffff, 6, 16, QLatin1Char('0'))
            .arg(before.pixel(first) & 0xffffff, 6, 16, QLatin1Char('0'));
    for (const QPoint &p : outline.insidePixels()) {
        if (now.pixel(p) == before.pixel(p))
            return QStringLiteral("nothing drawn inside the outline at %1,%2").arg(p.x()).arg(p.y());
    }
    return {};
}

// The server's picture, and on a bare desktop also a capture tool's.
QString mismatch(const Outline &outline, const QImage &before)
{
    const QString held = mismatchIn(framebufferImage(), outline, before);
    if (!held.isEmpty() || Compositor::isRunning())
        return held;
    const QString captured = mismatchIn(capturedImage(), outline, before);
    return captured.isEmpty() ? QString() : QStringLiteral("captured: ") + captured;
}

// Waits until the screen shows the outline as it should; the last mismatch otherwise.
std::string waitForOutline(const Outline &outline, const QImage &before, int ms = 5000)
{
    QString last;
    (void)QTest::qWaitFor([&] {
        last = mismatch(outline, before);
        return last.isEmpty();
    }, ms);
    return last.toStdString();
}

bool clickReaches(const Fixture &below, QPoint p)
{
    clickAt(p);
    const QByteArray logged = QByteArray::number(p.x()) + ' ' + QByteArray::number(p.y());
    return QTest::qWaitFor([&] { return below.clicks().contains(logged); });
}

int windowDepth(Window window)
{
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display(), window, &attributes) ? attributes.depth : 0;
}

// Reads of the screen (within `area`, when given) in a row that must agree before it counts as
// settled: a window still being drawn differs from one read to the next.
constexpr int kSettledReads = 3;

// Waits until the screen has settled and puts the settled picture in `settled`.
bool settledScreen(QImage *settled, const QRect &area = {})
{
    QImage previous;
    int agreeing = 0;
    return QTest::qWaitFor([&] {
        const QImage read = area.isNull() ? framebufferImage() : framebufferImage().copy(area);
        agreeing = !read.isNull() && read == previous ? agreeing + 1 : 0;
        previous = read;
        *settled = read;
        return agreeing + 1 >= kSettledReads;
    });
}

// The fixture over the whole screen, active, and the screen read before Tarnel draws on it.
struct Desktop {
    Fixture below{QStringLiteral("Below"), {}, QStringLiteral("1920x1080+0+0")};
    QImage before;
    bool ready = false;

    Desktop()
    {
        movePointer(kAway);
        ready = below.waitForKeyboard() && settledScreen(&before);
    }
};

// The notch collapsed and open, then Quick Access at the centre, checked on the screen.
void checkPanelStates(Desktop &desktop, Program &tarnel)
{
    const std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel) << tarnel.errorOutput().constData();

    const Outline collapsed = Outline::notch(kCollapsed);
    EXPECT_EQ(waitForOutline(collapsed, desktop.before), "") << "collapsed notch";
    EXPECT_TRUE(clickReaches(desktop.below, collapsed.bottomLeftCorner() + QPoint(0, 1)))
        << "beside the collapsed notch" << desktop.below.clicks().constData();

    movePointer({960, 10});
    const Outline open = Outline::notch(kPanelFrame.size());
    EXPECT_EQ(waitForOutline(open, desktop.before), "") << "open panel";
    // Its rounded bottom corner: the pointer stays within the panel's frame.
    EXPECT_TRUE(clickReaches(desktop.below, open.bottomLeftCorner())) << desktop.below.clicks().constData();

    movePointer(kAway);
    EXPECT_EQ(waitForOutline(collapsed, desktop.before), "") << "collapsed again";

    xdotool({"key", "shift+super+v"});
    // Centred on the screen, as wide as Quick Access.
    QRect quickAccess;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        const auto shown = shownWithRole("tarnel-panel");
        quickAccess = shown.size() == 1 ? geometry(shown.front()) : QRect();
        return quickAccess.width() == 350 && quickAccess.center().y() >= 530;
    })) << tarnel.errorOutput().constData();
    const Outline frame = Outline::rounded(quickAccess, kQuickAccessRadius);
    EXPECT_EQ(waitForOutline(frame, desktop.before), "") << "Quick Access";
    EXPECT_TRUE(clickReaches(desktop.below, quickAccess.topLeft())) << "its corner" << desktop.below.clicks().constData();
}

QByteArray screenshotPng()
{
    QImage image(400, 300, QImage::Format_RGB32);
    image.fill(qRgb(40, 120, 200));
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return out;
}

// The toast of a new screenshot and the popover (menu-bar mode, no tray host), checked on the
// screen.
void checkMenuBarWindows(Desktop &desktop)
{
    QTemporaryDir shots;
    writeSettings(settingsWithHistory(1, {{"tarnel.presentationMode", "menuBar"}, {"tarnel.screenshotFolderPath", shots.path()}}));
    Program tarnel(tarnelBinary());
    // The folder is watched from before the panel shows.
    ASSERT_TRUE(waitForPanel()) << tarnel.errorOutput().constData();
    QSaveFile file(shots.filePath(QStringLiteral("Screenshot from 2026-12-07 06-00-00.png")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(screenshotPng());
    ASSERT_TRUE(file.commit());

    std::optional<Window> toast;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        const auto shown = shownWithRole("tarnel-toast");
        if (!shown.empty())
            toast = shown.front();
        return toast.has_value();
    }, 15000)) << tarnel.errorOutput().constData();
    const QRect frame(1580, 20, 320, 124);
    ASSERT_TRUE(QTest::qWaitFor([&] { return geometry(*toast) == frame; })) << geometry(*toast).x();
    const Outline card = Outline::rounded(frame, kToastRadius);
    EXPECT_EQ(waitForOutline(card, desktop.before), "") << "toast";
    EXPECT_TRUE(clickReaches(desktop.below, frame.bottomRight())) << "its corner" << desktop.below.clicks().constData();

    // Quick Access of menu-bar mode, in its popover.
    xdotool({"key", "shift+super+v"});
    QRect popover;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        const auto shown = shownWithRole("tarnel-popover");
        popover = shown.empty() ? QRect() : geometry(shown.front());
        return popover.width() == 350;
    })) << tarnel.errorOutput().constData();
    EXPECT_EQ(waitForOutline(Outline::rounded(popover, kQuickAccessRadius), desktop.before), "") << "popover";
}

} // namespace

TEST(ShapedWindows, OnABareDesktopOnlyTheOutlinesAreOnScreenAndTakeClicks)
{
    ASSERT_FALSE(Compositor::isRunning());
    writeSettings(settingsWithHistory(3));
    Desktop desktop;
    ASSERT_TRUE(desktop.ready);
    {
        Program tarnel(tarnelBinary());
        checkPanelStates(desktop, tarnel);
        const auto panel = shownWithRole("tarnel-panel");
        ASSERT_EQ(panel.size(), 1u);
        EXPECT_EQ(windowDepth(panel.front()), 24) << "nothing to blend with";
    }
    checkMenuBarWindows(desktop);
}

namespace {

// The pixels of a part of the screen as the server holds them now: one small read, quick enough
// to be made again and again while the panel moves.
QImage framebufferPart(const QRect &area)
{
    XImage *shot = XGetImage(display(), DefaultRootWindow(display()), area.x(), area.y(), unsigned(area.width()),
                             unsigned(area.height()), AllPlanes, ZPixmap);
    if (!shot)
        return {};
    QImage image(area.size(), QImage::Format_RGB32);
    for (int y = 0; y < area.height(); ++y)
        for (int x = 0; x < area.width(); ++x)
            image.setPixel(x, y, QRgb(XGetPixel(shot, x, y)) | 0xff000000u);
    XDestroyImage(shot);
    return image;
}

// Moves the pointer to `to` while reading the screen under the resting notch over and over,
// until the panel `arrived` and half a second has passed; the first read in which the screen
// beneath shows through, empty when every read showed the notch. The notch outline of every
// moment covers the resting one, and the notch draws its own dark surface there: a read where a
// fair part of it holds the screen beneath is a frame without the notch.
std::string readsWithoutTheNotchWhileMoving(QPoint to, const std::function<bool()> &arrived, const QImage &before)
{
    const Outline collapsed = Outline::notch(kCollapsed);
    const QRect area = collapsed.path.boundingRect().toAlignedRect();
    std::vector<QPoint> inside;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (collapsed.path.contains(QRectF(x - 1.5, y - 1.5, 4, 4)))
                inside.push_back({x, y});
    const QImage beneath = before.copy(area);
    constexpr int kShowingThroughShare = 10; // percent of the points inside the resting notch
    constexpr qint64 kWatched = 500;         // ms at least, the pointer's move included
    constexpr qint64 kGiveUp = 8000;         // ms at most, however busy the machine

    QProcess mover;
    mover.start(QStringLiteral("xdotool"), {"mousemove", QString::number(to.x()), QString::number(to.y())});
    QElapsedTimer clock;
    clock.start();
    int reads = 0;
    bool done = false;
    std::string fault;
    while (!done && fault.empty() && clock.elapsed() < kGiveUp) {
        const QImage read = framebufferPart(area);
        const qint64 at = clock.elapsed();
        ++reads;
        const auto showing = std::count_if(inside.begin(), inside.end(), [&](const QPoint &p) {
            const QPoint local = p - area.topLeft();
            return read.pixel(local) == beneath.pixel(local);
        });
        if (showing * 100 > qsizetype(inside.size()) * kShowingThroughShare)
            fault = QStringLiteral("read %1, %2 ms after the pointer set off: %3 of %4 points under the notch show "
                                   "the screen beneath")
                        .arg(reads)
                        .arg(at)
                        .arg(showing)
                        .arg(inside.size())
                        .toStdString();
        done = at > kWatched && arrived();
    }
    mover.waitForFinished();
    std::cout << "[ notch    ] " << reads << " reads in " << clock.elapsed() << " ms\n";
    if (!fault.empty())
        return fault;
    return done ? std::string() : std::string("the panel did not get there");
}

} // namespace

TEST(ShapedWindows, OnABareDesktopEveryFrameOfAHoverShowsTheNotch)
{
    ASSERT_FALSE(Compositor::isRunning());
    writeSettings(settingsWithHistory(3));
    Desktop desktop;
    ASSERT_TRUE(desktop.ready);
    Program tarnel(tarnelBinary());
    const std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel) << tarnel.errorOutput().constData();
    const Outline collapsed = Outline::notch(kCollapsed);
    const auto open = [&] { return drawnExtents(*panel).size() == kPanelFrame.size(); };
    const auto atRest = [&] {
        return geometry(*panel) == QRect(912, 0, 96, 40) && drawnExtents(*panel).size() == kCollapsed.toSize();
    };
    constexpr int kHovers = 3;
    for (int hover = 0; hover < kHovers; ++hover) {
        ASSERT_EQ(waitForOutline(collapsed, desktop.before), "") << "at rest before hover " << hover;
        EXPECT_EQ(readsWithoutTheNotchWhileMoving({960, 10}, open, desktop.before), "") << "opening, hover " << hover;
        EXPECT_EQ(readsWithoutTheNotchWhileMoving(kAway, atRest, desktop.before), "") << "closing, hover " << hover;
    }
}

// A window opened after Tarnel and moved under the notch, checked with the pointer resting
// in several places and after a hover.
static void checkWindowMovedUnderTheNotch()
{
    writeSettings(settingsWithHistory(3));
    movePointer(kAway);
    Program tarnel(tarnelBinary());
    ASSERT_TRUE(waitForPanel()) << tarnel.errorOutput().constData();

    // Opened away from the notch, and looked at there.
    Fixture later(QStringLiteral("Later"), {}, QStringLiteral("600x500+1200+500"));
    ASSERT_TRUE(later.waitForKeyboard());
    const std::optional<Window> window = later.shownWindow();
    ASSERT_TRUE(window);
    QRect place = geometry(*window);
    QImage look;
    ASSERT_TRUE(settledScreen(&look, place));

    // Then moved under the notch's frame, where the panel's window lies across it.
    const QPoint under(kPanelFrame.x() + 40, 60);
    xdotool({"windowmove", QString::number(*window), QString::number(under.x()), QString::number(under.y())});
    ASSERT_TRUE(QTest::qWaitFor([&] {
        place = geometry(*window);
        return place.intersects(kPanelFrame) && place.top() > 20;
    })) << geometry(*window).x() << "," << geometry(*window).y();

    // What the screen must show outside the outlines: the window as it looked away from them.
    // Inside them the panel draws, so nothing there may read as a colour it never uses.
    QImage expected = framebufferImage();
    const auto expectedFor = [&](const Outline &outline) {
        QImage image = expected;
        QPainter painter(&image);
        painter.drawImage(place.topLeft(), look);
        painter.fillPath(outline.path, QColor(Qt::magenta));
        return image;
    };
    const Outline collapsed = Outline::notch(kCollapsed);
    for (const QPoint pointer : {kAway, QPoint(800, 300), QPoint(1100, 420), QPoint(960, 45)}) {
        movePointer(pointer);
        EXPECT_EQ(waitForOutline(collapsed, expectedFor(collapsed)), "") << "pointer at " << pointer.x() << "," << pointer.y();
    }

    // Opened by a hover and closed again.
    movePointer({960, 10});
    const Outline open = Outline::notch(kPanelFrame.size());
    EXPECT_EQ(waitForOutline(open, expectedFor(open)), "") << "open panel";
    movePointer(kAway);
    EXPECT_EQ(waitForOutline(collapsed, expectedFor(collapsed)), "") << "closed again";
    movePointer(QPoint(800, 300));
    EXPECT_EQ(waitForOutline(collapsed, expectedFor(collapsed)), "") << "closed, the pointer resting beside the notch";
}

TEST(ShapedWindows, AWindowOpenedAfterTarnelAndMovedUnderTheNotchShowsWhereverThePointerRests)
{
    ASSERT_FALSE(Compositor::isRunning());
    checkWindowMovedUnderTheNotch();
}

TEST(ShapedWindows, UnderACompositorAWindowMovedUnderTheNotchShows)
{
    Compositor compositor;
    ASSERT_TRUE(compositor.isReady());
    checkWindowMovedUnderTheNotch();
}

TEST(ShapedWindows, UnderACompositorTheWindowsAreTranslucentAndOnlyTheOutlinesShow)
{
    Compositor compositor;
    ASSERT_TRUE(compositor.isReady());
    writeSettings(settingsWithHistory(3));
    Desktop desktop;
    ASSERT_TRUE(desktop.ready);
    {
        Program tarnel(tarnelBinary());
        checkPanelStates(desktop, tarnel);
        const auto panel = shownWithRole("tarnel-panel");
        ASSERT_EQ(panel.size(), 1u);
        EXPECT_EQ(windowDepth(panel.front()), 32);
    }
    checkMenuBarWindows(desktop);
}

TEST(ShapedWindows, FollowTheCompositorStartingAndStoppingWhileTarnelRuns)
{
    // What the desktop looks like without Tarnel, with and without a compositor (which paints
    // the bare root in its own colour).
    writeSettings(settingsWithHistory(3));
    Desktop plain;
    ASSERT_TRUE(plain.ready);
    QImage composited;
    {
        Compositor compositor;
        ASSERT_TRUE(compositor.isReady());
        // Painted over by the compositor, and settled: two reads in a row agree.
        ASSERT_TRUE(QTest::qWaitFor([&] {
            const QImage previous = std::exchange(composited, framebufferImage());
            return composited != plain.before && composited == previous;
        })) << "the compositor painted the desktop";
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return framebufferImage() == plain.before; })) << "the bare desktop is back";

    Program tarnel(tarnelBinary());
    std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel) << tarnel.errorOutput().constData();
    const Outline collapsed = Outline::notch(kCollapsed);
    EXPECT_EQ(waitForOutline(collapsed, plain.before), "");
    EXPECT_EQ(windowDepth(*panel), 24);

    for (int round = 0; round < 2; ++round) {
        Compositor compositor;
        ASSERT_TRUE(compositor.isReady());
        ASSERT_TRUE(QTest::qWaitFor([&] {
            const auto shown = shownWithRole("tarnel-panel");
            return shown.size() == 1 && windowDepth(shown.front()) == 32;
        })) << "made translucent, round " << round;
        EXPECT_EQ(waitForOutline(collapsed, composited), "") << "with the compositor, round " << round;
        // The shape keeps the pixels that the soft rim only touches, and the window no more.
        EXPECT_EQ(drawnExtents(shownWithRole("tarnel-panel").front()), QRect(0, 0, 98, 41));
        EXPECT_EQ(geometry(shownWithRole("tarnel-panel").front()), QRect(911, 0, 98, 41));

        ASSERT_TRUE(compositor.stop());
        ASSERT_TRUE(QTest::qWaitFor([&] {
            const auto shown = shownWithRole("tarnel-panel");
            return shown.size() == 1 && windowDepth(shown.front()) == 24;
        })) << "made opaque, round " << round;
        EXPECT_EQ(waitForOutline(collapsed, plain.before), "") << "without, round " << round;
        panel = shownWithRole("tarnel-panel").front();
        EXPECT_EQ(drawnExtents(*panel), QRect(0, 0, 96, 40)) << "cut to the notch again";
        EXPECT_EQ(geometry(*panel), QRect(912, 0, 96, 40));
        EXPECT_TRUE(bypassesWindowManager(*panel) || hasAtom(*panel, "_NET_WM_STATE", "_NET_WM_STATE_SKIP_TASKBAR"))
            << "still an accessory";
    }

    // Still the same panel to the user: it opens on hover and clicks beside it reach the fixture.
    movePointer({960, 10});
    EXPECT_EQ(waitForOutline(Outline::notch(kPanelFrame.size()), plain.before), "");
    EXPECT_TRUE(clickReaches(plain.below, {1300, 700}));
}
