#include "engine/HistoryEncoder.h"


namespace {

// Exactly the same stored form: texts compared code unit by code unit, because two texts that
// read the same may still be written differently (composed and decomposed accents).
bool sameStoredForm(const ClipboardEntry &a, const ClipboardEntry &b)
{
    auto sameText = [](const std::optional<QString> &x, const std::optional<QString> &y) {
        return x.has_value() == y.has_value() && (!x || x->compare(*y, Qt::CaseSensitive) == 0);
    };
    auto sameList = [](const QStringList &x, const QStringList &y) {
        if (x.size() != y.size())
            return false;
        for (qsizetype i = 0; i < x.size(); ++i) {
            if (x.at(i).compare(y.at(i), Qt::CaseSensitive) != 0)
                return false;
        }
        return true;
    };
    return a.id.compare(b.id, Qt::CaseSensitive) == 0 && a.text.compare(b.text, Qt::CaseSensitive) == 0
        && a.copiedAt == b.copiedAt && a.sourceApp.compare(b.sourceApp, Qt::CaseSensitive) == 0 && a.kind == b.kind
        && a.imageData == b.imageData && sameList(a.fileURLs, b.fileURLs)
        && sameText(a.screenshotFileURL, b.screenshotFileURL) && sameText(a.imageFilePath, b.imageFilePath)
        && a.isScreenshot == b.isScreenshot && a.isPinned == b.isPinned && a.temporaryUntil == b.temporaryUntil;
}

} // namespace

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
        if (cached != m_cache.end() && sameStoredForm(cached->entry, entry)) {
            json = cached->json;
        } else {
            entry.writeJson(json);
            ++m_lastEncodedCount;
        }
        if (i > 0)
            out.append(',');
        out.append(json);
        next.insert(entry.id, Encoded{entry, json});
    }
    out.append(']');
    m_cache = std::move(next);
    return out;
}
