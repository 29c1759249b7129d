// Windows that are not rectangles: each follows the desktop's compositor, and each is given
// the surface its hosted view fills its outline with, the ground of its rim when the window
// cannot be translucent.
#include "shell/NotchPanelController.h"

#include "shell/MenuBarPopover.h"
#include "shell/TarnelPanel.h"
#include "platform/PanelWindowTraits.h"
#include "ui/style/PanelStyle.h"

void NotchPanelController::followDesktop(TarnelPanel &window)
{
    window.followDesktop(m_services.compositor);
    // Each draws its own outline: a compositor's shadow would follow the window's rectangle.
    // Quick Access alone, a card floating over the screen, keeps the shadow cards have.
    m_services.windowTraits.setCastsShadow(window, false);
    // Each is moved and resized around what it draws, and keeps showing it meanwhile.
    m_services.windowTraits.keepPictureInPlace(window);
    connect(&window, &TarnelPanel::pointerRegionChanged, this,
            [this, &window](const QRegion &region) { m_services.windowTraits.setPointerRegion(window, region); });
    // A window made anew is a new window to the window system: it must hear again that this
    // one is an accessory, whether it casts a shadow, and whether the pointer passes through it.
    connect(&window, &TarnelPanel::remade, this, [this, &window] {
        m_services.windowTraits.setCastsShadow(window, &window == m_panel && m_isAtCursor);
        m_services.windowTraits.keepPictureInPlace(window);
        m_services.windowTraits.setPointerRegion(window, window.pointerRegion());
        if (!window.isVisible())
            return;
        m_services.windowTraits.keepOffTaskbar(window);
        if (&window == m_panel && m_ignoresMouseEvents)
            m_services.windowTraits.setAcceptsPointer(window, false);
    });
}

void NotchPanelController::updateSurfaces()
{
    const PanelStyle::Scheme scheme = PanelStyle::schemeFor(m_model.appearance());
    const QBrush quickAccess(PanelStyle::colors(scheme).quickAccessBackground);
    m_panel->setSurface(m_isAtCursor ? quickAccess
                                     : QBrush(PanelStyle::background(QRectF(QPointF(), m_panel->frame().size()), scheme)));
    if (m_popover)
        m_popover->setSurface(quickAccess);
    if (auto *toast = qobject_cast<TarnelPanel *>(m_screenshotToastPanel.data()))
        toast->setSurface(QBrush(PanelStyle::background(QRectF(toast->rect()), scheme)));
}
