#pragma once

#include <QObject>

class QWidget;

// Opens every window of the program that the window manager stacks and that stands on its own
// (the settings, the guide, the screenshot editor and text sheet, a dialog without an opener) in
// front of another program's window that is full screen on top. Managers keep full screen in a
// layer of their own, and some (jwm, wmaker) keep it over every window mapped after it and over
// any "above" state; every manager stacks a window over the window it is transient for, in that
// window's layer. So such a window, shown while the topmost managed window is full screen, is
// mapped anew as transient for that window, which the manager reads only when a window maps.
class X11OverFullScreen : public QObject {
public:
    X11OverFullScreen();
    ~X11OverFullScreen() override;

    // Starts following the program's windows as they are shown.
    void start();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void standOverFullScreen(QWidget &window);
    // Once the manager has mapped the window: maps it anew as transient for the full-screen
    // window when that still stands over it, then makes sure it is active.
    void followOnceMapped(QWidget &window, unsigned long fullScreen, int looks, bool remapped);

    bool m_started = false;
};
