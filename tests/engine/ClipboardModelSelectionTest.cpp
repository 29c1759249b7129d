// The lists the panel shows and the one selection moved through them.
#include "PasteModelFixture.h"

namespace pastetest {
namespace {

TEST_F(PasteModelTest, ClipboardListFollowsPinsTheStackAndUsedUpEntries)
{
    ClipboardEntry image = textEntry("img", "");
    image.kind = ClipboardKind::Image;
    seedHistory({textEntry("jarred"), textEntry("stacked"), textEntry("pinned"), textEntry("plain"), image});
    seedJars({{"J", "Jar", {"jarred"}}});
    createModel();
    model->togglePin(textEntry("pinned"));
    model->addToPasteStack(textEntry("stacked"));
    EXPECT_EQ(idsOf(model->clipboardEntries()), (QStringList{"jarred", "plain", "img"}));
    // A Jar keeps its entry out of the clear; images are never cleared here.
    EXPECT_EQ(idsOf(model->clearableClipboardEntries()), QStringList{"plain"});
    EXPECT_EQ(idsOf(model->clearableHistoryEntries()), QStringList{"plain"});

    // Pasted off the stack without repeat: it stays out of the clipboard list.
    model->pasteEntryFromPanel(model->pasteStackEntries().first(), false, std::nullopt, true);
    EXPECT_TRUE(model->pasteStackEntryIDs().isEmpty());
    EXPECT_EQ(idsOf(model->clipboardEntries()), (QStringList{"jarred", "plain", "img"}));
    // ... but the history clear may now take it.
    EXPECT_EQ(idsOf(model->clearableHistoryEntries()), (QStringList{"stacked", "plain"}));
}

TEST_F(PasteModelTest, SelectionMovesWithinTheShownList)
{
    seedHistory({textEntry("a"), textEntry("b"), textEntry("c")});
    createModel();
    const QList<ClipboardEntry> list = model->entries();
    struct Case {
        const char *name;
        std::optional<QString> start;
        int direction;
        std::optional<QString> expected;
    };
    const Case cases[] = {
        {"down from nothing", std::nullopt, 1, "a"},
        {"up from nothing", std::nullopt, -1, "c"},
        {"down", "a", 1, "b"},
        {"down at the end", "c", 1, "c"},
        {"up at the top", "a", -1, "a"},
        {"from outside the list", "zz", -1, "c"},
    };
    for (const Case &c : cases) {
        model->setSelectedEntryID(c.start);
        model->navigateSelection(list, c.direction);
        EXPECT_EQ(model->selectedEntryID(), c.expected) << c.name;
    }
    model->setSelectedEntryID(QStringLiteral("b"));
    model->navigateSelection({}, 1);
    EXPECT_EQ(model->selectedEntryID(), QStringLiteral("b"));
}

TEST_F(PasteModelTest, SelectingGivesQuickAccessItemsTheKeyboardOnlyWhenShown)
{
    seedHistory({textEntry("a")});
    createModel();
    model->setQuickAccessKeyboardFocus(QuickAccessKeyboardFocus::Search);
    model->setSelectedEntry(model->entries().first());
    EXPECT_EQ(model->selectedEntryID(), QStringLiteral("a"));
    EXPECT_EQ(model->quickAccessKeyboardFocus(), QuickAccessKeyboardFocus::Search);
    model->setIsQuickAccessPresented(true);
    model->setSelectedEntry(model->entries().first());
    EXPECT_EQ(model->quickAccessKeyboardFocus(), QuickAccessKeyboardFocus::Items);
}

} // namespace
} // namespace pastetest
