#include "core/NotchHitRegion.h"
#include "core/TarnelNotchShape.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(TarnelNotchShape, CornerRadiusIsHalfTheShorterSideUpTo22)
{
    struct Case {
        const char *name;
        QRectF rect;
        qreal radius;
    };
    const Case cases[] = {
        {"30 high", {0, 0, 200, 30}, 15},
        {"10 wide", {0, 0, 10, 100}, 5},
        {"large", {0, 0, 300, 100}, 22},
        {"44 square", {0, 0, 44, 44}, 22},
        {"offset", {50, 20, 100, 40}, 20},
        {"empty", {0, 0, 0, 0}, 0},
        {"negative width", {0, 0, -40, 100}, 20},
    };
    for (const Case &c : cases)
        EXPECT_DOUBLE_EQ(TarnelNotchShape::cornerRadius(c.rect), c.radius) << c.name;
}

TEST(TarnelNotchShape, OutlineHasASquareTopAndQuadraticBottomCorners)
{
    struct Case {
        const char *name;
        QRectF rect;
        QPointF point;
        bool inside;
    };
    // The quadratic corner passes its midpoint at a quarter of the radius from both sides of
    // the rectangle's corner; a circular arc would pass at 0.29 of the radius.
    const Case cases[] = {
        {"top-left corner is square", {0, 0, 200, 30}, {0.5, 0.5}, true},
        {"top-right corner is square", {0, 0, 200, 30}, {199.5, 0.5}, true},
        {"right edge straight above the corner", {0, 0, 200, 30}, {199.5, 14.5}, true},
        {"r15: right, inward of the bend", {0, 0, 200, 30}, {195.75, 25.75}, true},
        {"r15: right, outward of the bend", {0, 0, 200, 30}, {196.75, 26.75}, false},
        {"r15: left, inward of the bend", {0, 0, 200, 30}, {4.25, 25.75}, true},
        {"r15: left, outward of the bend", {0, 0, 200, 30}, {3.25, 26.75}, false},
        {"r15: just inside the rectangle's corner", {0, 0, 200, 30}, {199.9, 29.9}, false},
        {"r15: bottom middle", {0, 0, 200, 30}, {100, 29.5}, true},
        {"r22: right, inside the quadratic but outside an arc", {0, 0, 300, 100}, {294, 94}, true},
        {"r22: left, inside the quadratic but outside an arc", {0, 0, 300, 100}, {6, 94}, true},
        {"r22: right, outward of the bend", {0, 0, 300, 100}, {295, 95}, false},
        {"r22: a point inside an r15 bend", {0, 0, 300, 100}, {295.75, 95.75}, false},
        {"r22: right edge straight above the corner", {0, 0, 300, 100}, {299.5, 77.5}, true},
        {"r22: right edge within the corner", {0, 0, 300, 100}, {299.8, 84}, false},
        {"r5: inward of the bend", {0, 0, 10, 100}, {8.5, 98.5}, true},
        {"r5: outward of the bend", {0, 0, 10, 100}, {9, 99}, false},
        {"offset: top-left", {50, 20, 100, 40}, {50.5, 20.5}, true},
        {"offset: top-right", {50, 20, 100, 40}, {149.5, 20.5}, true},
        {"offset: bottom-left corner", {50, 20, 100, 40}, {50.5, 59.5}, false},
        {"offset: bottom middle", {50, 20, 100, 40}, {100, 59.5}, true},
        {"offset: left of the rectangle", {50, 20, 100, 40}, {49.5, 30}, false},
        {"offset: above the rectangle", {50, 20, 100, 40}, {100, 19.5}, false},
    };
    for (const Case &c : cases) {
        const QPainterPath outline = TarnelNotchShape().path(c.rect);
        EXPECT_EQ(outline.contains(c.point), c.inside) << c.name;
        EXPECT_EQ(outline.boundingRect(), c.rect.normalized()) << c.name;
        EXPECT_EQ(outline.fillRule(), Qt::WindingFill) << c.name;
    }
}

TEST(NotchHitRegion, PointsOnTheScreenHitOnlyTheVisibleOutline)
{
    struct Case {
        const char *name;
        QPointF point;
        QRectF panelFrame;
        QSizeF visibleSize;
        bool inside;
    };
    // A 400 x 300 panel window at the top of a 1920 wide screen; the visible notch is 200 x 40
    // (corner radius 20), centred: x from 860 to 1060, y from 0 to 40.
    const QRectF top(760, 0, 400, 300);
    const QSizeF notch(200, 40);
    const qreal nan = std::numeric_limits<qreal>::quiet_NaN();
    const Case cases[] = {
        {"top edge at the centre", {960, 0}, top, notch, true},
        {"just above the bottom edge", {960, 39.9}, top, notch, true},
        {"on the bottom edge", {960, 40}, top, notch, false},
        {"above the screen", {960, -0.1}, top, notch, false},
        {"left edge at the top", {860, 0}, top, notch, true},
        {"left of the visible width", {859.9, 10}, top, notch, false},
        {"right edge at the top", {1060, 0}, top, notch, false},
        {"just inside the right edge", {1059.9, 10}, top, notch, true},
        {"in the frame but beside the notch", {800, 10}, top, notch, false},
        {"in the frame below the notch", {960, 200}, top, notch, false},
        {"bottom-left corner of the rectangle", {861, 39}, top, notch, false},
        {"bottom-right corner of the rectangle", {1059, 39}, top, notch, false},
        {"left bend, inward", {866, 34}, top, notch, true},
        {"left bend, outward", {864, 36}, top, notch, false},
        {"right bend, inward", {1054, 34}, top, notch, true},
        {"right bend, outward", {1056, 36}, top, notch, false},
        {"frame lower on the screen: above it", {250, 199}, {100, 200, 300, 100}, {300, 100}, false},
        {"frame lower on the screen: its top edge", {250, 200}, {100, 200, 300, 100}, {300, 100}, true},
        {"frame lower on the screen: its left edge", {100, 250}, {100, 200, 300, 100}, {300, 100}, true},
        {"frame lower on the screen: its right edge", {400, 250}, {100, 200, 300, 100}, {300, 100}, false},
        {"zero-sized notch", {960, 0}, top, {0, 0}, false},
        {"zero-wide notch", {960, 10}, top, {0, 40}, false},
        {"negative size", {960, 0}, top, {-200, -40}, false},
        {"not a number", {nan, nan}, top, notch, false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(NotchHitRegion::contains(c.point, c.panelFrame, c.visibleSize), c.inside) << c.name;
}

} // namespace
