#pragma once

#include "platform/PanelWindowTraits.h"

// X11: the pointer passes through by an empty input shape (XFixes), the drawn shape stays;
// a pointer shape becomes the input shape while the window accepts the pointer;
// taskbar, pager and desktop hints go to the window manager as _NET_WM_STATE requests.
class X11PanelWindowTraits : public PanelWindowTraits {
public:
    void setAcceptsPointer(QWidget &window, bool accepts) override;
    void setPointerShape(QWidget &window, const QRegion &region) override;
    void keepOffTaskbar(QWidget &window) override;

private:
    // Writes the input shape from what the window was last told.
    static void applyInputShape(QWidget &window);
};
