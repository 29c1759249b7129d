#include "platform/x11/X11Keysyms.h"

#include <X11/keysym.h>

#include <array>

namespace {

struct KeysymRow {
    quint32 keysym;
    Qt::Key key;
    bool keypad = false;
};

// The keys that print nothing. Printable Latin keys need no row: their Qt key is their
// (capital) character.
constexpr std::array kRows{
    KeysymRow{XK_Return, Qt::Key_Return},
    KeysymRow{XK_Tab, Qt::Key_Tab},
    KeysymRow{XK_ISO_Left_Tab, Qt::Key_Tab}, // Shift+Tab is still the Tab key
    KeysymRow{XK_BackSpace, Qt::Key_Backspace},
    KeysymRow{XK_Escape, Qt::Key_Escape},
    KeysymRow{XK_Delete, Qt::Key_Delete},
    KeysymRow{XK_Home, Qt::Key_Home},
    KeysymRow{XK_End, Qt::Key_End},
    KeysymRow{XK_Page_Up, Qt::Key_PageUp},
    KeysymRow{XK_Page_Down, Qt::Key_PageDown},
    KeysymRow{XK_Left, Qt::Key_Left},
    KeysymRow{XK_Right, Qt::Key_Right},
    KeysymRow{XK_Up, Qt::Key_Up},
    KeysymRow{XK_Down, Qt::Key_Down},
    KeysymRow{XK_Print, Qt::Key_Print},
    KeysymRow{XK_Help, Qt::Key_Help},
    KeysymRow{XK_Shift_L, Qt::Key_Shift},
    KeysymRow{XK_Shift_R, Qt::Key_Shift},
    KeysymRow{XK_Control_L, Qt::Key_Control},
    KeysymRow{XK_Control_R, Qt::Key_Control},
    KeysymRow{XK_Alt_L, Qt::Key_Alt},
    KeysymRow{XK_Alt_R, Qt::Key_Alt},
    KeysymRow{XK_ISO_Level3_Shift, Qt::Key_AltGr},
    KeysymRow{XK_Super_L, Qt::Key_Super_L},
    KeysymRow{XK_Super_R, Qt::Key_Super_R},
    KeysymRow{XK_Caps_Lock, Qt::Key_CapsLock},
    KeysymRow{XK_Num_Lock, Qt::Key_NumLock},
    KeysymRow{XK_KP_Enter, Qt::Key_Enter, true},
    KeysymRow{XK_KP_Multiply, Qt::Key_Asterisk, true},
    KeysymRow{XK_KP_Add, Qt::Key_Plus, true},
    KeysymRow{XK_KP_Subtract, Qt::Key_Minus, true},
    KeysymRow{XK_KP_Decimal, Qt::Key_Period, true},
    KeysymRow{XK_KP_Divide, Qt::Key_Slash, true},
    KeysymRow{XK_KP_Equal, Qt::Key_Equal, true},
};

} // namespace

namespace X11Keysyms {

QKeyCombination qtKey(quint32 keysym)
{
    if (keysym >= XK_a && keysym <= XK_z)
        return Qt::Key(keysym - XK_a + Qt::Key_A);
    // Qt numbers the printable Latin keys by their character, as X does.
    if (keysym >= XK_space && keysym <= XK_asciitilde)
        return Qt::Key(keysym);
    if (keysym >= XK_KP_0 && keysym <= XK_KP_9)
        return QKeyCombination(Qt::KeypadModifier, Qt::Key(keysym - XK_KP_0 + Qt::Key_0));
    if (keysym >= XK_F1 && keysym <= XK_F35)
        return Qt::Key(keysym - XK_F1 + Qt::Key_F1);
    for (const KeysymRow &row : kRows) {
        if (row.keysym == keysym)
            return row.keypad ? QKeyCombination(Qt::KeypadModifier, row.key) : QKeyCombination(row.key);
    }
    return Qt::Key_unknown;
}

std::optional<quint32> keysymFor(Qt::Key key)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return quint32(key - Qt::Key_A + XK_a);
    if (key >= Qt::Key_Space && key <= Qt::Key_AsciiTilde)
        return quint32(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35)
        return quint32(key - Qt::Key_F1 + XK_F1);
    for (const KeysymRow &row : kRows) {
        if (row.key == key && !row.keypad)
            return row.keysym;
    }
    return std::nullopt;
}

} // namespace X11Keysyms
