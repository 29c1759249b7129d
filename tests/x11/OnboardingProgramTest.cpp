// The first start of the whole program: the guide comes up by itself, a person steps through
// it with the keyboard alone, finishing writes what was chosen, and the next start goes
// straight to the panel.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

#include "X11TestSupport.h"

using namespace x11test;

namespace {

QJsonObject savedSettings()
{
    QFile file(qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Tarnel/defaults.json"));
    return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).object() : QJsonObject();
}

std::optional<Window> waitForGuide(int ms = 8000) { return waitForRole("tarnel-onboarding", ms); }

// What the title bar's close button does: the window manager asks the window to close.
void askToClose(Window window)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display(), "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(display(), "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display(), window, False, NoEventMask, &event);
    XFlush(display());
}

void keys(const QStringList &names)
{
    xdotool(QStringList{"key", "--delay", "60"} + names);
}

} // namespace

TEST(OnboardingProgram, FirstStartShowsTheGuideTheKeyboardFinishesItAndTheNextStartSkipsIt)
{
    writeSettings("{}");
    movePointer(QPoint(960, 900));
    {
        Program tarnel(tarnelBinary());
        const std::optional<Window> guide = waitForGuide();
        ASSERT_TRUE(guide) << tarnel.errorOutput().constData();
        EXPECT_EQ(geometry(*guide).size(), QSize(760, 560));
        ASSERT_TRUE(waitForActive(tarnel.pid())) << "the guide takes the keyboard";
        ASSERT_TRUE(waitForKeyboard(*guide));

        // Return moves on from the welcome, permissions and screenshots steps; on the
        // preferences step the keyboard starts on the notch, Tab walks the choices and Space
        // takes one: the menu bar, the light look, English.
        keys({"Return", "Return", "Return"});
        keys({"Tab", "space"});
        keys({"Tab", "space"});
        EXPECT_TRUE(QTest::qWaitFor([] { return savedSettings().value("tarnel.appearance").toString() == "light"; }))
            << "the look is the model's at once";
        keys({"Tab", "Tab", "Tab", "space"});
        EXPECT_TRUE(QTest::qWaitFor([] { return savedSettings().value("tarnel.language").toString() == "en"; }))
            << "and so is the language";
        EXPECT_FALSE(savedSettings().contains("tarnel.presentationMode")) << "the display mode waits for the end";
        EXPECT_FALSE(savedSettings().contains("tarnel.onboardingComplete"));

        keys({"Return", "Return"});
        EXPECT_TRUE(QTest::qWaitFor([] { return shownWithRole("tarnel-onboarding").empty(); })) << "finishing closes it";
        EXPECT_TRUE(QTest::qWaitFor([] { return savedSettings().value("tarnel.onboardingComplete").toBool(); }));
        EXPECT_EQ(savedSettings().value("tarnel.presentationMode").toString(), QStringLiteral("menuBar"));
        EXPECT_EQ(savedSettings().value("tarnel.appearance").toString(), QStringLiteral("light"));
        EXPECT_EQ(savedSettings().value("tarnel.language").toString(), QStringLiteral("en"));
        EXPECT_TRUE(tarnel.isRunning());
    }

    Program again(tarnelBinary());
    ASSERT_TRUE(waitForPanel()) << "without a tray the panel stands in for it; " << again.errorOutput().constData();
    EXPECT_FALSE(waitForGuide(2000)) << "a finished guide does not come back";
}

TEST(OnboardingProgram, LaterOrTheCloseButtonLeaveTheGuideForTheNextStart)
{
    writeSettings("{}");
    movePointer(QPoint(960, 900));
    {
        Program tarnel(tarnelBinary());
        const std::optional<Window> guide = waitForGuide();
        ASSERT_TRUE(guide) << tarnel.errorOutput().constData();
        ASSERT_TRUE(waitForActive(tarnel.pid()));
        // "Finish later" opens the footer, at the left of the main column under the sidebar.
        ASSERT_TRUE(clickIn(*guide, QPoint(215 + 1 + 28 + 20, 560 - 21 - 16)));
        EXPECT_TRUE(QTest::qWaitFor([] { return shownWithRole("tarnel-onboarding").empty(); }));
        EXPECT_TRUE(tarnel.isRunning());
    }
    EXPECT_FALSE(savedSettings().contains("tarnel.onboardingComplete"));
    {
        Program tarnel(tarnelBinary());
        const std::optional<Window> guide = waitForGuide();
        ASSERT_TRUE(guide) << "a postponed guide comes back; " << tarnel.errorOutput().constData();
        askToClose(*guide);
        EXPECT_TRUE(QTest::qWaitFor([] { return shownWithRole("tarnel-onboarding").empty(); }));
        EXPECT_TRUE(tarnel.isRunning()) << "closing the guide does not end the program";
    }
    EXPECT_FALSE(savedSettings().contains("tarnel.onboardingComplete"));
    Program again(tarnelBinary());
    EXPECT_TRUE(waitForGuide()) << "and after the close button too; " << again.errorOutput().constData();
}
