// Windows that are not rectangles: cut to their outlines on a bare desktop, translucent with a
// soft edge under a compositor, made anew when the compositor comes or goes, and their rims
// painted against their own surface.
#include "shell/MenuBarPopover.h"
#include "shell/NotchPanelGeometry.h"
#include "shell/PanelHarness.h"
#include "shell/TarnelPanel.h"
#include "ui/quickaccess/QuickAccessView.h"
#include "ui/style/PanelMotion.h"
#include "ui/style/PanelStyle.h"
#include "ui/tools/ScreenshotTextSheet.h"

#include <QBuffer>
#include <QImage>
#include <QJsonObject>
#include <QLinearGradient>
#include <QPainter>
#include <QPointer>
#include <QSignalSpy>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

const QRect kWindow(100, 120, 200, 100);
constexpr qreal kRadius = 15;
const QColor kSurface(19, 22, 27);

// Paints what a hosted view paints: a rounded card, antialiased, nothing around it.
class CardView : public QWidget {
protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        PanelStyle::fillRounded(painter, rect(), kRadius, kSurface);
    }
};

bool shownOnScreen(QWidget &window)
{
    return QTest::qWaitForWindowExposed(&window);
}

} // namespace

TEST(ShapedWindow, FollowsTheCompositorWithTheWindowOfTheRightKindInPlace)
{
    FakeDesktopCompositor compositor(false);
    TarnelPanel window;
    window.setGeometry(kWindow);
    window.setRoundedOutline(kRadius);
    window.followDesktop(&compositor);
    window.show();
    ASSERT_TRUE(shownOnScreen(window));
    const QRegion outline = roundedRegion(QRect(QPoint(), kWindow.size()), kRadius);
    ASSERT_FALSE(outline.contains(QPoint(0, 0)));
    ASSERT_TRUE(outline.contains(QPoint(kRadius, 0)));

    EXPECT_FALSE(window.isTranslucent());
    EXPECT_EQ(window.mask(), outline) << "a bare desktop shows exactly the outline";

    QSignalSpy remade(&window, &TarnelPanel::remade);
    // Watched rather than compared by address: a new window may take the old one's memory.
    const QPointer<QWindow> before = window.windowHandle();
    compositor.setRunning(true);
    EXPECT_TRUE(window.isTranslucent());
    EXPECT_EQ(remade.count(), 1);
    EXPECT_TRUE(before.isNull()) << "a window's depth is fixed when it is made";
    EXPECT_EQ(window.windowHandle()->requestedFormat().alphaBufferSize(), 8);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.geometry(), kWindow);
    // The soft rim keeps the pixels it only touches, within the window.
    EXPECT_EQ(window.mask(), withSoftEdge(outline) & QRect(QPoint(), kWindow.size()));
    EXPECT_FALSE((window.mask() - outline).isEmpty());
    EXPECT_FALSE(window.mask().contains(QPoint(0, 0)));

    compositor.setRunning(false);
    EXPECT_FALSE(window.isTranslucent());
    EXPECT_FALSE(window.testAttribute(Qt::WA_NoSystemBackground)) << "an opaque window paints its ground again";
    EXPECT_EQ(remade.count(), 2);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.mask(), outline);

    // A hidden window is simply of the right kind when it shows next.
    window.hide();
    compositor.setRunning(true);
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(window.isTranslucent());
    EXPECT_EQ(remade.count(), 3);
    window.resize(kWindow.width(), 2 * kWindow.height());
    window.show();
    EXPECT_EQ(window.windowHandle()->requestedFormat().alphaBufferSize(), 8);
    EXPECT_EQ(window.mask(), withSoftEdge(roundedRegion(QRect(0, 0, kWindow.width(), 2 * kWindow.height()), kRadius)) & QRect(0, 0, kWindow.width(), 2 * kWindow.height()))
        << "the rounded outline follows the size";
}

TEST(ShapedWindow, TheRimIsPaintedAgainstTheSurfaceNeverAgainstALightGround)
{
    TarnelPanel window;
    window.setPalette(QPalette(QColor(239, 239, 239)));
    window.setGeometry(kWindow);
    window.setRoundedOutline(kRadius);
    window.setContent(new CardView);
    window.setSurface(kSurface);
    window.followDesktop(nullptr);
    window.show();
    ASSERT_TRUE(shownOnScreen(window));
    const QImage shot = window.grab().toImage();
    // Every pixel the window shows, the half-covered ones of the rounded corners included.
    int light = 0;
    for (const QRect &rect : window.mask())
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            for (int x = rect.left(); x <= rect.right(); ++x)
                light += qGray(shot.pixel(x, y)) > 60;
    EXPECT_EQ(light, 0);
}

TEST(ShapedWindow, AGradientSurfaceFollowsEveryNewSurfaceAndSize)
{
    // The panel keeps its gradient as a picture; one left from an earlier surface or size would
    // show the old colours or leave the grown part unpainted.
    TarnelPanel window;
    window.setGeometry(kWindow);
    window.followDesktop(nullptr);
    const auto gradient = [](const QSize &size, const QColor &from, const QColor &to) {
        QLinearGradient brush(QPointF(0, 0), QPointF(size.width(), 0));
        brush.setColorAt(0, from);
        brush.setColorAt(1, to);
        return QBrush(brush);
    };
    const auto colourAt = [&window](int x) { return QColor(window.grab().toImage().pixel(x, 10)); };
    window.setSurface(gradient(kWindow.size(), Qt::black, Qt::white));
    window.show();
    ASSERT_TRUE(shownOnScreen(window));
    EXPECT_LT(colourAt(1).lightness(), 20);
    EXPECT_GT(colourAt(kWindow.width() - 2).lightness(), 235);

    window.setSurface(gradient(kWindow.size(), Qt::white, Qt::black));
    EXPECT_GT(colourAt(1).lightness(), 235);
    EXPECT_LT(colourAt(kWindow.width() - 2).lightness(), 20);

    window.resize(kWindow.width() * 2, kWindow.height());
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.width() == kWindow.width() * 2; }));
    // The brush still ends at the old width; beyond it the gradient pads with its last colour.
    EXPECT_LT(colourAt(kWindow.width() * 2 - 2).lightness(), 20);
    EXPECT_GT(colourAt(1).lightness(), 235);
}

TEST(ShapedWindow, ThePopoverStaysOpenWhileItIsMadeAnew)
{
    FakeDesktopCompositor compositor(false);
    MenuBarPopover popover;
    popover.followDesktop(&compositor);
    QSignalSpy closed(&popover, &MenuBarPopover::closed);
    popover.showBelow(QRect(600, 0, 20, 20), QSize(350, 240));
    ASSERT_TRUE(shownOnScreen(popover));
    EXPECT_EQ(popover.mask(), roundedRegion(QRect(0, 0, 350, 240), QuickAccessView::kCornerRadius));

    compositor.setRunning(true);
    EXPECT_TRUE(popover.isVisible());
    EXPECT_TRUE(closed.isEmpty()) << "making it anew is no closing";
    popover.performClose();
    EXPECT_EQ(closed.count(), 1);
}

TEST(ShapedWindow, ThePanelKeepsToTheNotchAndToQuickAccessFrameInEveryState)
{
    PanelHarness h(QJsonObject{{QStringLiteral("tarnel.onboardingComplete"), true}});
    h.controller->show();
    // The window is the notch, no more: a compositor's shadow follows the window's rectangle.
    const QRegion collapsed = NotchPanelGeometry::notchRegion(h.controller->drawnNotchSize(), h.frame().width());
    const QRect notch = collapsed.boundingRect();
    EXPECT_EQ(h.panel().geometry(), notch.translated(h.frame().topLeft()));
    EXPECT_EQ(h.panel().mask(), collapsed.translated(-notch.topLeft()));
    EXPECT_EQ(h.panel().mask().boundingRect().size(), QSize(96, 40));
    EXPECT_EQ(h.panel().content()->geometry(), QRect(-notch.topLeft(), h.frame().size())) << "the view laid out in the frame";
    h.model.setCopiedNotice(true);
    EXPECT_EQ(h.panel().mask().boundingRect().size(), QSize(160, 40)) << "the copied notice's width";
    EXPECT_EQ(h.panel().size(), QSize(160, 40));
    h.model.setCopiedNotice(false);
    EXPECT_EQ(h.panel().mask(), collapsed.translated(-notch.topLeft()));

    h.moveTo(h.notchCentre());
    EXPECT_EQ(h.panel().mask().boundingRect().width(), 450) << "widened with the pointer";
    EXPECT_EQ(h.panel().width(), 450);

    h.moveTo(QPoint(5, 900));
    h.waitForLook(false, false);
    h.model.items = 4;
    h.controller->openQuickAccess(false);
    const QRect centre(QPoint(), h.frame().size());
    EXPECT_EQ(h.panel().mask(), roundedRegion(centre, QuickAccessView::kCornerRadius)) << "Quick Access's rounded frame";
    EXPECT_EQ(h.panel().geometry(), h.frame()) << "and its window";
    EXPECT_EQ(h.panel().surface().color(), PanelStyle::colors(PanelStyle::Scheme::Dark).quickAccessBackground);

    // A compositor starting now makes Quick Access translucent where it is.
    h.compositor.setRunning(true);
    EXPECT_TRUE(h.panel().isTranslucent());
    EXPECT_EQ(h.frame().size(), centre.size());
    EXPECT_TRUE(h.panel().isVisible());
    EXPECT_EQ(h.traits.offTaskbar.count(h.controller->panel()), 2) << "the new window is an accessory too";
    EXPECT_EQ(h.traits.pictureInPlace.count(h.controller->panel()), 2) << "and keeps its picture in place as it moves";

    h.controller->dismissQuickAccess();
    const QRegion soft = withSoftEdge(collapsed) & QRect(QPoint(), h.frame().size());
    EXPECT_EQ(h.panel().mask(), soft.translated(-soft.boundingRect().topLeft())) << "back under the notch";
    EXPECT_EQ(h.panel().geometry(), soft.boundingRect().translated(h.frame().topLeft())) << "with its soft rim";
}

TEST(ShapedWindow, TheTextSheetIsCutToItsRoundedCardWithoutACompositor)
{
    PanelHarness h(QJsonObject{{QStringLiteral("tarnel.onboardingComplete"), true}});
    ClipboardEntry entry;
    entry.id = ClipboardEntry::newID();
    entry.kind = ClipboardKind::Image;
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::white);
    entry.imageData = [&] {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return bytes;
    }();
    h.controller->openScreenshotAction(entry, true);
    auto *sheet = qobject_cast<TarnelPanel *>(h.controller->screenshotActionWindow());
    ASSERT_TRUE(sheet);
    EXPECT_FALSE(sheet->isTranslucent()) << "a translucent window without a compositor shows black corners";
    EXPECT_EQ(sheet->mask(), roundedRegion(QRect(QPoint(), sheet->size()), ScreenshotTextSheet::kRadius));

    h.compositor.setRunning(true);
    EXPECT_TRUE(sheet->isTranslucent());
    EXPECT_TRUE(sheet->isVisible());
    sheet->close();
}

TEST(ShapedWindow, WhileTheNotchUnfoldsOrFoldsItsWindowKeepsTheLargerEndAndFitsTheOutlineAtRest)
{
    // Real animations, on the clock of the test: a window resized on every frame would be
    // given a new picture by a compositor on every frame, and one left large would cast its
    // shadow around the notch.
    using namespace std::chrono_literals;
    PanelMotion::ScopedFactor motion(1);
    NotchHoverTimings timings = shortHoverTimings();
    timings.widenAnimation = 120ms;
    timings.narrowAnimation = 120ms;
    PanelHarness h(QJsonObject{{QStringLiteral("tarnel.onboardingComplete"), true}}, timings);
    h.controller->show();
    const QRect notch = NotchPanelGeometry::notchRegion(PanelMetrics::compactSize, h.frame().width()).boundingRect();
    ASSERT_EQ(h.panel().geometry(), notch.translated(h.frame().topLeft()));
    const auto drawn = [&h] { return h.panel().mask().boundingRect().size(); };

    h.controller->toggleExpanded();
    EXPECT_EQ(h.panel().geometry(), h.frame()) << "the open end at once";
    ASSERT_TRUE(QTest::qWaitFor([&] { return drawn() == QSize(450, 460); }));
    EXPECT_EQ(h.panel().geometry(), h.frame());

    h.controller->toggleExpanded();
    EXPECT_EQ(h.panel().geometry(), h.frame()) << "folding keeps the open end";
    ASSERT_TRUE(QTest::qWaitFor([&] { return drawn() == QSize(450, 40); }));
    EXPECT_TRUE(QTest::qWaitFor([&] { return h.panel().size() == QSize(450, 40); }, 1000)) << "folded, no larger";

    h.clock.advance(timings.widthCollapseDelay);
    EXPECT_EQ(h.panel().size(), QSize(450, 40)) << "narrowing keeps the wide end";
    ASSERT_TRUE(QTest::qWaitFor([&] { return drawn() == QSize(96, 40); }));
    EXPECT_TRUE(QTest::qWaitFor([&] { return h.panel().geometry() == notch.translated(h.frame().topLeft()); }, 1000))
        << "back to the notch";
}

TEST(ShapedWindow, UnderACompositorTheMovingOutlineKeepsTheWholeWindowAsShapeAndTakesThePointerWithinItself)
{
    // A compositor that reads a window's shape only when the window is configured holds the
    // shape of the moment the window took its extent: the whole window, never a smaller one.
    PanelMotion::ScopedFactor motion(1);
    PanelHarness h(QJsonObject{{QStringLiteral("tarnel.onboardingComplete"), true}}, shortHoverTimings());
    h.compositor.setRunning(true);
    h.controller->show();
    ASSERT_TRUE(h.panel().isTranslucent());
    const auto pointerRegion = [&h]() -> QRegion {
        for (const auto &[window, region] : h.traits.pointerRegions)
            if (window == &h.panel())
                return region;
        return {};
    };

    h.controller->toggleExpanded();
    const QRect whole(QPoint(), h.frame().size());
    EXPECT_EQ(h.panel().mask(), QRegion(whole)) << "while the outline unfolds";
    EXPECT_FALSE(pointerRegion().isEmpty());
    EXPECT_NE(pointerRegion(), QRegion(whole)) << "the pointer is taken within the outline only";
    ASSERT_TRUE(QTest::qWaitFor([&] { return h.panel().mask() != QRegion(whole); })) << "at rest";
    EXPECT_EQ(h.panel().mask(), withSoftEdge(NotchPanelGeometry::notchRegion(PanelMetrics::expandedSize, whole.width())) & whole);
    EXPECT_TRUE(pointerRegion().isEmpty()) << "the shape takes the pointer again";
}

// A window of the program standing over this one is cut out of it, on a bare desktop and under a
// compositor alike (kwin's draws every window beside the manager over every window it manages);
// wholly covered, the window keeps a shape that is not the whole window, and it is whole again
// once nothing covers it.
TEST(ShapedWindow, WhatStandsOverTheWindowIsCutOutOfItUntilItGoes)
{
    for (const bool composited : {false, true}) {
        SCOPED_TRACE(composited ? "under a compositor" : "on a bare desktop");
        FakeDesktopCompositor compositor(composited);
        TarnelPanel window;
        window.setGeometry(kWindow);
        window.setRoundedOutline(kRadius);
        window.followDesktop(&compositor);
        window.show();
        ASSERT_TRUE(shownOnScreen(window));
        const QRegion uncovered = window.mask();
        const QPoint left(50, 50), right(150, 50);
        ASSERT_TRUE(uncovered.contains(left) && uncovered.contains(right));

        // Over its right half, in the screen's coordinates.
        window.setCoveredRegion(QRect(kWindow.left() + 100, 0, 500, 1000));
        EXPECT_FALSE(window.mask().contains(right));
        EXPECT_TRUE(window.mask().contains(left));

        window.setCoveredRegion(QRect(0, 0, 2000, 2000));
        EXPECT_FALSE(window.mask().isEmpty()) << "an empty mask would show the whole window";
        EXPECT_FALSE(window.mask().contains(left));

        window.setCoveredRegion({});
        EXPECT_EQ(window.mask(), uncovered);
    }
}
