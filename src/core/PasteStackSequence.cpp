#include "core/PasteStackSequence.h"

namespace PasteStackSequence {

QStringList advanced(const QStringList &stack, const QString &pastedID, bool repeats)
{
    const qsizetype position = stack.indexOf(pastedID);
    if (position < 0)
        return stack;
    QStringList result = stack;
    result.removeAt(position);
    if (repeats)
        result.append(pastedID);
    return result;
}

} // namespace PasteStackSequence
