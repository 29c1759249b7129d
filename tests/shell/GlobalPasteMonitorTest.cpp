// The keyboard monitor as a whole: each shortcut press reaches its action by one road only.
#include "MonitorFixture.h"

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

// The shortcuts another application holds, and those the keyboard's layout switch takes, reach
// the model at start; the layout switch's as the keyboard map changes too.
TEST_F(MonitorTest, TheModelLearnsWhichShortcutsAreRefusedOrTakenByTheLayoutSwitch)
{
    createModel();
    hotKeys.setRefused({AppShortcut::pasteStack});
    hotKeys.setTakenByLayoutSwitch({AppShortcut::pasteNextFromStack});
    createMonitor().requestAccessAndStart(false);
    EXPECT_EQ(model->unavailableShortcuts(), AppShortcut::labels({AppShortcut::pasteStack}));
    EXPECT_EQ(model->layoutSwitchShortcuts(), AppShortcut::labels({AppShortcut::pasteNextFromStack}));
    const struct {
        const char *name;
        QList<AppShortcut> taken;
    } rows[] = {
        {"the switch moved to Ctrl+Alt", {AppShortcut::privateCopy}},
        {"no switch on the modifiers", {}},
    };
    for (const auto &row : rows) {
        hotKeys.setTakenByLayoutSwitch(row.taken);
        EXPECT_EQ(model->layoutSwitchShortcuts(), AppShortcut::labels(row.taken)) << row.name;
    }
}

} // namespace
} // namespace monitortest
