#pragma once

#include "platform/PanelWindowTraits.h"

// X11: the pointer passes through by an empty input shape (XFixes), the drawn shape stays;
// taskbar, pager and desktop hints go to the window manager as _NET_WM_STATE requests.
class X11PanelWindowTraits : public PanelWindowTraits {
public:
    void setAcceptsPointer(QWidget &window, bool accepts) override;
    void keepOffTaskbar(QWidget &window) override;
    void setKeptAbove(QWidget &window, bool above) override;
};
