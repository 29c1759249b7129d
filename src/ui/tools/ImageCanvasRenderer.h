#pragma once

#include "ui/tools/ImageCanvasOptions.h"

#include <QBrush>
#include <QByteArray>
#include <QImage>
#include <QSizeF>

#include <optional>

class QPainter;

// The composer's choices, as the preview shows them and the export writes them.
struct ImageCanvasSettings {
    ImageCanvasAspect aspect = ImageCanvasAspect::Square;
    ImageCanvasBackgroundMode backgroundMode = ImageCanvasBackgroundMode::Gradients;
    int selectedGradient = 0;
    int selectedSolid = 0;
    ImageCornerStyle cornerStyle = ImageCornerStyle::None;
    bool hasImageShadow = false;

    bool operator==(const ImageCanvasSettings &) const = default;
};

// Draws the composition. The preview and the saved file both go through paint(), so what the
// user saw is what is saved; only the canvas size differs. Safe on any thread.
namespace ImageCanvasRenderer {

// The canvas background: the preset gradient from the top-left corner (first colour) to the
// bottom-right corner (last colour), whatever the canvas's shape, or the solid colour.
QBrush background(const ImageCanvasSettings &settings);

// Paints the canvas of `canvas` size at the painter's origin. `image` is drawn stretched into
// the placement computed for `naturalSize`, so a preview may pass a copy scaled in advance.
void paint(QPainter &painter, QSizeF canvas, const ImageCanvasSettings &settings, const QImage &image,
           QSizeF naturalSize);

// The canvas at the aspect's export size; a null image when the image has no area.
QImage render(const QImage &image, const ImageCanvasSettings &settings);

// render() encoded as PNG; nothing when any step fails.
std::optional<QByteArray> renderPNG(const QImage &image, const ImageCanvasSettings &settings);

} // namespace ImageCanvasRenderer
