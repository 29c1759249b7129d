#include "core/ClipboardColor.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

std::string show(const std::optional<QString> &text)
{
    return text ? text->toStdString() : std::string("(nothing)");
}

TEST(ClipboardColor, NormalizedHexAcceptsTheThreeSpellings)
{
    struct Case {
        QString input;
        std::optional<QString> expected;
    };
    const Case cases[] = {
        {"#FFF", "FFFFFF"},
        {"#A1B2C3FF", "A1B2C3"},
        {"0xA1B2C3", "A1B2C3"},
        {"123456", "123456"},
        {"#F00C", "FF0000"},
        {" \n#abc\t", "aabbcc"},
        {u"\u00A0#abc\u2028"_s, "aabbcc"},
        {"0xFFF", std::nullopt},
        {"#12345", std::nullopt},
        {"FFF", std::nullopt},
        {"#GGG", std::nullopt},
        {"# FFF", std::nullopt},
        {"#FFF\nx", std::nullopt},
        {u"#ａｂｃ"_s, std::nullopt},   // full-width letters are not hex digits
        {"rgb(1, 2, 3)", std::nullopt},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ClipboardColor::normalizedHex(c.input), c.expected) << c.input.toStdString();
}

TEST(ClipboardColor, FormatsInEveryNotation)
{
    struct Case {
        QString input;
        ColorOutput output;
        std::optional<QString> expected;
    };
    const Case cases[] = {
        {"#FFF", ColorOutput::Hex, "#FFFFFF"},
        {"0x336699", ColorOutput::Hex, "#336699"},
        {"0x336699", ColorOutput::Rgb, "rgb(51, 102, 153)"},
        {"0x336699", ColorOutput::Hsl, "hsl(210, 50%, 40%)"},
        {"#FF0000", ColorOutput::Hsl, "hsl(0, 100%, 50%)"},
        {"#FFFF00", ColorOutput::Hsl, "hsl(60, 100%, 50%)"},   // red and green tie: red decides
        {"#00FFFF", ColorOutput::Hsl, "hsl(180, 100%, 50%)"},  // green and blue tie: green decides
        {"#FF00FF", ColorOutput::Hsl, "hsl(300, 100%, 50%)"},  // red and blue tie, hue negative first
        {"#FF0001", ColorOutput::Hsl, "hsl(360, 100%, 50%)"},  // rounds to 360, not wrapped to 0
        {"#010000", ColorOutput::Hsl, "hsl(0, 100%, 0%)"},     // lightness 0.2% rounds down
        {"#FF8000", ColorOutput::Hsl, "hsl(30, 100%, 50%)"},   // hue 30.1 rounds down
        {"#C0FFEE", ColorOutput::Hsl, "hsl(164, 100%, 88%)"},
        {"rgb(1, 2, 3)", ColorOutput::Hex, std::nullopt},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(ClipboardColor::format(c.input, c.output), c.expected)
            << c.input.toStdString() << " as " << ColorOutputs::rawValue(c.output).toStdString()
            << " gave " << show(ClipboardColor::format(c.input, c.output));
    }
}

} // namespace
