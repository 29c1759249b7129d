#include "EngineTestSupport.h"
#include "platform/linux/SqliteHistoryStore.h"
#include "support/FullDisk.h"
#include "support/RawDatabase.h"
#include "support/ReadOnlyDisk.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QJsonArray>

#include <sqlite3.h>

namespace {

// The real database on a disk whose free space never changes, so that only the writer's own
// timer, or the end of the program, can bring a failed write back.
class QuietDiskHistory : public HistoryStore
{
public:
    explicit QuietDiskHistory(std::unique_ptr<HistoryStore> real) : m_real(std::move(real)) {}
    StoredHistory read() override { return m_real->read(); }
    HistoryWriteResult apply(const HistoryChange &change) override { return m_real->apply(change); }
    QString keepCopy(const QString &reason) override { return m_real->keepCopy(reason); }
    std::optional<qint64> availableBytes() const override { return qint64(1) << 30; }
    std::unique_ptr<HistoryStore> openConnection() const override
    {
        return std::make_unique<QuietDiskHistory>(m_real->openConnection());
    }

private:
    std::unique_ptr<HistoryStore> m_real;
};

// Another program holds the database's write lock while a test runs; a store waits only a
// moment for it.
constexpr std::chrono::milliseconds kShortBusyWait{50};

QStringList storedIDs(const QString &path)
{
    QStringList ids;
    for (const StoredHistoryRow &row : SqliteHistoryStore(path).read().rows)
        ids.append(row.id);
    return ids;
}

QList<ClipboardEntry> textEntries(int count)
{
    QList<ClipboardEntry> entries;
    for (int i = 0; i < count; ++i)
        entries.append(makeEntry(QStringLiteral("E%1").arg(i)));
    return entries;
}

TEST(ClipboardModelHistoryStorage, ACopyIntoALargeHistoryWritesOneRow)
{
    ModelHarness h;
    h.settings.setInteger(ClipboardModel::historyLimitKey, 500);
    h.seedHistory(textEntries(499));
    ClipboardModel &model = h.make();

    h.copyText(QStringLiteral("first"));
    ASSERT_TRUE(model.flushHistory(5s));
    EXPECT_EQ(h.history.lastWrittenRows(), 1);
    EXPECT_EQ(h.history.lastMovedRows(), 0);
    EXPECT_EQ(h.history.lastRemovedRows(), 0);

    // At the limit the oldest goes with the same transaction.
    h.copyText(QStringLiteral("second"));
    ASSERT_TRUE(model.flushHistory(5s));
    EXPECT_EQ(h.history.lastWrittenRows(), 1);
    EXPECT_EQ(h.history.lastRemovedRows(), 1);
    const QList<ClipboardEntry> stored = h.storedHistory();
    ASSERT_EQ(stored.size(), 500);
    EXPECT_EQ(stored.first().text, QStringLiteral("second"));
    EXPECT_EQ(stored.last().id, QStringLiteral("E497"));
    EXPECT_EQ(idsOf(stored), idsOf(model.entries()));
}

TEST(ClipboardModelHistoryStorage, TheStoredRowsFollowEveryKindOfChangeInOrderAndContent)
{
    // Copies are written as the rows they put in and take out; the other changes are compared
    // whole. After each step the database must hold the history exactly, in its order.
    ModelHarness h;
    h.settings.setInteger(ClipboardModel::historyLimitKey, 30);
    h.seedHistory(textEntries(28));
    ClipboardModel &model = h.make();
    const auto entry = [&model](qsizetype row) { return model.entries().at(row); };
    int copies = 0;
    const auto copy = [&](int count) {
        for (int i = 0; i < count; ++i)
            h.copyText(QStringLiteral("copy %1").arg(++copies));
    };
    const struct {
        const char *step;
        std::function<void()> apply;
    } steps[] = {
        {"copies below the limit", [&] { copy(2); }},
        {"copies at the limit", [&] { copy(3); }},
        {"a pin", [&] { model.togglePin(entry(4)); }},
        {"copies past the pin", [&] { copy(2); }},
        {"a deletion", [&] { model.deleteEntry(entry(7)); }},
        {"copies after the deletion", [&] { copy(2); }},
        {"a lowered limit", [&] { model.setHistoryLimit(12); }},
        {"copies at the lowered limit", [&] { copy(4); }},
        {"a replaced list and a copy",
         [&] {
             QList<ClipboardEntry> replaced = model.entries().mid(0, 5);
             replaced.append(makeEntry(QStringLiteral("R1"), QStringLiteral("replacement")));
             model.setEntries(replaced);
             copy(1);
         }},
        {"copies after the replaced list", [&] { copy(3); }},
        {"many copies between writes",
         [&] {
             for (int i = 0; i < 20; ++i)
                 copy(1);
         }},
    };
    for (const auto &step : steps) {
        step.apply();
        ASSERT_TRUE(model.flushHistory(5s)) << step.step;
        const QList<ClipboardEntry> stored = h.storedHistory();
        EXPECT_EQ(idsOf(stored), idsOf(model.entries())) << step.step;
        EXPECT_EQ(stored, model.entries()) << step.step;
    }
    // The copies went in one row at a time: the last wrote its row and took out the oldest.
    copy(1);
    ASSERT_TRUE(model.flushHistory(5s));
    EXPECT_EQ(h.history.lastWrittenRows(), 1);
    EXPECT_EQ(h.history.lastRemovedRows(), 1);
    EXPECT_EQ(h.history.lastMovedRows(), 0);
    // A model started from the database reads the same history back.
    const QList<ClipboardEntry> before = model.entries();
    EXPECT_EQ(h.make().entries(), before);
}

TEST(ClipboardModelHistoryStorage, AHistoryUnderTheOldSettingsKeyMovesIntoTheDatabaseOnce)
{
    ModelHarness h;
    const QList<ClipboardEntry> old{makeEntry(QStringLiteral("B")), makeEntry(QStringLiteral("A"))};
    h.seedHistoryKey(old);
    ClipboardModel &model = h.make();
    EXPECT_EQ(idsOf(model.entries()), (QStringList{"B", "A"}));
    EXPECT_FALSE(h.settings.contains(ClipboardModel::historyKey));
    EXPECT_EQ(idsOf(h.storedHistory()), (QStringList{"B", "A"}));

    EXPECT_EQ(h.history.copiesKept(), 0);

    // The key again beside a database that holds a history: an earlier build ran since, so its
    // history is the newer one; the database's rows are kept in a copy, never merged.
    h.seedHistoryKey({makeEntry(QStringLiteral("Z")), makeEntry(QStringLiteral("A"))});
    ClipboardModel &restarted = h.make();
    EXPECT_EQ(idsOf(restarted.entries()), (QStringList{"Z", "A"}));
    EXPECT_FALSE(h.settings.contains(ClipboardModel::historyKey));
    EXPECT_EQ(idsOf(h.storedHistory()), (QStringList{"Z", "A"}));
    EXPECT_EQ(h.history.copiesKept(), 1);
    // The copy keeps every image file on disk while it is there: the user hears of it.
    EXPECT_EQ(restarted.setAsideFiles(), QStringList{QStringLiteral("history.sqlite3.unreadable-copy-1")});
}

// An older build that emptied the key instead of removing it left "[]" beside the database: no
// history ran there since (its copies would be in it), so it replaces nothing.
TEST(ClipboardModelHistoryStorage, AnEmptyHistoryUnderTheOldKeyBesideRowsIsALeftoverAndTheRowsStay)
{
    ModelHarness h;
    QDir().mkpath(h.imageFolder());
    const QString imagePath = QDir(h.imageFolder()).filePath(QStringLiteral("bbbbbbbb-0000-0000-0000-000000000001.image"));
    ASSERT_TRUE(writeFile(imagePath, pngBytes(3, 3)));
    ClipboardEntry image = makeEntry(QStringLiteral("B"), QString());
    image.kind = ClipboardKind::Image;
    image.imageFilePath = imagePath;
    h.seedHistory({image, makeEntry(QStringLiteral("A"))});
    h.settings.setBytes(ClipboardModel::historyKey, "[]");

    ClipboardModel &model = h.make();
    EXPECT_EQ(idsOf(model.entries()), (QStringList{"B", "A"}));
    EXPECT_EQ(idsOf(h.storedHistory()), (QStringList{"B", "A"}));
    EXPECT_FALSE(h.settings.contains(ClipboardModel::historyKey));
    EXPECT_EQ(h.history.copiesKept(), 0);
    EXPECT_TRUE(model.setAsideFiles().isEmpty());
    h.copyText(QStringLiteral("later"));
    ASSERT_TRUE(model.flushHistory(5s));
    EXPECT_EQ(h.imageFiles(), QStringList{QFileInfo(imagePath).fileName()});

    EXPECT_EQ(idsOf(h.make().entries()).mid(1), (QStringList{"B", "A"}));
}

// A later build may store kinds that this one does not know. Such a row is no entry here: it is
// not shown, costs no other row, and stays on disk as it was, with the image file it names,
// through copies, trims, clears and restarts, for the build that can read it.
TEST(ClipboardModelHistoryStorage, ARowOfAnUnknownKindStaysOnDiskUnshownThroughWritesAndRestarts)
{
    ModelHarness h;
    h.settings.setInteger(ClipboardModel::historyLimitKey, 3);
    QDir().mkpath(h.imageFolder());
    const QString videoImage = QDir(h.imageFolder()).filePath(QStringLiteral("aaaaaaaa-0000-0000-0000-000000000001.image"));
    const QString shownImage = QDir(h.imageFolder()).filePath(QStringLiteral("aaaaaaaa-0000-0000-0000-000000000002.image"));
    ASSERT_TRUE(writeFile(videoImage, pngBytes(3, 3)));
    ASSERT_TRUE(writeFile(shownImage, pngBytes(4, 4)));
    ClipboardEntry image = makeEntry(QStringLiteral("I"), QString());
    image.kind = ClipboardKind::Image;
    image.imageFilePath = shownImage;
    QList<StoredHistoryRow> rows = HistoryRows::rowsFor({makeEntry(QStringLiteral("T")), image});
    const QByteArray video = QStringLiteral(R"({"id":"V","kind":"video","copiedAt":"2026-02-01T09:00:00Z",)"
                                            R"("imageFilePath":"%1","frames":12})")
                                 .arg(videoImage)
                                 .toUtf8();
    rows.insert(1, StoredHistoryRow{QStringLiteral("V"), rows.at(0).position - 1, video});
    h.history.seedRows(rows);
    const auto storedVideo = [&h] {
        if (h.model) {
            EXPECT_TRUE(h.model->flushHistory(5s));
        }
        for (const StoredHistoryRow &row : h.history.rows()) {
            if (row.id == u"V")
                return row.record;
        }
        return QByteArray();
    };
    const QString videoFile = QFileInfo(videoImage).fileName();

    ClipboardModel &model = h.make();
    EXPECT_EQ(idsOf(model.entries()), (QStringList{"T", "I"}));
    EXPECT_TRUE(model.setAsideFiles().isEmpty()) << "nothing is set aside: the row stays where it is";
    EXPECT_EQ(h.history.copiesKept(), 0);

    // Two copies: the first write compares every row, the second trims the image entry.
    h.copyText(QStringLiteral("one"));
    EXPECT_EQ(storedVideo(), video);
    h.copyText(QStringLiteral("two"));
    EXPECT_EQ(storedVideo(), video);
    EXPECT_EQ(idsOf(h.storedHistory()), idsOf(model.entries()));
    EXPECT_EQ(model.entries().size(), 3);
    // The trimmed entry's file goes; the one the unknown row names stays.
    EXPECT_EQ(h.imageFiles(), QStringList{videoFile});

    model.clearHistoryEntries();
    EXPECT_EQ(storedVideo(), video);
    EXPECT_TRUE(h.storedHistory().isEmpty());

    ClipboardModel &restarted = h.make();
    EXPECT_TRUE(restarted.entries().isEmpty());
    h.copyText(QStringLiteral("after the restart"));
    EXPECT_EQ(storedVideo(), video);
    EXPECT_EQ(h.entryTexts(), QStringList{QStringLiteral("after the restart")});
    EXPECT_EQ(h.imageFiles(), QStringList{videoFile});
}

TEST(ClipboardModelHistoryStorage, ADamagedDatabaseKeepsWhatDecodesAndItsImages)
{
    struct Case {
        const char *name;
        bool damagedFile;  // the file itself is damaged, else one record in it is unreadable
    };
    for (const Case c : {Case{"damaged file", true}, Case{"one unreadable record", false}}) {
        ModelHarness h;
        QDir().mkpath(h.imageFolder());
        const QString imagePath = QDir(h.imageFolder()).filePath(QStringLiteral("11111111-2222-3333-4444-555555555555.image"));
        ASSERT_TRUE(writeFile(imagePath, pngBytes(3, 3)));
        ClipboardEntry image = makeEntry(QStringLiteral("I"), QString());
        image.kind = ClipboardKind::Image;
        image.imageFilePath = imagePath;
        QList<StoredHistoryRow> rows = HistoryRows::rowsFor({makeEntry(QStringLiteral("T")), image});
        rows.append({QStringLiteral("BAD"), 1,
                     QStringLiteral(R"({"id":"BAD","kind":"bogus","imageFilePath":"%1"})").arg(imagePath).toUtf8()});
        if (c.damagedFile)
            h.history.seedDamage(rows, QStringLiteral("database disk image is malformed"));
        else
            h.history.seedRows(rows);
        LogCapture log("tarnel.engine");

        ClipboardModel &model = h.make();
        EXPECT_EQ(idsOf(model.entries()), (QStringList{"T", "I"})) << c.name;
        EXPECT_EQ(model.sweepsUnreferencedImages(), !c.damagedFile) << c.name;
        EXPECT_FALSE(log.lines().filter(c.damagedFile ? QStringLiteral("could not be read whole") : QStringLiteral("skipped"))
                         .isEmpty())
            << c.name;
        EXPECT_EQ(h.history.copiesKept(), 0) << c.name << ": the store keeps a damaged file itself";
        // What was recovered is in the (fresh) database; an unreadable row in a file read whole
        // stays in it as it was.
        EXPECT_EQ(idsOf(h.storedHistory()), (QStringList{"T", "I"})) << c.name;
        EXPECT_EQ(h.history.rows().size(), c.damagedFile ? 2 : 3) << c.name;

        // Removing the image entry in this run leaves its file: the damaged data names it.
        model.clearGalleryEntries();
        ASSERT_TRUE(model.flushHistory(5s)) << c.name;
        EXPECT_TRUE(QFileInfo::exists(imagePath)) << c.name;
    }
}

TEST(ClipboardModelHistoryStorage, SettingsThatWereSetAsideKeepEveryImageFile)
{
    ModelHarness h;
    h.make();
    h.pasteboard.copyImage(pngBytes(4, 4));
    h.model->readClipboardIfChanged();
    ASSERT_TRUE(h.waitForCaptures());
    ASSERT_TRUE(h.model->flushHistory(5s));
    ASSERT_EQ(h.imageFiles().size(), 1);

    h.settings.setReadWhole(false);
    ClipboardModel &model = h.make();
    EXPECT_EQ(model.entries().size(), 1) << "the history rows are untouched";
    model.clearGalleryEntries();
    h.copyText(QStringLiteral("later"));
    ASSERT_TRUE(model.flushHistory(5s));
    EXPECT_EQ(h.imageFiles().size(), 1);
    const QString kept = h.imageFiles().first();

    // A later run that reads everything whole cleans up again: its first write takes the file
    // the set-aside run kept, which no row names, and keeps the one of its own copy.
    h.settings.setReadWhole(true);
    ClipboardModel &clean = h.make();
    h.pasteboard.copyImage(pngBytes(5, 5));
    clean.readClipboardIfChanged();
    ASSERT_TRUE(h.waitForCaptures());
    ASSERT_TRUE(clean.flushHistory(5s));
    ASSERT_EQ(h.imageFiles().size(), 1);
    EXPECT_NE(h.imageFiles().first(), kept);
    clean.clearGalleryEntries();
    ASSERT_TRUE(clean.flushHistory(5s));
    EXPECT_TRUE(h.imageFiles().isEmpty()) << "the file of the row this run removed";
}

TEST(ClipboardModelHistoryStorage, AnImageTrimmedByALaterCopyLeavesTheStoreWithItsRow)
{
    ModelHarness h;
    h.settings.setInteger(ClipboardModel::historyLimitKey, 3);
    ClipboardModel &model = h.make();
    for (int size : {4, 5}) {
        h.pasteboard.copyImage(pngBytes(size, size));
        model.readClipboardIfChanged();
        ASSERT_TRUE(h.waitForCaptures());
        ASSERT_TRUE(model.flushHistory(5s));
    }
    ASSERT_EQ(h.imageFiles().size(), 2);
    const QString newerImage = QFileInfo(*model.entries().first().imageFilePath).fileName();
    h.copyText(QStringLiteral("fills the history"));
    ASSERT_TRUE(model.flushHistory(5s));
    ASSERT_EQ(h.imageFiles().size(), 2);
    // This copy takes the older image out, row and file in one write.
    h.copyText(QStringLiteral("takes the oldest out"));
    ASSERT_TRUE(model.flushHistory(5s));
    EXPECT_EQ(h.imageFiles(), QStringList{newerImage});
    EXPECT_EQ(idsOf(h.storedHistory()), idsOf(model.entries()));
}

TEST(ClipboardModelHistoryStorage, AFailedWriteKeepsTheCopyRaisesOneIssueAndRetriesAfterARest)
{
    ModelHarness h;
    h.historyRetryInterval = 300ms;
    ClipboardModel &model = h.make();
    QSignalSpy issues(&model, &ClipboardModel::historyStorageIssueChanged);
    h.history.setFailsWrites(true);
    h.history.setAvailableBytes(0);

    h.copyText(QStringLiteral("kept in memory"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.historyStorageIssue().has_value(); }, 5000));
    EXPECT_EQ(model.historyStorageIssue(), ClipboardModel::historyDiskFullIssue);
    EXPECT_TRUE(model.copiedNoticeVisible());
    EXPECT_EQ(h.entryTexts(), QStringList{"kept in memory"});

    // A second copy at once is not written before the rest is over, and raises nothing new.
    h.copyText(QStringLiteral("second"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return h.history.failedWrites() == 2; }, 5000));
    // Timed where the writer tried, not where this thread noticed the first failure: a loaded
    // machine may wake this thread late for one and on time for the other.
    const QList<std::chrono::steady_clock::time_point> failedAt = h.history.failedWriteTimes();
    ASSERT_EQ(failedAt.size(), 2);
    EXPECT_GE(failedAt.at(1) - failedAt.at(0), 250ms) << "tried again before the rest was over";
    QCoreApplication::processEvents();
    EXPECT_EQ(issues.size(), 1);

    // Room again: the next try (on its own, the free space changed) writes both and clears it.
    h.history.setFailsWrites(false);
    h.history.setAvailableBytes(1 << 30);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !model.historyStorageIssue().has_value(); }, 5000));
    EXPECT_EQ(issues.size(), 2);
    EXPECT_EQ(h.entryTexts(), (QStringList{"second", "kept in memory"}));
    EXPECT_EQ(idsOf(h.storedHistory()), idsOf(model.entries()));
}

TEST(ClipboardModelHistoryStorage, QuittingWritesWhatIsStillWaiting)
{
    ModelHarness h;
    h.make();
    for (int i = 0; i < 50; ++i)
        h.copyText(QStringLiteral("copy %1").arg(i));
    const QStringList ids = idsOf(h.model->entries());
    h.model.reset(); // no flush asked for: the writer's own end does it
    EXPECT_EQ(idsOf(h.storedHistory()), ids);
    EXPECT_LT(h.history.transactionCount(), 50 + 1) << "copies in a burst share transactions";
}

// A model whose history is a real database on a quiet disk, and a copy made while another
// program holds that database's write lock.
struct LockedHistory {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("history.sqlite3"));
    QuietDiskHistory history{std::make_unique<SqliteHistoryStore>(path, kShortBusyWait)};
    ModelHarness h;

    explicit LockedHistory(std::chrono::milliseconds retryInterval)
    {
        h.historyStore = &history;
        h.historyRetryInterval = retryInterval;
        h.make();
    }
    // Returns the lock's holder once the writer has failed on the copy; the lock goes with it.
    std::unique_ptr<RawDatabase> copyWhileLocked(const QString &text)
    {
        auto holder = std::make_unique<RawDatabase>(path);
        EXPECT_TRUE(holder->exec("BEGIN EXCLUSIVE"));
        h.copyText(text);
        EXPECT_TRUE(QTest::qWaitFor([&] { return h.model->historyStorageIssue().has_value(); }, 5000));
        return holder;
    }
};

TEST(ClipboardModelHistoryStorage, ACopyMadeWhileAnotherProgramHoldsTheHistoryIsWrittenOnceItLetsGo)
{
    LockedHistory locked(100ms);
    ClipboardModel &model = *locked.h.model;
    locked.h.copyText(QStringLiteral("before"));
    ASSERT_TRUE(model.flushHistory(5s));

    std::unique_ptr<RawDatabase> holder = locked.copyWhileLocked(QStringLiteral("during the lock"));
    EXPECT_EQ(model.historyStorageIssue(), ClipboardModel::historyWriteFailedIssue);
    const QStringList ids = idsOf(model.entries());
    ASSERT_EQ(ids.size(), 2);
    EXPECT_EQ(storedIDs(locked.path), ids.mid(1));
    holder.reset();

    // Nothing else happens: no copy, no change of free space. The writer's timer alone brings it.
    EXPECT_TRUE(QTest::qWaitFor([&] { return storedIDs(locked.path) == ids; }, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !model.historyStorageIssue().has_value(); }, 5000));
}

TEST(ClipboardModelHistoryStorage, QuittingTriesOnceMoreAWriteThatFailed)
{
    LockedHistory locked(10min); // no retry comes on its own while the test runs
    std::unique_ptr<RawDatabase> holder = locked.copyWhileLocked(QStringLiteral("copied during the lock"));
    const QStringList ids = idsOf(locked.h.model->entries());
    holder.reset();
    locked.h.model.reset();
    EXPECT_EQ(storedIDs(locked.path), ids);
}

// A pin or an edit whose write failed, then a copy before the retry: the copy's write carries
// the pin or the edit along, and the next start finds it.
TEST(ClipboardModelHistoryStorage, AChangeWhoseWriteFailedIsKeptByTheCopyThatFollowsIt)
{
    const struct {
        const char *name;
        std::function<void(ClipboardModel &, const ClipboardEntry &)> change;
        std::function<bool(const ClipboardEntry &)> applied;
    } cases[] = {
        {"a pin", [](ClipboardModel &model, const ClipboardEntry &entry) { model.togglePin(entry); },
         [](const ClipboardEntry &entry) { return entry.isPinned; }},
        {"an edit",
         [](ClipboardModel &model, const ClipboardEntry &entry) {
             model.updateEntryText(entry, QStringLiteral("edited"));
         },
         [](const ClipboardEntry &entry) { return entry.text == QStringLiteral("edited"); }},
    };
    for (const auto &c : cases) {
        ModelHarness h;
        h.historyRetryInterval = 10min; // no retry comes on its own while the test runs
        h.settings.setInteger(ClipboardModel::historyLimitKey, 3);
        ClipboardModel &model = h.make();
        // Written copy by copy, so that the writer knows the rows and writes only what changes.
        for (const char *text : {"A", "B", "C"}) {
            h.copyText(QString::fromLatin1(text));
            ASSERT_TRUE(model.flushHistory(5s)) << c.name;
        }
        h.history.setFailsWrites(true);
        const QString changed = model.entries().first().id;
        c.change(model, model.entries().first());
        ASSERT_TRUE(QTest::qWaitFor([&] { return h.history.failedWrites() == 1; }, 5000)) << c.name;
        h.copyText(QStringLiteral("E"));
        ASSERT_EQ(model.entries().size(), 3) << c.name;

        h.history.setFailsWrites(false);
        ASSERT_TRUE(model.writeHistoryBeforeQuit(5s)) << c.name;
        const QList<ClipboardEntry> stored = h.storedHistory();
        EXPECT_EQ(idsOf(stored), idsOf(model.entries())) << c.name;
        ASSERT_EQ(stored.size(), 3) << c.name;
        EXPECT_EQ(stored.at(1).id, changed) << c.name;
        EXPECT_TRUE(c.applied(stored.at(1))) << c.name << ": the row of C was not written again";

        ClipboardModel &next = h.make();
        ASSERT_EQ(next.entries().size(), 3) << c.name;
        EXPECT_EQ(next.entries().at(1).id, changed) << c.name;
        EXPECT_TRUE(c.applied(next.entries().at(1))) << c.name << ": lost after a restart";
    }
}

TEST(ClipboardModelHistoryStorage, FailedWritesAreTriedAgainLessAndLessOften)
{
    ModelHarness h;
    h.historyRetryInterval = 100ms;
    ClipboardModel &model = h.make();
    h.history.setFailsWrites(true, false);
    h.copyText(QStringLiteral("kept in memory"));

    ASSERT_TRUE(QTest::qWaitFor([&] { return h.history.failedWrites() >= 5; }, 10000));
    // Each rest is at least twice the one before, timed where the writer tried, not where this
    // thread noticed: a loaded machine may wake this thread late for one try and on time for
    // the next. A coarse timer may fire a little early, hence the margin.
    const QList<std::chrono::steady_clock::time_point> failedAt = h.history.failedWriteTimes();
    for (int i = 1; i < 5; ++i)
        EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(failedAt.at(i) - failedAt.at(i - 1)).count(),
                  100 * (1 << (i - 1)) - 20)
            << "rest " << i;
    EXPECT_EQ(model.historyStorageIssue(), ClipboardModel::historyWriteFailedIssue);

    h.history.setFailsWrites(false);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !model.historyStorageIssue().has_value(); }, 10000));
    EXPECT_EQ(h.entryTexts(), QStringList{"kept in memory"});
    EXPECT_EQ(idsOf(h.storedHistory()), idsOf(model.entries()));
}

TEST(ClipboardModelHistoryStorage, TheRestBetweenTriesDoublesUpToItsLimit)
{
    using namespace std::chrono;
    const milliseconds first = HistoryWriter::kRetryInterval;
    EXPECT_EQ(first, 1s);
    EXPECT_EQ(HistoryWriter::retryDelay(first, 1), 1s);
    EXPECT_EQ(HistoryWriter::retryDelay(first, 2), 2s);
    EXPECT_EQ(HistoryWriter::retryDelay(first, 5), 16s);
    EXPECT_EQ(HistoryWriter::retryDelay(first, 6), 30s);
    EXPECT_EQ(HistoryWriter::retryDelay(first, 1000), 30s);
    EXPECT_EQ(HistoryWriter::retryDelay(100ms, 3), 400ms);
}

TEST(ClipboardModelHistoryStorage, AnImageCopiedOnAFullDiskIsKeptUntilItsFileIsWhole)
{
    ModelHarness h;
    h.historyRetryInterval = 100ms;
    ClipboardModel &model = h.make();
    QByteArray shown;
    {
        FullDisk full;
        h.pasteboard.copyImage(pngBytes(40, 30, Qt::blue));
        model.readClipboardIfChanged();
        ASSERT_TRUE(h.waitForCaptures());
        ASSERT_EQ(model.entries().size(), 1);
        shown = model.imageData(model.entries().first()).value_or(QByteArray());
        ASSERT_FALSE(shown.isEmpty());
        ASSERT_TRUE(QTest::qWaitFor([&] { return model.historyStorageIssue().has_value(); }, 5000));
        EXPECT_EQ(model.historyStorageIssue(), ClipboardModel::historyDiskFullIssue);
        // No row names a file that does not hold the whole image.
        for (const ClipboardEntry &stored : h.storedHistory()) {
            if (stored.imageFilePath && !stored.imageData) {
                EXPECT_EQ(readFile(*stored.imageFilePath), shown);
            }
        }
        EXPECT_EQ(model.imageData(model.entries().first()), shown) << "still in memory";
    }
    // Room again: the writer's next try saves the file whole and the row names it.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !model.historyStorageIssue().has_value(); }, 5000));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const QList<ClipboardEntry> stored = h.storedHistory();
            return stored.size() == 1 && stored.first().imageFilePath && !stored.first().imageData;
        },
        5000));
    const ClipboardEntry stored = h.storedHistory().first();
    EXPECT_EQ(readFile(*stored.imageFilePath), shown);
    EXPECT_EQ(model.imageData(model.entries().first()), shown);
    for (const QString &name : h.imageFiles())
        EXPECT_GT(QFileInfo(QDir(h.imageFolder()).filePath(name)).size(), 0) << qPrintable(name);
}

TEST(ClipboardModelHistoryStorage, AValueOfAnotherTypeUnderTheOldHistoryKeyIsLeftAlone)
{
    const QJsonValue values[] = {
        QJsonValue(5),
        QJsonValue(QStringLiteral("text")),
        QJsonValue(QJsonArray{1, 2}),
        QJsonValue(QJsonObject{{QStringLiteral("data"), QStringLiteral("not base64 !")}}),
    };
    for (const QJsonValue &value : values) {
        ModelHarness h;
        h.seedHistory({makeEntry(QStringLiteral("B")), makeEntry(QStringLiteral("A"))});
        h.settings.setStoredValue(ClipboardModel::historyKey, value);
        ClipboardModel &model = h.make();
        EXPECT_EQ(idsOf(model.entries()), (QStringList{"B", "A"})) << value.toVariant().toString().toStdString();
        EXPECT_EQ(idsOf(h.storedHistory()), (QStringList{"B", "A"}));
        EXPECT_EQ(h.history.copiesKept(), 0);
        EXPECT_EQ(h.settings.storedValue(ClipboardModel::historyKey), value) << "nothing is moved or removed";
    }
}

TEST(ClipboardModelHistoryStorage, AnUnreadableHistoryUnderTheOldKeyIsSetAsideAndTheDatabaseKeepsItsRows)
{
    const struct {
        const char *what;
        QByteArray bytes;
    } cases[] = {
        {"nothing", QByteArray()},
        {"not JSON", "{\"id\": [unclosed"},
        {"an object", R"({"id":"X","text":"x"})"},
        {"an array of non-entries", R"([1, "two", {"kind":"bogus"}])"},
    };
    for (const auto &c : cases) {
        ModelHarness h;
        h.seedHistory(textEntries(23));
        h.settings.setBytes(ClipboardModel::historyKey, c.bytes);
        ClipboardModel &model = h.make();
        EXPECT_EQ(model.entries().size(), 23) << c.what;
        EXPECT_EQ(h.storedHistory().size(), 23) << c.what;
        EXPECT_EQ(h.history.copiesKept(), 0) << c.what;
        EXPECT_FALSE(model.sweepsUnreferencedImages()) << c.what;
        // Kept in a file of its own, named to the user; the key is gone, so the next start
        // reads the database alone.
        EXPECT_FALSE(h.settings.contains(ClipboardModel::historyKey)) << c.what;
        ASSERT_EQ(model.setAsideFiles().size(), 1) << c.what;
        EXPECT_EQ(readFile(model.setAsideFiles().first()), c.bytes) << c.what;
        EXPECT_EQ(modeOf(model.setAsideFiles().first()), 0600u) << c.what;

        h.copyText(QStringLiteral("later"));
        ASSERT_TRUE(model.flushHistory(5s)) << c.what;
        EXPECT_EQ(h.storedHistory().size(), 24) << c.what;
        EXPECT_EQ(h.make().entries().size(), 24) << c.what;
        EXPECT_TRUE(h.model->setAsideFiles().isEmpty()) << c.what;
    }
}

TEST(ClipboardModelHistoryStorage, EveryStoredFileSetAsideAtStartIsNamed)
{
    ModelHarness h;
    h.settings.setSetAsidePath(QStringLiteral("/home/user/.config/Tarnel/defaults.json.unreadable-1"));
    h.history.seedDamage({}, QStringLiteral("file is not a database"));
    h.settings.setBytes(ClipboardModel::jarsKey, "not JSON");
    ClipboardModel &model = h.make();
    const QStringList files = model.setAsideFiles();
    ASSERT_EQ(files.size(), 3);
    EXPECT_EQ(files.at(0), QStringLiteral("/home/user/.config/Tarnel/defaults.json.unreadable-1"));
    EXPECT_EQ(files.at(1), QStringLiteral("history.sqlite3.unreadable-1"));
    EXPECT_TRUE(files.at(2).startsWith(h.backupFolder() + QStringLiteral("/tarnel.jars.unreadable-")));
}

TEST(ClipboardModelHistoryStorage, CopiesMadeWhileTheDiskIsReadOnlyAreWrittenOnceItTakesWrites)
{
    // The database file alone read-only, and a disk mounted read-only under a history whose last
    // rows are still in the log, as a crash or a power cut leaves it.
    for (const bool crashed : {false, true}) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite3"));
        {
            SqliteHistoryStore seeded(path);
            seeded.read();
            ASSERT_TRUE(seeded.apply(HistoryChange{HistoryRows::rowsFor(textEntries(3)), {}, {}}).ok);
        }
        if (crashed) {
            sqlite3 *db = nullptr;
            ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
            sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
            const QByteArray insert = "INSERT INTO history VALUES('E3', 8192, '"
                + HistoryRows::rowsFor({makeEntry(QStringLiteral("E3"))}).first().record + "')";
            EXPECT_EQ(sqlite3_exec(db, insert.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
            sqlite3_close_v2(db);
            ASSERT_TRUE(QFileInfo::exists(path + QStringLiteral("-shm")));
        }
        const int before = crashed ? 4 : 3;
        SqliteHistoryStore store(path);
        ModelHarness h;
        h.historyStore = &store;
        h.historyRetryInterval = 100ms;
        std::optional<ReadOnlyDisk> readOnly(std::in_place, crashed ? ReadOnlyDisk::WholeDisk : ReadOnlyDisk::DatabaseFile);
        ClipboardModel &model = h.make();
        EXPECT_EQ(model.entries().size(), before) << crashed;
        h.copyText(QStringLiteral("copied on a read-only disk"));
        h.pasteboard.copyImage(pngBytes(4, 4));
        model.readClipboardIfChanged();
        ASSERT_TRUE(h.waitForCaptures());
        ASSERT_TRUE(QTest::qWaitFor([&] { return model.historyStorageIssue().has_value(); }, 5000)) << crashed;
        EXPECT_EQ(storedIDs(path).size(), before) << crashed;

        readOnly.reset();
        h.copyText(QStringLiteral("copied once it was writable"));
        h.pasteboard.copyImage(pngBytes(5, 5));
        model.readClipboardIfChanged();
        ASSERT_TRUE(h.waitForCaptures());
        EXPECT_TRUE(QTest::qWaitFor([&] { return !model.historyStorageIssue().has_value(); }, 10000)) << crashed;
        EXPECT_TRUE(QTest::qWaitFor([&] { return storedIDs(path) == idsOf(model.entries()); }, 10000)) << crashed;
        EXPECT_EQ(storedIDs(path).size(), before + 4) << crashed;
        // Every image row names a file of the store, and no file is left that no row names.
        QStringList named;
        for (const StoredHistoryRow &row : SqliteHistoryStore(path).read().rows) {
            const std::optional<ClipboardEntry> entry = HistoryRows::decodeRow(row);
            if (entry && entry->imageFilePath)
                named.append(QFileInfo(*entry->imageFilePath).fileName());
        }
        named.sort();
        EXPECT_EQ(named.size(), 2) << crashed;
        EXPECT_EQ(named, h.imageFiles()) << crashed;
    }
}

TEST(ClipboardModelHistoryStorage, AQuitOnAFullDiskSaysThatCopiesAreLostAndWritesThemIfRoomCameBack)
{
    ModelHarness h;
    h.historyRetryInterval = 10min; // no retry comes on its own while the test runs
    ClipboardModel &model = h.make();
    h.history.setFailsWrites(true);
    h.copyText(QStringLiteral("copied on a full disk"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.historyStorageIssue().has_value(); }, 5000));
    EXPECT_FALSE(model.writeHistoryBeforeQuit(5s));
    EXPECT_TRUE(h.storedHistory().isEmpty());

    // Room again before the end: the quit's own try writes at once, without waiting out the rest.
    h.history.setFailsWrites(false);
    EXPECT_TRUE(model.writeHistoryBeforeQuit(5s));
    EXPECT_EQ(h.entryTexts(), QStringList{"copied on a full disk"});
    EXPECT_EQ(idsOf(h.storedHistory()), idsOf(model.entries()));
    EXPECT_FALSE(model.historyStorageIssue().has_value());
}

} // namespace

// The quit found the disk full and a copy came in after it: once room comes back the rows are
// written within a second, not after the rest that doubled with each failure, and the alert of
// the failed writes goes with it.
TEST(ClipboardModelHistoryStorage, RoomThatComesBackDuringAQuitIsUsedWithinASecondWhileANewerCopyWaits)
{
    ModelHarness h;
    h.historyRetryInterval = 10s;
    ClipboardModel &model = h.make();
    h.history.setFailsWrites(true);
    h.history.setAvailableBytes(0);
    h.copyText(QStringLiteral("copied on a full disk"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.historyStorageIssue().has_value(); }, 5000));
    const int failedBeforeQuit = h.history.failedWrites();
    EXPECT_FALSE(model.writeHistoryBeforeQuit(5s));
    // The quit's failed try is followed by one more at once; after that the rest has grown long.
    ASSERT_TRUE(QTest::qWaitFor([&] { return h.history.failedWrites() == failedBeforeQuit + 2; }, 5000));
    h.copyText(QStringLiteral("copied while quitting"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return h.entryTexts().size() == 2; }, 5000));
    const int failedBefore = h.history.failedWrites();

    // The rest has grown past the retry interval by now; the wait ends well before it, so that
    // only the look at the free space, not the end of the rest, can have written the list.
    h.history.setFailsWrites(false);
    h.history.setAvailableBytes(1 << 30);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !model.historyStorageIssue().has_value(); },
                                int((h.historyRetryInterval / 2).count())))
        << "not written once room came back, only after the rest";
    EXPECT_EQ(idsOf(h.storedHistory()), idsOf(model.entries()));
    EXPECT_EQ(h.history.failedWrites(), failedBefore) << "tried again before room came back";
}

// Room that comes back while a quit waits for it is used whatever the moment: while a try that
// fails is still under way (its rest would otherwise outlast the quit), or just before the end.
TEST(ClipboardModelHistoryStorage, RoomThatComesBackWhileAWriteWaitsIsUsedWhateverTheMoment)
{
    const struct {
        const char *name;
        bool duringAFailingTry;
    } cases[] = {
        {"room comes back while a failing try is under way", true},
        {"room comes back after the quit's try, just before the end", false},
    };
    for (const auto &c : cases) {
        ModelHarness h;
        h.historyRetryInterval = 10min; // no retry comes on its own while the test runs
        ClipboardModel &model = h.make();
        h.history.setFailsWrites(true);
        h.history.setAvailableBytes(0);
        if (c.duringAFailingTry)
            h.history.makeRoomDuringNextFailedWrite();
        h.copyText(QStringLiteral("copied on a full disk"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return h.history.failedWrites() == 1; }, 5000)) << c.name;
        const QStringList ids = idsOf(model.entries());
        if (c.duringAFailingTry) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return idsOf(h.storedHistory()) == ids; }, 1000))
                << c.name << ": not written within a second of room coming back";
        } else {
            EXPECT_FALSE(model.writeHistoryBeforeQuit(5s)) << c.name;
            // The quit's try is followed by one more at once; after that the rest is long.
            ASSERT_TRUE(QTest::qWaitFor([&] { return h.history.failedWrites() == 3; }, 5000)) << c.name;
            h.history.setFailsWrites(false);
            h.history.setAvailableBytes(1 << 30);
        }
        h.model.reset();
        EXPECT_EQ(idsOf(h.storedHistory()), ids) << c.name;
    }
}
