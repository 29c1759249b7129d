// Rules of the X11 keyboard backends that need no X server.
#include "core/AppShortcut.h"
#include "platform/x11/SyntheticKeyJournal.h"
#include "platform/x11/X11KeySender.h"
#include "platform/x11/X11KeyTap.h"
#include "platform/x11/X11Keysyms.h"
#include "platform/x11/X11Session.h"

#include <xkbcommon/xkbcommon-keysyms.h>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

// The key tap reports keys by their unshifted symbol, as Qt names them in Tarnel's own windows.
TEST(X11Keysyms, KeysymsAreNamedAsQtNamesTheKeys)
{
    struct Case {
        const char *name;
        quint32 keysym;
        QKeyCombination expected;
    };
    const Case cases[] = {
        {"small letter", XKB_KEY_a, Qt::Key_A},
        {"capital is the same key", XKB_KEY_B, Qt::Key_B},
        {"last letter", XKB_KEY_z, Qt::Key_Z},
        {"digit", XKB_KEY_1, Qt::Key_1},
        {"punctuation", XKB_KEY_semicolon, Qt::Key_Semicolon},
        {"grave", XKB_KEY_grave, Qt::Key_QuoteLeft},
        {"space", XKB_KEY_space, Qt::Key_Space},
        {"return", XKB_KEY_Return, Qt::Key_Return},
        {"backspace", XKB_KEY_BackSpace, Qt::Key_Backspace},
        {"forward delete", XKB_KEY_Delete, Qt::Key_Delete},
        {"Shift+Tab is the Tab key", XKB_KEY_ISO_Left_Tab, Qt::Key_Tab},
        {"escape", XKB_KEY_Escape, Qt::Key_Escape},
        {"arrow", XKB_KEY_Up, Qt::Key_Up},
        {"print", XKB_KEY_Print, Qt::Key_Print},
        {"function key", XKB_KEY_F13, Qt::Key_F13},
        {"keypad digit", XKB_KEY_KP_1, Qt::KeypadModifier | Qt::Key_1},
        {"keypad enter", XKB_KEY_KP_Enter, Qt::KeypadModifier | Qt::Key_Enter},
        {"keypad operator", XKB_KEY_KP_Subtract, Qt::KeypadModifier | Qt::Key_Minus},
        {"letter of another layout", XKB_KEY_adiaeresis, Qt::Key_unknown},
        {"no symbol", XKB_KEY_NoSymbol, Qt::Key_unknown},
    };
    for (const Case &c : cases)
        EXPECT_EQ(X11Keysyms::qtKey(c.keysym), c.expected) << c.name;

    // The grab finds each shortcut's key by its keysym, which the tap reads back as that key.
    for (AppShortcut shortcut : AppShortcut::allCases()) {
        const auto keysym = X11Keysyms::keysymFor(shortcut.keys().key());
        ASSERT_TRUE(keysym.has_value()) << shortcut.name().toStdString();
        EXPECT_EQ(X11Keysyms::qtKey(*keysym), QKeyCombination(shortcut.keys().key())) << shortcut.name().toStdString();
    }
    EXPECT_EQ(X11Keysyms::keysymFor(Qt::Key_V), quint32(XKB_KEY_v));
    EXPECT_EQ(X11Keysyms::keysymFor(Qt::Key_Tab), quint32(XKB_KEY_Tab));
    EXPECT_EQ(X11Keysyms::keysymFor(Qt::Key_F2), quint32(XKB_KEY_F2));
    EXPECT_FALSE(X11Keysyms::keysymFor(Qt::Key_unknown).has_value());
}

TEST(X11KeyTap, ScreenshotChordIsPrintWithControlButNeverWithSuper)
{
    EXPECT_TRUE(X11KeyTap::isScreenshotChord(XKB_KEY_Print, Qt::ControlModifier));
    EXPECT_TRUE(X11KeyTap::isScreenshotChord(XKB_KEY_Print, Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier));
    EXPECT_FALSE(X11KeyTap::isScreenshotChord(XKB_KEY_Print, Qt::ControlModifier | Qt::MetaModifier));
    EXPECT_FALSE(X11KeyTap::isScreenshotChord(XKB_KEY_Print, Qt::ShiftModifier));
    EXPECT_FALSE(X11KeyTap::isScreenshotChord(XKB_KEY_p, Qt::ControlModifier));
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
