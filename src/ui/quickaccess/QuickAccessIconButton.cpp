#include "ui/quickaccess/QuickAccessIconButton.h"

#include "ui/style/PanelIcons.h"
#include "ui/style/PanelStyle.h"

#include <QPainter>

QuickAccessIconButton::QuickAccessIconButton(const QString &symbol, Look look, const QString &help, QWidget *parent)
    : QAbstractButton(parent)
    , m_symbol(symbol)
    , m_look(look)
{
    setFixedSize(look.side, look.side);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setToolTip(help);
    setAccessibleName(help);
}

void QuickAccessIconButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const PanelStyle::Colors &colors = PanelStyle::colors(this);
    if (!m_look.flat)
        PanelStyle::fillRounded(painter, rect(), m_look.cornerRadius,
                                isDown() ? colors.pressedSurface : underMouse() ? colors.hoverSurface : colors.controlSurface);
    PanelIcons::paint(painter, rect(), m_symbol, m_look.symbolSize, colors.secondary);
}
