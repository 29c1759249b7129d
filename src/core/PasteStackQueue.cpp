#include "core/PasteStackQueue.h"

#include "core/PasteStackSequence.h"

namespace PasteStackQueue {

std::optional<QStringList> appended(const QStringList &queue, const QString &id)
{
    if (queue.contains(id))
        return std::nullopt;
    QStringList result = queue;
    result.append(id);
    return result;
}

QStringList removed(const QStringList &queue, const QString &id)
{
    QStringList result = queue;
    result.removeAll(id);
    return result;
}

std::optional<QStringList> moved(const QStringList &queue, const QString &id, qsizetype destination)
{
    const qsizetype position = queue.indexOf(id);
    if (position < 0 || destination == position || destination < 0 || destination >= queue.size())
        return std::nullopt;
    QStringList result = queue;
    result.move(position, destination);
    return result;
}

AfterPaste afterPaste(const QStringList &queue, const QSet<QString> &consumed, const QString &pastedID,
                      bool repeats)
{
    AfterPaste result{PasteStackSequence::advanced(queue, pastedID, repeats), consumed, !repeats};
    if (!repeats)
        result.consumed.insert(pastedID);
    return result;
}

} // namespace PasteStackQueue
