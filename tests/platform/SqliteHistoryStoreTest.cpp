#include "platform/x11/SqliteHistoryStore.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

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
    ASSERT_TRUE(store.keepCopy(QStringLiteral("1 unreadable entry")));
    const QStringList copies = setAside(path);
    ASSERT_EQ(copies.size(), 1);
    EXPECT_EQ(modeOf(dir.filePath(copies.first())), 0600u);
    SqliteHistoryStore copy(dir.filePath(copies.first()));
    EXPECT_EQ(idsOf(copy.read().rows), (QStringList{"C", "B", "A"}));
    EXPECT_EQ(idsOf(store.read().rows), (QStringList{"C", "B", "A"}));
}

} // namespace
