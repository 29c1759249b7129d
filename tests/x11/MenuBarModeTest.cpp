// Menu-bar mode: the tray icon opens and closes Quick Access in a popup; without a tray host
// the panel stays on screen and the program says why.
#include <gtest/gtest.h>

#include "X11Probe.h"

using namespace X11Probe;

namespace {

const QByteArray kMenuBarMode = R"({"tarnel.onboardingComplete": true, "tarnel.presentationMode": "menuBar"})";

// The tray icon: Tarnel's small window embedded in the tray host.
std::optional<Window> waitForTrayIcon()
{
    std::optional<Window> icon;
    waitUntil([&] {
        for (Window w : viewable(windowsWithClass("Tarnel"))) {
            const QRect g = geometry(w);
            if (g.width() <= 64 && g.height() <= 64 && g.width() > 1)
                icon = w;
        }
        return icon.has_value();
    });
    return icon;
}

bool popupShown()
{
    return !viewable(windowsWithRole("tarnel-popover")).empty();
}

} // namespace

TEST(MenuBarMode, TrayIconOpensAndClosesThePopup)
{
    writeSettings(kMenuBarMode);
    Program tray(QStringLiteral("trayer"), {QStringLiteral("--edge"), QStringLiteral("bottom"), QStringLiteral("--align"),
                                           QStringLiteral("right"), QStringLiteral("--widthtype"), QStringLiteral("request"),
                                           QStringLiteral("--height"), QStringLiteral("32"), QStringLiteral("--SetDockType"),
                                           QStringLiteral("true")});
    QThread::msleep(500);
    Program tarnel(tarnelBinary());
    const std::optional<Window> icon = waitForTrayIcon();
    ASSERT_TRUE(icon) << tarnel.errorOutput().constData();
    QThread::msleep(300);
    EXPECT_TRUE(viewable(windowsWithRole("tarnel-panel")).empty()) << "the notch panel stays hidden";
    EXPECT_FALSE(popupShown());

    const QPoint iconCentre = geometry(*icon).center();
    clickAt(iconCentre);
    ASSERT_TRUE(waitUntil(popupShown, 3000ms)) << tarnel.errorOutput().constData();
    const Window popup = viewable(windowsWithRole("tarnel-popover")).front();
    const QRect popupFrame = geometry(popup);
    EXPECT_EQ(popupFrame.width(), 350);
    EXPECT_LE(popupFrame.bottom(), geometry(*icon).top()) << "on a bottom tray it opens above the icon";
    EXPECT_LE(std::abs(popupFrame.center().x() - iconCentre.x()), 350) << "next to the icon";

    QThread::msleep(300); // a person's second click, not a double click
    clickAt(iconCentre);
    EXPECT_TRUE(waitUntil([] { return !popupShown(); }, 3000ms)) << "a second click closes it" << tarnel.errorOutput().constData();

    QThread::msleep(600);
    clickAt(iconCentre);
    ASSERT_TRUE(waitUntil(popupShown, 3000ms)) << "and a third opens it again";
}

TEST(MenuBarMode, ClickingElsewhereClosesThePopup)
{
    writeSettings(kMenuBarMode);
    Program fixture(fixtureBinary(), {QStringLiteral("--geometry"), QStringLiteral("600x400+100+100"),
                                      QStringLiteral("--title"), QStringLiteral("Elsewhere")});
    Program tray(QStringLiteral("trayer"), {QStringLiteral("--edge"), QStringLiteral("bottom"), QStringLiteral("--align"),
                                           QStringLiteral("right"), QStringLiteral("--widthtype"), QStringLiteral("request"),
                                           QStringLiteral("--height"), QStringLiteral("32"), QStringLiteral("--SetDockType"),
                                           QStringLiteral("true")});
    QThread::msleep(500);
    Program tarnel(tarnelBinary());
    const std::optional<Window> icon = waitForTrayIcon();
    ASSERT_TRUE(icon);
    clickAt(geometry(*icon).center());
    ASSERT_TRUE(waitUntil(popupShown, 3000ms));
    QThread::msleep(200);
    clickAt({300, 300});
    EXPECT_TRUE(waitUntil([] { return !popupShown(); }, 3000ms));
}

TEST(MenuBarMode, WithoutATrayHostThePanelStaysReachableAndTheProgramSaysWhy)
{
    writeSettings(kMenuBarMode);
    Program tarnel(tarnelBinary());
    const std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel) << "the panel is the only way into Tarnel";
    EXPECT_EQ(geometry(*panel), QRect(735, 0, 450, 460));
    EXPECT_TRUE(waitUntil([&] { return tarnel.errorOutput().contains("No system tray is available"); }))
        << tarnel.errorOutput().constData();
    movePointer({960, 8});
    EXPECT_TRUE(waitUntil([&] { return drawnExtents(*panel).height() == 460; }, 3000ms)) << "and it opens on hover";

    // A tray host that starts later (a desktop panel after Tarnel at login) takes over.
    movePointer({300, 900});
    Program tray(QStringLiteral("trayer"), {QStringLiteral("--edge"), QStringLiteral("bottom"), QStringLiteral("--align"),
                                           QStringLiteral("right"), QStringLiteral("--widthtype"), QStringLiteral("request"),
                                           QStringLiteral("--height"), QStringLiteral("32"), QStringLiteral("--SetDockType"),
                                           QStringLiteral("true")});
    EXPECT_TRUE(waitForTrayIcon()) << "the icon joins the tray";
    EXPECT_TRUE(waitUntil([&] { return !isViewable(*panel); }, 5000ms)) << "and the panel makes way";
}
