#include "platform/fake/FakeLoginItem.h"
#include "platform/linux/LinuxLoginItem.h"
#include "platform/fake/FakeSettingsStore.h"
#include "shell/ClipboardModelPanelLink.h"
#include "support/FakePanelController.h"
#include "support/ScopedLanguage.h"
#include "support/SeededModel.h"
#include "core/AccessibilityNotice.h"
#include "core/L10n.h"
#include "shell/PermissionExplanation.h"
#include "ui/panel/ClipboardPanelView.h"
#include "ui/quickaccess/QuickAccessPermissionNotice.h"
#include "ui/quickaccess/QuickAccessView.h"
#include "ui/settings/AppearancePicker.h"
#include "ui/settings/ClipboardSettingsPage.h"
#include "ui/settings/GeneralSettingsPage.h"
#include "ui/settings/LanguagePicker.h"
#include "ui/settings/MenuPicker.h"
#include "ui/style/PanelStyle.h"
#include "ui/settings/PickerOption.h"
#include "ui/settings/PresentationModePicker.h"
#include "ui/style/PanelMotion.h"
#include "ui/settings/ScreenshotSettingsPage.h"
#include "ui/settings/SettingToggle.h"
#include "ui/settings/SettingsView.h"
#include "ui/settings/ShortcutSettingsPage.h"
#include "ui/style/PanelButton.h"
#include "ui/tools/ToolText.h"
#include "ui/onboarding/OnboardingView.h"
#include "support/WidgetEvents.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QMenu>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <QVariantAnimation>

#include <functional>

using testsupport::FakePanelController;
using testsupport::SeededModel;

namespace {

// Chooses an option the way a click in the open menu does.
void choose(MenuPicker *picker, const QString &label)
{
    QMenu *menu = picker->buildMenu();
    for (QAction *action : menu->actions()) {
        if (action->text() == label)
            action->trigger();
    }
    delete menu;
}

} // namespace

TEST(SettingsView, ClipboardPageWritesTheModelAndFollowsIt)
{
    SeededModel seed(testsupport::SeedCounts{80, 6});
    ClipboardModel &model = seed.model();
    ClipboardSettingsPage page(model.preferences());
    ASSERT_GT(model.entries().size(), 50);

    choose(page.historyLimitPicker(), QStringLiteral("50 položiek"));
    EXPECT_EQ(model.historyLimit(), 50);
    EXPECT_LE(model.entries().size(), 50 + 5) << "pins, Jar members and the stack may stay above the limit";

    choose(page.stackModePicker(), QStringLiteral("Opakovať"));
    EXPECT_TRUE(model.repeatsPasteStack());
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.stackExplanation().contains(QStringLiteral("opakuje")); }));
    EXPECT_EQ(page.stackExplanation(), QStringLiteral("Po vložení sa položka presunie na koniec a poradie sa opakuje."));

    // A change made elsewhere shows at once.
    model.setIsRecording(false);
    model.setTemporaryMinutes(5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !page.recordingToggle()->value(); }));
    EXPECT_FALSE(page.recordingToggle()->value());
    EXPECT_EQ(page.lifetimePicker()->currentLabel(), QStringLiteral("5 minútach"));
    page.privateToggle()->switchButton()->click();
    EXPECT_TRUE(model.isPrivateMode());
}

TEST(SettingsView, LaunchAtLoginShowsTheRefusalAndFlipsBack)
{
    FakePasteboard pasteboard;
    FakeSettingsStore settings;
    FakeWorkspace workspace;
    FakePermissions permissions;
    FakeLoginItem loginItem;
    QTemporaryDir folder;
    ClipboardModelServices services;
    services.pasteboard = &pasteboard;
    services.settings = &settings;
    services.workspace = &workspace;
    services.permissions = &permissions;
    services.loginItem = &loginItem;
    services.imageFolder = folder.filePath(QStringLiteral("images"));
    services.backupFolder = folder.path();
    ClipboardModel model(std::move(services));
    FakePanelController controller;
    SettingsView view(model.preferences(), controller, nullptr, true);
    GeneralSettingsPage &page = *view.page()->findChild<GeneralSettingsPage *>();

    loginItem.setFailure(QStringLiteral("autostart folder is read-only"));
    page.launchToggle()->switchButton()->click();
    EXPECT_FALSE(page.launchToggle()->value());
    EXPECT_FALSE(page.launchIssue()->isHidden());
    EXPECT_EQ(page.launchIssue()->text(), QStringLiteral("autostart folder is read-only"));

    loginItem.setFailure(std::nullopt);
    page.launchToggle()->switchButton()->click();
    EXPECT_TRUE(page.launchToggle()->value());
    EXPECT_TRUE(page.launchIssue()->isHidden());

    page.findChild<QAbstractButton *>(QStringLiteral("openGuide"))->click();
    EXPECT_EQ(controller.requests, QStringList{QStringLiteral("onboarding")});
}

// A refused launch at login, as the user meets it: the switch moves under the click with the
// interface's own motion, the desktop refuses (the autostart folder cannot be made), and once
// every animation has ended the switch is drawn exactly as it was, off, in the settings and in
// the guide, click after click.
TEST(SettingsView, ARefusedLaunchAtLoginIsDrawnOffOnceTheSwitchHasMoved)
{
    const PanelMotion::ScopedFactor motion(1.0);
    FakePasteboard pasteboard;
    FakeSettingsStore settings;
    FakeWorkspace workspace;
    FakePermissions permissions;
    QTemporaryDir folder;
    // A file where the autostart folder would go: no folder can be made there, whoever runs this.
    QFile blocker(folder.filePath(QStringLiteral("autostart")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    LinuxLoginItem loginItem(folder.filePath(QStringLiteral("autostart/tarnel.desktop")), QStringLiteral("/usr/bin/tarnel"));
    ClipboardModelServices services;
    services.pasteboard = &pasteboard;
    services.settings = &settings;
    services.workspace = &workspace;
    services.permissions = &permissions;
    services.loginItem = &loginItem;
    services.imageFolder = folder.filePath(QStringLiteral("images"));
    services.backupFolder = folder.path();
    ClipboardModel model(std::move(services));
    ASSERT_FALSE(model.launchAtLoginEnabled());

    // The switch has settled once no animation of its own runs and the news queued for the views
    // (a rebuilt guide page among them) has arrived.
    const auto still = [](const std::function<QAbstractButton *()> &current) {
        return testsupport::waitFor([&current] {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QAbstractButton *button = current();
            return button && button->findChildren<QVariantAnimation *>().isEmpty();
        });
    };
    const auto pixels = [](QAbstractButton *button) { return button->grab().toImage(); };

    FakePanelController controller;
    SettingsView view(model.preferences(), controller, nullptr, true);
    view.show();
    GeneralSettingsPage &page = *view.page()->findChild<GeneralSettingsPage *>();
    QAbstractButton *settingsSwitch = page.launchToggle()->switchButton();
    const QImage off = pixels(settingsSwitch);
    for (int attempt = 1; attempt <= 2; ++attempt) {
        testsupport::click(settingsSwitch);
        ASSERT_EQ(page.launchIssue()->text(), QStringLiteral("Priečinok pre automatické spúšťanie sa nedá vytvoriť."))
            << attempt;
        ASSERT_TRUE(still([settingsSwitch] { return settingsSwitch; })) << attempt;
        EXPECT_FALSE(model.launchAtLoginEnabled()) << attempt;
        EXPECT_FALSE(settingsSwitch->isChecked()) << attempt;
        EXPECT_TRUE(pixels(settingsSwitch) == off) << "the settings draw the refused switch on, click " << attempt;
    }

    OnboardingView guide(model.preferences(), ClipboardPresentationMode::Notch);
    guide.show();
    guide.setStep(OnboardingStep::Preferences);
    const std::function<QAbstractButton *()> guideSwitch = [&guide] {
        return guide.page()->findChild<QAbstractButton *>(QStringLiteral("launchAtLogin"));
    };
    ASSERT_TRUE(guideSwitch());
    const QImage guideOff = pixels(guideSwitch());
    for (int attempt = 1; attempt <= 2; ++attempt) {
        testsupport::click(guideSwitch());
        ASSERT_TRUE(still(guideSwitch)) << attempt;
        ASSERT_TRUE(guideSwitch());
        EXPECT_FALSE(guideSwitch()->isChecked()) << attempt;
        EXPECT_TRUE(pixels(guideSwitch()) == guideOff) << "the guide draws the refused switch on, click " << attempt;
    }
    EXPECT_FALSE(QFileInfo::exists(folder.filePath(QStringLiteral("autostart/tarnel.desktop"))));
}

TEST(SettingsView, PickersShowOnlyWhatTheirOwnerReports)
{
    // A click is a wish: the selection moves once the owner says the setting changed, so a
    // refused or overridden choice never shows as made.
    AppearancePicker appearance(ClipboardAppearance::Dark);
    QSignalSpy appearanceChosen(&appearance, &AppearancePicker::appearanceChosen);
    appearance.option(ClipboardAppearance::Light)->click();
    ASSERT_EQ(appearanceChosen.size(), 1);
    EXPECT_EQ(appearanceChosen.first().first().value<ClipboardAppearance>(), ClipboardAppearance::Light);
    EXPECT_TRUE(appearance.option(ClipboardAppearance::Dark)->isSelected());
    appearance.setAppearance(ClipboardAppearance::Light);
    EXPECT_TRUE(appearance.option(ClipboardAppearance::Light)->isSelected());
    EXPECT_FALSE(appearance.option(ClipboardAppearance::Dark)->isSelected());
    EXPECT_EQ(appearance.badgeText(), QStringLiteral("Svetlý"));

    LanguagePicker language(AppLanguage::Sk);
    QSignalSpy languageChosen(&language, &LanguagePicker::languageChosen);
    language.option(AppLanguage::En)->click();
    ASSERT_EQ(languageChosen.size(), 1);
    EXPECT_EQ(languageChosen.first().first().value<AppLanguage>(), AppLanguage::En);
    EXPECT_TRUE(language.option(AppLanguage::Sk)->isSelected());
    language.setLanguage(AppLanguage::En);
    EXPECT_TRUE(language.option(AppLanguage::En)->isSelected());
    EXPECT_FALSE(language.option(AppLanguage::Sk)->isSelected());
}

TEST(SettingsView, PageChoicesReachTheModelAndTheModelReachesThePages)
{
    SeededModel seed;
    ClipboardModel &model = seed.model();
    model.setAppearance(ClipboardAppearance::Dark);
    QTemporaryDir folder;
    model.setScreenshotFolder(folder.path());
    FakePanelController controller;
    SettingsView view(model.preferences(), controller, nullptr, true);

    auto *general = view.page()->findChild<GeneralSettingsPage *>();
    ASSERT_TRUE(general);
    AppearancePicker *appearance = general->appearancePicker();
    EXPECT_TRUE(appearance->option(ClipboardAppearance::Dark)->isSelected()) << "the page opens on the model's value";
    appearance->option(ClipboardAppearance::Light)->click();
    EXPECT_EQ(model.appearance(), ClipboardAppearance::Light);
    ASSERT_TRUE(QTest::qWaitFor([&] { return appearance->option(ClipboardAppearance::Light)->isSelected(); }));
    model.setAppearance(ClipboardAppearance::Dark);
    ASSERT_TRUE(QTest::qWaitFor([&] { return appearance->option(ClipboardAppearance::Dark)->isSelected(); }));
    EXPECT_EQ(appearance->badgeText(), QStringLiteral("Tmavý"));
    EXPECT_EQ(general->languagePicker()->option(AppLanguage::Sk)->isSelected(), model.language() == AppLanguage::Sk);

    view.setTab(SettingsView::Tab::Screenshots);
    auto *screenshots = view.page()->findChild<ScreenshotSettingsPage *>();
    ASSERT_TRUE(screenshots);
    ASSERT_TRUE(model.automaticScreenshotCapture());
    EXPECT_TRUE(screenshots->importToggle()->value());
    screenshots->importToggle()->switchButton()->click();
    EXPECT_FALSE(model.automaticScreenshotCapture());
    model.setAutomaticScreenshotCapture(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return screenshots->importToggle()->value(); }));
}

TEST(SettingsView, PresentationPickerAsksTheControllerAndFollowsIt)
{
    FakePanelController controller;
    PresentationModePicker picker(controller);
    picker.option(ClipboardPresentationMode::MenuBar)->click();
    EXPECT_EQ(controller.requests, QStringList{QStringLiteral("mode:menuBar")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return picker.option(ClipboardPresentationMode::MenuBar)->isSelected(); }));
    EXPECT_TRUE(picker.option(ClipboardPresentationMode::MenuBar)->isSelected());
    EXPECT_FALSE(picker.option(ClipboardPresentationMode::Notch)->isSelected());
    // The selected option asks again, so a mode the shell could not show is retried.
    picker.option(ClipboardPresentationMode::MenuBar)->click();
    EXPECT_EQ(controller.requests.size(), 2);
}

// On screen, the options follow a switch over the switch time, both ways, and still land on the
// mode the controller reports.
TEST(SettingsView, PresentationPickerFollowsASwitchOverItsTime)
{
    PanelMotion::ScopedFactor motion(1.0);
    FakePanelController controller;
    PresentationModePicker picker(controller);
    picker.resize(360, 140);
    picker.show();
    PickerOption *notch = picker.option(ClipboardPresentationMode::Notch);
    PickerOption *menuBar = picker.option(ClipboardPresentationMode::MenuBar);
    EXPECT_DOUBLE_EQ(notch->selectionProgress(), 1.0) << "the first look is taken at once";
    EXPECT_DOUBLE_EQ(menuBar->selectionProgress(), 0.0);
    for (const auto &[chosen, other] : {std::pair{menuBar, notch}, std::pair{notch, menuBar}}) {
        chosen->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return chosen->isSelected(); }));
        auto *animation = chosen->findChild<QVariantAnimation *>();
        ASSERT_TRUE(animation) << "the switch moves, it does not jump";
        EXPECT_EQ(animation->duration(), int(PresentationModePicker::kSwitchDuration.count()));
        EXPECT_LT(chosen->selectionProgress(), 1.0);
        ASSERT_TRUE(QTest::qWaitFor([&] { return chosen->selectionProgress() >= 1.0 && other->selectionProgress() <= 0.0; }));
        EXPECT_FALSE(other->isSelected());
    }
    EXPECT_EQ(controller.requests, (QStringList{QStringLiteral("mode:menuBar"), QStringLiteral("mode:notch")}));
}

TEST(SettingsView, ShortcutPageShowsWhatThisSessionAllows)
{
    struct Case {
        bool monitoring, canSend, canWatch;
        bool card, sendButton, sendProminent, watchButton, ready;
    };
    for (const Case &c : {Case{false, false, false, true, true, true, true, false},
                          Case{false, false, true, true, true, false, false, false},
                          Case{false, true, true, true, false, false, false, false},
                          Case{true, true, true, false, false, false, false, true}}) {
        SeededModel seed;
        ClipboardModel &model = seed.model();
        model.setPasteMonitoringEnabled(c.monitoring);
        model.setAccessibilityPermissionEnabled(c.canSend);
        model.setInputMonitoringPermissionEnabled(c.canWatch);
        model.setUnavailableShortcuts({QStringLiteral("Shift+Super+V"), QStringLiteral("Ctrl+Alt+Super+C")});
        FakePanelController controller;
        ShortcutSettingsPage page(model.preferences(), controller);
        const auto where = testing::Message() << c.monitoring << c.canSend << c.canWatch;
        EXPECT_EQ(page.isPermissionCardShown(), c.card) << where;
        EXPECT_EQ(!page.keySendingButton()->isHidden(), c.sendButton) << where;
        if (c.sendButton) {
            EXPECT_EQ(page.keySendingButton()->look().prominent, c.sendProminent) << where;
        }
        EXPECT_EQ(!page.keyWatchButton()->isHidden(), c.watchButton) << where;
        EXPECT_EQ(page.statusText() == QStringLiteral("Automatické vkladanie a textové skratky sú aktívne"), c.ready) << where;
        EXPECT_EQ(page.warningText(), QStringLiteral("Tieto skratky sa nepodarilo zaregistrovať: Shift+Super+V, "
                                                     "Ctrl+Alt+Super+C. Môže ich používať iná aplikácia."));
    }
}

// Shortcuts that the keyboard's layout switch takes never reach Tarnel: the page names them and
// says where that switch is set, beside the shortcuts that another application holds.
TEST(SettingsView, ShortcutPageNamesWhatTheLayoutSwitchTakesAndWhereItIsSet)
{
    const QString refused = QStringLiteral("Tieto skratky sa nepodarilo zaregistrovať: Shift+Super+V. Môže ich používať iná aplikácia.");
    const QString switched = QStringLiteral(
        "Skratky Shift+Alt+Super+V zachytí prepínanie rozloženia klávesnice skôr, než sa dostanú k Tarnelu. "
        "Prepínanie sa nastavuje v nastaveniach klávesnice systému (voľby XKB, napríklad grp:alt_shift_toggle).");
    const struct {
        QStringList unavailable, layoutSwitch;
        QString warning;
    } rows[] = {
        {{}, {}, QString()},
        {{}, {QStringLiteral("Shift+Alt+Super+V")}, switched},
        {{QStringLiteral("Shift+Super+V")}, {QStringLiteral("Shift+Alt+Super+V")}, refused + u' ' + switched},
        {{QStringLiteral("Shift+Super+V")}, {}, refused},
    };
    SeededModel seed;
    ClipboardModel &model = seed.model();
    FakePanelController controller;
    ShortcutSettingsPage page(model.preferences(), controller);
    for (const auto &row : rows) {
        // The page follows the model while it is open.
        model.setUnavailableShortcuts(row.unavailable);
        model.setLayoutSwitchShortcuts(row.layoutSwitch);
        QCoreApplication::processEvents();
        EXPECT_EQ(page.warningText(), row.warning) << row.layoutSwitch.join(u',').toStdString();
    }
}

TEST(SettingsView, AWaylandSessionSaysWhereShortcutsPasteAndCopiesReach)
{
    SeededModel seed;
    ClipboardModel &model = seed.model();
    model.setPasteMonitoringEnabled(true);
    model.setAccessibilityPermissionEnabled(true);
    model.setInputMonitoringPermissionEnabled(true);
    FakePanelController controller;
    {
        ShortcutSettingsPage page(model.preferences(), controller);
        EXPECT_EQ(page.sessionText(), QString()); // an X11 session limits nothing more
        EXPECT_FALSE(PermissionExplanation::text(Permissions::Kind::Accessibility).contains(u"Wayland"));
    }

    seed.permissions().setWaylandSession(true);
    const QString slovak = ClipboardModel::waylandSessionLimitsNotice;
    {
        // Said while everything is granted too: granted holds for X11 applications only.
        ShortcutSettingsPage page(model.preferences(), controller);
        EXPECT_EQ(page.sessionText(), slovak);
        EXPECT_TRUE(PermissionExplanation::text(Permissions::Kind::Accessibility, true).endsWith(slovak));
    }

    const ScopedLanguage english(QStringLiteral("en"));
    const QString limits = QStringLiteral("In a Wayland session, shortcuts and paste reach X11 applications only. "
                                          "Copies made in Wayland applications are recorded when the desktop passes "
                                          "them on.");
    ShortcutSettingsPage page(model.preferences(), controller);
    EXPECT_EQ(page.sessionText(), limits);
    QuickAccessView quickAccess(model);
    model.setShortcutNotice(AccessibilityNotice::copyNeedsKeys());
    const QuickAccessPermissionNotice &notice = *quickAccess.notice();
    EXPECT_TRUE(notice.message().startsWith(L10n::text(AccessibilityNotice::copyNeedsKeys()))) << notice.message().toStdString();
    EXPECT_TRUE(notice.message().endsWith(limits)) << notice.message().toStdString();
    EXPECT_TRUE(PermissionExplanation::text(Permissions::Kind::InputMonitoring, true).endsWith(limits));
}

TEST(SettingsView, ScreenshotPageNeedsAFolderBeforeTheSwitch)
{
    SeededModel seed;
    ClipboardModel &model = seed.model();
    model.setScreenshotFolderPath(std::nullopt);
    FakePanelController controller;
    SettingsView view(model.preferences(), controller, nullptr, true);
    view.setTab(SettingsView::Tab::Screenshots);
    ScreenshotSettingsPage &page = *view.page()->findChild<ScreenshotSettingsPage *>();
    EXPECT_FALSE(page.importToggle()->isEnabled());
    EXPECT_EQ(page.folderName(), QStringLiteral("Priečinok nie je vybraný"));
    EXPECT_EQ(page.folderButton()->look().title, QStringLiteral("Vybrať"));
    EXPECT_TRUE(page.folderButton()->look().prominent);
    page.folderButton()->click();
    EXPECT_EQ(controller.requests, QStringList{QStringLiteral("folder")});

    QTemporaryDir folder;
    model.setScreenshotFolder(folder.path());
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.importToggle()->isEnabled(); }));
    EXPECT_TRUE(page.importToggle()->isEnabled());
    EXPECT_TRUE(page.importToggle()->value());
    EXPECT_EQ(page.folderName(), QFileInfo(folder.path()).fileName());
    EXPECT_EQ(page.folderButton()->look().title, QStringLiteral("Zmeniť"));
    EXPECT_FALSE(page.folderButton()->look().prominent);
}

TEST(SettingsView, TabsStartAtTheTopAndANewLanguageKeepsThePage)
{
    SeededModel seed;
    ClipboardModel &model = seed.model();
    FakePanelController controller;
    SettingsView view(model.preferences(), controller, nullptr, true);
    view.resize(560, 300);
    view.show();
    EXPECT_EQ(view.tab(), SettingsView::Tab::General);
    EXPECT_TRUE(view.tabButton(SettingsView::Tab::General)->isChecked());
    auto *scroll = view.findChild<QScrollArea *>();
    ASSERT_TRUE(QTest::qWaitFor([&] { return scroll->verticalScrollBar()->maximum() > 0; }));
    scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());

    view.tabButton(SettingsView::Tab::Shortcuts)->click();
    EXPECT_EQ(view.tab(), SettingsView::Tab::Shortcuts);
    EXPECT_EQ(scroll->verticalScrollBar()->value(), 0);
    EXPECT_NE(view.page()->findChild<ShortcutSettingsPage *>(), nullptr);

    ScopedLanguage english(QStringLiteral("en"));
    model.setLanguage(AppLanguage::En);
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.tabButton(SettingsView::Tab::General)->accessibleName() == QStringLiteral("General"); }));
    EXPECT_EQ(view.tabButton(SettingsView::Tab::General)->accessibleName(), QStringLiteral("General"));
    EXPECT_EQ(view.tab(), SettingsView::Tab::Shortcuts);
}

TEST(MenuPicker, ItsMenuWearsTheAppearanceOfTheViewItOpensFrom)
{
    for (PanelStyle::Scheme scheme : {PanelStyle::Scheme::Dark, PanelStyle::Scheme::Light}) {
        QWidget host;
        PanelStyle::applyScheme(&host, scheme);
        auto *picker = new MenuPicker(QStringLiteral("Limit"), {{QStringLiteral("100"), 100}, {QStringLiteral("200"), 200}}, &host);
        std::unique_ptr<QMenu> menu(picker->buildMenu());
        menu->setAttribute(Qt::WA_DeleteOnClose, false);
        EXPECT_EQ(PanelStyle::schemeOf(menu.get()), scheme);
        const QImage picture = menu->grab().toImage();
        const QColor fill = picture.pixelColor(picture.width() / 2, 1);
        // The desktop's style may lighten the fill a little; it stays the scheme's.
        EXPECT_NEAR(fill.lightnessF(), PanelStyle::colors(scheme).quickAccessBackground.lightnessF(), 0.05)
            << fill.name().toStdString();
    }
}

TEST(SettingToggle, TheKnobIsLightInEitherStateAndScheme)
{
    for (PanelStyle::Scheme scheme : {PanelStyle::Scheme::Dark, PanelStyle::Scheme::Light}) {
        for (bool on : {false, true}) {
            SCOPED_TRACE(testing::Message() << (scheme == PanelStyle::Scheme::Light ? "light " : "dark ") << on);
            QWidget host;
            PanelStyle::applyScheme(&host, scheme);
            auto *toggle = new SettingToggle(QStringLiteral("Nahrávať"), QString(), QString(), &host);
            toggle->setValue(on);
            host.adjustSize();
            auto *knobSwitch = toggle->findChild<QAbstractButton *>();
            ASSERT_TRUE(knobSwitch);
            const QImage picture = knobSwitch->grab().toImage();
            // The knob's centre: half the switch's height in from its left end when off, its right when on.
            const int x = on ? picture.width() - picture.height() / 2 - 1 : picture.height() / 2;
            const QColor knob = picture.pixelColor(x, picture.height() / 2);
            EXPECT_GT(knob.lightnessF(), 0.9) << knob.name().toStdString();
        }
    }
}

// The settings window closes from the keyboard as other windows do: Escape and the desktop's
// Close keys (Ctrl+W), and other keys leave it open.
TEST(SettingsView, TheSettingsWindowClosesOnEscapeAndCtrlW)
{
    SeededModel seed;
    FakeSettingsStore settings;
    ClipboardModelPanelLink link(seed.model(), settings);
    FakePanelController controller;
    const struct {
        const char *what;
        int key;
        Qt::KeyboardModifiers modifiers;
        bool closes;
    } cases[] = {
        {"Escape", Qt::Key_Escape, Qt::NoModifier, true},
        {"Ctrl+W", Qt::Key_W, Qt::ControlModifier, true},
        {"W", Qt::Key_W, Qt::NoModifier, false},
    };
    for (const auto &c : cases) {
        // Hosted as the program hosts it: the view alone in a window of its own.
        QPointer<QWidget> window = new QWidget(nullptr, Qt::Window);
        window->setAttribute(Qt::WA_DeleteOnClose);
        auto *layout = new QVBoxLayout(window);
        layout->addWidget(new ClipboardPanelView(link, &seed.model(), controller, true));
        window->show();
        window->activateWindow();
        QApplication::setActiveWindow(window);
        ASSERT_TRUE(QTest::qWaitFor([&] { return window->isActiveWindow(); })) << c.what;
        QWidget *focused = QApplication::focusWidget() ? QApplication::focusWidget() : window.data();
        QTest::keyClick(focused, Qt::Key(c.key), c.modifiers);
        EXPECT_EQ(!window || !window->isVisible(), c.closes) << c.what;
        if (window)
            window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// The Paste Stack's mode picker shows the model's mode, however the model came to it: the
// picker of an open page is drawn as a page opened in that mode draws it.
TEST(SettingsView, TheStackModePickerShowsTheModelsModeAfterTheModelChanges)
{
    SeededModel seed;
    ClipboardModel &model = seed.model();
    model.setRepeatsPasteStack(false);
    ClipboardSettingsPage page(model.preferences());
    page.show();
    for (const bool repeats : {true, false}) {
        const QString label = repeats ? QStringLiteral("Opakovať") : QStringLiteral("Jednorazovo");
        model.setRepeatsPasteStack(repeats);
        ASSERT_TRUE(QTest::qWaitFor([&] { return page.stackModePicker()->currentLabel() == label; })) << repeats;
        ClipboardSettingsPage opened(model.preferences());
        opened.show();
        ASSERT_EQ(opened.stackModePicker()->currentLabel(), label);
        EXPECT_EQ(page.stackModePicker()->grab().toImage(), opened.stackModePicker()->grab().toImage()) << repeats;
        EXPECT_NE(page.stackModePicker()->accessibleName(), QString());
    }
}

// The desktop refuses launch at login (the autostart folder cannot be made, or something other
// than a file holds the entry's place): the settings say why in the interface's language.
TEST(SettingsView, ARefusedLaunchAtLoginIsExplainedInTheInterfacesLanguage)
{
    struct Case {
        const char *name;
        AppLanguage language;
        bool folderBlocked;
        QString expected;
    };
    const Case cases[] = {
        {"no folder, Slovak", AppLanguage::Sk, true, QStringLiteral("Priečinok pre automatické spúšťanie sa nedá vytvoriť.")},
        {"no folder, English", AppLanguage::En, true, QStringLiteral("The folder for starting at login cannot be created.")},
        {"not a file, Slovak", AppLanguage::Sk, false,
         QStringLiteral("Na mieste položky automatického spúšťania je niečo iné ako súbor.")},
        {"not a file, English", AppLanguage::En, false,
         QStringLiteral("Something other than a file is where the login entry goes.")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir folder;
        if (c.folderBlocked) {
            QFile blocker(folder.filePath(QStringLiteral("autostart")));
            ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
        } else {
            ASSERT_TRUE(QDir().mkpath(folder.filePath(QStringLiteral("autostart/tarnel.desktop"))));
        }
        LinuxLoginItem loginItem(folder.filePath(QStringLiteral("autostart/tarnel.desktop")), QStringLiteral("/usr/bin/tarnel"));
        FakePasteboard pasteboard;
        FakeSettingsStore settings;
        FakeWorkspace workspace;
        FakePermissions permissions;
        ClipboardModelServices services;
        services.pasteboard = &pasteboard;
        services.settings = &settings;
        services.workspace = &workspace;
        services.permissions = &permissions;
        services.loginItem = &loginItem;
        services.imageFolder = folder.filePath(QStringLiteral("images"));
        services.backupFolder = folder.path();
        ClipboardModel model(std::move(services));
        model.setLanguage(c.language);
        FakePanelController controller;
        SettingsView view(model.preferences(), controller, nullptr, true);
        GeneralSettingsPage &page = *view.page()->findChild<GeneralSettingsPage *>();
        page.launchToggle()->switchButton()->click();
        EXPECT_FALSE(model.launchAtLoginEnabled());
        EXPECT_FALSE(page.launchIssue()->isHidden());
        EXPECT_EQ(page.launchIssue()->text(), c.expected);
    }
}
