// Synthetic chords typed into the fixture window through XTest.
#include "InputTestSupport.h"
#include "platform/x11/X11HotKeyRegistry.h"
#include "platform/x11/X11KeySender.h"
#include "platform/x11/X11Workspace.h"

#include <gtest/gtest.h>

#include "KeyboardMapSupport.h"

#include <X11/keysym.h>

namespace {

using namespace inputtest;

class X11KeySenderTest : public ::testing::Test {
protected:
    // The fixture is active and has had the time a just-activated window gets to take the focus.
    bool fixtureInFront(const Fixture &fixture)
    {
        const bool front = waitUntil([&] {
            const auto application = workspace.frontmostApplication();
            return application && application->pid == fixture.pid();
        });
        pump(X11KeySender::kActivationSettle);
        return front;
    }

    void SetUp() override
    {
        QObject::connect(&sender, &KeySender::sent, [this] { ++sentCount; });
        QObject::connect(&sender, &KeySender::dropped, [this] { ++droppedCount; });
    }

    X11Workspace workspace;
    X11KeySender sender{&workspace};
    int sentCount = 0;
    int droppedCount = 0;
};

TEST_F(X11KeySenderTest, PasteReachesTheFocusedWindowAndSecondPasteAppends)
{
    ASSERT_TRUE(sender.isUsable());
    ClipboardOwner clipboard(QStringLiteral("vložený text"));
    ASSERT_TRUE(clipboard.isReady());
    Fixture fixture("paste");
    ASSERT_TRUE(fixtureInFront(fixture));

    ASSERT_TRUE(sender.sendPaste());
    EXPECT_TRUE(waitUntil([&] { return fixture.text() == QStringLiteral("vložený text"); })) << fixture.text().toStdString();
    ASSERT_TRUE(sender.sendPaste());
    EXPECT_TRUE(waitUntil([&] { return fixture.text() == QStringLiteral("vložený textvložený text"); }))
        << fixture.text().toStdString();
    EXPECT_EQ(sentCount, 2);
    EXPECT_EQ(sender.pendingCount(), 0);
}

TEST_F(X11KeySenderTest, HeldModifiersDoNotLeakIntoThePaste)
{
    ClipboardOwner clipboard(QStringLiteral("plain"));
    ASSERT_TRUE(clipboard.isReady());
    Fixture fixture("held");
    ASSERT_TRUE(fixtureInFront(fixture));

    // The user is still holding the modifiers of the shortcut that asked for the paste.
    ASSERT_EQ(xdotool({"keydown", "shift", "super"}), 0);
    ASSERT_TRUE(sender.sendPaste());
    EXPECT_TRUE(waitUntil([&] { return fixture.text() == QStringLiteral("plain"); })) << fixture.text().toStdString();
    xdotool({"keyup", "shift", "super"});
}

TEST_F(X11KeySenderTest, ReleasedModifiersArePastedAtOnceAfterTheUserLetsGo)
{
    ClipboardOwner clipboard(QStringLiteral("after release"));
    ASSERT_TRUE(clipboard.isReady());
    Fixture fixture("release");
    ASSERT_TRUE(fixtureInFront(fixture));

    ASSERT_EQ(xdotool({"keydown", "alt"}), 0);
    ASSERT_TRUE(sender.sendPaste());
    EXPECT_EQ(sentCount, 0) << "a chord must wait while a modifier is down";
    ASSERT_EQ(xdotool({"keyup", "alt"}), 0);
    EXPECT_TRUE(waitUntil([&] { return fixture.text() == QStringLiteral("after release"); }));
}

TEST_F(X11KeySenderTest, PasteAskedForByAHeldHotKeyArrivesOnceTheKeysAreLetGo)
{
    // The road of "paste next from the stack": the shortcut's grab holds the keyboard while its
    // keys are down, so the paste must wait for them instead of going to the grab.
    ClipboardOwner clipboard(QStringLiteral("zo zásobníka"));
    ASSERT_TRUE(clipboard.isReady());
    Fixture fixture("stack");
    ASSERT_TRUE(fixtureInFront(fixture));
    X11HotKeyRegistry registry;
    int presses = 0;
    QObject::connect(&registry, &HotKeyRegistry::shortcutPressed, [&](AppShortcut shortcut) {
        ++presses;
        if (shortcut == AppShortcut::pasteNextFromStack)
            sender.sendPaste(fixture.pid());
    });
    ASSERT_TRUE(registry.start().isEmpty());

    ASSERT_EQ(xdotool({"keydown", "shift+alt+super+v"}), 0);
    ASSERT_TRUE(waitUntil([&] { return presses == 1; }));
    pump(100ms);
    EXPECT_EQ(sentCount, 0);
    ASSERT_EQ(xdotool({"keyup", "v", "alt", "shift", "super"}), 0);
    EXPECT_TRUE(waitUntil([&] { return fixture.text() == QStringLiteral("zo zásobníka"); }))
        << fixture.text().toStdString();
    EXPECT_EQ(presses, 1);
}

// A held key that types nothing (F8) stands for the key a fast typist still holds.
TEST_F(X11KeySenderTest, DeletesWaitOnlyForModifiersAndAPasteBurstWaitsOnce)
{
    ClipboardOwner clipboard(QStringLiteral("+"));
    ASSERT_TRUE(clipboard.isReady());
    Fixture fixture("burst", QStringLiteral("abcdef"));
    ASSERT_TRUE(fixtureInFront(fixture));
    ASSERT_EQ(xdotool({"key", "End"}), 0);
    ASSERT_EQ(xdotool({"keydown", "F8"}), 0);

    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(sender.sendDelete());
    EXPECT_EQ(sentCount, 3) << "deletes go out while the typed key is still down";
    EXPECT_TRUE(waitUntil([&] { return fixture.text() == QStringLiteral("abc"); })) << fixture.text().toStdString();

    ASSERT_TRUE(sender.sendPaste());
    ASSERT_TRUE(sender.sendPaste());
    EXPECT_EQ(sentCount, 3) << "the first paste waits for the held key";
    // Once the first wait is over, the other goes out in the same turn.
    ASSERT_TRUE(waitUntil([&] { return sentCount > 3; }));
    EXPECT_EQ(sentCount, 5);
    EXPECT_TRUE(waitUntil([&] { return fixture.text() == QStringLiteral("abc++"); })) << fixture.text().toStdString();
    xdotool({"keyup", "F8"});
}

TEST_F(X11KeySenderTest, PasteFollowsTheVKeyToANewKeyboardMap)
{
    ClipboardOwner clipboard(QStringLiteral("po zmene"));
    ASSERT_TRUE(clipboard.isReady());
    Fixture fixture("remap");
    ASSERT_TRUE(fixtureInFront(fixture));
    ASSERT_TRUE(sender.sendDelete()); // the sender has looked its keys up once already
    ASSERT_TRUE(waitUntil([&] { return sentCount == 1; }));

    ASSERT_NE(moveKeysymToSpareKey(XK_v), 0u);
    ASSERT_TRUE(sender.sendPaste());
    EXPECT_TRUE(waitUntil([&] { return fixture.text() == QStringLiteral("po zmene"); })) << fixture.text().toStdString();
}

TEST_F(X11KeySenderTest, ChordForAProcessActivatesItsWindowFirst)
{
    ClipboardOwner clipboard(QStringLiteral("cieľ"));
    ASSERT_TRUE(clipboard.isReady());
    Fixture target("target", {}, "50,50,400,300");
    ASSERT_TRUE(fixtureInFront(target));
    Fixture other("other", {}, "600,400,400,300");
    ASSERT_TRUE(fixtureInFront(other));

    ASSERT_TRUE(sender.sendPaste(target.pid()));
    EXPECT_TRUE(waitUntil([&] { return target.text() == QStringLiteral("cieľ"); }));
    EXPECT_TRUE(other.text().isEmpty());
    EXPECT_EQ(workspace.frontmostApplication()->pid, target.pid());
}

TEST_F(X11KeySenderTest, ChordForAProcessWithoutWindowIsDropped)
{
    Fixture fixture("bystander");
    ASSERT_TRUE(fixtureInFront(fixture));
    ClipboardOwner clipboard(QStringLiteral("nowhere"));
    ASSERT_TRUE(clipboard.isReady());
    ASSERT_TRUE(sender.sendPaste(999999));
    EXPECT_EQ(droppedCount, 1);
    pump(200ms);
    EXPECT_TRUE(fixture.text().isEmpty());
}

TEST_F(X11KeySenderTest, CopyTakesTheSelectionOfTheTargetProcess)
{
    ClipboardOwner previous(QStringLiteral("old content"));
    ASSERT_TRUE(previous.isReady());
    Fixture fixture("copy", QStringLiteral("označený výber"));
    ASSERT_TRUE(fixtureInFront(fixture));

    ASSERT_TRUE(sender.sendCopy(fixture.pid()));
    EXPECT_TRUE(waitUntil([&] { return readClipboard() == QStringLiteral("označený výber"); }))
        << readClipboard().toStdString();
}

TEST_F(X11KeySenderTest, DeletesRemoveCharactersBeforeTheCursorInOrder)
{
    Fixture fixture("delete", QStringLiteral("abcdef"));
    ASSERT_TRUE(fixtureInFront(fixture));
    ASSERT_EQ(xdotool({"key", "End"}), 0);

    ASSERT_TRUE(sender.sendDelete());
    ASSERT_TRUE(sender.sendDelete());
    ASSERT_TRUE(sender.sendDelete());
    EXPECT_TRUE(waitUntil([&] { return fixture.text() == QStringLiteral("abc"); })) << fixture.text().toStdString();
}

} // namespace
