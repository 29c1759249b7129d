#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>

// Whether a screen point lies on the visible part of the notch panel, so that pointer events
// elsewhere pass through the transparent rest of the panel window and hover can be detected.
namespace NotchHitRegion {

// point and panelFrame are global screen coordinates as Qt gives them (y grows downwards).
// The visible area, visibleSize large, is centred horizontally on the frame and hangs from its
// top edge; inside it the outline of TarnelNotchShape decides. Top and left edges count as
// inside, bottom and right edges do not.
bool contains(const QPointF &point, const QRectF &panelFrame, const QSizeF &visibleSize);

} // namespace NotchHitRegion
