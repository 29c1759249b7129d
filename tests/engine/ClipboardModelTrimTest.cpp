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

} // namespace
