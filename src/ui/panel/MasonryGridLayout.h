#pragma once

#include <QLayout>
#include <QList>
#include <QRectF>

#include <functional>

// Cards of differing heights in equal-width columns: each card in turn goes to the column that
// is shortest so far (the leftmost of equal ones), so columns grow evenly without gaps. Cards
// always get the full column width.
class MasonryGridLayout : public QLayout
{
    Q_OBJECT
public:
    // Width reported when the layout is asked for its size without a width to fit.
    static constexpr int kDefaultWidth = 400;

    struct Placement {
        QList<QRectF> rects; // one per item, in item order, relative to the layout's top-left
        qreal height = 0;
    };
    // The placement for a width; `heightAt(i, columnWidth)` answers item i's height at that width.
    static Placement place(qreal width, int columns, qreal spacing, int count,
                           const std::function<qreal(int, qreal)> &heightAt);

    MasonryGridLayout(int columns, int spacing, QWidget *parent = nullptr);
    ~MasonryGridLayout() override;

    void setColumns(int columns);
    int columns() const { return m_columns; }

    void addItem(QLayoutItem *item) override;
    QLayoutItem *itemAt(int index) const override;
    QLayoutItem *takeAt(int index) override;
    int count() const override { return int(m_items.size()); }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect &rect) override;
    Qt::Orientations expandingDirections() const override { return Qt::Horizontal; }

private:
    Placement placementFor(qreal width) const;

    QList<QLayoutItem *> m_items;
    int m_columns;
};
