#pragma once

#include <Qt>
#include <QtGlobal>

#include <optional>

// The numbers the shortcut table is written in: the hardware-independent virtual key codes of
// the ANSI layout and the device-independent event-flag bits. Nothing past the table speaks
// them; AppShortcut hands its keys out as Qt keys and modifiers.
namespace MacKeyCode {

inline constexpr quint32 C = 8;
inline constexpr quint32 V = 9;

// The Qt key of a key code the table uses.
std::optional<Qt::Key> toQtKey(quint32 keyCode);

} // namespace MacKeyCode

namespace MacEventFlag {

inline constexpr quint64 CapsLock = 0x10000;
inline constexpr quint64 Shift = 0x20000;
inline constexpr quint64 Control = 0x40000;
inline constexpr quint64 Option = 0x80000;
inline constexpr quint64 Command = 0x100000;
// The four modifier keys that shortcuts compare; every other bit is ignored.
inline constexpr quint64 ModifierMask = Shift | Control | Option | Command;

// Qt's modifiers for the flags: Option is Alt, Command is Super (Qt's Meta).
Qt::KeyboardModifiers toQtModifiers(quint64 flags);

} // namespace MacEventFlag
