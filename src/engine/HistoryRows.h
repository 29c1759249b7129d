#pragma once

#include "core/ClipboardEntry.h"
#include "core/DecodedList.h"
#include "platform/HistoryStore.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

// The history's rows and the entries they hold: reading them back with the forgiving entry
// reader, and working out what one new state of the history changes in them.
namespace HistoryRows {

// Positions of new rows are this far apart, so a row can later be placed between two others
// without moving either.
constexpr qint64 kPositionGap = 1024;

// One row's record; nothing (with the reason, never the content) when it is not an entry.
std::optional<ClipboardEntry> decodeRow(const StoredHistoryRow &row, QString *error = nullptr);

// Positions for a list of ids, newest first, strictly decreasing, that keep as many earlier
// positions as the new order allows; ids without an earlier position get new ones.
QList<qint64> positionsFor(const QStringList &ids, const QHash<QString, qint64> &earlier);

// Every entry as a fresh row, newest first: for a history that moves in whole.
QList<StoredHistoryRow> rowsFor(const QList<ClipboardEntry> &entries);

} // namespace HistoryRows

// What was last committed, row by row, and the one transaction that takes it to a new state of
// the history: rows of new or changed entries, moves of entries that only changed their place,
// removals of entries that are gone. Unchanged entries are neither encoded nor written.
class HistoryDiffer
{
public:
    struct Planned {
        HistoryChange change;
        // Image store files that committed rows named and no entry of the new state names.
        QSet<QString> releasedImages;
    };

    // The rows found at start. An unreadable row keeps its place here (it is removed by the
    // first write, once a copy of it was kept) but takes part in no comparison.
    void adoptStored(const QList<StoredHistoryRow> &rows, const QList<std::optional<ClipboardEntry>> &decoded);

    // The transaction for a new state; changes nothing here. Skipped states were handed over
    // but replaced by a newer one before they were written: files that only they named are
    // released too.
    Planned plan(const QList<ClipboardEntry> &entries, const QList<QList<ClipboardEntry>> &skipped = {});
    // The planned state was committed.
    void commit();

    int rowCount() const { return int(m_written.size()); }

private:
    struct Written {
        qint64 position = 0;
        std::optional<ClipboardEntry> entry;
    };
    QHash<QString, Written> m_written;
    // The state that plan() worked out, until commit() or the next plan().
    std::optional<QHash<QString, Written>> m_planned;
};
