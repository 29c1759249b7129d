// Tarnel's entry: the one place where the desktop backends are chosen and handed in.
#include "core/L10n.h"
#include "core/Logging.h"
#include "core/ClipboardImageStore.h"
#include "engine/ClipboardModel.h"
#include "engine/HistoryWriter.h"
#include "engine/TarnelMigration.h"
#include "platform/ScreenTextCapture.h"
#include "platform/ScreenshotFolderMonitor.h"
#include "platform/linux/LinuxFolderWatcher.h"
#include "platform/linux/LinuxInstanceLock.h"
#include "platform/linux/LinuxLoginItem.h"
#include "platform/linux/LinuxQrDetector.h"
#include "platform/linux/LinuxScreenshotLocation.h"
#include "platform/linux/LinuxSettingsStore.h"
#include "platform/linux/SqliteHistoryStore.h"
#include "platform/linux/TerminationRequest.h"
#include "platform/linux/LinuxTextRecognizer.h"
#include "platform/x11/X11RegionCapture.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/linux/LinuxUpdater.h"
#include "platform/x11/X11DesktopCompositor.h"
#include "platform/x11/X11PanelWindowTraits.h"
#include "platform/x11/X11ScreenColormap.h"
#include "platform/x11/X11HotKeyRegistry.h"
#include "platform/x11/X11KeySender.h"
#include "platform/x11/X11KeyTap.h"
#include "platform/x11/X11Permissions.h"
#include "platform/x11/X11Session.h"
#include "platform/x11/X11TrayHostMonitor.h"
#include "platform/x11/X11Workspace.h"
#include "shell/AppDelegate.h"
#include "shell/NotchPanelController.h"
#include "shell/GlobalPasteMonitor.h"
#include "shell/MenuBarPopover.h"
#include "shell/PermissionExplanation.h"
#include "shell/QtTranslations.h"
#include "shell/TarnelPanel.h"
#include "ui/panel/ClipboardPanelView.h"
#include "ui/panel/PanelSheetHost.h"
#include "ui/quickaccess/QuickAccessHost.h"
#include "ui/quickaccess/QuickAccessView.h"
#include "ui/style/PanelStyle.h"
#include "shell/ClipboardModelPanelLink.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>

#include <chrono>
#include <utility>

#include <vector>

namespace {

// The services that live as long as the program, built once at its start.
struct Desktop {
    // Before any window is made.
    X11ScreenColormap colormaps;
    LinuxSettingsStore settings{LinuxSettingsStore::defaultPath()};
    SqliteHistoryStore history{SqliteHistoryStore::defaultPath()};
    X11Workspace workspace;
    // The tap decides whether keys of other applications can be seen, so it comes first.
    X11KeyTap keyTap;
    X11Permissions permissions{&keyTap};
    X11HotKeyRegistry hotKeys;
    X11KeySender keySender{&workspace};
    X11PanelWindowTraits windowTraits;
    X11DesktopCompositor compositor;
    X11TrayHostMonitor trayHost;
    X11Pasteboard pasteboard;
    LinuxLoginItem loginItem;
    LinuxScreenshotLocation screenshotLocation;
    LinuxTextRecognizer textRecognizer;
    LinuxQrDetector qrDetector;
    X11RegionCapture regionCapture;
    ScreenTextCapture screenText{regionCapture, textRecognizer};
    std::unique_ptr<LinuxUpdater> updater;
    std::unique_ptr<ClipboardModel> model;
    std::unique_ptr<ClipboardModelPanelLink> panelModel;
    std::unique_ptr<GlobalPasteMonitor> pasteMonitor;
};

void showAlert(const QString &message, const QString &informativeText)
{
    QMessageBox box(QMessageBox::Information, QStringLiteral("Tarnel"), L10n::text(message));
    box.setInformativeText(L10n::text(informativeText));
    box.exec();
}

// A quit waits this often to see whether the copies already made are in.
constexpr std::chrono::milliseconds kQuitSettleInterval{20};
// How long a quit may wait for the model to finish the copies it took in: long texts are
// classified and large images reduced on workers, in time linear in their size.
constexpr std::chrono::milliseconds kCopyFinishAllowance{5000};
// How long an instance asked to quit by a newer one may take: the copy the reader is still
// fetching, its classification, the history's last write, and the reader's stop.
constexpr std::chrono::milliseconds kAskedInstanceQuitWait = X11Pasteboard::kFetchDeadline + kCopyFinishAllowance
    + HistoryWriter::kQuitFlushLimit + X11Pasteboard::kReaderStopLimit + std::chrono::seconds(2);

// Quits once the copies already made are in: the clipboard reader has handed over the copy it
// may be fetching, and the model has finished every copy it took (a long text is classified, a
// large image reduced, on a worker). A copy handed over reaches the model through the event
// queue, so the quit waits for one quiet check after another, with the queue turned between
// them. The reader's fetch deadline and the finishing allowance bound the wait.
void quitOnceCopiesAreIn(const Desktop &desktop)
{
    static bool quitting = false;
    if (std::exchange(quitting, true))
        return;
    const auto deadline = std::chrono::steady_clock::now() + X11Pasteboard::kFetchDeadline + kCopyFinishAllowance;
    auto *timer = new QTimer(qApp);
    auto quietChecks = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, qApp, [&desktop, timer, deadline, quietChecks] {
        const bool busy = desktop.pasteboard.isFetching() || (desktop.model && desktop.model->pendingCaptureCount() > 0);
        *quietChecks = busy ? 0 : *quietChecks + 1;
        if (*quietChecks < 2 && std::chrono::steady_clock::now() < deadline)
            return;
        if (busy)
            qCWarning(lcShell) << "Quitting before the last copy was finished: it took longer than"
                               << (X11Pasteboard::kFetchDeadline + kCopyFinishAllowance).count() << "ms";
        timer->stop();
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    });
    timer->start(kQuitSettleInterval);
}

} // namespace

int main(int argc, char *argv[])
{
    // Qt keeps the arguments for the life of the application object.
    QList<QByteArray> arguments = X11Session::qtArguments(argc, argv);
    std::vector<char *> argumentPointers;
    for (QByteArray &argument : arguments)
        argumentPointers.push_back(argument.data());
    argumentPointers.push_back(nullptr);
    int qtArgc = int(arguments.size());
    QApplication app(qtArgc, argumentPointers.data());
    QApplication::setApplicationName(QStringLiteral("Tarnel"));
    QApplication::setApplicationVersion(QStringLiteral(TARNEL_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("tarnel"));
    // An accessory: closing its windows never ends it; only a newer instance or the session does.
    QApplication::setQuitOnLastWindowClosed(false);
    PanelStyle::installApplicationFont();

    // Made before the services and so ended after them: the lock is held, and a newer instance
    // kept waiting, until the history's last write is done.
    LinuxInstanceLock::Options lockOptions;
    lockOptions.quitWait = kAskedInstanceQuitWait;
    LinuxInstanceLock lock(lockOptions);
    Desktop desktop;
    L10n::setLanguageReader([&desktop] { return desktop.settings.textValue(QString::fromLatin1(kAppLanguageSettingKey)); });
    QObject::connect(&desktop.permissions, &Permissions::explanationRequested, &app, [&desktop](Permissions::Kind kind) {
        PermissionExplanation::show(kind, desktop.permissions.waylandSession());
    });

    AppDelegate::StartSteps steps;
    steps.runMigration = [&desktop] {
        const LinuxSettingsStore earlier(LinuxSettingsStore::earlierProductPath(), LinuxSettingsStore::Access::ReadOnly);
        const QString dataRoot = ClipboardImageStore::dataRootPath();
        TarnelMigration::run(desktop.settings, earlier,
                             {ClipboardImageStore::directoryPathIn(dataRoot, QStringLiteral("Quorvel")),
                              ClipboardImageStore::directoryPathIn(dataRoot)},
                             &desktop.history);
    };
    steps.startUpdater = [&desktop] {
        desktop.updater = std::make_unique<LinuxUpdater>();
        QObject::connect(desktop.updater.get(), &TarnelUpdater::alertRequested, desktop.updater.get(), showAlert);
    };
    steps.createController = [&desktop] {
        // Before the model reads it, so the settings show the entry as it now stands.
        desktop.loginItem.rewriteIfStale();
        ClipboardModelServices modelServices;
        modelServices.pasteboard = &desktop.pasteboard;
        modelServices.settings = &desktop.settings;
        modelServices.history = &desktop.history;
        modelServices.workspace = &desktop.workspace;
        modelServices.loginItem = &desktop.loginItem;
        modelServices.permissions = &desktop.permissions;
        modelServices.keySender = &desktop.keySender;
        modelServices.screenshotLocation = &desktop.screenshotLocation;
        modelServices.screenshotMonitor = std::make_unique<ScreenshotFolderMonitor>(std::make_unique<LinuxFolderWatcher>());
        desktop.model = std::make_unique<ClipboardModel>(std::move(modelServices));
        new QtTranslations(*desktop.model, desktop.model.get());
        desktop.panelModel = std::make_unique<ClipboardModelPanelLink>(*desktop.model, desktop.settings);
        // One alert per spell of failed history writes; a later write that succeeds closes it.
        QObject::connect(desktop.model.get(), &ClipboardModel::historyStorageIssueChanged, desktop.model.get(),
                         [&desktop] {
                             static QPointer<QMessageBox> shown;
                             const std::optional<QString> issue = desktop.model->historyStorageIssue();
                             if (!issue) {
                                 if (shown)
                                     shown->close();
                                 return;
                             }
                             if (shown)
                                 return;
                             shown = new QMessageBox(QMessageBox::Warning, QStringLiteral("Tarnel"), L10n::text(*issue));
                             shown->setAttribute(Qt::WA_DeleteOnClose);
                             shown->setModal(false);
                             shown->show();
                         });
        PanelServices services{desktop.settings, desktop.workspace, desktop.permissions, desktop.windowTraits, {},
                               &QSystemTrayIcon::isSystemTrayAvailable, &desktop.textRecognizer, &desktop.qrDetector,
                               &desktop.screenText, {}};
        services.updater = desktop.updater.get();
        services.compositor = &desktop.compositor;
        services.trayHostMonitor = &desktop.trayHost;
        services.clipboardModel = desktop.model.get();
        auto controller = std::make_unique<NotchPanelController>(*desktop.panelModel, services);
        NotchPanelController *panelController = controller.get();

        // The notch panel and the menu-bar popup show Quick Access while it is open.
        const auto hostedContent = [&desktop, panelController] {
            auto *quickAccess = new QuickAccessView(*desktop.model);
            QObject::connect(quickAccess, &QuickAccessView::layoutChanged, panelController,
                             &NotchPanelController::refreshQuickAccessLayout);
            QObject::connect(quickAccess, &QuickAccessView::dismissRequested, panelController,
                             &NotchPanelController::dismissQuickAccess);
            QObject::connect(quickAccess, &QuickAccessView::settingsRequested, panelController,
                             &NotchPanelController::openSettingsWindow);
            QObject::connect(quickAccess, &QuickAccessView::permissionSettingsRequested, panelController,
                             [panelController](bool accessibilityTrusted) {
                                 if (accessibilityTrusted)
                                     panelController->requestInputMonitoringAccess();
                                 else
                                     panelController->openAccessibilitySettings();
                             });
            auto *panelView = new ClipboardPanelView(*desktop.panelModel, desktop.model.get(), *panelController, false);
            // Image options chosen in Quick Access are performed by the panel's view.
            QObject::connect(quickAccess, &QuickAccessView::imageActionChosen, panelView,
                             &ClipboardPanelView::performQuickImageAction);
            // So are a Jar card's rename and delete: the panel owns the editor and the confirmation.
            QObject::connect(quickAccess, &QuickAccessView::jarRenameRequested, panelView,
                             [panelView](const QString &jarID) { panelView->sheets()->editJar(jarID); });
            QObject::connect(quickAccess, &QuickAccessView::jarDeleteRequested, panelView, [panelView](const QString &jarID) {
                panelView->sheets()->confirmClear(ClearSection::DeleteJar, jarID);
            });
            auto *host = new QuickAccessHost(panelView, quickAccess);
            ClipboardModel *model = desktop.model.get();
            const auto follow = [host, model] { host->setQuickAccessPresented(model->isQuickAccessPresented()); };
            QObject::connect(model, &ClipboardModel::isQuickAccessPresentedChanged, host, follow);
            follow();
            return host;
        };
        controller->panel()->setContent(hostedContent());
        // A paste closes Quick Access in the model; the panel then goes back under the notch
        // (or the popup closes) as on any other dismissal. Queued: the paste road itself first
        // activates the application the user came from and sends Ctrl+V once it had time to
        // take the keyboard; dismissing within the same call would activate it early and send
        // Ctrl+V at once, into whichever window still had the keyboard.
        QObject::connect(
            desktop.model.get(), &ClipboardModel::isQuickAccessPresentedChanged, panelController,
            [&desktop, panelController] {
                if (!desktop.model->isQuickAccessPresented()
                    && (panelController->isAtCursor() || panelController->isMenuBarQuickAccess()))
                    panelController->dismissQuickAccess();
            },
            Qt::QueuedConnection);
        // A paste whose Ctrl+V could not be sent is heard, as a refused key press is.
        QObject::connect(desktop.model.get(), &ClipboardModel::pasteFailed, controller.get(), [] { QApplication::beep(); });
        controller->menuBarPopover()->setContent(hostedContent());

        desktop.pasteMonitor = std::make_unique<GlobalPasteMonitor>(
            *desktop.model,
            GlobalPasteMonitorServices{
                desktop.hotKeys, desktop.keyTap, desktop.permissions, desktop.workspace, nullptr, {}, {},
                [&desktop, panelController] {
                    const auto isShown = [](const QWidget *window) { return window && window->isVisible(); };
                    return isShown(panelController->settingsWindow()) || isShown(panelController->onboardingWindow())
                        || desktop.model->isQuickAccessPresented();
                }});
        QObject::connect(desktop.pasteMonitor.get(), &GlobalPasteMonitor::quickAccessRequested, panelController,
                         &NotchPanelController::openQuickAccess);
        QObject::connect(desktop.pasteMonitor.get(), &GlobalPasteMonitor::dismissQuickAccessRequested, panelController,
                         &NotchPanelController::dismissQuickAccess);
        QObject::connect(desktop.pasteMonitor.get(), &GlobalPasteMonitor::accessibilityRequired, panelController,
                         &NotchPanelController::openSettingsWindow);
        controller->setPasteMonitorStarter([&desktop](bool promptForAccessibility) {
            desktop.pasteMonitor->requestAccessAndStart(promptForAccessibility);
        });
        return controller;
    };
    // A logout quits as any other request does: the model's destruction at the end of main
    // lets the history writer commit what is still waiting.
    TerminationRequest termination;
    QObject::connect(&termination, &TerminationRequest::requested, &app,
                     [&desktop] { quitOnceCopiesAreIn(desktop); });
    AppDelegate delegate(lock, std::move(steps));
    QObject::connect(&delegate, &AppDelegate::quitRequested, &app, [&desktop] {
        qCInfo(lcShell) << "A newer Tarnel started: quitting";
        quitOnceCopiesAreIn(desktop);
    });
    delegate.applicationDidFinishLaunching();
    return app.exec();
}
