#pragma once

#include "core/RawValue.h"

#include <QString>

#include <optional>

// The interface language; Slovak is the language the texts are written in.
enum class AppLanguage { Sk, En };

template <>
struct RawValueTable<AppLanguage> {
    static constexpr std::array<std::pair<AppLanguage, const char *>, 2> entries{{
        {AppLanguage::Sk, "sk"},
        {AppLanguage::En, "en"},
    }};
};

inline constexpr char kAppLanguageSettingKey[] = "tarnel.language";

// The language from the raw text stored under kAppLanguageSettingKey: exactly "en" is English;
// nothing stored, "sk" or any other text is Slovak.
AppLanguage savedLanguage(const std::optional<QString> &stored);
