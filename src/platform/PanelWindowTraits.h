#pragma once

class QWidget;

// What the panel and its side windows need from the window system beyond Qt: taking or
// passing on the pointer without changing what is drawn, and staying off the taskbar and
// the pager on every desktop. The backend is chosen at the program's entry.
class PanelWindowTraits {
public:
    virtual ~PanelWindowTraits() = default;

    // false lets every pointer event fall through to the windows below; true takes the
    // pointer again wherever the window is drawn.
    virtual void setAcceptsPointer(QWidget &window, bool accepts) = 0;

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

    // Keeps a window that the window manager does not stack (one that bypasses it) in front
    // from now on: whenever another program's window comes to the top (mapped, activated,
    // made full screen), the window is lifted over it again; when one of this program's own
    // windows does (a sheet or dialog opened from the window, the settings), the window goes
    // right under it, so that what the user just opened stands in front.
    virtual void keepInFront(QWidget &window) = 0;
};
