#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>

// Lets a row react to a secondary click (right button, or left button with Ctrl held) without
// disturbing anything else: it watches the host and every widget inside it, claims only the
// presses of a secondary click (and the context menu they would open), and leaves ordinary
// clicks, hovering, dragging, scrolling and keys to the row as if it were not there.
class EntryContextClickTarget : public QObject
{
    Q_OBJECT
public:
    EntryContextClickTarget(QWidget *host, std::function<void()> onContextClick);

    // The host re-renders with a new closure: the next secondary click calls it.
    void setOnContextClick(std::function<void()> onContextClick) { m_onContextClick = std::move(onContextClick); }

    // Whether an event is part of a secondary click (the events this target claims).
    static bool isSecondaryPress(const QEvent *event);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void watch(QObject *object);

    QPointer<QWidget> m_host;
    std::function<void()> m_onContextClick;
    // The left release that ends a claimed Ctrl-click is claimed too, so no button sees half a click.
    bool m_claimedLeftPress = false;
};
