#include "shell/MenuBarPopover.h"
#include "shell/PanelHarness.h"

#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

QJsonObject savedMode(const char *mode)
{
    return QJsonObject{{QStringLiteral("tarnel.presentationMode"), QString::fromLatin1(mode)},
                       {QStringLiteral("tarnel.onboardingComplete"), true}};
}

} // namespace

TEST(NotchPanelMode, SavedModeIsReadAtStart)
{
    const struct {
        QJsonObject values;
        ClipboardPresentationMode mode;
        bool panelShown;
    } cases[] = {
        {{}, ClipboardPresentationMode::Notch, true},
        {savedMode("notch"), ClipboardPresentationMode::Notch, true},
        {savedMode("menuBar"), ClipboardPresentationMode::MenuBar, false},
        {savedMode("MenuBar"), ClipboardPresentationMode::Notch, true},
        {QJsonObject{{QStringLiteral("tarnel.presentationMode"), 7}}, ClipboardPresentationMode::Notch, true},
    };
    for (const auto &c : cases) {
        PanelHarness h(c.values);
        h.controller->show();
        EXPECT_EQ(h.controller->presentationMode(), c.mode);
        EXPECT_EQ(h.panel().isVisible(), c.panelShown);
        EXPECT_FALSE(h.controller->menuBarPopover()->isShown()) << "showing never opens the popup";
    }
}

TEST(NotchPanelMode, SwitchingPersistsAndMovesTheWindows)
{
    PanelHarness h(savedMode("notch"));
    h.controller->show();
    h.model.tab = ClipboardPanelTab::Pins;
    const int writesBefore = h.settings.writeCount();

    h.controller->setPresentationMode(ClipboardPresentationMode::Notch);
    EXPECT_EQ(h.settings.writeCount(), writesBefore) << "the active mode is not written again";

    h.controller->setPresentationMode(ClipboardPresentationMode::MenuBar);
    EXPECT_EQ(h.settings.textValue(QStringLiteral("tarnel.presentationMode")), QStringLiteral("menuBar"));
    EXPECT_FALSE(h.panel().isVisible());
    EXPECT_TRUE(h.controller->menuBarPopover()->isShown());
    EXPECT_TRUE(h.model.quickAccess);
    EXPECT_EQ(h.model.tab, ClipboardPanelTab::History);

    h.controller->setPresentationMode(ClipboardPresentationMode::Notch);
    EXPECT_EQ(h.settings.textValue(QStringLiteral("tarnel.presentationMode")), QStringLiteral("notch"));
    EXPECT_FALSE(h.controller->menuBarPopover()->isShown());
    EXPECT_FALSE(h.model.quickAccess);
    EXPECT_EQ(h.model.tab, ClipboardPanelTab::Pins) << "the tab before Quick Access comes back";
    EXPECT_TRUE(h.panel().isVisible());
    EXPECT_TRUE(h.controller->isContentExpanded()) << "notch mode opens fully at once";

    // A later start reads what was saved.
    h.controller->setPresentationMode(ClipboardPresentationMode::MenuBar);
    auto later = std::make_unique<NotchPanelController>(
        h.model, PanelServices{h.settings, h.workspace, h.permissions, h.traits, [] { return QPoint(); }, [] { return false; }, nullptr, nullptr, nullptr, {}},
        shortHoverTimings());
    EXPECT_EQ(later->presentationMode(), ClipboardPresentationMode::MenuBar);
}

TEST(NotchPanelMode, TrayClickOpensAndClosesQuickAccessInMenuBarMode)
{
    PanelHarness h(savedMode("menuBar"));
    const RunningApplication editor{11, 100, QStringLiteral("Editor")};
    h.workspace.setApplications({editor});
    h.workspace.setFrontmostApplication(editor);
    h.model.tab = ClipboardPanelTab::Jars;
    h.controller->show();

    h.controller->statusItemClicked();
    EXPECT_TRUE(h.controller->menuBarPopover()->isShown());
    EXPECT_TRUE(h.controller->isMenuBarQuickAccess());
    EXPECT_EQ(h.model.tab, ClipboardPanelTab::History);
    EXPECT_EQ(h.model.target, editor);

    h.controller->statusItemClicked();
    EXPECT_FALSE(h.controller->menuBarPopover()->isShown());
    EXPECT_FALSE(h.model.quickAccess);
    EXPECT_EQ(h.model.tab, ClipboardPanelTab::Jars);
    ASSERT_EQ(h.workspace.activations().size(), 1);
    EXPECT_EQ(h.workspace.activations().first(), editor) << "the application in front before gets the keyboard back";
    EXPECT_FALSE(h.model.target.has_value());
}

TEST(NotchPanelMode, PopupClosingOnItsOwnEndsQuickAccess)
{
    PanelHarness h(savedMode("menuBar"));
    h.workspace.setFrontmostApplication(RunningApplication{12, 4242, QStringLiteral("Tarnel")});
    h.model.tab = ClipboardPanelTab::Snippets;
    h.controller->show();
    h.controller->statusItemClicked();
    EXPECT_FALSE(h.model.target.has_value()) << "Tarnel itself in front leaves no target";

    h.controller->menuBarPopover()->hide(); // a click outside the popup
    EXPECT_FALSE(h.controller->isMenuBarQuickAccess());
    EXPECT_FALSE(h.model.quickAccess);
    EXPECT_EQ(h.model.tab, ClipboardPanelTab::Snippets);

    // Opened over another application, a click outside leaves the keyboard where it went.
    h.workspace.setFrontmostApplication(RunningApplication{11, 100, QStringLiteral("Editor")});
    h.controller->statusItemClicked();
    ASSERT_TRUE(h.model.target.has_value());
    h.controller->menuBarPopover()->hide();
    EXPECT_FALSE(h.model.target.has_value());
    EXPECT_TRUE(h.workspace.activations().isEmpty());
}

TEST(NotchPanelMode, PasteAsFormReopensWithoutClosing)
{
    PanelHarness h(savedMode("menuBar"));
    h.model.tab = ClipboardPanelTab::Gallery;
    h.controller->show();
    h.controller->openMenuBarQuickAccess(false);
    h.controller->openMenuBarQuickAccess(true);
    EXPECT_TRUE(h.model.pasteAs);
    EXPECT_EQ(h.model.firstSelections, 1);
    EXPECT_EQ(h.model.searchFocusRequests, 1);
    h.controller->openMenuBarQuickAccess(true);
    EXPECT_EQ(h.model.firstSelections, 1) << "the same form again does nothing";
    h.controller->dismissQuickAccess();
    EXPECT_EQ(h.model.tab, ClipboardPanelTab::Gallery) << "the first remembered tab is restored";
}

TEST(NotchPanelMode, TrayClickInNotchModeTogglesThePanel)
{
    PanelHarness h(savedMode("notch"));
    h.controller->show();
    h.controller->statusItemClicked();
    EXPECT_TRUE(h.controller->isContentExpanded());
    EXPECT_FALSE(h.controller->menuBarPopover()->isShown()) << "the popup never opens in notch mode";
    h.controller->statusItemClicked();
    EXPECT_FALSE(h.controller->isContentExpanded());
}

TEST(NotchPanelMode, QuickAccessHeightFollowsItsContent)
{
    const struct {
        bool notice;
        bool options;
        bool image;
        int items;
        qreal height;
    } cases[] = {
        {true, true, true, 9, 240},  {false, true, true, 3, 370}, {false, true, false, 3, 414},
        {false, false, false, 0, 290}, {false, false, false, 1, 220}, {false, false, false, 2, 220},
        {false, false, false, 3, 258}, {false, false, false, 4, 308}, {false, false, false, 5, 358},
        {false, false, false, 6, 408}, {false, false, false, 40, 408},
    };
    PanelHarness h;
    for (const auto &c : cases) {
        h.model.shortcutNotice = c.notice;
        h.model.options = c.options;
        h.model.selectedImage = c.image;
        h.model.items = c.items;
        EXPECT_EQ(h.controller->quickAccessSize(), QSizeF(350, c.height)) << c.items << " items";
    }
}

TEST(NotchPanelMode, ShowingPutsThePanelBackAtTopCentre)
{
    PanelHarness h;
    h.controller->show();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(h.frame(), QRect(screen.x() + screen.width() / 2 - 225, screen.y(), 450, 460));
    h.panel().move(3, 300);
    h.controller->show();
    EXPECT_EQ(h.frame().topLeft(), QPoint(screen.x() + screen.width() / 2 - 225, screen.y()));
}

TEST(NotchPanelMode, WithoutATrayHostThePanelStaysReachableInMenuBarMode)
{
    PanelHarness h(savedMode("menuBar"), shortHoverTimings(), false);
    h.controller->show();
    EXPECT_TRUE(h.controller->isPanelStandingInForTray());
    EXPECT_TRUE(h.panel().isVisible()) << "nothing else would open Tarnel";
    h.moveTo(h.notchCentre());
    EXPECT_TRUE(h.controller->isWidthExpanded()) << "the panel answers hover as in notch mode";

    h.controller->openMenuBarQuickAccess(false);
    EXPECT_TRUE(h.controller->menuBarPopover()->isShown());
    EXPECT_TRUE(h.panel().isVisible());
    const QRect frame = h.frame();
    EXPECT_NEAR(h.controller->menuBarPopover()->geometry().center().x(), frame.center().x(), 2)
        << "the popup hangs from the notch's place";
}

TEST(NotchPanelMode, ATrayHostAppearingLaterTakesOverFromThePanel)
{
    PanelHarness h(savedMode("menuBar"), shortHoverTimings(), false);
    h.controller->show();
    ASSERT_TRUE(h.panel().isVisible());
    h.trayAvailable = true;
    h.controller->checkTrayAvailability();
    EXPECT_FALSE(h.controller->isPanelStandingInForTray());
    EXPECT_FALSE(h.panel().isVisible()) << "menu-bar mode hides the panel once the tray icon can be seen";
    h.trayAvailable = false;
    h.controller->checkTrayAvailability();
    EXPECT_TRUE(h.panel().isVisible()) << "and shows it again when the tray goes away";

    PanelHarness notch(savedMode("notch"), shortHoverTimings(), false);
    notch.controller->show();
    notch.trayAvailable = true;
    notch.controller->checkTrayAvailability();
    EXPECT_TRUE(notch.panel().isVisible()) << "notch mode is not affected";
}
