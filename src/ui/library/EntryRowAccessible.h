#pragma once

#include "ui/library/EntryRowDelegate.h"

#include <QAccessibleInterface>
#include <QHash>
#include <QPointer>

class EntryList;

// One delegate-painted row of an EntryList for a screen reader: its name is the entry's preview
// (Qt::AccessibleTextRole), its description the kind, source and time
// (Qt::AccessibleDescriptionRole); pressing it does what a click does, and "Akcie položky" opens
// the entry's actions. Its children are the row's controls. The row is found by entry id each
// time, so it follows the entry through resets of the list.
class EntryRowAccessible : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    EntryRowAccessible(EntryList &list, const QString &entryID);
    ~EntryRowAccessible() override;

    static QString actionsActionName();

    bool isValid() const override;
    QObject *object() const override { return nullptr; }
    QWindow *window() const override;
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int index) const override;
    int childCount() const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override;
    void *interface_cast(QAccessible::InterfaceType type) override;

    QStringList actionNames() const override;
    QString localizedActionName(const QString &name) const override;
    QString localizedActionDescription(const QString &name) const override;
    void doAction(const QString &name) override;
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

    QString entryID() const { return m_entryID; }
    int row() const;
    QAccessibleInterface *controlInterface(EntryRowDelegate::Control control) const;

private:
    QPointer<EntryList> m_list;
    QString m_entryID;
    mutable QHash<int, QAccessible::Id> m_controls;
};
