#include "ui/panel/MenuBackButton.h"

#include "ui/style/PanelIcons.h"
#include "ui/style/PanelStyle.h"

#include <QPainter>

MenuBackButton::MenuBackButton(const QString &symbol, QWidget *parent) : QAbstractButton(parent), m_symbol(symbol)
{
    setFixedSize(kWidth, kHeight);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
}

void MenuBackButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const PanelStyle::Colors &c = PanelStyle::colors(this);
    PanelStyle::fillRounded(painter, rect(), kCornerRadius, isDown() ? c.pressedSurface : c.controlSurface);
    PanelIcons::paint(painter, rect(), m_symbol, kFontSize, c.secondary);
}
