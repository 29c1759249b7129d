#include "ui/tools/ImageCanvasControls.h"

#include "core/L10n.h"
#include "ui/style/PanelIcons.h"
#include "ui/style/PanelText.h"
#include "ui/tools/ToolChoiceButton.h"
#include "ui/tools/ToolText.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace {

constexpr int kCardSpacing = 12;
constexpr int kCardPadding = 12;
constexpr int kCardContentSpacing = 10;
constexpr qreal kCardRadius = 12;
constexpr qreal kTitleSize = 11;
constexpr int kAspectTileHeight = 57;
constexpr qreal kAspectShapeSide = 25;
constexpr int kModeTileHeight = 27;
constexpr int kCornerTileHeight = 29;
constexpr int kSwatchSide = 29;
constexpr qreal kTileRadius = 7;
constexpr qreal kSelectedTint = 0.14;
constexpr QSize kSwitchSize{34, 20};

// A title in a card: symbol and text, as every card of the kit heads itself.
QWidget *titleRow(const QString &symbol, const QString &text, int weight, QWidget *parent)
{
    auto *row = new QWidget(parent);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(5);
    layout->addWidget(ToolText::symbol(symbol, kTitleSize, ToolText::Role::Primary, row));
    layout->addWidget(new ToolText(text, kTitleSize, weight, ToolText::Role::Primary, row));
    layout->addStretch();
    return row;
}

// A segment of a row of choices: the label centred on a rounded fill.
ToolChoiceButton::Painter segment(const QString &label, qreal fontSize, bool accentWhenSelected)
{
    return [label, fontSize, accentWhenSelected](QPainter &painter, const QRectF &rect, bool selected,
                                                 const PanelStyle::Colors &colors) {
        const QColor fill = !selected ? colors.controlSurface
            : accentWhenSelected     ? PanelStyle::withOpacity(colors.accent, kSelectedTint)
                                     : colors.hoverSurface;
        PanelStyle::fillRounded(painter, rect, kTileRadius, fill);
        painter.setPen(selected ? colors.primary : colors.secondary);
        PanelText::drawFixed(painter, rect, PanelStyle::font(fontSize, QFont::DemiBold), label, Qt::AlignCenter);
    };
}

} // namespace

ImageCanvasControls::ImageCanvasControls(QWidget *parent)
    : QWidget(parent)
{
    setFixedWidth(kWidth);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(kCardSpacing);
    layout->addWidget(aspectCard());
    layout->addWidget(backgroundCard());
    layout->addWidget(cornerCard());
    layout->addStretch();
    refresh();
}

void ImageCanvasControls::setSettings(const ImageCanvasSettings &settings)
{
    m_settings = settings;
    refresh();
}

void ImageCanvasControls::change(const std::function<void(ImageCanvasSettings &)> &edit)
{
    ImageCanvasSettings next = m_settings;
    edit(next);
    if (next == m_settings)
        return;
    m_settings = next;
    refresh();
    Q_EMIT settingsChanged(m_settings);
}

QWidget *ImageCanvasControls::card(const QString &symbol, const QString &title)
{
    auto *card = new QWidget(this);
    auto *layout = new QVBoxLayout(card);
    layout->setContentsMargins(kCardPadding, kCardPadding, kCardPadding, kCardPadding);
    layout->setSpacing(kCardContentSpacing);
    layout->addWidget(titleRow(symbol, title, QFont::DemiBold, card));
    m_cards << card;
    return card;
}

QWidget *ImageCanvasControls::aspectCard()
{
    QWidget *aspects = card(QStringLiteral("aspectratio"), L10n::text(QStringLiteral("Pomer strán")));
    auto *grid = new QGridLayout;
    grid->setSpacing(6);
    int index = 0;
    for (ImageCanvasAspect aspect : allCases<ImageCanvasAspect>()) {
        const QString raw = rawValue(aspect);
        const double ratio = ImageCanvas::ratio(aspect);
        auto *tile = new ToolChoiceButton(raw, QSize(1, kAspectTileHeight),
                                         [raw, ratio](QPainter &painter, const QRectF &rect, bool selected,
                                                      const PanelStyle::Colors &colors) {
            PanelStyle::fillRounded(painter, rect, 8,
                                    selected ? PanelStyle::withOpacity(colors.accent, kSelectedTint) : colors.controlSurface);
            const QFont font = PanelStyle::font(10, QFont::DemiBold);
            const qreal textHeight = PanelText::lineHeight(font);
            const qreal top = rect.center().y() - (kAspectShapeSide + 4 + textHeight) / 2;
            const QSizeF shape = ratio >= 1 ? QSizeF(kAspectShapeSide, kAspectShapeSide / ratio)
                                            : QSizeF(kAspectShapeSide * ratio, kAspectShapeSide);
            const QRectF outline(rect.center().x() - shape.width() / 2, top + (kAspectShapeSide - shape.height()) / 2,
                                 shape.width(), shape.height());
            // Stroked inside the shape, as an inset border.
            PanelStyle::strokeRounded(painter, outline.adjusted(0.75, 0.75, -0.75, -0.75), 2,
                                      selected ? colors.accent : colors.secondary, 1.5);
            painter.setPen(selected ? colors.primary : colors.secondary);
            PanelText::drawFixed(painter, QRectF(rect.left(), top + kAspectShapeSide + 4, rect.width(), textHeight), font,
                                 raw, Qt::AlignCenter);
        });
        tile->setStretchesHorizontally();
        connect(tile, &QAbstractButton::clicked, this, [this, aspect] { change([aspect](auto &s) { s.aspect = aspect; }); });
        grid->addWidget(tile, index / 3, index % 3);
        m_aspectTiles << tile;
        ++index;
    }
    for (int column = 0; column < 3; ++column)
        grid->setColumnStretch(column, 1);
    static_cast<QVBoxLayout *>(aspects->layout())->addLayout(grid);
    return aspects;
}

QWidget *ImageCanvasControls::swatchGrid(ImageCanvasBackgroundMode mode, QList<ToolChoiceButton *> &tiles)
{
    auto *container = new QWidget(this);
    auto *grid = new QGridLayout(container);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(7);
    const int count = mode == ImageCanvasBackgroundMode::Gradients ? int(ImageCanvas::gradientPresets().size())
                                                                   : int(ImageCanvas::solidPresets().size());
    for (int index = 0; index < count; ++index) {
        ImageCanvasSettings look;
        look.backgroundMode = mode;
        look.selectedGradient = index;
        look.selectedSolid = index;
        const QString name = mode == ImageCanvasBackgroundMode::Gradients
            ? ImageCanvas::gradientPresets()[std::size_t(index)].name
            : ImageCanvas::solidPresets()[std::size_t(index)].name;
        auto *swatch = new ToolChoiceButton(L10n::text(name), QSize(kSwatchSide, kSwatchSide),
                                           [look](QPainter &painter, const QRectF &rect, bool selected,
                                                  const PanelStyle::Colors &colors) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(ImageCanvasRenderer::background(look));
            painter.drawRoundedRect(rect, 8, 8);
            const qreal line = selected ? 2 : 1;
            PanelStyle::strokeRounded(painter, rect.adjusted(line / 2, line / 2, -line / 2, -line / 2), 8,
                                      selected ? PanelStyle::withOpacity(colors.primary, 0.9) : colors.border, line);
            if (selected) {
                PanelIcons::paint(painter, rect.translated(0, 0.5), QStringLiteral("checkmark"), 9,
                                  PanelStyle::withOpacity(Qt::black, 0.55));
                PanelIcons::paint(painter, rect, QStringLiteral("checkmark"), 9, Qt::white);
            }
        });
        swatch->setToolTip(L10n::text(name));
        connect(swatch, &QAbstractButton::clicked, this, [this, mode, index] {
            change([mode, index](auto &s) {
                if (mode == ImageCanvasBackgroundMode::Gradients)
                    s.selectedGradient = index;
                else
                    s.selectedSolid = index;
            });
        });
        grid->addWidget(swatch, index / 5, index % 5, Qt::AlignCenter);
        tiles << swatch;
    }
    for (int column = 0; column < 5; ++column)
        grid->setColumnStretch(column, 1);
    return container;
}

QWidget *ImageCanvasControls::backgroundCard()
{
    QWidget *background = card(QStringLiteral("paintpalette"), L10n::text(QStringLiteral("Pozadie")));
    auto *modes = new QHBoxLayout;
    modes->setSpacing(5);
    for (ImageCanvasBackgroundMode mode : allCases<ImageCanvasBackgroundMode>()) {
        const QString label = L10n::text(rawValue(mode));
        auto *tile = new ToolChoiceButton(label, QSize(1, kModeTileHeight), segment(label, 10, false));
        tile->setStretchesHorizontally();
        connect(tile, &QAbstractButton::clicked, this, [this, mode] { change([mode](auto &s) { s.backgroundMode = mode; }); });
        modes->addWidget(tile);
        m_modeTiles << tile;
    }
    auto *layout = static_cast<QVBoxLayout *>(background->layout());
    layout->addLayout(modes);
    m_gradientGrid = swatchGrid(ImageCanvasBackgroundMode::Gradients, m_gradientSwatches);
    m_solidGrid = swatchGrid(ImageCanvasBackgroundMode::Solids, m_solidSwatches);
    layout->addWidget(m_gradientGrid);
    layout->addWidget(m_solidGrid);
    return background;
}

QWidget *ImageCanvasControls::cornerCard()
{
    QWidget *corners = card(QStringLiteral("rectangle"), L10n::text(QStringLiteral("Zaoblenie obrázka")));
    auto *layout = static_cast<QVBoxLayout *>(corners->layout());
    auto *styles = new QHBoxLayout;
    styles->setSpacing(5);
    for (ImageCornerStyle style : ImageCanvas::cornerStyles) {
        const QString label = L10n::text(ImageCanvas::label(style));
        auto *tile = new ToolChoiceButton(label, QSize(1, kCornerTileHeight), segment(label, 9, true));
        tile->setStretchesHorizontally();
        connect(tile, &QAbstractButton::clicked, this, [this, style] { change([style](auto &s) { s.cornerStyle = style; }); });
        styles->addWidget(tile);
        m_cornerTiles << tile;
    }
    layout->addLayout(styles);

    // The card's line is painted with the cards; this keeps its place.
    m_divider = new QWidget(corners);
    m_divider->setFixedHeight(1);
    layout->addWidget(m_divider);

    auto *shadowRow = new QHBoxLayout;
    const QString shadowLabel = L10n::text(QStringLiteral("Tieň pod obrázkom"));
    shadowRow->addWidget(titleRow(QStringLiteral("square.on.square"), shadowLabel, QFont::Medium, corners), 1);
    m_shadowSwitch = new ToolChoiceButton(shadowLabel, kSwitchSize, [](QPainter &painter, const QRectF &rect, bool on,
                                                                       const PanelStyle::Colors &colors) {
        const qreal radius = rect.height() / 2;
        PanelStyle::fillRounded(painter, rect, radius, on ? colors.accent : colors.controlSurface);
        PanelStyle::strokeRounded(painter, rect.adjusted(0.5, 0.5, -0.5, -0.5), radius, colors.border);
        const qreal knob = rect.height() - 4;
        const qreal x = on ? rect.right() - 2 - knob : rect.left() + 2;
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::white);
        painter.drawEllipse(QRectF(x, rect.top() + 2, knob, knob));
    });
    m_shadowSwitch->setCheckable(true);
    connect(m_shadowSwitch, &QAbstractButton::toggled, this,
            [this](bool on) { change([on](auto &s) { s.hasImageShadow = on; }); });
    shadowRow->addWidget(m_shadowSwitch);
    layout->addLayout(shadowRow);
    return corners;
}

void ImageCanvasControls::refresh()
{
    const auto aspects = allCases<ImageCanvasAspect>();
    for (qsizetype i = 0; i < m_aspectTiles.size(); ++i)
        m_aspectTiles[i]->setSelected(aspects[std::size_t(i)] == m_settings.aspect);
    const auto modes = allCases<ImageCanvasBackgroundMode>();
    for (qsizetype i = 0; i < m_modeTiles.size(); ++i)
        m_modeTiles[i]->setSelected(modes[std::size_t(i)] == m_settings.backgroundMode);
    for (qsizetype i = 0; i < m_cornerTiles.size(); ++i)
        m_cornerTiles[i]->setSelected(ImageCanvas::cornerStyles[std::size_t(i)] == m_settings.cornerStyle);
    for (qsizetype i = 0; i < m_gradientSwatches.size(); ++i)
        m_gradientSwatches[i]->setSelected(i == m_settings.selectedGradient);
    for (qsizetype i = 0; i < m_solidSwatches.size(); ++i)
        m_solidSwatches[i]->setSelected(i == m_settings.selectedSolid);
    const bool gradients = m_settings.backgroundMode == ImageCanvasBackgroundMode::Gradients;
    m_gradientGrid->setVisible(gradients);
    m_solidGrid->setVisible(!gradients);
    m_shadowSwitch->setChecked(m_settings.hasImageShadow);
    m_shadowSwitch->setSelected(m_settings.hasImageShadow);
}

void ImageCanvasControls::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const PanelStyle::Colors &colors = PanelStyle::colors(this);
    for (QWidget *card : std::as_const(m_cards))
        PanelStyle::fillRounded(painter, QRectF(card->geometry()), kCardRadius, colors.surface);
    const QRect line(m_divider->mapTo(this, QPoint()), m_divider->size());
    painter.fillRect(line, colors.border);
}
