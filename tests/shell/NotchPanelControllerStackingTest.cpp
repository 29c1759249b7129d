// The panel's place among the desktop's windows: beside the window manager, kept in front of
// other programs' windows and of Tarnel's settings and guide, and without a compositor's
// shadow except while it is Quick Access.
#include "shell/PanelHarness.h"

#include "shell/MenuBarPopover.h"

#include <QJsonObject>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QJsonObject completedGuide()
{
    return QJsonObject{{QStringLiteral("tarnel.onboardingComplete"), true}};
}

} // namespace

TEST(NotchPanelStacking, ThePanelAndThePopoverBypassTheWindowManagerAndThePanelIsKeptInFront)
{
    PanelHarness h(completedGuide());
    EXPECT_TRUE(h.panel().windowFlags().testFlag(Qt::BypassWindowManagerHint));
    EXPECT_TRUE(h.controller->menuBarPopover()->windowFlags().testFlag(Qt::BypassWindowManagerHint));
    EXPECT_EQ(h.traits.keptInFront, QList<const QWidget *>{&h.panel()});
}

TEST(NotchPanelStacking, OnlyQuickAccessCastsAShadow)
{
    PanelHarness h(completedGuide());
    h.controller->show();
    EXPECT_TRUE(h.traits.shadowless.contains(&h.panel()));
    EXPECT_TRUE(h.traits.shadowless.contains(h.controller->menuBarPopover()));

    h.controller->openQuickAccess(false);
    EXPECT_FALSE(h.traits.shadowless.contains(&h.panel())) << "Quick Access keeps the shadow cards have";
    h.controller->dismissQuickAccess();
    EXPECT_TRUE(h.traits.shadowless.contains(&h.panel())) << "the notch again";

    // A window made anew for another desktop hears it again.
    h.controller->openQuickAccess(false);
    h.compositor.setRunning(!h.compositor.isRunning());
    EXPECT_FALSE(h.traits.shadowless.contains(&h.panel()));
    h.controller->dismissQuickAccess();
    h.compositor.setRunning(!h.compositor.isRunning());
    EXPECT_TRUE(h.traits.shadowless.contains(&h.panel()));
}

TEST(NotchPanelStacking, TheSettingsAndTheGuideStandInFrontWhenOpenedAndUnderThePanelWhenItOpens)
{
    PanelHarness h(completedGuide());
    h.controller->show();
    EXPECT_GT(h.traits.broughtToFront, 0) << "the panel is put in its place as it shows, not raised over everything";
    // Opened while the panel rests, they stand under the notch, which stays in reach.
    h.controller->showOnboarding();
    ASSERT_TRUE(h.controller->onboardingWindow());
    EXPECT_TRUE(h.traits.liftedOverPanel.isEmpty());
    // Opened from the open panel, they stand in front of it until it closes.
    h.controller->toggleExpanded();
    ASSERT_TRUE(h.controller->isContentExpanded());
    h.controller->openSettingsWindow();
    ASSERT_TRUE(h.controller->settingsWindow());
    EXPECT_EQ(h.traits.keptUnderPanel,
              (QList<const QWidget *>{h.controller->onboardingWindow(), h.controller->settingsWindow()}));
    EXPECT_EQ(h.traits.liftedOverPanel, QList<const QWidget *>{h.controller->settingsWindow()});
    h.controller->toggleExpanded();
    h.clock.advance(std::chrono::seconds(1));
    ASSERT_FALSE(h.controller->isWidthExpanded());
    EXPECT_TRUE(h.traits.liftedOverPanel.isEmpty()) << "the notch it narrowed to stands over them again";
}

TEST(NotchPanelStacking, AScreenshotsToastWaitsWhileTheScreenIsCovered)
{
    PanelHarness h(completedGuide());
    h.model.quickAccess = true;
    h.traits.screenCovered = true;
    ClipboardEntry shot;
    shot.id = QStringLiteral("S");
    shot.kind = ClipboardKind::Image;
    shot.isScreenshot = true;
    shot.copiedAt = QDateTime::currentDateTimeUtc();
    h.model.setNotice(shot);
    const auto toastShown = [&] { return h.controller->screenshotToastPanel() && h.controller->screenshotToastPanel()->isVisible(); };
    EXPECT_FALSE(toastShown()) << "no toast over a locked screen";
    h.traits.screenCovered = false;
    EXPECT_TRUE(QTest::qWaitFor(toastShown, 5000)) << "the toast comes once the screen shows again";
}

// In notch mode the notch shows a screenshot's notice itself: under a lock it shows nothing, and
// the notice, which would have ended by the unlock, shows once the screen does.
TEST(NotchPanelStacking, AScreenshotsNoticeInTheNotchWaitsWhileTheScreenIsCovered)
{
    PanelHarness h(completedGuide());
    h.controller->show();
    ASSERT_TRUE(h.controller->showsScreenshotNoticeInNotch());
    h.traits.screenCovered = true;
    ClipboardEntry shot;
    shot.id = QStringLiteral("S");
    shot.kind = ClipboardKind::Image;
    shot.isScreenshot = true;
    shot.copiedAt = QDateTime::currentDateTimeUtc();
    const qreal resting = h.controller->compactWidth();
    h.model.setNotice(shot);
    EXPECT_FALSE(h.model.notice.has_value()) << "no notice in the notch over a locked screen";
    EXPECT_EQ(h.controller->compactWidth(), resting);
    h.traits.screenCovered = false;
    ASSERT_TRUE(QTest::qWaitFor([&] { return h.model.notice.has_value(); }, 5000)) << "the notice comes once the screen shows";
    EXPECT_EQ(h.model.notice->id, shot.id);
    EXPECT_GT(h.controller->compactWidth(), resting) << "the notch widens for it";
}

// What the program's managed windows stand over is not drawn by the panel: the settings opened
// from the open panel, wherever the user moves them, until the notch it narrows to stands over
// them again, and any other window of the program (a dialog) always.
TEST(NotchPanelStacking, TheProgramsWindowsInFrontOfThePanelAreCutOutOfIt)
{
    PanelHarness h(completedGuide());
    h.controller->show();
    h.controller->toggleExpanded();
    ASSERT_TRUE(h.controller->isContentExpanded());
    const auto drawnAt = [&h](QPoint screen) {
        return h.panel().mask().contains(screen - h.panel().geometry().topLeft());
    };
    const QPoint middle = h.frame().center();
    const QPoint notch(h.frame().center().x(), h.frame().top() + 10);
    ASSERT_TRUE(QTest::qWaitFor([&] { return drawnAt(middle); }));

    h.controller->openSettingsWindow();
    QWidget *settings = h.controller->settingsWindow();
    ASSERT_TRUE(settings);
    settings->move(middle - QPoint(20, 20));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !drawnAt(middle); })) << "the settings over the open panel";
    settings->move(middle + QPoint(0, 600));
    EXPECT_TRUE(QTest::qWaitFor([&] { return drawnAt(middle); })) << "the settings moved off the panel";

    settings->move(notch - QPoint(20, 5));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !drawnAt(notch); }));
    h.controller->toggleExpanded();
    h.clock.advance(std::chrono::seconds(1));
    ASSERT_FALSE(h.controller->isWidthExpanded());
    EXPECT_TRUE(QTest::qWaitFor([&] { return drawnAt(notch); })) << "the resting notch stands over the settings";

    QWidget dialog(nullptr, Qt::Dialog);
    dialog.setGeometry(QRect(notch - QPoint(20, 5), QSize(200, 100)));
    dialog.show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !drawnAt(notch); })) << "a dialog of the program over the notch";
    dialog.hide();
    EXPECT_TRUE(QTest::qWaitFor([&] { return drawnAt(notch); }));
}
