#pragma once

#include "core/ClipboardAppearance.h"

#include <QColor>
#include <QFont>
#include <QLinearGradient>
#include <QRectF>

class QPainter;
class QWidget;

// The one palette of every window, panel, popover and sheet. A view never picks a colour or a
// font of its own: it asks for the colours of the scheme it is drawn in and paints with them.
//
// A window root gets its scheme once with applyScheme(); every widget below it finds that scheme
// through colors(this) at paint time, so switching the appearance repaints the same widgets in
// the other variant without re-creating anything. A tree without an applied scheme follows the
// desktop's (Qt's palette).
namespace PanelStyle {

enum class Scheme { Dark, Light };

struct Colors {
    QColor accent;                // icons, selection, prominent buttons, tinted tiles
    QColor prominentForeground;   // text and symbols on an accent fill
    QColor primary;               // main text
    QColor secondary;             // secondary text, badges
    QColor muted;                 // hints and meta text
    QColor surface;               // cards, rows, text fields
    QColor controlSurface;        // buttons and badges at rest
    QColor searchFieldBackground; // search fields
    QColor hoverSurface;          // controls under the pointer
    QColor pressedSurface;        // pressed controls
    QColor border;                // strokes around sheets, cards and canvases
    QColor divider;               // separator lines
    QColor navigationSurface;     // the section strip and the guide's sidebar
    QColor quickAccessBackground; // the Quick Access popover
    QColor backgroundStart;       // the background gradient's top-left stop
    QColor backgroundEnd;         // the background gradient's bottom-right stop
    // The desktop's warning hues, for destructive controls and expiring entries.
    QColor systemRed;
    QColor systemOrange;
    // The platform's standard blue, under white text: the selected Quick Access row.
    QColor systemBlue;
};

// The variants, made once and shared.
const Colors &colors(Scheme scheme);
// The colours of the scheme the widget is drawn in.
const Colors &colors(const QWidget *widget);

// The light variant for the light appearance, the dark one otherwise.
Scheme schemeFor(ClipboardAppearance appearance);
// The desktop's own choice, from the lightness of Qt's window colour.
Scheme systemScheme();
// The scheme applied to the widget or its nearest ancestor; the desktop's when there is none.
Scheme schemeOf(const QWidget *widget);
// Gives a window (or any subtree) its scheme: standard widgets below it get a palette made of
// the kit's colours, and the subtree repaints. Cheap enough to call on every appearance change.
void applyScheme(QWidget *root, Scheme scheme);
// The palette applyScheme gives to standard widgets (line edits, text areas, scroll bars).
QPalette palette(Scheme scheme);

// A menu in the kit's colours and font for the scheme. A menu is a window of its own and
// takes nothing from the widget that opens it, so each menu is given its scheme when it opens.
void styleMenu(QWidget *menu, Scheme scheme);

// A colour at a fraction of its own opacity ("accent at 0.72").
QColor withOpacity(const QColor &color, qreal opacity);

// The panel background: a linear gradient from the rectangle's top-left to its bottom-right.
QLinearGradient background(const QRectF &rect, Scheme scheme);
void fillBackground(QPainter &painter, const QRectF &rect, Scheme scheme);

// The interface font (Inter at design points, weights as QFont::Weight).
QFont font(qreal size, int weight = QFont::Normal);
// Inter for texts the user copied: no ligatures or contextual alternates, so "=>", "->" or
// "fi" show exactly the characters that were copied.
QFont exactFont(qreal size, int weight = QFont::Normal);

// Makes Inter 12 the base font of every window and sheet, so that standard widgets (menus,
// tooltips, dialogs) draw in it too. Called once at start.
void installApplicationFont();

// The monospaced face for values and counts in detail lines (the desktop's fixed font).
QFont monospaceFont(qreal size);

// Rounded rectangle as the kit draws every card, button and tile (antialiased, no pen).
void fillRounded(QPainter &painter, const QRectF &rect, qreal radius, const QColor &color);
void strokeRounded(QPainter &painter, const QRectF &rect, qreal radius, const QColor &color, qreal width = 1);

} // namespace PanelStyle
