#include "engine/ClipboardModel.h"

#include "core/HistoryTrim.h"

#include <algorithm>
#include <utility>

namespace {

// Up to this many entries taken out at once are looked for among the kept ones one by one.
constexpr qsizetype kTakenIdsComparedDirectly = 8;

} // namespace

void ClipboardModel::trimHistory()
{
    const QSet<QString> stackIDs(m_pasteStackEntryIDs.cbegin(), m_pasteStackEntryIDs.cend());
    const QList<qsizetype> rows = HistoryTrim::removedRows(m_entries, stackIDs, m_historyLimit, now());

    QSet<QString> removedIDs = std::exchange(m_idsDroppedAtLoad, {});
    if (!rows.isEmpty()) {
        // The rows are taken out in place, a run at a time from the bottom, so a copy at the
        // limit moves no entry it keeps; the list shared with the search's memo would be copied.
        m_quickAccessListMemo.reset();
        QStringList taken;
        taken.reserve(rows.size());
        for (qsizetype end = rows.size(); end > 0;) {
            qsizetype begin = end - 1;
            while (begin > 0 && rows.at(begin - 1) == rows.at(begin) - 1)
                --begin;
            const qsizetype first = rows.at(begin);
            const qsizetype count = end - begin;
            for (qsizetype row = first; row < first + count; ++row)
                taken.append(m_entries.at(row).id);
            m_entries.remove(first, count);
            noteHistoryRowEdit({HistoryRowEdit::Kind::Removed, first, count});
            end = begin;
        }
        // Only a Jar is told of the ids taken out, and most name no Jar's entry.
        taken.removeIf([this](const QString &id) {
            return std::none_of(m_jars.cbegin(), m_jars.cend(),
                                [&id](const ClipboardJar &jar) { return jar.entryIDs.contains(id); });
        });
        // An id that a kept entry still carries (a duplicate) still names a listed entry. A copy
        // takes out one entry or a few, which plain comparisons check sooner than a hash.
        if (taken.size() <= kTakenIdsComparedDirectly) {
            for (qsizetype row = 0; !taken.isEmpty() && row < m_entries.size(); ++row) {
                if (taken.contains(m_entries.at(row).id))
                    taken.removeAll(m_entries.at(row).id);
            }
        } else {
            const QSet<QString> keptIDs = [this] {
                QSet<QString> ids;
                ids.reserve(m_entries.size());
                for (const ClipboardEntry &entry : std::as_const(m_entries))
                    ids.insert(entry.id);
                return ids;
            }();
            taken.removeIf([&keptIDs](const QString &id) { return keptIDs.contains(id); });
        }
        removedIDs.unite(QSet<QString>(taken.cbegin(), taken.cend()));
        Q_EMIT entriesChanged();
    }

    // Ids that name no entry any more leave the Paste Stack and the consumed set, also ids that
    // were stale before this call. Untouched lists are only read, never written. While the
    // history on disk is not read, an id that names no entry in memory may name one of its rows:
    // the lists wait for the read, after which the first trim takes out what is stale.
    if ((m_pasteStackEntryIDs.isEmpty() && m_consumedEntryIDs.isEmpty())
        || m_historyReading == HistoryReading::NotReadYet) {
        if (!removedIDs.isEmpty())
            removeEntriesFromJars(removedIDs);
        return;
    }
    // Only the ids the two lists name are looked for: a long history is walked once, without
    // building a set of all its ids on every copy.
    QSet<QString> named(m_pasteStackEntryIDs.cbegin(), m_pasteStackEntryIDs.cend());
    named.unite(m_consumedEntryIDs);
    QSet<QString> present;
    present.reserve(named.size());
    // The walk ends once all are found, which for recent entries is near the top.
    for (const ClipboardEntry &entry : std::as_const(m_entries)) {
        if (named.contains(entry.id))
            present.insert(entry.id);
        if (present.size() == named.size())
            break;
    }

    QStringList stack;
    stack.reserve(m_pasteStackEntryIDs.size());
    for (const QString &id : std::as_const(m_pasteStackEntryIDs)) {
        if (present.contains(id))
            stack.append(id);
    }
    if (stack.size() != m_pasteStackEntryIDs.size()) {
        m_pasteStackEntryIDs = stack;
        Q_EMIT pasteStackEntryIDsChanged();
        persistPasteStack();
    }

    QSet<QString> consumed;
    for (const QString &id : std::as_const(m_consumedEntryIDs)) {
        if (present.contains(id))
            consumed.insert(id);
    }
    if (consumed.size() != m_consumedEntryIDs.size()) {
        m_consumedEntryIDs = consumed;
        Q_EMIT consumedEntryIDsChanged();
        persistConsumedEntries();
    }

    if (!removedIDs.isEmpty())
        removeEntriesFromJars(removedIDs);
}
