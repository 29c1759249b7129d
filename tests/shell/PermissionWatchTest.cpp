// What the desktop permits, read into the model and followed while shown; the key tap follows it.
#include "MonitorFixture.h"

#include "core/AccessibilityNotice.h"
#include "core/ShortcutNotice.h"

namespace monitortest {
namespace {

using namespace std::chrono_literals;

TEST_F(MonitorTest, PermissionFlagsAndTheTapFollowTheDesktopEverySecond)
{
    createMonitor().requestAccessAndStart(false);
    EXPECT_TRUE(model->accessibilityPermissionEnabled());
    EXPECT_TRUE(model->pasteMonitoringEnabled());
    EXPECT_TRUE(tap.isRunning());
    struct Step {
        bool trusted;
        bool listens;
    };
    const Step steps[] = {{false, true}, {true, false}, {false, false}, {true, true}};
    Step previous{true, true};
    for (const Step &step : steps) {
        permissions.setAccessibilityTrusted(step.trusted);
        permissions.setInputMonitoring(step.listens);
        tap.setAvailable(step.listens);
        // Until the next tick the model still shows what the last check saw.
        clock.advance(PermissionWatch::kCheckInterval - 1ms);
        EXPECT_EQ(model->accessibilityPermissionEnabled(), previous.trusted);
        EXPECT_EQ(model->inputMonitoringPermissionEnabled(), previous.listens);
        clock.advance(1ms);
        EXPECT_EQ(model->accessibilityPermissionEnabled(), step.trusted);
        EXPECT_EQ(model->inputMonitoringPermissionEnabled(), step.listens);
        EXPECT_EQ(model->pasteMonitoringEnabled(), step.listens);
        EXPECT_EQ(monitor->keyTapWatch().isInstalled(), step.listens);
        EXPECT_EQ(tap.isRunning(), step.listens);
        previous = step;
    }
    // Revoked and granted again: the tap was set up anew.
    EXPECT_EQ(tap.startCount(), 2);
}

TEST_F(MonitorTest, PermissionsAreCheckedAgainOnlyWhileShownAndOnlyWhereTheyCanChange)
{
    // Nothing shows them: checked once at the start, then no more ticks.
    permissionsShown = false;
    createMonitor().requestAccessAndStart(false);
    EXPECT_FALSE(monitor->permissionWatch().isTimerRunning());
    permissions.setAccessibilityTrusted(false);
    clock.advance(10 * PermissionWatch::kCheckInterval);
    EXPECT_TRUE(model->accessibilityPermissionEnabled());

    // The settings page opens: the answer is read at once and followed while it stays open.
    permissionsShown = true;
    monitor->resumePermissionChecks();
    EXPECT_FALSE(model->accessibilityPermissionEnabled());
    EXPECT_TRUE(monitor->permissionWatch().isTimerRunning());
    permissions.setAccessibilityTrusted(true);
    clock.advance(PermissionWatch::kCheckInterval);
    EXPECT_TRUE(model->accessibilityPermissionEnabled());

    // It closes: the tick that sees that is the last.
    permissionsShown = false;
    clock.advance(PermissionWatch::kCheckInterval);
    EXPECT_FALSE(monitor->permissionWatch().isTimerRunning());
    permissions.setAccessibilityTrusted(false);
    clock.advance(10 * PermissionWatch::kCheckInterval);
    EXPECT_TRUE(model->accessibilityPermissionEnabled());
    monitor.reset();

    // Answers fixed for the program's life are never asked again, shown or not.
    permissions.setAccessibilityTrusted(true);
    permissions.setAnswersCanChange(false);
    permissionsShown = true;
    createMonitor().requestAccessAndStart(false);
    EXPECT_TRUE(model->accessibilityPermissionEnabled());
    monitor->resumePermissionChecks();
    EXPECT_FALSE(monitor->permissionWatch().isTimerRunning());
    permissions.setAccessibilityTrusted(false);
    clock.advance(10 * PermissionWatch::kCheckInterval);
    EXPECT_TRUE(model->accessibilityPermissionEnabled());
}

// Trust coming back answers only the paste that could not send its keys; a shortcut's notice
// still says why that press did nothing.
TEST_F(MonitorTest, TrustComingBackClearsOnlyTheStaleTrustNotice)
{
    const QString notices[] = {ShortcutNotice::staleTrust(), AccessibilityNotice::pasteNeedsKeys(),
                               AccessibilityNotice::copyNeedsKeys(), QStringLiteral("iná správa")};
    permissionsShown = true;
    for (const QString &notice : notices) {
        permissions.setAccessibilityTrusted(false);
        createMonitor().requestAccessAndStart(false);
        model->setShortcutNotice(notice);
        clock.advance(PermissionWatch::kCheckInterval);
        EXPECT_EQ(model->shortcutNotice(), notice) << "kept while still untrusted";
        permissions.setAccessibilityTrusted(true);
        clock.advance(PermissionWatch::kCheckInterval);
        const bool cleared = notice == ShortcutNotice::staleTrust();
        EXPECT_EQ(model->shortcutNotice(), cleared ? std::nullopt : std::optional(notice)) << notice.toStdString();
        monitor.reset();
    }
}

} // namespace
} // namespace monitortest
