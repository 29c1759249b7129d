#include "ui/tools/ScreenFit.h"

#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

TEST(ScreenFit, AWindowShrinksToTheScreensAvailableAreaWithRoomForItsFrame)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    ASSERT_TRUE(screen);
    const QSize room = screen->availableGeometry().size() - kManagerFrameAllowance;
    const struct {
        const char *what;
        QSize laidOut;
        QSize opened;
    } cases[] = {
        {"smaller than the screen", room - QSize(100, 100), room - QSize(100, 100)},
        {"exactly the room", room, room},
        {"too tall", QSize(room.width() - 10, room.height() + 1), QSize(room.width() - 10, room.height())},
        {"too wide", QSize(room.width() * 2, 300), QSize(room.width(), 300)},
        {"too large both ways", room * 3, room},
    };
    for (const auto &c : cases)
        EXPECT_EQ(sizeWithinScreen(c.laidOut, screen), c.opened) << c.what;
    EXPECT_EQ(sizeWithinScreen(room * 3, nullptr), room * 3) << "no screen to fit";
}
