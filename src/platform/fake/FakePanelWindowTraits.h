#pragma once

#include "platform/PanelWindowTraits.h"

#include <QList>
#include <QPointer>
#include <QWidget>

// Records what the controller asked of the window system, so tests can see when the
// pointer passes through the panel.
class FakePanelWindowTraits : public PanelWindowTraits {
public:
    void setAcceptsPointer(QWidget &window, bool accepts) override;
    void keepPictureInPlace(QWidget &window) override;
    void keepOffTaskbar(QWidget &window) override;
    void setKeptAbove(QWidget &window, bool above) override;
    void setCastsShadow(QWidget &window, bool casts) override;
    void keepInFront(QWidget &window) override;

    // The last answer given for a window; a window never asked accepts the pointer.
    bool acceptsPointer(const QWidget *window) const;
    int pointerChanges = 0;
    QList<QPointer<QWidget>> offTaskbar;
    // The windows whose picture stays in place, once per window the window system made.
    QList<QPointer<QWidget>> pictureInPlace;
    // The windows standing over ordinary windows now.
    QList<const QWidget *> keptAbove;
    // The windows that cast no shadow now.
    QList<const QWidget *> shadowless;
    // The windows kept in front of the others.
    QList<const QWidget *> keptInFront;

private:
    QList<QPair<const QWidget *, bool>> m_accepts;
};
