#include "engine/ClipboardModel.h"

#include <algorithm>

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

namespace {

// What the History clear takes: never images, pinned entries or entries saved in the Paste
// Stack or a Jar. The Clipboard clear takes the same among the Clipboard section's entries,
// which leaves out used-up entries too (pinned and stacked ones are saved anyway).
bool isClearableFromHistory(const ClipboardEntry &entry, const QSet<QString> &saved)
{
    return !entry.isPinned && entry.kind != ClipboardKind::Image && !saved.contains(entry.id);
}

} // namespace

bool ClipboardModel::isClearableFromClipboard(const ClipboardEntry &entry, const QSet<QString> &saved) const
{
    return isClearableFromHistory(entry, saved) && !m_consumedEntryIDs.contains(entry.id);
}

QList<ClipboardEntry> ClipboardModel::clearableClipboardEntries() const
{
    const QSet<QString> saved = savedEntryIDs();
    QList<ClipboardEntry> result;
    for (const ClipboardEntry &entry : m_entries) {
        if (isClearableFromClipboard(entry, saved))
            result.append(entry);
    }
    return result;
}

QList<ClipboardEntry> ClipboardModel::clearableHistoryEntries() const
{
    const QSet<QString> saved = savedEntryIDs();
    QList<ClipboardEntry> result;
    for (const ClipboardEntry &entry : m_entries) {
        if (isClearableFromHistory(entry, saved))
            result.append(entry);
    }
    return result;
}

bool ClipboardModel::hasClearableClipboardEntries() const
{
    const QSet<QString> saved = savedEntryIDs();
    return std::any_of(m_entries.cbegin(), m_entries.cend(),
                       [this, &saved](const ClipboardEntry &entry) { return isClearableFromClipboard(entry, saved); });
}

bool ClipboardModel::hasClearableHistoryEntries() const
{
    const QSet<QString> saved = savedEntryIDs();
    return std::any_of(m_entries.cbegin(), m_entries.cend(),
                       [&saved](const ClipboardEntry &entry) { return isClearableFromHistory(entry, saved); });
}
