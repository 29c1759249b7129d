#pragma once

#include "platform/HistoryStore.h"

#include <QString>

#include <chrono>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

// The history in one SQLite file, readable by its owner only, in WAL mode: a commit appends to
// the log and never rewrites what is already stored, so a killed writer leaves the last
// committed state, and the reader at start never waits for the writer.
//
// The file is opened on first use. One object is one connection; openConnection() gives the
// writer thread its own. The connections opened from one store take turns, one call at a time:
// a connection that SQLite opened read-only (the disk was mounted so) holds the log's index
// read-only for every connection of the process to that file, so a write refused as read-only
// closes all of them, and the file is opened anew, for writing if the disk now allows it. A read
// closes its connection once the rows are in memory.
class SqliteHistoryStore : public HistoryStore {
public:
    // Another connection (another program, or a second start) may hold the write lock for one
    // transaction; a 31 MB row takes well under this long. A write still waiting then fails and
    // the writer tries it again later.
    static constexpr std::chrono::milliseconds kBusyTimeout{10'000};

    // Marks a database as a Tarnel history (PRAGMA application_id, "Trnl"), and the form of its
    // rows (PRAGMA user_version). A file that carries another mark, or none and not the history
    // table either, is another program's and is never written into.
    static constexpr qint32 kApplicationId = 0x54726e6c;
    static constexpr qint32 kSchemaVersion = 1;

    explicit SqliteHistoryStore(QString filePath, std::chrono::milliseconds busyTimeout = kBusyTimeout);
    ~SqliteHistoryStore() override;
    SqliteHistoryStore(const SqliteHistoryStore &) = delete;
    SqliteHistoryStore &operator=(const SqliteHistoryStore &) = delete;

    // $XDG_DATA_HOME/Tarnel/history.sqlite3
    static QString defaultPath();
    QString filePath() const override { return m_filePath; }

    StoredHistory read() override;
    HistoryWriteResult apply(const HistoryChange &change) override;
    QString keepCopy(const QString &reason) override;
    std::optional<qint64> availableBytes() const override;
    std::unique_ptr<HistoryStore> openConnection() const override;
    void reopen() override;
    HistoryFilesCheck checkFiles() override;
    bool holdsHistory(const QString &path) const override;

private:
    struct Connections;
    SqliteHistoryStore(QString filePath, std::chrono::milliseconds busyTimeout, std::shared_ptr<Connections> connections);

    enum class Opened {
        Yes,
        // The file is no Tarnel history, or not one that can be read: it is set aside.
        Unreadable,
        // The folder or the disk would not let it be opened (missing, read-only, full, locked):
        // the file is left as it is, and opened again on the next try.
        Unavailable,
    };
    Opened open(QString *error);
    Opened failedOpen(QString *error);
    // Whether the last failure came from the disk, a lock or memory rather than from what the
    // file holds.
    bool failureSaysNothingOfTheFile() const;
    void setAsideLogBesideAFreshFile();
    // noteState: what is at the path and still the store's own is taken as its own state after
    // the close; not while the store lets go of files another program changed, which would then
    // pass for its own.
    void close(bool noteState = true);
    // This connection and every other one opened from the same store; true when another one
    // was open. The caller takes its turn first.
    bool closeEveryConnection();
    StoredHistory readRows();
    // One try of the change; readOnly tells whether the file refused it as read-only.
    HistoryWriteResult write(const HistoryChange &change, bool *readOnly);
    bool execute(const char *sql, QString *error);
    sqlite3_stmt *statement(sqlite3_stmt *&cached, const char *sql);
    // Scans the rows in the given order, adding those not seen yet; false on the first error.
    bool scan(const char *sql, StoredHistory &into, QSet<QString> &seen, QString *error);
    // Every row the damaged file still gives, counted against those it held, and then
    // startAfresh().
    StoredHistory salvage(StoredHistory stored, const QString &problem);
    StoredHistory startAfresh(StoredHistory stored, const QString &problem);
    // Where the file went; empty when it could not be moved.
    QString setAside(const QString &reason);
    QString errorText() const;

    QString m_filePath;
    std::chrono::milliseconds m_busyTimeout;
    std::shared_ptr<Connections> m_connections;
    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_upsert = nullptr;
    sqlite3_stmt *m_move = nullptr;
    sqlite3_stmt *m_remove = nullptr;
};
