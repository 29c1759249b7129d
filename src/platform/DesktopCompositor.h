#pragma once

#include <QObject>

// Whether a compositing manager puts the desktop together. With one, a window may be
// translucent and its soft edges blend with what lies beneath; without one every pixel of a
// window is opaque, so a window that is not a rectangle must cut itself to its outline.
// Desktops start and stop compositors at any time (a session switching effects off).
class DesktopCompositor : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual bool isRunning() const = 0;

Q_SIGNALS:
    void runningChanged(bool running);
};
