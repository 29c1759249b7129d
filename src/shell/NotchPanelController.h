#pragma once

#include "core/ClipboardPresentationMode.h"
#include "engine/PanelModelLink.h"
#include "ui/PanelController.h"
#include "ui/settings/SettingsView.h"
#include "shell/PanelTimings.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRectF>
#include <QSet>
#include <QSizeF>
#include <QWidget>

#include <chrono>
#include <functional>
#include <memory>

class ClipboardModel;
class MenuBarPopover;
class ModelClock;
class SystemModelClock;
class QMenu;
class QSystemTrayIcon;
class QTimer;
class QVariantAnimation;
class QWidget;
class TarnelPanel;

class DesktopCompositor;
class PanelWindowTraits;
class Permissions;
class QrDetector;
class TarnelUpdater;
class TextRecognizer;
class TrayHostMonitor;
class DesktopBars;
class PointerMotion;
class PointerPresses;
class ScreenTextCapture;
struct ScreenTextResult;
class SettingsStore;
class Workspace;

inline constexpr char kOnboardingCompleteSettingKey[] = "tarnel.onboardingComplete";

// The desktop as the controller meets it. The program hands in the real services; tests
// hand in fakes, a pointer of their own and no tray.
struct PanelServices {
    SettingsStore &settings;
    Workspace &workspace;
    Permissions &permissions;
    PanelWindowTraits &windowTraits;
    // Global pointer position; QCursor::pos() when empty.
    std::function<QPoint()> pointerLocation;
    // Whether a tray host runs right now, so that the tray icon can be seen at all. The host
    // may come and go (a desktop panel starting after Tarnel at login): asked at start and
    // again whenever trayHostMonitor announces a change. Empty means never.
    std::function<bool()> systemTrayAvailable;
    // Read a screenshot's text and QR codes in the text sheet; absent, reading fails there.
    TextRecognizer *textRecognizer = nullptr;
    QrDetector *qrDetector = nullptr;
    // Reads text in a region the user picks; none where the screen cannot be read.
    ScreenTextCapture *screenTextCapture = nullptr;
    // Shows a modal alert with the given buttons (first is the default) and returns the index
    // of the one chosen; a message box when empty.
    std::function<int(const QString &message, const QString &informativeText, const QStringList &buttons)> alert;
    // Checks for updates from the settings; none in tests.
    TarnelUpdater *updater = nullptr;
    // Announces a tray host coming or going; without one the answer at start stays.
    TrayHostMonitor *trayHostMonitor = nullptr;
    // Whether the desktop composites, so that shaped windows may be translucent; without it
    // they are always cut to their outlines.
    DesktopCompositor *compositor = nullptr;
    // Runs the hover delays; Qt's timers when none. Tests move time by hand.
    ModelClock *clock = nullptr;
    // The whole application model, for the windows whose views need more of it than the
    // controller's face (the settings, the guide, the details panel, the screenshot text sheet);
    // none where the controller runs alone, which then offers only what the face gives.
    ClipboardModel *clipboardModel = nullptr;
    // The user's pointer presses anywhere on the desktop: one outside the menu-bar popup closes
    // it also where the manager leaves the keyboard with it. Without it only losing the
    // keyboard closes the popup.
    PointerPresses *pointerPresses = nullptr;
    // Where the pointer goes, told by the desktop about the pointer itself: a shell may keep the
    // crossing events at the top edge from the notch's own window. Without it the notch learns
    // of the pointer from its window's crossings alone.
    PointerMotion *pointerMotion = nullptr;
    // What the desktop's own bars hold at the top of the screen: the notch hangs from their lower
    // edge. Without it the notch stands at the top of the screen.
    DesktopBars *desktopBars = nullptr;
};

// The clocks of hover; tests shorten them, the program keeps the defaults.
struct NotchHoverTimings {
    std::chrono::milliseconds pointerTick = PanelTimings::pointerTick;
    std::chrono::milliseconds contentExpansionDelay = PanelTimings::contentExpansionDelay;
    std::chrono::milliseconds widthCollapseDelay = PanelTimings::widthCollapseDelay;
    std::chrono::milliseconds widenAnimation = PanelTimings::widenAnimation;
    std::chrono::milliseconds narrowAnimation = PanelTimings::narrowAnimation;
    std::chrono::milliseconds quickAccessKeyboardWait = PanelTimings::quickAccessKeyboardWait;
};

// The one long-lived object of the interface: owns the notch panel, the menu-bar popup and
// tray icon, the settings, first-run, screenshot-toast and screenshot-action windows and the
// hover timers, and publishes the panel's expansion and the presentation mode to the views.
class NotchPanelController : public PanelController {
    Q_OBJECT

public:
    NotchPanelController(PanelModelLink &model, PanelServices services,
                         NotchHoverTimings timings = {}, QObject *parent = nullptr);
    ~NotchPanelController() override;

    PanelModelLink &model() const { return m_model; }

    // --- start-up
    // Monitoring, the panel, the keyboard monitor and, while not completed, the first-run guide.
    void startServices();
    // Places the panel at the top centre and shows it (notch mode) or keeps it out (menu bar).
    void show();
    void startPasteMonitoring();
    // Hook for the keyboard monitor: called with whether the Accessibility prompt may show.
    void setPasteMonitorStarter(std::function<void(bool promptForAccessibility)> starter);

    // --- published state
    bool isWidthExpanded() const override { return m_isWidthExpanded; }
    bool isContentExpanded() const override { return m_isContentExpanded; }
    ClipboardPresentationMode presentationMode() const override { return m_presentationMode; }
    bool isReadingScreenText() const override { return m_isReadingScreenText; }
    void setReadingScreenText(bool reading);
    // The size of the notch as drawn right now, width animated between its states.
    QSizeF drawnNotchSize() const override;

    // --- hover
    qreal compactWidth() const override;
    void setEditorOpen(bool isOpen) override;
    void setActionMenuOpen(bool isOpen) override;
    void toggleExpanded() override;
    // One look at the pointer; the pointer timer runs it every tick.
    void updatePointerPassthrough();
    void menuDidOpen(QMenu *menu);
    void menuDidClose(QMenu *menu);

    // --- presentation mode and menu bar
    void setPresentationMode(ClipboardPresentationMode mode) override;
    void statusItemClicked();
    void openMenuBarQuickAccess(bool pasteAs);
    void finishMenuBarQuickAccess(bool closePopover);
    void dismissQuickAccess();
    // Quick Access at the centre of the screen under the pointer (notch mode), or in the popup
    // (menu-bar mode); from the history and paste-as shortcuts.
    void openQuickAccess(bool pasteAs);
    void positionPanelAtScreenCenter(QSizeF size);
    // Tarnel lost or regained the keyboard (the application state).
    void applicationStateChanged(Qt::ApplicationState state);
    QSizeF quickAccessSize() const;
    void refreshQuickAccessLayout();

    // --- windows
    void openSettingsWindow() override;
    void showOnboarding() override;
    void openAccessibilitySettings() override;
    void requestInputMonitoringAccess() override;
    void chooseScreenshotFolder() override;
    TarnelUpdater *updater() const override { return m_services.updater; }

    // --- screenshots
    // Hides Tarnel's windows, lets the user pick a region of the screen and puts the text read
    // there into the history and onto the clipboard. Ignored while a read runs.
    void readTextFromScreen() override;
    qreal screenshotPreviewHeight() const override;
    void openScreenshotAction(const ClipboardEntry &entry, bool extractText) override;

    // --- the windows themselves (read by views and tests)
    TarnelPanel *panel() const { return m_panel; }
    MenuBarPopover *menuBarPopover() const { return m_popover; }
    QSystemTrayIcon *statusItem() const { return m_statusItem; }
    QWidget *settingsWindow() const { return m_settingsWindow; }
    QWidget *onboardingWindow() const { return m_onboardingWindow; }
    QWidget *screenshotToastPanel() const { return m_screenshotToastPanel; }
    QWidget *screenshotActionWindow() const { return m_screenshotActionWindow; }
    bool hasOpenEditor() const { return m_hasOpenEditor; }
    bool isCollapsing() const { return m_isCollapsing; }
    bool isAtCursor() const override { return m_isAtCursor; }
    bool isMenuBarQuickAccess() const { return m_isMenuBarQuickAccess; }
    bool isPointerPassingThrough() const { return m_ignoresMouseEvents; }
    // Whether the pointer beat runs: only while the panel is open, opening, closing or held.
    bool isFollowingPointer() const;
    // Whether the panel shows although the mode is the menu bar, for want of a tray host.
    bool isPanelStandingInForTray() const override;
    // Looks whether a tray host came or went (a timer does this every second).
    void checkTrayAvailability();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // construction pieces
    void buildPanel();
    void buildPopover();
    void installStatusItem();
    bool trayAvailable() const;
    void positionPanel();
    // Where the panel stands at the top of a screen: centred, hanging from the desktop's bar there.
    QRect notchFrame(const QRect &screenGeometry) const;
    void screenChanged();
    QWidget *makePanelView(bool isStandaloneSettings);

    void takeKeyboardForQuickAccess();
    // The application Quick Access pastes back into: the frontmost one, unless that is Tarnel.
    std::optional<RunningApplication> frontmostOtherApplication() const;
    // The model's part of opening Quick Access, the same from the notch and from the tray: the
    // History tab, and for Paste As the first entry chosen and the search field focused.
    void beginQuickAccessOnModel(const std::optional<RunningApplication> &front, bool pasteAs);
    // Whether the object is a window of Tarnel's that takes the keyboard over Quick Access (a
    // dialog or sheet), not one of the panel's popups, notices or the free windows.
    bool isOpenedOverQuickAccess(const QObject *object) const;
    // Closes Quick Access if the desktop does not hand the panel the keyboard in time.
    void closeQuickAccessWithoutKeyboard();

    // hover pieces
    // Whether the notch shows a screenshot's notice now (notch mode only; the toast otherwise).
    bool showsScreenshotNotice() const;
    bool containsPointer() const;
    bool containsPoint(const QPoint &pointer) const;
    QSizeF hitRegionSize() const;
    // The size the notch takes at the larger end of its running animations; empty at rest.
    QSizeF animationEndsSize() const;
    void expandForPointerEntry();
    void collapseForPointerExit();
    void keepExpanded();
    // Opens fully, and keeps it so while the pointer is elsewhere (the tray icon, the settings)
    // until it has been inside the panel.
    void keepExpandedUntilPointerVisits();
    void takeKeyboardForMenu();
    // Notes where the keyboard is before the panel takes it, unless already noted.
    void noteKeyboardBeforePanel();
    // Hands the keyboard back to where it was before the panel took it; false when nothing was noted.
    bool giveKeyboardBack();
    void recordFrontApplication();
    void setWidthExpanded(bool expanded, std::chrono::milliseconds duration);
    void setContentExpanded(bool expanded);
    // Brings the collapsed notch to the width the notices give, eased or at once.
    void followCompactWidth(bool eased);
    // Runs work after the delay unless the returned token is stopped (deleted) first.
    QObject *afterDelay(std::chrono::milliseconds delay, std::function<void(QObject *token)> work);
    void stopTimer(QPointer<QObject> &timer);
    void updateDrawnRegion();
    // Gives a window that is not a rectangle to the desktop's compositor and window system.
    void followDesktop(TarnelPanel &window);
    // What the hosted views fill their outlines with, in the current appearance.
    void updateSurfaces();
    // Starts the pointer beat when the panel needs it and stops it when the panel rests.
    void followPointerWhileNeeded();
    bool needsPointerBeat() const;
    // Where the resting notch takes the pointer, in global coordinates.
    QRect restingHitArea() const;
    // Holds the pointer while it is on the open panel, and lets it go otherwise.
    void holdPointerWhileOpen(const QPoint &pointer, bool inside);
    // Whether another window of the program stands at the point (a menu, a sheet, the settings).
    bool ownWindowOverPanelAt(const QPoint &pointer) const;

    // windows
    void finishOnboarding(bool completed, ClipboardPresentationMode mode);
    void windowWillClose(QWidget *window);
    void presentWindow(QWidget *window);
    // Puts the panel over the settings and guide opened from it before, as the user asked.
    void bringPanelToFront();
    // Cuts the program's managed windows that stand over the panel out of what it draws, once
    // the events of the moment are through.
    void queuePanelCoverage();
    void updatePanelCoverage();
    bool standsOverPanel(const QWidget &window) const;
    QPoint pointerLocation() const;
    bool onboardingComplete() const;
    void watchClose(QWidget *window);

    // screenshots
    void screenshotNoticeChanged();
    // Looks again, while a notice waits for a covered screen, until the screen shows.
    void waitForScreen();
    void showScreenshotToast(const ClipboardEntry &entry);
    void finishScreenRead(const ScreenTextResult &result, bool toastWasShown);
    int alert(const QString &message, const QString &informativeText, const QStringList &buttons);

    PanelModelLink &m_model;
    PanelServices m_services;
    NotchHoverTimings m_timings;
    std::unique_ptr<SystemModelClock> m_ownClock;
    ModelClock *m_clock = nullptr;

    TarnelPanel *m_panel = nullptr;
    MenuBarPopover *m_popover = nullptr;
    QSystemTrayIcon *m_statusItem = nullptr;
    QTimer *m_pointerMonitor = nullptr;
    bool m_trayWasAvailable = false;
    QPointer<QObject> m_collapseTimer;
    QPointer<QObject> m_expansionTimer;
    QVariantAnimation *m_widthAnimation = nullptr;
    QVariantAnimation *m_heightAnimation = nullptr;
    std::function<void(bool)> m_pasteMonitorStarter;

    bool m_isAtCursor = false;
    // Which opening of Quick Access the pending keyboard check belongs to.
    quint64 m_quickAccessOpening = 0;
    QSet<const QMenu *> m_trackedMenus;
    bool m_hasOpenEditor = false;
    bool m_hasOpenActionMenu = false;
    bool m_isPointerInside = false;
    bool m_isCollapsing = false;
    bool m_isMenuBarQuickAccess = false;
    bool m_suppressHoverUntilExit = false;
    bool m_isOpenUntilPointerVisits = false;
    bool m_ignoresMouseEvents = false;
    bool m_holdsPointer = false;
    // The desktop's bars changed while the panel was open: it moves to its new place at rest.
    bool m_barsChangedWhileOpen = false;
    bool m_servicesStarted = false;
    std::optional<ClipboardPanelTab> m_tabBeforeQuickAccess;
    // The window of Tarnel's own that had the keyboard when the popup took it.
    QPointer<QWidget> m_windowBeforeQuickAccess;
    // The window that had the keyboard when the notch panel took it, Tarnel's own included:
    // it has the keyboard back when the panel closes or Quick Access ends.
    std::optional<RunningApplication> m_keyboardBeforePanel;
    // Since a window of Tarnel's own over Quick Access (a save dialog) was shown or hidden;
    // invalid when none was.
    QElapsedTimer m_windowOverQuickAccessChanged;
    QPointer<QWidget> m_windowOverQuickAccess;

    QPointer<QWidget> m_onboardingWindow;
    QPointer<QWidget> m_settingsWindow;
    // The page last chosen in the settings: a window opened again after a close starts there.
    SettingsView::Tab m_settingsTab = SettingsView::Tab::General;
    // The settings or guide opened from the open panel, over it until it is brought to the front.
    QList<QPointer<QWidget>> m_liftedOverPanel;
    bool m_coverageQueued = false;
    QPointer<QWidget> m_screenshotToastPanel;
    QPointer<QWidget> m_screenshotActionWindow;
    // A screenshot's notice (in the notch or its toast) that came while the screen was covered,
    // shown once the screen shows again; a look again is due while it waits.
    std::optional<ClipboardEntry> m_noticeWaitingForScreen;
    bool m_toastWaitsForScreen = false;

    bool m_isReadingScreenText = false;
    bool m_isWidthExpanded = false;
    bool m_isContentExpanded = false;
    ClipboardPresentationMode m_presentationMode = ClipboardPresentationMode::Notch;
    qreal m_animatedWidth = PanelMetrics::compactSize.width();
    qreal m_animatedHeight = PanelMetrics::compactSize.height();
    mutable QPair<QString, qreal> m_previewCache;
};
