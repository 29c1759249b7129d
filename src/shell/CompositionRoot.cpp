#include "shell/CompositionRoot.h"

#include "core/ClipboardImageStore.h"
#include "core/FormattedText.h"
#include "core/L10n.h"
#include "core/Logging.h"
#include "engine/ClipboardModel.h"
#include "engine/TarnelMigration.h"
#include "platform/InstanceLock.h"
#include "platform/LoginItem.h"
#include "platform/Pasteboard.h"
#include "platform/Permissions.h"
#include "platform/ScreenshotFolderMonitor.h"
#include "platform/SettingsStore.h"
#include "platform/TarnelUpdater.h"
#include "shell/ClipboardModelPanelLink.h"
#include "shell/GlobalPasteMonitor.h"
#include "shell/MenuBarPopover.h"
#include "shell/NotchPanelController.h"
#include "shell/PermissionExplanation.h"
#include "shell/QtTranslations.h"
#include "shell/TarnelPanel.h"
#include "ui/panel/ClipboardPanelView.h"
#include "ui/panel/PanelSheetHost.h"
#include "ui/quickaccess/QuickAccessHost.h"
#include "ui/quickaccess/QuickAccessView.h"

#include <QApplication>
#include <QMessageBox>
#include <QSystemTrayIcon>
#include <QTimer>

#include <optional>
#include <utility>

namespace {

void showAlert(const QString &message, const QString &informativeText)
{
    QMessageBox box(QMessageBox::Information, QStringLiteral("Tarnel"), L10n::text(message));
    box.setInformativeText(L10n::text(informativeText));
    box.exec();
}

} // namespace

CompositionRoot::CompositionRoot(DesktopServices services, QObject *parent)
    : QObject(parent)
    , m_services(std::move(services))
    , m_startup(m_services.instanceLock,
                DesktopStartup::StartSteps{[this] { runMigration(); }, [this] { startUpdater(); },
                                           [this] { return createController(); }})
{
    L10n::setLanguageReader([this] { return m_services.settings.textValue(QString::fromLatin1(kAppLanguageSettingKey)); });
    connect(&m_services.permissions, &Permissions::explanationRequested, this, [this](Permissions::Kind kind) {
        PermissionExplanation::show(kind, m_services.permissions.waylandSession());
    });
    connect(&m_startup, &DesktopStartup::quitRequested, this, [this] {
        // A newer start asks again while it waits: the first request is the news.
        if (m_quitting)
            return;
        qCInfo(lcShell) << "A newer Tarnel started: quitting";
        quitOnceCopiesAreIn();
    });
    connect(&m_startup, &DesktopStartup::gaveWay, this, &CompositionRoot::showOtherInstanceKeepsRunning);
}

CompositionRoot::~CompositionRoot()
{
    // The reader reads settings this object no longer answers for.
    L10n::setLanguageReader(nullptr);
}

void CompositionRoot::start()
{
    m_startup.start();
}

void CompositionRoot::runMigration()
{
    // The migration writes the history: not beside a writer that could not be ruled out. It
    // runs at the next start that holds the history.
    if (!m_services.openEarlierSettings || !m_services.instanceLock.holdsHistory())
        return;
    const std::unique_ptr<SettingsStore> earlier = m_services.openEarlierSettings();
    const QString dataRoot = m_services.dataFolder.isEmpty() ? ClipboardImageStore::dataRootPath() : m_services.dataFolder;
    TarnelMigration::run(m_services.settings, *earlier,
                         {ClipboardImageStore::directoryPathIn(dataRoot, QStringLiteral("Quorvel")),
                          ClipboardImageStore::directoryPathIn(dataRoot)},
                         &m_services.history);
}

void CompositionRoot::startUpdater()
{
    if (!m_services.makeUpdater)
        return;
    m_updater = m_services.makeUpdater();
    connect(m_updater.get(), &TarnelUpdater::alertRequested, m_updater.get(), showAlert);
}

std::unique_ptr<NotchPanelController> CompositionRoot::createController()
{
    // Before the model reads it, so the settings show the entry as it now stands.
    m_services.loginItem.rewriteIfStale();
    ClipboardModelServices modelServices;
    modelServices.pasteboard = &m_services.pasteboard;
    modelServices.settings = &m_services.settings;
    modelServices.history = &m_services.history;
    modelServices.writesHistory = m_services.instanceLock.holdsHistory();
    modelServices.historyFolder = [lock = &m_services.instanceLock] { return lock->checkHistoryFolder(); };
    modelServices.workspace = &m_services.workspace;
    modelServices.loginItem = &m_services.loginItem;
    modelServices.permissions = &m_services.permissions;
    modelServices.keySender = &m_services.keySender;
    modelServices.screenshotLocation = &m_services.screenshotLocation;
    if (m_services.makeFolderWatcher)
        modelServices.screenshotMonitor = std::make_unique<ScreenshotFolderMonitor>(m_services.makeFolderWatcher());
    if (!m_services.dataFolder.isEmpty())
        modelServices.imageFolder = ClipboardImageStore::directoryPathIn(m_services.dataFolder);
    m_model = std::make_unique<ClipboardModel>(std::move(modelServices));
    new QtTranslations(*m_model, m_model.get());
    m_panelModel = std::make_unique<ClipboardModelPanelLink>(*m_model, m_services.settings);
    // One alert per spell of failed history writes; a later write that succeeds closes it.
    connect(m_model.get(), &ClipboardModel::historyStorageIssueChanged, this, &CompositionRoot::showHistoryStorageIssue);
    // Files set aside while the model loaded are named at once; any later ones as they come.
    connect(m_model.get(), &ClipboardModel::setAsideFilesChanged, this, &CompositionRoot::showSetAsideFiles);
    showSetAsideFiles();
    showHistoryNotLocked();
    // Taken anew at its path, or at last: the copies go there, and the notice that they could
    // not is no longer true.
    // Changed under the run: the files are looked at before the next copy is trusted to them.
    connect(&m_services.instanceLock, &InstanceLock::historyFilesChanged, m_model.get(),
            &ClipboardModel::checkHistoryFiles);
    connect(&m_services.instanceLock, &InstanceLock::historyFolderTaken, m_model.get(), [this] {
        m_model->writeHistoryToTakenFolder();
        if (m_historyNotLockedAlert && m_services.instanceLock.holdsHistory())
            m_historyNotLockedAlert->close();
    });

    PanelServices panelServices{
        .settings = m_services.settings,
        .workspace = m_services.workspace,
        .permissions = m_services.permissions,
        .windowTraits = m_services.windowTraits,
        .pointerLocation = {},
        .systemTrayAvailable = &QSystemTrayIcon::isSystemTrayAvailable,
        .textRecognizer = m_services.textRecognizer,
        .qrDetector = m_services.qrDetector,
        .screenTextCapture = m_services.screenTextCapture,
        .alert = {},
        .updater = m_updater.get(),
        .trayHostMonitor = m_services.trayHostMonitor,
        .compositor = m_services.compositor,
        .clock = nullptr,
        .clipboardModel = m_model.get(),
        .pointerPresses = m_services.pointerPresses,
        .pointerMotion = m_services.pointerMotion,
        .desktopBars = m_services.desktopBars,
    };
    auto controller = std::make_unique<NotchPanelController>(*m_panelModel, panelServices);
    NotchPanelController *panelController = controller.get();

    controller->panel()->setContent(makeHostedContent(panelController));
    // A paste closes Quick Access in the model; the panel then goes back under the notch
    // (or the popup closes) as on any other dismissal. Queued: the paste road itself first
    // activates the application the user came from and sends Ctrl+V once it had time to
    // take the keyboard; dismissing within the same call would activate it early and send
    // Ctrl+V at once, into whichever window still had the keyboard.
    connect(
        m_model.get(), &ClipboardModel::isQuickAccessPresentedChanged, panelController,
        [this, panelController] {
            if (!m_model->isQuickAccessPresented()
                && (panelController->isAtCursor() || panelController->isMenuBarQuickAccess()))
                panelController->dismissQuickAccess();
        },
        Qt::QueuedConnection);
    // A paste whose Ctrl+V could not be sent is heard, as a refused key press is.
    connect(m_model.get(), &ClipboardModel::pasteFailed, panelController, [] { QApplication::beep(); });
    controller->menuBarPopover()->setContent(makeHostedContent(panelController));

    GlobalPasteMonitorServices monitorServices{m_services.hotKeys, m_services.keyTap, m_services.permissions, m_services.workspace, nullptr, {}, {}, {}};
    // The settings, the guide and Quick Access show what the desktop permits.
    monitorServices.arePermissionsShown = [this, panelController] {
        const auto isShown = [](const QWidget *window) { return window && window->isVisible(); };
        return isShown(panelController->settingsWindow()) || isShown(panelController->onboardingWindow())
            || m_model->isQuickAccessPresented();
    };
    m_pasteMonitor = std::make_unique<GlobalPasteMonitor>(*m_model, std::move(monitorServices));
    connect(m_pasteMonitor.get(), &GlobalPasteMonitor::quickAccessRequested, panelController,
            &NotchPanelController::openQuickAccess);
    connect(m_pasteMonitor.get(), &GlobalPasteMonitor::dismissQuickAccessRequested, panelController,
            &NotchPanelController::dismissQuickAccess);
    connect(m_pasteMonitor.get(), &GlobalPasteMonitor::accessibilityRequired, panelController,
            &NotchPanelController::openSettingsWindow);
    controller->setPasteMonitorStarter([this](bool promptForAccessibility) {
        m_pasteMonitor->requestAccessAndStart(promptForAccessibility);
    });
    return controller;
}

QuickAccessHost *CompositionRoot::makeHostedContent(NotchPanelController *controller)
{
    auto *quickAccess = new QuickAccessView(*m_model);
    connect(quickAccess, &QuickAccessView::layoutChanged, controller, &NotchPanelController::refreshQuickAccessLayout);
    connect(quickAccess, &QuickAccessView::dismissRequested, controller, &NotchPanelController::dismissQuickAccess);
    connect(quickAccess, &QuickAccessView::settingsRequested, controller, &NotchPanelController::openSettingsWindow);
    connect(quickAccess, &QuickAccessView::permissionSettingsRequested, controller,
            [controller](bool accessibilityTrusted) {
                if (accessibilityTrusted)
                    controller->requestInputMonitoringAccess();
                else
                    controller->openAccessibilitySettings();
            });
    auto *panelView = new ClipboardPanelView(*m_panelModel, m_model.get(), *controller, false);
    // Image options chosen in Quick Access are performed by the panel's view.
    connect(quickAccess, &QuickAccessView::imageActionChosen, panelView, &ClipboardPanelView::performQuickImageAction);
    // So are a Jar card's rename and delete: the panel owns the editor and the confirmation.
    connect(quickAccess, &QuickAccessView::jarRenameRequested, panelView,
            [panelView](const QString &jarID) { panelView->sheets()->editJar(jarID); });
    connect(quickAccess, &QuickAccessView::jarDeleteRequested, panelView,
            [panelView](const QString &jarID) { panelView->sheets()->confirmClear(ClearSection::DeleteJar, jarID); });
    auto *host = new QuickAccessHost(panelView, quickAccess);
    ClipboardModel *model = m_model.get();
    const auto follow = [host, model] { host->setQuickAccessPresented(model->isQuickAccessPresented()); };
    connect(model, &ClipboardModel::isQuickAccessPresentedChanged, host, follow);
    follow();
    return host;
}

void CompositionRoot::showHistoryStorageIssue()
{
    const std::optional<QString> issue = m_model->historyStorageIssue();
    if (!issue) {
        if (m_storageIssueAlert)
            m_storageIssueAlert->close();
        return;
    }
    if (m_storageIssueAlert)
        return;
    m_storageIssueAlert = new QMessageBox(QMessageBox::Warning, QStringLiteral("Tarnel"), L10n::text(*issue));
    m_storageIssueAlert->setAttribute(Qt::WA_DeleteOnClose);
    m_storageIssueAlert->setModal(false);
    m_storageIssueAlert->show();
}

void CompositionRoot::quitOnceCopiesAreIn()
{
    // A copy handed over reaches the model through the event queue, so the quit waits for one
    // quiet check after another, with the queue turned between them. The clipboard's fetch
    // deadline and the finishing allowance bound the wait.
    if (std::exchange(m_quitting, true))
        return;
    const std::chrono::milliseconds allowance = m_services.copyFetchDeadline + kCopyFinishAllowance;
    const auto deadline = std::chrono::steady_clock::now() + allowance;
    auto *timer = new QTimer(this);
    auto quietChecks = std::make_shared<int>(0);
    connect(timer, &QTimer::timeout, this, [this, timer, deadline, allowance, quietChecks] {
        const bool busy = m_services.pasteboard.isFetching() || (m_model && m_model->pendingCaptureCount() > 0);
        *quietChecks = busy ? 0 : *quietChecks + 1;
        if (*quietChecks < 2 && std::chrono::steady_clock::now() < deadline)
            return;
        if (busy)
            qCWarning(lcShell) << "Quitting before the last copy was finished: it took longer than" << allowance.count()
                               << "ms";
        timer->stop();
        quitOnceHistoryIsWritten();
    });
    timer->start(kQuitSettleInterval);
}

void CompositionRoot::quitOnceHistoryIsWritten()
{
    if (!m_model || m_model->writeHistoryBeforeQuit()) {
        Q_EMIT readyToQuit();
        return;
    }
    // The alert of the failed writes is replaced by the one that says what the end loses.
    if (m_storageIssueAlert)
        m_storageIssueAlert->close();
    const QString file = m_model->historyFilePath();
    auto *alert = new QMessageBox(
        QMessageBox::Warning, QStringLiteral("Tarnel"),
        FormattedText::substitute(L10n::text(ClipboardModel::historyUnsavedAtQuitNotice),
                                  {file.isEmpty() ? QStringLiteral("—") : file}));
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->setModal(false);
    connect(alert, &QMessageBox::finished, this, [this] { Q_EMIT readyToQuit(); });
    // The writer goes on trying while the alert shows: once it is through, nothing is lost.
    connect(m_model.get(), &ClipboardModel::historyStorageIssueChanged, alert, [this, alert] {
        if (!m_model->historyStorageIssue())
            alert->accept();
    });
    QTimer::singleShot(m_services.unsavedHistoryNoticeLimit, alert, &QMessageBox::reject);
    alert->show();
}

void CompositionRoot::showSetAsideFiles()
{
    const QStringList histories = m_model->setAsideHistories();
    QStringList unreadable = m_model->setAsideFiles();
    unreadable.removeIf([&](const QString &path) { return histories.contains(path); });
    const QStringList earlierHistories = m_model->earlierSetAsideHistories();
    QStringList earlier = m_model->earlierSetAsideFiles();
    earlier.removeIf([&](const QString &path) { return earlierHistories.contains(path); });
    if (unreadable.isEmpty() && histories.isEmpty() && earlier.isEmpty() && earlierHistories.isEmpty())
        return;
    QStringList paragraphs;
    if (!histories.isEmpty()) {
        paragraphs.append(
            FormattedText::substitute(L10n::text(ClipboardModel::otherHistorySetAsideNotice), {histories.join(u'\n')}));
    }
    if (!unreadable.isEmpty()) {
        paragraphs.append(
            FormattedText::substitute(L10n::text(ClipboardModel::storedFilesSetAsideNotice), {unreadable.join(u'\n')}));
        // A history is rescued from only when it could not be read whole at the start.
        if (const std::optional<ClipboardModel::HistoryRescue> rescue = m_model->historyRescue()) {
            if (rescue->keptEntries == 0 && !rescue->lostCountExact && rescue->lostEntries == 0) {
                paragraphs.append(L10n::text(ClipboardModel::damagedHistoryNothingReadNotice));
            } else {
                const QString &notice = rescue->lostCountExact ? ClipboardModel::damagedHistoryRowsNotice
                                                               : ClipboardModel::damagedHistoryLeastRowsNotice;
                paragraphs.append(FormattedText::substitute(
                    L10n::text(notice), {QString::number(rescue->keptEntries), QString::number(rescue->lostEntries)}));
            }
        }
    }
    if (!unreadable.isEmpty() || !histories.isEmpty())
        paragraphs.append(L10n::text(ClipboardModel::setAsideFilesKeepImagesNotice));
    if (!earlierHistories.isEmpty()) {
        paragraphs.append(FormattedText::substitute(L10n::text(ClipboardModel::earlierOtherHistorySetAsideNotice),
                                                    {earlierHistories.join(u'\n')}));
    }
    if (!earlier.isEmpty()) {
        paragraphs.append(
            FormattedText::substitute(L10n::text(ClipboardModel::earlierSetAsideFilesNotice), {earlier.join(u'\n')}));
    }
    const QString text = paragraphs.join(QStringLiteral("\n\n"));
    if (m_setAsideAlert) {
        m_setAsideAlert->setText(text);
        return;
    }
    m_setAsideAlert = new QMessageBox(QMessageBox::Warning, QStringLiteral("Tarnel"), text);
    m_setAsideAlert->setAttribute(Qt::WA_DeleteOnClose);
    m_setAsideAlert->setModal(false);
    m_setAsideAlert->show();
}

void CompositionRoot::showOtherInstanceKeepsRunning(qint64 pid, const QString &executable)
{
    const QString number = pid > 0 ? QString::number(pid) : QStringLiteral("?");
    const QString program = executable.isEmpty() ? QStringLiteral("—") : executable;
    qCWarning(lcShell).noquote() << "Tarnel did not start: another instance keeps running (process" << number << program
                                 << ")";
    auto *alert = new QMessageBox(QMessageBox::Warning, QStringLiteral("Tarnel"),
                                  FormattedText::substitute(L10n::text(otherInstanceKeepsRunningNotice), {number, program}));
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->setModal(false);
    alert->setWindowRole(QString::fromLatin1(otherInstanceAlertRole));
    connect(alert, &QMessageBox::finished, this, [this] { Q_EMIT readyToQuit(); });
    alert->show();
}

void CompositionRoot::showHistoryNotLocked()
{
    if (m_services.instanceLock.holdsHistory())
        return;
    const QString problem = m_services.instanceLock.historyLockProblem();
    const QString notice = historyNotLockedNoticeFor(m_services.instanceLock.historyLockReason());
    auto *alert = new QMessageBox(QMessageBox::Warning, QStringLiteral("Tarnel"),
                                  FormattedText::substitute(L10n::text(notice),
                                                            {problem.isEmpty() ? QStringLiteral("—") : problem}));
    m_historyNotLockedAlert = alert;
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->setModal(false);
    alert->setWindowRole(QString::fromLatin1(historyNotLockedAlertRole));
    alert->show();
}

QString CompositionRoot::historyNotLockedNoticeFor(HistoryLockReason reason)
{
    switch (reason) {
    case HistoryLockReason::NoLocks:
        return historyNotLockedNotice;
    case HistoryLockReason::NotWritable:
        return historyFolderNotWritableNotice;
    case HistoryLockReason::NotAFolder:
        return historyFolderNotAFolderNotice;
    case HistoryLockReason::None:
    case HistoryLockReason::Other:
        break;
    }
    return historyFolderNotHeldNotice;
}
