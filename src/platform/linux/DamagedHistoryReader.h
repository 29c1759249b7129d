#pragma once

#include "platform/HistoryStore.h"

#include <QSet>
#include <QString>

#include <functional>
#include <optional>

struct sqlite3;
struct sqlite3_stmt;

// Reads every row that a damaged history still gives, as SQLite's own recovery would: the table
// is walked by rowid, and where a page fails the walk looks for the first rowid past it that can
// be reached, so one bad page costs the rows on it and no others. The two indexes are walked the
// same way, only to tell how many rows the file held: what they name and the table does not give
// was lost.
class DamagedHistoryReader {
public:
    struct Result {
        // Newest first, as the history reads.
        QList<StoredHistoryRow> rows;
        // Rows the file is known to have held and that could not be read.
        qint64 lostRows = 0;
        // False when a part of the file that would tell of more rows failed too: lostRows is then
        // the least that was lost.
        bool lostCountExact = true;
    };

    // Opens the file at path (no link anywhere in it) read-only, as leniently as SQLite's own
    // recovery does: a file cut short is read up to its end. Its log is read and left as it is.
    // Nothing when the file cannot be opened at all, or is not a Tarnel history (applicationId
    // marks one; a file marked by no program is one when it has the history table).
    static std::optional<Result> readFile(const QString &path, qint32 applicationId);

private:
    explicit DamagedHistoryReader(sqlite3 *db);

    Result read();
    bool isHistory(qint32 applicationId);

    // Visits, in key order, every row of query (which binds ?1 as the least key and yields the
    // key first) that can be reached, stepping over keys whose pages fail. True when nothing
    // failed.
    bool walk(const char *sql, const std::function<void(sqlite3_stmt *)> &visit);
    // The least key above from from which query steps without failing; none when there is none.
    std::optional<qint64> firstReachableAfter(sqlite3_stmt *query, qint64 from);
    bool reaches(sqlite3_stmt *query, qint64 from);
    // Reads every row the query yields until it ends or fails; true when it ended.
    bool scanToEnd(const char *sql, const std::function<void(sqlite3_stmt *)> &visit);

    sqlite3 *m_db;
};
