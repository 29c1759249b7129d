#include "ui/panel/EntryContextClickTarget.h"

#include <QChildEvent>
#include <QContextMenuEvent>
#include <QMouseEvent>

EntryContextClickTarget::EntryContextClickTarget(QWidget *host) : QObject(host)
{
    watch(host);
}

void EntryContextClickTarget::watch(QObject *object)
{
    object->installEventFilter(this);
    for (QObject *child : object->children()) {
        if (child->isWidgetType())
            watch(child);
    }
}

bool EntryContextClickTarget::isSecondaryPress(const QEvent *event)
{
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonDblClick)
        return false;
    const auto *mouse = static_cast<const QMouseEvent *>(event);
    if (mouse->button() == Qt::RightButton)
        return true;
    return mouse->button() == Qt::LeftButton && mouse->modifiers().testFlag(Qt::ControlModifier);
}

bool EntryContextClickTarget::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ChildAdded: {
        // Widgets added to the row later (an unfolded part, a button) are watched as well.
        QObject *child = static_cast<QChildEvent *>(event)->child();
        if (child->isWidgetType())
            watch(child);
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (isSecondaryPress(event)) {
            m_claimedLeftPress = static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton;
            Q_EMIT contextClicked();
            return true;
        }
        break;
    case QEvent::MouseButtonRelease:
        if (m_claimedLeftPress && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
            m_claimedLeftPress = false;
            return true;
        }
        break;
    case QEvent::ContextMenu:
        // The secondary click is the row's: no default context menu opens over it. The menu key
        // keeps its own meaning.
        if (static_cast<QContextMenuEvent *>(event)->reason() == QContextMenuEvent::Mouse)
            return true;
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
