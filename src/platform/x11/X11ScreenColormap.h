#pragma once

#include <QObject>

// Puts every window of this program that is drawn with the screen's own visual on the screen's
// own colormap. Qt gives each visual a colormap of its own, even the screen's; a window on
// another colormap than the screen's is, to every tool that composes the screen from its
// windows (xwd, ImageMagick's import, screen readers' magnifiers), a separate picture read
// from the window's whole rectangle, its bounding shape ignored: the notch's 450 x 460 frame
// came out black around the 96 x 40 notch, hiding whatever lies beneath it. Translucent
// windows keep the colormap of their own visual, which they need.
class X11ScreenColormap : public QObject {
    Q_OBJECT
public:
    // Watches every window that the application makes from now on.
    explicit X11ScreenColormap(QObject *parent = nullptr);

    bool eventFilter(QObject *watched, QEvent *event) override;

    // Moves one made window to the screen's colormap when it uses the screen's visual; true
    // when the window is on the screen's colormap afterwards.
    static bool useScreenColormap(unsigned long window);
};
