#pragma once

#include <QKeyCombination>
#include <QtGlobal>

#include <optional>

// X keysyms and Qt keys, translated in one table so that the key tap and the hot-key grab
// name the same keys as Tarnel's own windows do.
namespace X11Keysyms {

// The Qt key for a keysym, with Qt::KeypadModifier for a keypad key; Qt::Key_unknown (and no
// modifier) when Qt has no key for it. Latin capitals are the key of the small letter, and
// Shift+Tab's keysym is the Tab key.
QKeyCombination qtKey(quint32 keysym);
// The keysym of a Qt key off the keypad (the small letter for letters), for grabbing it.
std::optional<quint32> keysymFor(Qt::Key key);

} // namespace X11Keysyms
