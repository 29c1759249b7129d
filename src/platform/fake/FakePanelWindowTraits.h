#pragma once

#include "platform/PanelWindowTraits.h"

#include <QList>
#include <QPointer>
#include <QRegion>
#include <QWidget>

// Records what the controller asked of the window system, so tests can see when the
// pointer passes through the panel.
class FakePanelWindowTraits : public PanelWindowTraits {
public:
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
    bool isScreenCovered() const override { return screenCovered; }

    // The last answer given for a window; a window never asked accepts the pointer.
    bool acceptsPointer(const QWidget *window) const;
    int pointerChanges = 0;
    // The last region given for each window that takes the pointer within a part of it.
    QList<QPair<const QWidget *, QRegion>> pointerRegions;
    QList<QPointer<QWidget>> offTaskbar;
    // The windows whose picture stays in place, once per window the window system made.
    QList<QPointer<QWidget>> pictureInPlace;
    // The windows standing over ordinary windows now.
    QList<const QWidget *> keptAbove;
    // The windows that cast no shadow now.
    QList<const QWidget *> shadowless;
    // The windows kept in front of the others.
    QList<const QWidget *> keptInFront;
    // The windows of the program the kept ones stand above.
    QList<const QWidget *> keptUnderPanel;
    // The windows named by keepUnderPanel that stand over the panel now.
    QList<const QWidget *> liftedOverPanel;
    // How often a kept window was put in front.
    int broughtToFront = 0;
    // How often a window was given the keyboard.
    int keyboardTaken = 0;
    // The window that holds the keyboard now.
    const QWidget *keyboardHeld = nullptr;
    // The window that holds the pointer now.
    const QWidget *pointerHeld = nullptr;
    // Whether the screen is locked, as a test says.
    bool screenCovered = false;

private:
    QList<QPair<const QWidget *, bool>> m_accepts;
};
