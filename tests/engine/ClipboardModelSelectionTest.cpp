// The lists the panel shows and the one selection moved through them.
#include "EngineTestSupport.h"

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
    EXPECT_TRUE(model->hasClearableClipboardEntries());
    EXPECT_TRUE(model->hasClearableHistoryEntries());
    // Used up, "plain" leaves the Clipboard clear but not the History clear.
    model->setConsumedEntryIDs({QStringLiteral("plain")});
    EXPECT_TRUE(model->clearableClipboardEntries().isEmpty());
    EXPECT_FALSE(model->hasClearableClipboardEntries());
    EXPECT_TRUE(model->hasClearableHistoryEntries());
    model->setConsumedEntryIDs({});

    // Pasted off the stack without repeat: it stays out of the clipboard list.
    model->pasteEntryFromPanel(model->pasteStackEntries().first(), false, std::nullopt, true);
    EXPECT_TRUE(model->pasteStackEntryIDs().isEmpty());
    EXPECT_EQ(idsOf(model->clipboardEntries()), (QStringList{"jarred", "plain", "img"}));
    // ... but the history clear may now take it.
    EXPECT_EQ(idsOf(model->clearableHistoryEntries()), (QStringList{"stacked", "plain"}));

    // Pinned, jarred or an image: nothing either clear may take.
    model->togglePin(textEntry("stacked"));
    model->togglePin(textEntry("plain"));
    EXPECT_TRUE(model->clearableHistoryEntries().isEmpty());
    EXPECT_FALSE(model->hasClearableHistoryEntries());
    EXPECT_FALSE(model->hasClearableClipboardEntries());
}

} // namespace
} // namespace pastetest
