// Key presses of all applications seen through XInput2 raw events on a private X server.
#include "InputTestSupport.h"
#include "core/MacKeyCode.h"
#include "core/TypedTrigger.h"
#include "platform/x11/X11KeySender.h"
#include "platform/x11/X11KeyTap.h"
#include "platform/x11/X11Permissions.h"
#include "platform/x11/X11Workspace.h"

#include <gtest/gtest.h>

namespace {

using namespace inputtest;
using namespace MacEventFlag;

class X11KeyTapTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QObject::connect(&tap, &KeyTap::keyPressed, [this](const KeyTapEvent &event) { seen.append(event); });
    }

    // The presses that typed something (modifier keys type nothing).
    QList<KeyTapEvent> typed() const
    {
        QList<KeyTapEvent> result;
        for (const KeyTapEvent &event : seen) {
            if (event.characters)
                result.append(event);
        }
        return result;
    }

    bool typeAndWait(const QStringList &arguments, qsizetype typedCount)
    {
        if (xdotool(arguments) != 0)
            return false;
        return waitUntil([&] { return typed().size() >= typedCount; }, 3000ms);
    }

    X11KeyTap tap;
    QList<KeyTapEvent> seen;
};

KeyTapEvent typedKey(quint32 keyCode, quint64 flags, const QString &characters)
{
    KeyTapEvent event;
    event.keyCode = keyCode;
    event.flags = flags;
    event.characters = characters;
    return event;
}

TEST_F(X11KeyTapTest, TypedCharactersArriveWithKeyCodesAndFlags)
{
    ASSERT_TRUE(tap.isAvailable());
    ASSERT_TRUE(tap.start());
    ASSERT_TRUE(tap.start()) << "a running tap starts again as a no-op";
    ASSERT_TRUE(typeAndWait({"type", "aB1;"}, 4));
    ASSERT_EQ(xdotool({"key", "shift+1", "Return", "BackSpace", "ctrl+c"}), 0);
    ASSERT_TRUE(waitUntil([&] { return typed().size() >= 8; }, 3000ms));
    pump(100ms);

    const QList<KeyTapEvent> expected{
        typedKey(0, 0, "a"),
        typedKey(11, Shift, "B"),
        typedKey(MacKeyCode::Digit1, 0, "1"),
        typedKey(41, 0, ";"),
        typedKey(MacKeyCode::Digit1, Shift, "!"),
        typedKey(MacKeyCode::Return, 0, "\r"),
        typedKey(MacKeyCode::Delete, 0, "\b"),
        typedKey(MacKeyCode::C, Control, QString(QChar(3))),
    };
    const QList<KeyTapEvent> keys = typed();
    EXPECT_EQ(keys.size(), expected.size());
    for (qsizetype i = 0; i < std::min(keys.size(), expected.size()); ++i) {
        const KeyTapEvent &got = keys[i];
        EXPECT_EQ(got.keyCode, expected[i].keyCode) << i;
        EXPECT_EQ(got.flags, expected[i].flags) << i;
        EXPECT_EQ(got.characters, expected[i].characters) << i;
        EXPECT_FALSE(got.isAutoRepeat) << i;
        EXPECT_FALSE(got.isScreenshotChord) << i;
    }
    // A modifier press on its own is no key: Shift and Control came only as flags.
    EXPECT_EQ(seen.size(), keys.size());
}

// Snippet triggers typed on the layouts Tarnel's users have: a character that needs Shift (or
// AltGr) expands like any other, and a lone Shift tap inside a trigger does not break it.
TEST_F(X11KeyTapTest, TriggersWithShiftedCharactersExpandOnSlovakAndUsLayouts)
{
    const QList<ClipboardSnippet> snippets{{"M", "mail", "@@m", "x"}, {"P", "pod", ";pod", "y"},
                                           {"S", "sig", "sig2", "z"}};
    QString buffer;
    QList<qsizetype> expanded;
    QObject::connect(&tap, &KeyTap::keyPressed, [&](const KeyTapEvent &event) {
        if (const auto expansion = TypedTrigger::handleKey(buffer, event.keyCode, event.characters, event.flags,
                                                           false, snippets))
            expanded.append(expansion->snippetIndex);
    });
    struct Case {
        const char *layout;
        QList<QStringList> typing;
        qsizetype snippet;
    };
    const Case cases[] = {
        {"us", {{"type", "@@m"}}, 0},
        {"us", {{"type", ";"}, {"key", "shift"}, {"type", "pod"}}, 1},
        {"sk", {{"type", "sig2"}}, 2},
        {"sk", {{"type", "@@m"}}, 0},
    };
    for (const Case &c : cases) {
        ASSERT_EQ(run("setxkbmap", {c.layout}), 0) << c.layout;
        ASSERT_TRUE(tap.start());
        pump(200ms);
        buffer.clear();
        expanded.clear();
        for (const QStringList &step : c.typing)
            ASSERT_EQ(xdotool(step), 0) << c.layout;
        EXPECT_TRUE(waitUntil([&] { return !expanded.isEmpty(); }, 3000ms)) << c.layout << " " << c.snippet;
        EXPECT_EQ(expanded, QList<qsizetype>{c.snippet}) << c.layout;
        tap.stop();
    }
    run("setxkbmap", {"us"});
}

TEST_F(X11KeyTapTest, OurOwnSyntheticKeysAreLeftOutButOtherToolsAreNot)
{
    ASSERT_TRUE(tap.start());
    X11Workspace workspace;
    X11KeySender sender(&workspace);
    int sent = 0;
    QObject::connect(&sender, &KeySender::sent, [&] { ++sent; });
    ASSERT_TRUE(sender.sendDelete());
    ASSERT_TRUE(sender.sendDelete());
    ASSERT_TRUE(sender.sendPaste());
    ASSERT_TRUE(waitUntil([&] { return sent == 3; }));

    // The same keys from another XTest client are somebody typing.
    ASSERT_TRUE(typeAndWait({"key", "BackSpace", "x"}, 2));
    pump(100ms);
    const QList<KeyTapEvent> keys = typed();
    ASSERT_EQ(keys.size(), 2);
    EXPECT_EQ(keys[0].keyCode, MacKeyCode::Delete);
    EXPECT_EQ(keys[1].characters, QStringLiteral("x"));
}

TEST_F(X11KeyTapTest, ScreenshotChordIsPrintWithControl)
{
    ASSERT_TRUE(tap.start());
    struct Case {
        const char *keys;
        bool chord;
    };
    const Case cases[] = {
        {"ctrl+Print", true},       {"ctrl+shift+Print", true}, {"ctrl+alt+Print", true},
        {"Print", false},           {"shift+Print", false},     {"super+ctrl+Print", false},
        {"ctrl+p", false},
    };
    for (const Case &c : cases) {
        seen.clear();
        ASSERT_EQ(xdotool({"key", c.keys}), 0);
        ASSERT_TRUE(waitUntil([&] {
            return std::any_of(seen.cbegin(), seen.cend(), [](const KeyTapEvent &e) {
                return e.keyCode == MacKeyCode::F13 || e.keyCode == 35;
            });
        }, 3000ms)) << c.keys;
        const bool chord = std::any_of(seen.cbegin(), seen.cend(), [](const KeyTapEvent &e) { return e.isScreenshotChord; });
        EXPECT_EQ(chord, c.chord) << c.keys;
    }
}

TEST_F(X11KeyTapTest, HeldKeyRepeatsAreMarkedAndStopEndsTheReports)
{
    ASSERT_TRUE(tap.start());
    ASSERT_EQ(xdotool({"keydown", "q"}), 0);
    ASSERT_EQ(xdotool({"keydown", "q"}), 0);
    ASSERT_EQ(xdotool({"keyup", "q"}), 0);
    ASSERT_TRUE(waitUntil([&] { return typed().size() >= 2; }, 3000ms));
    const QList<KeyTapEvent> keys = typed();
    EXPECT_FALSE(keys[0].isAutoRepeat);
    EXPECT_TRUE(keys[1].isAutoRepeat);

    tap.stop();
    EXPECT_FALSE(tap.isRunning());
    seen.clear();
    ASSERT_EQ(xdotool({"key", "w"}), 0);
    pump(300ms);
    EXPECT_TRUE(seen.isEmpty());

    ASSERT_TRUE(tap.start());
    EXPECT_TRUE(typeAndWait({"key", "e"}, 1));
    EXPECT_EQ(typed().last().characters, QStringLiteral("e"));
}

TEST(X11Permissions, AnX11SessionWithXTestAndATapGrantsEverything)
{
    X11KeyTap tap;
    X11Permissions permissions(&tap);
    EXPECT_TRUE(permissions.accessibilityTrusted());
    EXPECT_TRUE(permissions.inputMonitoring());
    EXPECT_TRUE(permissions.screenRecording());

    X11Permissions withoutTap(nullptr);
    EXPECT_FALSE(withoutTap.inputMonitoring());
}

} // namespace
