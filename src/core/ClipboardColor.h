#pragma once

#include "core/ColorOutput.h"

#include <QString>

#include <optional>

// Operations on a colour copied as hex text ("#FFF", "#A1B2C3FF", "0x336699", "336699").
namespace ClipboardColor {

struct Components {
    double red = 0;
    double green = 0;
    double blue = 0;
    bool operator==(const Components &) const = default;
};

// Six hexadecimal digits in the input's letter case (short forms doubled, alpha dropped),
// or nothing when the text is not a hex colour. Content detection shares this rule.
std::optional<QString> normalizedHex(const QString &text);

// Red, green and blue as fractions from 0 to 1; nothing when the text is not a hex colour.
std::optional<Components> components(const QString &text);

// "#RRGGBB" (upper case), "rgb(R, G, B)" or "hsl(H, S%, L%)"; nothing when the text is not a
// hex colour.
std::optional<QString> format(const QString &text, ColorOutput output);

} // namespace ClipboardColor
