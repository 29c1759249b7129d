#pragma once

#include "core/ClipboardEntry.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

// Writes a history in its stored JSON form, byte for byte what ClipboardEntry::encodeList
// gives, but encodes each entry only when it is new or changed: the history is written after
// every copy, and re-encoding hundreds of unchanged entries each time would stall the copy.
class HistoryEncoder
{
public:
    QByteArray encode(const QList<ClipboardEntry> &entries);

    // Entries encoded by the last call (for tests and benchmarks).
    int lastEncodedCount() const { return m_lastEncodedCount; }

private:
    struct Encoded {
        ClipboardEntry entry;
        QByteArray json;
    };
    QHash<QString, Encoded> m_cache;
    int m_lastEncodedCount = 0;
};
