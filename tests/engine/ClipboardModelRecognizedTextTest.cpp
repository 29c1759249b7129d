#include "EngineTestSupport.h"

#include <gtest/gtest.h>

namespace {

const QString kSheetID = QStringLiteral("0F3C7A52-8E1B-4D7A-9C55-3B1E2A6F9D10");

std::optional<ClipboardEntry> entryWithID(const ClipboardModel &model, const QString &id)
{
    for (const ClipboardEntry &entry : model.entries()) {
        if (entry.id == id)
            return entry;
    }
    return std::nullopt;
}

TEST(ClipboardModelRecognizedText, AScreenReadBecomesASelectedEntryAndTheClipboardsOwnContent)
{
    const struct {
        const char *name;
        QString text;
        ClipboardKind kind;
    } cases[] = {
        {"leading spaces and a trailing line break are kept", QStringLiteral("  Faktúra 2026\n"), ClipboardKind::Text},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ModelHarness h;
        ClipboardModel &model = h.make();
        h.copyText(QStringLiteral("earlier copy"));
        h.clock.advance(ClipboardModel::kCopiedNoticeDuration);
        ASSERT_FALSE(model.copiedNoticeVisible());

        model.copyScreenRecognition(c.text);
        ASSERT_EQ(model.entries().size(), 2);
        const ClipboardEntry &entry = model.entries().first();
        EXPECT_EQ(entry.text, c.text);
        EXPECT_EQ(entry.kind, c.kind);
        EXPECT_EQ(entry.sourceApp, QStringLiteral("Tarnel OCR"));
        EXPECT_EQ(entry.copiedAt, h.clock.now());
        EXPECT_FALSE(entry.isScreenshot || entry.isPinned || entry.imageData || entry.screenshotFileURL
                     || entry.temporaryUntil);
        EXPECT_EQ(model.selectedEntryID(), entry.id);
        EXPECT_EQ(h.pasteboard.content().text, c.text);
        EXPECT_TRUE(model.copiedNoticeVisible());
        const QList<ClipboardEntry> stored = h.storedHistory();
        ASSERT_EQ(stored.size(), 2);
        EXPECT_EQ(stored.first().text, c.text);

        // The model's own write is not captured again by the next poll steps.
        model.readClipboardIfChanged();
        model.readClipboardIfChanged();
        EXPECT_EQ(model.entries().size(), 2);
        // A later foreign copy still is.
        h.copyText(QStringLiteral("later copy"));
        EXPECT_EQ(model.entries().size(), 3);
    }
}

TEST(ClipboardModelRecognizedText, BlankTextOrNoIdChangesNothing)
{
    const QString blanks[] = {QString(), QStringLiteral(" \n\t\r\n \u00a0\u2003")};
    for (const QString &blank : blanks) {
        SCOPED_TRACE(blank.toStdString());
        ModelHarness h;
        ClipboardModel &model = h.make();
        const int writes = h.settings.writeCount();
        model.copyScreenRecognition(blank);
        model.copyScreenshotText(blank);
        EXPECT_FALSE(model.saveScreenshotText(blank, kSheetID, OCRTextDestination::Pins));
        EXPECT_FALSE(model.saveScreenshotText(QStringLiteral("text"), QString(), OCRTextDestination::History)) << "no id";
        EXPECT_TRUE(model.entries().isEmpty());
        EXPECT_EQ(h.pasteboard.writeCount(), 0);
        EXPECT_EQ(h.settings.writeCount(), writes);
        EXPECT_FALSE(model.copiedNoticeVisible());
    }
}

TEST(ClipboardModelRecognizedText, SavedSheetTextIsFiledByDestination)
{
    const struct {
        const char *name;
        OCRTextDestination destination;
        bool pinned;
        bool inStack;
    } cases[] = {
        {"history", OCRTextDestination::History, false, false},
        {"paste stack", OCRTextDestination::PasteStack, false, true},
        {"pins", OCRTextDestination::Pins, true, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ModelHarness h;
        ClipboardModel &model = h.make();
        EXPECT_TRUE(model.saveScreenshotText(QStringLiteral("Rozpoznaný text"), kSheetID, c.destination));
        const std::optional<ClipboardEntry> entry = entryWithID(model, kSheetID);
        ASSERT_TRUE(entry.has_value());
        EXPECT_EQ(model.entries().first().id, kSheetID);
        EXPECT_EQ(entry->sourceApp, QStringLiteral("Tarnel OCR"));
        EXPECT_EQ(entry->isPinned, c.pinned);
        EXPECT_EQ(model.pasteStackEntryIDs().contains(kSheetID), c.inStack);
        EXPECT_EQ(h.settings.textListValue(ClipboardModel::pasteStackKey).value_or(QStringList()).contains(kSheetID), c.inStack);
        EXPECT_EQ(h.pasteboard.writeCount(), 0) << "saving does not touch the clipboard";

        // Stored as it is now: a new model reads the same entry back.
        ClipboardModel &reloaded = h.make();
        const std::optional<ClipboardEntry> stored = entryWithID(reloaded, kSheetID);
        ASSERT_TRUE(stored.has_value());
        EXPECT_EQ(stored->isPinned, c.pinned);
        EXPECT_EQ(reloaded.pasteStackEntryIDs().contains(kSheetID), c.inStack);
    }
}

TEST(ClipboardModelRecognizedText, SaveReportsAnEntryThatTheHistoryLimitRemovedAtOnce)
{
    ModelHarness h;
    ClipboardModel &model = h.make();
    model.setHistoryLimit(2);
    ASSERT_TRUE(model.saveScreenshotText(QStringLiteral("pin one"), QStringLiteral("P1"), OCRTextDestination::Pins));
    ASSERT_TRUE(model.saveScreenshotText(QStringLiteral("pin two"), QStringLiteral("P2"), OCRTextDestination::Pins));
    EXPECT_FALSE(model.saveScreenshotText(QStringLiteral("no room"), kSheetID, OCRTextDestination::History));
    EXPECT_FALSE(entryWithID(model, kSheetID).has_value());
    EXPECT_EQ(idsOf(model.entries()), (QStringList{QStringLiteral("P2"), QStringLiteral("P1")}));
    // An entry in the Paste Stack is protected from the limit, so it stays.
    EXPECT_TRUE(model.saveScreenshotText(QStringLiteral("stacked"), QStringLiteral("S1"), OCRTextDestination::PasteStack));
    EXPECT_TRUE(entryWithID(model, QStringLiteral("S1")).has_value());
}

} // namespace
