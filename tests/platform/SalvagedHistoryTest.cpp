#include "platform/linux/DamagedHistoryReader.h"
#include "platform/linux/SqliteHistoryStore.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

#include <sqlite3.h>

// What a damaged history gives back, how many rows it says were lost, and the fresh file that
// takes its place.
namespace {

constexpr int kRows = 303;
constexpr int kPageSize = 4096;
constexpr int kHeaderSize = 100;

QString idOf(int i)
{
    return QStringLiteral("%1-0000-4000-8000-000000000000").arg(i, 8, 10, QChar(u'0'));
}

QByteArray recordOf(int i)
{
    return QStringLiteral(R"({"id":"%1","text":"%2"})").arg(idOf(i), QString(640, QChar(u'a' + i % 26))).toUtf8();
}

// The page numbers of a table's or an index's leaf pages, read from a copy that leaves the file
// as it is.
QList<qint64> leavesOf(const QString &path, const char *name)
{
    QTemporaryDir copy;
    const QString copied = copy.filePath(QStringLiteral("pages.sqlite3"));
    QFile::copy(path, copied);
    sqlite3 *db = nullptr;
    QList<qint64> pages;
    sqlite3_open_v2(QFile::encodeName(copied).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_stmt *query = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT pageno FROM dbstat WHERE name = ?1 AND pagetype = 'leaf' ORDER BY pageno", -1,
                           &query, nullptr)
        == SQLITE_OK) {
        sqlite3_bind_text(query, 1, name, -1, SQLITE_STATIC);
        while (sqlite3_step(query) == SQLITE_ROW)
            pages.append(sqlite3_column_int64(query, 0));
    }
    sqlite3_finalize(query);
    sqlite3_close(db);
    return pages;
}

bool overwrite(const QString &path, qint64 offset, qint64 length)
{
    QFile file(path);
    QRandomGenerator random{quint32(offset)};
    QByteArray bytes(length, Qt::Uninitialized);
    for (char &byte : bytes)
        byte = char(random.bounded(256));
    return file.open(QIODevice::ReadWrite) && file.seek(offset) && file.write(bytes) == length;
}

bool overwriteLeaves(const QString &path, const char *name, qsizetype first, qsizetype count)
{
    const QList<qint64> leaves = leavesOf(path, name);
    if (leaves.size() < first + count)
        return false;
    for (qsizetype i = first; i < first + count; ++i) {
        if (!overwrite(path, (leaves.at(i) - 1) * kPageSize, kPageSize))
            return false;
    }
    return true;
}

bool allLeavesOf(const QString &path, const char *name)
{
    return overwriteLeaves(path, name, 0, leavesOf(path, name).size());
}

QSet<QString> idsOf(const QList<StoredHistoryRow> &rows)
{
    QSet<QString> ids;
    for (const StoredHistoryRow &row : rows)
        ids.insert(row.id);
    return ids;
}

// Whatever broke, the count of what was lost is exact while any one of the table and its two
// indexes can still be read whole; and the fresh file that replaces the damaged one is the store's
// own, taken by no later look for a file that another program put in its place.
TEST(SalvagedHistory, LostRowsAreCountedExactlyWhileAnyWholeListTellsAndTheFreshFileIsTheStoresOwn)
{
    struct Case {
        const char *name;
        std::function<bool(const QString &)> damage;
        bool lostCountExact;
    };
    const Case cases[] = {
        {"a leaf of the table", [](const QString &path) { return overwriteLeaves(path, "history", 30, 1); }, true},
        {"a leaf of the table and the whole position index",
         [](const QString &path) {
             return overwriteLeaves(path, "history", 30, 1) && allLeavesOf(path, "history_position");
         },
         true},
        {"a leaf of the table and the id index",
         [](const QString &path) {
             return overwriteLeaves(path, "history", 30, 1) && overwriteLeaves(path, "sqlite_autoindex_history_1", 0, 1);
         },
         true},
        {"a leaf of the table and both indexes",
         [](const QString &path) {
             return overwriteLeaves(path, "history", 30, 1) && allLeavesOf(path, "history_position")
                 && overwriteLeaves(path, "sqlite_autoindex_history_1", 0, 1);
         },
         false},
        {"the header", [](const QString &path) { return overwrite(path, 16, kHeaderSize - 16); }, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite3"));
        {
            SqliteHistoryStore writer(path);
            writer.read();
            QList<StoredHistoryRow> rows;
            for (int i = 0; i < kRows; ++i)
                rows.append({idOf(i), qint64(i + 1) * 1024, recordOf(i)});
            ASSERT_TRUE(writer.apply(HistoryChange{rows, {}, {}}).ok);
        }
        ASSERT_TRUE(c.damage(path));

        SqliteHistoryStore store(path);
        const StoredHistory stored = store.read();
        ASSERT_FALSE(stored.complete);
        ASSERT_FALSE(stored.setAsidePath.isEmpty());
        EXPECT_EQ(stored.lostCountExact, c.lostCountExact);
        if (c.lostCountExact) {
            EXPECT_EQ(stored.lostRows, kRows - stored.rows.size());
        } else {
            EXPECT_LE(stored.lostRows, kRows - stored.rows.size());
        }

        const HistoryFilesCheck check = store.checkFiles();
        EXPECT_FALSE(check.renewed) << check.change.toStdString();
        EXPECT_TRUE(check.setAside.isEmpty());
        ASSERT_TRUE(store.apply(HistoryChange{stored.rows, {}, {}}).ok);
        EXPECT_EQ(SqliteHistoryStore(path).read().rows.size(), stored.rows.size());
    }
}

// A file whose index no longer keeps ids apart, as a damaged one can be: the row first in the
// table stands for its id, and the other is not given back beside it.
TEST(SalvagedHistory, TwoRowsOfOneIdGiveBackTheFirst)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.sqlite3"));
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr),
              SQLITE_OK);
    const QByteArray mark = "PRAGMA application_id=" + QByteArray::number(SqliteHistoryStore::kApplicationId);
    for (const QByteArray &sql : {QByteArray("CREATE TABLE history(id TEXT NOT NULL, position INTEGER NOT NULL, record BLOB NOT NULL)"),
                                  QByteArray("CREATE INDEX history_position ON history(position)"), mark,
                                  QByteArray("INSERT INTO history VALUES('a', 3, X'6669727374')"),
                                  QByteArray("INSERT INTO history VALUES('b', 2, X'62')"),
                                  QByteArray("INSERT INTO history VALUES('a', 1, X'7365636f6e64')")}) {
        ASSERT_EQ(sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK) << sql.constData();
    }
    sqlite3_close(db);

    const std::optional<DamagedHistoryReader::Result> read =
        DamagedHistoryReader::readFile(path, SqliteHistoryStore::kApplicationId);
    ASSERT_TRUE(read.has_value());
    ASSERT_EQ(read->rows.size(), 2);
    EXPECT_EQ(idsOf(read->rows), (QSet<QString>{QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_EQ(read->rows.first().id, QStringLiteral("a"));
    EXPECT_EQ(read->rows.first().record, QByteArray("first"));
}

} // namespace
