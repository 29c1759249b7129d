#include "engine/ClipboardModel.h"

void ClipboardModel::removeEntries(const std::function<bool(const ClipboardEntry &)> &predicate)
{
    QSet<QString> ids;
    for (const ClipboardEntry &entry : std::as_const(m_entries)) {
        if (predicate(entry))
            ids.insert(entry.id);
    }
    if (ids.isEmpty())
        return;

    m_entries.removeIf([&ids](const ClipboardEntry &entry) { return ids.contains(entry.id); });
    Q_EMIT entriesChanged();
    removeEntriesFromJars(ids);
    if (m_pasteStackEntryIDs.removeIf([&ids](const QString &id) { return ids.contains(id); }) > 0)
        Q_EMIT pasteStackEntryIDsChanged();
    const qsizetype consumedBefore = m_consumedEntryIDs.size();
    m_consumedEntryIDs.removeIf([&ids](const QString &id) { return ids.contains(id); });
    if (m_consumedEntryIDs.size() != consumedBefore)
        Q_EMIT consumedEntryIDsChanged();
    if (m_selectedEntryID && ids.contains(*m_selectedEntryID))
        setSelectedEntryID(std::nullopt);

    persistHistory();
    persistPasteStack();
    persistConsumedEntries();
}

void ClipboardModel::clearClipboardEntries()
{
    QSet<QString> ids;
    for (const ClipboardEntry &entry : clearableClipboardEntries())
        ids.insert(entry.id);
    removeEntries([&ids](const ClipboardEntry &entry) { return ids.contains(entry.id); });
}

void ClipboardModel::clearHistoryEntries()
{
    QSet<QString> ids;
    for (const ClipboardEntry &entry : clearableHistoryEntries())
        ids.insert(entry.id);
    removeEntries([&ids](const ClipboardEntry &entry) { return ids.contains(entry.id); });
}

void ClipboardModel::clearPinnedEntries()
{
    removeEntries([](const ClipboardEntry &entry) { return entry.isPinned; });
}

void ClipboardModel::clearGalleryEntries()
{
    removeEntries([](const ClipboardEntry &entry) { return entry.kind == ClipboardKind::Image && !entry.isScreenshot; });
}

void ClipboardModel::clearScreenshotEntries()
{
    removeEntries([](const ClipboardEntry &entry) { return entry.kind == ClipboardKind::Image && entry.isScreenshot; });
}

void ClipboardModel::clearSnippets()
{
    if (m_snippets.isEmpty())
        return;
    m_snippets.clear();
    Q_EMIT snippetsChanged();
    // A trigger typed half before the clear must not fire after it.
    m_typedBuffer.clear();
    persistSnippets();
}

void ClipboardModel::clearAllJarContents()
{
    const bool anyContent = std::any_of(m_jars.cbegin(), m_jars.cend(),
                                        [](const ClipboardJar &jar) { return !jar.entryIDs.isEmpty(); });
    if (!anyContent)
        return;
    for (ClipboardJar &jar : m_jars)
        jar.entryIDs.clear();
    Q_EMIT jarsChanged();
    persistJars();
}

void ClipboardModel::clearJarContents(const QString &jarID)
{
    const auto jar = std::find_if(m_jars.begin(), m_jars.end(), [&jarID](const ClipboardJar &j) { return j.id == jarID; });
    if (jar == m_jars.end() || jar->entryIDs.isEmpty())
        return;
    jar->entryIDs.clear();
    Q_EMIT jarsChanged();
    persistJars();
}

void ClipboardModel::deleteJar(const QString &jarID)
{
    if (m_jars.removeIf([&jarID](const ClipboardJar &jar) { return jar.id == jarID; }) == 0)
        return;
    Q_EMIT jarsChanged();
    if (m_selectedJarID == jarID)
        setSelectedJarID(std::nullopt);
    persistJars();
}

void ClipboardModel::removeEntriesFromJars(const QSet<QString> &ids)
{
    if (m_jars.isEmpty() || ids.isEmpty())
        return;
    bool changed = false;
    for (ClipboardJar &jar : m_jars) {
        if (jar.entryIDs.removeIf([&ids](const QString &id) { return ids.contains(id); }) > 0)
            changed = true;
    }
    if (!changed)
        return;
    Q_EMIT jarsChanged();
    persistJars();
}

bool ClipboardModel::isInAnyJar(const ClipboardEntry &entry) const
{
    return std::any_of(m_jars.cbegin(), m_jars.cend(),
                       [&entry](const ClipboardJar &jar) { return jar.entryIDs.contains(entry.id); });
}
