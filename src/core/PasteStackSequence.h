#pragma once

#include <QString>
#include <QStringList>

// What the Paste Stack becomes after one of its entries was pasted.
namespace PasteStackSequence {

// Removes the first occurrence of pastedID; when the stack repeats, the id goes to the end
// so that the stack cycles. An id that is not in the stack leaves it unchanged.
QStringList advanced(const QStringList &stack, const QString &pastedID, bool repeats);

} // namespace PasteStackSequence
