#include "core/EntrySelection.h"

#include <algorithm>

namespace EntrySelection {

namespace {

qsizetype positionOf(const QList<ClipboardEntry> &list, const std::optional<QString> &id)
{
    if (!id)
        return -1;
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (list.at(i).id == *id)
            return i;
    }
    return -1;
}

} // namespace

std::optional<QString> navigated(const QList<ClipboardEntry> &list, const std::optional<QString> &selectedID,
                                 int direction)
{
    if (list.isEmpty())
        return std::nullopt;
    const qsizetype position = positionOf(list, selectedID);
    if (position < 0)
        return direction < 0 ? list.last().id : list.first().id;
    // Widened before adding so that an extreme direction cannot overflow.
    const qint64 target = std::clamp<qint64>(qint64(position) + direction, 0, qint64(list.size()) - 1);
    return list.at(target).id;
}

std::optional<ClipboardEntry> selectedOrFirst(const QList<ClipboardEntry> &list,
                                              const std::optional<QString> &selectedID)
{
    if (list.isEmpty())
        return std::nullopt;
    const qsizetype position = positionOf(list, selectedID);
    return list.at(position < 0 ? 0 : position);
}

} // namespace EntrySelection
