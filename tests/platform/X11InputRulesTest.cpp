// Rules of the X11 keyboard backends that need no X server.
#include "platform/x11/SyntheticKeyJournal.h"
#include "platform/x11/X11KeySender.h"
#include "platform/x11/X11Session.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

TEST(X11KeySender, TerminalsAreRecognisedByWindowClassWithoutCase)
{
    struct Case {
        const char *windowClass;
        bool terminal;
    };
    const Case cases[] = {
        {"XTerm", true},           {"Gnome-terminal", true}, {"konsole", true},
        {"kitty", true},           {"Alacritty", true},      {"URxvt", true},
        {"org.wezfurlong.wezterm", true}, {"Xfce4-terminal", true},
        {"TarnelFixture", false},  {"firefox", false},       {"Gedit", false},
        {"", false},               {"terminal-ish", false},  {"kittyhawk", false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(X11KeySender::isTerminalClass(QString::fromUtf8(c.windowClass)), c.terminal) << c.windowClass;
}

TEST(X11Session, WaylandWithoutQtOnXcbIsNoX11Session)
{
    struct Case {
        const char *name;
        bool wayland;
        const char *platform;
        bool displayOpens;
        bool usable;
    };
    const Case cases[] = {
        {"plain X11", false, "xcb", true, true},
        {"XWayland with Qt on xcb", true, "xcb", true, true},
        {"Wayland with Qt on wayland", true, "wayland", true, false},
        {"Wayland, offscreen Qt", true, "offscreen", true, false},
        {"no Wayland, offscreen Qt, X server there", false, "offscreen", true, true},
        {"no display at all", false, "offscreen", false, false},
        {"xcb but the display is gone", false, "xcb", false, false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(X11Session::decide(c.wayland, QString::fromLatin1(c.platform), c.displayOpens), c.usable) << c.name;
}

TEST(X11Session, WindowsGoToTheX11PlatformUnlessTheUserChoseOne)
{
    EXPECT_TRUE(X11Session::choosesXcb("", ":0", false)); // XWayland under a Wayland session too
    EXPECT_FALSE(X11Session::choosesXcb("wayland", ":0", false));
    EXPECT_FALSE(X11Session::choosesXcb("offscreen", ":0", false));
    EXPECT_FALSE(X11Session::choosesXcb("", ":0", true));
    EXPECT_FALSE(X11Session::choosesXcb("", "", false)); // no X display: Qt's own choice stands

    const QByteArray previous = qgetenv("QT_QPA_PLATFORM");
    const QByteArray display = qgetenv("DISPLAY");
    qunsetenv("QT_QPA_PLATFORM");
    qputenv("DISPLAY", ":7");
    QByteArray program("tarnel"), flag("--platform"), name("wayland");
    char *plain[] = {program.data()};
    EXPECT_EQ(X11Session::qtArguments(1, plain),
              (QList<QByteArray>{"tarnel", "-platform", "xcb"}));
    char *chosen[] = {program.data(), flag.data(), name.data()};
    EXPECT_EQ(X11Session::qtArguments(3, chosen), (QList<QByteArray>{"tarnel", "--platform", "wayland"}));
    qputenv("QT_QPA_PLATFORM", previous);
    if (previous.isEmpty())
        qunsetenv("QT_QPA_PLATFORM");
    if (display.isEmpty())
        qunsetenv("DISPLAY");
    else
        qputenv("DISPLAY", display);
}

TEST(SyntheticKeyJournal, EachSentEventIsCrossedOffOnceAndOldOnesAreForgotten)
{
    SyntheticKeyJournal journal;
    const auto t0 = SyntheticKeyJournal::Clock::time_point{} + 100s;
    journal.record(55, true, t0);
    journal.record(55, false, t0);
    journal.record(22, true, t0);

    struct Step {
        const char *name;
        unsigned keycode;
        bool press;
        std::chrono::milliseconds after;
        bool own;
    };
    const Step steps[] = {
        {"release is not a press", 22, false, 10ms, false},
        {"our press", 55, true, 10ms, true},
        {"the same press again is someone else's", 55, true, 20ms, false},
        {"our release", 55, false, 30ms, true},
        {"an unknown key", 10, true, 40ms, false},
        {"too late: the entry was forgotten", 22, true, SyntheticKeyJournal::kEntryLifetime + 1ms, false},
    };
    for (const Step &step : steps)
        EXPECT_EQ(journal.consume(step.keycode, step.press, t0 + step.after), step.own) << step.name;
    EXPECT_EQ(journal.pending(t0 + SyntheticKeyJournal::kEntryLifetime + 1ms), 0);
}

} // namespace
