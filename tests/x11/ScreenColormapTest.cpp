// Windows drawn with the screen's visual use the screen's colormap, so that capture tools read
// them from the screen rather than from each window's whole rectangle; translucent windows keep
// the colormap their own visual needs.
#include "platform/x11/X11ScreenColormap.h"

#include <gtest/gtest.h>

#include "X11TestSupport.h"

using namespace x11test;

namespace {

XWindowAttributes attributesOf(const QWidget &widget)
{
    XWindowAttributes attributes{};
    XGetWindowAttributes(display(), Window(widget.winId()), &attributes);
    return attributes;
}

} // namespace

TEST(X11ScreenColormap, WindowsOfTheScreensVisualUseItsColormapTranslucentOnesTheirOwn)
{
    const Colormap screenColormap = DefaultColormap(display(), DefaultScreen(display()));
    QWidget before(nullptr, Qt::Tool | Qt::FramelessWindowHint);
    before.winId();
    EXPECT_NE(attributesOf(before).colormap, screenColormap) << "Qt's own colormap, not watched yet";

    X11ScreenColormap colormaps;
    QWidget opaque(nullptr, Qt::Tool | Qt::FramelessWindowHint);
    opaque.setGeometry(100, 100, 200, 150);
    opaque.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&opaque));
    EXPECT_EQ(attributesOf(opaque).colormap, screenColormap);

    QWidget translucent(nullptr, Qt::Tool | Qt::FramelessWindowHint);
    translucent.setAttribute(Qt::WA_TranslucentBackground);
    translucent.setGeometry(400, 100, 200, 150);
    translucent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&translucent));
    const XWindowAttributes argb = attributesOf(translucent);
    if (argb.depth == 32) {
        EXPECT_NE(argb.colormap, screenColormap) << "a 32-bit visual keeps a colormap of its own visual";
    }

    // The screen's visual again, told directly.
    EXPECT_TRUE(X11ScreenColormap::useScreenColormap(before.winId()));
    EXPECT_EQ(attributesOf(before).colormap, screenColormap);
    EXPECT_FALSE(X11ScreenColormap::useScreenColormap(0)) << "no such window";
}
