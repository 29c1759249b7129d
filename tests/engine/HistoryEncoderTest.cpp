#include "engine/HistoryEncoder.h"

#include "EngineTestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(HistoryEncoder, WritesExactlyTheStoredFormAndReencodesOnlyWhatChanged)
{
    ClipboardEntry image = makeEntry("I", QString());
    image.kind = ClipboardKind::Image;
    image.imageFilePath = QStringLiteral("/data/Clipboard Images/X.image");
    image.isScreenshot = true;
    ClipboardEntry inlineImage = makeEntry("B", QString());
    inlineImage.kind = ClipboardKind::Image;
    inlineImage.imageData = QByteArray("\x89PNG bytes", 10);
    ClipboardEntry temporary = makeEntry("T", QStringLiteral("quote \" backslash \\ tab \t ünicode 🙂"));
    temporary.temporaryUntil = QDateTime(QDate(2026, 3, 1), QTime(12, 30, 15, 250), QTimeZone::utc());
    ClipboardEntry files = makeEntry("F", QStringLiteral("/a\n/b"));
    files.kind = ClipboardKind::File;
    files.fileURLs = {QStringLiteral("/a"), QStringLiteral("/b")};

    HistoryEncoder encoder;
    struct Step {
        const char *name;
        QList<ClipboardEntry> entries;
        int encoded;
    };
    ClipboardEntry pinnedFiles = files;
    pinnedFiles.isPinned = true;
    // The same letters, once composed and once decomposed: equal to read, different to store.
    const ClipboardEntry composed = makeEntry("C", QStringLiteral("Sn\u00edmka"));
    const ClipboardEntry decomposed = makeEntry("C", QStringLiteral("Sni\u0301mka"));
    const Step steps[] = {
        {"first write", {temporary, image, inlineImage, files}, 4},
        {"new entry on top", {makeEntry("N"), temporary, image, inlineImage, files}, 1},
        {"one entry changed", {makeEntry("N"), temporary, image, inlineImage, pinnedFiles}, 1},
        {"entries removed and reordered", {pinnedFiles, makeEntry("N")}, 0},
        {"a dropped entry comes back", {temporary, pinnedFiles}, 1},
        {"composed text", {composed}, 1},
        {"same text decomposed", {decomposed}, 1},
    };
    for (const Step &step : steps) {
        EXPECT_EQ(encoder.encode(step.entries), ClipboardEntry::encodeList(step.entries)) << step.name;
        EXPECT_EQ(encoder.lastEncodedCount(), step.encoded) << step.name;
    }
}

} // namespace
