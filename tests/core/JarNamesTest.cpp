#include "core/JarNames.h"

#include <gtest/gtest.h>

namespace {

TEST(JarNames, StoredNamesAreTrimmedOfSpacesAndLineBreaks)
{
    const std::pair<QString, QString> cases[] = {
        {"  Work  ", "Work"},
        {"\n\tWork\r\n", "Work"},
        {QString("\u00A0Work\u2003"), "Work"},
        {"Two  words", "Two  words"},
        {" \n \t ", ""},
        {"", ""},
    };
    for (const auto &[input, expected] : cases)
        EXPECT_EQ(JarNames::normalized(input), expected) << input.toStdString();
}

TEST(JarNames, NamesAreTakenRegardlessOfCaseExceptByTheJarItself)
{
    const QList<ClipboardJar> jars{
        {"1", "Práca", {}}, {"2", "Straße", {}}, {"3", QStringLiteral("K\u0131rm\u0131z\u0131"), {}}};
    struct Case {
        const char *name;
        QString candidate;
        std::optional<QString> except;
        bool taken;
    };
    const Case cases[] = {
        {"exact", "Práca", std::nullopt, true},
        {"other case", "PRÁCA", std::nullopt, true},
        {"decomposed accent", QString("pra\u0301ca"), std::nullopt, true},
        {"accent matters", "Praca", std::nullopt, false},
        {"full case folding", "STRASSE", std::nullopt, true},
        {"capital sharp s", QStringLiteral("STRA\u1E9EE"), std::nullopt, true},
        {"dotless i is its own letter", "Kirmizi", std::nullopt, false},
        {"dotless i in other case", QStringLiteral("KIRMIZI"), std::nullopt, false},
        {"dotless i spelled alike", QStringLiteral("K\u0131rm\u0131z\u0131"), std::nullopt, true},
        {"own name in other case", "práca", "1", false},
        {"another jar's name while renaming", "straße", "1", true},
        {"new name", "Doma", std::nullopt, false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(JarNames::isTaken(jars, c.candidate, c.except), c.taken) << c.name;
}

} // namespace
