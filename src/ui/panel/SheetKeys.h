#pragma once

class QKeyEvent;

// The keys every sheet answers the same way: Escape cancels, Ctrl+S saves, Return (or Enter)
// is the default action, and Ctrl+Return is the default action also from a text editor, where a
// plain Return breaks the line.
namespace SheetKeys {

enum class Action { None,
                    Cancel,
                    Save,
                    Default,
                    ForcedDefault };

Action actionFor(const QKeyEvent &event);

} // namespace SheetKeys
