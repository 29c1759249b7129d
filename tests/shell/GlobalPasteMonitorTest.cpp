// The keyboard monitor: shortcut dispatch, permission checks, the key tap.
#include "MonitorFixture.h"

#include "core/AccessibilityNotice.h"
#include "core/ShortcutNotice.h"

namespace monitortest {
namespace {

using namespace std::chrono_literals;

TEST_F(MonitorTest, EachShortcutPressIsDispatchedOnce)
{
    seedHistory({textEntry("a")});
    createModel();
    model->setPasteStackEntryIDs({QStringLiteral("a")});
    struct Case {
        const char *name;
        AppShortcut shortcut;
        bool grabRefused;
        bool tarnelActive;
        bool quickAccessShown;
        int quickAccess; // Quick Access requests
        int copies;      // Ctrl+C sent
        int pastes;      // Ctrl+V sent
    };
    const Case cases[] = {
        {"history grabbed", AppShortcut::history, false, false, false, 1, 0, 0},
        {"stack copy grabbed", AppShortcut::pasteStack, false, false, false, 0, 1, 0},
        {"paste next grabbed", AppShortcut::pasteNextFromStack, false, false, false, 0, 0, 1},
        {"stack copy refused, other app", AppShortcut::pasteStack, true, false, false, 0, 1, 0},
        {"history refused, other app", AppShortcut::history, true, false, false, 0, 0, 0},
        {"stack copy refused, Quick Access shown", AppShortcut::pasteStack, true, false, true, 0, 0, 0},
    };
    for (const Case &c : cases) {
        hotKeys.stop();
        hotKeys.setRefused(c.grabRefused ? QList<AppShortcut>{c.shortcut} : QList<AppShortcut>{});
        keys.clear();
        quickAccessCalls.clear();
        model->setPasteStackEntryIDs({QStringLiteral("a")});
        programActive = c.tarnelActive;
        model->setIsQuickAccessPresented(c.quickAccessShown);
        createMonitor().requestAccessAndStart(false);
        // One press: the grab (if it holds) and the tap both see it.
        hotKeys.fire(c.shortcut);
        tap.inject(press(c.shortcut));
        clock.advance(1s);
        EXPECT_EQ(quickAccessCalls.size(), c.quickAccess) << c.name;
        EXPECT_EQ(keys.count(KeyChord::Copy), c.copies) << c.name;
        EXPECT_EQ(keys.count(KeyChord::Paste), c.pastes) << c.name;
        monitor.reset();
        tap.stop();
    }
}

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
        clock.advance(GlobalPasteMonitor::kPermissionCheckInterval - 1ms);
        EXPECT_EQ(model->accessibilityPermissionEnabled(), previous.trusted);
        EXPECT_EQ(model->inputMonitoringPermissionEnabled(), previous.listens);
        clock.advance(1ms);
        EXPECT_EQ(model->accessibilityPermissionEnabled(), step.trusted);
        EXPECT_EQ(model->inputMonitoringPermissionEnabled(), step.listens);
        EXPECT_EQ(model->pasteMonitoringEnabled(), step.listens);
        EXPECT_EQ(monitor->isEventTapInstalled(), step.listens);
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
    EXPECT_FALSE(monitor->isPermissionTimerRunning());
    permissions.setAccessibilityTrusted(false);
    clock.advance(10 * GlobalPasteMonitor::kPermissionCheckInterval);
    EXPECT_TRUE(model->accessibilityPermissionEnabled());

    // The settings page opens: the answer is read at once and followed while it stays open.
    permissionsShown = true;
    monitor->resumePermissionChecks();
    EXPECT_FALSE(model->accessibilityPermissionEnabled());
    EXPECT_TRUE(monitor->isPermissionTimerRunning());
    permissions.setAccessibilityTrusted(true);
    clock.advance(GlobalPasteMonitor::kPermissionCheckInterval);
    EXPECT_TRUE(model->accessibilityPermissionEnabled());

    // It closes: the tick that sees that is the last.
    permissionsShown = false;
    clock.advance(GlobalPasteMonitor::kPermissionCheckInterval);
    EXPECT_FALSE(monitor->isPermissionTimerRunning());
    permissions.setAccessibilityTrusted(false);
    clock.advance(10 * GlobalPasteMonitor::kPermissionCheckInterval);
    EXPECT_TRUE(model->accessibilityPermissionEnabled());
    monitor.reset();

    // Answers fixed for the program's life are never asked again, shown or not.
    permissions.setAccessibilityTrusted(true);
    permissions.setAnswersCanChange(false);
    permissionsShown = true;
    createMonitor().requestAccessAndStart(false);
    EXPECT_TRUE(model->accessibilityPermissionEnabled());
    monitor->resumePermissionChecks();
    EXPECT_FALSE(monitor->isPermissionTimerRunning());
    permissions.setAccessibilityTrusted(false);
    clock.advance(10 * GlobalPasteMonitor::kPermissionCheckInterval);
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
        clock.advance(GlobalPasteMonitor::kPermissionCheckInterval);
        EXPECT_EQ(model->shortcutNotice(), notice) << "kept while still untrusted";
        permissions.setAccessibilityTrusted(true);
        clock.advance(GlobalPasteMonitor::kPermissionCheckInterval);
        const bool cleared = notice == ShortcutNotice::staleTrust();
        EXPECT_EQ(model->shortcutNotice(), cleared ? std::nullopt : std::optional(notice)) << notice.toStdString();
        monitor.reset();
    }
}

TEST_F(MonitorTest, ShortcutsDoNothingOverTarnelAnOverlayOrAnEmptyStack)
{
    seedHistory({textEntry("a")});
    createModel();
    createMonitor();
    // Paste next with an empty stack: nothing, and no notice.
    model->setShortcutNotice(QStringLiteral("old"));
    monitor->handleShortcut(AppShortcut::pasteNextFromStack);
    EXPECT_EQ(model->shortcutNotice(), std::nullopt);
    // Tarnel itself in front: the copy shortcuts and paste next do nothing.
    model->setPasteStackEntryIDs({QStringLiteral("a")});
    workspace.setFrontmostApplication(RunningApplication{2, workspace.ownPid(), QStringLiteral("Tarnel")});
    for (AppShortcut shortcut : {AppShortcut::pasteStack, AppShortcut::privateCopy, AppShortcut::pasteNextFromStack})
        monitor->handleShortcut(shortcut);
    clock.advance(1s);
    EXPECT_TRUE(keys.sentChords().isEmpty());
    EXPECT_EQ(model->shortcutNotice(), std::nullopt);
    // A panel overlay: even the notice stays.
    workspace.setFrontmostApplication(editor());
    model->setPanelOverlayPresented(true);
    model->setShortcutNotice(QStringLiteral("kept"));
    for (AppShortcut shortcut : AppShortcut::allCases())
        monitor->handleShortcut(shortcut);
    clock.advance(1s);
    EXPECT_TRUE(keys.sentChords().isEmpty());
    EXPECT_TRUE(quickAccessCalls.isEmpty());
    EXPECT_EQ(model->shortcutNotice(), QStringLiteral("kept"));
}

TEST_F(MonitorTest, CopyShortcutsCopyAfterTheirDelayAndPasteNextUsesTheStack)
{
    seedHistory({textEntry("a", "alpha"), textEntry("b", "beta")});
    createModel();
    createMonitor();
    model->setPasteStackEntryIDs({QStringLiteral("b"), QStringLiteral("a")});
    monitor->handleShortcut(AppShortcut::privateCopy);
    clock.advance(GlobalPasteMonitor::kCopyShortcutDelay - 1ms);
    EXPECT_EQ(keys.count(KeyChord::Copy), 0);
    clock.advance(1ms);
    ASSERT_EQ(keys.count(KeyChord::Copy), 1);
    EXPECT_EQ(keys.sentChords().last().targetPid, std::optional<qint64>(kFrontPid));
    pasteboard.copyText("secret");
    model->readClipboardIfChanged();
    EXPECT_EQ(model->entries().size(), 2); // the private copy is not recorded

    keys.clear();
    monitor->handleShortcut(AppShortcut::pasteNextFromStack);
    clock.advance(1s);
    EXPECT_EQ(pasteboard.content().text, QStringLiteral("beta"));
    EXPECT_EQ(keys.count(KeyChord::Paste), 1);
    EXPECT_EQ(model->pasteStackEntryIDs(), QStringList{QStringLiteral("a")});
}

TEST_F(MonitorTest, TheTapArmsScreenshotsAndFeedsTriggersOnlyFromOtherApplications)
{
    seedSnippets({{"s", "Sig", ";sg", "Best regards"}});
    createModel();
    createMonitor().requestAccessAndStart(false);

    KeyTapEvent chord = press(Qt::Key_Print, Control);
    chord.isScreenshotChord = true;
    KeyTapEvent repeatedChord = chord;
    repeatedChord.isAutoRepeat = true;
    tap.inject(repeatedChord);
    EXPECT_EQ(model->screenshotChordWindowEnd(), std::nullopt);
    tap.inject(chord);
    EXPECT_EQ(model->screenshotChordWindowEnd(), clock.now().addSecs(60));
    tap.inject(press(Qt::Key_Escape, Shift | Super));
    EXPECT_EQ(model->screenshotChordWindowEnd(), std::nullopt);

    struct Case {
        const char *name;
        bool active;
        bool quickAccess;
        bool repeat;
        int deletes; // BackSpaces typed to remove a completed trigger
    };
    const Case cases[] = {
        {"another application", false, false, false, 3},
        {"Tarnel active", true, false, false, 0},
        {"Quick Access shown", false, true, false, 0},
        {"auto-repeated keys", false, false, true, 0},
    };
    for (const Case &c : cases) {
        keys.clear();
        programActive = c.active;
        model->setIsQuickAccessPresented(c.quickAccess);
        for (const QChar ch : QStringLiteral(";sg")) {
            KeyTapEvent event = press(Qt::Key(ch.toUpper().unicode()), {}, QString(ch));
            event.isAutoRepeat = c.repeat;
            tap.inject(event);
        }
        clock.advance(1s);
        EXPECT_EQ(keys.count(KeyChord::Delete), c.deletes) << c.name;
    }
}

} // namespace
} // namespace monitortest
