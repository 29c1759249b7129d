#include "ui/panel/CharacterCount.h"

#include "core/L10n.h"

#include <QTextBoundaryFinder>

namespace CharacterCount {

int of(const QString &text)
{
    if (text.isEmpty())
        return 0;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}

QString label(int count)
{
    // The number as "%d" writes it, in digits without group separators in either language. A
    // translation that carries a stray "%" keeps it: only the placeholder is replaced, and the
    // number is never read as a format.
    return L10n::text(QStringLiteral("%d znakov")).replace(QStringLiteral("%d"), QString::number(count));
}

} // namespace CharacterCount
