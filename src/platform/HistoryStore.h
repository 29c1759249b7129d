#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <utility>

// One stored history row: the entry's id, its place in the list and its JSON record, exactly
// as the record writer produced it. A larger position is a newer place: the list reads in
// descending order, so a copy added at the top takes a new position and moves no other row.
struct StoredHistoryRow {
    QString id;
    qint64 position = 0;
    QByteArray record;
};

// What a start finds on disk.
struct StoredHistory {
    // Newest first.
    QList<StoredHistoryRow> rows;
    // False when the file could not be read whole. An unreadable file was set aside under
    // another name (the rows that could be read are still here) and a fresh file took its
    // place; one that could not be opened at all stays where it is, and no rows are here.
    bool complete = true;
    // Why the file was not read whole, for the log; never quotes content.
    QString problem;
    // Where the unreadable file was moved, for the user; empty when nothing was set aside (the
    // file could not be opened at all, and stays where it is).
    QString setAsidePath;
    // Rows the file set aside is known to have held that could not be read.
    qint64 lostRows = 0;
    // False when the file could not tell how many rows it held: lostRows is then the least that
    // was lost.
    bool lostCountExact = true;
};

// One transaction: every row written or moved, and every row removed, or nothing at all.
struct HistoryChange {
    // Rows inserted or rewritten whole.
    QList<StoredHistoryRow> writes;
    // Rows whose record stays as it is and whose position changes.
    QList<std::pair<QString, qint64>> moves;
    QStringList removals;

    bool isEmpty() const { return writes.isEmpty() && moves.isEmpty() && removals.isEmpty(); }
};

struct HistoryWriteResult {
    bool ok = true;
    // The file system had no room; the user is told so in these words.
    bool diskFull = false;
    // The storage's own reason, for the log.
    QString error;
};

// What a look at the history's files found, before a write.
struct HistoryFilesCheck {
    // A file of the history was no longer the one held (deleted, moved away, replaced or cut
    // short): every connection let go of it, and the whole history is to be written at the path.
    bool renewed = false;
    // Where what was found at the path and was not the history held went, for the user.
    QStringList setAside;
    // Those of them that hold another history, one that can be read (with the log and index set
    // aside with it), rather than something unreadable.
    QStringList histories;
    // What happened, for the log.
    QString change;
};

// The history's durable home, one connection to it. A connection is used by one thread at a
// time; the writer thread opens its own.
class HistoryStore
{
public:
    virtual ~HistoryStore() = default;

    // Every row. A file that cannot be opened or read whole is set aside with a log line that
    // says why, and a fresh one is started in its place.
    virtual StoredHistory read() = 0;
    // The change in one transaction; a failure leaves what was stored before exactly as it was.
    virtual HistoryWriteResult apply(const HistoryChange &change) = 0;
    // A copy of the whole history kept next to it under another name, before a change that
    // takes rows of it away for good; where the copy is, for the user, or empty when none could
    // be made.
    virtual QString keepCopy(const QString &reason) = 0;
    // Room left for the history, in bytes; none when it cannot be told. A write that failed for
    // lack of room is tried again once this changes.
    virtual std::optional<qint64> availableBytes() const = 0;
    // Another connection to the same history, for another thread.
    virtual std::unique_ptr<HistoryStore> openConnection() const = 0;
    // The file the history is kept in, for the user; empty when it is in no file.
    virtual QString filePath() const { return {}; }
    // The path may name another file now (its folder was deleted, renamed or replaced): every
    // connection opened from this store lets go of the file it had, and the next use opens the
    // one at the path.
    virtual void reopen() { }
    // Any connection, before a write: whether the files at the path are still the ones this store
    // holds. When one is not, every connection lets go of them without folding a log into anything
    // that is not its own, what is not the store's own is set aside whole, and the next use opens
    // what is at the path, made afresh when gone.
    virtual HistoryFilesCheck checkFiles() { return {}; }
    // Whether the file at path, one set aside beside the history, is another history that can be
    // read rather than data no history can be read from. Opens the file: not on the main thread.
    virtual bool holdsHistory(const QString &path) const
    {
        Q_UNUSED(path);
        return false;
    }
};
