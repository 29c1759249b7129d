#pragma once

#include <QString>

#include <optional>

namespace ClipboardColor {

// Six hexadecimal digits (letter case kept, no "#") when the text is a hex colour written as
// #RGB, #RGBA, #RRGGBB, #RRGGBBAA, 0xRRGGBB, 0xRRGGBBAA, or a bare RRGGBB / RRGGBBAA; alpha is
// dropped. Surrounding white space is ignored. Nothing for any other text.
std::optional<QString> normalizedHex(const QString &text);

} // namespace ClipboardColor
