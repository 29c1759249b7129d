#include "engine/ClipboardModel.h"

QSet<QString> ClipboardModel::savedEntryIDs() const
{
    QSet<QString> saved(m_pasteStackEntryIDs.cbegin(), m_pasteStackEntryIDs.cend());
    for (const ClipboardJar &jar : m_jars)
        saved.unite(QSet<QString>(jar.entryIDs.cbegin(), jar.entryIDs.cend()));
    return saved;
}

QList<ClipboardEntry> ClipboardModel::clipboardEntries() const
{
    const QSet<QString> stack(m_pasteStackEntryIDs.cbegin(), m_pasteStackEntryIDs.cend());
    QList<ClipboardEntry> result;
    for (const ClipboardEntry &entry : m_entries) {
        if (!entry.isPinned && !stack.contains(entry.id) && !m_consumedEntryIDs.contains(entry.id))
            result.append(entry);
    }
    return result;
}

QList<ClipboardEntry> ClipboardModel::clearableClipboardEntries() const
{
    const QSet<QString> saved = savedEntryIDs();
    QList<ClipboardEntry> result;
    for (const ClipboardEntry &entry : clipboardEntries()) {
        if (entry.kind != ClipboardKind::Image && !saved.contains(entry.id))
            result.append(entry);
    }
    return result;
}

QList<ClipboardEntry> ClipboardModel::clearableHistoryEntries() const
{
    const QSet<QString> saved = savedEntryIDs();
    QList<ClipboardEntry> result;
    for (const ClipboardEntry &entry : m_entries) {
        if (!entry.isPinned && entry.kind != ClipboardKind::Image && !saved.contains(entry.id))
            result.append(entry);
    }
    return result;
}
