#pragma once

#include "core/RawValue.h"

#include <QString>

#include <optional>

enum class ClipboardAppearance { Dark, Light };

template <>
struct RawValueTable<ClipboardAppearance> {
    static constexpr std::array<std::pair<ClipboardAppearance, const char *>, 2> entries{{
        {ClipboardAppearance::Dark, "dark"},
        {ClipboardAppearance::Light, "light"},
    }};
};

inline constexpr char kAppearanceSettingKey[] = "tarnel.appearance";

// The appearance from the raw text stored under kAppearanceSettingKey: exactly "light" is
// Light; nothing stored or any other text is Dark.
ClipboardAppearance savedAppearance(const std::optional<QString> &stored);
