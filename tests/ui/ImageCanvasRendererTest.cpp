// The composer's geometry and the saved canvas: sizes, placement, corners, shadow and colours.
#include "ui/tools/ImageCanvasRenderer.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

using namespace ImageCanvas;

QImage filled(int width, int height, QColor color)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(color);
    return image;
}

// Channel distance, for colours that went through a gradient or a scaler.
int distance(QColor a, QColor b)
{
    return std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()), std::abs(a.blue() - b.blue()),
                     std::abs(a.alpha() - b.alpha())});
}

TEST(ImageCanvasOptions, RawValuesFileNamesAndColours)
{
    EXPECT_EQ(fromRawValue<ImageCanvasAspect>(u"4:5"), ImageCanvasAspect::Social);
    EXPECT_EQ(fromRawValue<ImageCanvasAspect>(u"2:1"), std::nullopt);
    EXPECT_EQ(cornerStyleFromRaw(4), std::nullopt);
    EXPECT_EQ(proposedFileName(ImageCanvasAspect::Portrait), QStringLiteral("tarnel-9x16.png"));
    EXPECT_EQ(color(0xFF164E9B), QColor(0x16, 0x4E, 0x9B)) << "the top byte is ignored";
}

// Names that reach L10n::text from the tables rather than as literals.
TEST(ImageCanvasOptions, EveryNameShownHasAnEnglishText)
{
    QFile file(QStringLiteral(TARNEL_SOURCE_DIR "/resources/en.json"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QJsonObject table = QJsonDocument::fromJson(file.readAll()).object();
    QStringList names;
    for (const auto &preset : gradientPresets())
        names << preset.name;
    for (const auto &preset : solidPresets())
        names << preset.name;
    for (ImageCornerStyle style : cornerStyles)
        names << label(style);
    for (ImageCanvasBackgroundMode mode : allCases<ImageCanvasBackgroundMode>())
        names << rawValue(mode);
    for (const QString &name : names)
        EXPECT_TRUE(table.contains(name)) << name.toStdString();
}

TEST(ImageCanvasOptions, PreviewCanvasIsTheLargestFittingRectangleOfTheRatio)
{
    const struct {
        ImageCanvasAspect aspect;
        QSizeF available;
        QSizeF expected;
    } cases[] = {
        {ImageCanvasAspect::Wide, {545, 500}, {521, 293.0625}},
        {ImageCanvasAspect::Portrait, {545, 500}, {267.75, 476}},
        {ImageCanvasAspect::Square, {545, 500}, {476, 476}},
        {ImageCanvasAspect::Square, {20, 20}, {1, 1}},
        {ImageCanvasAspect::Wide, {20, 20}, {1, 0.5625}},
    };
    for (const auto &c : cases) {
        const QSizeF got = size(c.aspect, c.available);
        EXPECT_DOUBLE_EQ(got.width(), c.expected.width()) << rawValue(c.aspect).toStdString();
        EXPECT_DOUBLE_EQ(got.height(), c.expected.height()) << rawValue(c.aspect).toStdString();
    }
}

TEST(ImageCanvasOptions, PlacementFitsEightyTwoPercentCentredWithCornerAndShadowShares)
{
    const struct {
        const char *what;
        QSizeF canvas;
        QSizeF image;
        ImageCornerStyle corners;
        QRectF rect;
        double radius;
    } cases[] = {
        {"wide image on square, medium", {1600, 1600}, {800, 400}, ImageCornerStyle::Medium, {144, 472, 1312, 656}, 65.6},
        {"tiny image is enlarged", {1920, 1080}, {10, 10}, ImageCornerStyle::Rounded, {517.2, 97.2, 885.6, 885.6}, 194.832},
        {"no corners", {1080, 1920}, {3000, 100}, ImageCornerStyle::None, {97.2, 945.24, 885.6, 29.52}, 0},
        {"subtle", {1600, 1600}, {64, 64}, ImageCornerStyle::Subtle, {144, 144, 1312, 1312}, 52.48},
    };
    for (const auto &c : cases) {
        const std::optional<ImagePlacement> placed = placement(c.canvas, c.image, c.corners);
        ASSERT_TRUE(placed) << c.what;
        EXPECT_NEAR(placed->rect.x(), c.rect.x(), 1e-9) << c.what;
        EXPECT_NEAR(placed->rect.y(), c.rect.y(), 1e-9) << c.what;
        EXPECT_NEAR(placed->rect.width(), c.rect.width(), 1e-9) << c.what;
        EXPECT_NEAR(placed->rect.height(), c.rect.height(), 1e-9) << c.what;
        EXPECT_NEAR(placed->cornerRadius, c.radius, 1e-9) << c.what;
        const double shorter = std::min(c.rect.width(), c.rect.height());
        EXPECT_NEAR(placed->shadowBlur, shorter * 0.035, 1e-9) << c.what;
        EXPECT_NEAR(placed->shadowOffset, shorter * 0.018, 1e-9) << c.what;
    }
    EXPECT_NEAR(placement({1600, 1600}, {800, 400}, ImageCornerStyle::None)->shadowBlur, 22.96, 1e-9);
    EXPECT_NEAR(placement({1600, 1600}, {800, 400}, ImageCornerStyle::None)->shadowOffset, 11.808, 1e-9);
    EXPECT_FALSE(placement({1600, 1600}, {0, 400}, ImageCornerStyle::None));
    EXPECT_FALSE(placement({1600, 1600}, {400, -1}, ImageCornerStyle::None));
}

TEST(ImageCanvasRenderer, ExportHasTheAspectsPixelSizeAndCoversThePlacedRectangle)
{
    const QColor red(220, 20, 30);
    for (ImageCanvasAspect aspect : allCases<ImageCanvasAspect>()) {
        ImageCanvasSettings settings;
        settings.aspect = aspect;
        const std::optional<QByteArray> png = ImageCanvasRenderer::renderPNG(filled(64, 64, red), settings);
        ASSERT_TRUE(png);
        EXPECT_EQ(QImage::fromData(*png, "PNG").size(), exportSize(aspect)) << rawValue(aspect).toStdString();
    }
    ImageCanvasSettings square;
    square.backgroundMode = ImageCanvasBackgroundMode::Solids;
    const QImage canvas = ImageCanvasRenderer::render(filled(64, 64, red), square);
    for (int edge : {144, 1455}) {
        EXPECT_LE(distance(canvas.pixelColor(edge, 800), red), 2) << edge;
        EXPECT_LE(distance(canvas.pixelColor(800, edge), red), 2) << edge;
    }
    const QColor charcoal = color(0x202632);
    for (QPoint outside : {QPoint(143, 800), QPoint(1456, 800), QPoint(800, 143), QPoint(800, 1456), QPoint(0, 0)})
        EXPECT_EQ(canvas.pixelColor(outside), charcoal) << outside.x() << "," << outside.y();
    EXPECT_TRUE(ImageCanvasRenderer::render(QImage(), square).isNull());
}

TEST(ImageCanvasRenderer, GradientRunsFromTopLeftToBottomRightAsThePreviewShowsIt)
{
    const auto &ocean = gradientPresets()[2];
    for (ImageCanvasAspect aspect : {ImageCanvasAspect::Wide, ImageCanvasAspect::Portrait}) {
        ImageCanvasSettings settings;
        settings.aspect = aspect;
        settings.selectedGradient = 2;
        const QImage canvas = ImageCanvasRenderer::render(filled(10, 10, Qt::white), settings);
        const int right = canvas.width() - 1;
        const int bottom = canvas.height() - 1;
        const std::string name = rawValue(aspect).toStdString();
        EXPECT_LE(distance(canvas.pixelColor(0, 0), color(ocean.hexColors[0])), 3) << name;
        EXPECT_LE(distance(canvas.pixelColor(right, bottom), color(ocean.hexColors[2])), 3) << name;
        // The lines of equal colour follow the other diagonal, on every shape of canvas.
        EXPECT_LE(distance(canvas.pixelColor(right, 0), color(ocean.hexColors[1])), 3) << name;
        EXPECT_LE(distance(canvas.pixelColor(0, bottom), color(ocean.hexColors[1])), 3) << name;
        EXPECT_EQ(canvas.pixelColor(0, 0).alpha(), 255) << name;
    }
}

TEST(ImageCanvasRenderer, CornersShadowAndTransparency)
{
    const QColor blue(30, 60, 200);
    const QImage clear = filled(400, 400, Qt::transparent);
    const struct {
        const char *what;
        QImage image;
        ImageCornerStyle corners;
        bool shadow;
        QColor atCentre;
        QColor atImageCorner;
        bool darkBelow;
    } cases[] = {
        {"square corners, no shadow", filled(400, 400, blue), ImageCornerStyle::None, false, blue, blue, false},
        {"rounded corners show the background", filled(400, 400, blue), ImageCornerStyle::Rounded, false, blue,
         color(0xF3EFE8), false},
        {"transparent image without shadow shows the background", clear, ImageCornerStyle::None, false,
         color(0xF3EFE8), color(0xF3EFE8), false},
        {"transparent image with shadow shows white", clear, ImageCornerStyle::None, true, Qt::white, Qt::white, true},
    };
    for (const auto &c : cases) {
        ImageCanvasSettings settings;
        settings.backgroundMode = ImageCanvasBackgroundMode::Solids;
        settings.selectedSolid = 1;
        settings.cornerStyle = c.corners;
        settings.hasImageShadow = c.shadow;
        const QImage canvas = ImageCanvasRenderer::render(c.image, settings);
        EXPECT_LE(distance(canvas.pixelColor(800, 800), c.atCentre), 2) << c.what;
        EXPECT_LE(distance(canvas.pixelColor(146, 146), c.atImageCorner), 2) << c.what;
        // The shadow falls downward: just under the image it darkens the background, above it
        // barely, and far away not at all.
        const QColor below = canvas.pixelColor(800, 1456 + 12);
        const QColor above = canvas.pixelColor(800, 143 - 12);
        EXPECT_EQ(below.lightness() < color(0xF3EFE8).lightness() - 8, c.darkBelow) << c.what;
        if (c.darkBelow) {
            EXPECT_LT(below.lightness(), above.lightness()) << c.what;
        }
        EXPECT_EQ(canvas.pixelColor(10, 10), color(0xF3EFE8)) << c.what;
    }
}

} // namespace
