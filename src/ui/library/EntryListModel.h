#pragma once

#include "core/ClipboardEntry.h"
#include "core/HistoryRowEdit.h"

#include <QAbstractListModel>

// The entries a section lists, as one item per entry. Each change the application model
// publishes becomes rows inserted and removed (a copy adds one row, a trim takes one), so the
// view keeps its scroll position, hover, current row and row widgets; a list that is mostly new
// (another section, a search) is reset. Rows are looked up by entry id, never kept by index.
class EntryListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    void setEntries(const QList<ClipboardEntry> &entries);
    // Repeats the edits that made `entries` out of the listed rows, taking the new rows from
    // `entries`; the other rows are not compared. False, and nothing changed, when the edits
    // do not lead to a list as long as `entries` that starts and ends with its entries.
    bool applyRowEdits(const QList<ClipboardEntry> &entries, const QList<HistoryRowEdit> &edits);
    const QList<ClipboardEntry> &entries() const { return m_entries; }
    const ClipboardEntry *entryAt(int row) const;
    int rowOf(const QString &entryID) const;

    // Without asking rowCount and columnCount each time: the view asks for every row's index
    // whenever it lays the rows out.
    QModelIndex index(int row, int column = 0, const QModelIndex &parent = {}) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

private:
    QList<ClipboardEntry> m_entries;
};
