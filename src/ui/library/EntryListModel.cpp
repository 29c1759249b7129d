#include "ui/library/EntryListModel.h"

#include "core/L10n.h"
#include "ui/style/KindPresentation.h"
#include "ui/style/PanelClock.h"

#include <algorithm>

namespace {

// How far ahead a walk down the two lists looks for the row it stands on.
constexpr qsizetype kLookAhead = 16;

struct RowStep {
    enum Kind { Keep, Remove, Insert } kind;
    qsizetype count;
};

void addStep(QList<RowStep> &steps, RowStep::Kind kind, qsizetype count)
{
    if (!steps.isEmpty() && steps.last().kind == kind)
        steps.last().count += count;
    else
        steps.append({kind, count});
}

// Steps that turn the rows named by `before` into those named by `after`, found by one walk
// down both lists that looks a few rows ahead where they differ: a copy adds a row on top, the
// limit takes one at the bottom, a deletion takes one anywhere. Whatever the steps, keeping,
// removing and inserting by them gives exactly `after`; a row that moved far is simply
// removed and inserted again.
QList<RowStep> rowSteps(const QList<ClipboardEntry> &before, const QList<ClipboardEntry> &after)
{
    QList<RowStep> steps;
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < before.size() || j < after.size()) {
        if (i == before.size()) {
            addStep(steps, RowStep::Insert, after.size() - j);
            break;
        }
        if (j == after.size()) {
            addStep(steps, RowStep::Remove, before.size() - i);
            break;
        }
        if (before.at(i).id == after.at(j).id) {
            addStep(steps, RowStep::Keep, 1);
            ++i;
            ++j;
            continue;
        }
        qsizetype k = 1;
        while (k <= kLookAhead && i + k < before.size() && before.at(i + k).id != after.at(j).id)
            ++k;
        if (k <= kLookAhead && i + k < before.size()) {
            addStep(steps, RowStep::Remove, k);
            i += k;
            continue;
        }
        k = 1;
        while (k <= kLookAhead && j + k < after.size() && after.at(j + k).id != before.at(i).id)
            ++k;
        if (k <= kLookAhead && j + k < after.size()) {
            addStep(steps, RowStep::Insert, k);
            j += k;
            continue;
        }
        // Neither row is near in the other list: one replaces the other, joining a replaced
        // run just before.
        const qsizetype last = steps.size() - 1;
        if (last >= 1 && steps.at(last - 1).kind == RowStep::Remove && steps.at(last).kind == RowStep::Insert) {
            ++steps[last - 1].count;
            ++steps[last].count;
        } else {
            addStep(steps, RowStep::Remove, 1);
            addStep(steps, RowStep::Insert, 1);
        }
        ++i;
        ++j;
    }
    return steps;
}

} // namespace

void EntryListModel::setEntries(const QList<ClipboardEntry> &entries)
{
    const QList<RowStep> steps = rowSteps(m_entries, entries);
    qsizetype kept = 0;
    for (const RowStep &step : steps)
        kept += step.kind == RowStep::Keep ? step.count : 0;
    // A list that is mostly new (another section, a search) is shown anew in one go.
    if (kept * 2 < std::max(m_entries.size(), entries.size())) {
        beginResetModel();
        m_entries = entries;
        endResetModel();
        return;
    }
    // Rows are taken out and put in one run at a time, so that every signal sees the count it
    // announces; kept rows are brought up to date all at once at the end, by sharing the list.
    qsizetype row = 0;
    qsizetype next = 0;
    for (const RowStep &step : steps) {
        switch (step.kind) {
        case RowStep::Keep:
            row += step.count;
            next += step.count;
            break;
        case RowStep::Remove:
            beginRemoveRows({}, int(row), int(row + step.count - 1));
            m_entries.remove(row, step.count);
            endRemoveRows();
            break;
        case RowStep::Insert:
            beginInsertRows({}, int(row), int(row + step.count - 1));
            m_entries.insert(row, step.count, ClipboardEntry{});
            for (qsizetype i = 0; i < step.count; ++i)
                m_entries[row + i] = entries.at(next + i);
            endInsertRows();
            row += step.count;
            next += step.count;
            break;
        }
    }
    m_entries = entries;
    // Kept rows may show a change of their own (a pin, a text edit): repaint them.
    if (!m_entries.isEmpty())
        Q_EMIT dataChanged(index(0), index(int(m_entries.size()) - 1));
}

bool EntryListModel::applyRowEdits(const QList<ClipboardEntry> &entries, const QList<HistoryRowEdit> &edits)
{
    // First, without touching a row, where each inserted row ends up once all edits are made
    // (-1 when a later edit takes it out again), and whether the edits fit the list at all.
    QList<qsizetype> placed;
    qsizetype size = m_entries.size();
    for (const HistoryRowEdit &edit : edits) {
        if (edit.count <= 0 || edit.row < 0)
            return false;
        if (edit.kind == HistoryRowEdit::Kind::Inserted) {
            if (edit.row > size)
                return false;
            for (qsizetype &row : placed)
                row += row >= edit.row ? edit.count : 0;
            for (qsizetype i = 0; i < edit.count; ++i)
                placed.append(edit.row + i);
            size += edit.count;
        } else {
            if (edit.row + edit.count > size)
                return false;
            for (qsizetype &row : placed) {
                if (row >= edit.row + edit.count)
                    row -= edit.count;
                else if (row >= edit.row)
                    row = -1;
            }
            size -= edit.count;
        }
    }
    if (size != entries.size())
        return false;
    // The ends must name the same entries once the edits are made, a check of the row count.
    const auto endsMatch = [&] {
        if (entries.isEmpty())
            return true;
        const auto idAfterEdits = [&](qsizetype finalRow) -> std::optional<QString> {
            if (placed.contains(finalRow))
                return entries.at(finalRow).id;
            // A row kept from before: walk the edits back to its row in today's list.
            qsizetype row = finalRow;
            for (auto edit = edits.crbegin(); edit != edits.crend(); ++edit) {
                if (edit->kind == HistoryRowEdit::Kind::Inserted)
                    row -= row >= edit->row ? edit->count : 0;
                else
                    row += row >= edit->row ? edit->count : 0;
            }
            return row >= 0 && row < m_entries.size() ? std::optional(m_entries.at(row).id) : std::nullopt;
        };
        return idAfterEdits(0) == entries.first().id && idAfterEdits(entries.size() - 1) == entries.last().id;
    };
    if (!endsMatch())
        return false;

    qsizetype inserted = 0;
    for (const HistoryRowEdit &edit : edits) {
        const int first = int(edit.row);
        const int last = int(edit.row + edit.count - 1);
        if (edit.kind == HistoryRowEdit::Kind::Inserted) {
            beginInsertRows({}, first, last);
            m_entries.insert(edit.row, edit.count, ClipboardEntry{});
            for (qsizetype i = 0; i < edit.count; ++i, ++inserted) {
                if (placed.at(inserted) >= 0)
                    m_entries[edit.row + i] = entries.at(placed.at(inserted));
            }
            endInsertRows();
        } else {
            beginRemoveRows({}, first, last);
            m_entries.remove(edit.row, edit.count);
            endRemoveRows();
        }
    }
    return true;
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

QModelIndex EntryListModel::index(int row, int column, const QModelIndex &parent) const
{
    const bool listed = row >= 0 && row < m_entries.size() && column == 0 && !parent.isValid();
    return listed ? createIndex(row, column) : QModelIndex();
}

int EntryListModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : int(m_entries.size()); }

QVariant EntryListModel::data(const QModelIndex &index, int role) const
{
    const ClipboardEntry *entry = entryAt(index.row());
    if (!entry)
        return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return entry->boundedPreview();
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
