#include "core/HistoryTrim.h"

#include <algorithm>
#include <vector>

namespace HistoryTrim {

bool isExpired(const ClipboardEntry &entry, const QDateTime &now)
{
    return entry.temporaryUntil.has_value() && *entry.temporaryUntil <= now;
}

QList<qsizetype> removedRows(const QList<ClipboardEntry> &entries, const QSet<QString> &stackIDs,
                             qint64 historyLimit, const QDateTime &now)
{
    const qsizetype count = entries.size();
    std::vector<bool> removed(static_cast<size_t>(count), false);
    std::vector<bool> inStack(static_cast<size_t>(count), false);

    // The rows of the Paste Stack's entries, looked for from the top until each of its ids is
    // found: the stack holds a few entries, mostly recent ones, so a long history is not hashed
    // id by id on every copy. An id that two entries carry (a damaged history) protects the upper.
    QSet<QString> unfound = stackIDs;
    for (qsizetype i = 0; i < count && !unfound.isEmpty(); ++i) {
        if (unfound.remove(entries.at(i).id))
            inStack[static_cast<size_t>(i)] = true;
    }

    QList<qsizetype> rows;
    qint64 protectedCount = 0;
    qint64 unprotectedCount = 0;
    for (qsizetype i = 0; i < count; ++i) {
        const ClipboardEntry &entry = entries.at(i);
        const bool stacked = inStack[static_cast<size_t>(i)];
        // Only a temporary copy can expire; most entries are not, and are passed by at once.
        if (!stacked && entry.temporaryUntil && isExpired(entry, now)) {
            removed[static_cast<size_t>(i)] = true;
            rows.append(i);
            continue;
        }
        if (entry.isPinned || stacked)
            ++protectedCount;
        else
            ++unprotectedCount;
    }

    // The limit counts protected entries too: they use up the budget of the unprotected ones,
    // and the oldest unprotected entries beyond it go. They are the lowest, so the walk starts
    // at the bottom and ends with the last of them.
    const qint64 budget = std::max<qint64>(0, historyLimit - protectedCount);
    qint64 excess = unprotectedCount - budget;
    for (qsizetype i = count - 1; i >= 0 && excess > 0; --i) {
        const ClipboardEntry &entry = entries.at(i);
        if (removed[static_cast<size_t>(i)] || entry.isPinned || inStack[static_cast<size_t>(i)])
            continue;
        rows.append(i);
        --excess;
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

QList<ClipboardEntry> trimmed(const QList<ClipboardEntry> &entries, const QSet<QString> &stackIDs,
                              qint64 historyLimit, const QDateTime &now)
{
    const QList<qsizetype> removed = removedRows(entries, stackIDs, historyLimit, now);
    if (removed.isEmpty())
        return entries;
    QList<ClipboardEntry> result;
    result.reserve(entries.size() - removed.size());
    qsizetype next = 0;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (next < removed.size() && removed.at(next) == i)
            ++next;
        else
            result.append(entries.at(i));
    }
    return result;
}

} // namespace HistoryTrim
