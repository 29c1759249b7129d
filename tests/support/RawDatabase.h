#pragma once

// A connection of another program to a database file: it reads, holds locks and changes the
// file behind the store's back.

#include <QFile>
#include <QString>

#include <sqlite3.h>

class RawDatabase
{
public:
    explicit RawDatabase(const QString &path)
    {
        sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        sqlite3_busy_timeout(m_db, 5000);
    }
    ~RawDatabase() { sqlite3_close_v2(m_db); }
    RawDatabase(const RawDatabase &) = delete;
    RawDatabase &operator=(const RawDatabase &) = delete;

    bool exec(const char *sql) { return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }
    qint64 integer(const char *sql)
    {
        sqlite3_stmt *query = nullptr;
        qint64 value = -1;
        if (sqlite3_prepare_v2(m_db, sql, -1, &query, nullptr) == SQLITE_OK && sqlite3_step(query) == SQLITE_ROW)
            value = sqlite3_column_int64(query, 0);
        sqlite3_finalize(query);
        return value;
    }

private:
    sqlite3 *m_db = nullptr;
};

