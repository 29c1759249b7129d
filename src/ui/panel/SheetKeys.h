#pragma once

class QKeyEvent;

// The keys every sheet answers the same way: Escape cancels, Ctrl+S saves, Return (or Enter)
// is the default action.
namespace SheetKeys {

enum class Action { None, Cancel, Save, Default };

Action actionFor(const QKeyEvent &event);

} // namespace SheetKeys
