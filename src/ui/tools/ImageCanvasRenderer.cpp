#include "ui/tools/ImageCanvasRenderer.h"

#include <QBuffer>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <vector>

namespace ImageCanvasRenderer {

namespace {

constexpr double kShadowOpacity = 0.3;
// A blur radius spreads like a Gaussian of half its size.
constexpr double kSigmaPerBlurRadius = 0.5;
// The shadow is blurred at a reduced size where its spread exceeds this many pixels: it is
// smooth anyway, and a full-size blur of a large canvas would take too long.
constexpr double kBlurWorkingSigma = 3.0;
constexpr int kBoxBlurPasses = 3;

// One box-blur pass of radius r along rows (horizontal) or columns of an 8-bit alpha image.
void boxBlur(QImage &mask, int radius, bool horizontal)
{
    const int lines = horizontal ? mask.height() : mask.width();
    const int length = horizontal ? mask.width() : mask.height();
    const qsizetype stride = horizontal ? 1 : mask.bytesPerLine();
    const int window = 2 * radius + 1;
    std::vector<uchar> source(std::size_t(length), 0);
    for (int line = 0; line < lines; ++line) {
        uchar *first = horizontal ? mask.scanLine(line) : mask.bits() + line;
        for (int i = 0; i < length; ++i)
            source[std::size_t(i)] = first[i * stride];
        int sum = 0;
        for (int i = -radius; i <= radius; ++i)
            sum += (i >= 0 && i < length) ? source[std::size_t(i)] : 0;
        for (int i = 0; i < length; ++i) {
            first[i * stride] = uchar((sum + window / 2) / window);
            const int leaving = i - radius;
            const int entering = i + radius + 1;
            sum += (entering < length ? source[std::size_t(entering)] : 0)
                - (leaving >= 0 ? source[std::size_t(leaving)] : 0);
        }
    }
}

void paintShadow(QPainter &painter, const ImageCanvas::ImagePlacement &placed)
{
    const double sigma = placed.shadowBlur * kSigmaPerBlurRadius;
    const double reduction = sigma > kBlurWorkingSigma ? kBlurWorkingSigma / sigma : 1.0;
    const double pad = std::ceil(3 * sigma) + 1;
    const QRectF area = placed.rect.adjusted(-pad, -pad, pad, pad);
    const QSize maskSize(std::max(1, int(std::ceil(area.width() * reduction))),
                         std::max(1, int(std::ceil(area.height() * reduction))));

    QImage mask(maskSize, QImage::Format_Alpha8);
    mask.fill(0);
    {
        QPainter shape(&mask);
        shape.setRenderHint(QPainter::Antialiasing);
        shape.scale(reduction, reduction);
        shape.setPen(Qt::NoPen);
        shape.setBrush(Qt::black);
        shape.drawRoundedRect(QRectF(QPointF(pad, pad), placed.rect.size()), placed.cornerRadius,
                              placed.cornerRadius);
    }
    const double workingSigma = sigma * reduction;
    const int radius = int(std::lround((std::sqrt(4 * workingSigma * workingSigma + 1) - 1) / 2));
    if (radius > 0) {
        for (int pass = 0; pass < kBoxBlurPasses; ++pass) {
            boxBlur(mask, radius, true);
            boxBlur(mask, radius, false);
        }
    }

    QImage shadow(maskSize, QImage::Format_ARGB32_Premultiplied);
    shadow.fill(Qt::black);
    {
        QPainter tint(&shadow);
        tint.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        tint.drawImage(0, 0, mask);
    }
    painter.save();
    painter.setOpacity(painter.opacity() * kShadowOpacity);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(area.translated(0, placed.shadowOffset), shadow);
    painter.restore();
}

} // namespace

QBrush background(const ImageCanvasSettings &settings)
{
    if (settings.backgroundMode == ImageCanvasBackgroundMode::Solids) {
        const auto &solids = ImageCanvas::solidPresets();
        const std::size_t index = std::size_t(std::clamp(settings.selectedSolid, 0, int(solids.size()) - 1));
        return QBrush(ImageCanvas::color(solids[index].hex));
    }
    const auto &gradients = ImageCanvas::gradientPresets();
    const std::size_t index = std::size_t(std::clamp(settings.selectedGradient, 0, int(gradients.size()) - 1));
    const QList<QColor> colors = gradients[index].colors();
    // In object coordinates the axis runs corner to corner on every shape of canvas, with the
    // lines of equal colour along the other diagonal.
    QLinearGradient gradient(0, 0, 1, 1);
    gradient.setCoordinateMode(QGradient::ObjectMode);
    for (qsizetype i = 0; i < colors.size(); ++i)
        gradient.setColorAt(double(i) / double(colors.size() - 1), colors[i]);
    return QBrush(gradient);
}

void paint(QPainter &painter, QSizeF canvas, const ImageCanvasSettings &settings, const QImage &image,
           QSizeF naturalSize)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.fillRect(QRectF(QPointF(0, 0), canvas), background(settings));

    const std::optional<ImageCanvas::ImagePlacement> placed =
        ImageCanvas::placement(canvas, naturalSize, settings.cornerStyle);
    if (placed && !image.isNull()) {
        const double radius = placed->cornerRadius;
        painter.setPen(Qt::NoPen);
        if (settings.hasImageShadow) {
            paintShadow(painter, *placed);
            painter.setBrush(Qt::white);
            painter.drawRoundedRect(placed->rect, radius, radius);
        }
        // Filling the rounded shape with the image as a brush keeps the corners antialiased,
        // which a clip path would not.
        QBrush picture(image);
        QTransform toRect;
        toRect.translate(placed->rect.x(), placed->rect.y());
        toRect.scale(placed->rect.width() / image.width(), placed->rect.height() / image.height());
        picture.setTransform(toRect);
        painter.setBrush(picture);
        painter.drawRoundedRect(placed->rect, radius, radius);
    }
    painter.restore();
}

QImage render(const QImage &image, const ImageCanvasSettings &settings)
{
    const QSize canvas = ImageCanvas::exportSize(settings.aspect);
    const std::optional<ImageCanvas::ImagePlacement> placed =
        ImageCanvas::placement(QSizeF(canvas), QSizeF(image.size()), settings.cornerStyle);
    if (!placed || image.isNull())
        return {};
    QImage bitmap(canvas, QImage::Format_ARGB32_Premultiplied);
    if (bitmap.isNull())
        return {};
    bitmap.fill(Qt::transparent);
    // Scaled once with the best filter to the drawn size, so the painter only places it.
    const QSize drawn(std::max(1, int(std::lround(placed->rect.width()))),
                      std::max(1, int(std::lround(placed->rect.height()))));
    const QImage scaled = image.size() == drawn ? image
                                                : image.scaled(drawn, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QPainter painter(&bitmap);
    if (!painter.isActive())
        return {};
    paint(painter, QSizeF(canvas), settings, scaled, QSizeF(image.size()));
    painter.end();
    return bitmap;
}

std::optional<QByteArray> renderPNG(const QImage &image, const ImageCanvasSettings &settings)
{
    const QImage bitmap = render(image, settings);
    if (bitmap.isNull())
        return std::nullopt;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !bitmap.save(&buffer, "PNG"))
        return std::nullopt;
    return bytes;
}

} // namespace ImageCanvasRenderer
