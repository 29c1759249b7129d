#include "core/TypedTrigger.h"

#include <QTextBoundaryFinder>

#include <algorithm>

namespace {

// Super or Control held: a chord, not typing.
constexpr Qt::KeyboardModifiers kChordModifiers = Qt::MetaModifier | Qt::ControlModifier;

// Position where the last `count` characters of `text` begin.
qsizetype startOfLastCharacters(const QString &text, qsizetype count)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    finder.toEnd();
    qsizetype position = text.size();
    for (qsizetype i = 0; i < count; ++i) {
        const qsizetype previous = finder.toPreviousBoundary();
        if (previous < 0)
            return 0;
        position = previous;
    }
    return position;
}

// Whether the typed text ends with the trigger character for character: a letter spelled with a
// combining mark matches the same letter typed as one code point, and the match must begin where
// a character begins, so that a trigger never matches the tail of a longer character (which the
// Backspace presses would then erase whole). `typed` is already in decomposed form.
bool endsWithTrigger(const QString &typed, const QString &trigger)
{
    const QString suffix = trigger.normalized(QString::NormalizationForm_D);
    if (!typed.endsWith(suffix))
        return false;
    const qsizetype start = typed.size() - suffix.size();
    if (start == 0)
        return true;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, typed);
    finder.setPosition(start);
    return finder.isAtBoundary();
}

} // namespace

namespace TypedTrigger {

qsizetype characterCount(const QString &text)
{
    if (text.isEmpty())
        return 0;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (finder.toNextBoundary() >= 0)
        ++count;
    return count;
}

std::optional<Expansion> handleKey(QString &buffer, Qt::Key key, const std::optional<QString> &characters,
                                   Qt::KeyboardModifiers modifiers, bool quickAccessPresented,
                                   const QList<ClipboardSnippet> &snippets)
{
    if (quickAccessPresented || (modifiers & kChordModifiers) || key == Qt::Key_Return || key == Qt::Key_Tab) {
        buffer.clear();
        return std::nullopt;
    }
    if (key == Qt::Key_Backspace) {
        // A typo corrected before the trigger is complete must not spoil the match.
        if (!buffer.isEmpty())
            buffer.truncate(startOfLastCharacters(buffer, 1));
        return std::nullopt;
    }
    if (!characters || characters->isEmpty()) {
        buffer.clear();
        return std::nullopt;
    }
    buffer.append(*characters);

    qsizetype limit = 1;
    for (const ClipboardSnippet &snippet : snippets)
        limit = std::max(limit, characterCount(snippet.trigger));
    buffer.remove(0, startOfLastCharacters(buffer, limit));
    // Qt's boundary finder splits a few sequences (a combining mark after a run of noncharacters)
    // differently walking back than going forward; trim on until the forward count agrees.
    while (characterCount(buffer) > limit) {
        QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, buffer);
        buffer.remove(0, std::max<qsizetype>(finder.toNextBoundary(), 1));
    }

    const QString typed = buffer.normalized(QString::NormalizationForm_D);
    for (qsizetype i = 0; i < snippets.size(); ++i) {
        const QString &trigger = snippets.at(i).trigger;
        if (trigger.isEmpty() || !endsWithTrigger(typed, trigger))
            continue;
        buffer.clear();
        return Expansion{i, int(characterCount(trigger))};
    }
    return std::nullopt;
}

} // namespace TypedTrigger
