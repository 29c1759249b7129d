#pragma once

#include <QPainterPath>
#include <QRectF>

// The outline of the panel that hangs from the top edge of the screen: a straight top edge with
// square corners and two rounded bottom corners. Coordinates are Qt's, y growing downwards.
class TarnelNotchShape
{
public:
    static constexpr qreal maximumCornerRadius = 22.0;

    // min(width / 2, height / 2, 22), never negative.
    static qreal cornerRadius(const QRectF &rect);

    // One closed outline filling rect. The bottom corners are quadratic curves whose control
    // point is the rectangle's corner (a softer bend than a circular arc), non-zero fill rule.
    QPainterPath path(const QRectF &rect) const;
};
