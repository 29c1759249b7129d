#include "ui/style/PanelText.h"

#include "core/Logging.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

#include <cmath>

namespace PanelText {
namespace {
CutObserver g_observer;
// Sub-pixel differences between measuring and drawing are not cuts.
constexpr qreal kTolerance = 0.5;
} // namespace

int width(const QFont &font, const QString &text)
{
    return int(std::ceil(QFontMetricsF(font).horizontalAdvance(text)));
}

int lineHeight(const QFont &font) { return int(std::ceil(QFontMetricsF(font).height())); }

void drawElided(QPainter &painter, const QRectF &rect, const QFont &font, const QString &text,
                Qt::Alignment alignment)
{
    const QFontMetricsF metrics(font);
    const QString shown = metrics.elidedText(text, Qt::ElideRight, rect.width());
    painter.save();
    painter.setFont(font);
    painter.drawText(rect, int(alignment) | Qt::TextSingleLine, shown);
    painter.restore();
}

void drawFixed(QPainter &painter, const QRectF &rect, const QFont &font, const QString &text,
               Qt::Alignment alignment)
{
    const QFontMetricsF metrics(font);
    if (metrics.horizontalAdvance(text) > rect.width() + kTolerance || metrics.height() > rect.height() + kTolerance)
        reportCut(text, rect);
    painter.save();
    painter.setFont(font);
    painter.drawText(rect, int(alignment) | Qt::TextSingleLine | Qt::TextDontClip, text);
    painter.restore();
}

qreal drawWrapped(QPainter *painter, const QRectF &rect, const QFont &font, const QString &text,
                  Qt::Alignment alignment, qreal lineSpacing)
{
    // A text layout breaks lines only at line separators; a line feed would be dropped unseen.
    QString lines = text;
    lines.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout layout(lines, font);
    QTextOption option(alignment & Qt::AlignHorizontal_Mask);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    qreal y = 0;
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(rect.width());
        if (y > 0)
            y += lineSpacing;
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout.endLayout();
    if (painter)
        layout.draw(painter, rect.topLeft());
    return std::ceil(y);
}

void setCutObserver(CutObserver observer) { g_observer = std::move(observer); }

void reportCut(const QString &what, const QRectF &room)
{
    qCWarning(lcUi) << "A fixed-size text does not fit its room of" << room.size();
    if (g_observer)
        g_observer(what, room);
}

} // namespace PanelText
