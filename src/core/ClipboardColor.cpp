#include "core/ClipboardColor.h"

#include <cmath>

namespace {

bool isHexDigits(QStringView digits)
{
    if (digits.isEmpty())
        return false;
    for (QChar c : digits) {
        const char16_t u = c.unicode();
        const bool hex = (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F');
        if (!hex)
            return false;
    }
    return true;
}

struct Bytes {
    int red;
    int green;
    int blue;
};

std::optional<Bytes> bytesOf(const QString &text)
{
    const std::optional<QString> hex = ClipboardColor::normalizedHex(text);
    if (!hex)
        return std::nullopt;
    const uint value = hex->toUInt(nullptr, 16);
    return Bytes{int((value >> 16) & 0xFF), int((value >> 8) & 0xFF), int(value & 0xFF)};
}

QString hsl(const ClipboardColor::Components &c)
{
    const double max = std::max({c.red, c.green, c.blue});
    const double min = std::min({c.red, c.green, c.blue});
    const double d = max - min;
    const double lightness = (max + min) / 2;
    double hue = 0;
    double saturation = 0;
    if (d != 0) {
        // With two channels sharing the maximum, the first of red, green, blue decides.
        if (max == c.red)
            hue = std::fmod((c.green - c.blue) / d, 6.0);
        else if (max == c.green)
            hue = (c.blue - c.red) / d + 2;
        else
            hue = (c.red - c.green) / d + 4;
        hue *= 60;
        if (hue < 0)
            hue += 360;
        saturation = d / (1 - std::fabs(2 * lightness - 1));
    }
    // std::llround rounds halves away from zero. A hue just below 360 rounds to 360 and
    // is written as such, not wrapped to 0.
    return QStringLiteral("hsl(%1, %2%, %3%)")
        .arg(std::llround(hue))
        .arg(std::llround(saturation * 100))
        .arg(std::llround(lightness * 100));
}

} // namespace

namespace ClipboardColor {

std::optional<QString> normalizedHex(const QString &text)
{
    const QString trimmed = text.trimmed();
    QStringView digits(trimmed);
    bool shortFormsAllowed = false;
    if (digits.startsWith(u'#')) {
        digits = digits.mid(1);
        shortFormsAllowed = true;
    } else if (digits.size() >= 2 && digits[0] == u'0' && (digits[1] == u'x' || digits[1] == u'X')) {
        digits = digits.mid(2);
    }
    // Only ASCII digits pass, so the length in UTF-16 units is the length in characters.
    if (!isHexDigits(digits))
        return std::nullopt;
    switch (digits.size()) {
    case 3:
    case 4: {
        if (!shortFormsAllowed)
            return std::nullopt;
        QString doubled;
        for (QChar digit : digits.left(3))
            doubled.append(digit).append(digit);
        return doubled;
    }
    case 6:
    case 8:
        return digits.left(6).toString();
    default:
        return std::nullopt;
    }
}

std::optional<Components> components(const QString &text)
{
    const std::optional<Bytes> bytes = bytesOf(text);
    if (!bytes)
        return std::nullopt;
    return Components{bytes->red / 255.0, bytes->green / 255.0, bytes->blue / 255.0};
}

std::optional<QString> format(const QString &text, ColorOutput output)
{
    const std::optional<Bytes> bytes = bytesOf(text);
    if (!bytes)
        return std::nullopt;
    switch (output) {
    case ColorOutput::Hex:
        return QStringLiteral("#%1%2%3")
            .arg(bytes->red, 2, 16, QLatin1Char('0'))
            .arg(bytes->green, 2, 16, QLatin1Char('0'))
            .arg(bytes->blue, 2, 16, QLatin1Char('0'))
            .toUpper();
    case ColorOutput::Rgb:
        return QStringLiteral("rgb(%1, %2, %3)").arg(bytes->red).arg(bytes->green).arg(bytes->blue);
    case ColorOutput::Hsl:
        return hsl(*components(text));
    }
    return std::nullopt;
}

} // namespace ClipboardColor
