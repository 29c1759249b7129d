// Tarnel's entry: the one place where the desktop backends are chosen and handed in.
#include "core/L10n.h"
#include "core/Logging.h"
#include "core/ClipboardImageStore.h"
#include "engine/ClipboardModel.h"
#include "engine/TarnelMigration.h"
#include "platform/ScreenshotFolderMonitor.h"
#include "platform/x11/LinuxFolderWatcher.h"
#include "platform/x11/LinuxInstanceLock.h"
#include "platform/x11/LinuxLoginItem.h"
#include "platform/x11/LinuxScreenshotLocation.h"
#include "platform/x11/LinuxSettingsStore.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/LinuxUpdater.h"
#include "platform/x11/X11PanelWindowTraits.h"
#include "platform/x11/X11Permissions.h"
#include "platform/x11/X11Workspace.h"
#include "shell/AppDelegate.h"
#include "shell/NotchPanelController.h"
#include "shell/PermissionExplanation.h"
#include "shell/ClipboardModelPanelLink.h"

#include <QApplication>
#include <QMessageBox>
#include <QSystemTrayIcon>

namespace {

// The services that live as long as the program, built once at its start.
struct Desktop {
    LinuxSettingsStore settings{LinuxSettingsStore::defaultPath()};
    X11Workspace workspace;
    X11Permissions permissions{nullptr};
    X11PanelWindowTraits windowTraits;
    X11Pasteboard pasteboard;
    LinuxLoginItem loginItem;
    LinuxScreenshotLocation screenshotLocation;
    std::unique_ptr<LinuxUpdater> updater;
    std::unique_ptr<ClipboardModel> model;
    std::unique_ptr<ClipboardModelPanelLink> panelModel;
};

void showAlert(const QString &message, const QString &informativeText)
{
    QMessageBox box(QMessageBox::Information, QStringLiteral("Tarnel"), L10n::text(message));
    box.setInformativeText(L10n::text(informativeText));
    box.exec();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarnel"));
    QApplication::setApplicationVersion(QStringLiteral(TARNEL_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("tarnel"));
    // An accessory: closing its windows never ends it; only a newer instance or the session does.
    QApplication::setQuitOnLastWindowClosed(false);

    Desktop desktop;
    L10n::setLanguageReader([&desktop] { return desktop.settings.textValue(QString::fromLatin1(kAppLanguageSettingKey)); });
    QObject::connect(&desktop.permissions, &Permissions::explanationRequested, &app, &PermissionExplanation::show);

    LinuxInstanceLock lock;
    AppDelegate::StartSteps steps;
    steps.runMigration = [&desktop] {
        const LinuxSettingsStore earlier(LinuxSettingsStore::earlierProductPath());
        const QString dataRoot = ClipboardImageStore::dataRootPath();
        TarnelMigration::run(desktop.settings, earlier,
                             {ClipboardImageStore::directoryPathIn(dataRoot, QStringLiteral("Quorvel")),
                              ClipboardImageStore::directoryPathIn(dataRoot)});
    };
    steps.startUpdater = [&desktop] {
        desktop.updater = std::make_unique<LinuxUpdater>();
        desktop.updater->onAlert = showAlert;
    };
    steps.createController = [&desktop] {
        ClipboardModelServices modelServices;
        modelServices.pasteboard = &desktop.pasteboard;
        modelServices.settings = &desktop.settings;
        modelServices.workspace = &desktop.workspace;
        modelServices.loginItem = &desktop.loginItem;
        modelServices.permissions = &desktop.permissions;
        modelServices.screenshotLocation = &desktop.screenshotLocation;
        modelServices.screenshotMonitor = std::make_unique<ScreenshotFolderMonitor>(std::make_unique<LinuxFolderWatcher>());
        desktop.model = std::make_unique<ClipboardModel>(std::move(modelServices));
        desktop.panelModel = std::make_unique<ClipboardModelPanelLink>(*desktop.model, desktop.settings);
        PanelServices services{desktop.settings, desktop.workspace, desktop.permissions, desktop.windowTraits, {},
                               &QSystemTrayIcon::isSystemTrayAvailable};
        auto controller = std::make_unique<NotchPanelController>(*desktop.panelModel, services);
        // The keyboard monitor (global shortcuts, key tap, permission checks) plugs in here
        // through setPasteMonitorStarter().
        return controller;
    };
    AppDelegate delegate(lock, std::move(steps));
    QObject::connect(&delegate, &AppDelegate::quitRequested, &app, [] {
        qCInfo(lcShell) << "A newer Tarnel started: quitting";
        QApplication::quit();
    });
    delegate.applicationDidFinishLaunching();
    return app.exec();
}
