#pragma once

#include <QFont>
#include <QRectF>
#include <QString>

#include <functional>

class QPainter;

// Text drawing shared by the painted views: one-line texts that may be elided, and fixed texts
// (badge labels, button titles, times) that must never be cut. A fixed text drawn into a
// rectangle narrower or lower than it needs is a layout fault: it is drawn anyway and reported
// to the installed observer, which the snapshot test uses to catch cut labels in every view.
namespace PanelText {

// Width of the text in the font, rounded up to whole pixels.
int width(const QFont &font, const QString &text);
// Height of one line of the font.
int lineHeight(const QFont &font);

// One line, elided at the end when it does not fit the width.
void drawElided(QPainter &painter, const QRectF &rect, const QFont &font, const QString &text,
                Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter);
// One line that must fit whole; reports a cut to the observer.
void drawFixed(QPainter &painter, const QRectF &rect, const QFont &font, const QString &text,
               Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter);

// Wrapped lines with extra space between them; returns the height used (or that would be used
// when painter is null).
qreal drawWrapped(QPainter *painter, const QRectF &rect, const QFont &font, const QString &text,
                  Qt::Alignment alignment, qreal lineSpacing);

// Told of every fixed text that did not fit: the text and the room it had.
using CutObserver = std::function<void(const QString &text, const QRectF &room)>;
void setCutObserver(CutObserver observer);
// Reports a cut fixed element drawn by other means (a widget shown smaller than it needs).
void reportCut(const QString &what, const QRectF &room);

} // namespace PanelText
