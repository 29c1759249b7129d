#include "shell/MenuBarPopover.h"

#include "ui/quickaccess/QuickAccessView.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>

MenuBarPopover::MenuBarPopover(QWidget *parent)
    // Beside the window manager, like a menu: no frame of the manager's around it (which a
    // compositor would shade by its rectangle), stacked over every window as it opens, and
    // given the keyboard directly.
    : TarnelPanel(Qt::BypassWindowManagerHint, parent)
{
    // A popup that the user types into: it takes the keyboard as it shows.
    setAttribute(Qt::WA_ShowWithoutActivating, false);
    setRoundedOutline(QuickAccessView::kCornerRadius);
}

void MenuBarPopover::setContentSize(const QSize &size)
{
    setFixedSize(size);
}

void MenuBarPopover::showBelow(const QRect &anchor, const QSize &size)
{
    setFixedSize(size);
    QScreen *screen = QGuiApplication::screenAt(anchor.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    QPoint origin(anchor.center().x() - size.width() / 2, anchor.bottom() + 1);
    if (screen) {
        const QRect area = screen->geometry();
        if (origin.y() + size.height() > area.bottom() + 1)
            origin.setY(anchor.top() - size.height());
        origin.setX(std::clamp(origin.x(), area.left(), std::max(area.left(), area.right() + 1 - size.width())));
        origin.setY(std::max(origin.y(), area.top()));
    }
    move(origin);
    m_wasActive = false;
    show();
    raise();
    activateWindow();
}

void MenuBarPopover::performClose()
{
    if (isVisible())
        hide();
}

bool MenuBarPopover::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate) {
        m_wasActive = true;
    } else if (event->type() == QEvent::WindowDeactivate && m_wasActive && isVisible()) {
        m_closedOnItsOwn.start();
        hide();
    }
    return TarnelPanel::event(event);
}

void MenuBarPopover::closeOnPressAt(QPoint globalPosition)
{
    if (!isVisible() || frameGeometry().contains(globalPosition) || QApplication::activePopupWidget())
        return;
    m_closedOnItsOwn.start();
    hide();
}

bool MenuBarPopover::closedOnItsOwnWithin(std::chrono::milliseconds time) const
{
    return m_closedOnItsOwn.isValid() && m_closedOnItsOwn.elapsed() <= time.count();
}

void MenuBarPopover::hideEvent(QHideEvent *event)
{
    TarnelPanel::hideEvent(event);
    if (!isBeingRemade())
        Q_EMIT closed();
}
