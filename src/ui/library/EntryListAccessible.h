#pragma once

#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

class EntryList;
class QListView;

// The entry list as a screen reader meets it. The rows are painted by a delegate, so they have
// no widgets of their own: each row is an item (EntryRowAccessible) named by the entry's preview
// and described by its kind, source and time, with the action "Akcie položky", and each control
// the pointer can reach on it is a button child (EntryControlAccessible) that the same press
// runs. Installed for the list view of every EntryList.
class EntryListAccessible : public QAccessibleWidget
{
public:
    EntryListAccessible(QListView *view, EntryList &list);
    ~EntryListAccessible() override;

    // The factory QAccessible asks for every object; answers only for an EntryList's view.
    static QAccessibleInterface *factory(const QString &key, QObject *object);
    static void install();

    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *focusChild() const override;

    EntryList *list() const { return m_list; }
    // The item of an entry's row, made once and kept for as long as the list lives.
    QAccessibleInterface *rowInterface(const QString &entryID) const;

private:
    QPointer<EntryList> m_list;
    mutable QHash<QString, QAccessible::Id> m_rows;
};
