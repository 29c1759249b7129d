// A start that could not read the history (another program held it) says so where the list would
// be, reads it again at growing rests and once the files change, and says truthfully when it has.
#include "../engine/EngineTestSupport.h"
#include "platform/linux/SqliteHistoryStore.h"
#include "support/FakePanelSheets.h"
#include "support/RawDatabase.h"
#include "ui/library/EntryList.h"
#include "ui/style/PanelEmptyState.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

namespace {

constexpr int kOlderRows = 40;

TEST(HistoryNotReadPanel, SaysTheHistoryIsNotReadReadsItAgainAndSaysWhenItWas)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.sqlite3"));
    {
        QList<ClipboardEntry> older;
        for (int i = 0; i < kOlderRows; ++i)
            older.append(makeEntry(QStringLiteral("OLD%1").arg(i)));
        SqliteHistoryStore seed(path);
        HistoryChange change;
        change.writes = HistoryRows::rowsFor(older);
        ASSERT_TRUE(seed.apply(change).ok);
    }
    auto holder = std::make_unique<RawDatabase>(path);
    ASSERT_TRUE(holder->exec("PRAGMA locking_mode=EXCLUSIVE"));
    ASSERT_TRUE(holder->exec("BEGIN EXCLUSIVE"));

    SqliteHistoryStore store(path, std::chrono::milliseconds(50));
    ModelHarness h;
    h.historyStore = &store;
    h.historyRetryInterval = std::chrono::milliseconds(100);
    ClipboardModel &model = h.make();
    model.setSelectedTab(ClipboardPanelTab::History);
    testsupport::FakePanelSheets sheets;
    EntryList list(model, sheets, false);
    const PanelEmptyState *empty = list.findChild<PanelEmptyState *>();
    ASSERT_TRUE(empty);
    LogCapture log("tarnel.engine");
    const auto failedTries = [&] {
        return log.lines().filter(QStringLiteral("still cannot be read")).size();
    };
    using Reading = ClipboardModel::HistoryReading;
    const QString notRead = ClipboardModel::historyNotReadMessage;

    const struct {
        const char *step;
        std::function<void()> act;
        Reading reading;
        // What the panel shows: the empty state's title, or the note above the rows.
        QString emptyTitle;
        QString note;
        qsizetype entries;
        qsizetype failedTries;
    } steps[] = {
        // Not "History is empty": the history is there, only not read.
        {"the start under the lock", [] {}, Reading::NotReadYet, ClipboardModel::historyNotReadTitle, {}, 0, 0},
        {"a copy under the lock", [&] { h.copyText(QStringLiteral("own copy")); }, Reading::NotReadYet, {}, notRead, 1, 0},
        {"the first rest", [&] { h.clock.advance(ClipboardModel::kHistoryRereadFirstRest); }, Reading::NotReadYet, {},
         notRead, 1, 1},
        // The rest doubled: as long again brings no try.
        {"as long again", [&] { h.clock.advance(ClipboardModel::kHistoryRereadFirstRest); }, Reading::NotReadYet, {},
         notRead, 1, 1},
        {"the doubled rest", [&] { h.clock.advance(ClipboardModel::kHistoryRereadFirstRest); }, Reading::NotReadYet, {},
         notRead, 1, 2},
        // What the folder's watch does once the other program lets go.
        {"the lock let go and the files changed",
         [&] {
             holder->exec("COMMIT");
             holder.reset();
             model.checkHistoryFiles();
         },
         Reading::ReadAfterAll, {}, QStringLiteral("História je načítaná: položky z disku: %1.").arg(kOlderRows),
         kOlderRows + 1, 2},
        {"the notice's time", [&] { h.clock.advance(ClipboardModel::kHistoryReadNoticeDuration); }, Reading::Whole, {}, {},
         kOlderRows + 1, 2},
    };
    for (const auto &s : steps) {
        SCOPED_TRACE(s.step);
        s.act();
        EXPECT_TRUE(QTest::qWaitFor([&] { return model.historyReading() == s.reading && failedTries() >= s.failedTries; },
                                    10000));
        EXPECT_EQ(failedTries(), s.failedTries);
        QCoreApplication::processEvents();
        EXPECT_EQ(model.entries().size(), s.entries);
        EXPECT_EQ(list.isShowingEmptyState(), !s.emptyTitle.isEmpty());
        if (!s.emptyTitle.isEmpty()) {
            EXPECT_EQ(empty->title(), s.emptyTitle);
            EXPECT_EQ(empty->message(), ClipboardModel::historyNotReadMessage);
        }
        EXPECT_EQ(list.readingNote(), s.note);
    }
    // The run's own copy first, then the history read, in its order.
    ASSERT_EQ(model.entries().size(), kOlderRows + 1);
    EXPECT_EQ(model.entries().first().text, QStringLiteral("own copy"));
    EXPECT_EQ(model.entries().at(1).id, QStringLiteral("OLD0"));
    EXPECT_TRUE(model.flushHistory(5s));
    h.model.reset();
    EXPECT_EQ(SqliteHistoryStore(path).read().rows.size(), kOlderRows + 1);
}

} // namespace
