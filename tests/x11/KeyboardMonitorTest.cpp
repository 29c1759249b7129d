// The keyboard monitor on a real X server: shortcuts pressed with xdotool over the fixture
// window, and a paste from Quick Access that hands the keyboard back to the fixture.
#include "engine/ClipboardModel.h"
#include "platform/fake/FakeSettingsStore.h"
#include "platform/x11/X11HotKeyRegistry.h"
#include "platform/x11/X11KeySender.h"
#include "platform/x11/X11KeyTap.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/X11Permissions.h"
#include "platform/x11/X11Workspace.h"
#include "shell/GlobalPasteMonitor.h"
#include "support/ModelServices.h"
#include "ui/quickaccess/QuickAccessView.h"

#include <QApplication>

#include <gtest/gtest.h>

#include "X11TestSupport.h"

#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <cstring>

namespace {

using namespace x11test;

// The key that XKB names so (the US layout's V is "AB04"), whatever the layout types there; 0
// when the keyboard has none.
unsigned keyNamed(const char *name)
{
    XkbDescPtr keyboard = XkbGetMap(display(), 0, XkbUseCoreKbd);
    if (!keyboard)
        return 0;
    unsigned found = 0;
    if (XkbGetNames(display(), XkbKeyNamesMask, keyboard) == Success && keyboard->names) {
        for (unsigned keycode = keyboard->min_key_code; keycode <= keyboard->max_key_code && found == 0; ++keycode) {
            if (std::strncmp(keyboard->names->keys[keycode].name, name, XkbKeyNameLength) == 0)
                found = keycode;
        }
    }
    XkbFreeKeyboard(keyboard, 0, True);
    return found;
}

// A key pressed by itself with modifier keys held, not by what it types (xdotool would bind a
// spare key to a letter the layout lacks).
void pressKey(unsigned keycode, const QList<KeySym> &modifiers)
{
    for (KeySym modifier : modifiers)
        XTestFakeKeyEvent(display(), XKeysymToKeycode(display(), modifier), True, CurrentTime);
    XTestFakeKeyEvent(display(), keycode, True, CurrentTime);
    XTestFakeKeyEvent(display(), keycode, False, CurrentTime);
    for (KeySym modifier : modifiers)
        XTestFakeKeyEvent(display(), XKeysymToKeycode(display(), modifier), False, CurrentTime);
    XSync(display(), False);
}

// Whether some client holds a grab of the key with these modifiers: this connection's own
// grab of it is refused then.
bool grabbedElsewhere(unsigned keycode, unsigned modifiers)
{
    static bool refused;
    refused = false;
    XSync(display(), False);
    XErrorHandler previous = XSetErrorHandler([](Display *, XErrorEvent *error) {
        refused = refused || error->error_code == BadAccess;
        return 0;
    });
    XGrabKey(display(), int(keycode), modifiers, DefaultRootWindow(display()), False, GrabModeAsync, GrabModeAsync);
    XSync(display(), False);
    if (!refused)
        XUngrabKey(display(), int(keycode), modifiers, DefaultRootWindow(display()));
    XSync(display(), False);
    XSetErrorHandler(previous);
    return refused;
}

class KeyboardMonitorX11 : public ::testing::Test {
protected:
    void SetUp() override
    {
        model = std::make_unique<ClipboardModel>(
            testsupport::pasteServices(pasteboard, settings, workspace, permissions, keys, folder));
        monitor = std::make_unique<GlobalPasteMonitor>(
            *model, GlobalPasteMonitorServices{hotKeys, tap, permissions, workspace, nullptr, {}, {}, {}});
        view = std::make_unique<QuickAccessView>(*model);
        view->resize(350, 408);
        // What the panel controller does on the two Quick Access shortcuts.
        QObject::connect(monitor.get(), &GlobalPasteMonitor::quickAccessRequested, [this](bool pasteAs) {
            quickAccessCalls.append(pasteAs);
            std::optional<RunningApplication> front = workspace.frontmostApplication();
            if (front && workspace.isOwn(*front))
                front.reset();
            model->beginQuickAccess(front);
            model->setSelectedTab(ClipboardPanelTab::History);
            model->setIsPasteAsPresented(pasteAs);
            view->show();
            view->raise();
            view->activateWindow();
        });
        QObject::connect(monitor.get(), &GlobalPasteMonitor::dismissQuickAccessRequested, [this] {
            model->setIsQuickAccessPresented(false);
            view->hide();
        });
    }

    ClipboardEntry seed(const QString &text)
    {
        ClipboardEntry entry;
        entry.id = ClipboardEntry::newID();
        entry.text = text;
        entry.copiedAt = QDateTime::currentDateTimeUtc();
        model->setEntries(model->entries() + QList<ClipboardEntry>{entry});
        return entry;
    }

    // Quick Access is in front with a focused widget: keys typed now reach it.
    bool quickAccessHasKeyboard()
    {
        return waitForActive(QCoreApplication::applicationPid())
            && QTest::qWaitFor([&] { return view->isActiveWindow() && QApplication::focusWidget(); })
            && waitForKeyboard(view.get());
    }

    QTemporaryDir folder;
    FakeSettingsStore settings;
    X11Workspace workspace;
    X11KeyTap tap;
    X11Permissions permissions{&tap};
    X11HotKeyRegistry hotKeys;
    X11KeySender keys{&workspace};
    X11Pasteboard pasteboard;
    std::unique_ptr<ClipboardModel> model;
    std::unique_ptr<GlobalPasteMonitor> monitor;
    std::unique_ptr<QuickAccessView> view;
    QList<bool> quickAccessCalls;
};

TEST_F(KeyboardMonitorX11, EachShortcutOpensQuickAccessOnceAndPasteAsStillPastesIntoTheFixture)
{
    const ClipboardEntry entry = seed(QStringLiteral("VEĽKÉ písmená"));
    monitor->requestAccessAndStart(false);
    ASSERT_TRUE(model->unavailableShortcuts().isEmpty()) << model->unavailableShortcuts().join(", ").toStdString();
    ASSERT_TRUE(model->pasteMonitoringEnabled()) << "the key tap sees the same press as the grab";
    Fixture fixture("switch");
    ASSERT_TRUE(fixture.waitForKeyboard());

    ASSERT_EQ(xdotool({"key", "shift+super+v"}), 0);
    ASSERT_TRUE(quickAccessHasKeyboard());
    EXPECT_EQ(model->currentContext(), QStringLiteral("TarnelFixture"));
    // The paste-as form, opened over Tarnel's own window, keeps the fixture as the target; the
    // first shortcut was reported once before it.
    ASSERT_EQ(xdotool({"key", "alt+super+v"}), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return quickAccessCalls.size() == 2; }));
    EXPECT_EQ(quickAccessCalls, (QList<bool>{false, true}));
    EXPECT_EQ(model->currentContext(), QStringLiteral("TarnelFixture"));
    // The grab kept the chords from the fixture: nothing was typed there.
    EXPECT_TRUE(fixture.text().isEmpty()) << fixture.text().toStdString();

    // Right opens the options, Down Down Return pastes the lower-cased text.
    model->setSelectedEntryID(entry.id);
    ASSERT_EQ(xdotool({"key", "--delay", "60", "Down", "Right", "Down", "Down", "Return"}), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return fixture.text() == QStringLiteral("veľké písmená"); }, 8000))
        << fixture.text().toStdString();
    EXPECT_TRUE(waitForActive(fixture.pid()));
}

// A fast typist presses the next key before the trigger's last key is up: the Backspace
// presses and the snippet must not wait for that key, or the next keys land first and are
// erased in the trigger's place.
TEST_F(KeyboardMonitorX11, KeysTypedRightAfterATriggerAreNeitherErasedNorLost)
{
    ASSERT_TRUE(model->saveSnippet(std::nullopt, QStringLiteral("podpis"), QStringLiteral("sig2"),
                                   QStringLiteral("S. Kováč")));
    monitor->requestAccessAndStart(false);
    Fixture fixture("typing");
    ASSERT_TRUE(fixture.waitForKeyboard());

    ASSERT_EQ(xdotool({"type", "ab sig"}), 0);
    ASSERT_EQ(xdotool({"keydown", "2"}), 0);
    // The snippet is in place while "2" is still down.
    EXPECT_TRUE(QTest::qWaitFor([&] { return fixture.text() == QStringLiteral("ab S. Kováč"); }))
        << fixture.text().toStdString();
    ASSERT_EQ(xdotool({"keydown", "x"}), 0);
    ASSERT_EQ(xdotool({"keyup", "2"}), 0);
    ASSERT_EQ(xdotool({"keyup", "x"}), 0);
    ASSERT_EQ(xdotool({"type", "yz"}), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return fixture.text() == QStringLiteral("ab S. Kováčxyz"); }, 5000))
        << fixture.text().toStdString();
}

// A German keyboard types "é" as the acute dead key and then "e": the trigger spelled with it
// expands, and the four letters of it are erased, no more.
TEST_F(KeyboardMonitorX11, ATriggerTypedWithADeadKeyExpands)
{
    ASSERT_TRUE(model->saveSnippet(std::nullopt, QStringLiteral("káva"), QStringLiteral("café"),
                                   QStringLiteral("Káva s mliekom")));
    ASSERT_EQ(run(QStringLiteral("setxkbmap"), {"de"}), 0);
    struct LayoutGuard {
        ~LayoutGuard() { run(QStringLiteral("setxkbmap"), {"us"}); }
    } guard;
    monitor->requestAccessAndStart(false);
    Fixture fixture("dead");
    ASSERT_TRUE(fixture.waitForKeyboard());

    ASSERT_EQ(xdotool({"key", "--delay", "40", "a", "b", "space", "c", "a", "f", "dead_acute", "e"}), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return fixture.text() == QStringLiteral("ab Káva s mliekom"); }, 5000))
        << fixture.text().toStdString();
}

} // namespace

namespace {

// A popup of Tarnel's own (an entry's actions menu) closed by a click into another
// application: the keyboard went with that click, so the next trigger typed there expands.
TEST_F(KeyboardMonitorX11, TriggersExpandAgainAfterAPopupIsClosedByAClickIntoAnotherApplication)
{
    ASSERT_TRUE(model->saveSnippet(std::nullopt, QStringLiteral("podpis"), QStringLiteral("sig3"),
                                   QStringLiteral("S. Kováč")));
    monitor->requestAccessAndStart(false);
    Fixture fixture("popup", {}, QStringLiteral("500x200+100+600"));
    ASSERT_TRUE(fixture.waitForKeyboard());

    QWidget popup(nullptr, Qt::Popup);
    popup.setGeometry(1200, 100, 240, 160);
    popup.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&popup));
    ASSERT_EQ(QApplication::activePopupWidget(), &popup);

    clickAt({350, 700});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !popup.isVisible(); }));
    clickAt({350, 700});
    ASSERT_TRUE(waitForActive(fixture.pid()));
    ASSERT_EQ(xdotool({"type", "--delay", "40", "ab sig3"}), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return fixture.text() == QStringLiteral("ab S. Kováč"); }, 5000))
        << fixture.text().toStdString();
}

} // namespace

namespace {

// The shortcuts, the paste chord and the snippet text follow the keyboard map: after every
// change of layout or group, the history shortcut pressed on V's key of a US keyboard opens
// Quick Access, Ctrl and the number row's 2 paste into the application in front, and a trigger
// typed there gets its text, also where no group of the map has a Latin letter.
TEST_F(KeyboardMonitorX11, ShortcutsPastesAndTriggersFollowEveryKeyboardMap)
{
    seed(QStringLiteral("prvý"));
    seed(QStringLiteral("druhý"));
    ASSERT_TRUE(model->saveSnippet(std::nullopt, QStringLiteral("podpis"), QStringLiteral("сиг"),
                                   QStringLiteral("S. Kováč")));
    struct LayoutGuard {
        ~LayoutGuard() { run(QStringLiteral("setxkbmap"), {"-layout", "us"}); }
    } guard;
    monitor->requestAccessAndStart(false);
    ASSERT_TRUE(model->unavailableShortcuts().isEmpty());
    Fixture fixture("layouts", {}, QStringLiteral("500x200+100+600"));
    ASSERT_TRUE(fixture.waitForKeyboard());
    const QString second = model->quickAccessEntries().value(1).text;
    ASSERT_FALSE(second.isEmpty());

    const struct {
        const char *name;
        // setxkbmap layouts, one change after another; the shortcut is pressed after each.
        QStringList layouts;
        // The group locked after the last change.
        int group;
        // Typed in the fixture after the paste: a trigger this layout types.
        QString typed;
        // The variants of the last change's layouts.
        QString variants = {};
        // The key that types V in the active group after the last change (the US layout's V).
        const char *vKey = "AB04";
    } rows[] = {
        {"sk", {"sk"}, 0, {}},
        {"de", {"de"}, 0, {}},
        {"fr", {"fr"}, 0, {}},
        {"ru", {"ru"}, 0, QStringLiteral(" сиг")},
        {"us, then ru, then us", {"us", "ru", "us"}, 0, {}},
        {"us,ru with ru active", {"us,ru"}, 1, QStringLiteral(" сиг")},
        // Two Latin groups: V sits on the US layout's period key in the active one, so a
        // shortcut on the first group's V, or a chord typed there, would be K.
        {"us,us(dvorak) with dvorak active", {"us,us"}, 1, {}, QStringLiteral(",dvorak"), "AB09"},
    };
    QString expected;
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        for (qsizetype i = 0; i < row.layouts.size(); ++i) {
            const std::string layout = row.layouts.at(i).toStdString();
            const bool last = i == row.layouts.size() - 1;
            QStringList arguments{"-layout", row.layouts.at(i)};
            if (last && !row.variants.isEmpty())
                arguments << QStringLiteral("-variant") << row.variants;
            ASSERT_EQ(run(QStringLiteral("setxkbmap"), arguments), 0);
            if (last && row.group != 0) {
                // The group switches once the registry has followed the new map in the first
                // group, as a user's switch comes, so that it is the switch that the registry
                // must follow.
                XkbLockGroup(display(), XkbUseCoreKbd, 0);
                XSync(display(), False);
                ASSERT_TRUE(QTest::qWaitFor([&] { return grabbedElsewhere(keyNamed("AB04"), ShiftMask | Mod4Mask); }, 3000));
                XkbLockGroup(display(), XkbUseCoreKbd, unsigned(row.group));
                XSync(display(), False);
            }
            const unsigned v = keyNamed(last ? row.vKey : "AB04");
            ASSERT_NE(v, 0u);
            // The registry has followed the change once the combination is held.
            EXPECT_TRUE(QTest::qWaitFor([&] { return grabbedElsewhere(v, ShiftMask | Mod4Mask); }, 3000))
                << layout << ": Shift+Super on the V key is not grabbed";
            ASSERT_TRUE(waitForActive(fixture.pid()));
            const qsizetype calls = quickAccessCalls.size();
            pressKey(v, {XK_Shift_L, XK_Super_L});
            ASSERT_TRUE(QTest::qWaitFor([&] { return quickAccessCalls.size() == calls + 1; }, 3000))
                << layout << ": Quick Access did not open; the fixture got [" << fixture.text().toStdString() << "]";
            ASSERT_TRUE(quickAccessHasKeyboard()) << layout;
            // Ctrl and the number row's 2, whatever the layout types there.
            pressKey(keyNamed("AE02"), {XK_Control_L});
            expected += second;
            EXPECT_TRUE(QTest::qWaitFor([&] { return fixture.text() == expected; }, 5000))
                << layout << ": [" << fixture.text().toStdString() << "]";
            ASSERT_TRUE(waitForActive(fixture.pid()));
        }
        if (!row.typed.isEmpty()) {
            ASSERT_EQ(xdotool({"type", "--delay", "40", row.typed}), 0);
            expected += QStringLiteral(" S. Kováč");
            EXPECT_TRUE(QTest::qWaitFor([&] { return fixture.text() == expected; }, 5000))
                << "[" << fixture.text().toStdString() << "]";
        }
        expected = fixture.text();
    }
}

} // namespace
