#include "shell/MenuBarPopover.h"
#include "shell/PanelHarness.h"

#include <QJsonObject>
#include <QMenu>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

QJsonObject savedMode(const char *mode)
{
    return QJsonObject{{QStringLiteral("tarnel.presentationMode"), QString::fromLatin1(mode)},
                       {QStringLiteral("tarnel.onboardingComplete"), true}};
}

} // namespace

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

TEST(NotchPanelMode, MenuBarChosenInTheSettingsWindowOpensThePopupAtOnce)
{
    // Chosen in the settings, the new mode shows where Tarnel went: the popup opens, as it does
    // for every other switch to the menu bar, and the settings window stays open behind it.
    PanelHarness h(savedMode("notch"));
    h.controller->show();
    h.controller->openSettingsWindow();
    ASSERT_TRUE(h.controller->settingsWindow() && h.controller->settingsWindow()->isVisible());

    h.controller->setPresentationMode(ClipboardPresentationMode::MenuBar);
    EXPECT_FALSE(h.panel().isVisible());
    EXPECT_TRUE(h.controller->menuBarPopover()->isShown()) << "the popup opens over the settings";
    EXPECT_TRUE(h.model.quickAccess);
    EXPECT_TRUE(h.controller->settingsWindow()->isVisible());

    // Closed again, the tray icon opens it as ever.
    h.controller->dismissQuickAccess();
    EXPECT_FALSE(h.controller->menuBarPopover()->isShown());
    h.controller->statusItemClicked();
    EXPECT_TRUE(h.controller->menuBarPopover()->isShown());
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

// The user's pointer presses on the desktop against the open popup: where each lands and what
// else is open then.
struct PressRow {
    const char *name;
    enum class Where { FarOutside,
                       JustOutside,
                       Inside,
                       BeforeItOpened,
                       OutsideWhileItsMenuIsOpen } where;
    bool closes;
};

TEST(NotchPanelMode, APressOutsideThePopupClosesItAsLosingTheKeyboardWould)
{
    using Where = PressRow::Where;
    const PressRow rows[] = {
        {"on the bare desktop far away", Where::FarOutside, true},
        {"a pixel beside its frame", Where::JustOutside, true},
        {"on the popup itself", Where::Inside, false},
        {"the press on the tray icon that opened it", Where::BeforeItOpened, false},
        {"on the popup's own menu, which takes its presses", Where::OutsideWhileItsMenuIsOpen, false},
    };
    for (const PressRow &row : rows) {
        SCOPED_TRACE(row.name);
        PanelHarness h(savedMode("menuBar"));
        h.workspace.setFrontmostApplication(RunningApplication{11, 100, QStringLiteral("Editor")});
        h.controller->show();
        MenuBarPopover &popover = *h.controller->menuBarPopover();
        if (row.where == Where::BeforeItOpened)
            h.pointerPresses.pressLater(QPoint(0, 0));
        h.controller->statusItemClicked();
        ASSERT_TRUE(popover.isShown());
        const QRect frame = popover.frameGeometry();
        QMenu menu(&popover);
        menu.addAction(QStringLiteral("-"));
        switch (row.where) {
        case Where::FarOutside:
            h.pointerPresses.press(frame.bottomRight() + QPoint(300, 300));
            break;
        case Where::JustOutside:
            h.pointerPresses.press(QPoint(frame.left() - 1, frame.center().y()));
            break;
        case Where::Inside:
            h.pointerPresses.press(frame.topLeft());
            h.pointerPresses.press(frame.bottomRight());
            break;
        case Where::BeforeItOpened:
            // The desktop's late news of it, after the popup is open.
            h.pointerPresses.catchUp();
            break;
        case Where::OutsideWhileItsMenuIsOpen:
            menu.popup(frame.bottomRight() + QPoint(10, 10));
            ASSERT_TRUE(QTest::qWaitFor([&] { return menu.isVisible(); }));
            h.pointerPresses.press(menu.geometry().center());
            break;
        }
        EXPECT_EQ(!popover.isShown(), row.closes);
        EXPECT_EQ(!h.controller->isMenuBarQuickAccess(), row.closes) << "Quick Access ends with the popup";
        if (row.closes) {
            h.controller->statusItemClicked();
            EXPECT_FALSE(popover.isShown()) << "the tray icon's click that closed it does not open it again";
        }
    }
}

TEST(NotchPanelMode, TheNotchPanelStandsInForTheTrayUntilAHostIsAnnounced)
{
    PanelHarness h(savedMode("menuBar"), shortHoverTimings(), false);
    h.controller->show();
    QSignalSpy availability(h.controller.get(), &PanelController::trayAvailabilityChanged);
    ASSERT_TRUE(h.panel().isVisible()) << "without a tray the panel is the way in";

    h.trayAvailable = true;
    Q_EMIT h.trayHost.hostChanged();
    EXPECT_FALSE(h.panel().isVisible()) << "a tray host that started later takes over";
    ASSERT_EQ(availability.size(), 1);
    EXPECT_TRUE(availability.takeFirst().at(0).toBool());

    // A host that replaced another changes nothing the user sees.
    Q_EMIT h.trayHost.hostChanged();
    EXPECT_FALSE(h.panel().isVisible());
    EXPECT_TRUE(availability.isEmpty());

    h.trayAvailable = false;
    Q_EMIT h.trayHost.hostChanged();
    EXPECT_TRUE(h.panel().isVisible()) << "the panel comes back when the host goes";
    ASSERT_EQ(availability.size(), 1);
    EXPECT_FALSE(availability.takeFirst().at(0).toBool());

    // The tray may still answer from what it knew when the news comes, and catch up a moment
    // later: it is asked once more.
    h.trayAvailable = true;
    Q_EMIT h.trayHost.hostChanged();
    ASSERT_FALSE(h.panel().isVisible());
    Q_EMIT h.trayHost.hostChanged();
    h.trayAvailable = false;
    EXPECT_TRUE(QTest::qWaitFor([&] { return h.panel().isVisible(); }, 2000)) << "the late answer is heard";
    EXPECT_EQ(availability.size(), 2) << "appeared, then went away";
    availability.clear();

    // In notch mode the panel stays whatever the tray does.
    h.controller->setPresentationMode(ClipboardPresentationMode::Notch);
    h.trayAvailable = true;
    Q_EMIT h.trayHost.hostChanged();
    EXPECT_TRUE(h.panel().isVisible());
    EXPECT_EQ(availability.size(), 1);
}
