#pragma once

#include "core/RawValue.h"

// Where text saved from a screenshot's recognised text or QR codes goes. Passed by value,
// never stored.
enum class OCRTextDestination { History, PasteStack, Pins };

template <>
struct RawValueTable<OCRTextDestination> {
    static constexpr std::array<std::pair<OCRTextDestination, const char *>, 3> entries{{
        {OCRTextDestination::History, "history"},
        {OCRTextDestination::PasteStack, "pasteStack"},
        {OCRTextDestination::Pins, "pins"},
    }};
};
