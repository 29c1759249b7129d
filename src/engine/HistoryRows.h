#pragma once

#include "core/ClipboardEntry.h"
#include "core/DecodedList.h"
#include "core/HistoryRowEdit.h"
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
//
// When the history tells which rows it put in and took out since the state last committed, and
// nothing else changed, only those rows are looked at, so a copy on top of a long history costs
// the same as on top of a short one; otherwise every entry is compared.
class HistoryDiffer
{
public:
    struct Planned {
        HistoryChange change;
        // Image store files that committed rows named and no entry of the new state names.
        QSet<QString> releasedImages;
    };
    // The row edits that lead from one list handed over to the next; none when the history
    // changed in another way (or in a way it did not record).
    using Edits = std::optional<QList<HistoryRowEdit>>;

    // The rows found at start. A row that could not be read (a kind that a later build wrote, or
    // damage) is no entry: it takes part in no comparison, and no plan removes it, so it stays
    // on disk as it was for a build that can read it.
    void adoptStored(const QList<StoredHistoryRow> &rows, const QList<std::optional<ClipboardEntry>> &decoded);
    // The rows found at the path once the file there was taken anew (another file, another
    // folder). A row of an id that this run never read nor wrote is one the user never saw here:
    // like a row that could not be read, no plan removes it and its images stay, however the
    // history in memory differs from the file.
    void adoptFound(const QList<StoredHistoryRow> &rows, const QList<std::optional<ClipboardEntry>> &decoded);
    // The image file names that rows which could not be read may name; no plan releases them.
    void holdImages(const QSet<QString> &fileNames) { m_heldImages = fileNames; }
    const QSet<QString> &heldImages() const { return m_heldImages; }

    // The transaction for a new state; changes nothing here. Skipped states were handed over
    // but replaced by a newer one before they were written: files that only they named are
    // released too.
    //
    // edits, when known, holds one item for each skipped state and one for the new state, in the
    // order they were handed over: the edits that lead to that state from the one before it (from
    // the state committed last, for the first). savedNow names the entries whose image bytes were
    // saved to the store for this write, which changes their records.
    Planned plan(const QList<ClipboardEntry> &entries, const QList<QList<ClipboardEntry>> &skipped = {},
                 const QList<Edits> &edits = {}, const QSet<QString> &savedNow = {});
    // The planned state was committed.
    void commit();

    int rowCount() const { return int(m_written.size()); }
    // Whether the last plan looked only at the rows its edits named (for tests of its cost).
    bool lastPlanWasIncremental() const { return m_lastPlanIncremental; }

private:
    struct Written {
        qint64 position = 0;
        std::optional<ClipboardEntry> entry;
    };
    struct PlannedState {
        bool whole = true;
        // A whole plan: every row of the new state.
        QHash<QString, Written> next;
        // An incremental plan: the rows put in and the ids taken out, and the edits that take
        // the ids of the committed rows, in list order, to the new state's.
        QHash<QString, Written> added;
        QStringList removed;
        struct IdEdit {
            qsizetype row = 0;
            qsizetype removedCount = 0;
            QStringList insertedIDs;
        };
        QList<IdEdit> idEdits;
        // A whole plan: the ids of the new state in list order, when the rows mirror it one to
        // one (not when two entries share an id).
        std::optional<QStringList> ids;
    };
    std::optional<Planned> planFromEdits(const QList<ClipboardEntry> &entries,
                                         const QList<QList<ClipboardEntry>> &skipped, const QList<Edits> &edits,
                                         const QSet<QString> &savedNow);
    Planned planWhole(const QList<ClipboardEntry> &entries, const QList<QList<ClipboardEntry>> &skipped);

    QHash<QString, Written> m_written;
    // The ids of the list the committed rows were written from, row for row; the edits of the
    // next state start from it. None after a start (the rows came from disk) or when two entries
    // shared an id. Only ids are kept, never the list itself: the history's list would otherwise
    // stay shared and be copied whole by its next change.
    std::optional<QStringList> m_writtenIDs;
    // How many committed rows name each image file (kept while m_writtenIDs is).
    QHash<QString, int> m_imageRefs;
    QSet<QString> m_heldImages;
    // Every id this run read from the history or committed to it: only such rows may be removed.
    QSet<QString> m_known;
    // The state that plan() worked out, until commit() or the next plan().
    std::optional<PlannedState> m_planned;
    bool m_lastPlanIncremental = false;
};
