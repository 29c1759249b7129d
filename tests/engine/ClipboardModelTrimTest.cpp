#include "EngineTestSupport.h"

#include <gtest/gtest.h>

namespace {

// Builds a model whose stored state is the given history and lists, then trims it.
struct TrimScene {
    ModelHarness h;
    ClipboardModel *model = nullptr;

    TrimScene(const QList<ClipboardEntry> &entries, int limit, const QStringList &stack = {},
              const QList<ClipboardJar> &jars = {})
    {
        h.settings.setBytes(ClipboardModel::historyKey, ClipboardEntry::encodeList(entries));
        h.settings.setInteger(ClipboardModel::historyLimitKey, 1000);
        h.settings.setTextList(ClipboardModel::pasteStackKey, stack);
        if (!jars.isEmpty())
            h.settings.setBytes(ClipboardModel::jarsKey, ClipboardJar::encodeList(jars));
        model = &h.make();
        model->setHistoryLimit(limit);
    }
};

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

TEST(ClipboardModelTrim, UntouchedStateIsOnlyRead)
{
    ModelHarness h;
    ClipboardModel &model = h.make();
    h.copyText(QStringLiteral("a"));
    model.copyUsingShortcut(false, 0);
    h.copyText(QStringLiteral("b"));
    const int writes = h.settings.writeCount();
    for (int i = 0; i < 5; ++i)
        model.readClipboardIfChanged();
    model.trimHistory();
    EXPECT_EQ(h.settings.writeCount(), writes);
}

TEST(ClipboardModelTrim, AStaleStackIdIsDroppedEvenWhenNoEntryGoes)
{
    TrimScene scene({makeEntry("A")}, 10, {"A", "GONE"});
    EXPECT_EQ(scene.model->pasteStackEntryIDs(), QStringList{"A"});
    EXPECT_EQ(scene.h.settings.textListValue(ClipboardModel::pasteStackKey), QStringList{"A"});
}

TEST(ClipboardModelTrim, LimitCountsProtectedEntries)
{
    ClipboardEntry pinnedB = makeEntry("B");
    pinnedB.isPinned = true;
    TrimScene scene({makeEntry("A"), pinnedB, makeEntry("C"), makeEntry("D"), makeEntry("E")}, 3, {"E"});
    // B is pinned and E is stacked: one unprotected entry fits beside them.
    EXPECT_EQ(idsOf(scene.model->entries()), (QStringList{"A", "B", "E"}));
}

} // namespace
