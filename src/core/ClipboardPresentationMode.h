#pragma once

#include "core/RawValue.h"

#include <QString>

#include <optional>

// Where the panel lives: a tab at the top centre of the screen, or behind a tray icon.
enum class ClipboardPresentationMode { Notch, MenuBar };

template <>
struct RawValueTable<ClipboardPresentationMode> {
    static constexpr std::array<std::pair<ClipboardPresentationMode, const char *>, 2> entries{{
        {ClipboardPresentationMode::Notch, "notch"},
        {ClipboardPresentationMode::MenuBar, "menuBar"},
    }};
};

inline constexpr char kPresentationModeSettingKey[] = "tarnel.presentationMode";

// The mode from the raw text stored under kPresentationModeSettingKey: exactly "menuBar" is
// MenuBar; nothing stored or any other text is Notch.
ClipboardPresentationMode savedPresentationMode(const std::optional<QString> &stored);
