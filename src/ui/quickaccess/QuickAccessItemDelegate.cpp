#include "ui/quickaccess/QuickAccessItemDelegate.h"

#include "ui/quickaccess/QuickAccessListModel.h"

#include <QPainter>

namespace {

constexpr int kPadding = 10;
constexpr int kBadgeWidth = 52;
constexpr qreal kCornerRadius = 8;

} // namespace

void QuickAccessItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                    const QModelIndex &index) const
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QRect row = option.rect.adjusted(2, 1, -2, -1);
    const QPalette &palette = option.palette;
    const bool selected = index.data(QuickAccessListModel::SelectedRole).toBool();
    if (selected) {
        painter->setPen(Qt::NoPen);
        painter->setBrush(palette.highlight());
        painter->drawRoundedRect(row, kCornerRadius, kCornerRadius);
    }
    const QColor textColor = selected ? palette.highlightedText().color() : palette.text().color();
    QColor detailColor = textColor;
    detailColor.setAlphaF(0.6f);

    const QString badge = index.data(QuickAccessListModel::ShortcutRole).toString();
    QRect textArea = row.adjusted(kPadding, 0, -kPadding, 0);
    if (!badge.isEmpty()) {
        const QRect badgeRect(textArea.right() - kBadgeWidth, textArea.top(), kBadgeWidth, textArea.height());
        painter->setPen(detailColor);
        painter->drawText(badgeRect, Qt::AlignRight | Qt::AlignVCenter, badge);
        textArea.setRight(badgeRect.left() - kPadding);
    }

    const QFontMetrics titleMetrics(option.font);
    const int half = textArea.height() / 2;
    const QRect titleRect(textArea.left(), textArea.top(), textArea.width(), half);
    const QRect detailRect(textArea.left(), textArea.top() + half, textArea.width(), textArea.height() - half);
    painter->setPen(textColor);
    painter->setFont(option.font);
    painter->drawText(titleRect, Qt::AlignLeft | Qt::AlignBottom,
                      titleMetrics.elidedText(index.data(QuickAccessListModel::TitleRole).toString(), Qt::ElideRight,
                                              titleRect.width()));
    QFont small = option.font;
    small.setPointSizeF(option.font.pointSizeF() * 0.85);
    painter->setFont(small);
    painter->setPen(detailColor);
    painter->drawText(detailRect, Qt::AlignLeft | Qt::AlignTop,
                      QFontMetrics(small).elidedText(index.data(QuickAccessListModel::DetailRole).toString(),
                                                     Qt::ElideRight, detailRect.width()));
    painter->restore();
}

QSize QuickAccessItemDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    return {option.rect.width(), kRowHeight};
}
