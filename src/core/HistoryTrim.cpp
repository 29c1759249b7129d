#include "core/HistoryTrim.h"

#include <algorithm>
#include <vector>

namespace HistoryTrim {

bool isExpired(const ClipboardEntry &entry, const QDateTime &now)
{
    return entry.temporaryUntil.has_value() && *entry.temporaryUntil <= now;
}

QList<ClipboardEntry> trimmed(const QList<ClipboardEntry> &entries, const QSet<QString> &stackIDs,
                              qint64 historyLimit, const QDateTime &now)
{
    const qsizetype count = entries.size();
    std::vector<bool> removed(static_cast<size_t>(count), false);
    std::vector<bool> inStack(static_cast<size_t>(count), false);
    bool anyRemoved = false;

    qint64 protectedCount = 0;
    for (qsizetype i = 0; i < count; ++i) {
        const ClipboardEntry &entry = entries.at(i);
        const bool stacked = !stackIDs.isEmpty() && stackIDs.contains(entry.id);
        inStack[static_cast<size_t>(i)] = stacked;
        if (!stacked && isExpired(entry, now)) {
            removed[static_cast<size_t>(i)] = true;
            anyRemoved = true;
            continue;
        }
        if (entry.isPinned || stacked)
            ++protectedCount;
    }

    // The limit counts protected entries too: they use up the budget of the unprotected ones.
    const qint64 budget = std::max<qint64>(0, historyLimit - protectedCount);
    qint64 keptUnprotected = 0;
    for (qsizetype i = 0; i < count; ++i) {
        if (removed[static_cast<size_t>(i)])
            continue;
        const ClipboardEntry &entry = entries.at(i);
        if (entry.isPinned || inStack[static_cast<size_t>(i)])
            continue;
        if (keptUnprotected < budget) {
            ++keptUnprotected;
        } else {
            removed[static_cast<size_t>(i)] = true;
            anyRemoved = true;
        }
    }

    if (!anyRemoved)
        return entries;
    QList<ClipboardEntry> result;
    result.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        if (!removed[static_cast<size_t>(i)])
            result.append(entries.at(i));
    }
    return result;
}

} // namespace HistoryTrim
