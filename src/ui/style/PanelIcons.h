#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QRectF>
#include <QString>
#include <QStringList>

class QPainter;

// The symbols of the views, named as the design names them ("doc.on.clipboard", "pin.fill"),
// mapped in one table to SVG files shipped in the resources and drawn in a kit colour. They look
// the same on every desktop, whatever icon theme the user has.
namespace PanelIcons {

// The resource path of a symbol's SVG; empty for a name the table does not hold.
QString resourcePath(const QString &symbol);
// Every symbol name the table holds.
QStringList symbols();

// Side of the square a symbol takes when drawn at a font size, as text symbols are.
qreal side(qreal pointSize);

// The symbol as a tinted pixmap of `side` device-independent pixels at the device pixel ratio;
// cached, so repeated paints cost a hash look-up. Unknown names give a null pixmap (logged once).
QPixmap pixmap(const QString &symbol, qreal side, const QColor &tint, qreal devicePixelRatio = 1.0);
// Draws the symbol centred in `rect`, as large as side(pointSize).
void paint(QPainter &painter, const QRectF &rect, const QString &symbol, qreal pointSize, const QColor &tint);
// For standard widgets that take a QIcon (menus, tool buttons).
QIcon icon(const QString &symbol, const QColor &tint);

} // namespace PanelIcons
