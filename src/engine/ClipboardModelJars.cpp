#include "engine/ClipboardModel.h"

#include "core/EntryLists.h"
#include "core/JarNames.h"
#include "core/JsonKeys.h"

#include <algorithm>

namespace {

auto jarWithID(QList<ClipboardJar> &jars, const QString &jarID)
{
    return std::find_if(jars.begin(), jars.end(), [&](const ClipboardJar &jar) { return jar.id == jarID; });
}

} // namespace

bool ClipboardModel::createJar(const QString &name)
{
    const QString trimmed = JarNames::normalized(name);
    if (trimmed.isEmpty() || JarNames::isTaken(m_jars, trimmed))
        return false;
    QList<ClipboardJar> updated = m_jars;
    updated.prepend(ClipboardJar{ClipboardEntry::newID(), trimmed, {}});
    setJars(updated);
    persistJars();
    return true;
}

bool ClipboardModel::renameJar(const QString &jarID, const QString &name)
{
    const QString trimmed = JarNames::normalized(name);
    if (trimmed.isEmpty() || JarNames::isTaken(m_jars, trimmed, jarID))
        return false;
    QList<ClipboardJar> updated = m_jars;
    const auto jar = jarWithID(updated, jarID);
    if (jar == updated.end())
        return false;
    jar->name = trimmed;
    setJars(updated);
    persistJars();
    return true;
}

std::optional<ClipboardJar> ClipboardModel::selectedJar() const
{
    if (!m_selectedJarID)
        return std::nullopt;
    for (const ClipboardJar &jar : m_jars) {
        if (jar.id == *m_selectedJarID)
            return jar;
    }
    return std::nullopt;
}

QList<ClipboardEntry> ClipboardModel::selectedJarEntries() const
{
    const std::optional<ClipboardJar> jar = selectedJar();
    if (!jar)
        return {};
    return EntryLists::entriesWithIDs(m_entries, jar->entryIDs);
}

QList<ClipboardJar> ClipboardModel::filteredJars() const
{
    return EntryLists::filteredJars(m_jars, m_searchText);
}

bool ClipboardModel::contains(const ClipboardEntry &entry, const QString &jarID) const
{
    for (const ClipboardJar &jar : m_jars) {
        if (jar.id == jarID)
            return jar.entryIDs.contains(entry.id);
    }
    return false;
}

void ClipboardModel::toggleEntry(const ClipboardEntry &entry, const QString &jarID)
{
    if (!historyIndex(entry.id))
        return;
    QList<ClipboardJar> updated = m_jars;
    const auto jar = jarWithID(updated, jarID);
    if (jar == updated.end())
        return;
    if (jar->entryIDs.contains(entry.id))
        jar->entryIDs.removeAll(entry.id);
    else
        jar->entryIDs.append(entry.id);
    setJars(updated);
    persistJars();
}

void ClipboardModel::togglePin(const ClipboardEntry &entry)
{
    const std::optional<qsizetype> index = historyIndex(entry.id);
    if (!index)
        return;
    QList<ClipboardEntry> updated = m_entries;
    updated[*index].isPinned = !updated[*index].isPinned;
    setEntries(updated);
    persistHistory();
}

bool ClipboardModel::updateEntryText(const ClipboardEntry &entry, const QString &text)
{
    if (text.isEmpty() || entry.kind == ClipboardKind::Image || entry.kind == ClipboardKind::File)
        return false;
    const std::optional<qsizetype> index = historyIndex(entry.id);
    // The history's own kind decides too: an image or file entry never becomes text.
    if (!index || m_entries.at(*index).kind == ClipboardKind::Image || m_entries.at(*index).kind == ClipboardKind::File)
        return false;
    if (m_entries.at(*index).text == text)
        return true;
    QList<ClipboardEntry> updated = m_entries;
    updated[*index].text = text;
    updated[*index].kind = detectKind(text);
    setEntries(updated);
    persistHistory();
    return true;
}

void ClipboardModel::deleteEntry(const ClipboardEntry &entry)
{
    if (!historyIndex(entry.id))
        return;
    QList<ClipboardEntry> updated = m_entries;
    updated.removeIf([&](const ClipboardEntry &e) { return e.id == entry.id; });
    setEntries(updated);
    removeEntriesFromJars({entry.id});
    QStringList queue = m_pasteStackEntryIDs;
    queue.removeAll(entry.id);
    setPasteStackEntryIDs(queue);
    QSet<QString> consumed = m_consumedEntryIDs;
    consumed.remove(entry.id);
    setConsumedEntryIDs(consumed);
    persistPasteStack();
    persistConsumedEntries();
    if (m_selectedEntryID == entry.id)
        setSelectedEntryID(std::nullopt);
    persistHistory();
}

void ClipboardModel::pasteJSONKeys(const ClipboardEntry &entry)
{
    const QStringList names = JsonKeys::fieldNames(entry.text);
    if (!names.isEmpty())
        pasteText(names.join(QLatin1Char('\n')));
}
