#include "ui/library/EntryListAccessible.h"

#include "engine/ClipboardModel.h"
#include "ui/library/EntryList.h"
#include "ui/library/EntryListModel.h"
#include "ui/library/EntryRowAccessible.h"

#include <QListView>

EntryListAccessible::EntryListAccessible(QListView *view, EntryList &list)
    : QAccessibleWidget(view, QAccessible::List), m_list(&list)
{
}

EntryListAccessible::~EntryListAccessible()
{
    for (const QAccessible::Id id : std::as_const(m_rows))
        QAccessible::deleteAccessibleInterface(id);
}

QAccessibleInterface *EntryListAccessible::factory(const QString &key, QObject *object)
{
    if (key != QLatin1String("QListView"))
        return nullptr;
    auto *view = qobject_cast<QListView *>(object);
    auto *list = view ? qobject_cast<EntryList *>(view->parentWidget()) : nullptr;
    if (!list || list->view() != view)
        return nullptr;
    return new EntryListAccessible(view, *list);
}

void EntryListAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(&EntryListAccessible::factory);
        return true;
    }();
    Q_UNUSED(installed);
}

int EntryListAccessible::childCount() const
{
    return m_list ? m_list->listModel()->rowCount() : 0;
}

QAccessibleInterface *EntryListAccessible::rowInterface(const QString &entryID) const
{
    if (!m_list)
        return nullptr;
    if (const auto known = m_rows.constFind(entryID); known != m_rows.cend())
        return QAccessible::accessibleInterface(*known);
    // Rows of entries that left the list are let go once they outnumber the listed ones.
    if (m_rows.size() > 2 * std::max(16, childCount())) {
        for (auto it = m_rows.begin(); it != m_rows.end();) {
            if (m_list->listModel()->rowOf(it.key()) < 0) {
                QAccessible::deleteAccessibleInterface(it.value());
                it = m_rows.erase(it);
            } else {
                ++it;
            }
        }
    }
    auto *row = new EntryRowAccessible(*m_list, entryID);
    m_rows.insert(entryID, QAccessible::registerAccessibleInterface(row));
    return row;
}

QAccessibleInterface *EntryListAccessible::child(int index) const
{
    if (!m_list)
        return nullptr;
    const ClipboardEntry *entry = m_list->listModel()->entryAt(index);
    return entry ? rowInterface(entry->id) : nullptr;
}

int EntryListAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    if (!m_list || !child || child->role() != QAccessible::ListItem)
        return -1;
    for (auto it = m_rows.cbegin(); it != m_rows.cend(); ++it) {
        if (QAccessible::accessibleInterface(it.value()) == child)
            return m_list->listModel()->rowOf(it.key());
    }
    return -1;
}

QAccessibleInterface *EntryListAccessible::childAt(int x, int y) const
{
    if (!m_list)
        return nullptr;
    QListView *view = m_list->view();
    const QModelIndex index = view->indexAt(view->viewport()->mapFromGlobal(QPoint(x, y)));
    return child(index.row());
}

QAccessibleInterface *EntryListAccessible::focusChild() const
{
    if (!m_list || !m_list->view()->hasFocus())
        return nullptr;
    const std::optional<QString> selected = m_list->model().selectedEntryID();
    if (!selected || m_list->listModel()->rowOf(*selected) < 0)
        return nullptr;
    return rowInterface(*selected);
}
