#pragma once

#include <QHashFunctions>

#include <array>

// Which part of Quick Access has the keyboard. Never stored, so it has no raw texts.
enum class QuickAccessKeyboardFocus { Tabs, Search, Items };

inline constexpr std::array<QuickAccessKeyboardFocus, 3> kQuickAccessKeyboardFocusCases{
    QuickAccessKeyboardFocus::Tabs, QuickAccessKeyboardFocus::Search, QuickAccessKeyboardFocus::Items};

inline size_t qHash(QuickAccessKeyboardFocus focus, size_t seed = 0) noexcept
{
    return ::qHash(static_cast<int>(focus), seed);
}
