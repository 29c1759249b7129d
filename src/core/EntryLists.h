#pragma once

#include "core/ClipboardEntry.h"
#include "core/ClipboardJar.h"

#include <QList>
#include <QString>
#include <QStringList>

// Lists that the panel shows, derived from the history and id lists on every read.
namespace EntryLists {

// For each id in order, the first history entry with it; ids whose entry left the history are
// skipped. This is how the Paste Stack and a Jar turn their ids into rows.
QList<ClipboardEntry> entriesWithIDs(const QList<ClipboardEntry> &entries, const QStringList &ids);

// The Jars whose name contains the search text regardless of letter case; all of them, in
// stored order, when the search text is empty.
QList<ClipboardJar> filteredJars(const QList<ClipboardJar> &jars, const QString &searchText);

} // namespace EntryLists
