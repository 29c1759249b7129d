// Hover: the notch widens when the pointer reaches it, shows its content when the pointer
// stays, and narrows again after the pointer left. Everything else holds it as it is.
#include "shell/NotchPanelController.h"

#include "core/NotchHitRegion.h"
#include "engine/ModelClock.h"
#include "shell/NotchPanelGeometry.h"
#include "shell/TarnelPanel.h"
#include "platform/PanelWindowTraits.h"
#include "platform/PointerMotion.h"
#include "platform/Workspace.h"
#include "ui/quickaccess/QuickAccessView.h"
#include "ui/style/PanelMotion.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QTimer>
#include <QVariantAnimation>

#include <algorithm>
#include <utility>

bool NotchPanelController::showsScreenshotNotice() const
{
    return m_model.screenshotNotice().has_value() && showsScreenshotNoticeInNotch();
}

qreal NotchPanelController::compactWidth() const
{
    // A screenshot comes with the copied notice; where the toast shows it, the notch rests.
    if (m_model.screenshotNotice())
        return showsScreenshotNoticeInNotch() ? PanelMetrics::screenshotNoticeWidth : PanelMetrics::compactSize.width();
    if (m_model.copiedNoticeVisible())
        return PanelMetrics::copiedNoticeWidth;
    return PanelMetrics::compactSize.width();
}

QSizeF NotchPanelController::hitRegionSize() const
{
    if (showsScreenshotNotice())
        return {PanelMetrics::screenshotNoticeWidth, screenshotPreviewHeight() + PanelMetrics::screenshotNoticeChrome};
    if (m_isCollapsing)
        return {compactWidth(), PanelMetrics::compactSize.height()};
    return {m_isWidthExpanded ? PanelMetrics::expandedSize.width() : compactWidth(),
            m_isContentExpanded ? PanelMetrics::expandedSize.height() : PanelMetrics::compactSize.height()};
}

QSizeF NotchPanelController::drawnNotchSize() const
{
    if (showsScreenshotNotice())
        return {PanelMetrics::screenshotNoticeWidth, screenshotPreviewHeight() + PanelMetrics::screenshotNoticeChrome};
    return {m_animatedWidth, m_animatedHeight};
}

QSizeF NotchPanelController::animationEndsSize() const
{
    const bool widening = m_widthAnimation->state() == QAbstractAnimation::Running;
    const bool unfolding = m_heightAnimation->state() == QAbstractAnimation::Running;
    if (!widening && !unfolding)
        return {};
    const auto larger = [](const QVariantAnimation &animation, qreal now) {
        return std::max({now, animation.startValue().toReal(), animation.endValue().toReal()});
    };
    return {widening ? larger(*m_widthAnimation, m_animatedWidth) : m_animatedWidth,
            unfolding ? larger(*m_heightAnimation, m_animatedHeight) : m_animatedHeight};
}

bool NotchPanelController::containsPointer() const
{
    return containsPoint(pointerLocation());
}

bool NotchPanelController::containsPoint(const QPoint &pointer) const
{
    if (m_isAtCursor)
        return m_panel->frame().contains(pointer);
    return NotchHitRegion::contains(QPointF(pointer), QRectF(m_panel->frame()), hitRegionSize());
}

void NotchPanelController::updatePointerPassthrough()
{
    if (!m_panel->isVisible()) {
        m_pointerMonitor->stop();
        if (m_services.pointerMotion)
            m_services.pointerMotion->watch({});
        // The window system lets a grab go with its window.
        m_holdsPointer = false;
        return;
    }
    const QPoint pointer = pointerLocation();
    const bool inside = containsPoint(pointer);

    // Opened by the tray icon or the switch to the notch, the panel is not where the pointer is:
    // it stays open until the pointer has come in, and from then on closes when it leaves.
    if (inside)
        m_isOpenUntilPointerVisits = false;
    const bool held = !m_trackedMenus.isEmpty() || m_hasOpenEditor || m_hasOpenActionMenu || m_isAtCursor
        || m_isOpenUntilPointerVisits || showsScreenshotNotice();
    if (!held) {
        if (m_suppressHoverUntilExit) {
            if (!inside)
                m_suppressHoverUntilExit = false;
        } else if (!inside) {
            if (m_isWidthExpanded || m_isContentExpanded)
                collapseForPointerExit();
        } else if (!m_isPointerInside || m_isCollapsing || !m_isWidthExpanded) {
            expandForPointerEntry();
        }
    }
    m_isPointerInside = inside;

    // While the beat runs, the window takes the pointer exactly where the hit region is. A
    // resting panel takes it within its drawn notch, which is then the hit region itself, so
    // that a click there reaches it as soon as the pointer has arrived. Quick
    // Access at the centre fills its whole window and takes every click on it: a click that
    // follows the pointer into it before the next tick must not fall through to the desktop
    // (which would take the keyboard and leave Quick Access open without it). Written only on
    // a change: the window system is asked once per crossing, not per tick.
    followPointerWhileNeeded();
    const bool accepts = inside || m_isAtCursor || !needsPointerBeat();
    if (m_ignoresMouseEvents == accepts) {
        m_ignoresMouseEvents = !accepts;
        m_services.windowTraits.setAcceptsPointer(*m_panel, accepts);
    }
    holdPointerWhileOpen(pointer, inside);
}

void NotchPanelController::holdPointerWhileOpen(const QPoint &pointer, bool inside)
{
    // A desktop shell may keep the pointer's events at the top edge from every window under its
    // own (gnome-shell and cinnamon do), and the open panel's own controls lie there: while the
    // pointer is on the open panel, the panel holds it, so that every click there reaches them.
    // Never while a menu, a sheet or another window of the program is open over it (they take
    // their own clicks) nor for Quick Access, and never before a press under way has ended: the
    // window it went to keeps it until the release. A menu or drag of the program's own takes
    // the pointer over while it runs.
    if (QApplication::activePopupWidget() || QWidget::mouseGrabber()) {
        m_holdsPointer = false;
        return;
    }
    const bool hold = inside && !m_isAtCursor && m_isContentExpanded && !m_isCollapsing && m_trackedMenus.isEmpty()
        && !m_hasOpenEditor && !m_hasOpenActionMenu && !ownWindowOverPanelAt(pointer);
    if ((!hold && !m_holdsPointer) || QGuiApplication::mouseButtons() != Qt::NoButton)
        return;
    m_holdsPointer = hold;
    m_services.windowTraits.holdPointer(*m_panel, hold);
}

bool NotchPanelController::ownWindowOverPanelAt(const QPoint &pointer) const
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.cbegin(), windows.cend(), [this, &pointer](const QWidget *window) {
        return window != m_panel && window->isVisible() && window->windowType() != Qt::ToolTip
            && window->frameGeometry().contains(pointer);
    });
}

QRect NotchPanelController::restingHitArea() const
{
    const QRect frame = m_panel->frame();
    return NotchPanelGeometry::notchRegion(hitRegionSize(), frame.width()).boundingRect().translated(frame.topLeft());
}

bool NotchPanelController::needsPointerBeat() const
{
    return m_panel->isVisible()
        && (m_isWidthExpanded || m_isContentExpanded || m_isAtCursor || m_expansionTimer || m_collapseTimer
            || !m_trackedMenus.isEmpty() || m_hasOpenEditor || m_hasOpenActionMenu);
}

bool NotchPanelController::isFollowingPointer() const
{
    return m_pointerMonitor->isActive();
}

void NotchPanelController::followPointerWhileNeeded()
{
    if (needsPointerBeat()) {
        if (!m_pointerMonitor->isActive())
            m_pointerMonitor->start();
        if (m_services.pointerMotion)
            m_services.pointerMotion->watch({});
        return;
    }
    m_pointerMonitor->stop();
    if (std::exchange(m_barsChangedWhileOpen, false))
        QTimer::singleShot(0, this, &NotchPanelController::screenChanged);
    // At rest, the desktop tells of the pointer arriving at the notch, whatever window it names
    // under the pointer: a shell may keep the crossing events at the top edge from the notch's
    // own window although the notch stands over everything there.
    if (m_services.pointerMotion)
        m_services.pointerMotion->watch(m_panel->isVisible() ? restingHitArea() : QRect());
    if (m_ignoresMouseEvents && m_panel->isVisible()) {
        m_ignoresMouseEvents = false;
        m_services.windowTraits.setAcceptsPointer(*m_panel, true);
    }
}

QObject *NotchPanelController::afterDelay(std::chrono::milliseconds delay, std::function<void(QObject *token)> work)
{
    auto *token = new QObject(this);
    m_clock->singleShot(delay, token, [token, work = std::move(work)] { work(token); });
    return token;
}

void NotchPanelController::stopTimer(QPointer<QObject> &timer)
{
    // Deleted at once: the clock runs no work whose token is gone.
    delete timer.data();
    timer = nullptr;
}

void NotchPanelController::recordFrontApplication()
{
    const std::optional<RunningApplication> front = m_services.workspace.windowUserWorksIn();
    // A paste never goes back into Tarnel itself; the last other application stays the target.
    if (front && !m_services.workspace.isOwn(*front))
        m_model.setPasteTargetApplication(front);
    m_model.setCurrentContext(front ? front->name : QString());
}

void NotchPanelController::expandForPointerEntry()
{
    stopTimer(m_collapseTimer);
    stopTimer(m_expansionTimer);
    m_isCollapsing = false;
    recordFrontApplication();
    if (!m_isWidthExpanded)
        setWidthExpanded(true, m_timings.widenAnimation);

    // The content follows only when the pointer is still there: a pointer that merely brushes
    // the notch widens it without opening it.
    m_expansionTimer = afterDelay(m_timings.contentExpansionDelay, [this](QObject *timer) {
        if (m_expansionTimer == timer)
            m_expansionTimer = nullptr;
        timer->deleteLater();
        if (!m_isCollapsing && containsPointer() && !m_isContentExpanded)
            setContentExpanded(true);
    });
}

void NotchPanelController::collapseForPointerExit()
{
    if (m_isCollapsing)
        return;
    m_isCollapsing = true;
    stopTimer(m_expansionTimer);
    stopTimer(m_collapseTimer);
    // Tarnel hands the keyboard on from here.
    m_services.windowTraits.holdKeyboard(*m_panel, false);
    if (m_isContentExpanded)
        setContentExpanded(false);
    // The open panel took the keyboard for its search field: closing gives it back to the
    // application the user came from, so typing does not go to a panel that is gone.
    if (!m_isAtCursor && m_panel->isActiveWindow() && !giveKeyboardBack()) {
        if (const std::optional<RunningApplication> target = m_model.pasteTargetApplication())
            m_services.workspace.activate(*target);
    }
    m_keyboardBeforePanel.reset();

    m_collapseTimer = afterDelay(m_timings.widthCollapseDelay, [this](QObject *timer) {
        timer->deleteLater();
        if (!m_isCollapsing)
            return;
        if (m_collapseTimer == timer)
            m_collapseTimer = nullptr;
        if (m_isWidthExpanded)
            setWidthExpanded(false, m_timings.narrowAnimation);
    });
    updateDrawnRegion();
}

void NotchPanelController::keepExpanded()
{
    stopTimer(m_collapseTimer);
    stopTimer(m_expansionTimer);
    m_isCollapsing = false;
    if (!m_isWidthExpanded)
        setWidthExpanded(true, m_timings.widenAnimation);
    if (!m_isContentExpanded)
        setContentExpanded(true);
}

void NotchPanelController::keepExpandedUntilPointerVisits()
{
    keepExpanded();
    m_isOpenUntilPointerVisits = true;
}

void NotchPanelController::toggleExpanded()
{
    // Only the pending work stops here; each branch below decides what replaces it.
    stopTimer(m_collapseTimer);
    stopTimer(m_expansionTimer);
    if (!m_isContentExpanded) {
        recordFrontApplication();
        keepExpandedUntilPointerVisits();
        return;
    }
    m_isOpenUntilPointerVisits = false;
    m_suppressHoverUntilExit = true;
    if (!m_isAtCursor)
        collapseForPointerExit();
    else
        dismissQuickAccess();
}

void NotchPanelController::setWidthExpanded(bool expanded, std::chrono::milliseconds duration)
{
    if (expanded != m_isWidthExpanded) {
        m_isWidthExpanded = expanded;
        Q_EMIT isWidthExpandedChanged(expanded);
        // The panel opens in front of whatever was raised over the resting notch meanwhile, and
        // the notch it narrows to stays in reach over the settings or guide opened from it.
        if (!m_isAtCursor)
            bringPanelToFront();
    }
    const qreal target = expanded ? PanelMetrics::expandedSize.width() : compactWidth();
    m_widthAnimation->stop();
    if (duration.count() <= 0 || qFuzzyCompare(m_animatedWidth, target)) {
        m_animatedWidth = target;
        updateDrawnRegion();
        return;
    }
    m_widthAnimation->setDuration(static_cast<int>(duration.count()));
    m_widthAnimation->setStartValue(m_animatedWidth);
    m_widthAnimation->setEndValue(target);
    m_widthAnimation->start();
}

void NotchPanelController::followCompactWidth(bool eased)
{
    // The notices decide the collapsed width; the widened notch keeps its own.
    if (m_isWidthExpanded) {
        updateDrawnRegion();
        return;
    }
    const qreal target = compactWidth();
    // A run already on its way there goes on. Any other run (toward the width of a notice that
    // has ended since, or a narrowing that began before one came) is turned to the width the
    // notices give now: left to finish, it would rest at the old width until the next hover.
    if (m_widthAnimation->state() == QAbstractAnimation::Running
        && qFuzzyCompare(m_widthAnimation->endValue().toReal(), target)) {
        updateDrawnRegion();
        return;
    }
    m_widthAnimation->stop();
    const auto duration = PanelMotion::scaled(PanelTimings::noticeAnimation);
    if (eased && duration.count() > 0 && !qFuzzyCompare(m_animatedWidth, target)) {
        m_widthAnimation->setDuration(int(duration.count()));
        m_widthAnimation->setStartValue(m_animatedWidth);
        m_widthAnimation->setEndValue(target);
        m_widthAnimation->start();
        return;
    }
    m_animatedWidth = target;
    updateDrawnRegion();
}

void NotchPanelController::setContentExpanded(bool expanded)
{
    if (expanded == m_isContentExpanded)
        return;
    m_isContentExpanded = expanded;
    // The outline grows and shrinks with the details panel; the window's shape follows it.
    const qreal target = expanded ? PanelMetrics::expandedSize.height() : PanelMetrics::compactSize.height();
    m_heightAnimation->stop();
    const auto duration = PanelMotion::scaled(PanelTimings::contentAnimation);
    if (duration.count() > 0) {
        m_heightAnimation->setDuration(int(duration.count()));
        m_heightAnimation->setStartValue(m_animatedHeight);
        m_heightAnimation->setEndValue(target);
        m_heightAnimation->start();
    } else {
        m_animatedHeight = target;
    }
    Q_EMIT isContentExpandedChanged(expanded);
    updateDrawnRegion();
}

void NotchPanelController::updateDrawnRegion()
{
    if (m_isAtCursor) {
        // Quick Access at the centre: its rounded frame, however its height changes.
        m_panel->setRoundedOutline(QuickAccessView::kCornerRadius);
    } else {
        const int width = m_panel->frame().width();
        // While the outline moves, the window covers the larger of the animation's two ends:
        // a window resized on every frame is given a new picture by a compositor on every frame.
        const QSizeF ends = animationEndsSize();
        const QRect extent = ends.isEmpty() ? QRect() : NotchPanelGeometry::notchRegion(ends, width).boundingRect();
        m_panel->setDrawnRegion(NotchPanelGeometry::notchRegion(drawnNotchSize(), width), extent);
    }
    updateSurfaces();
    followPointerWhileNeeded();
    Q_EMIT drawnNotchSizeChanged();
}

void NotchPanelController::menuDidOpen(QMenu *menu)
{
    if (!m_isContentExpanded || !menu)
        return;
    m_trackedMenus.insert(menu);
    keepExpanded();
    takeKeyboardForMenu();
}

void NotchPanelController::takeKeyboardForMenu()
{
    // A menu grabs the keyboard while it is open, and the application the user came from sees
    // the keyboard leave and come back when the menu closes. Held by the panel meanwhile, it
    // is handed back through the window manager, and a paste chosen in the menu waits until
    // that application has it again.
    if (!m_isAtCursor && m_panel->isVisible() && !m_panel->isActiveWindow()) {
        noteKeyboardBeforePanel();
        m_panel->activateWindow();
    }
}

void NotchPanelController::noteKeyboardBeforePanel()
{
    if (!m_keyboardBeforePanel)
        m_keyboardBeforePanel = m_services.workspace.keyboardHolder(quint64(m_panel->winId()));
}

bool NotchPanelController::giveKeyboardBack()
{
    const std::optional<RunningApplication> before = std::exchange(m_keyboardBeforePanel, std::nullopt);
    return before && m_services.workspace.activate(*before);
}

void NotchPanelController::menuDidClose(QMenu *menu)
{
    if (menu)
        m_trackedMenus.remove(menu);
    updatePointerPassthrough();
}

void NotchPanelController::setEditorOpen(bool isOpen)
{
    // A sheet or alert closed over the open panel handed it the keyboard: some managers (fvwm)
    // give the keyboard back to the window the panel first took it from as soon as a window beside
    // them loses it, though the panel took it back. Held until the panel closes or the program
    // hands the keyboard on itself.
    if (m_hasOpenEditor && !isOpen && !m_isAtCursor && m_isContentExpanded && m_panel->isVisible())
        m_services.windowTraits.holdKeyboard(*m_panel, true);
    m_hasOpenEditor = isOpen;
    m_model.setPanelOverlayPresented(m_hasOpenEditor || m_hasOpenActionMenu);
    if (isOpen)
        keepExpanded();
    else
        updatePointerPassthrough();
}

void NotchPanelController::setActionMenuOpen(bool isOpen)
{
    m_hasOpenActionMenu = isOpen;
    m_model.setPanelOverlayPresented(m_hasOpenEditor || m_hasOpenActionMenu);
    if (isOpen) {
        keepExpanded();
        takeKeyboardForMenu();
    } else {
        updatePointerPassthrough();
    }
}
