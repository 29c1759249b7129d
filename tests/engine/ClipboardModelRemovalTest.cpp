#include "EngineTestSupport.h"

#include <gtest/gtest.h>

namespace {

// A history with one entry of every sort the clears tell apart:
// T plain text, P pinned text, J text in a Jar, S text in the Paste Stack, C consumed text,
// F file, G gallery image, GP pinned gallery image, SS screenshot, SSP pinned screenshot.
struct RemovalScene {
    ModelHarness h;
    ClipboardModel *model = nullptr;

    RemovalScene()
    {
        auto image = [](const char *id, bool screenshot, bool pinned) {
            ClipboardEntry entry = makeEntry(id, QString());
            entry.kind = ClipboardKind::Image;
            entry.isScreenshot = screenshot;
            entry.isPinned = pinned;
            return entry;
        };
        ClipboardEntry pinned = makeEntry("P");
        pinned.isPinned = true;
        ClipboardEntry file = makeEntry("F", "/tmp/f");
        file.kind = ClipboardKind::File;
        file.fileURLs = {"/tmp/f"};
        const QList<ClipboardEntry> entries{makeEntry("T"), pinned, makeEntry("J"), makeEntry("S"), makeEntry("C"), file,
                                            image("G", false, false), image("GP", false, true), image("SS", true, false),
                                            image("SSP", true, true)};
        h.settings.setBytes(ClipboardModel::historyKey, ClipboardEntry::encodeList(entries));
        h.settings.setTextList(ClipboardModel::pasteStackKey, {"S", "P"});
        h.settings.setTextList(ClipboardModel::consumedEntriesKey, {"C", "G"});
        h.settings.setBytes(ClipboardModel::jarsKey,
                            ClipboardJar::encodeList({{"J1", "one", {"J", "P"}}, {"J2", "two", {"SS"}}}));
        model = &h.make();
    }
};

TEST(ClipboardModelRemoval, EachClearRemovesExactlyItsSection)
{
    struct Case {
        const char *name;
        std::function<void(ClipboardModel &)> clear;
        QStringList remaining;
    };
    const Case cases[] = {
        {"clipboard", [](ClipboardModel &m) { m.clearClipboardEntries(); },
         {"P", "J", "S", "C", "G", "GP", "SS", "SSP"}},
        {"history", [](ClipboardModel &m) { m.clearHistoryEntries(); }, {"P", "J", "S", "G", "GP", "SS", "SSP"}},
        {"pins", [](ClipboardModel &m) { m.clearPinnedEntries(); }, {"T", "J", "S", "C", "F", "G", "SS"}},
        {"gallery", [](ClipboardModel &m) { m.clearGalleryEntries(); }, {"T", "P", "J", "S", "C", "F", "SS", "SSP"}},
        {"screenshots", [](ClipboardModel &m) { m.clearScreenshotEntries(); }, {"T", "P", "J", "S", "C", "F", "G", "GP"}},
    };
    for (const Case &c : cases) {
        RemovalScene scene;
        scene.model->setSelectedEntryID(QStringLiteral("P"));
        c.clear(*scene.model);
        EXPECT_EQ(scene.model->selectedEntryID().has_value(), c.remaining.contains("P")) << c.name;
        EXPECT_EQ(idsOf(scene.model->entries()), c.remaining) << c.name;
        // No list names an entry that is gone.
        const QStringList present = idsOf(scene.model->entries());
        for (const QString &id : scene.model->pasteStackEntryIDs())
            EXPECT_TRUE(present.contains(id)) << c.name << " stack " << id.toStdString();
        for (const QString &id : scene.model->consumedEntryIDs())
            EXPECT_TRUE(present.contains(id)) << c.name << " consumed " << id.toStdString();
        for (const ClipboardJar &jar : scene.model->jars()) {
            for (const QString &id : jar.entryIDs)
                EXPECT_TRUE(present.contains(id)) << c.name << " jar " << id.toStdString();
        }
        // What is in memory is what a restart finds.
        EXPECT_EQ(idsOf(scene.h.make().entries()), c.remaining) << c.name;
    }
}

TEST(ClipboardModelRemoval, RemovedImagesLeaveTheImageFolder)
{
    ModelHarness h;
    ClipboardModel &model = h.make();
    h.pasteboard.copyImage(pngBytes(4, 4));
    model.readClipboardIfChanged();
    h.copyText(QStringLiteral("text"));
    ASSERT_TRUE(model.flushHistory(5s));
    ASSERT_EQ(h.imageFiles().size(), 1);
    model.clearGalleryEntries();
    ASSERT_TRUE(model.flushHistory(5s));
    EXPECT_TRUE(h.imageFiles().isEmpty());
    EXPECT_EQ(h.entryTexts(), QStringList{"text"});
}

} // namespace
