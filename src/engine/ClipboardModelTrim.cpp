#include "engine/ClipboardModel.h"

#include "core/HistoryTrim.h"

#include <utility>

void ClipboardModel::trimHistory()
{
    const QSet<QString> stackIDs(m_pasteStackEntryIDs.cbegin(), m_pasteStackEntryIDs.cend());
    const QList<ClipboardEntry> kept = HistoryTrim::trimmed(m_entries, stackIDs, m_historyLimit, now());

    QSet<QString> removedIDs = std::exchange(m_idsDroppedAtLoad, {});
    if (kept.size() != m_entries.size()) {
        QSet<QString> keptIDs;
        keptIDs.reserve(kept.size());
        for (const ClipboardEntry &entry : kept)
            keptIDs.insert(entry.id);
        for (const ClipboardEntry &entry : std::as_const(m_entries)) {
            if (!keptIDs.contains(entry.id))
                removedIDs.insert(entry.id);
        }
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
    QSet<QString> present;
    present.reserve(m_entries.size());
    for (const ClipboardEntry &entry : std::as_const(m_entries))
        present.insert(entry.id);

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
