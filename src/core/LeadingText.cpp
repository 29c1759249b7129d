#include "core/LeadingText.h"

#include <QTextBoundaryFinder>

namespace LeadingText {

QString upTo(const QString &text, qsizetype limit)
{
    if (text.size() <= limit)
        return text;
    // A character is never longer than a few dozen units, so the units just past the limit
    // decide where the last whole one ends.
    constexpr qsizetype kLookAhead = 64;
    const QString window = text.left(limit + kLookAhead);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, window);
    finder.setPosition(limit);
    qsizetype cut = limit;
    if (!finder.isAtBoundary()) {
        const qsizetype previous = finder.toPreviousBoundary();
        cut = previous > 0 ? previous : limit;
    }
    return text.left(cut) + QChar(0x2026);
}

} // namespace LeadingText
