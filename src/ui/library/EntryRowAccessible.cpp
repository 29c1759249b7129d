#include "ui/library/EntryRowAccessible.h"

#include "core/L10n.h"
#include "engine/ClipboardModel.h"
#include "ui/library/EntryControlAccessible.h"
#include "ui/library/EntryList.h"
#include "ui/library/EntryListModel.h"
#include "ui/panel/ClipboardRow.h"

#include <QListView>
#include <QWidget>
#include <QWindow>

using Control = EntryRowDelegate::Control;

EntryRowAccessible::EntryRowAccessible(EntryList &list, const QString &entryID) : m_list(&list), m_entryID(entryID) {}

EntryRowAccessible::~EntryRowAccessible()
{
    for (const QAccessible::Id id : std::as_const(m_controls))
        QAccessible::deleteAccessibleInterface(id);
}

QString EntryRowAccessible::actionsActionName() { return L10n::text(QStringLiteral("Akcie položky")); }

int EntryRowAccessible::row() const { return m_list ? m_list->listModel()->rowOf(m_entryID) : -1; }

bool EntryRowAccessible::isValid() const { return row() >= 0; }

QWindow *EntryRowAccessible::window() const
{
    return m_list && m_list->window() ? m_list->window()->windowHandle() : nullptr;
}

QAccessibleInterface *EntryRowAccessible::parent() const
{
    return m_list ? QAccessible::queryAccessibleInterface(m_list->view()) : nullptr;
}

QAccessibleInterface *EntryRowAccessible::controlInterface(Control control) const
{
    if (!m_list)
        return nullptr;
    if (const auto known = m_controls.constFind(int(control)); known != m_controls.cend())
        return QAccessible::accessibleInterface(*known);
    auto *made = new EntryControlAccessible(*m_list, m_entryID, control);
    m_controls.insert(int(control), QAccessible::registerAccessibleInterface(made));
    return made;
}

int EntryRowAccessible::childCount() const
{
    const ClipboardEntry *entry = m_list ? m_list->listModel()->entryAt(row()) : nullptr;
    return entry ? int(m_list->delegate()->controlsOf(*entry).size()) : 0;
}

QAccessibleInterface *EntryRowAccessible::child(int index) const
{
    const ClipboardEntry *entry = m_list ? m_list->listModel()->entryAt(row()) : nullptr;
    if (!entry)
        return nullptr;
    const QList<Control> controls = m_list->delegate()->controlsOf(*entry);
    return index >= 0 && index < controls.size() ? controlInterface(controls.at(index)) : nullptr;
}

int EntryRowAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    const ClipboardEntry *entry = m_list ? m_list->listModel()->entryAt(row()) : nullptr;
    if (!entry || !child)
        return -1;
    const QList<Control> controls = m_list->delegate()->controlsOf(*entry);
    for (qsizetype i = 0; i < controls.size(); ++i) {
        if (controlInterface(controls.at(i)) == child)
            return int(i);
    }
    return -1;
}

QAccessibleInterface *EntryRowAccessible::childAt(int x, int y) const
{
    for (int i = 0; i < childCount(); ++i) {
        QAccessibleInterface *control = child(i);
        if (control && control->rect().contains(x, y))
            return control;
    }
    return nullptr;
}

QString EntryRowAccessible::text(QAccessible::Text t) const
{
    if (!m_list || row() < 0)
        return {};
    const QModelIndex index = m_list->listModel()->index(row());
    switch (t) {
    case QAccessible::Name:
        return index.data(Qt::AccessibleTextRole).toString();
    case QAccessible::Description:
        return index.data(Qt::AccessibleDescriptionRole).toString();
    default:
        return {};
    }
}

QRect EntryRowAccessible::rect() const
{
    if (!m_list || row() < 0)
        return {};
    QListView *view = m_list->view();
    const QRect item = view->visualRect(m_list->listModel()->index(row()));
    return QRect(view->viewport()->mapToGlobal(item.topLeft()), item.size());
}

QAccessible::State EntryRowAccessible::state() const
{
    QAccessible::State state;
    if (!m_list || row() < 0) {
        state.invalid = true;
        return state;
    }
    const bool selected = m_list->model().selectedEntryID() == m_entryID;
    state.selectable = true;
    state.selected = selected;
    state.focusable = true;
    state.focused = selected && m_list->view()->hasFocus();
    const ClipboardEntry *entry = m_list->listModel()->entryAt(row());
    state.expandable = entry && ClipboardRow::canExpand(*entry);
    state.expanded = state.expandable && m_list->isTextUnfolded(m_entryID);
    state.collapsed = state.expandable && !state.expanded;
    if (!m_list->view()->viewport()->rect().intersects(m_list->view()->visualRect(m_list->listModel()->index(row()))))
        state.offscreen = true;
    return state;
}

void *EntryRowAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::ActionInterface)
        return static_cast<QAccessibleActionInterface *>(this);
    return nullptr;
}

QStringList EntryRowAccessible::actionNames() const
{
    return {pressAction(), actionsActionName()};
}

QString EntryRowAccessible::localizedActionName(const QString &name) const
{
    if (name == actionsActionName())
        return name;
    return QAccessibleActionInterface::localizedActionName(name);
}

QString EntryRowAccessible::localizedActionDescription(const QString &name) const
{
    if (name == actionsActionName())
        return name;
    return QAccessibleActionInterface::localizedActionDescription(name);
}

void EntryRowAccessible::doAction(const QString &name)
{
    if (!m_list || row() < 0)
        return;
    if (name == pressAction()) {
        m_list->trigger(m_entryID, Control::Header);
    } else if (name == actionsActionName()) {
        if (const ClipboardEntry *entry = m_list->listModel()->entryAt(row()))
            m_list->presentActions(*entry);
    }
}
