#include "ui/style/ShortcutBadge.h"

#include "ui/style/PanelText.h"

#include <QPainter>

namespace {
QFont badgeFont() { return PanelStyle::font(ShortcutBadge::kFontSize, QFont::Medium); }
} // namespace

ShortcutBadge::ShortcutBadge(const QString &text, QWidget *parent) : QWidget(parent), m_text(text)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void ShortcutBadge::setText(const QString &text)
{
    if (m_text == text)
        return;
    m_text = text;
    updateGeometry();
    update();
}

QSize ShortcutBadge::sizeFor(const QString &text)
{
    const QFont font = badgeFont();
    return QSize(PanelText::width(font, text) + 2 * kHorizontalPadding,
                 PanelText::lineHeight(font) + 2 * kVerticalPadding);
}

void ShortcutBadge::paint(QPainter &painter, const QRectF &rect, const QString &text, const PanelStyle::Colors &colors)
{
    PanelStyle::fillRounded(painter, rect, kCornerRadius, colors.controlSurface);
    painter.save();
    painter.setPen(colors.secondary);
    PanelText::drawFixed(painter, rect.adjusted(kHorizontalPadding, kVerticalPadding, -kHorizontalPadding, -kVerticalPadding),
                         badgeFont(), text, Qt::AlignCenter);
    painter.restore();
}

void ShortcutBadge::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paint(painter, rect(), m_text, PanelStyle::colors(this));
}
