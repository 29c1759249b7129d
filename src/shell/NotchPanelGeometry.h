#pragma once

#include <QRect>
#include <QRegion>
#include <QSizeF>

// Where the notch panel window sits and which of its pixels are drawn, in Qt's screen
// coordinates (y grows downwards). The outline itself and the pointer test are the core's
// TarnelNotchShape and NotchHitRegion; this only places them in the window system.
namespace NotchPanelGeometry {

// The panel's frame, where its view is laid out: expanded size, centred on the screen, its top
// edge at the given row (the screen's top, or the lower edge of the desktop's bar there). The
// window itself covers only the part of it that is drawn.
QRect panelFrame(const QRect &screenGeometry, int top);

// The notch outline of the given visible size, centred in a panel of the given width and
// hanging from its top edge, as a region of the frame's pixels.
QRegion notchRegion(const QSizeF &visibleSize, int panelWidth);

} // namespace NotchPanelGeometry
