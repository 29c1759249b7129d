#include "shell/NotchPanelGeometry.h"

#include "shell/PanelTimings.h"

#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace NotchPanelGeometry {

QRect panelFrame(const QRect &screenGeometry)
{
    const QSize size = PanelMetrics::expandedSize.toSize();
    const int x = screenGeometry.x() + static_cast<int>(std::lround(screenGeometry.width() / 2.0 - size.width() / 2.0));
    return QRect(QPoint(x, screenGeometry.y()), size);
}

QPainterPath notchPath(const QRectF &rect)
{
    constexpr qreal maximumRadius = 22;
    const qreal r = std::min({rect.width() / 2, rect.height() / 2, maximumRadius});
    QPainterPath path;
    path.moveTo(rect.left(), rect.top());
    path.lineTo(rect.right(), rect.top());
    path.lineTo(rect.right(), rect.bottom() - r);
    path.quadTo(rect.right(), rect.bottom(), rect.right() - r, rect.bottom());
    path.lineTo(rect.left() + r, rect.bottom());
    path.quadTo(rect.left(), rect.bottom(), rect.left(), rect.bottom() - r);
    path.closeSubpath();
    return path;
}

QRegion notchRegion(const QSizeF &visibleSize, int panelWidth)
{
    if (visibleSize.isEmpty())
        return QRegion();
    const QRectF rect((panelWidth - visibleSize.width()) / 2.0, 0, visibleSize.width(), visibleSize.height());
    return QRegion(notchPath(rect).toFillPolygon().toPolygon());
}

bool contains(const QPoint &point, const QRect &panelFrame, const QSizeF &visibleSize)
{
    const QPointF local(point.x() - (panelFrame.x() + panelFrame.width() / 2.0 - visibleSize.width() / 2.0),
                        point.y() - panelFrame.y());
    if (local.x() < 0 || local.y() < 0 || local.x() >= visibleSize.width() || local.y() >= visibleSize.height())
        return false;
    // Only the two bottom corners are rounded: above them the rectangle is the answer.
    constexpr qreal maximumRadius = 22;
    if (local.y() < visibleSize.height() - std::min({visibleSize.width() / 2, visibleSize.height() / 2, maximumRadius}))
        return true;
    return notchPath(QRectF(QPointF(0, 0), visibleSize)).contains(local);
}

} // namespace NotchPanelGeometry
