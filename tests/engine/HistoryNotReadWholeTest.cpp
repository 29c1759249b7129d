// What other programs do to the history's database while Tarnel starts and runs: hold it locked
// across the start, commit into it, touch it, copy another history or garbage over it. Whatever the
// start could not read stays on disk through every later write, and after a restart every row that
// was on disk before is there, beside the copies of the run; only a file that is no longer the
// run's own is set aside, and the user is told what it was.
#include "EngineTestSupport.h"
#include "platform/linux/SqliteHistoryStore.h"
#include "support/FaultyDisk.h"
#include "support/RawDatabase.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

// The start waits only a moment for a lock before it gives up reading.
constexpr std::chrono::milliseconds kShortBusyWait{50};
constexpr std::chrono::milliseconds kQuickRetry{100};
constexpr int kOlderRows = 300;

QSet<QString> storedIDs(const QString &path)
{
    QSet<QString> ids;
    for (const StoredHistoryRow &row : SqliteHistoryStore(path).read().rows)
        ids.insert(row.id);
    return ids;
}

// A run of Tarnel over a database that already holds kOlderRows rows, and another program that
// opens the same file.
struct Scene {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("history.sqlite3"));
    std::unique_ptr<SqliteHistoryStore> store;
    std::unique_ptr<RawDatabase> other;
    ModelHarness h;
    QSet<QString> before;
    // What another program wrote over the database.
    QByteArray writtenOver;

    Scene()
    {
        QList<ClipboardEntry> older;
        for (int i = 0; i < kOlderRows; ++i)
            older.append(makeEntry(QStringLiteral("OLD%1").arg(i)));
        {
            SqliteHistoryStore seed(path);
            HistoryChange change;
            change.writes = HistoryRows::rowsFor(older);
            EXPECT_TRUE(seed.apply(change).ok);
        }
        before = storedIDs(path);
        store = std::make_unique<SqliteHistoryStore>(path, kShortBusyWait);
        h.historyStore = store.get();
        h.historyRetryInterval = kQuickRetry;
        h.settings.setInteger(ClipboardModel::historyLimitKey, 1000);
    }
    // Another program holds the whole file, as a sync or maintenance tool does; with write, it
    // holds the write lock too.
    void lockExclusively(bool write)
    {
        other = std::make_unique<RawDatabase>(path);
        EXPECT_TRUE(other->exec("PRAGMA locking_mode=EXCLUSIVE"));
        EXPECT_TRUE(write ? other->exec("BEGIN EXCLUSIVE") : other->integer("SELECT count(*) FROM history") == kOlderRows);
    }
    void letGo()
    {
        if (other)
            other->exec("COMMIT");
        other.reset();
    }
    // A copy of the run, waited for until it is on disk.
    void copyAndWaitForDisk(const QString &text)
    {
        h.copyText(text);
        const QString id = h.model->entries().first().id;
        EXPECT_TRUE(QTest::qWaitFor([&] { return storedIDs(path).contains(id); }, 10000)) << text.toStdString();
    }
    // A copy of the run, waited for until the writer is through with it: a reader of the test's own
    // would take the file at the path as a start does, and set aside what it could not read.
    void copyAndFlush(const QString &text)
    {
        h.copyText(text);
        EXPECT_TRUE(h.model->flushHistory(std::chrono::seconds(10))) << text.toStdString();
    }
    // Another program's transaction that changes no row's content.
    void commitByAnotherProgram()
    {
        RawDatabase writer(path);
        EXPECT_TRUE(writer.exec("UPDATE history SET position = position WHERE id = 'OLD0'"));
    }
    // A backup or sync tool setting the times of the files it restored: no byte changes.
    void touch()
    {
        const timespec times[2] = {{0, UTIME_NOW}, {0, UTIME_NOW}};
        for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
            ::utimensat(AT_FDCWD, QFile::encodeName(path + suffix).constData(), times, 0);
    }
    // Written into the very file at the path, as cp does: another history of two rows, closed so
    // that its rows are in its database file.
    void copyAnotherHistoryOver()
    {
        const QString another = dir.filePath(QStringLiteral("other.sqlite3"));
        {
            SqliteHistoryStore writer(another);
            HistoryChange change;
            change.writes = HistoryRows::rowsFor({makeEntry(QStringLiteral("F1")), makeEntry(QStringLiteral("F2"))});
            EXPECT_TRUE(writer.apply(change).ok);
        }
        writtenOver = readFile(another);
        EXPECT_TRUE(writeFile(path, writtenOver));
    }
    // Bytes of no database at all, as many as the file holds, so that only what they are tells.
    void writeGarbageOver()
    {
        QByteArray garbage(QFileInfo(path).size(), Qt::Uninitialized);
        QRandomGenerator generator(7);
        for (char &byte : garbage)
            byte = char(generator.bounded(256));
        writtenOver = garbage;
        EXPECT_TRUE(writeFile(path, garbage));
    }
    // Whatever lies beside the history under a set-aside name.
    QStringList filesAside() const
    {
        return QDir(dir.path()).entryList({QStringLiteral("history.sqlite3.unreadable-*")}, QDir::Files);
    }
};

// What the user is told was set aside while Tarnel ran.
enum class Aside {
    // Nothing set aside, and nothing to say.
    Nothing,
    // At most a log or index another program's connection left; the history stays at the path.
    NoDatabase,
    // The database found at the path, a history that can be read, named as another history.
    AnotherHistory,
    // The database found at the path, which is no history, named as unreadable.
    Unreadable,
};

TEST(HistoryNotReadWhole, EveryRowOnDiskBeforeIsOnDiskAfterARestart)
{
    const struct {
        const char *name;
        std::function<void(Scene &)> beforeStart;
        std::function<void(Scene &)> whileRunning;
        Aside aside;
    } cases[] = {
        {"a lock held across the start, released with no commit",
         [](Scene &s) { s.lockExclusively(true); },
         [](Scene &s) {
             s.h.copyText(QStringLiteral("during the lock"));
             s.letGo();
             s.copyAndWaitForDisk(QStringLiteral("after the lock"));
         },
         Aside::NoDatabase},
        {"a lock held across the start, then another program's commit",
         [](Scene &s) { s.lockExclusively(true); },
         [](Scene &s) {
             s.h.copyText(QStringLiteral("during the lock"));
             s.letGo();
             s.copyAndWaitForDisk(QStringLiteral("after the lock"));
             s.commitByAnotherProgram();
             s.copyAndWaitForDisk(QStringLiteral("after the other program's commit"));
         },
         Aside::NoDatabase},
        {"a lock held across the start, then a deletion and a cleared history",
         [](Scene &s) { s.lockExclusively(true); },
         [](Scene &s) {
             s.letGo();
             s.copyAndWaitForDisk(QStringLiteral("one"));
             s.copyAndWaitForDisk(QStringLiteral("two"));
             s.commitByAnotherProgram();
             s.h.model->deleteEntry(s.h.model->entries().first());
             s.h.model->clearHistoryEntries();
             s.copyAndWaitForDisk(QStringLiteral("three"));
         },
         Aside::NoDatabase},
        {"a touch alone",
         [](Scene &) {},
         [](Scene &s) {
             s.copyAndWaitForDisk(QStringLiteral("before the touch"));
             s.touch();
             s.copyAndWaitForDisk(QStringLiteral("after the touch"));
             s.touch();
             s.copyAndWaitForDisk(QStringLiteral("after the second touch"));
         },
         Aside::Nothing},
        {"a touch after a read lock",
         [](Scene &s) { s.lockExclusively(false); },
         [](Scene &s) {
             s.h.copyText(QStringLiteral("during the lock"));
             s.letGo();
             s.copyAndWaitForDisk(QStringLiteral("after the lock"));
             s.touch();
             s.copyAndWaitForDisk(QStringLiteral("after the touch"));
         },
         // As in the rows of a lock above: the reader's log may go with its last connection and
         // come back as another file, which is set aside; the touch sets nothing else aside.
         Aside::NoDatabase},
        {"a valid history copied over the running one",
         [](Scene &) {},
         [](Scene &s) {
             s.copyAndWaitForDisk(QStringLiteral("before the copy"));
             s.copyAnotherHistoryOver();
             s.copyAndFlush(QStringLiteral("after the copy"));
         },
         Aside::AnotherHistory},
        {"garbage written over it",
         [](Scene &) {},
         [](Scene &s) {
             s.copyAndWaitForDisk(QStringLiteral("before the garbage"));
             s.writeGarbageOver();
             s.copyAndFlush(QStringLiteral("after the garbage"));
         },
         Aside::Unreadable},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Scene s;
        c.beforeStart(s);
        s.h.make();
        c.whileRunning(s);
        const QStringList copies = idsOf(s.h.model->entries());
        const QStringList setAside = s.h.model->setAsideFiles();
        const QStringList histories = s.h.model->setAsideHistories();
        s.letGo();
        s.h.model.reset();
        s.store.reset();

        const QSet<QString> after = storedIDs(s.path);
        const QSet<QString> lost = s.before - after;
        EXPECT_TRUE(lost.isEmpty()) << lost.size() << " of " << s.before.size() << " older rows gone";
        for (const QString &id : copies)
            EXPECT_TRUE(after.contains(id)) << "a copy of the run is not on disk";

        const auto isDatabase = [](const QString &file) {
            return !file.endsWith(QStringLiteral("-wal")) && !file.endsWith(QStringLiteral("-shm"));
        };
        QStringList databasesAside;
        std::copy_if(setAside.cbegin(), setAside.cend(), std::back_inserter(databasesAside), isDatabase);
        switch (c.aside) {
        case Aside::Nothing:
            EXPECT_TRUE(setAside.isEmpty()) << setAside.join(u' ').toStdString();
            EXPECT_TRUE(s.filesAside().isEmpty()) << s.filesAside().join(u' ').toStdString();
            break;
        case Aside::NoDatabase:
            EXPECT_TRUE(std::none_of(setAside.cbegin(), setAside.cend(), isDatabase)) << setAside.join(u' ').toStdString();
            EXPECT_TRUE(histories.isEmpty());
            break;
        case Aside::AnotherHistory:
        case Aside::Unreadable: {
            ASSERT_EQ(databasesAside.size(), 1) << setAside.join(u' ').toStdString();
            const bool named = histories.contains(databasesAside.first());
            EXPECT_EQ(named, c.aside == Aside::AnotherHistory) << databasesAside.first().toStdString();
            // What was found at the path is kept whole.
            EXPECT_EQ(readFile(databasesAside.first()), s.writtenOver);
            break;
        }
        }
    }
}

// A disk under the history's files that hangs, fails or crawls as the start reads them: the start
// does not wait for it, every row on disk comes back below the run's copies once the disk gives
// it, and a restart finds every row that was on disk before and every copy of the run.
TEST(HistoryNotReadWhole, AStartOverAHangingFailingOrSlowDiskLosesNoRow)
{
    using Reading = ClipboardModel::HistoryReading;
    const auto hangThroughTheStart = [](Scene &s, FaultyDisk &disk) {
        EXPECT_GT(disk.hungReads(), 0) << "the start waited for the disk";
        EXPECT_EQ(s.h.model->historyReading(), Reading::NotReadYet);
        s.h.copyText(QStringLiteral("during the hang"));
        disk.release();
    };
    const struct {
        const char *name;
        std::function<void(Scene &, FaultyDisk &)> beforeStart;
        // Right after the start, with the disk as it was then.
        std::function<void(Scene &, FaultyDisk &)> afterStart;
        // Entries an earlier build left under the settings key, which the start takes in.
        qsizetype fromKey;
    } cases[] = {
        {"a disk that hangs through the start", [](Scene &, FaultyDisk &disk) { disk.hangReads(); }, hangThroughTheStart, 0},
        {"a disk that hangs through the start of a history still under the settings key",
         [](Scene &s, FaultyDisk &disk) {
             s.h.seedHistoryKey({makeEntry(QStringLiteral("KEY0")), makeEntry(QStringLiteral("KEY1"))});
             disk.hangReads();
         },
         hangThroughTheStart, 2},
        {"a disk error on the first reads", [](Scene &, FaultyDisk &disk) { disk.failReads(true); },
         [](Scene &s, FaultyDisk &disk) {
             EXPECT_EQ(s.h.model->historyReading(), Reading::NotReadYet);
             s.h.copyText(QStringLiteral("during the errors"));
             disk.failReads(false);
             s.h.clock.advance(ClipboardModel::kHistoryRereadFirstRest);
         },
         0},
        {"200 ms per operation", [](Scene &, FaultyDisk &disk) { disk.delayEachOperation(200ms); },
         [](Scene &s, FaultyDisk &) { s.h.copyText(QStringLiteral("on the slow disk")); }, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Scene s;
        // Older entries the Paste Stack holds and a paste consumed: they are among the rows read.
        const QStringList stack{QStringLiteral("OLD5"), QStringLiteral("OLD9")};
        s.h.settings.setTextList(ClipboardModel::pasteStackKey, stack);
        s.h.settings.setTextList(ClipboardModel::consumedEntriesKey, {QStringLiteral("OLD7")});
        QStringList copies;
        {
            FaultyDisk disk(s.dir.path());
            c.beforeStart(s, disk);
            s.h.make();
            c.afterStart(s, disk);
            EXPECT_TRUE(QTest::qWaitFor([&] { return s.h.model->historyReading() != Reading::NotReadYet; }, 60000));
            EXPECT_EQ(s.h.model->entries().size(), kOlderRows + 1 + c.fromKey);
            EXPECT_TRUE(s.h.model->flushHistory(60s));
            // Once the database holds them, never again taken for a newer history than its own.
            EXPECT_FALSE(s.h.settings.contains(ClipboardModel::historyKey));
            copies = idsOf(s.h.model->entries());
            s.h.model.reset();
            EXPECT_EQ(disk.safetyReleases(), 0) << "a read was still hung when the test let go of it";
        }
        s.store = std::make_unique<SqliteHistoryStore>(s.path);
        s.h.historyStore = s.store.get();
        s.h.make();
        EXPECT_EQ(s.h.model->historyReading(), Reading::Whole);
        const QStringList restarted = idsOf(s.h.model->entries());
        const QSet<QString> after(restarted.cbegin(), restarted.cend());
        const QSet<QString> lost = s.before - after;
        EXPECT_TRUE(lost.isEmpty()) << lost.size() << " of " << s.before.size() << " older rows gone";
        EXPECT_EQ(restarted, copies);
        EXPECT_EQ(s.h.model->pasteStackEntryIDs(), stack);
        EXPECT_EQ(s.h.model->consumedEntryIDs(), QSet<QString>{QStringLiteral("OLD7")});
        s.h.model.reset();
    }
}

// The rows at the path after the file there was taken anew: only those this run read at its start
// or committed since may go; any other stays, with the image it names, whatever the list holds.
TEST(HistoryNotReadWhole, RowsFoundAtThePathGoOnlyWhenThisRunReadOrWroteThem)
{
    const auto decoded = [](const QList<StoredHistoryRow> &rows) {
        QList<std::optional<ClipboardEntry>> entries;
        for (const StoredHistoryRow &row : rows)
            entries.append(HistoryRows::decodeRow(row));
        return entries;
    };
    ClipboardEntry unread = makeEntry(QStringLiteral("UNREAD"));
    unread.kind = ClipboardKind::Image;
    unread.imageFilePath = QStringLiteral("/images/unread.image");
    const QList<StoredHistoryRow> atStart =
        HistoryRows::rowsFor({makeEntry(QStringLiteral("READ")), makeEntry(QStringLiteral("DELETED"))});
    HistoryDiffer differ;
    differ.adoptStored(atStart, decoded(atStart));
    // The run's own copy, committed; the user deleted a row read at the start.
    const QList<ClipboardEntry> list{makeEntry(QStringLiteral("OWN")), makeEntry(QStringLiteral("READ"))};
    differ.plan(list);
    differ.commit();

    const QList<StoredHistoryRow> found = HistoryRows::rowsFor(
        {makeEntry(QStringLiteral("OWN")), unread, makeEntry(QStringLiteral("READ")), makeEntry(QStringLiteral("DELETED"))});
    differ.adoptFound(found, decoded(found));
    const HistoryDiffer::Planned planned = differ.plan(QList<ClipboardEntry>{makeEntry(QStringLiteral("OWN"))});
    QStringList removed = planned.change.removals;
    removed.sort();
    // READ was read at the start (taken as the whole history read, UNREAD would go too); DELETED
    // too; OWN was committed and stays in the list.
    EXPECT_EQ(removed, (QStringList{QStringLiteral("DELETED"), QStringLiteral("READ")}));
    EXPECT_FALSE(planned.releasedImages.contains(QStringLiteral("/images/unread.image")));
    EXPECT_TRUE(differ.heldImages().contains(QStringLiteral("unread.image")));
}

} // namespace
