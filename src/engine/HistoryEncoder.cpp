#include "engine/HistoryEncoder.h"


QByteArray HistoryEncoder::encode(const QList<ClipboardEntry> &entries)
{
    QHash<QString, Encoded> next;
    next.reserve(entries.size());
    QByteArray out;
    out.reserve(qsizetype(entries.size()) * 256 + 2);
    out.append('[');
    m_lastEncodedCount = 0;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const ClipboardEntry &entry = entries.at(i);
        auto cached = m_cache.find(entry.id);
        QByteArray json;
        if (cached != m_cache.end() && cached->entry == entry) {
            json = cached->json;
        } else {
            entry.writeJson(json);
            ++m_lastEncodedCount;
        }
        if (i > 0)
            out.append(',');
        out.append(json);
        // Two entries with one id (never made by the model) simply share the first encoding
        // only when they are equal; otherwise the later one is encoded and kept.
        next.insert(entry.id, Encoded{entry, json});
    }
    out.append(']');
    m_cache = std::move(next);
    return out;
}
