#include "platform/linux/SqliteHistoryStore.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

#include <sqlite3.h>

// A damaged history gives back every row that the sqlite3 shell reads from it one by one, and
// says how many it lost; the file itself is set aside exactly as it was found, with its log.
namespace {

constexpr int kRows = 303;
// Rows committed into the log only, in the case that keeps one beside the damaged file.
constexpr int kLoggedRows = 20;
// Enough rowids to ask the oracle for every row a case writes.
constexpr int kOracleRowids = 400;
constexpr int kPageSize = 4096;
constexpr int kHeaderSize = 100;
constexpr int kOracleTimeoutMs = 30'000;

// Ids as the history's own, long enough that their index spans pages.
QString idOf(int i)
{
    return QStringLiteral("%1-0000-4000-8000-000000000000").arg(i, 8, 10, QChar(u'0'));
}

int numberOf(const QString &id)
{
    return id.left(8).toInt();
}

// Rows that were copied again moved to the top: places in the list follow no order of writing.
qint64 positionOf(int i)
{
    constexpr int kStride = 7919;
    return (qint64(i) * kStride % (kRows + kLoggedRows) + 1) * 1024;
}

QByteArray recordOf(int i)
{
    return QStringLiteral(R"({"id":"%1","text":"%2"})").arg(idOf(i), QString(640, QChar(u'a' + i % 26))).toUtf8();
}

// The page numbers of a table's or an index's pages of one kind in the file itself (its log
// aside), as SQLite's page map tells; read from a copy, which leaves the files as they are.
QList<qint64> pagesOf(const QString &path, const char *name, const char *kind)
{
    QTemporaryDir copy;
    const QString copied = copy.filePath(QStringLiteral("pages.sqlite3"));
    QFile::copy(path, copied);
    sqlite3 *db = nullptr;
    QList<qint64> pages;
    sqlite3_open_v2(QFile::encodeName(copied).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_stmt *query = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT pageno FROM dbstat WHERE name = ?1 AND pagetype = ?2 ORDER BY pageno", -1, &query,
                           nullptr)
        == SQLITE_OK) {
        sqlite3_bind_text(query, 1, name, -1, SQLITE_STATIC);
        sqlite3_bind_text(query, 2, kind, -1, SQLITE_STATIC);
        while (sqlite3_step(query) == SQLITE_ROW)
            pages.append(sqlite3_column_int64(query, 0));
    }
    sqlite3_finalize(query);
    sqlite3_close(db);
    return pages;
}

// The first of the pages that the log beside the file holds no newer copy of: damage to it is
// what a reader meets.
qint64 firstOutsideLog(const QString &path, const QList<qint64> &pages)
{
    constexpr int kLogHeader = 32;
    constexpr int kFrameHeader = 24;
    const QByteArray log = readFile(path + "-wal");
    QSet<qint64> logged;
    for (qint64 at = kLogHeader; QFileInfo::exists(path + "-wal") && at + kFrameHeader <= log.size();
         at += kFrameHeader + kPageSize) {
        const auto *frame = reinterpret_cast<const uchar *>(log.constData() + at);
        logged.insert(qint64(frame[0]) << 24 | qint64(frame[1]) << 16 | qint64(frame[2]) << 8 | qint64(frame[3]));
    }
    for (qint64 page : pages) {
        if (!logged.contains(page))
            return page;
    }
    return pages.value(0);
}

void overwrite(const QString &path, qint64 offset, qint64 length)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    QRandomGenerator random{quint32(offset)};
    QByteArray bytes(length, Qt::Uninitialized);
    for (char &byte : bytes)
        byte = char(random.bounded(256));
    ASSERT_TRUE(file.seek(offset));
    ASSERT_EQ(file.write(bytes), length);
}

void overwritePage(const QString &path, qint64 page)
{
    overwrite(path, (page - 1) * kPageSize, kPageSize);
}

// 303 rows folded into the file, as a clean quit leaves them.
void writeHistory(const QString &path)
{
    SqliteHistoryStore store(path);
    store.read();
    QList<StoredHistoryRow> rows;
    for (int i = 0; i < kRows; ++i)
        rows.append({idOf(i), positionOf(i), recordOf(i)});
    ASSERT_TRUE(store.apply(HistoryChange{rows, {}, {}}).ok);
}

// More rows committed by another connection that ends without folding its log into the file, as
// a killed run leaves them.
void addLoggedRows(const QString &path)
{
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "PRAGMA wal_autocheckpoint=0", nullptr, nullptr, nullptr), SQLITE_OK);
    for (int i = kRows; i < kRows + kLoggedRows; ++i) {
        const QByteArray sql = QStringLiteral("INSERT INTO history VALUES('%1', %2, '%3')")
                                   .arg(idOf(i))
                                   .arg(positionOf(i))
                                   .arg(QString::fromUtf8(recordOf(i)))
                                   .toUtf8();
        ASSERT_EQ(sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    }
    sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    sqlite3_close(db);
}

// The ids that the sqlite3 shell reads from a copy of the files, asking for each row by its
// rowid on its own; none when the shell cannot be run.
std::optional<QSet<QString>> readOneByOne(const QString &path)
{
    const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (shell.isEmpty())
        return std::nullopt;
    QTemporaryDir copy;
    const QString copied = copy.filePath(QStringLiteral("copy.sqlite3"));
    for (const QString &suffix : {QString(), QStringLiteral("-wal")}) {
        if (QFileInfo::exists(path + suffix))
            QFile::copy(path + suffix, copied + suffix);
    }
    // As SQLite's own recovery reads: a file cut short is read up to its end.
    QByteArray script = "PRAGMA writable_schema=ON;\n";
    for (int rowid = 1; rowid <= kOracleRowids; ++rowid)
        script += "SELECT id FROM history WHERE rowid = " + QByteArray::number(rowid) + ";\n";
    QProcess process;
    process.start(shell, {copied});
    process.write(script);
    process.closeWriteChannel();
    if (!process.waitForFinished(kOracleTimeoutMs))
        return std::nullopt;
    QSet<QString> ids;
    for (const QByteArray &line : process.readAllStandardOutput().split('\n')) {
        if (!line.isEmpty())
            ids.insert(QString::fromUtf8(line));
    }
    return ids;
}

QSet<QString> idsOf(const QList<StoredHistoryRow> &rows)
{
    QSet<QString> ids;
    for (const StoredHistoryRow &row : rows)
        ids.insert(row.id);
    return ids;
}

QString onlySetAside(const QString &path)
{
    const QFileInfo info(path);
    QStringList aside = QDir(info.absolutePath()).entryList({info.fileName() + ".unreadable-*"}, QDir::Files);
    aside.removeIf([](const QString &name) { return name.endsWith(QStringLiteral("-wal")) || name.endsWith(QStringLiteral("-shm")); });
    return aside.size() == 1 ? info.absolutePath() + u'/' + aside.first() : QString();
}

TEST(DamagedHistory, EveryRowTheShellReadsOneByOneIsKeptAndTheRestAreCountedAsLost)
{
    struct Case {
        const char *name;
        // Rows written beside the file's own, into its log.
        bool withLog;
        std::function<void(const QString &)> damage;
        // The count of lost rows is the least lost: the pages that would tell of more are gone.
        bool lostCountExact;
    };
    const Case cases[] = {
        {"one leaf page of the table", false,
         [](const QString &path) { overwritePage(path, pagesOf(path, "history", "leaf").at(30)); }, true},
        {"one leaf page of the table, with a log beside it", true,
         [](const QString &path) { overwritePage(path, pagesOf(path, "history", "leaf").at(20)); }, true},
        {"the position index", false,
         [](const QString &path) {
             for (qint64 page : pagesOf(path, "history_position", "leaf"))
                 overwritePage(path, page);
         },
         true},
        // Every row reads, and yet the file would refuse the first write.
        {"the id index", false,
         [](const QString &path) { overwritePage(path, pagesOf(path, "sqlite_autoindex_history_1", "leaf").at(0)); },
         true},
        {"the id index, with a log beside it", true,
         [](const QString &path) {
             overwritePage(path, firstOutsideLog(path, pagesOf(path, "sqlite_autoindex_history_1", "leaf")));
         },
         true},
        {"the header", false, [](const QString &path) { overwrite(path, 16, kHeaderSize - 16); }, false},
        {"the file cut to 60 %", false,
         [](const QString &path) {
             QFile file(path);
             // Whole pages: the disk takes a file in pages.
             ASSERT_TRUE(file.resize(file.size() * 6 / 10 / kPageSize * kPageSize));
         },
         true},
    };
    for (const Case &c : cases) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite3"));
        writeHistory(path);
        if (c.withLog)
            addLoggedRows(path);
        const int written = kRows + (c.withLog ? kLoggedRows : 0);
        c.damage(path);
        const QByteArray damaged = readFile(path);
        const QByteArray log = readFile(path + "-wal");
        ASSERT_EQ(QFileInfo::exists(path + "-wal"), c.withLog) << c.name;
        const std::optional<QSet<QString>> readable = readOneByOne(path);
        if (!readable)
            GTEST_SKIP() << "the sqlite3 shell is not installed";

        SqliteHistoryStore store(path);
        const StoredHistory stored = store.read();
        EXPECT_FALSE(stored.complete) << c.name;
        EXPECT_EQ(idsOf(stored.rows), *readable) << c.name << ": " << stored.rows.size() << " rows kept, "
                                                 << readable->size() << " read one by one";
        EXPECT_EQ(stored.rows.size(), idsOf(stored.rows).size()) << c.name;
        EXPECT_TRUE(std::is_sorted(stored.rows.cbegin(), stored.rows.cend(),
                                   [](const StoredHistoryRow &a, const StoredHistoryRow &b) { return a.position > b.position; }))
            << c.name << ": newest first";
        for (const StoredHistoryRow &row : stored.rows)
            EXPECT_EQ(row.record, recordOf(numberOf(row.id))) << c.name << ": " << row.id.toStdString();
        EXPECT_EQ(stored.lostCountExact, c.lostCountExact) << c.name;
        if (c.lostCountExact) {
            EXPECT_EQ(stored.lostRows, written - stored.rows.size()) << c.name;
        } else {
            EXPECT_LE(stored.lostRows, written - stored.rows.size()) << c.name;
        }

        // Set aside as it was found: its log is not folded into it, and goes aside with it.
        const QString aside = onlySetAside(path);
        ASSERT_FALSE(aside.isEmpty()) << c.name;
        EXPECT_EQ(aside, stored.setAsidePath) << c.name;
        EXPECT_EQ(readFile(aside), damaged) << c.name;
        if (c.withLog) {
            EXPECT_EQ(readFile(aside + "-wal"), log) << c.name;
        }
        // The fresh file takes the rows kept, and the next write.
        ASSERT_TRUE(store.apply(HistoryChange{stored.rows, {}, {}}).ok) << c.name;
        EXPECT_EQ(SqliteHistoryStore(path).read().rows.size(), stored.rows.size()) << c.name;
    }
}

} // namespace
