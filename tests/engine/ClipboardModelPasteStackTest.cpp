// The Paste Stack: its queue, paste-next, repeat mode and what gets used up.
#include "EngineTestSupport.h"

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

// The stack moves on only once Ctrl+V went out, also when it goes out after the target
// application was activated again; a chord given up changes nothing and is heard.
TEST_F(PasteStackTest, OnlyASentPasteMovesTheStackOn)
{
    seedHistory({textEntry("b"), textEntry("a")});
    seedPasteStack({"a", "b"});
    createModel();
    int failures = 0;
    QObject::connect(model.get(), &ClipboardModel::pasteFailed, [&] { ++failures; });
    for (const bool viaActivation : {false, true}) {
        if (viaActivation)
            model->setPasteTargetApplication(RunningApplication{2, 200, QStringLiteral("Editor")});
        keys.setDropsChords(true);
        model->pasteEntryFromPanel(model->pasteStackEntries().first(), false, std::nullopt, true);
        clock.advance(ClipboardModel::kPasteAfterActivationDelay);
        EXPECT_EQ(model->pasteStackEntryIDs(), (QStringList{"a", "b"})) << viaActivation;
        EXPECT_TRUE(model->consumedEntryIDs().isEmpty()) << viaActivation;
        EXPECT_EQ(storedPasteStack(), (QStringList{"a", "b"})) << viaActivation;
        EXPECT_EQ(failures, viaActivation ? 2 : 1);
    }
    keys.setDropsChords(false);
    model->setPasteTargetApplication(RunningApplication{2, 200, QStringLiteral("Editor")});
    model->pasteEntryFromPanel(model->pasteStackEntries().first(), false, std::nullopt, true);
    EXPECT_EQ(model->pasteStackEntryIDs(), (QStringList{"a", "b"})) << "not before the delayed Ctrl+V";
    clock.advance(ClipboardModel::kPasteAfterActivationDelay);
    EXPECT_EQ(model->pasteStackEntryIDs(), QStringList{"b"});
    EXPECT_EQ(model->consumedEntryIDs(), QSet<QString>{"a"});
    EXPECT_EQ(failures, 2);
}

} // namespace
} // namespace pastetest
