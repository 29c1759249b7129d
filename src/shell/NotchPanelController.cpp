#include "shell/NotchPanelController.h"

#include "core/Logging.h"
#include "engine/ModelClock.h"
#include "shell/MenuBarPopover.h"
#include "shell/NotchPanelGeometry.h"
#include "shell/TarnelPanel.h"
#include "platform/DesktopBars.h"
#include "platform/Permissions.h"
#include "platform/PointerMotion.h"
#include "platform/PanelWindowTraits.h"
#include "platform/PointerPresses.h"
#include "platform/SettingsStore.h"
#include "platform/TrayHostMonitor.h"
#include "ui/panel/ClipboardPanelView.h"
#include "ui/style/PanelMotion.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QVariantAnimation>
#include <QWindow>

NotchPanelController::NotchPanelController(PanelModelLink &model, PanelServices services,
                                           NotchHoverTimings timings, QObject *parent)
    : PanelController(parent)
    , m_model(model)
    , m_services(std::move(services))
    , m_timings(timings)
    , m_ownClock(m_services.clock ? nullptr : std::make_unique<SystemModelClock>())
    , m_clock(m_services.clock ? m_services.clock : m_ownClock.get())
{
    m_presentationMode = fromRawValue<ClipboardPresentationMode>(
                             m_services.settings.textValue(QString::fromLatin1(kPresentationModeSettingKey)).value_or(QString()))
                             .value_or(ClipboardPresentationMode::Notch);
    m_animatedWidth = compactWidth();

    // While the panel is open or on its way, the pointer is looked at on a fixed beat that only
    // reads and acts on changes; a resting panel learns of the pointer from the desktop's word on
    // the pointer itself, and from its window's enter and leave events, instead.
    m_pointerMonitor = new QTimer(this);
    m_pointerMonitor->setInterval(m_timings.pointerTick);
    m_pointerMonitor->setTimerType(Qt::CoarseTimer);
    connect(m_pointerMonitor, &QTimer::timeout, this, &NotchPanelController::updatePointerPassthrough);

    m_widthAnimation = new QVariantAnimation(this);
    m_widthAnimation->setEasingCurve(QEasingCurve::InOutQuad);
    // Only a running animation moves the outline: a stopped one that is given new end points
    // reports the value at its old place in time, which after a finished run is the new end
    // itself. Taken, it would flash the panel's shape to where it is only going, one frame
    // before the run starts from where it is.
    connect(m_widthAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        if (m_widthAnimation->state() != QAbstractAnimation::Running)
            return;
        m_animatedWidth = value.toReal();
        updateDrawnRegion();
    });

    // At the end of a run the window shrinks from the larger end to the outline it rests at.
    connect(m_widthAnimation, &QAbstractAnimation::finished, this, &NotchPanelController::updateDrawnRegion);

    m_heightAnimation = new QVariantAnimation(this);
    m_heightAnimation->setEasingCurve(PanelMotion::easeInOut());
    connect(m_heightAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        if (m_heightAnimation->state() != QAbstractAnimation::Running)
            return;
        m_animatedHeight = value.toReal();
        updateDrawnRegion();
    });
    connect(m_heightAnimation, &QAbstractAnimation::finished, this, &NotchPanelController::updateDrawnRegion);

    buildPanel();
    buildPopover();

    connect(&m_model, &PanelModelLink::screenshotNoticeChanged, this, &NotchPanelController::screenshotNoticeChanged);
    connect(&m_model, &PanelModelLink::appearanceChanged, this, &NotchPanelController::updateSurfaces);
    // The collapsed notch grows for the copied notice and shrinks after it, eased.
    connect(&m_model, &PanelModelLink::copiedNoticeVisibleChanged, this, [this] { followCompactWidth(true); });

    installStatusItem();
    positionPanel();

    // Queued: the word may come while the controller itself asks where to watch.
    if (m_services.pointerMotion)
        connect(m_services.pointerMotion, &PointerMotion::moved, this, &NotchPanelController::updatePointerPassthrough,
                Qt::QueuedConnection);
    // The open panel stays where the user is working in it (the desktop may take the keyboard's
    // leaving a full-screen window for a change of what covers the bar); it moves once at rest.
    if (m_services.desktopBars)
        connect(m_services.desktopBars, &DesktopBars::changed, this, [this] {
            if (needsPointerBeat())
                m_barsChangedWhileOpen = true;
            else
                screenChanged();
        });

    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, &NotchPanelController::screenChanged);
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this](QScreen *screen) {
        connect(screen, &QScreen::geometryChanged, this, &NotchPanelController::screenChanged);
        screenChanged();
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, &NotchPanelController::screenChanged);
    for (QScreen *screen : QGuiApplication::screens())
        connect(screen, &QScreen::geometryChanged, this, &NotchPanelController::screenChanged);

    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, &NotchPanelController::applicationStateChanged);

    // Menus of the whole program hold the panel open while they are tracked.
    qApp->installEventFilter(this);
    updateDrawnRegion();
}

NotchPanelController::~NotchPanelController()
{
    qApp->removeEventFilter(this);
    delete m_onboardingWindow;
    delete m_settingsWindow;
    delete m_screenshotToastPanel;
    delete m_screenshotActionWindow;
    delete m_popover;
    delete m_panel;
}

QWidget *NotchPanelController::makePanelView(bool isStandaloneSettings)
{
    return new ClipboardPanelView(m_model, m_services.clipboardModel, *this, isStandaloneSettings);
}

void NotchPanelController::buildPanel()
{
    // The panel bypasses the window manager. Managers stack an active full-screen window over
    // every window they keep "above", and among those the one raised last wins, so a managed
    // panel opens behind Tarnel's own settings and guide and vanishes under a full-screen
    // window. Left unmanaged, the panel is stacked by Tarnel alone: directly above the topmost
    // window the manager stacks, under what is opened from or over it, never over another
    // program's menus or a lock screen. It takes the keyboard itself when asked (Qt gives an
    // unmanaged window the input focus directly). A Wayland compositor would otherwise re-centre
    // it on every resize and turn a request for the keyboard into a mark of attention.
    m_panel = new TarnelPanel(Qt::BypassWindowManagerHint);
    m_panel->setWindowRole(QString::fromLatin1(TarnelPanel::panelRole));
    m_services.windowTraits.keepInFront(*m_panel);
    m_panel->resize(PanelMetrics::expandedSize.toSize());
    followDesktop(*m_panel);
    m_panel->setContent(makePanelView(false));
}

void NotchPanelController::buildPopover()
{
    m_popover = new MenuBarPopover();
    m_popover->setWindowRole(QString::fromLatin1(TarnelPanel::popoverRole));
    followDesktop(*m_popover);
    m_popover->setContent(makePanelView(false));
    connect(m_popover, &MenuBarPopover::closed, this, [this] {
        // Closed on its own (a click outside): end Quick Access; after an explicit close the
        // flag is already clear. The click gave the keyboard to whatever the user clicked,
        // which keeps it: the application the popup was opened over is not brought back.
        if (m_isMenuBarQuickAccess) {
            m_model.setPasteTargetApplication(std::nullopt);
            finishMenuBarQuickAccess(false);
        }
    });
    if (m_services.pointerPresses)
        connect(m_services.pointerPresses, &PointerPresses::pressed, m_popover, &MenuBarPopover::closeOnPressAt);
}

namespace {

// Three stacked squares, drawn in one light tone like a template image so that the tray's
// own background shows around them.
QIcon trayIcon()
{
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal unit = size / 16.0;
        const QColor fill(225, 225, 230);
        for (int layer = 2; layer >= 0; --layer) {
            const QRectF square(unit * (2 + layer * 2), unit * (6 - layer * 2), unit * 8, unit * 8);
            painter.setPen(QPen(QColor(40, 40, 45), unit * 0.8));
            painter.setBrush(layer == 0 ? fill : fill.darker(100 + 15 * layer));
            painter.drawRoundedRect(square, unit * 1.5, unit * 1.5);
        }
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

void NotchPanelController::installStatusItem()
{
    // The icon is made even without a tray host: Qt shows it once a host appears.
    m_statusItem = new QSystemTrayIcon(this);
    m_statusItem->setIcon(trayIcon());
    m_statusItem->setToolTip(QStringLiteral("Tarnel"));
    connect(m_statusItem, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        // Every click counts: a second click soon after the first arrives as a double click.
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            statusItemClicked();
    });
    m_statusItem->show();

    m_trayWasAvailable = trayAvailable();
    if (!m_trayWasAvailable)
        qCWarning(lcShell) << "No system tray is available: the panel stays at the top of the screen"
                              " so that Tarnel remains reachable in menu-bar mode";
    // Told, not polled: asking the tray on a clock woke the idle program every second.
    if (m_services.trayHostMonitor)
        connect(m_services.trayHostMonitor, &TrayHostMonitor::hostChanged, this, [this] {
            checkTrayAvailability();
            QTimer::singleShot(PanelTimings::trayHostSettle, this, &NotchPanelController::checkTrayAvailability);
        });
}

bool NotchPanelController::trayAvailable() const
{
    return m_services.systemTrayAvailable && m_services.systemTrayAvailable();
}

void NotchPanelController::checkTrayAvailability()
{
    const bool available = trayAvailable();
    if (available == m_trayWasAvailable)
        return;
    m_trayWasAvailable = available;
    if (available)
        qCInfo(lcShell) << "A system tray appeared: menu-bar mode uses the tray icon";
    else
        qCWarning(lcShell) << "The system tray went away: the panel stays at the top of the screen";
    Q_EMIT trayAvailabilityChanged(available);
    if (m_presentationMode != ClipboardPresentationMode::MenuBar || m_isAtCursor)
        return;
    if (available) {
        m_panel->hide();
    } else {
        positionPanel();
        m_panel->show();
        bringPanelToFront();
        m_services.windowTraits.keepOffTaskbar(*m_panel);
    }
}

bool NotchPanelController::isPanelStandingInForTray() const
{
    return m_presentationMode == ClipboardPresentationMode::MenuBar && !m_trayWasAvailable;
}

void NotchPanelController::positionPanel()
{
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen && !QGuiApplication::screens().isEmpty())
        screen = QGuiApplication::screens().first();
    if (!screen)
        return;
    m_panel->setFrame(notchFrame(screen->geometry()));
    followPointerWhileNeeded();
}

QRect NotchPanelController::notchFrame(const QRect &screenGeometry) const
{
    // The whole screen, not its available part: the panel's top edge is the screen's top edge,
    // unless the desktop's own bar holds the top centre. The panel then hangs from the bar's lower
    // edge, so that the bar (a clock, a panel's own buttons) stays whole and usable.
    const QRect atTop = NotchPanelGeometry::panelFrame(screenGeometry, screenGeometry.top());
    if (!m_services.desktopBars)
        return atTop;
    return NotchPanelGeometry::panelFrame(screenGeometry,
                                          m_services.desktopBars->freeTop(screenGeometry, atTop.left(), atTop.right()));
}

void NotchPanelController::screenChanged()
{
    // Quick Access shown at the screen centre stays where the user opened it; the panel goes
    // back under the notch, on the screens of that moment, when Quick Access is dismissed.
    if (m_isAtCursor)
        return;
    positionPanel();
}

void NotchPanelController::show()
{
    positionPanel();
    if (m_presentationMode == ClipboardPresentationMode::MenuBar && !isPanelStandingInForTray()) {
        m_panel->hide();
        return;
    }
    m_panel->show();
    bringPanelToFront();
    m_services.windowTraits.keepOffTaskbar(*m_panel);
    // A freshly mapped window takes the pointer until the first tick decides.
    m_ignoresMouseEvents = false;
    updatePointerPassthrough();
}

void NotchPanelController::startServices()
{
    if (m_servicesStarted)
        return;
    m_servicesStarted = true;
    m_model.startMonitoring();
    show();
    startPasteMonitoring();
    if (!onboardingComplete())
        showOnboarding();
}

void NotchPanelController::setPasteMonitorStarter(std::function<void(bool)> starter)
{
    m_pasteMonitorStarter = std::move(starter);
}

void NotchPanelController::startPasteMonitoring()
{
    // The Accessibility prompt may only show once the first-run guide has been completed.
    const bool promptForAccessibility = onboardingComplete();
    if (m_pasteMonitorStarter)
        m_pasteMonitorStarter(promptForAccessibility);
    else
        qCInfo(lcShell) << "No keyboard monitor is installed: global shortcuts are not active";
}

void NotchPanelController::setReadingScreenText(bool reading)
{
    if (reading == m_isReadingScreenText)
        return;
    m_isReadingScreenText = reading;
    Q_EMIT isReadingScreenTextChanged(reading);
}

void NotchPanelController::setPresentationMode(ClipboardPresentationMode mode)
{
    if (mode == m_presentationMode)
        return;
    m_presentationMode = mode;
    m_services.settings.setText(QString::fromLatin1(kPresentationModeSettingKey), rawValue(mode));
    Q_EMIT presentationModeChanged(mode);

    if (mode == ClipboardPresentationMode::Notch) {
        finishMenuBarQuickAccess(true);
        m_isAtCursor = false;
        m_isCollapsing = false;
        stopTimer(m_collapseTimer);
        stopTimer(m_expansionTimer);
        positionPanel();
        m_panel->show();
        bringPanelToFront();
        m_services.windowTraits.keepOffTaskbar(*m_panel);
        keepExpandedUntilPointerVisits();
    } else {
        m_isOpenUntilPointerVisits = false;
        if (!isPanelStandingInForTray())
            m_panel->hide();
        // A notice the notch was showing is the toast's from now on.
        followCompactWidth(false);
        // Wherever the switch was made (the guide, the settings window), the popup opens at once
        // under the tray icon, or at the top edge without a tray: the notch just went away, and
        // this shows the user where Tarnel is now.
        openMenuBarQuickAccess(false);
    }
}

QPoint NotchPanelController::pointerLocation() const
{
    return m_services.pointerLocation ? m_services.pointerLocation() : QCursor::pos();
}

bool NotchPanelController::onboardingComplete() const
{
    return m_services.settings.boolValue(QString::fromLatin1(kOnboardingCompleteSettingKey)).value_or(false);
}

bool NotchPanelController::isOpenedOverQuickAccess(const QObject *object) const
{
    if (!object->isWidgetType() || qobject_cast<const QMenu *>(object))
        return false;
    const auto *widget = static_cast<const QWidget *>(object);
    // A window that takes the keyboard: a dialog or sheet, not the panel's own popups and notices.
    return widget->isWindow() && widget != m_panel && widget != m_popover && widget != m_settingsWindow
        && widget != m_onboardingWindow && widget != m_screenshotToastPanel
        && !widget->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus) && widget->windowType() != Qt::Popup
        && widget->windowType() != Qt::ToolTip;
}

bool NotchPanelController::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if ((type == QEvent::Show || type == QEvent::Hide || type == QEvent::Move || type == QEvent::Resize)
        && watched->isWidgetType() && watched != m_panel && static_cast<QWidget *>(watched)->isWindow())
        queuePanelCoverage();
    if ((type == QEvent::Enter || type == QEvent::Leave) && watched == m_panel->windowHandle()) {
        // The window system's word that the pointer crossed the notch, as the panel's native
        // window receives it; the crossings that Qt makes up for widgets shown or hidden under
        // the pointer go to the widgets and say nothing about it.
        updatePointerPassthrough();
    } else if (type == QEvent::Show || type == QEvent::Hide) {
        if (auto *menu = qobject_cast<QMenu *>(watched)) {
            if (type == QEvent::Show)
                menuDidOpen(menu);
            else
                menuDidClose(menu);
        } else if (m_isAtCursor && isOpenedOverQuickAccess(watched)) {
            // A window opened over Quick Access (a save dialog) came or went: the keyboard moves
            // through the window manager, which may leave it elsewhere for a while.
            m_windowOverQuickAccess = type == QEvent::Show ? static_cast<QWidget *>(watched) : nullptr;
            m_windowOverQuickAccessChanged.start();
        }
    } else if ((type == QEvent::MouseButtonPress && watched->isWidgetType()
                && static_cast<QWidget *>(watched)->window() == m_panel && !m_panel->isActiveWindow())
               || (type == QEvent::WindowActivate && watched == m_panel)) {
        // The panel is about to take the keyboard (a click into its search field), or took it
        // some other way: where the keyboard was is noted first. What the user clicks into
        // stands in front, over the settings or guide opened from it before.
        noteKeyboardBeforePanel();
        if (type == QEvent::MouseButtonPress)
            bringPanelToFront();
    } else if (type == QEvent::MouseButtonPress && m_isAtCursor && watched == static_cast<QObject *>(m_panel->windowHandle())
               && QGuiApplication::focusWindow() != m_panel->windowHandle()) {
        // A click into Quick Access that somehow lost the keyboard gives it back.
        takeKeyboardForQuickAccess();
    } else if ((type == QEvent::WindowActivate || type == QEvent::WindowDeactivate)
               && (watched == m_settingsWindow || watched == m_onboardingWindow)) {
        // The panel floats over every ordinary window, and an ordinary window opened from it
        // would open behind it. While the user works in one of Tarnel's own windows, that window
        // stands in the panel's layer, in front of it; once the user turns elsewhere it is an
        // ordinary window again, which other applications' windows may cover.
        auto *window = static_cast<QWidget *>(watched);
        const bool active = type == QEvent::WindowActivate;
        m_services.windowTraits.setKeptAbove(*window, active);
        if (active)
            window->raise();
    } else if (type == QEvent::Close && watched->isWidgetType()) {
        auto *widget = static_cast<QWidget *>(watched);
        if (widget == m_onboardingWindow || widget == m_settingsWindow || widget == m_screenshotActionWindow)
            windowWillClose(widget);
    }
    return QObject::eventFilter(watched, event);
}
