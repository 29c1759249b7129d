#include "ui/style/PanelScrollBar.h"

#include "ui/style/PanelStyle.h"

#include <QPainter>
#include <QStyleOptionSlider>

namespace {

// The thumb: inset from the bar's edges, half transparent, as the panel's lists show theirs.
constexpr qreal kThumbInset = 2;
constexpr qreal kThumbOpacity = 0.45;

} // namespace

PanelScrollBar::PanelScrollBar(Qt::Orientation orientation, QWidget *parent)
    : QScrollBar(orientation, parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void PanelScrollBar::paintEvent(QPaintEvent *)
{
    if (maximum() <= minimum())
        return;
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRectF thumb = QRectF(style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this))
                             .adjusted(kThumbInset, kThumbInset, -kThumbInset, -kThumbInset);
    if (thumb.isEmpty())
        return;
    QPainter painter(this);
    const qreal radius = std::min(thumb.width(), thumb.height()) / 2;
    PanelStyle::fillRounded(painter, thumb, radius, PanelStyle::withOpacity(PanelStyle::colors(this).secondary, kThumbOpacity));
}
