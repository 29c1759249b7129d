#include "core/ColorOutput.h"

namespace {

struct OutputInfo {
    ColorOutput output;
    const char16_t *raw;
};

constexpr OutputInfo kOutputs[] = {
    {ColorOutput::Hex, u"hex"},
    {ColorOutput::Rgb, u"rgb"},
    {ColorOutput::Hsl, u"hsl"},
};

} // namespace

namespace ColorOutputs {

const std::array<ColorOutput, 3> &all()
{
    static const std::array<ColorOutput, 3> outputs{ColorOutput::Hex, ColorOutput::Rgb, ColorOutput::Hsl};
    return outputs;
}

QString rawValue(ColorOutput output)
{
    return QString::fromUtf16(kOutputs[static_cast<int>(output)].raw);
}

std::optional<ColorOutput> fromRawValue(const QString &raw)
{
    for (const OutputInfo &info : kOutputs) {
        if (raw == QStringView(info.raw))
            return info.output;
    }
    return std::nullopt;
}

} // namespace ColorOutputs
