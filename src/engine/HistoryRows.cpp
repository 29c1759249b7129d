#include "engine/HistoryRows.h"

#include <QJsonDocument>
#include <QJsonParseError>

#include <algorithm>

namespace {

bool sameText(const QString &a, const QString &b)
{
    // A text handed over unchanged shares its characters: no need to compare 30 MB.
    if (a.size() != b.size())
        return false;
    return a.constData() == b.constData() || a.compare(b, Qt::CaseSensitive) == 0;
}

bool sameOptionalText(const std::optional<QString> &a, const std::optional<QString> &b)
{
    return a.has_value() == b.has_value() && (!a || sameText(*a, *b));
}

bool sameBytes(const std::optional<QByteArray> &a, const std::optional<QByteArray> &b)
{
    if (a.has_value() != b.has_value())
        return false;
    if (!a)
        return true;
    return a->size() == b->size() && (a->constData() == b->constData() || *a == *b);
}

// The same stored record: texts compared code unit by code unit, because two texts that read
// the same may still be written differently (composed and decomposed accents).
bool sameStoredForm(const ClipboardEntry &a, const ClipboardEntry &b)
{
    if (a.fileURLs.size() != b.fileURLs.size())
        return false;
    for (qsizetype i = 0; i < a.fileURLs.size(); ++i) {
        if (!sameText(a.fileURLs.at(i), b.fileURLs.at(i)))
            return false;
    }
    return sameText(a.id, b.id) && sameText(a.text, b.text) && a.copiedAt == b.copiedAt
        && sameText(a.sourceApp, b.sourceApp) && a.kind == b.kind && sameBytes(a.imageData, b.imageData)
        && sameOptionalText(a.screenshotFileURL, b.screenshotFileURL)
        && sameOptionalText(a.imageFilePath, b.imageFilePath) && a.isScreenshot == b.isScreenshot
        && a.isPinned == b.isPinned && a.temporaryUntil == b.temporaryUntil;
}

} // namespace

namespace HistoryRows {

std::optional<ClipboardEntry> decodeRow(const StoredHistoryRow &row, QString *error)
{
    QJsonParseError parse{};
    const QJsonDocument document = QJsonDocument::fromJson(row.record, &parse);
    if (parse.error != QJsonParseError::NoError) {
        if (error)
            *error = QStringLiteral("not JSON (%1 at %2)").arg(parse.errorString()).arg(parse.offset);
        return std::nullopt;
    }
    if (!document.isObject()) {
        if (error)
            *error = QStringLiteral("not a JSON object");
        return std::nullopt;
    }
    return ClipboardEntry::fromJson(document.object(), error);
}

QList<qint64> positionsFor(const QStringList &ids, const QHash<QString, qint64> &earlier)
{
    const qsizetype n = ids.size();
    QList<qint64> positions(n, 0);
    // The longest run, in list order, of earlier positions that already fall strictly: those
    // rows stay where they are. (Longest increasing subsequence of the negated positions.)
    QList<qsizetype> tails;       // index of the last element of the best run of each length
    QList<qsizetype> previous(n, -1);
    QList<bool> kept(n, false);
    for (qsizetype i = 0; i < n; ++i) {
        const auto found = earlier.constFind(ids.at(i));
        if (found == earlier.constEnd())
            continue;
        const qint64 value = -*found;
        const auto slot = std::lower_bound(tails.begin(), tails.end(), value,
                                           [&](qsizetype index, qint64 v) { return -earlier.value(ids.at(index)) < v; });
        const qsizetype length = slot - tails.begin();
        previous[i] = length > 0 ? tails.at(length - 1) : -1;
        if (slot == tails.end())
            tails.append(i);
        else
            *slot = i;
    }
    for (qsizetype i = tails.isEmpty() ? -1 : tails.last(); i >= 0; i = previous.at(i)) {
        kept[i] = true;
        positions[i] = earlier.value(ids.at(i));
    }
    // Fill each run of new places between two kept rows.
    qsizetype above = -1;
    for (qsizetype below = 0; below <= n; ++below) {
        if (below < n && !kept.at(below))
            continue;
        const qsizetype count = below - above - 1;
        if (count > 0) {
            if (above < 0 && below == n) {
                for (qsizetype i = 0; i < n; ++i)
                    positions[i] = qint64(n - i) * kPositionGap;
            } else if (above < 0) {
                for (qsizetype i = 0; i < below; ++i)
                    positions[i] = positions.at(below) + qint64(below - i) * kPositionGap;
            } else if (below == n) {
                for (qsizetype i = above + 1; i < n; ++i)
                    positions[i] = positions.at(above) - qint64(i - above) * kPositionGap;
            } else {
                const qint64 room = positions.at(above) - positions.at(below);
                if (room <= count) {
                    // No room left between the two: every row takes a fresh place.
                    for (qsizetype i = 0; i < n; ++i)
                        positions[i] = qint64(n - i) * kPositionGap;
                    return positions;
                }
                const qint64 step = room / (count + 1);
                for (qsizetype i = above + 1; i < below; ++i)
                    positions[i] = positions.at(above) - qint64(i - above) * step;
            }
        }
        above = below;
    }
    return positions;
}

QList<StoredHistoryRow> rowsFor(const QList<ClipboardEntry> &entries)
{
    QList<StoredHistoryRow> rows;
    rows.reserve(entries.size());
    const qsizetype n = entries.size();
    for (qsizetype i = 0; i < n; ++i) {
        StoredHistoryRow row{entries.at(i).id, qint64(n - i) * kPositionGap, {}};
        entries.at(i).writeJson(row.record);
        rows.append(std::move(row));
    }
    return rows;
}

} // namespace HistoryRows

void HistoryDiffer::adoptStored(const QList<StoredHistoryRow> &rows, const QList<std::optional<ClipboardEntry>> &decoded)
{
    m_written.clear();
    m_planned.reset();
    for (qsizetype i = 0; i < rows.size(); ++i)
        m_written.insert(rows.at(i).id, Written{rows.at(i).position, i < decoded.size() ? decoded.at(i) : std::nullopt});
}

HistoryDiffer::Planned HistoryDiffer::plan(const QList<ClipboardEntry> &entries,
                                           const QList<QList<ClipboardEntry>> &skipped)
{
    Planned planned;
    QStringList ids;
    ids.reserve(entries.size());
    QHash<QString, qint64> earlier;
    earlier.reserve(m_written.size());
    for (auto it = m_written.cbegin(); it != m_written.cend(); ++it)
        earlier.insert(it.key(), it->position);
    for (const ClipboardEntry &entry : entries)
        ids.append(entry.id);
    const QList<qint64> positions = HistoryRows::positionsFor(ids, earlier);

    QHash<QString, Written> next;
    next.reserve(entries.size());
    QSet<QString> named;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const ClipboardEntry &entry = entries.at(i);
        // Two entries of one id cannot both be rows; the first (newest) one is kept.
        if (next.contains(entry.id))
            continue;
        if (entry.imageFilePath)
            named.insert(*entry.imageFilePath);
        const auto old = m_written.constFind(entry.id);
        if (old == m_written.constEnd() || !old->entry || !sameStoredForm(*old->entry, entry)) {
            StoredHistoryRow row{entry.id, positions.at(i), {}};
            entry.writeJson(row.record);
            planned.change.writes.append(std::move(row));
        } else if (old->position != positions.at(i)) {
            planned.change.moves.append({entry.id, positions.at(i)});
        }
        next.insert(entry.id, Written{positions.at(i), entry});
    }
    for (auto it = m_written.cbegin(); it != m_written.cend(); ++it) {
        if (!next.contains(it.key()))
            planned.change.removals.append(it.key());
        if (it->entry && it->entry->imageFilePath && !named.contains(*it->entry->imageFilePath))
            planned.releasedImages.insert(*it->entry->imageFilePath);
    }
    for (const QList<ClipboardEntry> &state : skipped) {
        for (const ClipboardEntry &entry : state) {
            if (entry.imageFilePath && !named.contains(*entry.imageFilePath))
                planned.releasedImages.insert(*entry.imageFilePath);
        }
    }
    m_planned = std::move(next);
    return planned;
}

void HistoryDiffer::commit()
{
    if (m_planned)
        m_written = std::move(*m_planned);
    m_planned.reset();
}
