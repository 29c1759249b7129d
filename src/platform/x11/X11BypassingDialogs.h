#pragma once

#include <QObject>
#include <QWidget>

// Opens every window of the program that is opened from a window beside the window manager (a
// sheet or an alert over the notch panel: a file dialog, a message box, and what those open in
// turn) beside the manager too, in front of its opener and with the keyboard. A managed dialog
// would stand under its opener whatever the manager does: managers stack what they manage under
// every window that bypasses them, and some (metacity) put a frame lifted over such a window
// straight back under it. Such windows get the keyboard from the server directly, which the
// manager would otherwise give on a click; their requests are dated now (see takeKeyboard).
class X11BypassingDialogs : public QObject {
    Q_OBJECT
public:
    X11BypassingDialogs();
    ~X11BypassingDialogs() override;

    // Starts following the program's windows as they are shown.
    void start();
    // Gives a shown window that bypasses the manager the keyboard, dated with the server's time
    // as it takes the request: Qt dates its request with the last event its own connection saw,
    // and a request dated before the keyboard last changed hands (a paste or the manager gave it
    // to another program since, or what asked came on another connection, as a global shortcut
    // does) is ignored.
    void takeKeyboard(QWidget &window);

Q_SIGNALS:
    // A window beside the manager closed with the keyboard, which its opener is about to take
    // back: a manager may still give it to the window it last focused itself once it hears of the
    // close, however late, which the opener's keeper of the keyboard answers.
    void keyboardHandedBack(QWidget *opener);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool m_started = false;
};
