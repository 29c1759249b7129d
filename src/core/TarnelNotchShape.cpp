#include "core/TarnelNotchShape.h"

#include <algorithm>

qreal TarnelNotchShape::cornerRadius(const QRectF &rect)
{
    const QRectF r = rect.normalized();
    return std::max<qreal>(0.0, std::min({r.width() / 2, r.height() / 2, maximumCornerRadius}));
}

QPainterPath TarnelNotchShape::path(const QRectF &rect) const
{
    const QRectF r = rect.normalized();
    const qreal radius = cornerRadius(r);
    QPainterPath outline;
    outline.setFillRule(Qt::WindingFill);
    outline.moveTo(r.left(), r.top());
    outline.lineTo(r.right(), r.top());
    outline.lineTo(r.right(), r.bottom() - radius);
    outline.quadTo(r.bottomRight(), QPointF(r.right() - radius, r.bottom()));
    outline.lineTo(r.left() + radius, r.bottom());
    outline.quadTo(r.bottomLeft(), QPointF(r.left(), r.bottom() - radius));
    outline.lineTo(r.left(), r.top());
    outline.closeSubpath();
    return outline;
}
