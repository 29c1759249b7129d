#include "core/MacKeyCode.h"

namespace MacKeyCode {

std::optional<Qt::Key> toQtKey(quint32 keyCode)
{
    switch (keyCode) {
    case C:
        return Qt::Key_C;
    case V:
        return Qt::Key_V;
    default:
        return std::nullopt;
    }
}

} // namespace MacKeyCode

namespace MacEventFlag {

Qt::KeyboardModifiers toQtModifiers(quint64 flags)
{
    Qt::KeyboardModifiers modifiers;
    modifiers.setFlag(Qt::ShiftModifier, flags & Shift);
    modifiers.setFlag(Qt::ControlModifier, flags & Control);
    modifiers.setFlag(Qt::AltModifier, flags & Option);
    modifiers.setFlag(Qt::MetaModifier, flags & Command);
    return modifiers;
}

} // namespace MacEventFlag
