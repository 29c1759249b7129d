#pragma once

#include "core/ClipboardEntry.h"
#include "core/ClipboardJar.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

// The lists that the panel's sections show, derived from the history and the id lists on every
// read. They keep the history's order (newest first) and never apply a search text.
namespace EntryLists {

// The history entries that are not pinned, not queued in the Paste Stack and not used up by it.
QList<ClipboardEntry> clipboardEntries(const QList<ClipboardEntry> &entries,
                                       const QStringList &pasteStackEntryIDs,
                                       const QSet<QString> &consumedEntryIDs);

// Ids that a clear must spare: the Paste Stack's and those of every Jar.
QSet<QString> savedEntryIDs(const QStringList &pasteStackEntryIDs, const QList<ClipboardJar> &jars);

// What clearing the clipboard section removes: its entries except images and saved ones.
QList<ClipboardEntry> clearableClipboardEntries(const QList<ClipboardEntry> &entries,
                                                const QStringList &pasteStackEntryIDs,
                                                const QSet<QString> &consumedEntryIDs,
                                                const QList<ClipboardJar> &jars);

// What clearing the history section removes: unpinned entries except images and saved ones.
QList<ClipboardEntry> clearableHistoryEntries(const QList<ClipboardEntry> &entries,
                                              const QStringList &pasteStackEntryIDs,
                                              const QList<ClipboardJar> &jars);

// For each id in order, the first history entry with it; ids whose entry left the history are
// skipped. This is how the Paste Stack and a Jar turn their ids into rows.
QList<ClipboardEntry> entriesWithIDs(const QList<ClipboardEntry> &entries, const QStringList &ids);

// The Jars whose name contains the search text regardless of letter case; all of them, in
// stored order, when the search text is empty.
QList<ClipboardJar> filteredJars(const QList<ClipboardJar> &jars, const QString &searchText);

} // namespace EntryLists
