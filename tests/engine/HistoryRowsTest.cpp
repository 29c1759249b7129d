#include "engine/HistoryRows.h"

#include "EngineTestSupport.h"

#include <gtest/gtest.h>

namespace {

bool strictlyFalling(const QList<qint64> &positions)
{
    for (qsizetype i = 1; i < positions.size(); ++i) {
        if (positions.at(i) >= positions.at(i - 1))
            return false;
    }
    return true;
}

TEST(HistoryRows, PositionsKeepWhatTheNewOrderAllowsAndMoveOnlyTheRest)
{
    struct Case {
        const char *name;
        QStringList ids;
        QHash<QString, qint64> earlier;
        QStringList unchanged; // ids that must keep their earlier position
    };
    const QHash<QString, qint64> abc{{"A", 3072}, {"B", 2048}, {"C", 1024}};
    const Case cases[] = {
        {"a copy on top", {"N", "A", "B", "C"}, abc, {"A", "B", "C"}},
        {"one removed", {"A", "C"}, abc, {"A", "C"}},
        {"one brought to the top", {"C", "A", "B"}, abc, {"A", "B"}},
        {"one put between two", {"A", "N", "B", "C"}, abc, {"A", "B", "C"}},
        {"appended below", {"A", "B", "C", "N"}, abc, {"A", "B", "C"}},
        {"all new", {"X", "Y"}, {}, {}},
        {"no room between neighbours", {"A", "N", "B"}, {{"A", 6}, {"B", 5}}, {}},
        {"reversed", {"C", "B", "A"}, abc, {"A"}},
    };
    for (const Case &c : cases) {
        const QList<qint64> positions = HistoryRows::positionsFor(c.ids, c.earlier);
        ASSERT_EQ(positions.size(), c.ids.size()) << c.name;
        EXPECT_TRUE(strictlyFalling(positions)) << c.name;
        int kept = 0;
        for (qsizetype i = 0; i < c.ids.size(); ++i) {
            if (c.earlier.value(c.ids.at(i), -1) == positions.at(i))
                ++kept;
        }
        for (const QString &id : c.unchanged)
            EXPECT_EQ(positions.at(c.ids.indexOf(id)), c.earlier.value(id)) << c.name << " " << id.toStdString();
        // The fewest rows move: never more kept than the order allows, never fewer.
        EXPECT_EQ(kept, c.unchanged.size()) << c.name;
    }
}

TEST(HistoryRows, ARowReadsWithTheForgivingEntryReaderOrIsRefusedWithAReason)
{
    struct Case {
        const char *name;
        QByteArray record;
        bool reads;
    };
    const Case cases[] = {
        {"whole entry", R"({"id":"A","text":"#ff8800","kind":"text"})", true},
        {"empty object", "{}", true},
        {"unknown kind", R"({"id":"A","kind":"bogus"})", false},
        {"truncated base64", R"({"id":"A","kind":"image","imageData":"iVBORw0KG"})", false},
        {"an array", "[]", false},
        {"not json", "{\"id\":", false},
        {"empty", "", false},
    };
    for (const Case &c : cases) {
        QString error;
        const std::optional<ClipboardEntry> entry = HistoryRows::decodeRow({QStringLiteral("A"), 1, c.record}, &error);
        EXPECT_EQ(entry.has_value(), c.reads) << c.name;
        EXPECT_EQ(error.isEmpty(), c.reads) << c.name;
    }
    EXPECT_EQ(HistoryRows::decodeRow({QStringLiteral("A"), 1, R"({"text":"#ff8800"})"})->kind, ClipboardKind::Color);
}

TEST(HistoryDiffer, OnlyNewChangedMovedAndRemovedEntriesReachTheTransaction)
{
    QList<ClipboardEntry> entries;
    for (int i = 0; i < 500; ++i)
        entries.append(makeEntry(QStringLiteral("E%1").arg(i)));
    HistoryDiffer differ;
    HistoryDiffer::Planned first = differ.plan(entries);
    EXPECT_EQ(first.change.writes.size(), 500);
    differ.commit();

    // A copy on top, the oldest trimmed, one pinned, one text edited in place.
    QList<ClipboardEntry> next = entries;
    next.prepend(makeEntry(QStringLiteral("NEW")));
    next.removeLast();
    next[10].isPinned = true;
    next[20].text = QStringLiteral("edited");
    const HistoryDiffer::Planned planned = differ.plan(next);
    QStringList written;
    for (const StoredHistoryRow &row : planned.change.writes)
        written.append(row.id);
    written.sort();
    EXPECT_EQ(written, (QStringList{"E19", "E9", "NEW"}));
    EXPECT_TRUE(planned.change.moves.isEmpty());
    EXPECT_EQ(planned.change.removals, QStringList{"E499"});

    // Not committed (the write failed): the same state plans the same change again.
    EXPECT_EQ(differ.plan(next).change.writes.size(), 3);
    differ.commit();
    EXPECT_TRUE(differ.plan(next).change.isEmpty());
}

TEST(HistoryDiffer, AnImageFileIsReleasedOnlyWhenNoEntryOfTheNewStateNamesIt)
{
    auto image = [](const QString &id, const QString &path) {
        ClipboardEntry entry = makeEntry(id, QString());
        entry.kind = ClipboardKind::Image;
        entry.imageFilePath = path;
        return entry;
    };
    HistoryDiffer differ;
    const QList<StoredHistoryRow> rows = HistoryRows::rowsFor({image("A", "/s/a.image"), image("B", "/s/b.image")});
    differ.adoptStored(rows, {image("A", "/s/a.image"), std::nullopt}); // B's row could not be read
    // A goes; a skipped (never written) state named c.image, which the new state drops too.
    const HistoryDiffer::Planned planned =
        differ.plan({makeEntry(QStringLiteral("T"))}, {{image("C", "/s/c.image"), makeEntry(QStringLiteral("T"))}});
    EXPECT_EQ(planned.releasedImages, (QSet<QString>{"/s/a.image", "/s/c.image"}));
    EXPECT_EQ(QSet<QString>(planned.change.removals.cbegin(), planned.change.removals.cend()), (QSet<QString>{"A", "B"}));
}

} // namespace
