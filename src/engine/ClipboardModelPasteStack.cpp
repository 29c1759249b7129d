#include "engine/ClipboardModel.h"

#include "core/EntryLists.h"
#include "core/PasteStackQueue.h"

QList<ClipboardEntry> ClipboardModel::pasteStackEntries() const
{
    return EntryLists::entriesWithIDs(m_entries, m_pasteStackEntryIDs);
}

void ClipboardModel::addToPasteStack(const ClipboardEntry &entry)
{
    if (!historyIndex(entry.id))
        return;
    const std::optional<QStringList> queue = PasteStackQueue::appended(m_pasteStackEntryIDs, entry.id);
    if (!queue)
        return;
    setPasteStackEntryIDs(*queue);
    persistPasteStack();
}

void ClipboardModel::removeFromPasteStack(const ClipboardEntry &entry)
{
    setPasteStackEntryIDs(PasteStackQueue::removed(m_pasteStackEntryIDs, entry.id));
    persistPasteStack();
}

void ClipboardModel::movePasteStackEntry(const QString &id, qsizetype destination)
{
    const std::optional<QStringList> queue = PasteStackQueue::moved(m_pasteStackEntryIDs, id, destination);
    if (!queue)
        return;
    setPasteStackEntryIDs(*queue);
    persistPasteStack();
}

void ClipboardModel::clearPasteStack()
{
    setPasteStackEntryIDs({});
    persistPasteStack();
}
