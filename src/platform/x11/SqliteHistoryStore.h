#pragma once

#include "platform/HistoryStore.h"

#include <QString>

struct sqlite3;
struct sqlite3_stmt;

// The history in one SQLite file, readable by its owner only, in WAL mode: a commit appends to
// the log and never rewrites what is already stored, so a killed writer leaves the last
// committed state, and the reader at start never waits for the writer.
//
// The file is opened on first use. One object is one connection; openConnection() gives the
// writer thread its own.
class SqliteHistoryStore : public HistoryStore
{
public:
    explicit SqliteHistoryStore(QString filePath);
    ~SqliteHistoryStore() override;
    SqliteHistoryStore(const SqliteHistoryStore &) = delete;
    SqliteHistoryStore &operator=(const SqliteHistoryStore &) = delete;

    // $XDG_DATA_HOME/Tarnel/history.sqlite3
    static QString defaultPath();
    QString filePath() const { return m_filePath; }

    StoredHistory read() override;
    HistoryWriteResult apply(const HistoryChange &change) override;
    bool keepCopy(const QString &reason) override;
    std::optional<qint64> availableBytes() const override;
    std::unique_ptr<HistoryStore> openConnection() const override;

private:
    bool open(QString *error);
    void close();
    bool execute(const char *sql, QString *error);
    sqlite3_stmt *statement(sqlite3_stmt *&cached, const char *sql);
    // Scans the rows in the given order, adding those not seen yet; false on the first error.
    bool scan(const char *sql, StoredHistory &into, QSet<QString> &seen, QString *error);
    StoredHistory startAfresh(StoredHistory stored, const QString &problem);
    void setAside(const QString &reason);
    QString errorText() const;

    QString m_filePath;
    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_upsert = nullptr;
    sqlite3_stmt *m_move = nullptr;
    sqlite3_stmt *m_remove = nullptr;
};
