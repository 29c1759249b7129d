// Global shortcuts grabbed on the root window of a private X server, pressed with xdotool.
#include "InputTestSupport.h"
#include "platform/x11/X11HotKeyRegistry.h"

#include <gtest/gtest.h>

// Xlib last: its macros (None, Bool, Status) would clash with the headers above.
#include "KeyboardMapSupport.h"

#include <X11/keysym.h>

namespace {

using namespace inputtest;

// Another client on its own connection, grabbing key combinations the way a second
// application with the same shortcut would.
class OtherClient {
public:
    OtherClient() : m_display(XOpenDisplay(nullptr)) {}
    ~OtherClient() { XCloseDisplay(m_display); }

    static int recordError(Display *, XErrorEvent *error)
    {
        s_failed = s_failed || error->error_code == BadAccess;
        return 0;
    }

    // Grabs keysym with modifiers; false when another client holds it already.
    bool grab(KeySym keysym, unsigned modifiers)
    {
        s_failed = false;
        XErrorHandler previous = XSetErrorHandler(recordError);
        XGrabKey(m_display, XKeysymToKeycode(m_display, keysym), modifiers, DefaultRootWindow(m_display), False,
                 GrabModeAsync, GrabModeAsync);
        XSync(m_display, False);
        XSetErrorHandler(previous);
        return !s_failed;
    }

private:
    Display *m_display;
    static inline bool s_failed = false;
};

class X11HotKeyRegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QObject::connect(&registry, &HotKeyRegistry::shortcutPressed,
                         [this](AppShortcut shortcut) { pressed.append(shortcut); });
    }

    // Presses keys and waits until the press arrived (or the time is up).
    bool press(const char *keys, qsizetype expectedCount)
    {
        if (xdotool({"key", keys}) != 0)
            return false;
        return waitUntil([&] { return pressed.size() >= expectedCount; }, 3000ms);
    }

    X11HotKeyRegistry registry;
    QList<AppShortcut> pressed;
};

TEST_F(X11HotKeyRegistryTest, EachCombinationCallsBackOnceWithItsShortcut)
{
    ASSERT_TRUE(registry.start().isEmpty());
    struct Case {
        const char *keys;
        AppShortcut expected;
    };
    const Case cases[] = {
        {"super+shift+v", AppShortcut::history},
        {"super+alt+v", AppShortcut::pasteAs},
        {"super+alt+c", AppShortcut::pasteStack},
        {"ctrl+alt+super+c", AppShortcut::privateCopy},
        {"shift+alt+super+v", AppShortcut::pasteNextFromStack},
    };
    for (const Case &c : cases) {
        pressed.clear();
        EXPECT_TRUE(press(c.keys, 1)) << c.keys;
        pump(100ms);
        EXPECT_EQ(pressed, QList<AppShortcut>{c.expected}) << c.keys;
    }

    // Near misses are not shortcuts (and are not grabbed from other applications).
    pressed.clear();
    for (const char *keys : {"super+v", "ctrl+shift+super+v", "alt+v", "super+shift+c"})
        ASSERT_EQ(xdotool({"key", keys}), 0);
    pump(300ms);
    EXPECT_TRUE(pressed.isEmpty());
}

TEST_F(X11HotKeyRegistryTest, CapsLockAndNumLockDoNotDisableTheShortcuts)
{
    ASSERT_TRUE(registry.start().isEmpty());
    for (const char *lock : {"Caps_Lock", "Num_Lock"}) {
        pressed.clear();
        ASSERT_EQ(xdotool({"key", lock}), 0);
        EXPECT_TRUE(press("super+shift+v", 1)) << lock;
        EXPECT_EQ(pressed, QList<AppShortcut>{AppShortcut::history}) << lock;
        ASSERT_EQ(xdotool({"key", lock}), 0);
    }
}

TEST_F(X11HotKeyRegistryTest, CombinationHeldByAnotherClientFailsAloneAndTheOthersWork)
{
    OtherClient other;
    ASSERT_TRUE(other.grab(XK_c, Mod1Mask | Mod4Mask)); // Alt+Super+C

    EXPECT_EQ(registry.start(), QList<AppShortcut>{AppShortcut::pasteStack});
    EXPECT_EQ(registry.failures(), QList<AppShortcut>{AppShortcut::pasteStack});
    EXPECT_EQ(registry.grabCount(), 4 * 4);

    ASSERT_EQ(xdotool({"key", "super+alt+c"}), 0);
    EXPECT_TRUE(press("super+shift+v", 1));
    pump(100ms);
    EXPECT_EQ(pressed, QList<AppShortcut>{AppShortcut::history});
}

TEST_F(X11HotKeyRegistryTest, SecondStartRegistersNothingTwiceAndStopReleasesEverything)
{
    const QList<AppShortcut> first = registry.start();
    ASSERT_TRUE(first.isEmpty());
    EXPECT_EQ(registry.start(), first);
    EXPECT_EQ(registry.grabCount(), 5 * 4);

    EXPECT_TRUE(press("super+alt+v", 1));
    pump(200ms);
    EXPECT_EQ(pressed, QList<AppShortcut>{AppShortcut::pasteAs});

    // While registered, no other client can take the combinations; after stop every one is free.
    OtherClient other;
    EXPECT_FALSE(other.grab(XK_v, ShiftMask | Mod4Mask));
    registry.stop();
    EXPECT_FALSE(registry.isStarted());
    EXPECT_EQ(registry.grabCount(), 0);
    struct Combination {
        KeySym key;
        unsigned modifiers;
    };
    for (const Combination &c : {Combination{XK_v, ShiftMask | Mod4Mask}, Combination{XK_v, Mod1Mask | Mod4Mask},
                                 Combination{XK_c, Mod1Mask | Mod4Mask}, Combination{XK_c, ControlMask | Mod1Mask | Mod4Mask},
                                 Combination{XK_v, ShiftMask | Mod1Mask | Mod4Mask},
                                 Combination{XK_v, ShiftMask | Mod4Mask | LockMask | Mod2Mask}})
        EXPECT_TRUE(other.grab(c.key, c.modifiers)) << c.modifiers;
}

TEST_F(X11HotKeyRegistryTest, ShortcutsFollowTheirKeyToANewKeyboardMap)
{
    ASSERT_TRUE(registry.start().isEmpty());
    ASSERT_NE(moveKeysymToSpareKey(XK_v), 0u);
    pump(300ms); // the registry hears of the new map

    EXPECT_TRUE(press("super+shift+v", 1));
    EXPECT_EQ(pressed, QList<AppShortcut>{AppShortcut::history});
    EXPECT_TRUE(registry.failures().isEmpty());
    EXPECT_EQ(registry.grabCount(), 5 * 4);
}

TEST(X11HotKeyRegistryRules, ShortcutFlagsBecomeXModifiers)
{
    const X11HotKeyRegistry::ModifierBits bits{Mod1Mask, Mod4Mask, Mod2Mask};
    struct Case {
        AppShortcut shortcut;
        unsigned expected;
    };
    const Case cases[] = {
        {AppShortcut::history, ShiftMask | Mod4Mask},
        {AppShortcut::pasteAs, Mod1Mask | Mod4Mask},
        {AppShortcut::pasteStack, Mod1Mask | Mod4Mask},
        {AppShortcut::privateCopy, ControlMask | Mod1Mask | Mod4Mask},
        {AppShortcut::pasteNextFromStack, ShiftMask | Mod1Mask | Mod4Mask},
    };
    for (const Case &c : cases)
        EXPECT_EQ(X11HotKeyRegistry::xModifiers(c.shortcut.modifiers(), bits), c.expected) << c.shortcut.name().toStdString();
    const struct {
        X11HotKeyRegistry::ModifierBits bits;
        QList<unsigned> expected;
    } variantCases[] = {
        {bits, {0, LockMask, Mod2Mask, Mod2Mask | LockMask}},
        {{Mod1Mask, Mod4Mask, 0}, {0, LockMask}},
        {{Mod1Mask, Mod4Mask, LockMask}, {0, LockMask}},
        // A keyboard map without a Num Lock key of its own, where Alt or Super sit on the bit
        // Num Lock usually has: the other shortcuts' combinations are never grabbed as variants.
        {{Mod2Mask, Mod4Mask, Mod2Mask}, {0, LockMask}},
        {{Mod1Mask, Mod2Mask, Mod2Mask}, {0, LockMask}},
        {{Mod1Mask, Mod4Mask, Mod3Mask}, {0, LockMask, Mod3Mask, Mod3Mask | LockMask}},
    };
    for (const auto &c : variantCases)
        EXPECT_EQ(X11HotKeyRegistry::lockVariants(c.bits), c.expected)
            << c.bits.alt << "/" << c.bits.super << "/" << c.bits.numLock;
}

} // namespace
