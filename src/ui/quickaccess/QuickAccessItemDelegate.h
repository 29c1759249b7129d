#pragma once

#include <QStyledItemDelegate>

// One Quick Access row: its line of text, where it came from, and the Ctrl+digit that pastes
// it; the selected row is highlighted whether or not the list has the keyboard.
class QuickAccessItemDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int kRowHeight = 50;

    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
