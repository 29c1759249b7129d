#include "ui/style/PanelButton.h"

#include "ui/style/PanelIcons.h"
#include "ui/style/PanelMotion.h"
#include "ui/style/PanelText.h"

#include <QEnterEvent>
#include <QPainter>

namespace {

QColor mix(const QColor &from, const QColor &to, qreal t)
{
    const auto lerp = [t](float a, float b) { return a + (b - a) * float(t); };
    return QColor::fromRgbF(lerp(from.redF(), to.redF()), lerp(from.greenF(), to.greenF()),
                            lerp(from.blueF(), to.blueF()), lerp(from.alphaF(), to.alphaF()));
}

} // namespace

PanelButton::PanelButton(const QString &title, bool prominent, int height, int horizontalPadding, QWidget *parent)
    : QAbstractButton(parent)
{
    m_look.prominent = prominent;
    m_look.title = title;
    m_look.horizontalPadding = horizontalPadding;
    setFixedHeight(height);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setAccessibleName(title);
}

void PanelButton::setSymbol(const QString &symbol, qreal pointSize)
{
    m_look.symbol = symbol;
    m_look.symbolPointSize = pointSize;
    updateGeometry();
    update();
}

void PanelButton::setTrailingSymbol(const QString &symbol, qreal pointSize)
{
    m_look.trailingSymbol = symbol;
    m_look.trailingSymbolPointSize = pointSize;
    updateGeometry();
    update();
}

void PanelButton::setProminent(bool prominent)
{
    if (m_look.prominent == prominent)
        return;
    m_look.prominent = prominent;
    update();
}

void PanelButton::setDestructive(bool destructive)
{
    if (m_look.destructive == destructive)
        return;
    m_look.destructive = destructive;
    update();
}

void PanelButton::setTitle(const QString &title)
{
    if (m_look.title == title)
        return;
    m_look.title = title;
    setAccessibleName(title);
    updateGeometry();
    update();
}

int PanelButton::widthFor(const Look &look)
{
    int content = 0;
    if (!look.symbol.isEmpty())
        content += int(PanelIcons::side(look.symbolPointSize));
    if (!look.title.isEmpty()) {
        if (content > 0)
            content += int(kSymbolSpacing);
        content += PanelText::width(PanelStyle::font(kFontSize, QFont::DemiBold), look.title);
    }
    if (!look.trailingSymbol.isEmpty())
        content += int(kSymbolSpacing + PanelIcons::side(look.trailingSymbolPointSize));
    return content + 2 * look.horizontalPadding;
}

QSize PanelButton::sizeHint() const { return QSize(widthFor(m_look), height()); }

QColor PanelButton::fillFor(const Look &look, const State &state, const PanelStyle::Colors &colors)
{
    if (look.destructive) {
        if (state.pressed)
            return PanelStyle::withOpacity(colors.systemRed, 0.72);
        return PanelStyle::withOpacity(colors.systemRed, 0.86 + (0.92 - 0.86) * state.hover);
    }
    if (look.prominent) {
        if (state.pressed)
            return PanelStyle::withOpacity(colors.accent, 0.72);
        return PanelStyle::withOpacity(colors.accent, 0.86 + (0.92 - 0.86) * state.hover);
    }
    if (state.pressed)
        return colors.pressedSurface;
    return mix(colors.controlSurface, colors.hoverSurface, state.hover);
}

void PanelButton::paintLook(QPainter &painter, const QRectF &rect, const Look &look, const State &state,
                            const PanelStyle::Colors &colors)
{
    painter.save();
    if (!state.enabled)
        painter.setOpacity(painter.opacity() * kDisabledOpacity);
    PanelStyle::fillRounded(painter, rect, kCornerRadius, fillFor(look, state, colors));

    const QColor foreground = look.prominent || look.destructive ? colors.prominentForeground : colors.primary;
    const QFont font = PanelStyle::font(kFontSize, QFont::DemiBold);
    const qreal symbolSide = look.symbol.isEmpty() ? 0 : PanelIcons::side(look.symbolPointSize);
    const qreal titleWidth = look.title.isEmpty() ? 0 : PanelText::width(font, look.title);
    const qreal content = symbolSide + titleWidth + (symbolSide > 0 && titleWidth > 0 ? kSymbolSpacing : 0);
    // The label is centred, or leads when a trailing symbol takes the other end; a button
    // narrower than its label still shows it from the padding on.
    const qreal trailingSide = look.trailingSymbol.isEmpty() ? 0 : PanelIcons::side(look.trailingSymbolPointSize);
    qreal right = rect.right() - look.horizontalPadding;
    if (trailingSide > 0) {
        PanelIcons::paint(painter, QRectF(right - trailingSide, rect.top(), trailingSide, rect.height()),
                          look.trailingSymbol, look.trailingSymbolPointSize, foreground);
        right -= trailingSide + kSymbolSpacing;
    }
    qreal x = trailingSide > 0 ? rect.left() + look.horizontalPadding
                               : std::max(rect.left() + look.horizontalPadding, rect.center().x() - content / 2);
    if (symbolSide > 0) {
        PanelIcons::paint(painter, QRectF(x, rect.top(), symbolSide, rect.height()), look.symbol,
                          look.symbolPointSize, foreground);
        x += symbolSide + kSymbolSpacing;
    }
    if (titleWidth > 0) {
        painter.setPen(foreground);
        const qreal room = right - x;
        PanelText::drawFixed(painter, QRectF(x, rect.top(), std::max<qreal>(room, 0), rect.height()), font, look.title);
    }
    painter.restore();
}

void PanelButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintLook(painter, rect(), m_look, State{m_hover, isDown(), isEnabled()}, PanelStyle::colors(this));
}

void PanelButton::enterEvent(QEnterEvent *event)
{
    QAbstractButton::enterEvent(event);
    animateHover(true);
}

void PanelButton::leaveEvent(QEvent *event)
{
    QAbstractButton::leaveEvent(event);
    animateHover(false);
}

void PanelButton::animateHover(bool hovered)
{
    PanelMotion::animate(this, "hover", m_hover, hovered ? 1.0 : 0.0, kHoverDuration, PanelMotion::easeOut(),
                         [this](const QVariant &value) {
                             m_hover = value.toReal();
                             update();
                         });
}
