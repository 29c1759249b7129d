// Global shortcuts grabbed on the root window of a private X server, pressed with xdotool. Key
// events arrive in order, so a shortcut pressed last and waited for shows every report before it.
#include "platform/x11/X11HotKeyRegistry.h"

#include <gtest/gtest.h>

#include "X11TestSupport.h"

#include <X11/keysym.h>

#include <memory>

namespace {

using namespace x11test;
using List = QList<AppShortcut>;

// Another client grabbing key combinations, as a second application with the same shortcut would.
struct OtherClient {
    Display *connection = XOpenDisplay(nullptr);
    ~OtherClient() { XCloseDisplay(connection); }

    // False when another client holds the combination already.
    bool grab(KeySym keysym, unsigned modifiers)
    {
        static bool failed;
        failed = false;
        XErrorHandler previous = XSetErrorHandler([](Display *, XErrorEvent *error) {
            failed = failed || error->error_code == BadAccess;
            return 0;
        });
        XGrabKey(connection, XKeysymToKeycode(connection, keysym), modifiers, DefaultRootWindow(connection), False,
                 GrabModeAsync, GrabModeAsync);
        XSync(connection, False);
        XSetErrorHandler(previous);
        return !failed;
    }
};

class X11HotKeyRegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QObject::connect(&registry, &HotKeyRegistry::shortcutPressed,
                         [this](AppShortcut shortcut) { pressed.append(shortcut); });
    }

    // Presses keys, then the history shortcut, and waits for that one: the reports up to it.
    List pressThenHistory(const QStringList &keys)
    {
        for (const QString &key : keys)
            EXPECT_EQ(xdotool({"key", key}), 0) << key.toStdString();
        const qsizetype before = pressed.size();
        EXPECT_EQ(xdotool({"key", "super+shift+v"}), 0);
        EXPECT_TRUE(QTest::qWaitFor([&] { return pressed.size() > before && pressed.last() == AppShortcut::history; }, 3000));
        return std::exchange(pressed, {});
    }

    X11HotKeyRegistry registry;
    List pressed;
};

TEST_F(X11HotKeyRegistryTest, EachCombinationCallsBackOnceAndNearMissesNotAtAll)
{
    ASSERT_TRUE(registry.start().isEmpty());
    EXPECT_EQ(pressThenHistory({"super+alt+v", "super+alt+c", "ctrl+alt+super+c", "shift+alt+super+v"}),
              (List{AppShortcut::pasteAs, AppShortcut::pasteStack, AppShortcut::privateCopy,
                    AppShortcut::pasteNextFromStack, AppShortcut::history}));
    EXPECT_EQ(pressThenHistory({"super+v", "ctrl+shift+super+v", "alt+v", "super+shift+c"}), List{AppShortcut::history});
    // Caps Lock and Num Lock do not disable them.
    for (const QString lock : {"Caps_Lock", "Num_Lock"}) {
        ASSERT_EQ(xdotool({"key", lock}), 0);
        EXPECT_EQ(pressThenHistory({"super+alt+v"}), (List{AppShortcut::pasteAs, AppShortcut::history})) << lock.toStdString();
        ASSERT_EQ(xdotool({"key", lock}), 0);
    }
}

TEST_F(X11HotKeyRegistryTest, CombinationHeldByAnotherClientFailsAloneAndTheOthersWork)
{
    auto other = std::make_unique<OtherClient>();
    ASSERT_TRUE(other->grab(XK_c, Mod1Mask | Mod4Mask)); // Alt+Super+C

    EXPECT_EQ(registry.start(), List{AppShortcut::pasteStack});
    EXPECT_EQ(registry.failures(), List{AppShortcut::pasteStack});
    EXPECT_EQ(registry.grabCount(), 4 * 4);
    EXPECT_EQ(pressThenHistory({"super+alt+c"}), List{AppShortcut::history});

    // Once the other client has let it go, the next change of keyboard map takes it.
    other.reset();
    ASSERT_EQ(run(QStringLiteral("setxkbmap"), {"-layout", "us"}), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return registry.failures().isEmpty(); }, 3000));
    EXPECT_EQ(registry.grabCount(), 5 * 4);
    EXPECT_EQ(pressThenHistory({"super+alt+c"}), (List{AppShortcut::pasteStack, AppShortcut::history}));
}

TEST_F(X11HotKeyRegistryTest, SecondStartRegistersNothingTwiceAndStopReleasesEverything)
{
    ASSERT_TRUE(registry.start().isEmpty());
    EXPECT_TRUE(registry.start().isEmpty());
    EXPECT_EQ(registry.grabCount(), 5 * 4);
    EXPECT_EQ(pressThenHistory({"super+alt+v"}), (List{AppShortcut::pasteAs, AppShortcut::history}));

    // While registered, no other client can take the combinations; after stop every one is free.
    OtherClient other;
    EXPECT_FALSE(other.grab(XK_v, ShiftMask | Mod4Mask));
    registry.stop();
    EXPECT_FALSE(registry.isStarted());
    EXPECT_EQ(registry.grabCount(), 0);
    const std::pair<KeySym, unsigned> combinations[] = {
        {XK_v, ShiftMask | Mod4Mask}, {XK_v, Mod1Mask | Mod4Mask}, {XK_c, Mod1Mask | Mod4Mask},
        {XK_c, ControlMask | Mod1Mask | Mod4Mask}, {XK_v, ShiftMask | Mod1Mask | Mod4Mask},
        {XK_v, ShiftMask | Mod4Mask | LockMask | Mod2Mask}};
    for (const auto &[key, modifiers] : combinations)
        EXPECT_TRUE(other.grab(key, modifiers)) << modifiers;
}

// Keyboard options that put the layout switch on the modifiers of a shortcut take it before any
// grab sees it: the registry names the shortcuts so taken and follows every change of options.
TEST_F(X11HotKeyRegistryTest, ShortcutsTheLayoutSwitchTakesAreNamed)
{
    struct OptionsGuard {
        ~OptionsGuard() { run(QStringLiteral("setxkbmap"), {"-layout", "us", "-option", ""}); }
    } guard;
    ASSERT_TRUE(registry.start().isEmpty());
    const struct {
        const char *layouts;
        const char *option;
        List taken;
    } rows[] = {
        {"us,ua", "grp:alt_shift_toggle", {AppShortcut::pasteNextFromStack}},
        {"us", "", {}},
        {"us,ru", "grp:ctrl_alt_toggle", {AppShortcut::privateCopy}},
        {"us,ua", "grp:win_space_toggle", {}},
        {"us,ru", "grp:alt_shift_toggle", {AppShortcut::pasteNextFromStack}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string(row.layouts) + " " + row.option);
        QStringList arguments{"-layout", row.layouts, "-option", ""};
        if (*row.option)
            arguments << QStringLiteral("-option") << row.option;
        ASSERT_EQ(run(QStringLiteral("setxkbmap"), arguments), 0);
        EXPECT_TRUE(QTest::qWaitFor([&] { return registry.takenByLayoutSwitch() == row.taken; }, 3000))
            << AppShortcut::labels(registry.takenByLayoutSwitch()).join(u',').toStdString();
    }
}

TEST(X11HotKeyRegistryRules, ShortcutFlagsBecomeXModifiersWithTheLockVariants)
{
    const X11HotKeyRegistry::ModifierBits bits{Mod1Mask, Mod4Mask, Mod2Mask};
    EXPECT_EQ(X11HotKeyRegistry::xModifiers(AppShortcut(AppShortcut::privateCopy).keys().keyboardModifiers(), bits), unsigned(ControlMask | Mod1Mask | Mod4Mask));
    EXPECT_EQ(X11HotKeyRegistry::xModifiers(AppShortcut(AppShortcut::pasteNextFromStack).keys().keyboardModifiers(), bits), unsigned(ShiftMask | Mod1Mask | Mod4Mask));
    const struct {
        X11HotKeyRegistry::ModifierBits bits;
        QList<unsigned> expected;
    } cases[] = {
        {bits, {0, LockMask, Mod2Mask, Mod2Mask | LockMask}},
        {{Mod1Mask, Mod4Mask, 0}, {0, LockMask}},
        {{Mod1Mask, Mod4Mask, LockMask}, {0, LockMask}},
        // A keyboard map without a Num Lock key of its own, where Alt or Super sit on the bit
        // Num Lock usually has: the other shortcuts' combinations are never grabbed as variants.
        {{Mod2Mask, Mod4Mask, Mod2Mask}, {0, LockMask}},
        {{Mod1Mask, Mod2Mask, Mod2Mask}, {0, LockMask}},
        {{Mod1Mask, Mod4Mask, Mod3Mask}, {0, LockMask, Mod3Mask, Mod3Mask | LockMask}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(X11HotKeyRegistry::lockVariants(c.bits), c.expected) << c.bits.alt << "/" << c.bits.super << "/" << c.bits.numLock;
}

} // namespace
