#include "core/FormattedText.h"

#include <gtest/gtest.h>

// Only placeholders are replaced: a "%" in a translation or in an argument (a Jar named
// "50 % zľava") reads as written, and nothing reads past the arguments it has.
TEST(FormattedText, SubstitutesOnlyItsPlaceholders)
{
    const struct {
        const char *format;
        QStringList arguments;
        const char *expected;
    } cases[] = {
        {"%lld položiek", {"5"}, "5 položiek"},
        {"Vložiť %@", {"Jar 50 % zľava"}, "Vložiť Jar 50 % zľava"},
        {"%@ a %@", {"%@%d", "b"}, "%@%d a b"},
        {"%2$@ pred %1$@", {"a", "b"}, "b pred a"},
        {"100 % hotové: %d", {"3"}, "100 % hotové: 3"},
        {"%d%", {"3"}, "3%"},
        {"%%d je %d", {"7"}, "%d je 7"},
        {"%@ a %@", {"jediný"}, "jediný a %@"},
        {"%3$@", {"a"}, "%3$@"},
        {"koniec %", {}, "koniec %"},
        {"%ld a %i", {"1", "2"}, "1 a 2"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FormattedText::substitute(QString::fromUtf8(c.format), c.arguments), QString::fromUtf8(c.expected))
            << c.format;
}
