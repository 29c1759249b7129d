#include "platform/fake/FakePanelWindowTraits.h"

void FakePanelWindowTraits::setAcceptsPointer(QWidget &window, bool accepts)
{
    ++pointerChanges;
    for (auto &entry : m_accepts) {
        if (entry.first == &window) {
            entry.second = accepts;
            return;
        }
    }
    m_accepts.append({&window, accepts});
}

void FakePanelWindowTraits::keepPictureInPlace(QWidget &window)
{
    pictureInPlace.append(&window);
}

void FakePanelWindowTraits::keepOffTaskbar(QWidget &window)
{
    offTaskbar.append(&window);
}

void FakePanelWindowTraits::setKeptAbove(QWidget &window, bool above)
{
    keptAbove.removeAll(&window);
    if (above)
        keptAbove.append(&window);
}

void FakePanelWindowTraits::setCastsShadow(QWidget &window, bool casts)
{
    shadowless.removeAll(&window);
    if (!casts)
        shadowless.append(&window);
}

void FakePanelWindowTraits::keepInFront(QWidget &window)
{
    keptInFront.append(&window);
}

bool FakePanelWindowTraits::acceptsPointer(const QWidget *window) const
{
    for (const auto &entry : m_accepts) {
        if (entry.first == window)
            return entry.second;
    }
    return true;
}

void FakePanelWindowTraits::keepUnderPanel(QWidget &window)
{
    if (!keptUnderPanel.contains(&window))
        keptUnderPanel.append(&window);
}

void FakePanelWindowTraits::liftOverPanel(QWidget &window)
{
    if (!liftedOverPanel.contains(&window))
        liftedOverPanel.append(&window);
}

void FakePanelWindowTraits::takeKeyboard(QWidget &)
{
    ++keyboardTaken;
}

void FakePanelWindowTraits::holdKeyboard(QWidget &window, bool hold)
{
    if (hold)
        keyboardHeld = &window;
    else if (keyboardHeld == &window)
        keyboardHeld = nullptr;
}

void FakePanelWindowTraits::bringToFront(QWidget &)
{
    ++broughtToFront;
    liftedOverPanel.clear();
}

void FakePanelWindowTraits::setPointerRegion(QWidget &window, const QRegion &region)
{
    for (auto &entry : pointerRegions) {
        if (entry.first == &window) {
            entry.second = region;
            return;
        }
    }
    pointerRegions.append({&window, region});
}

void FakePanelWindowTraits::holdPointer(QWidget &window, bool hold)
{
    if (hold)
        pointerHeld = &window;
    else if (pointerHeld == &window)
        pointerHeld = nullptr;
}
