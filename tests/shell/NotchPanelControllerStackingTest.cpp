// The panel's place among the desktop's windows: beside the window manager, kept in front of
// other programs' windows and of Tarnel's settings and guide, and without a compositor's
// shadow except while it is Quick Access.
#include "shell/PanelHarness.h"

#include "shell/MenuBarPopover.h"

#include <QJsonObject>

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
