#pragma once

#include "ui/style/PaintedAccessibility.h"

#include <QListView>

// The Quick Access rows as one list. Its rows are drawn, so it names them to assistive
// technology itself: each row by what a click on it does ("Vložiť: …"), with the chevron that
// opens an entry's options as a button of its own. Pressing either asks the owner to act.
class QuickAccessListView : public QListView, public PaintedAccessibility
{
    Q_OBJECT
public:
    explicit QuickAccessListView(QWidget *parent = nullptr);

    QAccessible::Role accessibleRole() const override { return QAccessible::List; }
    QList<PaintedAccessibleItem> accessibleItems() const override;
    void pressAccessibleItem(int item, int part) override;
    bool listsChildWidgets() const override { return false; }

Q_SIGNALS:
    // A row was pressed by assistive technology: `options` for its chevron.
    void rowPressed(int row, bool options);
};
