#include "ui/panel/IconTile.h"

#include "ui/style/PanelIcons.h"
#include "ui/style/PanelStyle.h"

#include <QPainter>

IconTile::IconTile(const QString &symbol, qreal symbolPointSize, int side, qreal radius, qreal tintOpacity,
                   QWidget *parent)
    : QWidget(parent), m_symbol(symbol), m_symbolPointSize(symbolPointSize), m_radius(radius), m_tintOpacity(tintOpacity)
{
    setFixedSize(side, side);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void IconTile::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const PanelStyle::Colors &colors = PanelStyle::colors(this);
    PanelStyle::fillRounded(painter, rect(), m_radius, PanelStyle::withOpacity(colors.accent, m_tintOpacity));
    PanelIcons::paint(painter, rect(), m_symbol, m_symbolPointSize, colors.accent);
}
