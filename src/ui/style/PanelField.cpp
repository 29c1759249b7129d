#include "ui/style/PanelField.h"

#include "ui/style/PanelStyle.h"

#include <QPainter>

PanelField::PanelField(QWidget *parent, bool search) : QLineEdit(parent), m_search(search)
{
    setFrame(false);
    setAttribute(Qt::WA_MacShowFocusRect, false);
    setFont(PanelStyle::font(kFontSize));
    setFixedHeight(kHeight);
    setTextMargins(kHorizontalPadding, 0, kHorizontalPadding, 0);
    // The kit's palette leaves the base transparent, so only the rounded fill below shows.
    setAutoFillBackground(false);
}

void PanelField::paintEvent(QPaintEvent *event)
{
    {
        QPainter painter(this);
        const PanelStyle::Colors &colors = PanelStyle::colors(this);
        PanelStyle::fillRounded(painter, rect(), kCornerRadius, m_search ? colors.searchFieldBackground : colors.surface);
    }
    QLineEdit::paintEvent(event);
}
