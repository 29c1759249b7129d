// Quick Access in notch mode: the notch panel moves to the centre of the screen under the
// pointer, takes the keyboard, and goes back under the notch when Quick Access is dismissed.
#include "shell/NotchPanelController.h"

#include "core/Logging.h"
#include "platform/PanelWindowTraits.h"
#include "platform/Workspace.h"
#include "shell/TarnelPanel.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWindow>

void NotchPanelController::openQuickAccess(bool pasteAs)
{
    if (m_presentationMode == ClipboardPresentationMode::MenuBar) {
        openMenuBarQuickAccess(pasteAs);
        return;
    }
    if (m_isAtCursor && m_model.isQuickAccessPresented() && m_model.isPasteAsPresented() == pasteAs) {
        // Already open: the shortcut still brings it forward with the keyboard.
        takeKeyboardForQuickAccess();
        return;
    }
    if (!m_tabBeforeQuickAccess)
        m_tabBeforeQuickAccess = m_model.selectedTab();

    m_isAtCursor = true;
    m_suppressHoverUntilExit = false;
    m_isOpenUntilPointerVisits = false;
    stopTimer(m_collapseTimer);
    stopTimer(m_expansionTimer);
    m_isCollapsing = false;

    const std::optional<RunningApplication> front = frontmostOtherApplication();
    setWidthExpanded(false, std::chrono::milliseconds(0));
    setContentExpanded(false);
    beginQuickAccessOnModel(front, pasteAs);

    positionPanelAtScreenCenter(quickAccessSize());
    updateDrawnRegion();
    m_ignoresMouseEvents = false;
    m_services.windowTraits.setAcceptsPointer(*m_panel, true);
    m_services.windowTraits.setCastsShadow(*m_panel, true);
    m_panel->show();
    takeKeyboardForQuickAccess();
    closeQuickAccessWithoutKeyboard();
}

void NotchPanelController::closeQuickAccessWithoutKeyboard()
{
    const quint64 opening = ++m_quickAccessOpening;
    QTimer::singleShot(m_timings.quickAccessKeyboardWait, this, [this, opening] {
        if (opening != m_quickAccessOpening || !m_isAtCursor || !m_model.isQuickAccessPresented())
            return;
        // The panel has the keyboard, or a window of its own (a save dialog) has it.
        for (const QWindow *window = QGuiApplication::focusWindow(); window; window = window->transientParent()) {
            if (window == m_panel->windowHandle())
                return;
        }
        // The server may have given it already, with the news still on its way to Qt under load.
        if (const std::optional<RunningApplication> holder = m_services.workspace.keyboardHolder(0);
            holder && holder->window == quint64(m_panel->winId()))
            return;
        // The application Quick Access was opened over gets the keyboard back on dismissal.
        qCInfo(lcShell) << "Quick Access did not get the keyboard; closed";
        dismissQuickAccess();
    });
}

std::optional<RunningApplication> NotchPanelController::frontmostOtherApplication() const
{
    std::optional<RunningApplication> front = m_services.workspace.frontmostApplication();
    if (front && m_services.workspace.isOwn(*front))
        front.reset();
    return front;
}

void NotchPanelController::beginQuickAccessOnModel(const std::optional<RunningApplication> &front, bool pasteAs)
{
    m_model.beginQuickAccess(front);
    m_model.setSelectedTab(ClipboardPanelTab::History);
    m_model.setPasteAsPresented(pasteAs);
    if (pasteAs) {
        m_model.selectFirstQuickAccessEntry();
        m_model.requestQuickSearchFocus();
    }
}

void NotchPanelController::takeKeyboardForQuickAccess()
{
    noteKeyboardBeforePanel();
    bringPanelToFront();
    // Held while Quick Access is open: a window that raises itself is given it by some managers.
    m_services.windowTraits.holdKeyboard(*m_panel, true);
    m_panel->activateWindow();
    // The shortcut came on another connection than the panel's: the request is dated now.
    m_services.windowTraits.takeKeyboard(*m_panel);
}

void NotchPanelController::applicationStateChanged(Qt::ApplicationState state)
{
    // Like a popover, Quick Access at the centre ends when another application takes the
    // keyboard (a click into its window). Moving between Tarnel's own windows (a save dialog)
    // keeps the application active, and Quick Access with it. Whoever took the keyboard keeps
    // it: the application Quick Access was opened over is not brought back.
    if (state == Qt::ApplicationActive || !m_isAtCursor || !m_model.isQuickAccessPresented())
        return;
    if (m_windowOverQuickAccessChanged.isValid()
        && !m_windowOverQuickAccessChanged.hasExpired(PanelTimings::windowManagerKeyboardHandoff.count())) {
        // The window manager, not the user, moved the keyboard as Tarnel's window over Quick
        // Access came or went: on its way to that window, or handed to the application behind
        // once it closed, which Quick Access takes back.
        if (!m_windowOverQuickAccess || !m_windowOverQuickAccess->isVisible())
            takeKeyboardForQuickAccess();
        return;
    }
    m_model.setPasteTargetApplication(std::nullopt);
    m_keyboardBeforePanel.reset();
    dismissQuickAccess();
}

void NotchPanelController::positionPanelAtScreenCenter(QSizeF size)
{
    const QPoint pointer = pointerLocation();
    QScreen *screen = nullptr;
    for (QScreen *candidate : QGuiApplication::screens()) {
        if (candidate->geometry().contains(pointer)) {
            screen = candidate;
            break;
        }
    }
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect visible = screen->availableGeometry();
    const QSize whole = size.toSize();
    const QPoint origin(visible.x() + (visible.width() - whole.width()) / 2,
                        visible.y() + (visible.height() - whole.height()) / 2);
    m_panel->setFrame(QRect(origin, whole));
}
