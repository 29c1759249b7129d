#pragma once

#include "ui/library/EntryRowDelegate.h"

#include <QAccessibleInterface>
#include <QPointer>

class EntryList;

// One control of a delegate-painted row (pin, Paste Stack, text, delete, all actions, the toggle
// that unfolds them, and "Viac"/"Menej" of a long text) as a button a screen reader can name and
// press. Its name says what it does to which entry ("Vymazať položku: %@"), the pin's value says
// whether the entry is pinned; pressing runs the control as a click on it does.
class EntryControlAccessible : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    EntryControlAccessible(EntryList &list, const QString &entryID, EntryRowDelegate::Control control);

    bool isValid() const override;
    QObject *object() const override { return nullptr; }
    QWindow *window() const override;
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::Button; }
    QAccessible::State state() const override;
    void *interface_cast(QAccessible::InterfaceType type) override;

    QStringList actionNames() const override;
    void doAction(const QString &name) override;
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

    EntryRowDelegate::Control control() const { return m_control; }

private:
    QPointer<EntryList> m_list;
    QString m_entryID;
    EntryRowDelegate::Control m_control;
};
