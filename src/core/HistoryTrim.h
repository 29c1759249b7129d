#pragma once

#include "core/ClipboardEntry.h"

#include <QDateTime>
#include <QList>
#include <QSet>
#include <QString>

// The rule that bounds the history: expired temporary copies go first, then the oldest
// entries beyond the limit. Entries in the Paste Stack are protected from both stages, pinned
// entries only from the limit, so the history may end up longer than the limit.
namespace HistoryTrim {

// Returns the trimmed history in its original order. When nothing is removed the result shares
// the given list (no copy), because the poll step runs this twice a second on an untouched history.
QList<ClipboardEntry> trimmed(const QList<ClipboardEntry> &entries, const QSet<QString> &stackIDs,
                              qint64 historyLimit, const QDateTime &now);

// The rows the rule takes out, in ascending order, so that a history can drop them in place
// without copying the entries it keeps.
QList<qsizetype> removedRows(const QList<ClipboardEntry> &entries, const QSet<QString> &stackIDs,
                             qint64 historyLimit, const QDateTime &now);

// An entry is expired when its end time is at or before now; an entry without one never expires.
bool isExpired(const ClipboardEntry &entry, const QDateTime &now);

} // namespace HistoryTrim
