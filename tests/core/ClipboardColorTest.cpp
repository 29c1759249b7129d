#include "core/ClipboardColor.h"

#include <QStringList>

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
        {"#ffff", "ffffff"},
        {"#A1B2C3", "A1B2C3"},
        {"#A1B2C3FF", "A1B2C3"},
        {"0xA1B2C3", "A1B2C3"},
        {"0XA1B2C3", "A1B2C3"},
        {"0xa1b2c3ff", "a1b2c3"},
        {"123456", "123456"},
        {"20231231", "202312"},
        {"#F00C", "FF0000"},
        {" \n#abc\t", "aabbcc"},
        {u"\u00A0#abc\u2028"_s, "aabbcc"},
        {"0xFFF", std::nullopt},
        {"#12345", std::nullopt},
        {"#1234567", std::nullopt},
        {"1234567", std::nullopt},
        {"FFF", std::nullopt},
        {"#", std::nullopt},
        {"0x", std::nullopt},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"#GGG", std::nullopt},
        {"# FFF", std::nullopt},
        {"##FFF", std::nullopt},
        {"#FFF\nx", std::nullopt},
        {"#abc\n", "aabbcc"},
        {u"#ａｂｃ"_s, std::nullopt},   // full-width letters are not hex digits
        {u"#١٢٣"_s, std::nullopt},      // neither are Arabic-Indic digits
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
        {"#abc", ColorOutput::Hex, "#AABBCC"},
        {"0x336699", ColorOutput::Hex, "#336699"},
        {"#0a0b0c", ColorOutput::Hex, "#0A0B0C"},
        {"0x336699", ColorOutput::Rgb, "rgb(51, 102, 153)"},
        {"#000", ColorOutput::Rgb, "rgb(0, 0, 0)"},
        {"#ffffff", ColorOutput::Rgb, "rgb(255, 255, 255)"},
        {"0x336699", ColorOutput::Hsl, "hsl(210, 50%, 40%)"},
        {"#000000", ColorOutput::Hsl, "hsl(0, 0%, 0%)"},
        {"#FFFFFF", ColorOutput::Hsl, "hsl(0, 0%, 100%)"},
        {"#808080", ColorOutput::Hsl, "hsl(0, 0%, 50%)"},
        {"#FF0000", ColorOutput::Hsl, "hsl(0, 100%, 50%)"},
        {"#00FF00", ColorOutput::Hsl, "hsl(120, 100%, 50%)"},
        {"#0000FF", ColorOutput::Hsl, "hsl(240, 100%, 50%)"},
        {"#FFFF00", ColorOutput::Hsl, "hsl(60, 100%, 50%)"},   // red and green tie: red decides
        {"#00FFFF", ColorOutput::Hsl, "hsl(180, 100%, 50%)"},  // green and blue tie: green decides
        {"#FF00FF", ColorOutput::Hsl, "hsl(300, 100%, 50%)"},  // red and blue tie, hue negative first
        {"#FF0001", ColorOutput::Hsl, "hsl(360, 100%, 50%)"},  // rounds to 360, not wrapped to 0
        {"#010000", ColorOutput::Hsl, "hsl(0, 100%, 0%)"},     // lightness 0.2% rounds down
        {"#020000", ColorOutput::Hsl, "hsl(0, 100%, 0%)"},
        {"#FF8000", ColorOutput::Hsl, "hsl(30, 100%, 50%)"},   // hue 30.1 rounds down
        {"#FE8000", ColorOutput::Hsl, "hsl(30, 100%, 50%)"},
        {"#C0FFEE", ColorOutput::Hsl, "hsl(164, 100%, 88%)"},
        {"#123", ColorOutput::Hsl, "hsl(210, 50%, 13%)"},
        {"#A1B2C3FF", ColorOutput::Rgb, "rgb(161, 178, 195)"},
        {"#F00C", ColorOutput::Hex, "#FF0000"},
        {"rgb(1, 2, 3)", ColorOutput::Hex, std::nullopt},
        {"rgb(1, 2, 3)", ColorOutput::Rgb, std::nullopt},
        {"hsl(0, 0%, 0%)", ColorOutput::Hsl, std::nullopt},
        {"", ColorOutput::Hex, std::nullopt},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(ClipboardColor::format(c.input, c.output), c.expected)
            << c.input.toStdString() << " as " << ColorOutputs::rawValue(c.output).toStdString()
            << " gave " << show(ClipboardColor::format(c.input, c.output));
    }
}

TEST(ClipboardColor, AlphaFormsMatchTheirOpaqueColour)
{
    for (ColorOutput output : ColorOutputs::all()) {
        EXPECT_EQ(ClipboardColor::format("#A1B2C3FF", output), ClipboardColor::format("#A1B2C3", output));
        EXPECT_EQ(ClipboardColor::format("#A1B2C300", output), ClipboardColor::format("#A1B2C3", output));
        EXPECT_EQ(ClipboardColor::format("#F00C", output), ClipboardColor::format("#FF0000", output));
    }
}

// Every byte value survives the trip to a fraction and back, and hsl stays in range.
TEST(ClipboardColor, ComponentsAreExactFractionsOfEveryByte)
{
    for (int value = 0; value <= 255; ++value) {
        const QString hex = QStringLiteral("#%1%1%1").arg(value, 2, 16, QLatin1Char('0'));
        const auto parts = ClipboardColor::components(hex);
        ASSERT_TRUE(parts.has_value()) << hex.toStdString();
        EXPECT_EQ(int(parts->red * 255), value);
        EXPECT_EQ(parts->red, parts->green);
        EXPECT_EQ(ClipboardColor::format(hex, ColorOutput::Rgb),
                  QStringLiteral("rgb(%1, %1, %1)").arg(value));
        const QString grey = *ClipboardColor::format(hex, ColorOutput::Hsl);
        EXPECT_EQ(grey, QStringLiteral("hsl(0, 0%, %1%)").arg(std::lround(value / 255.0 * 100)));
    }
    EXPECT_EQ(ClipboardColor::components("#336699"),
              (ClipboardColor::Components{51 / 255.0, 102 / 255.0, 153 / 255.0}));
    EXPECT_EQ(ClipboardColor::components("rgb(1, 2, 3)"), std::nullopt);
    EXPECT_EQ(ClipboardColor::components(""), std::nullopt);
}

TEST(ColorOutput, RawValuesRoundTripAndOthersAreRefused)
{
    const QStringList raws{"hex", "rgb", "hsl"};
    ASSERT_EQ(ColorOutputs::all().size(), std::size_t(raws.size()));
    for (std::size_t i = 0; i < ColorOutputs::all().size(); ++i) {
        EXPECT_EQ(ColorOutputs::rawValue(ColorOutputs::all()[i]), raws[qsizetype(i)]);
        EXPECT_EQ(ColorOutputs::fromRawValue(raws[qsizetype(i)]), ColorOutputs::all()[i]);
    }
    for (const QString &refused : {QString("HEX"), QString("rgba"), QString(""), QString(" hsl")})
        EXPECT_EQ(ColorOutputs::fromRawValue(refused), std::nullopt) << refused.toStdString();
}

} // namespace
