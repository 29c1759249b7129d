// The keyboard monitor on a real X server: shortcuts pressed with xdotool over the fixture
// window, and a paste from Quick Access that hands the keyboard back to the fixture.
#include "InputTestSupport.h"

#include "engine/ClipboardModel.h"
#include "platform/fake/FakeSettingsStore.h"
#include "platform/x11/X11HotKeyRegistry.h"
#include "platform/x11/X11KeySender.h"
#include "platform/x11/X11KeyTap.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/X11Permissions.h"
#include "platform/x11/X11Workspace.h"
#include "shell/GlobalPasteMonitor.h"
#include "support/ModelServices.h"
#include "ui/quickaccess/QuickAccessView.h"

#include <QApplication>
#include <QTimeZone>

#include <gtest/gtest.h>

namespace {

using namespace inputtest;

class KeyboardMonitorX11 : public ::testing::Test {
protected:
    void SetUp() override
    {
        model = std::make_unique<ClipboardModel>(
            testsupport::pasteServices(pasteboard, settings, workspace, permissions, keys, folder));
        monitor = std::make_unique<GlobalPasteMonitor>(
            *model, GlobalPasteMonitorServices{hotKeys, tap, permissions, workspace, nullptr, {}, {}});
        view = std::make_unique<QuickAccessView>(*model);
        view->resize(350, 408);
        // What the panel controller does on the two Quick Access shortcuts.
        QObject::connect(monitor.get(), &GlobalPasteMonitor::quickAccessRequested, [this](bool pasteAs) {
            ++quickAccessCalls;
            std::optional<RunningApplication> front = workspace.frontmostApplication();
            if (front && workspace.isOwn(*front))
                front.reset();
            model->beginQuickAccess(front);
            model->setSelectedTab(ClipboardPanelTab::History);
            model->setIsPasteAsPresented(pasteAs);
            view->show();
            view->raise();
            view->activateWindow();
        });
        QObject::connect(monitor.get(), &GlobalPasteMonitor::dismissQuickAccessRequested, [this] {
            model->setIsQuickAccessPresented(false);
            view->hide();
        });
    }

    bool inFront(qint64 pid)
    {
        return waitUntil([&] {
            const auto application = workspace.frontmostApplication();
            return application && application->pid == pid;
        });
    }

    QTemporaryDir folder;
    FakeSettingsStore settings;
    X11Workspace workspace;
    X11KeyTap tap;
    X11Permissions permissions{&tap};
    X11HotKeyRegistry hotKeys;
    X11KeySender keys{&workspace};
    X11Pasteboard pasteboard;
    std::unique_ptr<ClipboardModel> model;
    std::unique_ptr<GlobalPasteMonitor> monitor;
    std::unique_ptr<QuickAccessView> view;
    int quickAccessCalls = 0;
};

TEST_F(KeyboardMonitorX11, AShortcutPressedOnceOpensQuickAccessOnce)
{
    monitor->requestAccessAndStart(false);
    ASSERT_TRUE(model->unavailableShortcuts().isEmpty()) << model->unavailableShortcuts().join(", ").toStdString();
    ASSERT_TRUE(model->pasteMonitoringEnabled()) << "the key tap sees the same press as the grab";
    Fixture fixture("shortcut");
    ASSERT_TRUE(inFront(fixture.pid()));

    ASSERT_EQ(xdotool({"key", "shift+super+v"}), 0);
    ASSERT_TRUE(waitUntil([&] { return quickAccessCalls > 0; }));
    pump(300ms);
    EXPECT_EQ(quickAccessCalls, 1);
    EXPECT_EQ(model->currentContext(), QStringLiteral("TarnelFixture"));
    // The grab kept the chord from the fixture: nothing was typed there.
    EXPECT_TRUE(fixture.text().isEmpty()) << fixture.text().toStdString();
}

TEST_F(KeyboardMonitorX11, CtrlDigitPastesIntoTheFixtureAndItGetsTheKeyboardBack)
{
    ClipboardEntry first;
    first.id = ClipboardEntry::newID();
    first.text = QStringLiteral("prvý záznam");
    first.copiedAt = QDateTime::currentDateTimeUtc();
    ClipboardEntry second = first;
    second.id = ClipboardEntry::newID();
    second.text = QStringLiteral("druhý záznam");
    model->setEntries({first, second});
    monitor->requestAccessAndStart(false);

    Fixture fixture("paste");
    ASSERT_TRUE(inFront(fixture.pid()));
    ASSERT_EQ(xdotool({"key", "shift+super+v"}), 0);
    ASSERT_TRUE(waitUntil([&] { return quickAccessCalls == 1; }));
    ASSERT_TRUE(inFront(QCoreApplication::applicationPid())) << "Quick Access has the keyboard";
    pump(200ms);

    // Ctrl+2 inside Tarnel pastes the second entry where the user came from.
    ASSERT_EQ(xdotool({"key", "ctrl+2"}), 0);
    EXPECT_TRUE(waitUntil([&] { return fixture.text() == QStringLiteral("druhý záznam"); }, 8000ms))
        << fixture.text().toStdString();
    EXPECT_TRUE(inFront(fixture.pid()));
    EXPECT_FALSE(model->isQuickAccessPresented());
}

TEST_F(KeyboardMonitorX11, SwitchingToPasteAsWhileOpenStillPastesIntoTheFixture)
{
    ClipboardEntry entry;
    entry.id = ClipboardEntry::newID();
    entry.text = QStringLiteral("VEĽKÉ písmená");
    entry.copiedAt = QDateTime::currentDateTimeUtc();
    model->setEntries({entry});
    monitor->requestAccessAndStart(false);

    Fixture fixture("switch");
    ASSERT_TRUE(inFront(fixture.pid()));
    ASSERT_EQ(xdotool({"key", "shift+super+v"}), 0);
    ASSERT_TRUE(inFront(QCoreApplication::applicationPid()));
    // The paste-as form, opened over Tarnel's own window, keeps the fixture as the target.
    ASSERT_EQ(xdotool({"key", "alt+super+v"}), 0);
    ASSERT_TRUE(waitUntil([&] { return quickAccessCalls == 2; }));
    EXPECT_EQ(model->currentContext(), QStringLiteral("TarnelFixture"));
    model->setSelectedEntryID(entry.id);
    pump(200ms);

    // Right opens the options, Down Down Return pastes the lower-cased text.
    ASSERT_EQ(xdotool({"key", "--delay", "60", "Down", "Right", "Down", "Down", "Return"}), 0);
    EXPECT_TRUE(waitUntil([&] { return fixture.text() == QStringLiteral("veľké písmená"); }, 8000ms))
        << fixture.text().toStdString();
    EXPECT_TRUE(inFront(fixture.pid()));
}

// A fast typist presses the next key before the trigger's last key is up: the Backspace
// presses and the snippet must not wait for that key, or the next keys land first and are
// erased in the trigger's place.
TEST_F(KeyboardMonitorX11, KeysTypedRightAfterATriggerAreNeitherErasedNorLost)
{
    ASSERT_TRUE(model->saveSnippet(std::nullopt, QStringLiteral("podpis"), QStringLiteral("sig2"),
                                   QStringLiteral("S. Kováč")));
    monitor->requestAccessAndStart(false);
    Fixture fixture("typing");
    ASSERT_TRUE(inFront(fixture.pid()));
    pump(200ms);

    ASSERT_EQ(xdotool({"type", "ab sig"}), 0);
    ASSERT_EQ(xdotool({"keydown", "2"}), 0);
    pump(150ms);
    ASSERT_EQ(xdotool({"keydown", "x"}), 0);
    ASSERT_EQ(xdotool({"keyup", "2"}), 0);
    ASSERT_EQ(xdotool({"keyup", "x"}), 0);
    ASSERT_EQ(xdotool({"type", "yz"}), 0);
    EXPECT_TRUE(waitUntil([&] { return fixture.text() == QStringLiteral("ab S. Kováčxyz"); }, 5000ms))
        << fixture.text().toStdString();
}

} // namespace
