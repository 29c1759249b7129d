// The program a copy came from, as the history records it: the one whose window owns the
// clipboard, else the last window in front that was neither Tarnel's nor the window manager's.
#include "engine/ClipboardModel.h"
#include "platform/fake/FakeKeySender.h"
#include "platform/fake/FakePermissions.h"
#include "platform/fake/FakeSettingsStore.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/X11Workspace.h"
#include "support/ModelServices.h"

#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QSocketNotifier>

#include <poll.h>

#include <gtest/gtest.h>

#include "X11TestSupport.h"

namespace {

using namespace x11test;

constexpr int kCaptureWaitMs = 8000;
// The system's Python, which has the GTK bindings the packages install.
const QString kPython = QStringLiteral("/usr/bin/python3");

class CopySourceX11 : public ::testing::Test {
protected:
    X11Pasteboard pasteboard;
    X11Workspace workspace;
    FakeSettingsStore settings;
    FakePermissions permissions;
    FakeKeySender keys;
    QTemporaryDir folder;
};

TEST_F(CopySourceX11, ACopyIsRecordedWithTheProgramThatMadeItNeverWithTarnelOrTheManager)
{
    if (run(kPython, {"-c", "import gi; gi.require_version('Gtk', '3.0')"}) != 0)
        GTEST_SKIP() << "Python's GTK 3 (python3-gi, gir1.2-gtk-3.0) is missing; scripts/setup.sh installs it";
    ClipboardModel model(testsupport::pasteServices(pasteboard, settings, workspace, permissions, keys, folder));
    model.startMonitoring();
    // Tarnel's own window, in front while the copies of the rows that ask for it come.
    QLineEdit own;
    own.setWindowTitle(QStringLiteral("Tarnel's window"));
    own.setGeometry(100, 100, 400, 60);
    Fixture fixture("source", {}, QStringLiteral("400x120+100+400"));
    ASSERT_TRUE(fixture.waitForKeyboard());
    std::unique_ptr<QProcess> copier;

    enum class InFront { Fixture,
                         Tarnel,
                         Nothing };
    enum class CopiedBy { Xclip,
                          BackgroundProgram };
    struct Case {
        const char *name;
        InFront front;
        CopiedBy by;
        const char *source;
    };
    const Case cases[] = {
        {"xclip with the fixture in front", InFront::Fixture, CopiedBy::Xclip, "TarnelFixture"},
        {"a program behind Tarnel's window", InFront::Tarnel, CopiedBy::BackgroundProgram, "CopySource"},
        {"xclip with Tarnel's window in front", InFront::Tarnel, CopiedBy::Xclip, "TarnelFixture"},
        // Closed, Tarnel's window leaves the keyboard to the manager (xfwm4 takes it itself).
        {"xclip once Tarnel's window closed", InFront::Nothing, CopiedBy::Xclip, "TarnelFixture"},
    };
    int round = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        switch (c.front) {
        case InFront::Fixture:
            own.hide();
            ASSERT_EQ(xdotool({"search", "--name", "^source$", "windowactivate", "--sync"}), 0);
            ASSERT_TRUE(fixture.waitForKeyboard());
            break;
        case InFront::Tarnel:
            own.show();
            own.activateWindow();
            ASSERT_TRUE(waitForActive(QCoreApplication::applicationPid()));
            break;
        case InFront::Nothing:
            own.hide();
            ASSERT_TRUE(QTest::qWaitFor([&] { return !own.isVisible(); }));
            break;
        }
        const QString text = QStringLiteral("copy %1").arg(++round);
        const qint64 before = model.lastChangeCount();
        std::unique_ptr<SelectionOwner> xclip;
        if (c.by == CopiedBy::Xclip) {
            xclip = std::make_unique<SelectionOwner>(text);
        } else {
            copier = std::make_unique<QProcess>();
            copier->start(kPython,
                          {QStringLiteral(TARNEL_SOURCE_DIR "/tests/fixtures/copy-source/copy-source.py"), text});
            ASSERT_TRUE(copier->waitForStarted());
        }
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return model.lastChangeCount() > before && !model.entries().isEmpty() && model.entries().first().text == text; },
            kCaptureWaitMs));
        EXPECT_EQ(model.entries().first().sourceApp.toStdString(), c.source);
    }
    if (copier) {
        copier->kill();
        copier->waitForFinished();
    }
}

// The program last in front is followed as the news of the active window comes, not only read
// when a copy asks for it: a copy by a program without a window while Tarnel's window is in front
// is credited to the window the user left last, not to the one before it. The keyboard moves by
// focus alone, no window raised, and nothing asks the workspace between the moves, so that the
// change of the active window is the only news the workspace hears of each.
TEST_F(CopySourceX11, TheProgramLastInFrontIsTheWindowTheUserLeftLast)
{
    const auto *news = workspace.findChild<QSocketNotifier *>();
    ASSERT_NE(news, nullptr);
    // The workspace has taken in what the server sent it.
    const auto heard = [news] {
        pollfd connection{int(news->socket()), POLLIN, 0};
        return ::poll(&connection, 1, 0) == 0;
    };
    Fixture first("first", {}, QStringLiteral("300x120+100+300"));
    ASSERT_TRUE(first.waitForKeyboard());
    Fixture second("second", {}, QStringLiteral("300x120+500+300"));
    ASSERT_TRUE(second.waitForKeyboard());
    QLineEdit own;
    own.setWindowTitle(QStringLiteral("Tarnel's window"));
    own.setGeometry(100, 600, 400, 60);
    own.show();
    ASSERT_TRUE(waitForActive(QCoreApplication::applicationPid()));
    const std::optional<Window> firstWindow = first.shownWindow();
    const std::optional<Window> secondWindow = second.shownWindow();
    ASSERT_TRUE(firstWindow && secondWindow);
    const auto focus = [&](Window window) {
        ASSERT_EQ(xdotool({"windowfocus", "--sync", QString::number(window)}), 0);
        // The news is on the workspace's connection once the manager names the window active.
        ASSERT_TRUE(QTest::qWaitFor([&] { return activeWindow() == window; }));
        ASSERT_TRUE(QTest::qWaitFor(heard));
    };
    for (const auto &[before, left] : {std::pair{*secondWindow, *firstWindow}, std::pair{*firstWindow, *secondWindow}}) {
        SCOPED_TRACE(left == *firstWindow ? "the first window left last" : "the second window left last");
        focus(before);
        focus(left);
        focus(windowOf(&own));
        const std::optional<RunningApplication> source = workspace.copySource(0);
        ASSERT_TRUE(source);
        EXPECT_EQ(source->window, left);
    }
}

} // namespace
