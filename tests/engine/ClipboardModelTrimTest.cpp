#include "EngineTestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(ClipboardModelTrim, AStackedTemporaryEntryOutlivesItsEndUntilItLeavesTheStack)
{
    ModelHarness h;
    ClipboardModel &model = h.make();
    model.setTemporaryMinutes(1);
    model.copyUsingShortcut(false, 0);
    h.copyText(QStringLiteral("stacked"));
    h.clock.advance(std::chrono::minutes(2));
    model.readClipboardIfChanged();
    ASSERT_EQ(model.entries().size(), 1);
    model.setPasteStackEntryIDs({});
    model.readClipboardIfChanged();
    EXPECT_TRUE(model.entries().isEmpty());
}

TEST(ClipboardModelTrim, RemovedIdsLeaveTheJarsWhichAreWrittenOnce)
{
    const QList<ClipboardEntry> entries{makeEntry("A"), makeEntry("B"), makeEntry("C")};
    const QList<ClipboardJar> jars{{"J1", "one", {"C", "A"}}, {"J2", "two", {"A"}}};
    ModelHarness h;
    h.settings.setBytes(ClipboardModel::historyKey, ClipboardEntry::encodeList(entries));
    h.settings.setBytes(ClipboardModel::jarsKey, ClipboardJar::encodeList(jars));
    ClipboardModel &model = h.make();
    const QByteArray jarsBefore = *h.settings.bytesValue(ClipboardModel::jarsKey);
    int jarWrites = 0;
    QObject::connect(&model, &ClipboardModel::jarsChanged, [&jarWrites] { ++jarWrites; });
    model.setHistoryLimit(2);
    EXPECT_EQ(idsOf(model.entries()), (QStringList{"A", "B"}));
    EXPECT_EQ(model.jars().at(0).entryIDs, QStringList{"A"});
    EXPECT_EQ(model.jars().at(1).entryIDs, QStringList{"A"});
    EXPECT_EQ(jarWrites, 1);
    EXPECT_NE(*h.settings.bytesValue(ClipboardModel::jarsKey), jarsBefore);
}

// One entry trimmed by a copy, then many by a lower limit: the ids of the trimmed entries, and
// ids that named no entry before, leave the Paste Stack, the used-up set and the Jars; ids of
// listed entries stay.
TEST(ClipboardModelTrim, TrimmedAndStaleIdsLeaveEveryListThatNamesThem)
{
    QList<ClipboardEntry> entries;
    QStringList ids;
    for (const char *id : {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L"}) {
        entries.append(makeEntry(id));
        ids.append(QString::fromLatin1(id));
    }
    ModelHarness h;
    h.settings.setBytes(ClipboardModel::historyKey, ClipboardEntry::encodeList(entries));
    h.settings.setBytes(ClipboardModel::jarsKey, ClipboardJar::encodeList({{"J", "jar", {"L", "A", "D"}}}));
    h.settings.setTextList(ClipboardModel::pasteStackKey, {"B", "gone"});
    h.settings.setTextList(ClipboardModel::consumedEntriesKey, {"C", "A", "old"});
    ClipboardModel &model = h.make();
    const auto consumed = [&model] {
        QStringList sorted(model.consumedEntryIDs().cbegin(), model.consumedEntryIDs().cend());
        sorted.sort();
        return sorted;
    };

    model.setHistoryLimit(11);
    EXPECT_EQ(idsOf(model.entries()), ids.mid(0, 11));
    EXPECT_EQ(model.pasteStackEntryIDs(), QStringList{"B"});
    EXPECT_EQ(consumed(), (QStringList{"A", "C"}));
    EXPECT_EQ(model.jars().at(0).entryIDs, (QStringList{"A", "D"}));

    // The stacked entry counts against the limit and stays; every other one goes.
    model.setHistoryLimit(1);
    EXPECT_EQ(idsOf(model.entries()), QStringList{"B"});
    EXPECT_EQ(model.pasteStackEntryIDs(), QStringList{"B"});
    EXPECT_TRUE(consumed().isEmpty());
    EXPECT_TRUE(model.jars().at(0).entryIDs.isEmpty());
}

// A copy at the limit is told as its row put in on top and the oldest row taken out; a change of
// another kind (a pin) or one too far back tells nothing, so a mirror compares instead.
TEST(ClipboardModelTrim, CopiesAndTrimsAreToldAsRowEditsUntilAChangeOfAnotherKind)
{
    using Kind = HistoryRowEdit::Kind;
    ModelHarness h;
    ClipboardModel &model = h.make();
    model.setHistoryLimit(3);
    for (const char *text : {"a", "b", "c"})
        h.copyText(QString::fromLatin1(text));
    const quint64 full = model.historyChangeCount();
    EXPECT_EQ(model.historyRowEditsSince(full), QList<HistoryRowEdit>{});

    h.copyText(QStringLiteral("d"));
    EXPECT_EQ(model.historyRowEditsSince(full), (QList<HistoryRowEdit>{{Kind::Inserted, 0, 1}, {Kind::Removed, 3, 1}}));
    EXPECT_EQ(model.historyChangeCount(), full + 2);
    EXPECT_EQ(model.historyRowEditsSince(full + 1), (QList<HistoryRowEdit>{{Kind::Removed, 3, 1}}));
    EXPECT_EQ(model.historyRowEditsSince(full + 3), std::nullopt);

    const quint64 beforePin = model.historyChangeCount();
    model.togglePin(model.entries().at(1));
    EXPECT_EQ(model.historyRowEditsSince(beforePin), std::nullopt);
    const quint64 pinned = model.historyChangeCount();
    // A long run of copies: the oldest are forgotten, the latest stay complete. The pinned
    // entry has sunk to the bottom, so each copy takes out the row above it.
    for (int i = 0; i < 100; ++i)
        h.copyText(QStringLiteral("copy %1").arg(i));
    EXPECT_EQ(model.historyRowEditsSince(pinned), std::nullopt);
    const quint64 last = model.historyChangeCount();
    EXPECT_EQ(model.historyRowEditsSince(last - 2), (QList<HistoryRowEdit>{{Kind::Inserted, 0, 1}, {Kind::Removed, 2, 1}}));
    const std::optional<QList<HistoryRowEdit>> recent = model.historyRowEditsSince(last - 30);
    ASSERT_TRUE(recent.has_value());
    EXPECT_EQ(recent->size(), 30);
}

} // namespace
