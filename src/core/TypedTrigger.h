#pragma once

#include "core/ClipboardSnippet.h"

#include <QList>
#include <QString>
#include <Qt>

#include <optional>

// Snippet triggers typed in other applications. The caller keeps a rolling buffer of what was
// typed; it never holds more characters (user-perceived) than the longest trigger, so every key
// costs one suffix test per snippet.
namespace TypedTrigger {

struct Expansion {
    // Position of the expanded snippet in the list that was passed in.
    qsizetype snippetIndex = -1;
    // Backspace presses that erase the typed trigger. The key tap cannot swallow the key that
    // completed the trigger, so the whole trigger reached the application and is erased.
    int deleteCount = 0;

    bool operator==(const Expansion &) const = default;
};

// One key press (not an auto-repeat, not a global shortcut) in another application: updates the
// buffer and returns the snippet to expand when the press completed a trigger (the buffer is
// then empty).
std::optional<Expansion> handleKey(QString &buffer, Qt::Key key, const std::optional<QString> &characters,
                                   Qt::KeyboardModifiers modifiers, bool quickAccessPresented,
                                   const QList<ClipboardSnippet> &snippets);

// Length in user-perceived characters (grapheme clusters).
qsizetype characterCount(const QString &text);

} // namespace TypedTrigger
