#pragma once

#include <array>

// Which part of Quick Access has the keyboard. Never stored, so it has no raw texts.
enum class QuickAccessKeyboardFocus { Tabs, Search, Items };

inline constexpr std::array<QuickAccessKeyboardFocus, 3> kQuickAccessKeyboardFocusCases{
    QuickAccessKeyboardFocus::Tabs, QuickAccessKeyboardFocus::Search, QuickAccessKeyboardFocus::Items};
