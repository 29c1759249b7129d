#include "engine/ClipboardModel.h"

#include "core/ClipboardKind.h"
#include "platform/Pasteboard.h"

#include <algorithm>

namespace {

bool isBlank(const QString &text)
{
    return text.trimmed().isEmpty();
}

} // namespace

ClipboardEntry ClipboardModel::recognizedTextEntry(const QString &id, const QString &text) const
{
    ClipboardEntry entry = newEntry(recognizedTextSourceApp);
    entry.id = id;
    // Kept exactly as recognised or edited: leading spaces and line breaks are part of it.
    entry.text = text;
    entry.kind = detectKind(text);
    return entry;
}

void ClipboardModel::copyScreenRecognition(const QString &text)
{
    if (isBlank(text))
        return;
    const ClipboardEntry entry = recognizedTextEntry(ClipboardEntry::newID(), text);
    m_entries.prepend(entry);
    noteAddedOnTop(entry.id);
    Q_EMIT entriesChanged();
    setSelectedEntryID(entry.id);
    trimHistory();
    persistHistory();
    writeOwnText(text);
    showCopiedNotice();
}

void ClipboardModel::copyScreenshotText(const QString &text)
{
    if (isBlank(text))
        return;
    writeOwnText(text);
}

bool ClipboardModel::saveScreenshotText(const QString &text, const QString &id, OCRTextDestination destination)
{
    // Every entry needs an id that Jars and the Paste Stack can name.
    if (isBlank(text) || id.isEmpty())
        return false;
    auto byID = [&id](const ClipboardEntry &entry) { return entry.id == id; };
    auto existing = std::find_if(m_entries.begin(), m_entries.end(), byID);
    if (existing != m_entries.end()) {
        // A second save from the same sheet edits its entry where it stands.
        existing->text = text;
        existing->kind = detectKind(text);
    } else {
        m_entries.prepend(recognizedTextEntry(id, text));
        noteAddedOnTop(id);
    }
    Q_EMIT entriesChanged();

    switch (destination) {
    case OCRTextDestination::History:
        break;
    case OCRTextDestination::PasteStack:
        if (!m_pasteStackEntryIDs.contains(id)) {
            m_pasteStackEntryIDs.append(id);
            Q_EMIT pasteStackEntryIDsChanged();
            persistPasteStack();
        }
        break;
    case OCRTextDestination::Pins: {
        auto target = std::find_if(m_entries.begin(), m_entries.end(), byID);
        if (target != m_entries.end() && !target->isPinned) {
            target->isPinned = true;
            Q_EMIT entriesChanged();
        }
        break;
    }
    }

    trimHistory();
    persistHistory();
    return std::any_of(m_entries.cbegin(), m_entries.cend(), byID);
}
