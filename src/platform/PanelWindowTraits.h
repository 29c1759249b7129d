#pragma once

class QRegion;
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

    // Where a window that accepts the pointer takes it, in its own coordinates: within the
    // region only, or wherever the window is drawn when the region is empty. A translucent
    // window is drawn over its whole rectangle, so its outline must be told apart here. Kept
    // for the window and applied again, with the pass-through, whenever this is called (a
    // window made anew has lost both).
    virtual void setPointerShape(QWidget &window, const QRegion &region) = 0;

    // Marks a shown window as an accessory: no taskbar or pager entry, on all desktops.
    virtual void keepOffTaskbar(QWidget &window) = 0;
};
