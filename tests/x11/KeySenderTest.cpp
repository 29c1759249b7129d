// Synthetic chords typed into the fixture window through XTest.
#include "platform/x11/X11HotKeyRegistry.h"
#include "platform/x11/X11KeySender.h"
#include "platform/x11/X11Workspace.h"

#include <gtest/gtest.h>

#include <QLineEdit>

#include "X11TestSupport.h"
#include "Terminals.h"

#include <X11/keysym.h>

namespace {

using namespace x11test;

class X11KeySenderTest : public ::testing::Test {
protected:
    X11Workspace workspace;
    X11KeySender sender{&workspace};
    QSignalSpy sent{&sender, &KeySender::sent};
    QSignalSpy dropped{&sender, &KeySender::dropped};
};

TEST_F(X11KeySenderTest, PasteReachesTheFocusedWindowAndSecondPasteAppends)
{
    ASSERT_TRUE(sender.isUsable());
    ClipboardOwner clipboard(QStringLiteral("vložený text"));
    ASSERT_TRUE(clipboard.isReady());
    Fixture fixture("paste");
    ASSERT_TRUE(fixture.waitForKeyboard());

    ASSERT_TRUE(sender.sendPaste());
    EXPECT_TRUE(QTest::qWaitFor([&] { return fixture.text() == QStringLiteral("vložený text"); })) << fixture.text().toStdString();
    ASSERT_TRUE(sender.sendPaste());
    EXPECT_TRUE(QTest::qWaitFor([&] { return fixture.text() == QStringLiteral("vložený textvložený text"); }))
        << fixture.text().toStdString();
    EXPECT_EQ(sent.size(), 2);
    EXPECT_EQ(sender.pendingCount(), 0);
}

TEST_F(X11KeySenderTest, ModifiersTheUserHoldsNeitherLeakIntoThePasteNorLoseIt)
{
    ClipboardOwner clipboard(QStringLiteral("plain"));
    ASSERT_TRUE(clipboard.isReady());
    Fixture fixture("held");
    ASSERT_TRUE(fixture.waitForKeyboard());

    // Still held from the shortcut that asked for the paste: the chord is typed without them.
    ASSERT_EQ(xdotool({"keydown", "shift", "super"}), 0);
    ASSERT_TRUE(sender.sendPaste());
    EXPECT_TRUE(QTest::qWaitFor([&] { return fixture.text() == QStringLiteral("plain"); })) << fixture.text().toStdString();
    xdotool({"keyup", "shift", "super"});

    // Alt held: the chord waits for it and goes out once the user lets go.
    ASSERT_EQ(xdotool({"keydown", "alt"}), 0);
    ASSERT_TRUE(sender.sendPaste());
    EXPECT_EQ(sent.size(), 1) << "a chord must wait while a modifier is down";
    ASSERT_EQ(xdotool({"keyup", "alt"}), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return fixture.text() == QStringLiteral("plainplain"); })) << fixture.text().toStdString();
}

TEST_F(X11KeySenderTest, PasteAskedForByAHeldHotKeyArrivesOnceTheKeysAreLetGo)
{
    // The road of "paste next from the stack": the shortcut's grab holds the keyboard while its
    // keys are down; a paste sent then would go to the grab and be lost.
    ClipboardOwner clipboard(QStringLiteral("zo zásobníka"));
    ASSERT_TRUE(clipboard.isReady());
    Fixture fixture("stack");
    ASSERT_TRUE(fixture.waitForKeyboard());
    X11HotKeyRegistry registry;
    int presses = 0;
    QObject::connect(&registry, &HotKeyRegistry::shortcutPressed, [&](AppShortcut shortcut) {
        ++presses;
        if (shortcut == AppShortcut::pasteNextFromStack)
            sender.sendPaste(fixture.pid());
    });
    ASSERT_TRUE(registry.start().isEmpty());

    ASSERT_EQ(xdotool({"keydown", "shift+alt+super+v"}), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return presses == 1; }));
    ASSERT_EQ(xdotool({"keyup", "v", "alt", "shift", "super"}), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return fixture.text() == QStringLiteral("zo zásobníka"); })) << fixture.text().toStdString();
    EXPECT_EQ(presses, 1);
}

// A shortcut held longer than held modifiers are waited for: while its V is down its grab
// still holds the keyboard, so the paste waits for it however long it takes, and the next
// shortcut's paste waits for its own keys again.
TEST_F(X11KeySenderTest, PasteWaitsForTheShortcutsKeyHoweverLongItIsHeld)
{
    ClipboardOwner clipboard(QStringLiteral("pomaly"));
    ASSERT_TRUE(clipboard.isReady());
    Fixture fixture("slow");
    ASSERT_TRUE(fixture.waitForKeyboard());
    X11HotKeyRegistry registry;
    int presses = 0;
    QObject::connect(&registry, &HotKeyRegistry::shortcutPressed, [&](AppShortcut shortcut) {
        ++presses;
        if (shortcut == AppShortcut::pasteNextFromStack)
            sender.sendPaste(fixture.pid());
    });
    ASSERT_TRUE(registry.start().isEmpty());

    ASSERT_EQ(xdotool({"keydown", "shift+alt+super+v"}), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return presses == 1; }));
    QElapsedTimer held;
    held.start();
    const auto past = X11KeySender::kHeldKeysTimeout + 200ms;
    ASSERT_TRUE(QTest::qWaitFor([&] { return held.elapsed() >= past.count(); }));
    EXPECT_EQ(sent.size(), 0) << "sent while the shortcut's grab held the keyboard";
    ASSERT_EQ(xdotool({"keyup", "v", "alt", "shift", "super"}), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return fixture.text() == QStringLiteral("pomaly"); })) << fixture.text().toStdString();

    // A quick press afterwards.
    ASSERT_EQ(xdotool({"key", "shift+alt+super+v"}), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return fixture.text() == QStringLiteral("pomalypomaly"); }))
        << fixture.text().toStdString();
    EXPECT_EQ(presses, 2);
    EXPECT_EQ(sent.size(), 2);
    EXPECT_EQ(dropped.size(), 0);
}

// A held key that types nothing (F8) stands for the key a fast typist still holds.
TEST_F(X11KeySenderTest, DeletesWaitOnlyForModifiersAndAPasteBurstWaitsOnce)
{
    ClipboardOwner clipboard(QStringLiteral("+"));
    ASSERT_TRUE(clipboard.isReady());
    Fixture fixture("burst", QStringLiteral("abcdef"));
    ASSERT_TRUE(fixture.waitForKeyboard());
    ASSERT_EQ(xdotool({"key", "End"}), 0);
    ASSERT_EQ(xdotool({"keydown", "F8"}), 0);

    // Paced: the first goes at once, the others one pace apart, all while the key is down.
    QElapsedTimer paced;
    paced.start();
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(sender.sendDelete());
    EXPECT_EQ(sent.size(), 1) << "deletes went out in one burst";
    EXPECT_TRUE(QTest::qWaitFor([&] { return sent.size() == 3; })) << "deletes go out while the typed key is still down";
    EXPECT_GE(paced.elapsed(), 2 * X11KeySender::kDeletePace.count());
    EXPECT_TRUE(QTest::qWaitFor([&] { return fixture.text() == QStringLiteral("abc"); })) << fixture.text().toStdString();

    ASSERT_TRUE(sender.sendPaste());
    ASSERT_TRUE(sender.sendPaste());
    EXPECT_EQ(sent.size(), 3) << "the first paste waits for the held key";
    // Once the first wait is over, the other goes out in the same turn.
    ASSERT_TRUE(QTest::qWaitFor([&] { return sent.size() > 3; }));
    EXPECT_EQ(sent.size(), 5);
    EXPECT_TRUE(QTest::qWaitFor([&] { return fixture.text() == QStringLiteral("abc++"); })) << fixture.text().toStdString();
    xdotool({"keyup", "F8"});
}

TEST_F(X11KeySenderTest, PasteFollowsTheVKeyToANewKeyboardMap)
{
    ClipboardOwner clipboard(QStringLiteral("po zmene"));
    ASSERT_TRUE(clipboard.isReady());
    Fixture fixture("remap");
    ASSERT_TRUE(fixture.waitForKeyboard());
    ASSERT_TRUE(sender.sendDelete()); // the sender has looked its keys up once already
    ASSERT_TRUE(QTest::qWaitFor([&] { return sent.size() == 1; }));

    ASSERT_NE(moveKeysymToSpareKey(XK_v), 0u);
    ASSERT_TRUE(sender.sendPaste());
    EXPECT_TRUE(QTest::qWaitFor([&] { return fixture.text() == QStringLiteral("po zmene"); })) << fixture.text().toStdString();
}

TEST_F(X11KeySenderTest, ChordForAProcessActivatesItsWindowFirstOrIsDroppedWithoutOne)
{
    ClipboardOwner clipboard(QStringLiteral("cieľ"));
    ASSERT_TRUE(clipboard.isReady());
    Fixture target("target", {}, QStringLiteral("400x300+50+50"));
    ASSERT_TRUE(target.waitForKeyboard());
    Fixture other("other", {}, QStringLiteral("400x300+600+400"));
    ASSERT_TRUE(other.waitForKeyboard());

    ASSERT_TRUE(sender.sendPaste(999999));
    EXPECT_EQ(dropped.size(), 1);
    EXPECT_EQ(sender.pendingCount(), 0) << "nothing is left to go out later";

    ASSERT_TRUE(sender.sendPaste(target.pid()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return target.text() == QStringLiteral("cieľ"); }));
    EXPECT_TRUE(other.text().isEmpty());
    EXPECT_EQ(workspace.frontmostApplication()->pid, target.pid());
    EXPECT_EQ(sent.size(), 1);
}

// The keyboard moves to another window while the chord waits for a held key (a click the user
// made meanwhile): the chord's window is made active again before its keys go out.
TEST_F(X11KeySenderTest, ChordWaitingForHeldKeysGoesToItsWindowEvenIfAnotherTookTheKeyboard)
{
    ClipboardOwner clipboard(QStringLiteral("späť do cieľa"));
    ASSERT_TRUE(clipboard.isReady());
    Fixture other("other", {}, QStringLiteral("400x300+600+400"));
    ASSERT_TRUE(other.waitForKeyboard());
    Fixture target("target", {}, QStringLiteral("400x300+50+50"));
    ASSERT_TRUE(target.waitForKeyboard());

    ASSERT_EQ(xdotool({"keydown", "alt"}), 0);
    ASSERT_TRUE(sender.sendPaste(target.pid()));
    ASSERT_EQ(sent.size(), 0) << "the chord waits for Alt";
    const std::optional<Window> otherWindow = other.shownWindow();
    ASSERT_TRUE(otherWindow);
    ASSERT_EQ(xdotool({"windowactivate", QString::number(*otherWindow)}), 0);
    ASSERT_TRUE(other.waitForKeyboard());
    ASSERT_EQ(xdotool({"keyup", "alt"}), 0);

    EXPECT_TRUE(QTest::qWaitFor([&] { return target.text() == QStringLiteral("späť do cieľa"); }))
        << "[" << target.text().toStdString() << "]";
    EXPECT_TRUE(other.text().isEmpty()) << other.text().toStdString();
    EXPECT_EQ(sent.size(), 1);
}

// Two windows of one application: the chord goes into the one the user was typing in, not
// into the other one that is in front.
TEST_F(X11KeySenderTest, ChordForAWindowActivatesThatWindowWhenAnotherOfItsProcessIsInFront)
{
    ClipboardOwner clipboard(QStringLiteral("do okna"));
    ASSERT_TRUE(clipboard.isReady());
    QLineEdit typedIn;
    typedIn.setGeometry(50, 50, 300, 40);
    typedIn.show();
    typedIn.activateWindow();
    ASSERT_TRUE(waitForKeyboard(&typedIn));
    QLineEdit inFront;
    inFront.setGeometry(600, 400, 300, 40);
    inFront.show();
    inFront.activateWindow();
    ASSERT_TRUE(waitForKeyboard(&inFront));

    KeyPost request;
    request.targetPid = QCoreApplication::applicationPid();
    request.targetWindow = quint64(typedIn.winId());
    ASSERT_TRUE(sender.post(request));
    EXPECT_TRUE(QTest::qWaitFor([&] { return typedIn.text() == QStringLiteral("do okna"); }))
        << typedIn.text().toStdString();
    EXPECT_TRUE(inFront.text().isEmpty()) << inFront.text().toStdString();
    EXPECT_EQ(sent.size(), 1);
}

// The route of each terminal installed here, told from its window as the sender finds it: by
// the class or the instance the terminal table knows, else by the pseudo-terminal its process
// holds. A program that holds none is no terminal; one that holds one is taken for a terminal.
TEST_F(X11KeySenderTest, EachRealTerminalGetsTheRouteOfTheChordsItBinds)
{
    using Route = X11KeySender::Route;
    const QStringList place{"-geometry", "80x10+100+100"};
    const struct {
        const char *name;
        TerminalKind kind;
        bool withoutProcessId;
        Route route;
    } terminals[] = {
        {"xterm", kXterm, false, Route::PrimarySelection},
        {"urxvt", kUrxvt, false, Route::PrimarySelection},
        {"st", kSt, false, Route::ShiftedChords},
        {"gnome-terminal", kGnomeTerminal, false, Route::ShiftedChords},
        {"xterm, a class of the user's", {"xterm", "Foo", QStringList{"-class", "Foo"} + place}, false, Route::PrimarySelection},
        {"xterm, a class of the user's and no process id", {"xterm", "Baz", QStringList{"-class", "Baz"} + place}, true, Route::PrimarySelection},
        {"st, a class of the user's and no process id", {"st", "Bar", {"-c", "Bar", "-g", "80x10+100+100"}}, true, Route::ShiftedChords},
    };
    for (const auto &terminal : terminals) {
        SCOPED_TRACE(terminal.name);
        Terminal program(QStringLiteral("sleep 60"), terminal.kind);
        const std::optional<Window> window = program.windowWithKeyboard();
        ASSERT_TRUE(window) << "the terminal never took the keyboard";
        if (terminal.withoutProcessId) {
            XDeleteProperty(display(), *window, XInternAtom(display(), "_NET_WM_PID", False));
            XSync(display(), False);
        }
        EXPECT_EQ(sender.routeOf(*window), terminal.route);
    }
    for (const bool holdsPseudoTerminal : {false, true}) {
        SCOPED_TRACE(holdsPseudoTerminal);
        Fixture other("route", {}, {}, holdsPseudoTerminal ? QStringList{"--pseudo-terminal"} : QStringList{});
        ASSERT_TRUE(other.waitForKeyboard());
        const std::optional<Window> window = other.shownWindow();
        ASSERT_TRUE(window);
        EXPECT_EQ(sender.routeOf(*window), holdsPseudoTerminal ? Route::PrimarySelection : Route::Ordinary);
    }
}

} // namespace
