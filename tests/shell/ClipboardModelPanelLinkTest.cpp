#include "engine/EngineTestSupport.h"
#include "support/TestImages.h"
#include "ui/style/PanelMotion.h"
#include "platform/fake/FakePanelWindowTraits.h"
#include "shell/ClipboardModelPanelLink.h"
#include "shell/MenuBarPopover.h"
#include "shell/NotchPanelController.h"
#include "shell/TarnelPanel.h"

#include <gtest/gtest.h>

#include <QTest>

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

// A screenshot notice widens the collapsed notch to the notice and, when it ends, the notch is
// back at its resting width: the model ends the notice's copied flag and the notice together,
// and the width's easing toward the first must not leave it at the notice's width.
TEST(ClipboardModelPanelLink, TheNotchNarrowsToItsRestingWidthWhenAScreenshotNoticeEnds)
{
    PanelMotion::ScopedFactor moving(1);
    ModelHarness h;
    ClipboardModel &model = h.make();
    ClipboardModelPanelLink link(model, h.settings);
    FakePanelWindowTraits traits;
    PanelServices services{h.settings, h.workspace, h.permissions, traits, [] { return QPoint(0, 500); }, [] { return true; }, nullptr, nullptr, nullptr, {}};
    services.clock = &h.clock;
    NotchPanelController controller(link, services);
    controller.show();
    const auto drawnWidth = [&] { return controller.panel()->drawnRegion().boundingRect().width(); };
    ASSERT_EQ(drawnWidth(), 96);

    ClipboardEntry shot;
    shot.id = ClipboardEntry::newID();
    shot.kind = ClipboardKind::Image;
    shot.isScreenshot = true;
    shot.imageData = pngBytes(400, 300, Qt::blue);
    shot.copiedAt = h.clock.now();
    // The notice ends by its clock once the notch has come to rest under it, and at once by a
    // click, while the notch is still easing toward the width of the copied flag.
    for (const bool atRest : {true, false}) {
        SCOPED_TRACE(atRest ? "ended at rest" : "ended while easing");
        model.showScreenshotNotice(shot);
        EXPECT_EQ(drawnWidth(), 280) << "the notice's own outline, at once";
        if (atRest) {
            QTest::qWait(int(PanelTimings::noticeAnimation.count()) + 100);
            h.clock.advance(ClipboardModel::kScreenshotNoticeDuration);
        } else {
            model.dismissScreenshotNotice();
        }
        ASSERT_FALSE(model.screenshotNotice().has_value());
        EXPECT_TRUE(QTest::qWaitFor([&] { return drawnWidth() == 96; }, 2000))
            << "drawn " << drawnWidth() << " wide, the notch " << controller.drawnNotchSize().width();
        EXPECT_EQ(controller.drawnNotchSize().width(), 96);
        EXPECT_EQ(controller.drawnNotchSize().height(), 40);
        EXPECT_EQ(controller.panel()->width(), 96) << "the window is the notch";
    }
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
