#pragma once

#include <QString>
#include <QStringList>

// How a program takes the paste and copy chords.
enum class KeyRoute {
    // Ctrl+V and Ctrl+C.
    Ordinary,
    // Terminals that bind Ctrl+Shift+V. Their Ctrl+Shift+C is ^C when nothing is selected, so a
    // copy takes their selection instead.
    ShiftedChords,
    // Terminals that bind neither (xterm, rxvt) and every terminal the table does not know:
    // Ctrl+Shift+C may reach the running program as an interrupt and Ctrl+Shift+V as a control
    // character. They paste the primary selection on Shift+Insert, and put what the user
    // selects there.
    PrimarySelection,
    // Editors whose Ctrl+V scrolls and Ctrl+C begins a command (Emacs): Shift+Insert pastes the
    // clipboard, and what the user selects is in the primary selection.
    ClipboardOnShiftInsert,
    // Vim's GUI: out of the box no key pastes (Shift+Insert is a distribution's mapping, and Vim
    // inserts the key's own name where none maps it), Ctrl+V begins a visual block or a literal
    // key and Ctrl+C leaves Insert mode. Ctrl+\ Ctrl+O "+gP is what its own Edit menu runs: it
    // puts the clipboard at the cursor in Insert mode and, as Ctrl+\ Ctrl+O is no command there,
    // before the cursor in Normal mode. What the user selects is in the primary selection.
    ClipboardRegister,
};

// The programs whose paste is not Ctrl+V, by the WM_CLASS class or instance their windows carry.
namespace ProgramRoads {

// The route of the program that a WM_CLASS class or instance names, compared without case;
// Ordinary for a name the table does not know.
KeyRoute named(const QString &name);

// Every name the table knows, in its own spelling.
QStringList knownNames();

// Whether a copy in the program is taken from its own selection rather than by a chord: every
// chord it binds for copying either interrupts or begins something else when nothing is selected.
inline bool copiesItsSelection(KeyRoute route)
{
    return route != KeyRoute::Ordinary;
}

} // namespace ProgramRoads
