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
    // B's row stays on disk for a build that can read it.
    EXPECT_EQ(planned.change.removals, QStringList{"A"});

    // A file whose name the unreadable row holds is never released, wherever the path leads.
    differ.holdImages({QStringLiteral("a.image")});
    const HistoryDiffer::Planned held =
        differ.plan({makeEntry(QStringLiteral("T"))}, {{image("C", "/s/c.image"), makeEntry(QStringLiteral("T"))}});
    EXPECT_EQ(held.releasedImages, QSet<QString>{"/s/c.image"});
    EXPECT_EQ(held.change.removals, QStringList{"A"});
}

// The rows of a store after each committed change, newest first, as the database reads them.
struct StoredRows {
    QHash<QString, StoredHistoryRow> rows;
    void apply(const HistoryChange &change)
    {
        for (const StoredHistoryRow &row : change.writes)
            rows.insert(row.id, row);
        for (const auto &[id, position] : change.moves)
            rows[id].position = position;
        for (const QString &id : change.removals)
            rows.remove(id);
    }
    QList<StoredHistoryRow> ordered() const
    {
        QList<StoredHistoryRow> list = rows.values();
        std::sort(list.begin(), list.end(), [](const auto &a, const auto &b) { return a.position > b.position; });
        return list;
    }
};

TEST(HistoryDiffer, RowEditsWriteOnlyTheirRowsAndLeaveTheStoreAsAWholeComparisonWould)
{
    using Kind = HistoryRowEdit::Kind;
    auto image = [](const QString &id, const QString &path) {
        ClipboardEntry entry = makeEntry(id, QString());
        entry.kind = ClipboardKind::Image;
        entry.imageFilePath = path;
        return entry;
    };
    QList<ClipboardEntry> list;
    for (int i = 0; i < 40; ++i)
        list.append(i % 10 == 3 ? image(QStringLiteral("I%1").arg(i), QStringLiteral("/s/shared.image"))
                                : makeEntry(QStringLiteral("E%1").arg(i)));
    HistoryDiffer byEdits;
    HistoryDiffer whole;
    StoredRows byEditsRows;
    StoredRows wholeRows;
    for (HistoryDiffer *differ : {&byEdits, &whole}) {
        (differ == &byEdits ? byEditsRows : wholeRows).apply(differ->plan(list).change);
        differ->commit();
    }

    // Each step: states handed over one after another (all but the last skipped), each with the
    // edits from the one before.
    struct State {
        QList<ClipboardEntry> entries;
        QList<HistoryRowEdit> edits;
    };
    const auto edited = [](QList<ClipboardEntry> entries, const QList<HistoryRowEdit> &edits,
                           const QList<ClipboardEntry> &inserted) {
        qsizetype next = 0;
        for (const HistoryRowEdit &edit : edits) {
            if (edit.kind == Kind::Removed)
                entries.remove(edit.row, edit.count);
            for (qsizetype i = 0; edit.kind == Kind::Inserted && i < edit.count; ++i)
                entries.insert(edit.row + i, inserted.at(next++));
        }
        return entries;
    };
    const struct Step {
        const char *name;
        QList<std::pair<QList<HistoryRowEdit>, QList<ClipboardEntry>>> states;
        QSet<QString> released;
    } steps[] = {
        {"a copy on top", {{{{Kind::Inserted, 0, 1}}, {makeEntry(QStringLiteral("C1"))}}}, {}},
        {"a copy at the limit", {{{{Kind::Inserted, 0, 1}, {Kind::Removed, 41, 1}}, {makeEntry(QStringLiteral("C2"))}}}, {}},
        {"two copies below a later one",
         {{{{Kind::Inserted, 1, 2}}, {makeEntry(QStringLiteral("C3")), makeEntry(QStringLiteral("C4"))}}},
         {}},
        {"an image copied and taken out before it was written",
         {{{{Kind::Inserted, 0, 1}}, {image(QStringLiteral("C5"), QStringLiteral("/s/c5.image"))}},
          {{{Kind::Removed, 0, 1}, {Kind::Inserted, 0, 1}}, {makeEntry(QStringLiteral("C6"))}}},
         {"/s/c5.image"}},
        {"a lowered limit in two runs, one of them an image still named by another",
         {{{{Kind::Removed, 30, 10}, {Kind::Removed, 10, 4}}, {}}},
         {}},
        {"every image taken out", {{{{Kind::Removed, 0, 26}}, {}}}, {"/s/shared.image"}},
        {"copies into an empty history",
         {{{{Kind::Inserted, 0, 2}}, {makeEntry(QStringLiteral("C7")), makeEntry(QStringLiteral("C8"))}}},
         {}},
    };
    for (const Step &step : steps) {
        QList<QList<ClipboardEntry>> handed;
        QList<HistoryDiffer::Edits> edits;
        for (const auto &[stateEdits, inserted] : step.states) {
            list = edited(list, stateEdits, inserted);
            handed.append(list);
            edits.append(stateEdits);
        }
        handed.removeLast();
        const HistoryDiffer::Planned planned = byEdits.plan(list, handed, edits);
        EXPECT_TRUE(byEdits.lastPlanWasIncremental()) << step.name;
        const HistoryDiffer::Planned reference = whole.plan(list, handed);
        EXPECT_EQ(planned.releasedImages, step.released) << step.name;
        EXPECT_EQ(reference.releasedImages, step.released) << step.name;
        EXPECT_TRUE(planned.change.moves.isEmpty()) << step.name;
        byEditsRows.apply(planned.change);
        wholeRows.apply(reference.change);
        byEdits.commit();
        whole.commit();
        QStringList storedIDs;
        for (const StoredHistoryRow &row : byEditsRows.ordered()) {
            storedIDs.append(row.id);
            EXPECT_EQ(row.record, wholeRows.rows.value(row.id).record) << step.name;
        }
        EXPECT_EQ(storedIDs, idsOf(list)) << step.name;
    }

    // A change the edits do not tell (a pin) is compared whole; the next copy goes by its edits.
    list[0].isPinned = true;
    const HistoryDiffer::Planned pinned = byEdits.plan(list, {}, {std::nullopt});
    EXPECT_FALSE(byEdits.lastPlanWasIncremental());
    ASSERT_EQ(pinned.change.writes.size(), 1);
    EXPECT_EQ(pinned.change.writes.first().id, list[0].id);
    byEdits.commit();
    list.prepend(makeEntry(QStringLiteral("C9")));
    const HistoryDiffer::Planned copied = byEdits.plan(list, {}, {QList<HistoryRowEdit>{{Kind::Inserted, 0, 1}}});
    EXPECT_TRUE(byEdits.lastPlanWasIncremental());
    EXPECT_EQ(copied.change.writes.size(), 1);
    // Edits that do not fit the list (a wrong row count) fall back to the whole comparison.
    list.prepend(makeEntry(QStringLiteral("C10")));
    byEdits.commit();
    byEdits.plan(list, {}, {QList<HistoryRowEdit>{{Kind::Inserted, 0, 2}}});
    EXPECT_FALSE(byEdits.lastPlanWasIncremental());
}

} // namespace
