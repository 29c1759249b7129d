#include "shell/NotchPanelGeometry.h"

#include <gtest/gtest.h>

TEST(NotchPanelGeometry, PanelFrameIsExpandedSizeAtTopCentreOfEachScreen)
{
    const struct {
        QRect screen;
        QRect frame;
    } cases[] = {
        {QRect(0, 0, 1920, 1080), QRect(735, 0, 450, 460)},
        {QRect(1920, 0, 1280, 1024), QRect(1920 + 415, 0, 450, 460)},
        {QRect(0, 200, 800, 600), QRect(175, 200, 450, 460)},
        {QRect(-1024, 0, 1024, 768), QRect(-1024 + 287, 0, 450, 460)},
    };
    for (const auto &c : cases)
        EXPECT_EQ(NotchPanelGeometry::panelFrame(c.screen), c.frame) << c.screen.x() << "," << c.screen.width();
}

TEST(NotchPanelGeometry, HitRegionFollowsTheNotchOutline)
{
    const QRect frame(735, 0, 450, 460);
    const struct {
        const char *what;
        QPoint point;
        QSizeF visible;
        bool inside;
    } cases[] = {
        {"top centre of the collapsed notch", {960, 0}, {96, 40}, true},
        {"middle of the collapsed notch", {960, 20}, {96, 40}, true},
        {"bottom edge is outside", {960, 40}, {96, 40}, false},
        {"just above the bottom edge", {960, 39}, {96, 40}, true},
        {"left of the centred width", {911, 5}, {96, 40}, false},
        {"left edge of the centred width", {912, 5}, {96, 40}, true},
        {"right edge is outside", {1008, 5}, {96, 40}, false},
        {"inside the rectangle but outside the rounded corner", {913, 38}, {96, 40}, false},
        {"in the frame, below the stretched bar", {960, 100}, {450, 40}, false},
        {"far left of the stretched bar", {736, 5}, {450, 40}, true},
        {"deep in the expanded panel", {960, 400}, {450, 460}, true},
        {"above the panel", {960, -1}, {450, 460}, false},
        {"zero-sized notch holds nothing", {960, 0}, {0, 0}, false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(NotchPanelGeometry::contains(c.point, frame, c.visible), c.inside) << c.what;
}

TEST(NotchPanelGeometry, DrawnRegionIsTheNotchCentredInThePanel)
{
    const QRegion collapsed = NotchPanelGeometry::notchRegion({96, 40}, 450);
    EXPECT_EQ(collapsed.boundingRect(), QRect(177, 0, 96, 40));
    EXPECT_TRUE(collapsed.contains(QPoint(225, 0)));
    EXPECT_FALSE(collapsed.contains(QPoint(178, 39))) << "rounded bottom corner is cut away";
    EXPECT_FALSE(collapsed.contains(QPoint(100, 10)));

    const QRegion expanded = NotchPanelGeometry::notchRegion({450, 460}, 450);
    EXPECT_EQ(expanded.boundingRect(), QRect(0, 0, 450, 460));
    EXPECT_TRUE(NotchPanelGeometry::notchRegion({0, 0}, 450).isEmpty());
}
