#pragma once

#include "core/AppShortcut.h"

#include <QList>

// The shortcuts that the keyboard map takes before any grab sees them: with a layout switch on
// modifier keys (the XKB option grp:alt_shift_toggle, say), Shift and Alt held together switch
// the layout, and a shortcut that holds both never arrives.
namespace X11LayoutSwitchKeys {

// The shortcuts of the table whose modifier keys, pressed in some order, switch the keyboard's
// layout group or lose one of the modifiers they stand for in the map now in force; empty when
// the map cannot be read (no X11 session).
QList<AppShortcut> takenShortcuts();

} // namespace X11LayoutSwitchKeys
