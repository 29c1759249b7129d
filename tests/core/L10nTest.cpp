#include "core/L10n.h"

#include "support/ScopedLanguage.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

const QHash<QString, QString> kTable{
    {"Kopírovať", "Copy"},
    {"Vložiť ", "Paste with space"},
    {"Uložené", "Saved"},
};

TEST(L10n, TranslatesOnlyInEnglishAndOnlyExactKeys)
{
    struct Case {
        std::optional<QString> language;
        QString base;
        QString shown;
    };
    const Case cases[] = {
        {std::nullopt, "Kopírovať", "Kopírovať"},
        {"sk", "Kopírovať", "Kopírovať"},
        {"EN", "Kopírovať", "Kopírovať"},
        {"english", "Kopírovať", "Kopírovať"},
        {"en", "Kopírovať", "Copy"},
        {"en", "Nepreložené", "Nepreložené"},
        {"en", "Kopírovať ", "Kopírovať "},
        {"en", "kopírovať", "kopírovať"},
        {"en", "Vložiť", "Vložiť"},
        {"en", "Vložiť ", "Paste with space"},
        {"en", "", ""},
    };
    for (const Case &c : cases) {
        ScopedLanguage language(c.language, kTable);
        EXPECT_EQ(L10n::text(c.base), c.shown) << (c.language ? c.language->toStdString() : "(none)") << " "
                                               << c.base.toStdString();
    }
}

TEST(L10n, FollowsTheSavedLanguageOnEveryCall)
{
    QString stored = "sk";
    L10n::setLanguageReader([&stored] { return std::optional<QString>(stored); });
    L10n::setTranslationsForTesting(kTable);
    EXPECT_EQ(L10n::text("Uložené"), "Uložené");
    stored = "en";
    EXPECT_EQ(L10n::language(), AppLanguage::En);
    EXPECT_EQ(L10n::text("Uložené"), "Saved");
    stored = "sk";
    EXPECT_EQ(L10n::text("Uložené"), "Uložené");
    L10n::setLanguageReader({});
    L10n::setTranslationsForTesting(std::nullopt);
    // Without a reader nothing is stored, which is Slovak.
    EXPECT_EQ(L10n::language(), AppLanguage::Sk);
}

TEST(L10n, BundledTableIsReachable)
{
    // The table is a resource of a static library; it must be registered before it can be read.
    L10n::setTranslationsForTesting(std::nullopt);
    const QHash<QString, QString> loaded = L10n::english();
    QFile bundled(":/en.json");
    ASSERT_TRUE(bundled.open(QIODevice::ReadOnly));
    EXPECT_EQ(loaded, L10n::parseTable(bundled.readAll()));
}

} // namespace
