// The Paste Stack: its queue, paste-next, repeat mode and what gets used up.
#include "EngineTestSupport.h"

#include "core/ShortcutNotice.h"

namespace pastetest {
namespace {

class PasteStackTest : public PasteModelTest {
protected:
    // One paste-next as the footer action does it; the text that landed, or none.
    std::optional<QString> pasteNext()
    {
        const QList<ClipboardEntry> queue = model->pasteStackEntries();
        if (queue.isEmpty())
            return std::nullopt;
        const int before = pastes();
        model->pasteEntryFromPanel(queue.first(), false, std::nullopt, true);
        if (pastes() == before)
            return std::nullopt;
        return pasteboard.content().text;
    }
};

TEST_F(PasteStackTest, PasteNextDeliversEachEntryOnceThenNothing)
{
    seedHistory({textEntry("c"), textEntry("b"), textEntry("a")});
    seedPasteStack({"a", "b", "c"});
    createModel();
    QStringList delivered;
    while (const std::optional<QString> text = pasteNext())
        delivered.append(*text);
    EXPECT_EQ(delivered, (QStringList{"text of a", "text of b", "text of c"}));
    EXPECT_TRUE(model->pasteStackEntryIDs().isEmpty());
    EXPECT_EQ(model->consumedEntryIDs(), (QSet<QString>{"a", "b", "c"}));
    EXPECT_TRUE(storedPasteStack().isEmpty());
    EXPECT_EQ(storedConsumed(), (QSet<QString>{"a", "b", "c"}));
    // Used up: gone from the clipboard section though still in the history.
    EXPECT_TRUE(model->clipboardEntries().isEmpty());
    EXPECT_EQ(model->entries().size(), 3);
}

TEST_F(PasteStackTest, RepeatModeCyclesWithoutUsingUp)
{
    seedHistory({textEntry("c"), textEntry("b"), textEntry("a")});
    seedPasteStack({"a", "b", "c"});
    settings.setBool(QStringLiteral("tarnel.repeatsPasteStack"), true);
    createModel();
    QStringList delivered;
    for (int i = 0; i < 5; ++i)
        delivered.append(pasteNext().value_or("<nothing>"));
    EXPECT_EQ(delivered, (QStringList{"text of a", "text of b", "text of c", "text of a", "text of b"}));
    EXPECT_EQ(model->pasteStackEntryIDs(), (QStringList{"c", "a", "b"}));
    EXPECT_EQ(storedPasteStack(), (QStringList{"c", "a", "b"}));
    EXPECT_TRUE(model->consumedEntryIDs().isEmpty());
}

// The stack moves on only once Ctrl+V went out, also when it waits for the target application
// to take the keyboard back; a chord given up, or a paste with nowhere to go, changes nothing,
// is heard, and the notice says why.
TEST_F(PasteStackTest, OnlyASentPasteMovesTheStackOn)
{
    seedHistory({textEntry("b"), textEntry("a")});
    seedPasteStack({"a", "b"});
    const RunningApplication editor{2, 200, QStringLiteral("Editor")};
    const RunningApplication panel{3, workspace.ownPid(), QStringLiteral("Tarnel")};
    workspace.setApplications({editor});
    createModel();
    int failures = 0;
    QObject::connect(model.get(), &ClipboardModel::pasteFailed, [&] { ++failures; });
    struct Case {
        const char *name;
        std::optional<RunningApplication> remembered;
        bool drops;
    };
    const Case cases[] = {
        {"to the application in front, given up", std::nullopt, true},
        {"to the remembered application, given up", editor, true},
        // The editor has quit and the click left Tarnel's panel in front.
        {"remembered application gone", RunningApplication{4, 404, QStringLiteral("Closed")}, false},
    };
    for (const Case &c : cases) {
        model->setShortcutNotice(std::nullopt);
        const int failuresBefore = failures;
        workspace.setFrontmostApplication(c.remembered ? panel : editor);
        model->setPasteTargetApplication(c.remembered);
        keys.setDropsChords(c.drops);
        model->pasteEntryFromPanel(model->pasteStackEntries().first(), false, std::nullopt, true);
        EXPECT_EQ(model->pasteStackEntryIDs(), (QStringList{"a", "b"})) << c.name;
        EXPECT_TRUE(model->consumedEntryIDs().isEmpty()) << c.name;
        EXPECT_EQ(storedPasteStack(), (QStringList{"a", "b"})) << c.name;
        EXPECT_EQ(failures, failuresBefore + 1) << c.name;
        EXPECT_EQ(model->shortcutNotice(), ShortcutNotice::nothingPasted()) << c.name;
    }
    keys.setDropsChords(false);
    workspace.setFrontmostApplication(panel);
    model->setPasteTargetApplication(editor);
    model->pasteEntryFromPanel(model->pasteStackEntries().first(), false, std::nullopt, true);
    EXPECT_EQ(keys.sentChords(), (QList<FakeKeySender::Sent>{{KeyChord::Paste, editor.pid, editor.window}}));
    EXPECT_EQ(model->pasteStackEntryIDs(), QStringList{"b"});
    EXPECT_EQ(model->consumedEntryIDs(), QSet<QString>{"a"});
    EXPECT_EQ(model->shortcutNotice(), std::nullopt);
}

} // namespace
} // namespace pastetest
