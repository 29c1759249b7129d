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
