#include "ui/panel/SheetKeys.h"

#include <QKeyEvent>

namespace SheetKeys {

Action actionFor(const QKeyEvent &event)
{
    // Keypad and Shift are ignored; any other modifier makes it another shortcut.
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    switch (event.key()) {
    case Qt::Key_Escape:
        return modifiers == Qt::NoModifier ? Action::Cancel : Action::None;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (modifiers == Qt::ControlModifier)
            return Action::ForcedDefault;
        return modifiers == Qt::NoModifier ? Action::Default : Action::None;
    case Qt::Key_S:
        return modifiers == Qt::ControlModifier ? Action::Save : Action::None;
    default:
        return Action::None;
    }
}

} // namespace SheetKeys
