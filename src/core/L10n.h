#pragma once

#include "core/AppLanguage.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <functional>
#include <optional>

// Every user-visible text is written in Slovak and passed through L10n::text when it is shown.
namespace L10n {

// Reads the raw text stored under kAppLanguageSettingKey (nothing when absent). The engine
// installs one that asks its settings store; until then the language is Slovak.
using LanguageReader = std::function<std::optional<QString>()>;
void setLanguageReader(LanguageReader reader);

// The saved interface language, read afresh on every call (but see SteadyLanguage).
AppLanguage language();

// Holds the saved language, read once as it is made, for the life of one pass over many texts
// on this thread (a search over the whole history): the reader asks the settings file whether
// it changed, and a pass over thousands of entries would ask it thousands of times. The pass
// runs to its end before anything can change the language; the next pass reads it afresh.
// Holds nest; other threads keep reading on every call.
class SteadyLanguage {
public:
    SteadyLanguage();
    ~SteadyLanguage();
    SteadyLanguage(const SteadyLanguage &) = delete;
    SteadyLanguage &operator=(const SteadyLanguage &) = delete;

private:
    std::optional<AppLanguage> m_outer;
};

// The base text itself in Slovak; its English translation in English when the table has one.
QString text(const QString &slovakBase);

// The English table: the resource ":/en.json", read once on first use in English. A missing or
// malformed table is empty, so every text stays Slovak.
const QHash<QString, QString> &english();

// A JSON object whose members are all strings, as a table; empty for anything else.
QHash<QString, QString> parseTable(const QByteArray &json);

// Replaces the table for tests; nothing restores the resource table.
void setTranslationsForTesting(std::optional<QHash<QString, QString>> table);

} // namespace L10n
