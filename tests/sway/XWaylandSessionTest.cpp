// The whole program in a Wayland session (sway) as an X11 client through XWayland: one copy in
// a Wayland application is one entry whatever the keyboard focus does and across a restart,
// the panel stands at the top centre and lets clicks beside its outline through, and the
// session's limits are known and said.
// gtest first: Xlib's macros (None, Bool) would break its headers.
#include <gtest/gtest.h>

#include "core/ClipboardEntry.h"
#include "engine/ClipboardModel.h"
#include "platform/fake/FakePanelWindowTraits.h"
#include "platform/fake/FakePasteboard.h"
#include "platform/fake/FakeSettingsStore.h"
#include "engine/HistoryRows.h"
#include "platform/linux/SqliteHistoryStore.h"
#include "platform/x11/X11KeyTap.h"
#include "platform/x11/X11Permissions.h"
#include "platform/x11/X11Session.h"
#include "support/FakePanelController.h"
#include "ui/settings/ShortcutSettingsPage.h"

#include <QJsonDocument>
#include <QJsonObject>

#include "../x11/X11TestSupport.h"
#include "../x11/StoredHistory.h"

using namespace x11test;

namespace {

constexpr int kWaitMs = 10000;

int swaymsg(const QString &command) { return run(QStringLiteral("swaymsg"), {command}); }

// Moves the keyboard to the window with this title through the compositor, as a click would.
bool focusTitle(const QString &title)
{
    return swaymsg(QStringLiteral("[title=\"^%1$\"] focus").arg(title)) == 0;
}

class XWaylandSession : public ::testing::Test
{
protected:
    void TearDown() override
    {
        for (auto &copy : m_copies) {
            copy->kill();
            copy->waitForFinished(2000);
        }
    }

    // A copy in a Wayland program: wl-copy owns the Wayland clipboard until the next one.
    void wlCopy(const QString &text)
    {
        auto process = std::make_unique<QProcess>();
        process->start(QStringLiteral("wl-copy"), {QStringLiteral("--foreground"), text});
        ASSERT_TRUE(process->waitForStarted(5000));
        m_copies.push_back(std::move(process));
    }

    // Tarnel as a user starts it: nothing chooses Qt's platform for it.
    static std::unique_ptr<Program> startTarnel()
    {
        const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
        qunsetenv("QT_QPA_PLATFORM");
        auto tarnel = std::make_unique<Program>(tarnelBinary());
        qputenv("QT_QPA_PLATFORM", platform);
        return tarnel;
    }

    // A window of a native Wayland program, and an X11 one.
    static std::unique_ptr<Fixture> startFixture(const QString &title, const char *platform)
    {
        const QByteArray previous = qgetenv("QT_QPA_PLATFORM");
        qputenv("QT_QPA_PLATFORM", platform);
        auto fixture = std::make_unique<Fixture>(title);
        qputenv("QT_QPA_PLATFORM", previous);
        return fixture;
    }

    std::vector<std::unique_ptr<QProcess>> m_copies;
};

TEST_F(XWaylandSession, TheSessionIsKnownAndItsLimitsAreSaid)
{
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    EXPECT_TRUE(X11Session::isUsable());
    EXPECT_TRUE(X11Session::isXWaylandInWayland());
    X11KeyTap tap;
    X11Permissions permissions(&tap);
    EXPECT_TRUE(permissions.waylandSession());
    EXPECT_TRUE(permissions.accessibilityTrusted()); // for X11 applications, as the notice says

    FakePasteboard pasteboard;
    FakeSettingsStore settings;
    QTemporaryDir folder;
    ClipboardModelServices services;
    services.pasteboard = &pasteboard;
    services.settings = &settings;
    services.permissions = &permissions;
    services.imageFolder = folder.filePath(QStringLiteral("images"));
    services.backupFolder = folder.path();
    ClipboardModel model(std::move(services));
    testsupport::FakePanelController controller;
    ShortcutSettingsPage page(model.preferences(), controller);
    EXPECT_EQ(page.sessionText(), ClipboardModel::waylandSessionLimitsNotice);
}

TEST_F(XWaylandSession, OneWaylandCopyIsOneEntryThroughFocusChangesAndARestart)
{
    forgetHistory();
    writeSettings(QJsonDocument(QJsonObject{{"tarnel.onboardingComplete", true}}).toJson(QJsonDocument::Compact));
    const auto wayland = startFixture(QStringLiteral("Wayland window"), "wayland");
    const auto x11 = startFixture(QStringLiteral("X11 window"), "xcb");
    ASSERT_TRUE(QTest::qWaitFor([] { return focusTitle(QStringLiteral("Wayland window")); }, kWaitMs));
    ASSERT_TRUE(QTest::qWaitFor([] { return focusTitle(QStringLiteral("X11 window")); }, kWaitMs));
    ASSERT_TRUE(waitForActive(x11->pid()));

    auto tarnel = startTarnel();
    // Its panel is an X window: Tarnel's windows live on the display its platform layer speaks to.
    ASSERT_TRUE(waitForPanel()) << tarnel->errorOutput().constData();

    wlCopy(QStringLiteral("one copy"));
    ASSERT_TRUE(QTest::qWaitFor([] { return storedTexts().contains(QStringLiteral("one copy")); }, kWaitMs))
        << tarnel->errorOutput().constData();
    // Every move into the X11 window hands the clipboard to X again.
    const auto moveFocusBackAndForth = [&] {
        for (int round = 0; round < 3; ++round) {
            ASSERT_TRUE(focusTitle(QStringLiteral("Wayland window")));
            ASSERT_TRUE(focusTitle(QStringLiteral("X11 window")));
            ASSERT_TRUE(waitForActive(x11->pid()));
        }
    };
    moveFocusBackAndForth();
    // The compositor hands changes over in order: once a later copy is in, the focus moves
    // before it have been dealt with.
    wlCopy(QStringLiteral("later copy"));
    ASSERT_TRUE(QTest::qWaitFor([] { return storedTexts().contains(QStringLiteral("later copy")); }, kWaitMs));
    EXPECT_EQ(storedTexts().count(QStringLiteral("one copy")), 1) << storedTexts().join(u'|').toStdString();

    // A restart meets the clipboard as it was left, handed over again at the next focus move.
    tarnel.reset();
    tarnel = startTarnel();
    ASSERT_TRUE(waitForPanel()) << tarnel->errorOutput().constData();
    moveFocusBackAndForth();
    wlCopy(QStringLiteral("after the restart"));
    ASSERT_TRUE(QTest::qWaitFor([] { return storedTexts().contains(QStringLiteral("after the restart")); }, kWaitMs));
    EXPECT_EQ(storedTexts(), (QStringList{QStringLiteral("after the restart"), QStringLiteral("later copy"),
                                          QStringLiteral("one copy")}))
        << tarnel->errorOutput().constData();
}

TEST_F(XWaylandSession, ThePanelStandsAtTheTopCentreAndClicksBesideItsOutlineGoThrough)
{
    writeSettings(QJsonDocument(QJsonObject{{"tarnel.onboardingComplete", true}}).toJson(QJsonDocument::Compact));
    // The compositor tiles the X11 window over the whole output: it lies beneath the panel.
    const auto beneath = startFixture(QStringLiteral("Beneath"), "xcb");
    ASSERT_TRUE(waitForActive(beneath->pid()));
    auto tarnel = startTarnel();
    const std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel) << tarnel->errorOutput().constData();

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QRect frame;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        frame = geometry(*panel);
        return frame.top() == screen.top() && std::abs(frame.center().x() - screen.center().x()) <= 1;
    }, kWaitMs)) << "panel at " << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height();

    // Away from the panel the window beneath gets clicks at all. XWayland takes synthetic
    // pointer events only once the compositor has put its pointer over an X11 window, which
    // the first motion does: clicked again until one arrives.
    const QPoint away(screen.center().x(), screen.bottom() - 100);
    ASSERT_TRUE(QTest::qWaitFor([&] {
        clickAt(away);
        return QTest::qWaitFor([&] { return !beneath->clicks().isEmpty(); }, 500);
    }, kWaitMs)) << "no click reached the X11 window at all";
    const QByteArray before = beneath->clicks();
    // Beside the collapsed notch but inside the panel's window: the window beneath gets it.
    const QPoint beside(frame.left() + 2, frame.bottom() - 2);
    clickAt(beside);
    EXPECT_TRUE(QTest::qWaitFor([&] { return beneath->clicks() != before; }, kWaitMs))
        << beneath->clicks().constData() << "the click at " << beside.x() << "," << beside.y() << " did not reach the window beneath";
    EXPECT_TRUE(tarnel->isRunning()) << tarnel->errorOutput().constData();
}

TEST_F(XWaylandSession, QuickAccessHasTheKeyboardOrIsGoneAndThePanelReturnsToTheTop)
{
    writeSettings(QJsonDocument(QJsonObject{{"tarnel.onboardingComplete", true}}).toJson(QJsonDocument::Compact));
    const auto editor = startFixture(QStringLiteral("Editor"), "xcb");
    ASSERT_TRUE(waitForActive(editor->pid()));
    auto tarnel = startTarnel();
    const std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel) << tarnel->errorOutput().constData();
    ASSERT_TRUE(focusTitle(QStringLiteral("Editor")));
    ASSERT_TRUE(waitForActive(editor->pid()));
    QRect notch;
    ASSERT_TRUE(QTest::qWaitFor([&] { notch = geometry(*panel); return notch.top() == 0; }, kWaitMs));

    // The shortcut pressed in an X11 window reaches Tarnel: Quick Access opens at the centre.
    xdotool({"key", "shift+super+v"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return geometry(*panel) != notch; }, kWaitMs)) << tarnel->errorOutput().constData();
    // It has the keyboard (the X focus is in the panel), or it is gone and the panel is back
    // at the top centre: it never stands there without the keyboard.
    const auto panelHasKeyboard = [&] {
        Window focus = 0;
        int revert = 0;
        XGetInputFocus(display(), &focus, &revert);
        return focus == *panel;
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return panelHasKeyboard() || geometry(*panel) == notch; }, kWaitMs));
    if (!panelHasKeyboard()) {
        EXPECT_EQ(geometry(*panel), notch);
        EXPECT_EQ(activePid(), editor->pid()) << "the editor keeps the keyboard";
    }
    EXPECT_TRUE(tarnel->isRunning()) << tarnel->errorOutput().constData();
}

} // namespace
