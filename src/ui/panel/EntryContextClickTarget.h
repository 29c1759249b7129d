#pragma once

#include <QObject>
#include <QWidget>

// Lets a row react to a secondary click (right button, or left button with Ctrl held) without
// disturbing anything else: it watches the host and every widget inside it, claims only the
// presses of a secondary click (and the context menu they would open), and leaves ordinary
// clicks, hovering, dragging, scrolling and keys to the row as if it were not there.
class EntryContextClickTarget : public QObject
{
    Q_OBJECT
public:
    // The target is the host's child and ends with it.
    explicit EntryContextClickTarget(QWidget *host);

    // Whether an event is part of a secondary click (the events this target claims).
    static bool isSecondaryPress(const QEvent *event);

Q_SIGNALS:
    // A secondary click landed on the host or on a widget inside it.
    void contextClicked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void watch(QObject *object);

    // The left release that ends a claimed Ctrl-click is claimed too, so no button sees half a click.
    bool m_claimedLeftPress = false;
};
