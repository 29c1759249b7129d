#include "platform/linux/SqliteHistoryStore.h"
#include "support/RawDatabase.h"
#include "support/ReadOnlyDisk.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

#include <sqlite3.h>

#include <sys/wait.h>
#include <unistd.h>

namespace {

QList<StoredHistoryRow> threeRows()
{
    return {{QStringLiteral("C"), 3072, R"({"id":"C","text":"c"})"},
            {QStringLiteral("B"), 2048, R"({"id":"B","text":"b"})"},
            {QStringLiteral("A"), 1024, R"({"id":"A","text":"a"})"}};
}

QStringList idsOf(const QList<StoredHistoryRow> &rows)
{
    QStringList ids;
    for (const StoredHistoryRow &row : rows)
        ids.append(row.id);
    return ids;
}

QStringList setAside(const QString &path)
{
    const QFileInfo info(path);
    return QDir(info.absolutePath()).entryList({info.fileName() + ".unreadable-*"}, QDir::Files);
}

// Everything set aside next to the file, links and log files included.
QStringList setAsideEntries(const QString &path)
{
    const QFileInfo info(path);
    return QDir(info.absolutePath())
        .entryList({info.fileName() + ".unreadable-*"}, QDir::AllEntries | QDir::System | QDir::Hidden, QDir::Name);
}

// A history with three rows, all of them folded into the file itself.
void writeThreeRows(const QString &path)
{
    SqliteHistoryStore store(path);
    store.read();
    ASSERT_TRUE(store.apply(HistoryChange{threeRows(), {}, {}}).ok);
}

TEST(SqliteHistoryStore, AFreshStartCreatesAPrivateDatabaseThatKeepsItsRowsInOrder)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Tarnel/history.sqlite3"));
    {
        SqliteHistoryStore store(path);
        const StoredHistory empty = store.read();
        EXPECT_TRUE(empty.complete);
        EXPECT_TRUE(empty.rows.isEmpty());
        EXPECT_TRUE(QFileInfo::exists(path));
        EXPECT_EQ(modeOf(path), 0600u);
        ASSERT_TRUE(store.apply(HistoryChange{threeRows(), {}, {}}).ok);
        // A move, a rewrite and a removal in one transaction, from a second connection.
        std::unique_ptr<HistoryStore> writer = store.openConnection();
        HistoryChange change;
        change.moves.append({QStringLiteral("A"), 4096});
        change.writes.append({QStringLiteral("B"), 2048, R"({"id":"B","text":"b2"})"});
        change.removals.append(QStringLiteral("C"));
        ASSERT_TRUE(writer->apply(change).ok);
        EXPECT_EQ(idsOf(store.read().rows), (QStringList{"A", "B"}));
    }
    // The log is folded back when the last connection closes: nothing but the file is left.
    EXPECT_EQ(QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files), QStringList{"history.sqlite3"});
    SqliteHistoryStore reopened(path);
    const StoredHistory stored = reopened.read();
    ASSERT_EQ(idsOf(stored.rows), (QStringList{"A", "B"}));
    EXPECT_EQ(stored.rows.at(1).record, QByteArray(R"({"id":"B","text":"b2"})"));
    EXPECT_EQ(stored.rows.at(0).position, 4096);
}

// Ends the process as kill -9 would at the Nth time SQLite removes a file: a transaction is
// synced into the database, and its journal (or the log, at the last close) is still there.
// That is where a kill leaves the most behind.
namespace killedAtRemoval {
constexpr int kKilled = 9;
int countdown = 0;
sqlite3_vfs *original = nullptr;
sqlite3_vfs shim;

int removeOrDie(sqlite3_vfs *, const char *name, int syncFolder)
{
    if (--countdown == 0)
        ::_exit(kKilled);
    return original->xDelete(original, name, syncFolder);
}

// In a child: a first start that creates the history and writes a row. True when the child was
// killed on the way, false when it got through.
bool firstStartKilledAt(const QString &path, int removal)
{
    const pid_t child = ::fork();
    if (child == 0) {
        original = sqlite3_vfs_find(nullptr);
        shim = *original;
        shim.zName = "killed-at-removal";
        shim.xDelete = removeOrDie;
        countdown = removal;
        sqlite3_vfs_register(&shim, 1);
        SqliteHistoryStore store(path);
        store.read();
        const bool written = store.apply(HistoryChange{{{QStringLiteral("A"), 1, "{}"}}, {}, {}}).ok;
        ::_exit(written ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status)) << "at removal " << removal;
    EXPECT_NE(WEXITSTATUS(status), 1) << "at removal " << removal << ": the first write failed";
    return WIFEXITED(status) && WEXITSTATUS(status) == kKilled;
}
} // namespace killedAtRemoval

// A first start killed at any point of creating the history leaves a file that the next start
// takes as its history: nothing is set aside as unreadable, and it is written at once.
TEST(SqliteHistoryStore, AFirstStartKilledWhileCreatingTheHistoryLeavesAFileTheNextStartUses)
{
    constexpr int kMostRemovals = 40;
    int removal = 1;
    for (; removal <= kMostRemovals; ++removal) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Tarnel/history.sqlite3"));
        const bool killed = killedAtRemoval::firstStartKilledAt(path, removal);
        SqliteHistoryStore next(path);
        const StoredHistory stored = next.read();
        EXPECT_TRUE(stored.complete) << "killed at removal " << removal << ": " << stored.problem.toStdString();
        EXPECT_TRUE(setAsideEntries(path).isEmpty()) << "killed at removal " << removal;
        EXPECT_TRUE(next.apply(HistoryChange{{{QStringLiteral("B"), 2, "{}"}}, {}, {}}).ok) << "killed at removal " << removal;
        RawDatabase written(path);
        EXPECT_EQ(written.integer("SELECT count(*) FROM sqlite_master WHERE name = 'history_position'"), 1)
            << "killed at removal " << removal << ": the position index is missing";
        if (!killed)
            break;
    }
    EXPECT_LE(removal, kMostRemovals) << "the first start never got through";
}

TEST(SqliteHistoryStore, ADamagedFileIsSetAsideWithWhatCouldBeReadAndAFreshOneTakesItsPlace)
{
    struct Case {
        const char *name;
        std::function<void(const QString &)> damage;
    };
    const Case cases[] = {
        {"garbage bytes", [](const QString &path) { writeFile(path, QByteArray(8192, '\x5a')); }},
        {"truncated", [](const QString &path) {
             QFile file(path);
             file.resize(file.size() / 2);
         }},
    };
    for (const Case &c : cases) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite3"));
        {
            SqliteHistoryStore store(path);
            store.read();
            QList<StoredHistoryRow> rows;
            // Enough rows to span many pages, so that half a file still holds some of them.
            for (int i = 0; i < 200; ++i)
                rows.append({QStringLiteral("ID-%1").arg(i), qint64(i + 1) * 1024, QByteArray(900, char('a' + i % 26))});
            ASSERT_TRUE(store.apply(HistoryChange{rows, {}, {}}).ok) << c.name;
        }
        c.damage(path);
        const QByteArray damaged = readFile(path);

        SqliteHistoryStore store(path);
        const StoredHistory stored = store.read();
        EXPECT_FALSE(stored.complete) << c.name;
        EXPECT_FALSE(stored.problem.isEmpty()) << c.name;
        EXPECT_LT(stored.rows.size(), 200) << c.name;
        const QStringList aside = setAside(path);
        ASSERT_EQ(aside.size(), 1) << c.name;
        EXPECT_EQ(readFile(dir.filePath(aside.first())), damaged) << c.name << ": the damaged file is kept as it was";
        EXPECT_EQ(modeOf(dir.filePath(aside.first())), 0600u) << c.name;
        // The fresh file works at once.
        ASSERT_TRUE(store.apply(HistoryChange{{{QStringLiteral("N"), 1, "{}"}}, {}, {}}).ok) << c.name;
        EXPECT_EQ(idsOf(SqliteHistoryStore(path).read().rows), QStringList{"N"}) << c.name;
    }
}

TEST(SqliteHistoryStore, AKeptCopyHoldsEveryRowAndLeavesTheFileInUse)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.sqlite3"));
    SqliteHistoryStore store(path);
    store.read();
    ASSERT_TRUE(store.apply(HistoryChange{threeRows(), {}, {}}).ok);
    const QString kept = store.keepCopy(QStringLiteral("1 unreadable entry"));
    const QStringList copies = setAside(path);
    ASSERT_EQ(copies.size(), 1);
    EXPECT_EQ(kept, dir.filePath(copies.first()));
    EXPECT_EQ(modeOf(dir.filePath(copies.first())), 0600u);
    SqliteHistoryStore copy(dir.filePath(copies.first()));
    EXPECT_EQ(idsOf(copy.read().rows), (QStringList{"C", "B", "A"}));
    EXPECT_EQ(idsOf(store.read().rows), (QStringList{"C", "B", "A"}));
}

TEST(SqliteHistoryStore, ALinkInPlaceOfTheFileIsSetAsideAndWhatItPointsAtIsLeftAlone)
{
    struct Case {
        const char *name;
        bool targetIsAHistory;
    };
    for (const Case c : {Case{"unreadable target", false}, Case{"a history elsewhere", true}}) {
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("elsewhere/passwd"));
        if (c.targetIsAHistory)
            writeThreeRows(target);
        else
            ASSERT_TRUE(writeFile(target, "root:x:0:0:root:/root:/bin/bash\n"));
        ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0644), 0);
        const QByteArray before = readFile(target);
        const QString path = dir.filePath(QStringLiteral("Tarnel/history.sqlite3"));
        QDir().mkpath(dir.filePath(QStringLiteral("Tarnel")));
        ASSERT_EQ(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(path).constData()), 0);

        SqliteHistoryStore store(path);
        const StoredHistory stored = store.read();
        EXPECT_FALSE(stored.complete) << c.name;
        EXPECT_TRUE(stored.rows.isEmpty()) << c.name << ": nothing is read through a link";
        EXPECT_EQ(modeOf(target), 0644u) << c.name;
        EXPECT_EQ(readFile(target), before) << c.name;
        const QStringList aside = setAsideEntries(path);
        ASSERT_EQ(aside.size(), 1) << c.name;
        EXPECT_EQ(QFileInfo(dir.filePath(QStringLiteral("Tarnel/") + aside.first())).symLinkTarget(), target) << c.name;
        // A regular, private file takes the link's place.
        ASSERT_TRUE(store.apply(HistoryChange{{{QStringLiteral("N"), 1, "{}"}}, {}, {}}).ok) << c.name;
        EXPECT_FALSE(QFileInfo(path).isSymLink()) << c.name;
        EXPECT_EQ(modeOf(path), 0600u) << c.name;
        EXPECT_EQ(readFile(target), before) << c.name;
    }
}

TEST(SqliteHistoryStore, AFileThatIsNoTarnelHistoryIsSetAsideWholeWithItsLog)
{
    struct Case {
        const char *name;
        // Leaves at the path something other than a Tarnel history; returns the log file
        // that was put beside it, if any.
        std::function<QByteArray(const QString &, const QString &)> make;
        // The file set aside still holds the three rows once read without its log.
        bool rowsInFile;
    };
    const Case cases[] = {
        {"another program's database",
         [](const QString &path, const QString &) {
             RawDatabase other(path);
             other.exec("CREATE TABLE notes(x TEXT); INSERT INTO notes VALUES('n');");
             return QByteArray();
         },
         false},
        {"a table of another form under the same name",
         [](const QString &path, const QString &) {
             RawDatabase other(path);
             other.exec("CREATE TABLE history(a, b); INSERT INTO history VALUES(1, 2);");
             return QByteArray();
         },
         false},
        {"a history that lost its table",
         [](const QString &path, const QString &) {
             writeThreeRows(path);
             RawDatabase damaged(path);
             damaged.exec("DROP TABLE history;");
             return QByteArray();
         },
         false},
        {"the log of another database",
         [](const QString &path, const QString &scratch) {
             writeThreeRows(path);
             const QString otherPath = scratch + QStringLiteral("/other.db");
             RawDatabase other(otherPath);
             other.exec("PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0;"
                        "CREATE TABLE notes(x TEXT); INSERT INTO notes VALUES('n');");
             const QByteArray log = readFile(otherPath + QStringLiteral("-wal"));
             EXPECT_GT(log.size(), 0);
             writeFile(path + QStringLiteral("-wal"), log);
             return log;
         },
         true},
    };
    for (const Case &c : cases) {
        QTemporaryDir dir;
        QTemporaryDir scratch;
        const QString path = dir.filePath(QStringLiteral("history.sqlite3"));
        const QByteArray log = c.make(path, scratch.path());
        const QByteArray file = readFile(path);

        SqliteHistoryStore store(path);
        const StoredHistory stored = store.read();
        EXPECT_FALSE(stored.complete) << c.name;
        EXPECT_FALSE(stored.problem.isEmpty()) << c.name;
        EXPECT_TRUE(stored.rows.isEmpty()) << c.name;
        const QStringList aside = setAsideEntries(path);
        ASSERT_FALSE(aside.isEmpty()) << c.name;
        const QString asideFile = dir.filePath(aside.first());
        EXPECT_EQ(readFile(asideFile), file) << c.name << ": the file is set aside as it was";
        if (!log.isEmpty()) {
            EXPECT_TRUE(aside.contains(aside.first() + QStringLiteral("-wal"))) << c.name;
            EXPECT_EQ(readFile(asideFile + QStringLiteral("-wal")), log) << c.name;
        }
        if (c.rowsInFile) {
            // Read on its own, what was set aside still holds every row.
            const QString copy = scratch.filePath(QStringLiteral("copy/history.sqlite3"));
            ASSERT_TRUE(writeFile(copy, readFile(asideFile))) << c.name;
            EXPECT_EQ(idsOf(SqliteHistoryStore(copy).read().rows), (QStringList{"C", "B", "A"})) << c.name;
        }
        // The fresh file in its place is a Tarnel history that takes writes and reads whole.
        ASSERT_TRUE(store.apply(HistoryChange{{{QStringLiteral("N"), 1, "{}"}}, {}, {}}).ok) << c.name;
        const StoredHistory fresh = SqliteHistoryStore(path).read();
        EXPECT_TRUE(fresh.complete) << c.name;
        EXPECT_EQ(idsOf(fresh.rows), QStringList{"N"}) << c.name;
    }
}

TEST(SqliteHistoryStore, AHistoryWrittenBeforeFilesWereMarkedIsAdoptedAndMarked)
{
    QTemporaryDir dir;
    const QString fresh = dir.filePath(QStringLiteral("fresh/history.sqlite3"));
    SqliteHistoryStore(fresh).read();
    qint64 mark = 0;
    {
        RawDatabase marked(fresh);
        mark = marked.integer("PRAGMA application_id");
        EXPECT_NE(mark, 0) << "a fresh file is marked as a Tarnel history";
        EXPECT_GE(marked.integer("PRAGMA user_version"), 1);
    }

    const QString path = dir.filePath(QStringLiteral("old/history.sqlite3"));
    QDir().mkpath(dir.filePath(QStringLiteral("old")));
    {
        RawDatabase old(path);
        ASSERT_TRUE(old.exec("PRAGMA journal_mode=WAL;"
                             "CREATE TABLE history (id TEXT PRIMARY KEY NOT NULL, position INTEGER NOT NULL,"
                             " record BLOB NOT NULL);"
                             "CREATE INDEX history_position ON history(position);"
                             "INSERT INTO history VALUES('A', 1024, '{\"id\":\"A\",\"text\":\"a\"}');"
                             "INSERT INTO history VALUES('B', 2048, '{\"id\":\"B\",\"text\":\"b\"}');"));
    }
    {
        SqliteHistoryStore store(path);
        const StoredHistory stored = store.read();
        EXPECT_TRUE(stored.complete);
        EXPECT_EQ(idsOf(stored.rows), (QStringList{"B", "A"}));
        EXPECT_TRUE(setAsideEntries(path).isEmpty());
    }
    RawDatabase adopted(path);
    EXPECT_EQ(adopted.integer("PRAGMA application_id"), mark);
    EXPECT_GE(adopted.integer("PRAGMA user_version"), 1);
    EXPECT_EQ(adopted.integer("SELECT count(*) FROM history"), 2);
}

TEST(SqliteHistoryStore, ItsFolderIsMadeAndKeptPrivate)
{
    QTemporaryDir dir;
    const QString made = dir.filePath(QStringLiteral("share/Tarnel/history.sqlite3"));
    SqliteHistoryStore(made).read();
    EXPECT_EQ(modeOf(dir.filePath(QStringLiteral("share/Tarnel"))), 0700u);

    const QString existing = dir.filePath(QStringLiteral("old/Tarnel"));
    ASSERT_TRUE(QDir().mkpath(existing));
    ASSERT_EQ(::chmod(QFile::encodeName(existing).constData(), 0755), 0);
    SqliteHistoryStore(existing + QStringLiteral("/history.sqlite3")).read();
    EXPECT_EQ(modeOf(existing), 0700u);
}

TEST(SqliteHistoryStore, AWriteWhileAnotherProgramHoldsTheFileFailsAndLeavesTheRowsAsTheyWere)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.sqlite3"));
    writeThreeRows(path);
    SqliteHistoryStore store(path, std::chrono::milliseconds(50));
    ASSERT_TRUE(store.read().complete);
    {
        RawDatabase holder(path);
        ASSERT_TRUE(holder.exec("BEGIN EXCLUSIVE"));
        const HistoryWriteResult locked = store.apply(HistoryChange{{{QStringLiteral("N"), 4096, "{}"}}, {}, {}});
        EXPECT_FALSE(locked.ok);
        EXPECT_FALSE(locked.diskFull);
        EXPECT_FALSE(locked.error.isEmpty());
        holder.exec("ROLLBACK");
    }
    ASSERT_TRUE(store.apply(HistoryChange{{{QStringLiteral("N"), 4096, "{}"}}, {}, {}}).ok);
    EXPECT_EQ(idsOf(SqliteHistoryStore(path).read().rows), (QStringList{"N", "C", "B", "A"}));
}

TEST(SqliteHistoryStore, AFolderUnderALinkedParentKeepsItsHistoryOverTwoStarts)
{
    // A home on a link (/home -> /var/home), or ~/.local linked from another disk.
    QTemporaryDir dir;
    const QString real = dir.filePath(QStringLiteral("real/data/Tarnel/history.sqlite3"));
    writeThreeRows(real);
    ASSERT_EQ(::symlink(QFile::encodeName(dir.filePath(QStringLiteral("real"))).constData(),
                        QFile::encodeName(dir.filePath(QStringLiteral("link"))).constData()),
              0);
    const QString linked = dir.filePath(QStringLiteral("link/data/Tarnel/history.sqlite3"));
    QStringList expected{"C", "B", "A"};
    for (int start = 1; start <= 2; ++start) {
        SqliteHistoryStore store(linked);
        const StoredHistory stored = store.read();
        EXPECT_TRUE(stored.complete) << "start " << start << ": " << stored.problem.toStdString();
        EXPECT_EQ(idsOf(stored.rows), expected) << "start " << start;
        const QString id = QStringLiteral("N%1").arg(start);
        ASSERT_TRUE(store.openConnection()->apply(HistoryChange{{{id, 4096 * start, "{}"}}, {}, {}}).ok)
            << "start " << start;
        expected.prepend(id);
        EXPECT_TRUE(setAsideEntries(real).isEmpty()) << "start " << start;
    }
    EXPECT_EQ(idsOf(SqliteHistoryStore(real).read().rows), expected);
    EXPECT_EQ(modeOf(real), 0600u);
}

TEST(SqliteHistoryStore, ALinkInPlaceOfTheLogOrItsIndexIsSetAsideAndWhatItPointsAtIsLeftAlone)
{
    for (const char *suffix : {"-wal", "-shm"}) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite3"));
        writeThreeRows(path);
        const QString target = dir.filePath(QStringLiteral("notes.txt"));
        ASSERT_TRUE(writeFile(target, "the user's own notes\n"));
        ASSERT_EQ(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(path + suffix).constData()), 0);

        SqliteHistoryStore store(path);
        const StoredHistory stored = store.read();
        EXPECT_FALSE(stored.complete) << suffix;
        EXPECT_FALSE(stored.setAsidePath.isEmpty()) << suffix;
        EXPECT_EQ(readFile(target), QByteArray("the user's own notes\n")) << suffix;
        // The history went aside whole; read on its own it still holds every row.
        const QString copy = dir.filePath(QStringLiteral("copy/history.sqlite3"));
        ASSERT_TRUE(writeFile(copy, readFile(stored.setAsidePath))) << suffix;
        EXPECT_EQ(idsOf(SqliteHistoryStore(copy).read().rows), (QStringList{"C", "B", "A"})) << suffix;
        ASSERT_TRUE(store.apply(HistoryChange{{{QStringLiteral("N"), 1, "{}"}}, {}, {}}).ok) << suffix;
        EXPECT_FALSE(QFileInfo(path + suffix).isSymLink()) << suffix;
        EXPECT_EQ(readFile(target), QByteArray("the user's own notes\n")) << suffix;
    }
}

TEST(SqliteHistoryStore, AFileThatCannotBeOpenedNowStaysWhereItIsAndIsReadWholeLater)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.sqlite3"));
    writeThreeRows(path);
    {
        // Another program holds the file for longer than the store waits.
        RawDatabase holder(path);
        ASSERT_TRUE(holder.exec("PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; SELECT count(*) FROM history;"));
        SqliteHistoryStore store(path, std::chrono::milliseconds(50));
        const StoredHistory stored = store.read();
        EXPECT_FALSE(stored.complete);
        EXPECT_TRUE(stored.rows.isEmpty());
        EXPECT_TRUE(stored.setAsidePath.isEmpty());
        EXPECT_TRUE(setAsideEntries(path).isEmpty()) << "a locked file is no unreadable file";
    }
    EXPECT_EQ(idsOf(SqliteHistoryStore(path).read().rows), (QStringList{"C", "B", "A"}));

    {
        // The program writing it still holds its log, deleted at the path: the log's index tells
        // of commits a reader cannot find, which says nothing of the file.
        SqliteHistoryStore writer(path);
        ASSERT_TRUE(writer.apply(HistoryChange{{{QStringLiteral("D"), 4096, R"({"id":"D","text":"d"})"}}, {}, {}}).ok);
        ASSERT_TRUE(QFile::remove(path + QStringLiteral("-wal")));
        const StoredHistory stored = SqliteHistoryStore(path).read();
        EXPECT_TRUE(stored.setAsidePath.isEmpty()) << stored.problem.toStdString();
        EXPECT_TRUE(setAside(path).isEmpty()) << "a log held elsewhere is no damage";
        EXPECT_TRUE(writer.checkFiles().renewed);
    }
    EXPECT_EQ(idsOf(SqliteHistoryStore(path).read().rows), (QStringList{"D", "C", "B", "A"}));

    // A folder that cannot be made sets nothing aside either.
    const QString blocked = dir.filePath(QStringLiteral("file"));
    ASSERT_TRUE(writeFile(blocked, "x"));
    const StoredHistory none = SqliteHistoryStore(blocked + QStringLiteral("/Tarnel/history.sqlite3")).read();
    EXPECT_FALSE(none.complete);
    EXPECT_TRUE(none.setAsidePath.isEmpty());
    EXPECT_EQ(readFile(blocked), QByteArray("x"));
}

TEST(SqliteHistoryStore, AConnectionOpenedReadOnlyIsOpenedAgainOnceTheDiskTakesWrites)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.sqlite3"));
    writeThreeRows(path);
    SqliteHistoryStore store(path);
    std::unique_ptr<HistoryStore> writer = store.openConnection();
    {
        ReadOnlyDisk readOnly;
        const StoredHistory stored = store.read();
        EXPECT_TRUE(stored.complete);
        EXPECT_EQ(idsOf(stored.rows), (QStringList{"C", "B", "A"}));
        const HistoryWriteResult failed = writer->apply(HistoryChange{{{QStringLiteral("N"), 4096, "{}"}}, {}, {}});
        EXPECT_FALSE(failed.ok);
        EXPECT_FALSE(failed.error.isEmpty());
    }
    EXPECT_TRUE(setAsideEntries(path).isEmpty());
    // The disk takes writes again: both connections write, neither stays read-only.
    EXPECT_TRUE(writer->apply(HistoryChange{{{QStringLiteral("N"), 4096, "{}"}}, {}, {}}).ok);
    EXPECT_TRUE(store.apply(HistoryChange{{{QStringLiteral("M"), 8192, "{}"}}, {}, {}}).ok);
    EXPECT_EQ(idsOf(SqliteHistoryStore(path).read().rows), (QStringList{"M", "N", "C", "B", "A"}));
}

// What a crash or a power cut leaves behind: a row still in the log, beside the log's index.
void leaveARowInTheLog(const QString &path, const char *insert)
{
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    EXPECT_EQ(sqlite3_exec(db, insert, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close_v2(db);
    ASSERT_TRUE(QFileInfo::exists(path + QStringLiteral("-wal")));
    ASSERT_TRUE(QFileInfo::exists(path + QStringLiteral("-shm")));
}

// The disk was mounted read-only when the history was read (as after an error) and takes writes
// later. The connections the start left open share the log's index with the writer's; once the
// disk takes writes, none of them keeps the writer from writing.
TEST(SqliteHistoryStore, AHistoryReadFromAReadOnlyDiskIsWrittenOnceTheDiskTakesWrites)
{
    // A start reads; one that found an unreadable row also tries to keep a copy.
    for (const bool copyTried : {false, true}) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite3"));
        writeThreeRows(path);
        leaveARowInTheLog(path, R"(INSERT INTO history VALUES('D', 4096, '{"id":"D","text":"d"}'))");
        SqliteHistoryStore store(path);
        std::unique_ptr<HistoryStore> writer = store.openConnection();
        {
            ReadOnlyDisk readOnly(ReadOnlyDisk::WholeDisk);
            const StoredHistory stored = store.read();
            EXPECT_TRUE(stored.complete) << copyTried;
            EXPECT_EQ(idsOf(stored.rows), (QStringList{"D", "C", "B", "A"})) << copyTried;
            if (copyTried) {
                EXPECT_TRUE(store.keepCopy(QStringLiteral("1 unreadable entries")).isEmpty());
            }
            const HistoryWriteResult failed = writer->apply(HistoryChange{{{QStringLiteral("N"), 5120, "{}"}}, {}, {}});
            EXPECT_FALSE(failed.ok) << copyTried;
            EXPECT_TRUE(failed.error.contains(QStringLiteral("readonly"))) << failed.error.toStdString();
        }
        const HistoryWriteResult retried = writer->apply(HistoryChange{{{QStringLiteral("N"), 5120, "{}"}}, {}, {}});
        EXPECT_TRUE(retried.ok) << copyTried << ": " << retried.error.toStdString();
        EXPECT_TRUE(writer->apply(HistoryChange{{{QStringLiteral("M"), 6144, "{}"}}, {}, {}}).ok) << copyTried;
        EXPECT_EQ(idsOf(SqliteHistoryStore(path).read().rows), (QStringList{"M", "N", "D", "C", "B", "A"})) << copyTried;
        EXPECT_TRUE(setAsideEntries(path).isEmpty()) << copyTried;
    }

    // A read keeps no connection open: the last one to close, it folds the log into the file.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.sqlite3"));
    writeThreeRows(path);
    leaveARowInTheLog(path, R"(INSERT INTO history VALUES('D', 4096, '{"id":"D","text":"d"}'))");
    SqliteHistoryStore reader(path);
    EXPECT_EQ(idsOf(reader.read().rows), (QStringList{"D", "C", "B", "A"}));
    EXPECT_FALSE(QFileInfo::exists(path + QStringLiteral("-wal")));
}

} // namespace
