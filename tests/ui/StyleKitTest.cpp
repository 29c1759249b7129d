#include "support/ScopedLanguage.h"
#include "support/WidgetEvents.h"
#include "ui/style/KindPresentation.h"
#include "ui/style/PanelButton.h"
#include "ui/style/PanelIcons.h"
#include "ui/style/PanelMotion.h"
#include "ui/style/PanelStyle.h"
#include "ui/style/PanelText.h"
#include "ui/style/ShortcutBadge.h"
#include "ui/style/TextPicture.h"

#include <gtest/gtest.h>

#include <QEnterEvent>
#include <QImage>
#include <QPainter>
#include <QSet>
#include <QTextLayout>

namespace {

int glyphCount(const QFont &font, const QString &text)
{
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    int glyphs = 0;
    for (const QGlyphRun &run : layout.glyphRuns())
        glyphs += int(run.glyphIndexes().size());
    return glyphs;
}

// The bounds of the pixels that differ from the ground, and the colour that inks them most.
struct Ink {
    QRect bounds;
    QRgb strongest = 0;
};

Ink inkOf(const QImage &image, QRgb ground)
{
    Ink ink;
    int strongest = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (pixel == ground)
                continue;
            ink.bounds |= QRect(x, y, 1, 1);
            const int distance = std::abs(qRed(pixel) - qRed(ground)) + std::abs(qGreen(pixel) - qGreen(ground))
                + std::abs(qBlue(pixel) - qBlue(ground));
            if (distance > strongest) {
                strongest = distance;
                ink.strongest = pixel;
            }
        }
    }
    return ink;
}

QImage ground()
{
    QImage image(300, 60, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    return image;
}

} // namespace

TEST(TextPicture, DrawsWhereAndWhatTheTextWouldAndFollowsEveryChange)
{
    const QFont font = PanelStyle::font(13, QFont::DemiBold);
    const QString text = QStringLiteral("Skopírované");
    const QRectF room(20, 10, 200, 40);
    TextPicture picture;
    EXPECT_EQ(picture.width(font, text), PanelText::width(font, text));

    for (const Qt::Alignment alignment : {Qt::AlignLeft | Qt::AlignVCenter, Qt::Alignment(Qt::AlignCenter)}) {
        QImage drawn = ground();
        {
            QPainter painter(&drawn);
            painter.setPen(Qt::black);
            PanelText::drawFixed(painter, room, font, text, alignment);
        }
        QImage copied = ground();
        {
            QPainter painter(&copied);
            picture.draw(painter, room, font, text, Qt::black, alignment);
        }
        const QRect expected = inkOf(drawn, qRgb(255, 255, 255)).bounds;
        const QRect got = inkOf(copied, qRgb(255, 255, 255)).bounds;
        ASSERT_FALSE(expected.isEmpty());
        EXPECT_LE(std::abs(got.left() - expected.left()), 1) << int(alignment);
        EXPECT_LE(std::abs(got.right() - expected.right()), 1) << int(alignment);
        EXPECT_LE(std::abs(got.top() - expected.top()), 1) << int(alignment);
        EXPECT_LE(std::abs(got.bottom() - expected.bottom()), 1) << int(alignment);
    }

    // A new colour, text or font is drawn anew, not copied from the last picture.
    const auto draw = [&](const QString &what, const QFont &face, const QColor &color) {
        QImage image = ground();
        QPainter painter(&image);
        picture.draw(painter, room, face, what, color);
        painter.end();
        return inkOf(image, qRgb(255, 255, 255));
    };
    const Ink red = draw(text, font, Qt::red);
    EXPECT_GT(qRed(red.strongest), 200);
    EXPECT_LT(qBlue(red.strongest), 60);
    const Ink blue = draw(text, font, Qt::blue);
    EXPECT_GT(qBlue(blue.strongest), 200);
    EXPECT_LT(qRed(blue.strongest), 60);
    const Ink shorter = draw(QStringLiteral("OK"), font, Qt::blue);
    EXPECT_LT(shorter.bounds.width(), blue.bounds.width() / 2);
    const Ink larger = draw(QStringLiteral("OK"), PanelStyle::font(26, QFont::DemiBold), Qt::blue);
    EXPECT_GT(larger.bounds.height(), shorter.bounds.height() * 3 / 2);

    // Too little room is a cut, as for drawn texts.
    QStringList cuts;
    PanelText::setCutObserver([&cuts](const QString &cut, const QRectF &) { cuts.append(cut); });
    QImage image = ground();
    QPainter painter(&image);
    picture.draw(painter, room, font, text, Qt::black);
    EXPECT_TRUE(cuts.isEmpty());
    picture.draw(painter, QRectF(room.topLeft(), QSizeF(20, 40)), font, text, Qt::black);
    EXPECT_EQ(cuts, QStringList{text});
    PanelText::setCutObserver({});
}

TEST(PanelStyle, WidgetsDrawInTheSchemeOfTheirRootAndFollowItsChange)
{
    QWidget root;
    QWidget *child = new QWidget(new QWidget(&root));
    PanelStyle::applyScheme(&root, PanelStyle::Scheme::Light);
    EXPECT_EQ(PanelStyle::colors(child).accent, PanelStyle::colors(PanelStyle::Scheme::Light).accent);
    EXPECT_EQ(child->palette().color(QPalette::Text), PanelStyle::colors(PanelStyle::Scheme::Light).primary);

    PanelStyle::applyScheme(&root, PanelStyle::Scheme::Dark);
    EXPECT_EQ(PanelStyle::colors(child).accent, PanelStyle::colors(PanelStyle::Scheme::Dark).accent);
    EXPECT_EQ(child->palette().color(QPalette::Text), PanelStyle::colors(PanelStyle::Scheme::Dark).primary);
    EXPECT_NE(PanelStyle::colors(PanelStyle::Scheme::Dark).accent, PanelStyle::colors(PanelStyle::Scheme::Light).accent);

    EXPECT_EQ(PanelStyle::schemeFor(ClipboardAppearance::Light), PanelStyle::Scheme::Light);
    EXPECT_EQ(PanelStyle::schemeFor(ClipboardAppearance::Dark), PanelStyle::Scheme::Dark);
}

TEST(PanelButton, HoverEasesToItsEndAndJumpsThereWithoutMotion)
{
    for (const double factor : {0.0, 1.0}) {
        PanelMotion::ScopedFactor motion(factor);
        PanelButton button(QStringLiteral("Vložiť"), false, 32, 12);
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QCoreApplication::sendEvent(&button, &enter);
        if (factor == 0.0) {
            EXPECT_EQ(button.hoverProgress(), 1.0);
        }
        EXPECT_TRUE(testsupport::waitFor([&] { return button.hoverProgress() == 1.0; }));
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(&button, &leave);
        EXPECT_TRUE(testsupport::waitFor([&] { return button.hoverProgress() == 0.0; }));
    }
}

TEST(PanelText, FixedTextsGrowTheirBadgeAndACutIsReported)
{
    QImage image(400, 40, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    QStringList cuts;
    PanelText::setCutObserver([&cuts](const QString &text, const QRectF &) { cuts.append(text); });
    const PanelStyle::Colors &c = PanelStyle::colors(PanelStyle::Scheme::Light);
    const QString shortText = QStringLiteral("Ctrl+1");
    const QString longText = QStringLiteral("Shift+Alt+Super+Ctrl+PageDown");
    EXPECT_GT(ShortcutBadge::sizeFor(longText).width(), ShortcutBadge::sizeFor(shortText).width());
    ShortcutBadge::paint(painter, QRectF(QPointF(0, 0), ShortcutBadge::sizeFor(longText)), longText, c);
    EXPECT_TRUE(cuts.isEmpty());
    ShortcutBadge::paint(painter, QRectF(QPointF(0, 0), ShortcutBadge::sizeFor(shortText)), longText, c);
    EXPECT_EQ(cuts, QStringList{longText});
    PanelText::setCutObserver({});
}

TEST(KindPresentation, EveryKindHasItsOwnNameInBothLanguagesAndASymbolFromTheTable)
{
    const ClipboardKind kinds[] = {ClipboardKind::Text, ClipboardKind::Url, ClipboardKind::Email, ClipboardKind::Number,
                                   ClipboardKind::Color, ClipboardKind::Code, ClipboardKind::Image, ClipboardKind::File};
    for (const char *language : {"sk", "en"}) {
        ScopedLanguage scoped(QString::fromLatin1(language));
        QSet<QString> names;
        for (const ClipboardKind kind : kinds) {
            names.insert(KindPresentation::displayName(kind));
            EXPECT_FALSE(PanelIcons::resourcePath(KindPresentation::symbol(kind)).isEmpty());
        }
        EXPECT_EQ(names.size(), 8) << language;
    }
    ScopedLanguage english(QStringLiteral("en"));
    EXPECT_EQ(KindPresentation::displayName(ClipboardKind::Url), QStringLiteral("Link"));
    EXPECT_EQ(KindPresentation::displayName(ClipboardKind::Number), QStringLiteral("Number"));
}

TEST(PanelIcons, EverySymbolOfTheTableDrawsInItsTint)
{
    const QColor tint(200, 30, 40);
    for (const QString &symbol : PanelIcons::symbols()) {
        const QImage image = PanelIcons::pixmap(symbol, 32, tint).toImage();
        ASSERT_FALSE(image.isNull()) << symbol.toStdString();
        int inked = 0;
        bool onlyTint = true;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                if (pixel.alpha() < 200)
                    continue;
                ++inked;
                onlyTint = onlyTint && std::abs(pixel.red() - tint.red()) < 3 && std::abs(pixel.green() - tint.green()) < 3;
            }
        }
        EXPECT_GT(inked, 8) << symbol.toStdString();
        EXPECT_TRUE(onlyTint) << symbol.toStdString();
    }
    EXPECT_TRUE(PanelIcons::pixmap(QStringLiteral("no.such.symbol"), 16, tint).isNull());
}

TEST(PanelIcons, TheGearIsARoundWheelWithAHub)
{
    // A gear looks the same turned a quarter and has a hole in its middle; sliders do neither.
    const QImage gear = PanelIcons::pixmap(QStringLiteral("gearshape"), 32, Qt::black).toImage();
    ASSERT_FALSE(gear.isNull());
    const QImage turned = gear.transformed(QTransform().rotate(90));
    int inked = 0;
    int differing = 0;
    for (int y = 0; y < gear.height(); ++y) {
        for (int x = 0; x < gear.width(); ++x) {
            const bool ink = gear.pixelColor(x, y).alpha() > 128;
            inked += ink;
            differing += ink != (turned.pixelColor(x, y).alpha() > 128);
        }
    }
    EXPECT_GT(inked, 200);
    EXPECT_LT(differing, inked / 10);
    EXPECT_LT(gear.pixelColor(16, 16).alpha(), 60) << "the hub is open";
    EXPECT_GT(gear.pixelColor(16, 5).alpha(), 128) << "the wheel is solid around it";
}

TEST(PanelStyle, CopiedTextsKeepEveryCharacterAsItsOwnGlyph)
{
    const QFont exact = PanelStyle::exactFont(12);
    for (const QString &text : {QStringLiteral("=>"), QStringLiteral("->"), QStringLiteral("fi"), QStringLiteral("!=")})
        EXPECT_EQ(glyphCount(exact, text), int(text.size())) << text.toStdString();
}
