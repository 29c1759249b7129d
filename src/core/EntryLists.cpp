#include "core/EntryLists.h"

#include "core/JarNames.h"

#include <QHash>

namespace EntryLists {

QList<ClipboardEntry> entriesWithIDs(const QList<ClipboardEntry> &entries, const QStringList &ids)
{
    QList<ClipboardEntry> result;
    if (ids.isEmpty())
        return result;
    // The first entry with an id wins, as a front-to-back search would find it.
    QHash<QString, qsizetype> firstPosition;
    firstPosition.reserve(entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (!firstPosition.contains(entries.at(i).id))
            firstPosition.insert(entries.at(i).id, i);
    }
    result.reserve(ids.size());
    for (const QString &id : ids) {
        const auto found = firstPosition.constFind(id);
        if (found != firstPosition.cend())
            result.append(entries.at(*found));
    }
    return result;
}

QList<ClipboardJar> filteredJars(const QList<ClipboardJar> &jars, const QString &searchText)
{
    if (searchText.isEmpty())
        return jars;
    QList<ClipboardJar> result;
    for (const ClipboardJar &jar : jars) {
        if (JarNames::nameContains(jar.name, searchText))
            result.append(jar);
    }
    return result;
}

} // namespace EntryLists
