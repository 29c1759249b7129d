#pragma once

#include <QObject>
#include <QPoint>

// Event source on the user's own pointer button presses anywhere on the desktop, in any program's
// window or on the bare desktop, at their global position. A desktop that cannot tell never
// announces anything; the base class is that silent source.
class PointerPresses : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~PointerPresses() override = default;

    // Announces every press the user made before now, so that a window that opens right after
    // a press hears only the presses that follow it.
    virtual void catchUp() { }

Q_SIGNALS:
    void pressed(QPoint globalPosition);
};
