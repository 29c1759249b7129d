#include "ui/library/EntryListModel.h"

#include "core/L10n.h"
#include "ui/style/KindPresentation.h"
#include "ui/style/PanelClock.h"

void EntryListModel::setEntries(const QList<ClipboardEntry> &entries)
{
    const bool sameRows = entries.size() == m_entries.size() &&
                          std::equal(entries.begin(), entries.end(), m_entries.begin(),
                                     [](const ClipboardEntry &a, const ClipboardEntry &b) { return a.id == b.id; });
    m_entries = entries;
    if (sameRows) {
        // Same rows in the same order (a pin, a text edit): repaint, keep scroll and hover.
        if (!m_entries.isEmpty())
            Q_EMIT dataChanged(index(0), index(int(m_entries.size()) - 1));
        return;
    }
    beginResetModel();
    endResetModel();
}

const ClipboardEntry *EntryListModel::entryAt(int row) const
{
    return row >= 0 && row < m_entries.size() ? &m_entries.at(row) : nullptr;
}

int EntryListModel::rowOf(const QString &entryID) const
{
    for (int row = 0; row < m_entries.size(); ++row) {
        if (m_entries.at(row).id == entryID)
            return row;
    }
    return -1;
}

int EntryListModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : int(m_entries.size()); }

QVariant EntryListModel::data(const QModelIndex &index, int role) const
{
    const ClipboardEntry *entry = entryAt(index.row());
    if (!entry)
        return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return entry->preview();
    if (role == Qt::AccessibleDescriptionRole) {
        // What the meta line shows, and the pin a screen reader cannot see.
        QString description = KindPresentation::displayName(entry->kind) + QStringLiteral(", ") + entry->sourceAppLabel()
                              + QStringLiteral(", ") + entry->copiedAtLabel(PanelClock::now());
        if (entry->isPinned)
            description += QStringLiteral(", ") + L10n::text(QStringLiteral("Pripnuté"));
        return description;
    }
    return {};
}
