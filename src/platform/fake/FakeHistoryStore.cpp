#include "platform/fake/FakeHistoryStore.h"

#include <algorithm>
#include <utility>

FakeHistoryStore::FakeHistoryStore()
    : m_state(std::make_shared<State>())
{
}

void FakeHistoryStore::seedRows(const QList<StoredHistoryRow> &rows)
{
    QMutexLocker lock(&m_state->mutex);
    for (const StoredHistoryRow &row : rows)
        m_state->rows.insert(row.id, row);
}

void FakeHistoryStore::seedDamage(const QList<StoredHistoryRow> &readable, const QString &problem, qint64 lostRows,
                                  bool lostCountExact)
{
    QMutexLocker lock(&m_state->mutex);
    m_state->damage = StoredHistory{readable, false, problem, QStringLiteral("history.sqlite3.unreadable-1"), lostRows,
                                    lostCountExact};
}

void FakeHistoryStore::seedFilesChange(const HistoryFilesCheck &check)
{
    QMutexLocker lock(&m_state->mutex);
    m_state->filesChange = check;
}

void FakeHistoryStore::seedHistoriesAside(const QStringList &paths)
{
    QMutexLocker lock(&m_state->mutex);
    m_state->historiesAside = paths;
}

bool FakeHistoryStore::holdsHistory(const QString &path) const
{
    QMutexLocker lock(&m_state->mutex);
    return m_state->historiesAside.contains(path);
}

HistoryFilesCheck FakeHistoryStore::checkFiles()
{
    QMutexLocker lock(&m_state->mutex);
    return std::exchange(m_state->filesChange, std::nullopt).value_or(HistoryFilesCheck{});
}

void FakeHistoryStore::setFailsWrites(bool fails, bool diskFull)
{
    QMutexLocker lock(&m_state->mutex);
    m_state->failsWrites = fails;
    m_state->diskFull = diskFull;
}

void FakeHistoryStore::makeRoomDuringNextFailedWrite()
{
    QMutexLocker lock(&m_state->mutex);
    m_state->roomAfterNextFailure = true;
}

void FakeHistoryStore::setAvailableBytes(std::optional<qint64> bytes)
{
    QMutexLocker lock(&m_state->mutex);
    m_state->availableBytes = bytes;
}

QList<StoredHistoryRow> FakeHistoryStore::rows() const
{
    QMutexLocker lock(&m_state->mutex);
    QList<StoredHistoryRow> rows = m_state->rows.values();
    std::sort(rows.begin(), rows.end(), [](const StoredHistoryRow &a, const StoredHistoryRow &b) {
        return a.position > b.position;
    });
    return rows;
}

int FakeHistoryStore::transactionCount() const
{
    QMutexLocker lock(&m_state->mutex);
    return m_state->transactions;
}

int FakeHistoryStore::lastWrittenRows() const
{
    QMutexLocker lock(&m_state->mutex);
    return m_state->lastWritten;
}

int FakeHistoryStore::lastMovedRows() const
{
    QMutexLocker lock(&m_state->mutex);
    return m_state->lastMoved;
}

int FakeHistoryStore::lastRemovedRows() const
{
    QMutexLocker lock(&m_state->mutex);
    return m_state->lastRemoved;
}

int FakeHistoryStore::failedWrites() const
{
    QMutexLocker lock(&m_state->mutex);
    return m_state->failed;
}

QList<std::chrono::steady_clock::time_point> FakeHistoryStore::failedWriteTimes() const
{
    QMutexLocker lock(&m_state->mutex);
    return m_state->failedAt;
}

int FakeHistoryStore::copiesKept() const
{
    QMutexLocker lock(&m_state->mutex);
    return m_state->copies;
}

StoredHistory FakeHistoryStore::read()
{
    {
        QMutexLocker lock(&m_state->mutex);
        if (m_state->damage) {
            StoredHistory damaged = *m_state->damage;
            m_state->damage.reset();
            m_state->rows.clear();
            return damaged;
        }
    }
    return StoredHistory{rows(), true, {}, {}};
}

HistoryWriteResult FakeHistoryStore::apply(const HistoryChange &change)
{
    QMutexLocker lock(&m_state->mutex);
    if (change.isEmpty())
        return {};
    if (m_state->failsWrites) {
        ++m_state->failed;
        m_state->failedAt.append(std::chrono::steady_clock::now());
        if (std::exchange(m_state->roomAfterNextFailure, std::nullopt)) {
            m_state->failsWrites = false;
            m_state->availableBytes = qint64(1) << 30;
        }
        return HistoryWriteResult{false, m_state->diskFull, QStringLiteral("injected failure")};
    }
    for (const StoredHistoryRow &row : change.writes)
        m_state->rows.insert(row.id, row);
    for (const auto &[id, position] : change.moves) {
        if (m_state->rows.contains(id))
            m_state->rows[id].position = position;
    }
    for (const QString &id : change.removals)
        m_state->rows.remove(id);
    ++m_state->transactions;
    m_state->lastWritten = int(change.writes.size());
    m_state->lastMoved = int(change.moves.size());
    m_state->lastRemoved = int(change.removals.size());
    return {};
}

QString FakeHistoryStore::keepCopy(const QString &)
{
    QMutexLocker lock(&m_state->mutex);
    ++m_state->copies;
    return QStringLiteral("history.sqlite3.unreadable-copy-%1").arg(m_state->copies);
}

std::optional<qint64> FakeHistoryStore::availableBytes() const
{
    QMutexLocker lock(&m_state->mutex);
    return m_state->availableBytes;
}

std::unique_ptr<HistoryStore> FakeHistoryStore::openConnection() const
{
    return std::unique_ptr<HistoryStore>(new FakeHistoryStore(m_state));
}
