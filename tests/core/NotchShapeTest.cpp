#include "core/NotchHitRegion.h"
#include "core/TarnelNotchShape.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

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
        {"on the bottom edge", {960, 40}, top, notch, false},
        {"left of the visible width", {859.9, 10}, top, notch, false},
        {"right edge at the top", {1060, 0}, top, notch, false},
        {"in the frame but beside the notch", {800, 10}, top, notch, false},
        {"bottom-left corner of the rectangle", {861, 39}, top, notch, false},
        {"right bend, inward", {1054, 34}, top, notch, true},
        {"right bend, outward", {1056, 36}, top, notch, false},
        {"frame lower on the screen: its left edge", {100, 250}, {100, 200, 300, 100}, {300, 100}, true},
        {"frame lower on the screen: its right edge", {400, 250}, {100, 200, 300, 100}, {300, 100}, false},
        {"zero-sized notch", {960, 0}, top, {0, 0}, false},
        {"negative size", {960, 0}, top, {-200, -40}, false},
        {"not a number", {nan, nan}, top, notch, false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(NotchHitRegion::contains(c.point, c.panelFrame, c.visibleSize), c.inside) << c.name;
}

} // namespace
