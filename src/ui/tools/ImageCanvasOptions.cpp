#include "ui/tools/ImageCanvasOptions.h"

#include <algorithm>

namespace ImageCanvas {

namespace {

// Each side of the canvas keeps this share free around the image.
constexpr double kMarginShare = 0.09;
constexpr double kShadowBlurShare = 0.035;
constexpr double kShadowOffsetShare = 0.018;
// Room kept free around the canvas in the preview, on each side.
constexpr double kPreviewInset = 12;

} // namespace

QSize exportSize(ImageCanvasAspect aspect)
{
    switch (aspect) {
    case ImageCanvasAspect::Square:
        return {1600, 1600};
    case ImageCanvasAspect::Landscape:
        return {1800, 1200};
    case ImageCanvasAspect::Portrait:
        return {1080, 1920};
    case ImageCanvasAspect::Wide:
        return {1920, 1080};
    case ImageCanvasAspect::Social:
        return {1200, 1500};
    }
    return {1600, 1600};
}

double ratio(ImageCanvasAspect aspect)
{
    const QSize pixels = exportSize(aspect);
    return double(pixels.width()) / double(pixels.height());
}

QSizeF size(ImageCanvasAspect aspect, QSizeF available)
{
    const double usableHeight = std::max(available.height() - 2 * kPreviewInset, 1.0);
    const double usableWidth = std::max(available.width() - 2 * kPreviewInset, 1.0);
    const double r = ratio(aspect);
    const double width = std::max(std::min(usableHeight * r, usableWidth), 1.0);
    return {width, width / r};
}

QString proposedFileName(ImageCanvasAspect aspect)
{
    return QStringLiteral("tarnel-") + rawValue(aspect).replace(QLatin1Char(':'), QLatin1Char('x'))
        + QStringLiteral(".png");
}

std::optional<ImageCornerStyle> cornerStyleFromRaw(int raw)
{
    if (raw < 0 || raw >= int(cornerStyles.size()))
        return std::nullopt;
    return cornerStyles[std::size_t(raw)];
}

double radiusFactor(ImageCornerStyle style)
{
    switch (style) {
    case ImageCornerStyle::None:
        return 0;
    case ImageCornerStyle::Subtle:
        return 0.04;
    case ImageCornerStyle::Medium:
        return 0.10;
    case ImageCornerStyle::Rounded:
        return 0.22;
    }
    return 0;
}

QString label(ImageCornerStyle style)
{
    switch (style) {
    case ImageCornerStyle::None:
        return QStringLiteral("Žiadne");
    case ImageCornerStyle::Subtle:
        return QStringLiteral("Jemné");
    case ImageCornerStyle::Medium:
        return QStringLiteral("Stredné");
    case ImageCornerStyle::Rounded:
        return QStringLiteral("Výrazné");
    }
    return {};
}

QColor color(quint32 hex)
{
    return QColor::fromRgb(int((hex >> 16) & 0xFF), int((hex >> 8) & 0xFF), int(hex & 0xFF));
}

QList<QColor> GradientPreset::colors() const
{
    QList<QColor> list;
    for (quint32 hex : hexColors)
        list << color(hex);
    return list;
}

const std::array<GradientPreset, 8> &gradientPresets()
{
    static const std::array<GradientPreset, 8> presets{{
        {QStringLiteral("Polárna žiara"), {0x5B8CFF, 0x8B5CF6, 0xD66DFF}},
        {QStringLiteral("Západ slnka"), {0xFF8A65, 0xF45B9A, 0x7657D5}},
        {QStringLiteral("Oceán"), {0x164E9B, 0x168AAD, 0x62D2C3}},
        {QStringLiteral("Mäta"), {0x7CE8C1, 0x40BFA3, 0x2787A0}},
        {QStringLiteral("Bobuľová"), {0xFF91AF, 0xC64D9B, 0x7048B8}},
        {QStringLiteral("Súmrak"), {0xFFB86B, 0x7A6FF0, 0x263A78}},
        {QStringLiteral("Citrus"), {0xF9D423, 0xFF7A45, 0xE9488B}},
        {QStringLiteral("Ľad"), {0xB7E9FF, 0x77A7F7, 0x8E78DD}},
    }};
    return presets;
}

const std::array<SolidPreset, 10> &solidPresets()
{
    static const std::array<SolidPreset, 10> presets{{
        {QStringLiteral("Uhlová"), 0x202632},
        {QStringLiteral("Slonovinová"), 0xF3EFE8},
        {QStringLiteral("Modrá"), 0x3578F6},
        {QStringLiteral("Fialová"), 0x8055D9},
        {QStringLiteral("Ružová"), 0xE75D91},
        {QStringLiteral("Korálová"), 0xF26E5B},
        {QStringLiteral("Oranžová"), 0xF59E0B},
        {QStringLiteral("Žltá"), 0xF2C94C},
        {QStringLiteral("Mätová"), 0x73CDB0},
        {QStringLiteral("Tyrkysová"), 0x1EA7A1},
    }};
    return presets;
}

std::optional<ImagePlacement> placement(QSizeF canvas, QSizeF image, ImageCornerStyle corners)
{
    if (image.width() <= 0 || image.height() <= 0)
        return std::nullopt;
    const double boxWidth = canvas.width() - 2 * kMarginShare * canvas.width();
    const double boxHeight = canvas.height() - 2 * kMarginShare * canvas.height();
    const double scale = std::min(boxWidth / image.width(), boxHeight / image.height());
    const double width = image.width() * scale;
    const double height = image.height() * scale;
    const double shorter = std::min(width, height);
    ImagePlacement placed;
    placed.rect = QRectF((canvas.width() - width) / 2, (canvas.height() - height) / 2, width, height);
    placed.cornerRadius = shorter * radiusFactor(corners);
    placed.shadowBlur = shorter * kShadowBlurShare;
    placed.shadowOffset = shorter * kShadowOffsetShare;
    return placed;
}

} // namespace ImageCanvas
