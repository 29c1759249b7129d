#pragma once

class QRegion;
class QWidget;

// What the panel and its side windows need from the window system beyond Qt: taking or
// passing on the pointer without changing what is drawn, and staying off the taskbar and
// the pager on every desktop. The backend is chosen at the program's entry.
class PanelWindowTraits {
public:
    // A window of the program without a parent widget names the window it was opened from in
    // this property (a QWidget *): it then stands in front of that window as a child would.
    static constexpr char openedFromProperty[] = "tarnelOpenedFrom";

    virtual ~PanelWindowTraits() = default;

    // false lets every pointer event fall through to the windows below; true takes the
    // pointer again wherever the window is drawn.
    virtual void setAcceptsPointer(QWidget &window, bool accepts) = 0;
    // Where the window takes the pointer while it does, in its own coordinates: a window whose
    // outline moves inside a larger shape (see TarnelPanel) takes it within the outline only.
    // Empty: wherever the window is drawn.
    virtual void setPointerRegion(QWidget &window, const QRegion &region) = 0;

    // What the window shows stays where it is on the screen when the window is moved and
    // resized, until the window paints anew: a window that grows or shrinks around what it
    // draws (the notch as it unfolds) keeps showing it meanwhile.
    virtual void keepPictureInPlace(QWidget &window) = 0;

    // Marks a shown window as an accessory: no taskbar or pager entry, on all desktops.
    virtual void keepOffTaskbar(QWidget &window) = 0;

    // Whether a shown window stands over every ordinary window, in the layer of the panel: a
    // window the user works in must not open behind the panel, which floats over everything.
    virtual void setKeptAbove(QWidget &window, bool above) = 0;

    // Whether a compositor may draw a shadow around the window. Windows that draw their own
    // outline (the notch, the popover, the toasts) cast none; a compositor that shades every
    // window by its rectangle would otherwise darken the screen around what is not drawn.
    virtual void setCastsShadow(QWidget &window, bool casts) = 0;

    // Keeps a window that the window manager does not stack (one that bypasses it, the panel)
    // in its place from now on: directly above the topmost window the manager stacks, full-screen
    // ones included, and under every other window of this program, which is opened from or over
    // it (Quick Access's dialogs, sheets, alerts, menus, toasts); never over another program's
    // window that bypasses the manager (its menus, a lock screen, a screen saver).
    virtual void keepInFront(QWidget &window) = 0;
    // Names a window of this program that the kept window stands above like any other
    // program's (the settings, the guide), not one opened from or over it.
    virtual void keepUnderPanel(QWidget &window) = 0;
    // A window named by keepUnderPanel that the user just opened (from the panel too): it stands
    // over the kept window until that is brought to the front again.
    virtual void liftOverPanel(QWidget &window) = 0;
    // Puts a kept window at its place now, over the windows named by keepUnderPanel: what a raise
    // is for a window the manager stacks.
    virtual void bringToFront(QWidget &window) = 0;
    // Gives a shown window the keyboard now; one that bypasses the window manager gets it even
    // when what asks for it reached the program on another road than the window's own (a global
    // shortcut): a request dated before the last change of the keyboard's owner is ignored.
    virtual void takeKeyboard(QWidget &window) = 0;
    // While held, a kept window the user asked the keyboard into (Quick Access) takes it back from
    // another window that took it without the user's click there or a key binding, as some
    // managers give it to a window that raises itself. Let go before the program hands the
    // keyboard on itself.
    virtual void holdKeyboard(QWidget &window, bool hold) = 0;
    // While held, the window takes the pointer's events where the pointer is on it but the server
    // names another window there: a desktop shell that keeps the pointer's events at the top edge
    // from every window under its own (gnome-shell's, cinnamon's) would otherwise take the clicks on
    // what the window shows there. Asked on every look at the pointer while it is wanted, as a menu
    // or drag of the program's own takes the pointer over while it runs.
    virtual void holdPointer(QWidget &window, bool hold) = 0;
    // Whether the screen is locked or a screen saver runs: nothing of the program may show.
    virtual bool isScreenCovered() const = 0;
};
