#include "engine/ClipboardModel.h"

#include "core/HistoryTrim.h"

#include <utility>

namespace {

// Up to this many entries taken out at once are looked for among the kept ones one by one.
constexpr qsizetype kTakenIdsComparedDirectly = 8;

} // namespace

void ClipboardModel::trimHistory()
{
    const QSet<QString> stackIDs(m_pasteStackEntryIDs.cbegin(), m_pasteStackEntryIDs.cend());
    const QList<ClipboardEntry> kept = HistoryTrim::trimmed(m_entries, stackIDs, m_historyLimit, now());

    QSet<QString> removedIDs = std::exchange(m_idsDroppedAtLoad, {});
    if (kept.size() != m_entries.size()) {
        // The kept entries are the history in its order with some taken out, so one walk down
        // both finds the ones taken out, without hashing every id of a long history per copy.
        QStringList taken;
        qsizetype next = 0;
        for (const ClipboardEntry &entry : std::as_const(m_entries)) {
            if (next < kept.size() && kept.at(next).id == entry.id)
                ++next;
            else
                taken.append(entry.id);
        }
        // An id that a kept entry still carries (a duplicate) still names a listed entry. A copy
        // takes out one entry or a few, which plain comparisons check sooner than a hash.
        if (taken.size() <= kTakenIdsComparedDirectly) {
            for (const ClipboardEntry &entry : kept)
                taken.removeAll(entry.id);
        } else {
            const QSet<QString> keptIDs = [&kept] {
                QSet<QString> ids;
                ids.reserve(kept.size());
                for (const ClipboardEntry &entry : kept)
                    ids.insert(entry.id);
                return ids;
            }();
            taken.removeIf([&keptIDs](const QString &id) { return keptIDs.contains(id); });
        }
        removedIDs.unite(QSet<QString>(taken.cbegin(), taken.cend()));
        m_entries = kept;
        Q_EMIT entriesChanged();
    }

    // Ids that name no entry any more leave the Paste Stack and the consumed set, also ids that
    // were stale before this call. Untouched lists are only read, never written.
    if (m_pasteStackEntryIDs.isEmpty() && m_consumedEntryIDs.isEmpty()) {
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
    for (const ClipboardEntry &entry : std::as_const(m_entries)) {
        if (named.contains(entry.id))
            present.insert(entry.id);
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
