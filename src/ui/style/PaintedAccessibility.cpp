#include "ui/style/PaintedAccessibility.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace {

PaintedAccessibility *providerOf(QWidget *widget) { return dynamic_cast<PaintedAccessibility *>(widget); }

// One drawn item or one part of it, found again by its place on every question: the widget
// redraws its items as the model changes, and the interface then speaks of what stands there.
class PaintedItemAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    PaintedItemAccessible(QWidget *widget, int item, int part) : m_widget(widget), m_item(item), m_part(part) {}

    std::optional<PaintedAccessibleItem> current() const
    {
        PaintedAccessibility *provider = m_widget ? providerOf(m_widget) : nullptr;
        if (!provider)
            return std::nullopt;
        const QList<PaintedAccessibleItem> items = provider->accessibleItems();
        if (m_item < 0 || m_item >= items.size())
            return std::nullopt;
        if (m_part < 0)
            return items.at(m_item);
        const QList<PaintedAccessibleItem> &parts = items.at(m_item).parts;
        if (m_part >= parts.size())
            return std::nullopt;
        return parts.at(m_part);
    }

    bool isValid() const override { return current().has_value(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_widget ? m_widget->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int index) const override;
    int childCount() const override
    {
        const std::optional<PaintedAccessibleItem> item = current();
        return item && m_part < 0 ? int(item->parts.size()) : 0;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        for (int i = 0; i < childCount(); ++i) {
            if (this->child(i) == child)
                return i;
        }
        return -1;
    }
    QAccessibleInterface *childAt(int x, int y) const override
    {
        for (int i = 0; i < childCount(); ++i) {
            QAccessibleInterface *part = child(i);
            if (part && part->rect().contains(x, y))
                return part;
        }
        return nullptr;
    }
    QString text(QAccessible::Text t) const override
    {
        const std::optional<PaintedAccessibleItem> item = current();
        if (!item)
            return {};
        if (t == QAccessible::Name)
            return item->name;
        if (t == QAccessible::Description)
            return item->description;
        return {};
    }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override
    {
        const std::optional<PaintedAccessibleItem> item = current();
        if (!item || !m_widget)
            return {};
        return QRect(m_widget->mapToGlobal(item->rect.topLeft()), item->rect.size());
    }
    QAccessible::Role role() const override
    {
        const std::optional<PaintedAccessibleItem> item = current();
        return item ? item->role : QAccessible::NoRole;
    }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        const std::optional<PaintedAccessibleItem> item = current();
        if (!item || !m_widget) {
            state.invalid = true;
            return state;
        }
        state.selectable = item->selectable;
        state.selected = item->selected;
        state.invisible = !m_widget->isVisible() || !m_widget->rect().intersects(item->rect);
        state.offscreen = state.invisible;
        return state;
    }
    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this) : nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &name) override
    {
        PaintedAccessibility *provider = m_widget ? providerOf(m_widget) : nullptr;
        if (name == pressAction() && provider && isValid())
            provider->pressAccessibleItem(m_item, m_part);
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

    int item() const { return m_item; }
    int part() const { return m_part; }

private:
    QPointer<QWidget> m_widget;
    int m_item;
    int m_part;
};

// The painting widget: its child widgets as Qt lists them, then its drawn items.
class PaintedWidgetAccessible : public QAccessibleWidget {
public:
    explicit PaintedWidgetAccessible(QWidget *widget)
        : QAccessibleWidget(widget, providerOf(widget)->accessibleRole())
    {
    }
    ~PaintedWidgetAccessible() override
    {
        for (QAccessible::Id id : std::as_const(m_ids))
            QAccessible::deleteAccessibleInterface(id);
    }

    // The interface of an item or part, made once and kept in Qt's registry.
    QAccessibleInterface *itemInterface(int item, int part) const
    {
        const std::pair<int, int> key(item, part);
        if (const auto found = m_ids.constFind(key); found != m_ids.cend()) {
            if (QAccessibleInterface *known = QAccessible::accessibleInterface(*found))
                return known;
        }
        auto *made = new PaintedItemAccessible(widget(), item, part);
        m_ids.insert(key, QAccessible::registerAccessibleInterface(made));
        return made;
    }

    int itemCount() const { return int(providerOf(widget())->accessibleItems().size()); }
    int widgetCount() const { return providerOf(widget())->listsChildWidgets() ? QAccessibleWidget::childCount() : 0; }

    int childCount() const override { return widgetCount() + itemCount(); }
    QAccessibleInterface *child(int index) const override
    {
        const int widgets = widgetCount();
        if (index < widgets)
            return QAccessibleWidget::child(index);
        return index - widgets < itemCount() ? itemInterface(index - widgets, -1) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        for (auto it = m_ids.cbegin(); it != m_ids.cend(); ++it) {
            if (it.key().second < 0 && QAccessible::accessibleInterface(it.value()) == child)
                return it.key().first < itemCount() ? widgetCount() + it.key().first : -1;
        }
        return widgetCount() > 0 ? QAccessibleWidget::indexOfChild(child) : -1;
    }
    QAccessibleInterface *childAt(int x, int y) const override
    {
        const QPoint local = widget()->mapFromGlobal(QPoint(x, y));
        const QList<PaintedAccessibleItem> items = providerOf(widget())->accessibleItems();
        for (int i = 0; i < items.size(); ++i) {
            if (items.at(i).rect.contains(local))
                return itemInterface(i, -1);
        }
        return widgetCount() > 0 ? QAccessibleWidget::childAt(x, y) : nullptr;
    }

private:
    mutable QHash<std::pair<int, int>, QAccessible::Id> m_ids;
};

QAccessibleInterface *PaintedItemAccessible::parent() const
{
    if (!m_widget)
        return nullptr;
    QAccessibleInterface *owner = QAccessible::queryAccessibleInterface(m_widget);
    if (m_part < 0)
        return owner;
    auto *painted = dynamic_cast<PaintedWidgetAccessible *>(owner);
    return painted ? painted->itemInterface(m_item, -1) : owner;
}

QAccessibleInterface *PaintedItemAccessible::child(int index) const
{
    if (m_part >= 0 || index < 0 || index >= childCount() || !m_widget)
        return nullptr;
    auto *painted = dynamic_cast<PaintedWidgetAccessible *>(QAccessible::queryAccessibleInterface(m_widget));
    return painted ? painted->itemInterface(m_item, index) : nullptr;
}

QAccessibleInterface *paintedWidgetFactory(const QString &className, QObject *object)
{
    // Asked for the most derived class first: answering only there leaves Qt's own interfaces
    // to every widget that does not paint its controls.
    auto *widget = qobject_cast<QWidget *>(object);
    if (!widget || className != QLatin1StringView(object->metaObject()->className()) || !providerOf(widget))
        return nullptr;
    return new PaintedWidgetAccessible(widget);
}

} // namespace

void PaintedAccessibility::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(&paintedWidgetFactory);
        return true;
    }();
    Q_UNUSED(installed);
}
