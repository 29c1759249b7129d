#include "platform/linux/DamagedHistoryReader.h"

#include <QFile>

#include <sqlite3.h>

#include <algorithm>
#include <limits>

namespace {

constexpr qint64 kLeastKey = std::numeric_limits<qint64>::min();
constexpr qint64 kGreatestKey = std::numeric_limits<qint64>::max();

const char *const kTableByRowid = "SELECT rowid, id, position, record FROM history WHERE rowid >= ?1 ORDER BY rowid";
const char *const kPositionIndex =
    "SELECT position, rowid FROM history INDEXED BY history_position WHERE position >= ?1 ORDER BY position";
const char *const kIdIndex = "SELECT rowid FROM history INDEXED BY sqlite_autoindex_history_1";

// Only the form the store writes; anything else is damage, not a record.
bool hasStoredForm(sqlite3_stmt *query)
{
    return sqlite3_column_type(query, 1) == SQLITE_TEXT && sqlite3_column_type(query, 2) == SQLITE_INTEGER
        && (sqlite3_column_type(query, 3) == SQLITE_BLOB || sqlite3_column_type(query, 3) == SQLITE_TEXT);
}

} // namespace

DamagedHistoryReader::DamagedHistoryReader(sqlite3 *db)
    : m_db(db)
{
}

std::optional<DamagedHistoryReader::Result> DamagedHistoryReader::readFile(const QString &path, qint32 applicationId)
{
    sqlite3 *db = nullptr;
    std::optional<Result> result;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                        SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_NOFOLLOW, nullptr)
        == SQLITE_OK) {
        // Never folded into the file it reads: the log goes aside with it as it was.
        sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        // What SQLite's recovery does too: a file shorter than its header says is read up to
        // its end instead of refused whole. The connection is read-only; nothing is written.
        if (sqlite3_exec(db, "PRAGMA writable_schema=ON", nullptr, nullptr, nullptr) == SQLITE_OK) {
            DamagedHistoryReader reader(db);
            if (reader.isHistory(applicationId))
                result = reader.read();
        }
    }
    sqlite3_close_v2(db);
    return result;
}

bool DamagedHistoryReader::isHistory(qint32 applicationId)
{
    std::optional<qint64> mark;
    scanToEnd("PRAGMA application_id", [&mark](sqlite3_stmt *query) { mark = sqlite3_column_int64(query, 0); });
    qint64 columns = 0;
    scanToEnd("SELECT count(*) FROM pragma_table_info('history') WHERE name IN ('id', 'position', 'record')",
              [&columns](sqlite3_stmt *query) { columns = sqlite3_column_int64(query, 0); });
    return mark && (*mark == applicationId || (*mark == 0 && columns == 3));
}

DamagedHistoryReader::Result DamagedHistoryReader::read()
{
    Result result;
    QSet<qint64> known;
    QSet<qint64> saved;
    QSet<QString> seenIds;
    const bool tableWhole = walk(kTableByRowid, [&](sqlite3_stmt *query) {
        const qint64 rowid = sqlite3_column_int64(query, 0);
        known.insert(rowid);
        if (!hasStoredForm(query))
            return;
        StoredHistoryRow row;
        row.id = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(query, 1)),
                                   sqlite3_column_bytes(query, 1));
        // Two rows of one id: the index that keeps ids apart is damaged, and the first one stands.
        if (seenIds.contains(row.id))
            return;
        row.position = sqlite3_column_int64(query, 2);
        const void *record = sqlite3_column_blob(query, 3);
        row.record = QByteArray(static_cast<const char *>(record), sqlite3_column_bytes(query, 3));
        seenIds.insert(row.id);
        saved.insert(rowid);
        result.rows.append(std::move(row));
    });
    // A row whose page is lost is still named in the indexes, each of which holds every row.
    const auto note = [&known](int column) {
        return [&known, column](sqlite3_stmt *query) { known.insert(sqlite3_column_int64(query, column)); };
    };
    const bool positionsWhole = walk(kPositionIndex, note(1));
    const bool idsWhole = scanToEnd(kIdIndex, note(0));
    result.lostRows = qint64(known.size()) - qint64(saved.size());
    result.lostCountExact = tableWhole || positionsWhole || idsWhole;
    std::stable_sort(result.rows.begin(), result.rows.end(),
                     [](const StoredHistoryRow &a, const StoredHistoryRow &b) { return a.position > b.position; });
    return result;
}

bool DamagedHistoryReader::walk(const char *sql, const std::function<void(sqlite3_stmt *)> &visit)
{
    sqlite3_stmt *query = nullptr;
    if (sqlite3_prepare_v2(m_db, sql, -1, &query, nullptr) != SQLITE_OK) {
        sqlite3_finalize(query);
        return false;
    }
    bool whole = true;
    qint64 from = kLeastKey;
    for (;;) {
        sqlite3_reset(query);
        sqlite3_bind_int64(query, 1, from);
        int code = SQLITE_ROW;
        bool atEnd = false;
        while ((code = sqlite3_step(query)) == SQLITE_ROW) {
            const qint64 key = sqlite3_column_int64(query, 0);
            visit(query);
            if (key == kGreatestKey) {
                atEnd = true;
                break;
            }
            from = std::max(from, key + 1);
        }
        if (atEnd || code == SQLITE_DONE)
            break;
        whole = false;
        const std::optional<qint64> next = firstReachableAfter(query, from);
        if (!next)
            break;
        from = *next;
    }
    sqlite3_finalize(query);
    return whole;
}

// Where the walk fails, the keys of the failing page lead to it and every key past it leads
// elsewhere: the least key that steps again lies past the page. It is found by steps that double
// until one gets through, then by halving the last step.
std::optional<qint64> DamagedHistoryReader::firstReachableAfter(sqlite3_stmt *query, qint64 from)
{
    qint64 failing = from;
    qint64 step = 1;
    qint64 through = 0;
    for (;;) {
        if (failing > kGreatestKey - step)
            return std::nullopt;
        const qint64 probe = failing + step;
        if (reaches(query, probe)) {
            through = probe;
            break;
        }
        failing = probe;
        if (step <= kGreatestKey / 2)
            step *= 2;
    }
    while (through - failing > 1) {
        const qint64 middle = failing + (through - failing) / 2;
        if (reaches(query, middle))
            through = middle;
        else
            failing = middle;
    }
    return through;
}

bool DamagedHistoryReader::reaches(sqlite3_stmt *query, qint64 from)
{
    sqlite3_reset(query);
    sqlite3_bind_int64(query, 1, from);
    const int code = sqlite3_step(query);
    return code == SQLITE_ROW || code == SQLITE_DONE;
}

bool DamagedHistoryReader::scanToEnd(const char *sql, const std::function<void(sqlite3_stmt *)> &visit)
{
    sqlite3_stmt *query = nullptr;
    int code = sqlite3_prepare_v2(m_db, sql, -1, &query, nullptr);
    if (code == SQLITE_OK) {
        while ((code = sqlite3_step(query)) == SQLITE_ROW)
            visit(query);
    }
    sqlite3_finalize(query);
    return code == SQLITE_DONE;
}
