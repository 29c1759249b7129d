#pragma once

#include "core/ClipboardSnippet.h"

#include <QList>
#include <QString>

#include <optional>

// The rolling buffer of what was typed in other applications, and the test whether it now ends
// with a snippet's trigger. It holds at most as many characters (user-perceived) as the longest
// trigger, so every key costs one suffix test per snippet.
class TypedTriggerBuffer {
public:
    struct Expansion {
        // Position of the expanded snippet in the list that was passed in.
        qsizetype snippetIndex = -1;
        // Backspace presses that erase the typed trigger. The key tap cannot swallow the key that
        // completed the trigger, so the whole trigger reached the application and is erased.
        int deleteCount = 0;

        bool operator==(const Expansion &) const = default;
    };

    // One key press (not an auto-repeat, not a global shortcut) in another application.
    // Returns the snippet to expand when the press completed a trigger; the buffer is then empty.
    std::optional<Expansion> handleKey(quint32 keyCode, const std::optional<QString> &characters, quint64 flags,
                                       bool quickAccessPresented, const QList<ClipboardSnippet> &snippets);

    void clear() { m_buffer.clear(); }
    const QString &text() const { return m_buffer; }

    // Length in user-perceived characters (grapheme clusters).
    static qsizetype characterCount(const QString &text);

private:
    QString m_buffer;
};
