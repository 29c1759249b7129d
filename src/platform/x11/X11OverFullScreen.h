#pragma once

#include <QObject>

#include <map>
#include <utility>

class QWidget;

// Opens every window of the program that the window manager stacks and that stands on its own
// (the settings, the guide, the screenshot editor and text sheet, a dialog without an opener) in
// front of another program's window that is full screen on top, with the keyboard. Managers keep
// full screen in a layer of their own: the window asks for the layer above, and where the manager
// still keeps the full-screen window over it (jwm, wmaker) or does not show it at all beside that
// window (i3), it is mapped anew as transient for that window, which managers stack over it and
// show with it; they read that hint only when a window maps. Decided from the root's children as
// the server holds them, a little after the map, when the manager has placed the window. Until the
// manager has settled, the window takes the keyboard itself wherever the server shows it elsewhere.
// Once it closes, the window of the program still standing over the full-screen window (the
// settings under the guide) has the keyboard back, and only when none does, the full-screen window,
// where the manager left the keyboard with no window.
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

    // Once a window that stood over a full-screen window closed (or went without closing): gives
    // the window of the program still standing over that window the keyboard, in sight, and
    // where none does, gives the full-screen window the keyboard wherever the manager left it with
    // no window (jwm, now and then, after the closed window was mapped as its transient).
    void followClose(unsigned long closed, unsigned long fullScreen, int looks);
    // The topmost window of the program still shown over the full-screen window, which the
    // keyboard goes back to before the full-screen window has it; null when none is.
    QWidget *standingOver(unsigned long fullScreen) const;
    // Gives the window of the program standing over the full-screen window the keyboard, and
    // places it over that window again where the manager put it under.
    void handBack(QWidget &window, unsigned long fullScreen, int looks);

    bool m_started = false;
    // The windows shown over a full-screen window: their own ids and that window's client.
    std::map<QWidget *, std::pair<unsigned long, unsigned long>> m_overFullScreen;
};
