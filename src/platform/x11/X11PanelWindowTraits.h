#pragma once

#include "platform/PanelWindowTraits.h"
#include "platform/x11/X11BypassingDialogs.h"
#include "platform/x11/X11FrontKeeper.h"
#include "platform/x11/X11OverFullScreen.h"

#include <QPointer>
#include <QWidget>

// X11: the pointer passes through by an empty input shape (XFixes), the drawn shape stays, and
// a window takes it within a part of it by an input shape of that part (kept on the window, so
// that what the pointer is given follows the window wherever it passes);
// taskbar, pager and desktop hints go to the window manager as _NET_WM_STATE requests; the
// shadow is refused the way picom and compton read it (_COMPTON_SHADOW = 0).
class X11PanelWindowTraits : public PanelWindowTraits {
public:
    X11PanelWindowTraits();

    void setAcceptsPointer(QWidget &window, bool accepts) override;
    void setPointerRegion(QWidget &window, const QRegion &region) override;
    void keepPictureInPlace(QWidget &window) override;
    void keepOffTaskbar(QWidget &window) override;
    void setKeptAbove(QWidget &window, bool above) override;
    void setCastsShadow(QWidget &window, bool casts) override;
    void keepInFront(QWidget &window) override;
    void keepUnderPanel(QWidget &window) override;
    void liftOverPanel(QWidget &window) override;
    void bringToFront(QWidget &window) override;
    void takeKeyboard(QWidget &window) override;
    void holdKeyboard(QWidget &window, bool hold) override;
    void holdPointer(QWidget &window, bool hold) override;
    bool isScreenCovered() const override;

private:
    X11FrontKeeper m_frontKeeper;
    X11BypassingDialogs m_dialogs;
    X11OverFullScreen m_overFullScreen;
    // The window that holds the pointer now.
    QPointer<QWidget> m_pointerHolder;
};
