#pragma once

#include "core/L10n.h"

#include <QHash>
#include <QString>

#include <optional>

// Sets the saved interface language (as the raw stored text, or nothing stored) and, when given,
// a translation table for the length of a test; both are undone on leaving the scope.
class ScopedLanguage
{
public:
    explicit ScopedLanguage(std::optional<QString> storedLanguage,
                            std::optional<QHash<QString, QString>> table = std::nullopt)
    {
        L10n::setLanguageReader([storedLanguage] { return storedLanguage; });
        if (table)
            L10n::setTranslationsForTesting(std::move(table));
    }
    ~ScopedLanguage()
    {
        L10n::setLanguageReader({});
        L10n::setTranslationsForTesting(std::nullopt);
    }
    ScopedLanguage(const ScopedLanguage &) = delete;
    ScopedLanguage &operator=(const ScopedLanguage &) = delete;
};
