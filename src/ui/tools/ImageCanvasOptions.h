#pragma once

#include "core/RawValue.h"

#include <QColor>
#include <QList>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QString>

#include <array>
#include <optional>

// What the canvas composer offers and what its preview and its export share: the aspects with
// their fixed export sizes, the background modes, the corner styles, the preset tables and the
// placement of the image on the canvas. Nothing here is stored.

enum class ImageCanvasAspect { Square, Landscape, Portrait, Wide, Social };

template <>
struct RawValueTable<ImageCanvasAspect> {
    static constexpr std::array<std::pair<ImageCanvasAspect, const char *>, 5> entries{{
        {ImageCanvasAspect::Square, "1:1"},
        {ImageCanvasAspect::Landscape, "3:2"},
        {ImageCanvasAspect::Portrait, "9:16"},
        {ImageCanvasAspect::Wide, "16:9"},
        {ImageCanvasAspect::Social, "4:5"},
    }};
};

// The raw texts double as the Slovak labels of the mode buttons.
enum class ImageCanvasBackgroundMode { Gradients, Solids };

template <>
struct RawValueTable<ImageCanvasBackgroundMode> {
    static constexpr std::array<std::pair<ImageCanvasBackgroundMode, const char *>, 2> entries{{
        {ImageCanvasBackgroundMode::Gradients, "Gradienty"},
        {ImageCanvasBackgroundMode::Solids, "Farby"},
    }};
};

enum class ImageCornerStyle { None = 0, Subtle = 1, Medium = 2, Rounded = 3 };

namespace ImageCanvas {

// Pixel size of the exported PNG; the ratio every canvas of the aspect keeps.
QSize exportSize(ImageCanvasAspect aspect);
double ratio(ImageCanvasAspect aspect);
// The largest rectangle of the aspect's ratio inside `available`, less 12 points on each side;
// its width never drops below 1.
QSizeF size(ImageCanvasAspect aspect, QSizeF available);
// The proposed name of the saved file: "tarnel-16x9.png".
QString proposedFileName(ImageCanvasAspect aspect);

std::optional<ImageCornerStyle> cornerStyleFromRaw(int raw);
constexpr std::array<ImageCornerStyle, 4> cornerStyles{ImageCornerStyle::None, ImageCornerStyle::Subtle,
                                                       ImageCornerStyle::Medium, ImageCornerStyle::Rounded};
double radiusFactor(ImageCornerStyle style);
// The Slovak label (shown through L10n::text).
QString label(ImageCornerStyle style);

// A preset's 24-bit value as an opaque sRGB colour; the top byte is ignored.
QColor color(quint32 hex);

struct GradientPreset {
    QString name;
    std::array<quint32, 3> hexColors;

    QList<QColor> colors() const;
    bool operator==(const GradientPreset &) const = default;
};

struct SolidPreset {
    QString name;
    quint32 hex;

    bool operator==(const SolidPreset &) const = default;
};

const std::array<GradientPreset, 8> &gradientPresets();
const std::array<SolidPreset, 10> &solidPresets();

// Where the image lands on a canvas, in the canvas's own units (points in the preview, pixels
// in the export). Both draw from this one description.
struct ImagePlacement {
    QRectF rect;
    double cornerRadius = 0;
    double shadowBlur = 0;
    // Downward, as viewed.
    double shadowOffset = 0;

    bool operator==(const ImagePlacement &) const = default;
};

// The image fitted into 82 % of each canvas side (enlarged as well as reduced), centred;
// nothing for an image without area.
std::optional<ImagePlacement> placement(QSizeF canvas, QSizeF image, ImageCornerStyle corners);

} // namespace ImageCanvas
