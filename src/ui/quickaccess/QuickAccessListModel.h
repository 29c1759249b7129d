#pragma once

#include "core/ClipboardEntry.h"
#include "core/ClipboardJar.h"
#include "core/ClipboardSnippet.h"

#include <QAbstractListModel>
#include <QList>
#include <QSet>

class ClipboardModel;

// The rows Quick Access lists for the selected tab: entries, snippets in the snippets tab, or
// Jars in the Jars tab before one is chosen. Rows are read from the application model when it
// changes; the view paints only the rows on screen, so long texts cost nothing until shown.
class QuickAccessListModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum class RowKind { Entry, Snippet, Jar };
    enum Role {
        TitleRole = Qt::UserRole + 1, // one line: preview, snippet name or Jar name
        DetailRole,                   // source (or kind) label, trigger or entry count
        TimeRole,                     // when an entry was copied
        KindRole,                     // RowKind as int
        ShortcutRole,                 // "Ctrl+1" to "Ctrl+6" for the first six entries
        SelectedRole,                 // the row is the model's selection
        IdRole,
    };

    explicit QuickAccessListModel(ClipboardModel &model, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    // Reads the rows again from the application model.
    void reload();
    // Only the selection marks changed.
    void refreshSelection();
    RowKind rowKind() const { return m_kind; }
    // The row of the model's selection, -1 when none is listed.
    int selectedRow() const;
    // The item shown in a row (null when the row is of another kind or out of range).
    const ClipboardEntry *entryAt(int row) const;
    const ClipboardSnippet *snippetAt(int row) const;
    const ClipboardJar *jarAt(int row) const;
    // "1 položka", "3 položky", "5 položiek" in the interface language.
    static QString countLine(int count);
    // The entries of the Jar still in the history.
    int listedCount(const ClipboardJar &jar) const;

private:
    ClipboardModel &m_model;
    QSet<QString> m_historyIDs;
    RowKind m_kind = RowKind::Entry;
    QList<ClipboardEntry> m_entries;
    QList<ClipboardSnippet> m_snippets;
    QList<ClipboardJar> m_jars;
};
