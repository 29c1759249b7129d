// The paste road: what goes on the clipboard, and whether and where Ctrl+V is sent.
#include "EngineTestSupport.h"

#include "core/ShortcutNotice.h"

#include <QGuiApplication>
#include <QStyleHints>

namespace pastetest {
namespace {

const RunningApplication kEditor{11, 501, "Editor"};

ClipboardEntry fileEntry(const QString &id)
{
    ClipboardEntry entry = textEntry(id, "/home/user/a.txt\n/home/user/b c.png");
    entry.kind = ClipboardKind::File;
    entry.fileURLs = {"/home/user/a.txt", "/home/user/b c.png"};
    return entry;
}

ClipboardEntry imageEntry(const QString &id, std::optional<QByteArray> data)
{
    ClipboardEntry entry = textEntry(id, "");
    entry.kind = ClipboardKind::Image;
    entry.imageData = std::move(data);
    return entry;
}

TEST_F(PasteModelTest, EachKindGoesOnTheClipboardInItsOwnForm)
{
    const QByteArray png = QByteArray::fromBase64(
        "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNk+M9QDwADhgGAWjR9awAAAABJRU5ErkJggg==");
    struct Case {
        const char *name;
        ClipboardEntry entry;
        FakePasteboard::WriteKind kind;
        std::function<bool(const PasteboardContent &)> holds;
    };
    const Case cases[] = {
        {"text as text", textEntry("t", "plain words"), FakePasteboard::WriteKind::Text,
         [](const PasteboardContent &c) { return c.text == QStringLiteral("plain words"); }},
        {"files as file paths", fileEntry("f"), FakePasteboard::WriteKind::FilePaths,
         [](const PasteboardContent &c) { return c.filePaths == QStringList{"/home/user/a.txt", "/home/user/b c.png"}; }},
        {"image as image", imageEntry("i", png), FakePasteboard::WriteKind::Image,
         [&](const PasteboardContent &c) { return !c.images.isEmpty() && c.images.first().data == png; }},
        // An image whose bytes are gone has nothing to offer but its (empty) text.
        {"image without bytes as text", imageEntry("e", std::nullopt), FakePasteboard::WriteKind::Text,
         [](const PasteboardContent &c) { return c.text == QString(""); }},
    };
    QList<ClipboardEntry> seeded;
    for (const Case &c : cases)
        seeded.append(c.entry);
    seedHistory(seeded);
    createModel();
    for (const Case &c : cases) {
        model->pasteEntryFromPanel(c.entry, false, std::nullopt, false);
        EXPECT_EQ(pasteboard.lastWriteKind(), c.kind) << c.name;
        EXPECT_TRUE(c.holds(pasteboard.content())) << c.name;
        // Our own write never comes back as a copy.
        const qsizetype before = model->entries().size();
        model->readClipboardIfChanged();
        EXPECT_EQ(model->entries().size(), before) << c.name;
    }
    EXPECT_EQ(pastes(), int(std::size(cases)));
}

TEST_F(PasteModelTest, WithoutTrustTheContentWaitsOnTheClipboardAndNoKeyIsSent)
{
    seedHistory({textEntry("a"), textEntry("b")});
    seedPasteStack({"a", "b"});
    createModel();
    model->setIsQuickAccessPresented(true);
    permissions.setAccessibilityTrusted(false);

    model->pasteEntryFromPanel(model->pasteStackEntries().first(), false, kFrontPid, true);
    EXPECT_EQ(pasteboard.content().text, QStringLiteral("text of a"));
    EXPECT_EQ(model->shortcutNotice(), ShortcutNotice::staleTrust());
    EXPECT_FALSE(model->accessibilityPermissionEnabled());
    EXPECT_TRUE(model->isQuickAccessPresented());
    EXPECT_TRUE(keys.sentChords().isEmpty());
    EXPECT_EQ(model->pasteStackEntryIDs(), (QStringList{"a", "b"}));
    EXPECT_TRUE(model->consumedEntryIDs().isEmpty());

    // A plain text hands the keyboard back to the remembered application, which stays the
    // target of the panel that is still open.
    model->setPasteTargetApplication(kEditor);
    model->pasteText("transformed");
    EXPECT_EQ(pasteboard.content().text, QStringLiteral("transformed"));
    EXPECT_EQ(workspace.activations(), QList<RunningApplication>{kEditor});
    EXPECT_EQ(model->pasteTargetApplication(), kEditor);
    EXPECT_FALSE(model->isQuickAccessPresented());
    EXPECT_TRUE(keys.sentChords().isEmpty());
}

TEST_F(PasteModelTest, CtrlVGoesToTheGivenProcessOrBackToTheRememberedApplication)
{
    seedHistory({textEntry("a")});
    // A Tk or Athena window says nothing of its process; an editor may show two windows.
    const RunningApplication withoutPid{15, 0, "Tk"};
    const RunningApplication closedWithoutPid{17, 0, "Tk"};
    const RunningApplication secondWindow{16, kEditor.pid, kEditor.name};
    workspace.setApplications({kEditor, withoutPid, secondWindow});
    createModel();
    const RunningApplication self{12, workspace.ownPid(), "Tarnel"};
    const RunningApplication quit{13, 913, "Closed"};
    const RunningApplication panel{14, workspace.ownPid(), "Tarnel"};
    int failures = 0;
    QObject::connect(model.get(), &ClipboardModel::pasteFailed, [&] { ++failures; });
    struct Case {
        const char *name;
        std::optional<qint64> pid;
        std::optional<RunningApplication> remembered;
        std::optional<RunningApplication> front;
        // The one Ctrl+V (the process and window it waited for), or none sent at all.
        std::optional<FakeKeySender::Sent> sent;
        std::optional<RunningApplication> rememberedAfter;
    };
    const Case cases[] = {
        {"given process", kFrontPid, kEditor, panel, FakeKeySender::Sent{KeyChord::Paste, kFrontPid}, kEditor},
        // The panel took the keyboard when it was clicked: the keys wait for the editor to
        // have it back, and the editor stays the target of the open panel.
        {"remembered application", std::nullopt, kEditor, panel,
         FakeKeySender::Sent{KeyChord::Paste, kEditor.pid, kEditor.window}, kEditor},
        // Known by the window, not by a process it may not name or may share.
        {"remembered window says no process", std::nullopt, withoutPid, panel,
         FakeKeySender::Sent{KeyChord::Paste, 0, withoutPid.window}, withoutPid},
        {"remembered window is the process's other one", std::nullopt, secondWindow, panel,
         FakeKeySender::Sent{KeyChord::Paste, kEditor.pid, secondWindow.window}, secondWindow},
        {"remembered window without a process is closed, Tarnel in front", std::nullopt, closedWithoutPid, panel,
         std::nullopt, std::nullopt},
        {"remembered is Tarnel itself", std::nullopt, self, kEditor, FakeKeySender::Sent{KeyChord::Paste, std::nullopt}, self},
        {"remembered has quit", std::nullopt, quit, kEditor, FakeKeySender::Sent{KeyChord::Paste, std::nullopt}, std::nullopt},
        // Keys into Tarnel's own panel would land in its search field.
        {"remembered has quit, Tarnel in front", std::nullopt, quit, panel, std::nullopt, std::nullopt},
        {"nothing remembered, Tarnel in front", std::nullopt, std::nullopt, panel, std::nullopt, std::nullopt},
        {"nothing remembered and nothing in front", std::nullopt, std::nullopt, std::nullopt,
         FakeKeySender::Sent{KeyChord::Paste, std::nullopt}, std::nullopt},
    };
    for (const Case &c : cases) {
        keys.clear();
        model->setShortcutNotice(std::nullopt);
        const int failuresBefore = failures;
        workspace.setFrontmostApplication(c.front);
        model->setPasteTargetApplication(c.remembered);
        model->pasteEntryFromPanel(model->entries().first(), false, c.pid, false);
        if (c.sent) {
            EXPECT_EQ(keys.sentChords(), QList<FakeKeySender::Sent>{*c.sent}) << c.name;
            EXPECT_EQ(model->shortcutNotice(), std::nullopt) << c.name;
            EXPECT_EQ(failures, failuresBefore) << c.name;
        } else {
            EXPECT_TRUE(keys.sentChords().isEmpty()) << c.name;
            EXPECT_EQ(model->shortcutNotice(), ShortcutNotice::nothingPasted()) << c.name;
            EXPECT_EQ(failures, failuresBefore + 1) << c.name;
            EXPECT_EQ(pasteboard.content().text, QStringLiteral("text of a")) << c.name << ": left for a paste by hand";
        }
        EXPECT_EQ(model->pasteTargetApplication(), c.rememberedAfter) << c.name;
    }
    // The next paste that goes out ends the notice; a target that cannot be activated keeps it.
    workspace.setFrontmostApplication(panel);
    model->setPasteTargetApplication(kEditor);
    keys.setDropsChords(true);
    model->pasteEntryFromPanel(model->entries().first(), false, std::nullopt, false);
    EXPECT_EQ(model->shortcutNotice(), ShortcutNotice::nothingPasted());
    keys.setDropsChords(false);
    model->pasteEntryFromPanel(model->entries().first(), false, std::nullopt, false);
    EXPECT_EQ(model->shortcutNotice(), std::nullopt);
    // Each reason a paste is given up has its own notice, and a paste that goes out ends it.
    const std::pair<KeyDropReason, QString> reasons[] = {
        {KeyDropReason::NoTarget, ShortcutNotice::nothingPasted()},
        {KeyDropReason::NothingToType, ShortcutNotice::nothingToPasteHere()},
        {KeyDropReason::KeysHeld, ShortcutNotice::shortcutKeysHeld()},
    };
    for (const auto &[reason, notice] : reasons) {
        keys.setDropsChords(true, reason);
        model->pasteEntryFromPanel(model->entries().first(), false, std::nullopt, false);
        EXPECT_EQ(model->shortcutNotice(), notice) << int(reason);
        keys.setDropsChords(false);
        model->pasteEntryFromPanel(model->entries().first(), false, std::nullopt, false);
        EXPECT_EQ(model->shortcutNotice(), std::nullopt) << int(reason);
    }
    // A session that cannot press keys at all says so instead.
    keys.setAvailable(false);
    model->pasteEntryFromPanel(model->entries().first(), false, std::nullopt, false);
    EXPECT_EQ(model->shortcutNotice(), ShortcutNotice::staleTrust());
}

// One open panel, one application the user came from: every way of pasting from the panel
// reaches it, however many pastes follow one another, while the panel itself holds the
// keyboard after each click in it.
TEST_F(PasteModelTest, EveryPasteFromTheOpenPanelReachesTheApplicationTheUserCameFrom)
{
    seedHistory({textEntry("c", "tretí"), textEntry("b", "druhý"), textEntry("a", "prvý")});
    seedPasteStack({"c"});
    seedSnippets({{"s", "Podpis", QString(), "Jana"}});
    workspace.setApplications({kEditor});
    createModel();
    const RunningApplication panel{14, workspace.ownPid(), "Tarnel"};
    model->setPasteTargetApplication(kEditor);
    struct Road {
        const char *name;
        std::function<void()> paste;
        QString pasted;
    };
    const auto entry = [&](const QString &id) {
        for (const ClipboardEntry &e : model->entries())
            if (e.id == id)
                return e;
        return ClipboardEntry{};
    };
    const Road roads[] = {
        {"row click", [&] { model->pasteHistoryEntryFromClick(entry("a")); }, "prvý"},
        {"menu paste", [&] { model->pasteEntryFromPanel(entry("b"), false, std::nullopt, false); }, "druhý"},
        {"transform", [&] { model->pasteText("DRUHÝ"); }, "DRUHÝ"},
        {"paste next", [&] { model->pasteEntryFromPanel(model->pasteStackEntries().first(), false, std::nullopt, true); },
         "tretí"},
        {"snippet row", [&] { model->pasteText(model->snippets().first().text); }, "Jana"},
        {"selected row", [&] { model->pasteSelectedEntry(model->entries()); }, "tretí"},
    };
    for (const Road &road : roads) {
        // Each click in the panel gives it the keyboard first.
        workspace.setFrontmostApplication(panel);
        keys.clear();
        road.paste();
        // Into the very window the user was typing in.
        EXPECT_EQ(keys.sentChords(), (QList<FakeKeySender::Sent>{{KeyChord::Paste, kEditor.pid, kEditor.window}})) << road.name;
        ASSERT_EQ(keys.clipboardWhenSent().size(), 1) << road.name;
        EXPECT_EQ(keys.clipboardWhenSent().first().text, road.pasted) << road.name;
        EXPECT_EQ(model->pasteTargetApplication(), kEditor) << road.name;
    }
    EXPECT_TRUE(model->pasteStackEntryIDs().isEmpty());
}

// A typed trigger is expanded where it was typed: the Delete presses and Ctrl+V go to the
// application in front, not to one the panel remembers.
TEST_F(PasteModelTest, ATypedTriggerIsExpandedInTheApplicationInFront)
{
    seedSnippets({{"s", "Adresa", ";adr", "Hlavná 1"}});
    const RunningApplication browser{21, 921, "Browser"};
    workspace.setApplications({kEditor, browser});
    workspace.setFrontmostApplication(browser);
    createModel();
    model->setPasteTargetApplication(kEditor);
    for (const QChar c : QStringLiteral(";adr"))
        model->handleTypedKey(Qt::Key_A, QString(c), {});
    // The whole trigger is deleted: the key that completed it reached the application too.
    QList<FakeKeySender::Sent> expected(4, {KeyChord::Delete, std::nullopt});
    expected.append({KeyChord::Paste, std::nullopt});
    EXPECT_EQ(keys.sentChords(), expected);
    EXPECT_TRUE(workspace.activations().isEmpty());
}

// The application reads the clipboard when Ctrl+V reaches it: by then it must hold what is pasted.
TEST_F(PasteModelTest, CtrlVGoesOutOverThePastedContent)
{
    seedHistory({textEntry("a", "first"), textEntry("b", "second"), fileEntry("f")});
    seedPasteStack({"b", "a"});
    seedSnippets({{"s", "Adresa", ";adr", "Hlavná 1"}});
    createModel();
    struct Road {
        const char *name;
        std::function<void()> paste;
        std::function<bool(const PasteboardContent &)> pasted;
    };
    const auto entry = [&](const QString &id) {
        for (const ClipboardEntry &e : model->entries())
            if (e.id == id)
                return e;
        return ClipboardEntry{};
    };
    const auto text = [](const QString &expected) {
        return [expected](const PasteboardContent &c) { return c.text == expected; };
    };
    const Road roads[] = {
        {"history entry into a given process",
         [&] { model->pasteEntryFromPanel(entry("b"), false, kFrontPid, false); }, text("second")},
        {"files into a given process", [&] { model->pasteEntryFromPanel(entry("f"), false, kFrontPid, false); },
         [](const PasteboardContent &c) { return c.filePaths == QStringList{"/home/user/a.txt", "/home/user/b c.png"}; }},
        {"history entry back into the remembered application",
         [&] {
             model->setPasteTargetApplication(kEditor);
             model->pasteEntryFromPanel(entry("a"), false, std::nullopt, false);
         },
         text("first")},
        {"next of the Paste Stack",
         [&] { model->pasteEntryFromPanel(model->pasteStackEntries().first(), false, kFrontPid, true); }, text("second")},
        {"selected row", [&] {
             model->setSelectedEntryID("b");
             model->pasteSelectedEntry(model->entries());
         }, text("second")},
        {"transformed text", [&] { model->pasteText("FIRST"); }, text("FIRST")},
        {"typed snippet trigger",
         [&] {
             for (const QChar c : QStringLiteral(";adr"))
                 model->handleTypedKey(Qt::Key_A, QString(c), {});
         },
         text("Hlavná 1")},
    };
    for (const Road &road : roads) {
        keys.clear();
        pasteboard.copyText("what the user copied last");
        model->readClipboardIfChanged();
        road.paste();
        ASSERT_EQ(keys.count(KeyChord::Paste), 1) << road.name;
        ASSERT_EQ(keys.clipboardWhenSent().size(), keys.sentChords().size()) << road.name;
        ASSERT_EQ(keys.sentChords().last().chord, KeyChord::Paste) << road.name;
        EXPECT_TRUE(road.pasted(keys.clipboardWhenSent().last())) << road.name;
    }
}

TEST_F(PasteModelTest, DoubleClickOnAHistoryRowPastesOnce)
{
    seedHistory({textEntry("a"), textEntry("b")});
    createModel();
    const ClipboardEntry a = model->entries().at(0);
    const ClipboardEntry b = model->entries().at(1);
    const std::chrono::milliseconds interval(QGuiApplication::styleHints()->mouseDoubleClickInterval());
    ASSERT_GT(interval.count(), 1);
    struct Step {
        const char *name;
        std::chrono::milliseconds wait;
        ClipboardEntry row;
        int pastesAfter;
    };
    const Step steps[] = {
        {"first click", 0ms, a, 1},
        {"second click of a double click", 0ms, a, 1},
        {"another row pastes at once", 0ms, b, 2},
        {"same row after the interval", interval + 1ms, b, 3},
    };
    for (const Step &step : steps) {
        clock.advance(step.wait);
        model->pasteHistoryEntryFromClick(step.row);
        EXPECT_EQ(pastes(), step.pastesAfter) << step.name;
    }
    EXPECT_EQ(pasteboard.content().text, QStringLiteral("text of b"));
}

TEST_F(PasteModelTest, TheSecondClickOfADoubleClickHandsTheKeyboardBackToThePasteTarget)
{
    seedHistory({textEntry("a")});
    createModel();
    workspace.setApplications({kEditor});
    workspace.setFrontmostApplication(RunningApplication{14, workspace.ownPid(), "Tarnel"});
    model->setPasteTargetApplication(kEditor);
    const ClipboardEntry a = model->entries().at(0);
    model->pasteHistoryEntryFromClick(a);
    const qsizetype activationsAfterFirst = workspace.activations().size();
    // The click gave the panel the keyboard; the paste of the first click stands.
    model->pasteHistoryEntryFromClick(a);
    EXPECT_EQ(pastes(), 1);
    ASSERT_EQ(workspace.activations().size(), activationsAfterFirst + 1);
    EXPECT_EQ(workspace.activations().last(), kEditor);
}

TEST_F(PasteModelTest, CopyShortcutFeedsThePasteStackOrSkipsAPrivateCopy)
{
    createModel();
    // The application answers Ctrl+C a little later.
    model->copyUsingShortcut(false, kFrontPid);
    EXPECT_EQ(keys.sentChords(), (QList<FakeKeySender::Sent>{{KeyChord::Copy, kFrontPid}}));
    clock.advance(ClipboardModel::kCopyFollowUpInterval * 3);
    pasteboard.copyText("for the stack");
    clock.advance(ClipboardModel::kCopyFollowUpInterval);
    ASSERT_EQ(model->entries().size(), 1);
    EXPECT_EQ(model->pasteStackEntryIDs(), QStringList{model->entries().first().id});
    EXPECT_FALSE(model->isAwaitingCopy());

    model->copyUsingShortcut(true, kFrontPid);
    pasteboard.copyText("secret");
    clock.advance(ClipboardModel::kCopyFollowUpInterval);
    EXPECT_EQ(model->entries().size(), 1);

    // A copy already on the clipboard before the shortcut is an ordinary copy.
    pasteboard.copyText("copied before");
    model->copyUsingShortcut(false, kFrontPid);
    EXPECT_EQ(model->entries().size(), 2);
    EXPECT_EQ(model->pasteStackEntryIDs().size(), 1);

    // An application that never copies: the request ends after the last follow-up read.
    clock.advance(ClipboardModel::kCopyFollowUpInterval * (ClipboardModel::kCopyFollowUpReads - 1));
    EXPECT_TRUE(model->isAwaitingCopy());
    clock.advance(ClipboardModel::kCopyFollowUpInterval);
    EXPECT_FALSE(model->isAwaitingCopy());
    EXPECT_EQ(clock.pendingCount(), 0u);
    pasteboard.copyText("ordinary");
    model->readClipboardIfChanged();
    ASSERT_EQ(model->entries().size(), 3);
    EXPECT_EQ(model->pasteStackEntryIDs().size(), 1);
}

// On a busy machine the application takes the clipboard at once but hands its content over
// seconds later: the copy still goes into the Paste Stack, and a request whose change never
// delivers ends once the reading is over.
TEST_F(PasteModelTest, ACopyShortcutWaitsForACopyStillBeingReadFromItsOwner)
{
    createModel();
    model->copyUsingShortcut(false, kFrontPid);
    clock.advance(ClipboardModel::kCopyFollowUpInterval * 2);
    pasteboard.setFetching(true);
    clock.advance(ClipboardModel::kCopyFollowUpInterval * (ClipboardModel::kCopyFollowUpReads + 10));
    EXPECT_TRUE(model->isAwaitingCopy()) << "gave up while the copy was still being read";
    pasteboard.setFetching(false);
    pasteboard.copyText("for the stack");
    clock.advance(ClipboardModel::kCopyFollowUpInterval);
    ASSERT_EQ(model->entries().size(), 1);
    EXPECT_EQ(model->pasteStackEntryIDs(), QStringList{model->entries().first().id});

    model->copyUsingShortcut(false, kFrontPid);
    pasteboard.setFetching(true);
    clock.advance(ClipboardModel::kCopyFollowUpInterval * 5);
    pasteboard.setFetching(false);
    clock.advance(ClipboardModel::kCopyFollowUpInterval * (ClipboardModel::kCopyFollowUpReads - 1));
    EXPECT_TRUE(model->isAwaitingCopy());
    clock.advance(ClipboardModel::kCopyFollowUpInterval);
    EXPECT_FALSE(model->isAwaitingCopy()) << "waited on after the reading ended";
}

TEST_F(PasteModelTest, ACopyShortcutThatCannotBeTypedEndsItsRequestAndSaysSo)
{
    // Nothing selected in the program in front is told in the notch as well, where the user
    // looks after a shortcut pressed over another program; a window that could not be reached
    // is told where the paste notices are.
    const struct {
        KeyDropReason reason;
        bool nothingSelected;
    } cases[] = {{KeyDropReason::NothingToType, true}, {KeyDropReason::NoTarget, false}};
    createModel();
    qsizetype copies = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(int(c.reason));
        // The copied notice of the row before has ended.
        clock.advance(ClipboardModel::kCopiedNoticeDuration);
        keys.setDropsChords(true, c.reason);
        model->copyUsingShortcut(false, kFrontPid);
        EXPECT_FALSE(model->isAwaitingCopy());
        EXPECT_EQ(model->shortcutNotice(), ShortcutNotice::nothingCopied());
        EXPECT_EQ(model->nothingSelectedNotice(), c.nothingSelected);
        EXPECT_EQ(model->copiedNoticeVisible(), c.nothingSelected);
        // The next copy is an ordinary one, not one for the Paste Stack.
        pasteboard.copyText(QStringLiteral("ordinary %1").arg(int(c.reason)));
        model->readClipboardIfChanged();
        ASSERT_EQ(model->entries().size(), ++copies);
        EXPECT_TRUE(model->pasteStackEntryIDs().isEmpty());
    }
}

} // namespace
} // namespace pastetest
