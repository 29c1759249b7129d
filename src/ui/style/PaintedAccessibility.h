#pragma once

#include <QAccessible>
#include <QList>
#include <QRect>
#include <QString>

// One thing a widget paints that a screen reader should see as its own control: a tab, a list
// row, a button drawn inside a row.
struct PaintedAccessibleItem {
    QAccessible::Role role = QAccessible::ListItem;
    QString name;
    QString description;
    QRect rect; // in the painting widget's coordinates
    bool selected = false;
    bool selectable = false;
    // Controls drawn inside the item (one level deep), each pressed on its own.
    QList<PaintedAccessibleItem> parts;

    bool operator==(const PaintedAccessibleItem &) const = default;
};

// A widget that draws its controls instead of holding child widgets implements this next to
// QWidget, so that assistive technology lists, reads and presses what the pointer reaches. Child
// widgets it does hold stay listed first, as Qt lists them (unless they are only machinery).
class PaintedAccessibility {
public:
    virtual ~PaintedAccessibility() = default;

    // The role of the widget itself (a tab list, a list).
    virtual QAccessible::Role accessibleRole() const = 0;
    // What is drawn now, in drawing order.
    virtual QList<PaintedAccessibleItem> accessibleItems() const = 0;
    // Does what a click on the item does (`part` -1), or a click on one of its parts.
    virtual void pressAccessibleItem(int item, int part) = 0;
    // Whether the widget's child widgets are controls of their own (buttons), or only its
    // machinery (a list's viewport and scroll bars), which assistive technology need not see.
    virtual bool listsChildWidgets() const { return true; }

    // Lets Qt's accessibility find the interface of every widget that implements this one.
    // Safe to call more than once; widgets call it when they are made.
    static void install();
};
