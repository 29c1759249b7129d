// The end-to-end tests act on windows only once the X server shows them: these cases pin down
// that a click goes where the server would deliver it and keys only where the focus is.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "X11TestSupport.h"

namespace {

using namespace x11test;

// A window of this process with one button filling it, counting the clicks it gets.
struct ButtonWindow {
    QWidget window;
    QPushButton *button = new QPushButton(QStringLiteral("OK"), &window);
    int clicks = 0;

    explicit ButtonWindow(QRect frame, Qt::WindowFlags flags = {})
    {
        window.setWindowFlags(Qt::Window | Qt::FramelessWindowHint | flags);
        auto *layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(button);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        window.setGeometry(frame);
        QObject::connect(button, &QPushButton::clicked, [this] { ++clicks; });
    }
};

TEST(OnScreen, AWindowJustShownOrMovedIsClickedWhereTheServerShowsIt)
{
    ButtonWindow target(QRect(200, 200, 300, 200));
    EXPECT_FALSE(waitOnScreen(&target.window, {}, 200)) << "a hidden window is not on the screen";

    // Clicked right after show() and right after a move: each click lands once, on the button.
    target.window.show();
    ASSERT_TRUE(clickOn(target.button));
    ASSERT_TRUE(QTest::qWaitFor([&] { return target.clicks == 1; }, 3000));
    const std::optional<QRect> shown = waitOnScreen(&target.window);
    ASSERT_TRUE(shown);
    EXPECT_EQ(*shown, target.window.geometry());
    EXPECT_EQ(*shown, geometry(windowOf(&target.window)));

    target.window.move(900, 500);
    ASSERT_TRUE(clickOn(target.button, QPoint(5, 5)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return target.clicks == 2; }, 3000));
    EXPECT_EQ(waitOnScreen(&target.window)->topLeft(), QPoint(900, 500));
}

TEST(OnScreen, PointsOutsideAWindowsShapeOrUnderAnotherWindowBelongToWhatIsThere)
{
    ButtonWindow below(QRect(100, 100, 600, 400));
    below.window.show();
    ButtonWindow cut(QRect(150, 150, 200, 200), Qt::WindowStaysOnTopHint);
    cut.window.setMask(QRegion(0, 0, 100, 200)); // only its left half is there
    cut.window.show();
    // Without a frame of the window manager's around it, which would take the clicks itself.
    ButtonWindow see(QRect(400, 150, 200, 200), Qt::BypassWindowManagerHint | Qt::WindowTransparentForInput);
    see.window.show();
    ASSERT_TRUE(waitOnScreen(&cut.window));
    ASSERT_TRUE(waitOnScreen(&see.window));

    EXPECT_TRUE(isWithin(windowAt(QPoint(180, 250)), windowOf(&cut.window))) << "inside the shape";
    EXPECT_TRUE(isWithin(windowAt(QPoint(300, 250)), windowOf(&below.window))) << "outside the shape";
    EXPECT_TRUE(isWithin(windowAt(QPoint(500, 250)), windowOf(&below.window))) << "through a window without input";
    EXPECT_FALSE(clickIn(windowOf(&cut.window), QPoint(150, 100), 1, 300)) << "a click there would not reach it";
    EXPECT_FALSE(clickIn(windowOf(&see.window), QPoint(100, 100), 1, 300));
    EXPECT_FALSE(clickOn(below.button, below.button->mapFrom(&below.window, QPoint(80, 100)), 1, 300))
        << "the window above takes that click";
    EXPECT_EQ(cut.clicks + see.clicks + below.clicks, 0) << "nothing was clicked";

    ASSERT_TRUE(clickOn(below.button, below.button->mapFrom(&below.window, QPoint(400, 150))));
    EXPECT_TRUE(QTest::qWaitFor([&] { return below.clicks == 1; }, 3000));
    EXPECT_EQ(cut.clicks + see.clicks, 0);
}

TEST(OnScreen, KeysWaitForTheWindowThatHoldsTheKeyboard)
{
    QWidget passive(nullptr, Qt::Window | Qt::WindowDoesNotAcceptFocus);
    passive.setGeometry(100, 600, 300, 100);
    passive.show();
    QLineEdit editor;
    editor.setGeometry(600, 600, 300, 40);
    editor.show();
    editor.activateWindow();

    ASSERT_TRUE(waitForKeyboard(&editor));
    EXPECT_FALSE(waitForKeyboard(&passive, 500)) << "a window that takes no focus never holds the keyboard";
    EXPECT_FALSE(hasKeyboard(windowOf(&passive)));
    ASSERT_EQ(xdotool({"type", "--delay", "20", "ok"}), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return editor.text() == QStringLiteral("ok"); }, 3000))
        << editor.text().toStdString();
}

} // namespace
