#include "engine/HistoryRows.h"

#include <QFileInfo>
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

// Where the row at `row` of a list stood before the edits [0, upTo) of its step; none when one
// of them put it in.
std::optional<qsizetype> rowBefore(qsizetype row, const QList<HistoryRowEdit> &edits, qsizetype upTo)
{
    for (qsizetype k = upTo - 1; k >= 0; --k) {
        const HistoryRowEdit &edit = edits.at(k);
        if (edit.kind == HistoryRowEdit::Kind::Inserted) {
            if (row >= edit.row + edit.count)
                row -= edit.count;
            else if (row >= edit.row)
                return std::nullopt;
        } else if (row >= edit.row) {
            row += edit.count;
        }
    }
    return row;
}

// Where the row at `row` stands after the edits from `from` on; none when one of them took it out.
std::optional<qsizetype> rowAfter(qsizetype row, const QList<HistoryRowEdit> &edits, qsizetype from)
{
    for (qsizetype k = from; k < edits.size(); ++k) {
        const HistoryRowEdit &edit = edits.at(k);
        if (edit.kind == HistoryRowEdit::Kind::Inserted) {
            if (row >= edit.row)
                row += edit.count;
        } else if (row >= edit.row + edit.count) {
            row -= edit.count;
        } else if (row >= edit.row) {
            return std::nullopt;
        }
    }
    return row;
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
    m_writtenIDs.reset();
    m_imageRefs.clear();
    m_planned.reset();
    for (qsizetype i = 0; i < rows.size(); ++i) {
        m_written.insert(rows.at(i).id, Written{rows.at(i).position, i < decoded.size() ? decoded.at(i) : std::nullopt});
        if (i < decoded.size() && decoded.at(i))
            m_known.insert(rows.at(i).id);
    }
}

void HistoryDiffer::adoptFound(const QList<StoredHistoryRow> &rows, const QList<std::optional<ClipboardEntry>> &decoded)
{
    QList<std::optional<ClipboardEntry>> readable(rows.size());
    for (qsizetype i = 0; i < rows.size() && i < decoded.size(); ++i) {
        const std::optional<ClipboardEntry> &entry = decoded.at(i);
        if (entry && m_known.contains(rows.at(i).id))
            readable[i] = entry;
        else if (entry && entry->imageFilePath)
            m_heldImages.insert(QFileInfo(*entry->imageFilePath).fileName());
    }
    adoptStored(rows, readable);
}

HistoryDiffer::Planned HistoryDiffer::plan(const QList<ClipboardEntry> &entries,
                                           const QList<QList<ClipboardEntry>> &skipped, const QList<Edits> &edits,
                                           const QSet<QString> &savedNow)
{
    m_planned.reset();
    std::optional<Planned> planned = planFromEdits(entries, skipped, edits, savedNow);
    m_lastPlanIncremental = planned.has_value();
    if (!planned) {
        m_planned.reset();
        planned = planWhole(entries, skipped);
    }
    if (!m_heldImages.isEmpty()) {
        planned->releasedImages.removeIf(
            [this](const QString &path) { return m_heldImages.contains(QFileInfo(path).fileName()); });
    }
    return std::move(*planned);
}

std::optional<HistoryDiffer::Planned> HistoryDiffer::planFromEdits(const QList<ClipboardEntry> &entries,
                                                                   const QList<QList<ClipboardEntry>> &skipped,
                                                                   const QList<Edits> &edits,
                                                                   const QSet<QString> &savedNow)
{
    // Every step must be known and start where the committed rows are; any doubt (an id seen
    // twice, a row out of range, no room between two positions) falls back to the whole plan.
    if (!m_writtenIDs || edits.size() != skipped.size() + 1)
        return std::nullopt;
    QHash<QString, Written> added;
    QHash<QString, qsizetype> addedAt; // where each added row stands in the state worked on
    QStringList removed;
    QSet<QString> removedSet;
    QStringList releasable;
    const auto positionOf = [&](const QString &id) -> std::optional<qint64> {
        if (const auto it = added.constFind(id); it != added.cend())
            return it->position;
        if (const auto it = m_written.constFind(id); it != m_written.cend() && !removedSet.contains(id))
            return it->position;
        return std::nullopt;
    };
    QList<PlannedState::IdEdit> idEdits;
    for (qsizetype step = 0; step < edits.size(); ++step) {
        if (!edits.at(step))
            return std::nullopt;
        const QList<HistoryRowEdit> &stepEdits = *edits.at(step);
        const QList<ClipboardEntry> &after = step < skipped.size() ? skipped.at(step) : entries;
        // The state this step starts from: the committed rows, or the state handed over before.
        const qsizetype sizeBefore = step == 0 ? m_writtenIDs->size() : skipped.at(step - 1).size();
        const auto idBefore = [&](qsizetype row) -> const QString & {
            return step == 0 ? m_writtenIDs->at(row) : skipped.at(step - 1).at(row).id;
        };
        qsizetype size = sizeBefore;
        QList<qsizetype> insertedRows;
        for (qsizetype j = 0; j < stepEdits.size(); ++j) {
            const HistoryRowEdit &edit = stepEdits.at(j);
            const bool inserted = edit.kind == HistoryRowEdit::Kind::Inserted;
            if (edit.count <= 0 || edit.row < 0 || edit.row + (inserted ? 0 : edit.count) > size)
                return std::nullopt;
            PlannedState::IdEdit idEdit{edit.row, inserted ? 0 : edit.count, {}};
            for (qsizetype row = edit.row; row < edit.row + edit.count; ++row) {
                if (inserted) {
                    const std::optional<qsizetype> at = rowAfter(row, stepEdits, j + 1);
                    if (!at || *at >= after.size())
                        return std::nullopt;
                    insertedRows.append(*at);
                    idEdit.insertedIDs.append(after.at(*at).id);
                    continue;
                }
                const std::optional<qsizetype> at = rowBefore(row, stepEdits, j);
                if (!at || *at >= sizeBefore)
                    return std::nullopt;
                const QString &id = idBefore(*at);
                if (const auto it = added.find(id); it != added.end()) {
                    if (it->entry && it->entry->imageFilePath)
                        releasable.append(*it->entry->imageFilePath);
                    added.erase(it);
                    addedAt.remove(id);
                } else if (const auto old = m_written.constFind(id); old != m_written.cend() && !removedSet.contains(id)) {
                    if (old->entry && old->entry->imageFilePath)
                        releasable.append(*old->entry->imageFilePath);
                    removedSet.insert(id);
                    removed.append(id);
                } else {
                    return std::nullopt;
                }
            }
            size += inserted ? edit.count : -edit.count;
            idEdits.append(std::move(idEdit));
        }
        if (size != after.size())
            return std::nullopt;
        for (auto it = addedAt.begin(); it != addedAt.end(); ++it) {
            const std::optional<qsizetype> at = rowAfter(*it, stepEdits, 0);
            if (!at)
                return std::nullopt;
            *it = *at;
        }
        // Each run of new rows takes places between the rows around it, as positionsFor does.
        std::sort(insertedRows.begin(), insertedRows.end());
        for (qsizetype first = 0; first < insertedRows.size();) {
            qsizetype last = first;
            while (last + 1 < insertedRows.size() && insertedRows.at(last + 1) == insertedRows.at(last) + 1)
                ++last;
            const qsizetype top = insertedRows.at(first);
            const qsizetype bottom = insertedRows.at(last);
            const qint64 count = last - first + 1;
            const bool hasAbove = top > 0;
            const bool hasBelow = bottom + 1 < after.size();
            const std::optional<qint64> above = hasAbove ? positionOf(after.at(top - 1).id) : qint64(0);
            const std::optional<qint64> below = hasBelow ? positionOf(after.at(bottom + 1).id) : qint64(0);
            if (!above || !below)
                return std::nullopt;
            qint64 gap = HistoryRows::kPositionGap;
            if (hasAbove && hasBelow) {
                if (*above - *below <= count)
                    return std::nullopt;
                gap = (*above - *below) / (count + 1);
            }
            for (qint64 i = 0; i < count; ++i) {
                const qsizetype row = top + i;
                const ClipboardEntry &entry = after.at(row);
                if (added.contains(entry.id) || m_written.contains(entry.id))
                    return std::nullopt;
                const qint64 position = hasAbove ? *above - (i + 1) * gap : *below + (count - i) * gap;
                added.insert(entry.id, Written{position, entry});
                addedAt.insert(entry.id, row);
            }
            first = last + 1;
        }
    }

    // The rows are written from the state handed over now (with the files its images went to).
    for (auto it = addedAt.cbegin(); it != addedAt.cend(); ++it) {
        if (*it >= entries.size() || entries.at(*it).id != it.key())
            return std::nullopt;
        added[it.key()].entry = entries.at(*it);
    }
    // A kept row whose image was saved only now changed its record.
    for (const QString &id : savedNow) {
        if (!added.contains(id))
            return std::nullopt;
    }

    Planned planned;
    QHash<QString, int> refChanges;
    for (const QString &id : std::as_const(removed)) {
        const Written &old = m_written[id];
        if (old.entry && old.entry->imageFilePath)
            --refChanges[*old.entry->imageFilePath];
    }
    for (auto it = added.cbegin(); it != added.cend(); ++it) {
        StoredHistoryRow row{it.key(), it->position, {}};
        it->entry->writeJson(row.record);
        planned.change.writes.append(std::move(row));
        if (it->entry->imageFilePath)
            ++refChanges[*it->entry->imageFilePath];
    }
    std::sort(planned.change.writes.begin(), planned.change.writes.end(),
              [](const StoredHistoryRow &a, const StoredHistoryRow &b) { return a.position > b.position; });
    planned.change.removals = removed;
    for (const QString &path : std::as_const(releasable)) {
        if (m_imageRefs.value(path) + refChanges.value(path) <= 0)
            planned.releasedImages.insert(path);
    }
    PlannedState state;
    state.whole = false;
    state.added = std::move(added);
    state.removed = std::move(removed);
    state.idEdits = std::move(idEdits);
    m_planned = std::move(state);
    return planned;
}

HistoryDiffer::Planned HistoryDiffer::planWhole(const QList<ClipboardEntry> &entries,
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
        if (!next.contains(it.key()) && it->entry)
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
    PlannedState state;
    state.whole = true;
    // Two entries of one id make one row: the rows no longer mirror the list row for row.
    if (next.size() == entries.size())
        state.ids = std::move(ids);
    state.next = std::move(next);
    m_planned = std::move(state);
    return planned;
}

void HistoryDiffer::commit()
{
    if (!m_planned)
        return;
    PlannedState &state = *m_planned;
    const auto countImage = [this](const std::optional<ClipboardEntry> &entry, int by) {
        if (!entry || !entry->imageFilePath)
            return;
        int &refs = m_imageRefs[*entry->imageFilePath];
        refs += by;
        if (refs <= 0)
            m_imageRefs.remove(*entry->imageFilePath);
    };
    if (state.whole) {
        for (auto it = state.next.cbegin(); it != state.next.cend(); ++it)
            m_known.insert(it.key());
        m_written = std::move(state.next);
        m_imageRefs.clear();
        if (state.ids) {
            for (const Written &written : std::as_const(m_written))
                countImage(written.entry, 1);
        }
        m_writtenIDs = std::move(state.ids);
    } else {
        for (const QString &id : std::as_const(state.removed)) {
            if (const auto it = m_written.find(id); it != m_written.end()) {
                countImage(it->entry, -1);
                m_written.erase(it);
            }
        }
        for (auto it = state.added.begin(); it != state.added.end(); ++it) {
            m_known.insert(it.key());
            countImage(it->entry, 1);
            m_written.insert(it.key(), std::move(*it));
        }
        // Rows come and go at the ends, where the list takes them in or lets them go in place.
        for (PlannedState::IdEdit &edit : state.idEdits) {
            m_writtenIDs->remove(edit.row, edit.removedCount);
            for (qsizetype i = 0; i < edit.insertedIDs.size(); ++i)
                m_writtenIDs->insert(edit.row + i, std::move(edit.insertedIDs[i]));
        }
    }
    m_planned.reset();
}
