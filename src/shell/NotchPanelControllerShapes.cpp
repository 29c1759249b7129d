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
    // A window made anew is a new window to the window system: it must hear again that this
    // one is an accessory, and whether the pointer passes through it.
    connect(&window, &TarnelPanel::remade, this, [this, &window] {
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
