#include "ui/panel/EntryOverflowButton.h"

#include "ui/style/PanelIcons.h"
#include "ui/style/PanelMotion.h"
#include "ui/style/PanelStyle.h"

#include <QPainter>

EntryOverflowButton::EntryOverflowButton(const QString &symbol, QWidget *parent)
    : QAbstractButton(parent), m_symbol(symbol)
{
    setFixedSize(kSide, kSide);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
}

void EntryOverflowButton::setSymbol(const QString &symbol)
{
    m_symbol = symbol;
    update();
}

void EntryOverflowButton::setOpen(bool open)
{
    if (m_open == open)
        return;
    m_open = open;
    animateHighlight();
}

void EntryOverflowButton::setDestructive(bool destructive)
{
    m_destructive = destructive;
    update();
}

void EntryOverflowButton::enterEvent(QEnterEvent *event)
{
    QAbstractButton::enterEvent(event);
    m_hovered = true;
    animateHighlight();
}

void EntryOverflowButton::leaveEvent(QEvent *event)
{
    QAbstractButton::leaveEvent(event);
    m_hovered = false;
    animateHighlight();
}

void EntryOverflowButton::animateHighlight()
{
    PanelMotion::animate(this, "highlight", m_highlight, m_open || m_hovered ? 1.0 : 0.0, kHighlightDuration,
                         PanelMotion::easeOut(), [this](const QVariant &value) {
                             m_highlight = value.toReal();
                             update();
                         });
}

void EntryOverflowButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const PanelStyle::Colors &c = PanelStyle::colors(this);
    const QColor tint = m_destructive ? c.systemRed : c.accent;
    const bool pressed = isDown();
    if (pressed) {
        // Shrinks around the centre.
        painter.translate(width() / 2.0, height() / 2.0);
        painter.scale(kPressedScale, kPressedScale);
        painter.translate(-width() / 2.0, -height() / 2.0);
    }
    const QColor tintedFill = PanelStyle::withOpacity(tint, pressed ? 0.19 : 0.11);
    PanelStyle::fillRounded(painter, rect(), kCornerRadius, PanelStyle::mix(c.surface, tintedFill, m_highlight));
    if (!isEnabled())
        painter.setOpacity(0.35);
    PanelIcons::paint(painter, rect(), m_symbol, kSymbolPointSize, PanelStyle::mix(c.secondary, tint, m_highlight));
}
