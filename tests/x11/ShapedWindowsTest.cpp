// Tarnel's windows that are not rectangles, as a user sees them over another application: the
// notch collapsed and open, Quick Access at the centre and in its popover, and the screenshot
// toast each show the window beneath everywhere outside their outlines, and clicks there reach
// it, on a bare desktop and under a compositing manager; the windows follow the compositor
// starting and stopping while Tarnel runs.
#include "core/ClipboardEntry.h"
#include "core/TarnelNotchShape.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainterPath>

#include "X11TestSupport.h"

using namespace x11test;

namespace {

const QRect kPanelFrame(735, 0, 450, 460);
const QSizeF kCollapsed(96, 40);
constexpr qreal kQuickAccessRadius = 15;
constexpr qreal kToastRadius = 14;
constexpr QPoint kAway{300, 1000};

// The whole screen as it is now (composited, when a compositor runs).
QImage screenImage()
{
    Display *d = display();
    const Window root = DefaultRootWindow(d);
    XWindowAttributes attributes{};
    XGetWindowAttributes(d, root, &attributes);
    XImage *shot = XGetImage(d, root, 0, 0, unsigned(attributes.width), unsigned(attributes.height), AllPlanes, ZPixmap);
    if (!shot)
        return {};
    QImage image(attributes.width, attributes.height, QImage::Format_RGB32);
    for (int y = 0; y < attributes.height; ++y)
        for (int x = 0; x < attributes.width; ++x)
            image.setPixel(x, y, QRgb(XGetPixel(shot, x, y)) | 0xff000000u);
    XDestroyImage(shot);
    return image;
}

// A compositing manager, running while this lives.
class Compositor : public Program {
public:
    Compositor() : Program(QStringLiteral("xcompmgr")) { m_ready = QTest::qWaitFor([] { return isRunning(); }); }
    ~Compositor() { stop(); }
    bool isReady() const { return m_ready; }
    static bool isRunning()
    {
        return XGetSelectionOwner(display(), XInternAtom(display(), "_NET_WM_CM_S0", False)) != 0;
    }
    bool stop()
    {
        close();
        return QTest::qWaitFor([] { return !isRunning(); });
    }

private:
    bool m_ready = false;
};

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

// What is wrong with the screen for this outline, empty when nothing is: outside it the screen
// must read as it did before Tarnel drew anything there, inside it Tarnel must have drawn.
QString mismatch(const Outline &outline, const QImage &before)
{
    const QImage now = screenImage();
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

QByteArray settingsWithHistory(int count, const QJsonObject &more = {})
{
    QList<ClipboardEntry> entries;
    for (int i = 0; i < count; ++i) {
        ClipboardEntry entry;
        entry.id = ClipboardEntry::newID();
        entry.text = QStringLiteral("záznam %1").arg(i);
        entry.copiedAt = QDateTime::currentDateTimeUtc();
        entries.append(entry);
    }
    QJsonObject values{{"tarnel.onboardingComplete", true},
                       {"tarnel.history", QJsonObject{{"data", QString::fromLatin1(ClipboardEntry::encodeList(entries).toBase64())}}}};
    for (auto it = more.begin(); it != more.end(); ++it)
        values.insert(it.key(), it.value());
    return QJsonDocument(values).toJson(QJsonDocument::Compact);
}

// The fixture over the whole screen, active, and the screen read before Tarnel draws on it.
struct Desktop {
    Fixture below{QStringLiteral("Below"), {}, QStringLiteral("1920x1080+0+0")};
    QImage before;
    bool ready = false;

    Desktop()
    {
        movePointer(kAway);
        ready = below.waitForKeyboard() && QTest::qWaitFor([this] {
            // Settled: two reads a moment apart agree.
            const QImage first = screenImage();
            QTest::qWait(150);
            before = screenImage();
            return !first.isNull() && first == before;
        });
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
            const QImage previous = std::exchange(composited, screenImage());
            return composited != plain.before && composited == previous;
        })) << "the compositor painted the desktop";
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return screenImage() == plain.before; })) << "the bare desktop is back";

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
        // The shape keeps the pixels that the soft rim only touches.
        EXPECT_EQ(drawnExtents(shownWithRole("tarnel-panel").front()), QRect(176, 0, 98, 41));

        ASSERT_TRUE(compositor.stop());
        ASSERT_TRUE(QTest::qWaitFor([&] {
            const auto shown = shownWithRole("tarnel-panel");
            return shown.size() == 1 && windowDepth(shown.front()) == 24;
        })) << "made opaque, round " << round;
        EXPECT_EQ(waitForOutline(collapsed, plain.before), "") << "without, round " << round;
        panel = shownWithRole("tarnel-panel").front();
        EXPECT_EQ(drawnExtents(*panel), QRect(177, 0, 96, 40)) << "cut to the notch again";
        EXPECT_TRUE(hasAtom(*panel, "_NET_WM_STATE", "_NET_WM_STATE_SKIP_TASKBAR")) << "still an accessory";
    }

    // Still the same panel to the user: it opens on hover and clicks beside it reach the fixture.
    movePointer({960, 10});
    EXPECT_EQ(waitForOutline(Outline::notch(kPanelFrame.size()), plain.before), "");
    EXPECT_TRUE(clickReaches(plain.below, {1300, 700}));
}
