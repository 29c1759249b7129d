#include "ui/library/EntryControlAccessible.h"

#include "engine/ClipboardModel.h"
#include "ui/library/EntryList.h"
#include "ui/library/EntryListAccessible.h"
#include "ui/library/EntryListModel.h"
#include "ui/library/EntryRowAccessible.h"

#include <QListView>
#include <QWindow>

using Control = EntryRowDelegate::Control;

EntryControlAccessible::EntryControlAccessible(EntryList &list, const QString &entryID, Control control)
    : m_list(&list), m_entryID(entryID), m_control(control)
{
}

bool EntryControlAccessible::isValid() const
{
    if (!m_list)
        return false;
    const ClipboardEntry *entry = m_list->listModel()->entryAt(m_list->listModel()->rowOf(m_entryID));
    return entry && m_list->delegate()->controlsOf(*entry).contains(m_control);
}

QWindow *EntryControlAccessible::window() const
{
    return m_list && m_list->window() ? m_list->window()->windowHandle() : nullptr;
}

QAccessibleInterface *EntryControlAccessible::parent() const
{
    auto *list = m_list ? static_cast<EntryListAccessible *>(QAccessible::queryAccessibleInterface(m_list->view())) : nullptr;
    return list ? list->rowInterface(m_entryID) : nullptr;
}

QString EntryControlAccessible::text(QAccessible::Text t) const
{
    if (!m_list)
        return {};
    const ClipboardEntry *entry = m_list->listModel()->entryAt(m_list->listModel()->rowOf(m_entryID));
    if (!entry)
        return {};
    const bool inStack = m_list->model().pasteStackEntryIDs().contains(m_entryID);
    switch (t) {
    case QAccessible::Name:
        return EntryList::accessibleLabel(m_control, *entry, inStack, m_list->isTextUnfolded(m_entryID));
    case QAccessible::Value:
        return EntryList::accessibleValue(m_control, *entry);
    case QAccessible::Help:
    case QAccessible::Description:
        return EntryList::helpText(m_control, *entry, inStack);
    default:
        return {};
    }
}

QRect EntryControlAccessible::rect() const
{
    if (!m_list)
        return {};
    const int row = m_list->listModel()->rowOf(m_entryID);
    if (row < 0)
        return {};
    QListView *view = m_list->view();
    const QModelIndex index = m_list->listModel()->index(row);
    const QRect placed = m_list->delegate()->controlRect(index, view->visualRect(index), m_control).toAlignedRect();
    return QRect(view->viewport()->mapToGlobal(placed.topLeft()), placed.size());
}

QAccessible::State EntryControlAccessible::state() const
{
    QAccessible::State state;
    if (!isValid()) {
        state.invalid = true;
        return state;
    }
    const bool inStack = m_list->model().pasteStackEntryIDs().contains(m_entryID);
    state.disabled = m_control == Control::AddToStack && inStack;
    state.focusable = true;
    state.focused = m_list->view()->hasFocus() && m_list->keyboardControl() == m_control
                    && m_list->model().selectedEntryID() == m_entryID;
    if (m_control == Control::Toggle) {
        // The toggle stands open while the row's strip is shown.
        const QModelIndex index = m_list->listModel()->index(m_list->listModel()->rowOf(m_entryID));
        state.expandable = true;
        state.expanded = !m_list->delegate()->controlRect(index, m_list->view()->visualRect(index), Control::Delete).isEmpty();
        state.collapsed = !state.expanded;
    }
    return state;
}

void *EntryControlAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::ActionInterface)
        return static_cast<QAccessibleActionInterface *>(this);
    return nullptr;
}

QStringList EntryControlAccessible::actionNames() const
{
    // The handle is dragged, not pressed; the keyboard moves nothing with it.
    if (state().disabled || m_control == Control::Handle)
        return {};
    return {pressAction()};
}

void EntryControlAccessible::doAction(const QString &name)
{
    if (m_list && name == pressAction() && !state().disabled)
        m_list->trigger(m_entryID, m_control);
}
