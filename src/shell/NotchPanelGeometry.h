#pragma once

#include <QPainterPath>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QSizeF>

// Where the notch panel sits and which of its pixels are the notch, in Qt's screen
// coordinates (y grows downwards).
namespace NotchPanelGeometry {

// The panel window's frame: expanded size, centred on the screen, top edge on its top edge.
QRect panelFrame(const QRect &screenGeometry);

// The notch outline for a rectangle.
QPainterPath notchPath(const QRectF &rect);

// The notch of the given visible size, centred in a panel of the given width and hanging
// from its top edge, as a region of the panel's own pixels.
QRegion notchRegion(const QSizeF &visibleSize, int panelWidth);

// Whether a screen point lies inside that notch.
bool contains(const QPoint &point, const QRect &panelFrame, const QSizeF &visibleSize);

} // namespace NotchPanelGeometry
