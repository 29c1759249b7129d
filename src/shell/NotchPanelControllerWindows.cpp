// The settings and first-run windows, created on demand and forgotten when closed.
#include "shell/NotchPanelController.h"

#include "core/L10n.h"
#include "core/Logging.h"
#include "engine/ClipboardModel.h"
#include "engine/PreferencesLink.h"
#include "platform/PanelWindowTraits.h"
#include "platform/Permissions.h"
#include "platform/SettingsStore.h"
#include "shell/TarnelPanel.h"
#include "ui/onboarding/OnboardingView.h"
#include "ui/tools/ScreenFit.h"

#include <QApplication>
#include <QFileDialog>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <utility>

namespace {

QWidget *makeHostWindow(QWidget *content, const QString &title, Qt::WindowFlags flags)
{
    auto *window = new QWidget(nullptr, flags);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setAttribute(Qt::WA_QuitOnClose, false);
    window->setWindowTitle(title);
    auto *layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content);
    return window;
}

void centreOnScreen(QWidget *window)
{
    if (QScreen *screen = window->screen()) {
        const QRect area = screen->availableGeometry();
        window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
    }
}

} // namespace

void NotchPanelController::presentWindow(QWidget *window)
{
    window->show();
    window->raise();
    // Opened from the open panel: in front of it until the panel closes or is opened again. The
    // resting notch stays over it, always in reach.
    if (m_isWidthExpanded || m_isContentExpanded) {
        m_services.windowTraits.liftOverPanel(*window);
        if (!m_liftedOverPanel.contains(window))
            m_liftedOverPanel.append(window);
        queuePanelCoverage();
    }
    window->activateWindow();
}

void NotchPanelController::bringPanelToFront()
{
    m_liftedOverPanel.clear();
    m_services.windowTraits.bringToFront(*m_panel);
    queuePanelCoverage();
}

void NotchPanelController::queuePanelCoverage()
{
    if (std::exchange(m_coverageQueued, true))
        return;
    QTimer::singleShot(0, this, [this] {
        m_coverageQueued = false;
        updatePanelCoverage();
    });
}

bool NotchPanelController::standsOverPanel(const QWidget &window) const
{
    // What bypasses the manager (sheets, menus, notices) stands in the server's order with the
    // panel, which every compositor keeps; the settings and guide stand under the panel unless
    // opened from it since it was last brought to the front.
    if (&window == m_panel || !window.isWindow() || !window.isVisible()
        || window.windowFlags().testFlag(Qt::BypassWindowManagerHint))
        return false;
    const Qt::WindowType type = window.windowType();
    if (type != Qt::Window && type != Qt::Dialog && type != Qt::Sheet && type != Qt::Tool)
        return false;
    if (&window == m_settingsWindow || &window == m_onboardingWindow)
        return m_liftedOverPanel.contains(&window);
    return true;
}

void NotchPanelController::updatePanelCoverage()
{
    QRegion covered;
    for (QWidget *window : QApplication::topLevelWidgets())
        if (standsOverPanel(*window))
            covered += window->frameGeometry();
    m_panel->setCoveredRegion(covered);
}

void NotchPanelController::openSettingsWindow()
{
    // Opened from Quick Access, the settings take the keyboard from it: handed back to the
    // application first, the keyboard would be moved there directly, and a manager that then
    // focuses the new settings window with an older time of its own (i3) is refused by the
    // server and leaves the keyboard with that application.
    if (m_isAtCursor && !m_isMenuBarQuickAccess) {
        m_keyboardBeforePanel.reset();
        m_model.setPasteTargetApplication(std::nullopt);
    }
    dismissQuickAccess();
    if (m_settingsWindow) {
        presentWindow(m_settingsWindow);
        return;
    }
    constexpr Qt::WindowFlags flags = Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
        | Qt::WindowMinimizeButtonHint;
    QWidget *window = makeHostWindow(makePanelView(true), L10n::text(QStringLiteral("Nastavenia Tarnel")), flags);
    // A closed window is made anew when opened again; the page chosen in the last one is kept here.
    if (auto *settings = window->findChild<SettingsView *>()) {
        settings->setTab(m_settingsTab);
        connect(settings, &SettingsView::tabChanged, this, [this](SettingsView::Tab tab) { m_settingsTab = tab; });
    }
    // The title is the window's part of the interface: it follows the language with the rest.
    connect(&m_model, &PanelModelLink::languageChanged, window,
            [window] { window->setWindowTitle(L10n::text(QStringLiteral("Nastavenia Tarnel"))); });
    window->setWindowRole(QString::fromLatin1(TarnelPanel::settingsRole));
    // Not resizable, which is also what tells a tiling manager to float it at this size rather
    // than stretch it over the screen; its pages scroll where the screen holds less.
    window->setFixedSize(sizeWithinScreen(PanelMetrics::settingsSize.toSize(), window->screen()));
    centreOnScreen(window);
    m_settingsWindow = window;
    // A window of its own beside the panel, which stands over it while it is open.
    m_services.windowTraits.keepUnderPanel(*window);
    presentWindow(window);
}

void NotchPanelController::showOnboarding()
{
    if (m_onboardingWindow) {
        presentWindow(m_onboardingWindow);
        return;
    }
    ClipboardModel *model = m_services.clipboardModel;
    if (!model) {
        qCWarning(lcShell) << "The first-run guide needs the application model; none is attached";
        return;
    }
    auto *view = new OnboardingView(model->preferences(), m_model.savedPresentationMode());
    // Connected through the controller: once it is gone, the guide's buttons do nothing.
    connect(view, &OnboardingView::keySendingHelpRequested, this, &NotchPanelController::openAccessibilitySettings);
    connect(view, &OnboardingView::keyWatchHelpRequested, this, &NotchPanelController::requestInputMonitoringAccess);
    connect(view, &OnboardingView::screenshotFolderRequested, this, &NotchPanelController::chooseScreenshotFolder);
    connect(view, &OnboardingView::finished, this, &NotchPanelController::finishOnboarding);
    constexpr Qt::WindowFlags flags = Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
    QWidget *window = makeHostWindow(view, QStringLiteral("Tarnel"), flags);
    // The guide's pages are laid out for this one size: the window cannot be resized (and a
    // tiling manager floats it), and it is smaller only where the screen holds less, its page
    // scrolling between the steps and the buttons.
    window->setFixedSize(sizeWithinScreen(PanelMetrics::onboardingSize.toSize(), window->screen()));
    window->setWindowRole(QString::fromLatin1(TarnelPanel::onboardingRole));
    centreOnScreen(window);
    m_onboardingWindow = window;
    m_services.windowTraits.keepUnderPanel(*window);
    presentWindow(window);
}

void NotchPanelController::finishOnboarding(bool completed, ClipboardPresentationMode mode)
{
    if (completed)
        m_services.settings.setBool(QString::fromLatin1(kOnboardingCompleteSettingKey), true);
    if (QWidget *window = m_onboardingWindow) {
        m_onboardingWindow = nullptr;
        window->close();
    }
    if (completed)
        setPresentationMode(mode);
}

void NotchPanelController::windowWillClose(QWidget *window)
{
    if (window == m_onboardingWindow)
        m_onboardingWindow = nullptr;
    if (window == m_settingsWindow)
        m_settingsWindow = nullptr;
    if (window == m_screenshotActionWindow) {
        m_screenshotActionWindow = nullptr;
        m_hasOpenEditor = false;
    }
}

void NotchPanelController::openAccessibilitySettings()
{
    // The desktop has no pane that grants this; Tarnel explains what is missing instead.
    m_services.permissions.showExplanation(Permissions::Kind::Accessibility);
}

void NotchPanelController::requestInputMonitoringAccess()
{
    m_services.permissions.showExplanation(Permissions::Kind::InputMonitoring);
}

void NotchPanelController::chooseScreenshotFolder()
{
    auto *dialog = new QFileDialog(nullptr, L10n::text(QStringLiteral("Vyber priečinok, do ktorého sa ukladajú snímky obrazovky.")));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    dialog->setLabelText(QFileDialog::Accept, L10n::text(QStringLiteral("Použiť priečinok")));
    if (const std::optional<QString> folder = m_model.screenshotFolderPath())
        dialog->setDirectory(*folder);
    dialog->setWindowFlag(Qt::WindowStaysOnTopHint);
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString &path) {
        if (!path.isEmpty())
            m_model.setScreenshotFolder(path);
    });
    dialog->open();
    dialog->raise();
    dialog->activateWindow();
}
