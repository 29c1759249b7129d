// The actions of the global shortcuts.
#include "MonitorFixture.h"

namespace monitortest {
namespace {

using namespace std::chrono_literals;

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
    clock.advance(GlobalShortcuts::kCopyShortcutDelay - 1ms);
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

} // namespace
} // namespace monitortest
