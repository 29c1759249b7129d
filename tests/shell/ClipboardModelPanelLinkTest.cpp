#include "engine/EngineTestSupport.h"
#include "platform/fake/FakePanelWindowTraits.h"
#include "shell/ClipboardModelPanelLink.h"
#include "shell/MenuBarPopover.h"
#include "shell/NotchPanelController.h"
#include "shell/TarnelPanel.h"

#include <gtest/gtest.h>

namespace {

const RunningApplication kEditor{1, 100, QStringLiteral("Editor")};

} // namespace

TEST(ClipboardModelPanelLink, QuickAccessOpensOnTheNewestEntryWithAFreshState)
{
    ModelHarness h;
    ClipboardModel &model = h.make();
    ClipboardModelPanelLink link(model, h.settings);
    h.copyText(QStringLiteral("first"));
    h.copyText(QStringLiteral("second"));
    ASSERT_EQ(model.entries().size(), 2);
    model.setSearchText(QStringLiteral("old search"));
    model.setSelectedEntryID(model.entries().last().id);
    model.setIsQuickPasteOptionsPresented(true);
    model.setSelectedQuickPasteOptionIndex(3);

    link.beginQuickAccess(kEditor);
    EXPECT_EQ(model.pasteTargetApplication(), kEditor);
    EXPECT_EQ(model.currentContext(), QStringLiteral("Editor"));
    EXPECT_TRUE(model.isQuickAccessPresented());
    EXPECT_EQ(model.quickAccessKeyboardFocus(), QuickAccessKeyboardFocus::Tabs);
    EXPECT_FALSE(model.isQuickPasteOptionsPresented());
    EXPECT_EQ(model.selectedQuickPasteOptionIndex(), 0);
    EXPECT_TRUE(model.searchText().isEmpty());
    EXPECT_FALSE(model.selectedEntryID().has_value());

    link.setSelectedTab(ClipboardPanelTab::History);
    link.selectFirstQuickAccessEntry();
    EXPECT_EQ(model.selectedEntryID(), model.entries().first().id);
    EXPECT_EQ(model.entries().first().text, QStringLiteral("second"));

    const QUuid before = model.quickSearchFocusRequest();
    link.requestQuickSearchFocus();
    EXPECT_NE(model.quickSearchFocusRequest(), before);
    EXPECT_EQ(model.quickAccessKeyboardFocus(), QuickAccessKeyboardFocus::Search);

    // Opened again over Tarnel's own window while open (the other form): the target stays.
    link.beginQuickAccess(std::nullopt);
    EXPECT_EQ(model.pasteTargetApplication(), kEditor);
    EXPECT_EQ(model.currentContext(), QStringLiteral("Editor"));

    link.setQuickAccessPresented(false);
    link.beginQuickAccess(std::nullopt);
    EXPECT_FALSE(model.pasteTargetApplication().has_value());
    EXPECT_TRUE(model.currentContext().isEmpty());
}

TEST(ClipboardModelPanelLink, ControllerOverTheRealModel)
{
    ModelHarness h;
    ClipboardModel &model = h.make();
    ClipboardModelPanelLink link(model, h.settings);
    FakePanelWindowTraits traits;
    QPoint pointer(0, 500);
    h.settings.setText(QStringLiteral("tarnel.presentationMode"), QStringLiteral("menuBar"));
    NotchPanelController controller(link, PanelServices{h.settings, h.workspace, h.permissions, traits,
                                                        [&] { return pointer; }, [] { return true; }, nullptr, nullptr, nullptr, {}});
    controller.show();
    model.setSelectedTab(ClipboardPanelTab::Pins);
    h.workspace.setApplications({kEditor});
    h.workspace.setFrontmostApplication(kEditor);

    controller.statusItemClicked();
    EXPECT_TRUE(model.isQuickAccessPresented());
    EXPECT_EQ(model.selectedTab(), ClipboardPanelTab::History);
    EXPECT_EQ(model.pasteTargetApplication(), kEditor);
    controller.statusItemClicked();
    EXPECT_FALSE(model.isQuickAccessPresented());
    EXPECT_EQ(model.selectedTab(), ClipboardPanelTab::Pins);
    EXPECT_EQ(h.workspace.activations().size(), 1);

    controller.setPresentationMode(ClipboardPresentationMode::Notch);
    model.showCopiedNotice();
    EXPECT_EQ(controller.compactWidth(), 160) << "the model's copied notice widens the notch";
    controller.setEditorOpen(true);
    EXPECT_TRUE(model.isPanelOverlayPresented());
    controller.setEditorOpen(false);
    EXPECT_FALSE(model.isPanelOverlayPresented());
}

TEST(ClipboardModelPanelLink, TheOpenSettingsWindowIsRetitledWithTheLanguage)
{
    ModelHarness h;
    ClipboardModel &model = h.make();
    ClipboardModelPanelLink link(model, h.settings);
    FakePanelWindowTraits traits;
    PanelServices services{h.settings, h.workspace, h.permissions, traits, [] { return QPoint(0, 500); },
                           [] { return true; }, nullptr, nullptr, nullptr, {}};
    services.clipboardModel = &model;
    NotchPanelController controller(link, services);
    controller.openSettingsWindow();
    QWidget *window = controller.settingsWindow();
    ASSERT_TRUE(window);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Nastavenia Tarnel"));
    model.setLanguage(AppLanguage::En);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tarnel Settings"));
    model.setLanguage(AppLanguage::Sk);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Nastavenia Tarnel"));
    window->close();
}
