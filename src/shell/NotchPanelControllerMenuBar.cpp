// Menu-bar mode: the tray icon opens Quick Access in a popup below it; in notch mode the
// same icon opens and closes the notch.
#include "shell/NotchPanelController.h"

#include "shell/MenuBarPopover.h"
#include "shell/TarnelPanel.h"
#include "platform/PanelWindowTraits.h"
#include "platform/PointerPresses.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QSystemTrayIcon>

void NotchPanelController::statusItemClicked()
{
    if (m_presentationMode == ClipboardPresentationMode::Notch) {
        toggleExpanded();
        return;
    }
    if (m_isMenuBarQuickAccess && m_popover->isShown())
        dismissQuickAccess();
    else if (!m_popover->closedOnItsOwnWithin(PanelTimings::trayClickClosingPopup))
        openMenuBarQuickAccess(false);
}

void NotchPanelController::openMenuBarQuickAccess(bool pasteAs)
{
    if (m_isMenuBarQuickAccess && m_model.isQuickAccessPresented() && m_model.isPasteAsPresented() == pasteAs)
        return;
    if (!m_tabBeforeQuickAccess)
        m_tabBeforeQuickAccess = m_model.selectedTab();
    m_isAtCursor = false;
    m_isMenuBarQuickAccess = true;

    beginQuickAccessOnModel(frontmostOtherApplication(), pasteAs);

    if (!isPanelStandingInForTray())
        m_panel->hide();

    if (!m_popover->isShown()) {
        // Opened over one of Tarnel's own windows (the settings, the guide), whose keyboard the
        // popup takes for its search: that window has it back when Quick Access ends.
        QWidget *active = QApplication::activeWindow();
        m_windowBeforeQuickAccess = active != m_panel && active != m_popover ? active : nullptr;
        const QSize size(qRound(PanelMetrics::quickAccessWidth), qRound(quickAccessSize().height()));
        QRect anchor;
        if (m_trayWasAvailable && m_statusItem && !m_statusItem->geometry().isEmpty()) {
            anchor = m_statusItem->geometry();
        } else if (QScreen *screen = QGuiApplication::primaryScreen()) {
            // Without a tray icon to hang from, the popup hangs from the notch's place.
            const QRect frame = notchFrame(screen->geometry());
            anchor = QRect(frame.center().x() - 1, frame.top(), 2, qRound(PanelMetrics::compactSize.height()));
        }
        // The press that opened the popup (on the tray icon) is behind it, not outside it.
        if (m_services.pointerPresses)
            m_services.pointerPresses->catchUp();
        m_popover->showBelow(anchor, size);
        m_services.windowTraits.keepOffTaskbar(*m_popover);
        // The shortcut came on another connection than the popup's: the request is dated now.
        m_services.windowTraits.takeKeyboard(*m_popover);
    }
}

void NotchPanelController::finishMenuBarQuickAccess(bool closePopover)
{
    // Closed by a click elsewhere, the popup leaves the keyboard where the click put it.
    const QPointer<QWidget> giveKeyboardBack = closePopover ? m_windowBeforeQuickAccess.data() : nullptr;
    m_windowBeforeQuickAccess = nullptr;
    bool targetActivated = false;
    if (m_isMenuBarQuickAccess) {
        m_isMenuBarQuickAccess = false;
        m_model.setQuickAccessPresented(false);
        m_model.setPasteAsPresented(false);
        m_model.setQuickPasteOptionsPresented(false);
        if (m_tabBeforeQuickAccess) {
            m_model.setSelectedTab(*m_tabBeforeQuickAccess);
            m_tabBeforeQuickAccess.reset();
        }
        if (const std::optional<RunningApplication> target = m_model.pasteTargetApplication()) {
            m_services.workspace.activate(*target);
            m_model.setPasteTargetApplication(std::nullopt);
            targetActivated = true;
        }
    }
    // The keyboard goes back before the popup closes, as it does to a paste's target above. A
    // popup beside the manager that closes with the keyboard leaves it nowhere, and the manager
    // then hands it on its own: some to whichever window of the program is on top (the notch
    // panel standing in for a tray), others (xfwm4) to a window of their own, at a moment of
    // their choosing that under load may come after the settings took it back, leaving Escape
    // without the settings to close. Counting the settings still active, a manager ignores a
    // request to activate them: the keyboard is handed to the window directly then.
    if (!targetActivated && giveKeyboardBack && giveKeyboardBack->isVisible()) {
        giveKeyboardBack->raise();
        RunningApplication window;
        window.window = quint64(giveKeyboardBack->winId());
        window.pid = m_services.workspace.ownPid();
        if (!m_services.workspace.activate(window))
            giveKeyboardBack->activateWindow();
    }
    if (closePopover && m_popover->isShown())
        m_popover->performClose();
}

void NotchPanelController::dismissQuickAccess()
{
    if (m_isMenuBarQuickAccess) {
        finishMenuBarQuickAccess(true);
        return;
    }
    const bool wasAtCursor = m_isAtCursor;
    m_windowOverQuickAccessChanged.invalidate();
    // Tarnel hands the keyboard on from here.
    m_services.windowTraits.holdKeyboard(*m_panel, false);
    if (wasAtCursor) {
        m_isAtCursor = false;
        m_isCollapsing = false;
        stopTimer(m_expansionTimer);
        stopTimer(m_collapseTimer);
        setContentExpanded(false);
        setWidthExpanded(false, std::chrono::milliseconds(0));
    }
    m_model.setQuickAccessPresented(false);
    m_model.setPasteAsPresented(false);
    if (m_tabBeforeQuickAccess) {
        m_model.setSelectedTab(*m_tabBeforeQuickAccess);
        m_tabBeforeQuickAccess.reset();
    }
    if (wasAtCursor) {
        // The window the user was in has the keyboard back, Tarnel's own too; without one
        // noted, the application Quick Access was opened over.
        const bool givenBack = giveKeyboardBack();
        if (const std::optional<RunningApplication> target = m_model.pasteTargetApplication()) {
            if (!givenBack)
                m_services.workspace.activate(*target);
            m_model.setPasteTargetApplication(std::nullopt);
        }
        positionPanel();
        updateDrawnRegion();
        m_services.windowTraits.setCastsShadow(*m_panel, false);
    }
}

QSizeF NotchPanelController::quickAccessSize() const
{
    constexpr qreal optionBase = 105;
    constexpr qreal optionRow = 36;
    constexpr qreal optionGap = 3;
    constexpr qreal imageOptionsExtra = 112;
    constexpr int imageOptionRows = 4;
    constexpr int textOptionRows = 8;
    constexpr qreal noticeHeight = 240;
    constexpr qreal emptyHeight = 290;
    constexpr qreal listBase = 108;
    constexpr qreal itemHeight = 50;
    constexpr int visibleItems = 6;
    constexpr qreal minimumListHeight = 220;

    const qreal width = PanelMetrics::quickAccessWidth;
    if (m_model.hasShortcutNotice())
        return {width, noticeHeight};
    if (m_model.isQuickPasteOptionsPresented()) {
        const int rows = m_model.selectedEntryIsImage() ? imageOptionRows : textOptionRows;
        const qreal height = optionBase + optionRow * rows + optionGap * (rows - 1)
            + (m_model.selectedEntryIsImage() ? imageOptionsExtra : 0);
        return {width, height};
    }
    const int count = m_model.quickAccessItemCount();
    if (count == 0)
        return {width, emptyHeight};
    return {width, std::max(minimumListHeight, listBase + itemHeight * std::min(count, visibleItems))};
}

void NotchPanelController::refreshQuickAccessLayout()
{
    if (m_isMenuBarQuickAccess && m_popover->isShown()) {
        m_popover->setContentSize(quickAccessSize().toSize());
    } else if (m_isAtCursor && m_model.isQuickAccessPresented()) {
        positionPanelAtScreenCenter(quickAccessSize());
    }
}
