#include "ui/panel/MasonryGridLayout.h"

#include <QWidget>

#include <cmath>
#include <vector>

MasonryGridLayout::Placement MasonryGridLayout::place(qreal width, int columns, qreal spacing, int count,
                                                      const std::function<qreal(int, qreal)> &heightAt)
{
    const int n = std::max(1, columns);
    qreal columnWidth = (width - (n - 1) * spacing) / n;
    if (!(columnWidth >= 0)) // negative or not a number
        columnWidth = 0;
    std::vector<qreal> heights(std::size_t(n), 0.0);
    Placement placement;
    placement.rects.reserve(count);
    for (int i = 0; i < count; ++i) {
        std::size_t shortest = 0;
        for (std::size_t c = 1; c < heights.size(); ++c) {
            if (heights[c] < heights[shortest])
                shortest = c;
        }
        const qreal h = heightAt(i, columnWidth);
        const qreal y = heights[shortest];
        placement.rects.append(QRectF(qreal(shortest) * (columnWidth + spacing), y, columnWidth, h));
        heights[shortest] = y + h + spacing;
    }
    const qreal tallest = *std::max_element(heights.begin(), heights.end());
    const qreal total = count == 0 ? tallest : tallest - spacing;
    placement.height = total >= 0 ? total : 0;
    return placement;
}

MasonryGridLayout::MasonryGridLayout(int columns, int spacing, QWidget *parent) : QLayout(parent), m_columns(columns)
{
    setSpacing(spacing);
    setContentsMargins(0, 0, 0, 0);
}

MasonryGridLayout::~MasonryGridLayout()
{
    while (QLayoutItem *item = takeAt(0))
        delete item;
}

void MasonryGridLayout::setColumns(int columns)
{
    if (m_columns == columns)
        return;
    m_columns = columns;
    invalidate();
}

void MasonryGridLayout::addItem(QLayoutItem *item)
{
    m_items.append(item);
    invalidate();
}

QLayoutItem *MasonryGridLayout::itemAt(int index) const
{
    return index >= 0 && index < m_items.size() ? m_items.at(index) : nullptr;
}

QLayoutItem *MasonryGridLayout::takeAt(int index)
{
    if (index < 0 || index >= m_items.size())
        return nullptr;
    QLayoutItem *item = m_items.takeAt(index);
    invalidate();
    return item;
}

MasonryGridLayout::Placement MasonryGridLayout::placementFor(qreal width) const
{
    return place(width, m_columns, spacing(), int(m_items.size()), [this](int i, qreal w) -> qreal {
        const QLayoutItem *item = m_items.at(i);
        return item->hasHeightForWidth() ? item->heightForWidth(int(w)) : item->sizeHint().height();
    });
}

int MasonryGridLayout::heightForWidth(int width) const
{
    const QMargins m = contentsMargins();
    return int(std::ceil(placementFor(std::max(0, width - m.left() - m.right())).height)) + m.top() + m.bottom();
}

QSize MasonryGridLayout::sizeHint() const { return QSize(kDefaultWidth, heightForWidth(kDefaultWidth)); }

QSize MasonryGridLayout::minimumSize() const
{
    const QMargins m = contentsMargins();
    return QSize(m.left() + m.right(), m.top() + m.bottom());
}

void MasonryGridLayout::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    const QRect inner = rect.marginsRemoved(contentsMargins());
    const Placement placement = placementFor(inner.width());
    for (int i = 0; i < m_items.size() && i < placement.rects.size(); ++i) {
        const QRectF r = placement.rects.at(i).translated(inner.topLeft());
        // A widget gets exactly its rectangle: the full column width and the height it answered,
        // whatever its own size hint says.
        if (QWidget *widget = m_items.at(i)->widget())
            widget->setGeometry(r.toRect());
        else
            m_items.at(i)->setGeometry(r.toRect());
    }
}
