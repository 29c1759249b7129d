#pragma once

#include <QString>

#include <array>
#include <optional>

// The notations a hex colour can be pasted in. Raw values: "hex", "rgb", "hsl".
enum class ColorOutput {
    Hex,
    Rgb,
    Hsl,
};

namespace ColorOutputs {

// Every notation in the order the colour page lists them.
const std::array<ColorOutput, 3> &all();

QString rawValue(ColorOutput output);

// Accepts exactly "hex", "rgb" and "hsl" (case-sensitive).
std::optional<ColorOutput> fromRawValue(const QString &raw);

} // namespace ColorOutputs
