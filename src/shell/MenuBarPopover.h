#pragma once

#include "shell/TarnelPanel.h"

#include <QElapsedTimer>

#include <chrono>

// Quick Access in menu-bar mode: a frameless window that hangs below the tray icon, takes the
// keyboard, and closes as soon as it loses it (the user clicked or switched elsewhere) or the
// user presses a pointer button outside it. It is
// not a grabbing popup: closing another Tarnel window right before it opens (the first-run
// guide) must not close it. Its outline is Quick Access's rounded frame.
class MenuBarPopover : public TarnelPanel {
    Q_OBJECT
public:
    explicit MenuBarPopover(QWidget *parent = nullptr);

    bool isShown() const { return isVisible(); }
    void setContentSize(const QSize &size);

    // Shows the popup with its top edge on the anchor's bottom edge, centred on it and kept
    // inside the anchor's screen; above the anchor when there is no room below.
    void showBelow(const QRect &anchor, const QSize &size);
    void performClose();
    // Whether the popup closed on its own (it lost the keyboard) within the given time. A click
    // on the tray icon takes the keyboard from the popup before the icon sees the click: that
    // click was meant to close it, not to open it again.
    bool closedOnItsOwnWithin(std::chrono::milliseconds time) const;
    // The user pressed a pointer button at a global position: one outside the open popup closes
    // it, as losing the keyboard would, also where the manager keeps the keyboard with it (a
    // press on the bare desktop under metacity). A menu of the popup's takes its own presses.
    void closeOnPressAt(QPoint globalPosition);

Q_SIGNALS:
    // The popup closed, on its own (a click outside) or by performClose().
    void closed();

protected:
    bool event(QEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    // Only a popup that had the keyboard can lose it.
    bool m_wasActive = false;
    QElapsedTimer m_closedOnItsOwn;
};
