#include "snapshots/SettingsSamplers.h"

#include "support/FakePanelController.h"

QWidget *settingsSample(testsupport::SeededModel &seed, SettingsView::Tab tab)
{
    ClipboardModel &model = seed.model();
    model.setUnavailableShortcuts({QStringLiteral("Shift+Super+V")});
    auto *controller = new testsupport::FakePanelController;
    auto *view = new SettingsView(model.preferences(), *controller, nullptr, true);
    controller->setParent(view);
    view->setTab(tab);
    return view;
}
