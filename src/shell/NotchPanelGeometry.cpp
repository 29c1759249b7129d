#include "shell/NotchPanelGeometry.h"

#include "core/TarnelNotchShape.h"
#include "shell/PanelTimings.h"

#include <QPainterPath>
#include <QPolygonF>

#include <cmath>

namespace NotchPanelGeometry {

QRect panelFrame(const QRect &screenGeometry, int top)
{
    const QSize size = PanelMetrics::expandedSize.toSize();
    const int x = screenGeometry.x() + static_cast<int>(std::lround(screenGeometry.width() / 2.0 - size.width() / 2.0));
    return QRect(QPoint(x, top), size);
}

QRegion notchRegion(const QSizeF &visibleSize, int panelWidth)
{
    if (visibleSize.isEmpty())
        return QRegion();
    const QRectF rect((panelWidth - visibleSize.width()) / 2.0, 0, visibleSize.width(), visibleSize.height());
    return QRegion(TarnelNotchShape().path(rect).toFillPolygon().toPolygon());
}

} // namespace NotchPanelGeometry
