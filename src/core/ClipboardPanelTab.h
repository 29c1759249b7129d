#pragma once

#include "core/RawValue.h"

#include <QString>

// The panel's sections, in the order they are offered.
enum class ClipboardPanelTab { Clipboard, PasteStack, History, Jars, Pins, Gallery, Screenshots, Snippets };

template <>
struct RawValueTable<ClipboardPanelTab> {
    static constexpr std::array<std::pair<ClipboardPanelTab, const char *>, 8> entries{{
        {ClipboardPanelTab::Clipboard, "clipboard"},
        {ClipboardPanelTab::PasteStack, "pasteStack"},
        {ClipboardPanelTab::History, "history"},
        {ClipboardPanelTab::Jars, "jars"},
        {ClipboardPanelTab::Pins, "pins"},
        {ClipboardPanelTab::Gallery, "gallery"},
        {ClipboardPanelTab::Screenshots, "screenshots"},
        {ClipboardPanelTab::Snippets, "snippets"},
    }};
};

// The section's title in the interface language; "Paste Stack" and "Jars" are names that read
// the same in every language.
QString title(ClipboardPanelTab tab);
