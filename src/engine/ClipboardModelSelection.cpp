#include "engine/ClipboardModel.h"

#include "core/EntrySelection.h"

void ClipboardModel::setSelectedEntry(const ClipboardEntry &entry)
{
    setSelectedEntryID(entry.id);
    if (m_isQuickAccessPresented)
        setQuickAccessKeyboardFocus(QuickAccessKeyboardFocus::Items);
}

void ClipboardModel::navigateSelection(const QList<ClipboardEntry> &list, int direction)
{
    const std::optional<QString> next = EntrySelection::navigated(list, m_selectedEntryID, direction);
    if (next)
        setSelectedEntryID(next);
}
