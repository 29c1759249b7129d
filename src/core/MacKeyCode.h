#pragma once

#include <QtGlobal>

#include <optional>

// Key codes and modifier flags in the form the keyboard roads compare: the hardware-independent
// virtual key codes of the ANSI layout and the device-independent event-flag bits. Linux keys
// (X keysyms in the key tap, Qt keys inside Tarnel's own windows) are mapped to them in one table,
// so that every road speaks of the same numbers.
namespace MacKeyCode {

inline constexpr quint32 C = 8;
inline constexpr quint32 V = 9;
inline constexpr quint32 Digit1 = 18;
inline constexpr quint32 Digit2 = 19;
inline constexpr quint32 Digit3 = 20;
inline constexpr quint32 Digit4 = 21;
inline constexpr quint32 Digit6 = 22;
inline constexpr quint32 Digit5 = 23;
inline constexpr quint32 Return = 36;
inline constexpr quint32 Tab = 48;
inline constexpr quint32 Space = 49;
inline constexpr quint32 Delete = 51; // the backspace key
inline constexpr quint32 Escape = 53;
inline constexpr quint32 KeypadEnter = 76;
inline constexpr quint32 F13 = 105; // where a PC keyboard's Print key sits
inline constexpr quint32 ForwardDelete = 117;
inline constexpr quint32 LeftArrow = 123;
inline constexpr quint32 RightArrow = 124;
inline constexpr quint32 DownArrow = 125;
inline constexpr quint32 UpArrow = 126;

// The code of a key that has no place in the table; it matches nothing.
inline constexpr quint32 Unknown = 0xFFFF;

// The key code for an X keysym (case-insensitive for Latin letters), if the key has one.
std::optional<quint32> fromKeysym(quint32 keysym);
// The key code for a Qt::Key value, if the key has one. Keypad keys are told apart by the caller.
std::optional<quint32> fromQtKey(int qtKey);
// The X keysym that produces a key code (the lower-case letter for letters).
std::optional<quint32> keysymFor(quint32 keyCode);

} // namespace MacKeyCode

namespace MacEventFlag {

inline constexpr quint64 CapsLock = 0x10000;
inline constexpr quint64 Shift = 0x20000;
inline constexpr quint64 Control = 0x40000;
inline constexpr quint64 Option = 0x80000;
inline constexpr quint64 Command = 0x100000;
// The four modifier keys that shortcuts compare; every other bit is ignored.
inline constexpr quint64 ModifierMask = Shift | Control | Option | Command;

} // namespace MacEventFlag
