#pragma once

// What the running program has committed to its history database, read beside it through a
// connection of the test's own, as another reader would see it.

#include "core/ClipboardEntry.h"
#include "engine/HistoryRows.h"
#include "platform/linux/SqliteHistoryStore.h"

#include <QFile>
#include <QStringList>

namespace x11test {

struct CommittedHistory {
    bool complete = false;
    QStringList texts; // newest first
};

inline CommittedHistory committedHistory(const QString &path = SqliteHistoryStore::defaultPath())
{
    SqliteHistoryStore store(path);
    const StoredHistory history = store.read();
    CommittedHistory committed{history.complete, {}};
    for (const StoredHistoryRow &row : history.rows) {
        if (const std::optional<ClipboardEntry> entry = HistoryRows::decodeRow(row))
            committed.texts.append(entry->text);
    }
    return committed;
}

// A first start: no history yet, not even a log of one.
inline void forgetHistory(const QString &path = SqliteHistoryStore::defaultPath())
{
    for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
        QFile::remove(path + suffix);
}

inline QStringList storedTexts() { return committedHistory().texts; }

} // namespace x11test
