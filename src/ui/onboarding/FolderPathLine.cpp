#include "ui/onboarding/FolderPathLine.h"

#include "ui/style/PanelStyle.h"
#include "ui/style/PanelText.h"

#include <QFontMetricsF>
#include <QPainter>

FolderPathLine::FolderPathLine(const QString &path, qreal pointSize, QWidget *parent)
    : QWidget(parent), m_path(path)
{
    setFont(PanelStyle::font(pointSize));
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    setAccessibleName(path);
    setToolTip(path);
}

QStringList FolderPathLine::lines(int width) const
{
    const QFontMetricsF metrics(font());
    if (width <= 0 || metrics.horizontalAdvance(m_path) <= width)
        return {m_path};
    // The first line takes as many characters as fit; the rest goes on the second, shortened
    // in its middle when it is still too long.
    int cut = 1;
    while (cut < m_path.size() && metrics.horizontalAdvance(m_path.left(cut + 1)) <= width)
        ++cut;
    return {m_path.left(cut), metrics.elidedText(m_path.mid(cut), Qt::ElideMiddle, width)};
}

int FolderPathLine::heightForWidth(int width) const
{
    return int(lines(width).size()) * PanelText::lineHeight(font());
}

QSize FolderPathLine::sizeHint() const
{
    return {PanelText::width(font(), m_path), PanelText::lineHeight(font())};
}

QSize FolderPathLine::minimumSizeHint() const
{
    return {0, PanelText::lineHeight(font())};
}

void FolderPathLine::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(PanelStyle::colors(this).secondary);
    painter.setFont(font());
    const int line = PanelText::lineHeight(font());
    int top = 0;
    for (const QString &text : lines(width())) {
        painter.drawText(QRectF(0, top, width(), line), Qt::AlignLeft | Qt::AlignVCenter, text);
        top += line;
    }
}
