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

    // Marks a shown window as an accessory: no taskbar or pager entry, on all desktops.
    virtual void keepOffTaskbar(QWidget &window) = 0;

    // Whether a shown window stands over every ordinary window, in the layer of the panel: a
    // window the user works in must not open behind the panel, which floats over everything.
    virtual void setKeptAbove(QWidget &window, bool above) = 0;
};
