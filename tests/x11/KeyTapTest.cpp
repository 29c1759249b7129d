// Key presses of all applications seen through XInput2 raw events on a private X server. Key
// events arrive in order, so a last key waited for shows every report before it.
#include "core/TypedTrigger.h"
#include "platform/x11/X11KeySender.h"
#include "platform/x11/X11KeyTap.h"
#include "platform/x11/X11Permissions.h"
#include "platform/x11/X11Workspace.h"

#include <QProcess>

#include <gtest/gtest.h>

#include "X11TestSupport.h"

namespace {

using namespace x11test;

class X11KeyTapTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QObject::connect(&tap, &KeyTap::keyPressed, [this](const KeyTapEvent &event) { seen.append(event); });
    }

    // Runs xdotool once per argument list, then types "z" and waits for it: the presses that
    // typed something before it (modifier keys type nothing).
    QList<KeyTapEvent> typedBy(const QList<QStringList> &runs)
    {
        for (const QStringList &arguments : runs)
            EXPECT_EQ(xdotool(arguments), 0);
        EXPECT_EQ(xdotool({"key", "z"}), 0);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !seen.isEmpty() && seen.last().characters == QStringLiteral("z"); }, 3000));
        QList<KeyTapEvent> typed;
        for (const KeyTapEvent &event : seen.mid(0, seen.size() - 1))
            if (event.characters)
                typed.append(event);
        return typed;
    }

    X11KeyTap tap;
    QList<KeyTapEvent> seen;
};

TEST_F(X11KeyTapTest, TypedCharactersArriveWithTheirKeysAndModifiers)
{
    ASSERT_TRUE(tap.isAvailable());
    ASSERT_TRUE(tap.start());
    ASSERT_TRUE(tap.start()) << "a running tap starts again as a no-op";
    const QList<KeyTapEvent> keys = typedBy({{"type", "--delay", "40", "aB1;"}, {"key", "shift+1", "Return", "BackSpace", "ctrl+c"}});

    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        QString characters;
    } expected[] = {
        {Qt::Key_A, {}, "a"},
        {Qt::Key_B, Qt::ShiftModifier, "B"},
        {Qt::Key_1, {}, "1"},
        {Qt::Key_Semicolon, {}, ";"},
        {Qt::Key_1, Qt::ShiftModifier, "!"},
        {Qt::Key_Return, {}, "\r"},
        {Qt::Key_Backspace, {}, "\b"},
        {Qt::Key_C, Qt::ControlModifier, QString(QChar(3))},
    };
    ASSERT_EQ(keys.size(), qsizetype(std::size(expected)));
    for (qsizetype i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(keys[i].key, expected[i].key) << i;
        EXPECT_EQ(keys[i].modifiers, expected[i].modifiers) << i;
        EXPECT_EQ(keys[i].characters, expected[i].characters) << i;
        EXPECT_FALSE(keys[i].isAutoRepeat || keys[i].isScreenshotChord) << i;
    }
    // A modifier press on its own is no key: Shift and Control came only as flags (the "z" is the
    // one seen key more).
    EXPECT_EQ(seen.size(), keys.size() + 1);
}

// The tap reads its events only when the event loop runs: with the loop held, a keyboard map
// change, an "a" and a Shift held down afterwards wait in its queue together. The map is read
// again on the way, but the "a" went down before Shift did and stays a lower-case "a".
TEST_F(X11KeyTapTest, KeysKeepTheModifiersOfTheirMomentAcrossAKeyboardMapChange)
{
    ASSERT_TRUE(tap.start());
    typedBy({}); // the XTest keyboard now drives the core keyboard: no switch of devices in the way
    seen.clear();
    const auto runHoldingTheTap = [](const QString &program, const QStringList &arguments) {
        QProcess process;
        process.start(program, arguments);
        return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    };
    ASSERT_EQ(runHoldingTheTap("setxkbmap", {"us"}), 0);
    ASSERT_EQ(runHoldingTheTap("xdotool", {"key", "a"}), 0);
    ASSERT_EQ(runHoldingTheTap("xdotool", {"keydown", "shift", "key", "b"}), 0);
    ASSERT_TRUE(seen.isEmpty()) << "the tap read its events while held";

    // Shift stays down until both keys are read: the keyboard's state now is no guide to theirs.
    EXPECT_TRUE(QTest::qWaitFor([&] { return seen.size() == 2; }, 3000));
    const QList<KeyTapEvent> keys = seen;
    ASSERT_EQ(xdotool({"keyup", "shift"}), 0);
    ASSERT_EQ(keys.size(), 2);
    EXPECT_EQ(keys[0].characters, QStringLiteral("a"));
    EXPECT_EQ(keys[0].modifiers, Qt::NoModifier);
    EXPECT_EQ(keys[1].characters, QStringLiteral("B"));
    EXPECT_EQ(keys[1].modifiers, Qt::ShiftModifier);
    EXPECT_EQ(typedBy({{"key", "c"}}).last().characters, QStringLiteral("c")) << "Shift was let go";
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
        if (const auto expansion = TypedTrigger::handleKey(buffer, event.key, event.characters, event.modifiers,
                                                           false, snippets))
            expanded.append(expansion->snippetIndex);
    });
    const struct {
        const char *layout;
        QList<QStringList> typing;
        qsizetype snippet;
    } cases[] = {
        {"us", {{"type", "@@m"}}, 0},
        {"us", {{"type", ";"}, {"key", "shift"}, {"type", "pod"}}, 1},
        {"sk", {{"type", "sig2"}}, 2},
        {"sk", {{"type", "@@m"}}, 0},
    };
    for (const auto &c : cases) {
        ASSERT_EQ(run("setxkbmap", {c.layout}), 0) << c.layout;
        ASSERT_TRUE(tap.start()); // reads the layout now in force
        buffer.clear();
        expanded.clear();
        for (const QStringList &step : c.typing)
            ASSERT_EQ(xdotool(step), 0) << c.layout;
        EXPECT_TRUE(QTest::qWaitFor([&] { return !expanded.isEmpty(); }, 3000)) << c.layout << " " << c.snippet;
        EXPECT_EQ(expanded, QList<qsizetype>{c.snippet}) << c.layout;
        tap.stop();
    }
    run("setxkbmap", {"us"});
}

// Letters typed with a dead key (the accent first, then the letter) reach the trigger matcher
// as the one letter the application shows, so a trigger spelled with them expands, and the
// Backspace presses count the letters, not the keys.
TEST_F(X11KeyTapTest, DeadKeysComposeIntoTheLettersOfATrigger)
{
    const QList<ClipboardSnippet> snippets{{"K", "kava", QStringLiteral("café"), "x"},
                                           {"S", "slovak", QStringLiteral("ďĺŕó"), "y"}};
    QString buffer;
    QList<TypedTrigger::Expansion> expanded;
    QObject::connect(&tap, &KeyTap::keyPressed, [&](const KeyTapEvent &event) {
        if (const auto expansion = TypedTrigger::handleKey(buffer, event.key, event.characters, event.modifiers,
                                                           false, snippets))
            expanded.append(*expansion);
    });
    const struct {
        const char *layout;
        QStringList keys;
        qsizetype snippet;
    } cases[] = {
        {"de", {"c", "a", "f", "dead_acute", "e"}, 0},
        {"sk", {"dead_caron", "d", "dead_acute", "l", "dead_acute", "r", "dead_acute", "o"}, 1},
        // A dead key that composes nothing with the next key breaks the trigger.
        {"de", {"c", "a", "f", "dead_acute", "q", "dead_acute", "e"}, -1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.layout);
        ASSERT_EQ(run("setxkbmap", {c.layout}), 0);
        ASSERT_TRUE(tap.start()); // reads the layout now in force
        buffer.clear();
        expanded.clear();
        seen.clear();
        typedBy({QStringList{"key", "--delay", "30"} + c.keys});
        if (c.snippet < 0) {
            EXPECT_TRUE(expanded.isEmpty());
        } else {
            ASSERT_EQ(expanded.size(), 1) << c.keys.join(' ').toStdString();
            EXPECT_EQ(expanded.first().snippetIndex, c.snippet);
            EXPECT_EQ(expanded.first().deleteCount, 4);
        }
        tap.stop();
    }
    run("setxkbmap", {"us"});
}

TEST_F(X11KeyTapTest, OurOwnSyntheticKeysAreLeftOutButOtherToolsAreNot)
{
    ASSERT_TRUE(tap.start());
    X11Workspace workspace;
    X11KeySender sender(&workspace);
    QSignalSpy sent(&sender, &KeySender::sent);
    ASSERT_TRUE(sender.sendDelete());
    ASSERT_TRUE(sender.sendDelete());
    ASSERT_TRUE(sender.sendPaste());
    ASSERT_TRUE(QTest::qWaitFor([&] { return sent.size() == 3; }));

    // The same keys from another XTest client are somebody typing.
    const QList<KeyTapEvent> keys = typedBy({{"key", "BackSpace", "x"}});
    ASSERT_EQ(keys.size(), 2);
    EXPECT_EQ(keys[0].key, Qt::Key_Backspace);
    EXPECT_EQ(keys[1].characters, QStringLiteral("x"));
}

TEST_F(X11KeyTapTest, ScreenshotChordIsPrintWithControl)
{
    ASSERT_TRUE(tap.start());
    const std::pair<const char *, bool> cases[] = {
        {"ctrl+Print", true}, {"ctrl+shift+Print", true}, {"ctrl+alt+Print", true},   {"Print", false},
    };
    for (const auto &[keys, chord] : cases) {
        seen.clear();
        typedBy({{"key", keys}});
        EXPECT_EQ(std::any_of(seen.cbegin(), seen.cend(), [](const KeyTapEvent &e) { return e.isScreenshotChord; }), chord)
            << keys;
    }
}

TEST_F(X11KeyTapTest, HeldKeyRepeatsAreMarkedAndStopEndsTheReports)
{
    ASSERT_TRUE(tap.start());
    const QList<KeyTapEvent> keys = typedBy({{"keydown", "q"}, {"keydown", "q"}, {"keyup", "q"}});
    ASSERT_EQ(keys.size(), 2);
    EXPECT_FALSE(keys[0].isAutoRepeat);
    EXPECT_TRUE(keys[1].isAutoRepeat);

    tap.stop();
    EXPECT_FALSE(tap.isRunning());
    seen.clear();
    ASSERT_EQ(xdotool({"key", "w"}), 0);
    ASSERT_TRUE(tap.start());
    const QList<KeyTapEvent> after = typedBy({{"key", "e"}});
    ASSERT_EQ(after.size(), 1) << "a key pressed while stopped was reported";
    EXPECT_EQ(after[0].characters, QStringLiteral("e"));
}

} // namespace
