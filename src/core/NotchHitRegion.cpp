#include "core/NotchHitRegion.h"

#include "core/TarnelNotchShape.h"

namespace NotchHitRegion {

bool contains(const QPointF &point, const QRectF &panelFrame, const QSizeF &visibleSize)
{
    const qreal width = visibleSize.width();
    const qreal height = visibleSize.height();
    // Into the visible area's own space: x from its left edge, y down from the frame's top edge.
    const qreal x = point.x() - (panelFrame.center().x() - width / 2);
    const qreal y = point.y() - panelFrame.top();
    // Written so that NaN and empty or negative sizes fall out as "outside".
    if (!(x >= 0 && y >= 0 && x < width && y < height))
        return false;

    return TarnelNotchShape().path(QRectF(0, 0, width, height)).contains(QPointF(x, y));
}

} // namespace NotchHitRegion
