#pragma once

#include "platform/HistoryStore.h"

#include <QHash>
#include <QMutex>

#include <chrono>
#include <memory>

// A history held in memory, shared by every connection opened from it (the writer thread's
// too). Tests seed rows, read back what was committed, count transactions and make writes fail
// as a full disk would.
class FakeHistoryStore : public HistoryStore
{
public:
    FakeHistoryStore();

    StoredHistory read() override;
    HistoryWriteResult apply(const HistoryChange &change) override;
    QString keepCopy(const QString &reason) override;
    std::optional<qint64> availableBytes() const override;
    std::unique_ptr<HistoryStore> openConnection() const override;
    HistoryFilesCheck checkFiles() override;
    bool holdsHistory(const QString &path) const override;

    // ---- what tests set up ----
    void seedRows(const QList<StoredHistoryRow> &rows);
    // The next read finds the stored file damaged: these rows are all it yields, lostRows more
    // (or at least that many) could not be read, the file is set aside and the store starts
    // afresh.
    void seedDamage(const QList<StoredHistoryRow> &readable, const QString &problem, qint64 lostRows = 0,
                    bool lostCountExact = true);
    // The next look at the files finds them changed as check says (set aside where it names).
    void seedFilesChange(const HistoryFilesCheck &check);
    // Files set aside beside the history that hold another history.
    void seedHistoriesAside(const QStringList &paths);
    void setFailsWrites(bool fails, bool diskFull = true);
    void setAvailableBytes(std::optional<qint64> bytes);
    // The next write that fails does so on a full disk, and room comes back while it fails:
    // after it, writes go through and the free space has grown.
    void makeRoomDuringNextFailedWrite();

    // ---- what tests read back ----
    // Committed rows, newest first.
    QList<StoredHistoryRow> rows() const;
    int transactionCount() const;
    // Rows written whole, moved and removed by the last committed transaction.
    int lastWrittenRows() const;
    int lastMovedRows() const;
    int lastRemovedRows() const;
    int failedWrites() const;
    // When each failed write was tried, as the writer's thread made it.
    QList<std::chrono::steady_clock::time_point> failedWriteTimes() const;
    int copiesKept() const;

private:
    struct State {
        mutable QMutex mutex;
        QHash<QString, StoredHistoryRow> rows;
        std::optional<StoredHistory> damage;
        std::optional<HistoryFilesCheck> filesChange;
        QStringList historiesAside;
        bool failsWrites = false;
        bool diskFull = true;
        std::optional<qint64> availableBytes;
        std::optional<bool> roomAfterNextFailure;
        int transactions = 0;
        int lastWritten = 0;
        int lastMoved = 0;
        int lastRemoved = 0;
        int failed = 0;
        QList<std::chrono::steady_clock::time_point> failedAt;
        int copies = 0;
    };
    explicit FakeHistoryStore(std::shared_ptr<State> state) : m_state(std::move(state)) {}

    std::shared_ptr<State> m_state;
};
