#include "ui/quickaccess/QuickAccessListView.h"

#include "core/L10n.h"
#include "ui/quickaccess/QuickAccessItemDelegate.h"
#include "ui/quickaccess/QuickAccessListModel.h"

QuickAccessListView::QuickAccessListView(QWidget *parent)
    : QListView(parent)
{
    PaintedAccessibility::install();
}

QList<PaintedAccessibleItem> QuickAccessListView::accessibleItems() const
{
    QList<PaintedAccessibleItem> items;
    const auto *rows = qobject_cast<const QuickAccessListModel *>(model());
    if (!rows)
        return items;
    for (int row = 0; row < rows->rowCount(); ++row) {
        const QModelIndex index = rows->index(row);
        PaintedAccessibleItem item;
        item.name = index.data(Qt::AccessibleTextRole).toString();
        item.description = index.data(Qt::AccessibleDescriptionRole).toString();
        const QRect visual = visualRect(index);
        item.rect = QRect(viewport()->mapTo(this, visual.topLeft()), visual.size());
        item.selectable = true;
        item.selected = index.data(QuickAccessListModel::SelectedRole).toBool();
        if (const ClipboardEntry *entry = rows->entryAt(row)) {
            const QRect chevron = QuickAccessItemDelegate::chevronRect(visual, *entry);
            if (!chevron.isNull()) {
                PaintedAccessibleItem options;
                options.role = QAccessible::Button;
                options.name = L10n::text(QStringLiteral("Otvoriť možnosti"));
                options.rect = QRect(viewport()->mapTo(this, chevron.topLeft()), chevron.size());
                item.parts.append(options);
            }
        }
        items.append(item);
    }
    return items;
}

void QuickAccessListView::pressAccessibleItem(int item, int part)
{
    if (model() && item >= 0 && item < model()->rowCount())
        Q_EMIT rowPressed(item, part >= 0);
}
