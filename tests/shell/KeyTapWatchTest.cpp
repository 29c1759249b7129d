// The keys of other applications seen through the key tap.
#include "MonitorFixture.h"

namespace monitortest {
namespace {

using namespace std::chrono_literals;

TEST_F(MonitorTest, TheTapArmsScreenshotsAndFeedsTriggersOnlyFromOtherApplications)
{
    seedSnippets({{"s", "Sig", ";sg", "Best regards"}});
    createModel();
    createMonitor().requestAccessAndStart(false);

    KeyTapEvent chord = press(Qt::Key_Print, Control);
    chord.isScreenshotChord = true;
    KeyTapEvent repeatedChord = chord;
    repeatedChord.isAutoRepeat = true;
    tap.inject(repeatedChord);
    EXPECT_EQ(model->screenshotChordWindowEnd(), std::nullopt);
    tap.inject(chord);
    EXPECT_EQ(model->screenshotChordWindowEnd(), clock.now().addSecs(60));
    tap.inject(press(Qt::Key_Escape, Shift | Super));
    EXPECT_EQ(model->screenshotChordWindowEnd(), std::nullopt);

    struct Case {
        const char *name;
        bool active;
        bool quickAccess;
        bool repeat;
        int deletes; // BackSpaces typed to remove a completed trigger
    };
    const Case cases[] = {
        {"another application", false, false, false, 3},
        {"Tarnel active", true, false, false, 0},
        {"Quick Access shown", false, true, false, 0},
        {"auto-repeated keys", false, false, true, 0},
    };
    for (const Case &c : cases) {
        keys.clear();
        programActive = c.active;
        model->setIsQuickAccessPresented(c.quickAccess);
        for (const QChar ch : QStringLiteral(";sg")) {
            KeyTapEvent event = press(Qt::Key(ch.toUpper().unicode()), {}, QString(ch));
            event.isAutoRepeat = c.repeat;
            tap.inject(event);
        }
        clock.advance(1s);
        EXPECT_EQ(keys.count(KeyChord::Delete), c.deletes) << c.name;
    }
}

TEST_F(MonitorTest, TarnelsOwnPastesAndQuickAccessForgetAHalfTypedTrigger)
{
    seedHistory({textEntry("alpha")});
    seedSnippets({{"s", "Sig", ";sig", "<SIG>"}});
    createModel();
    createMonitor().requestAccessAndStart(false);
    const auto typeKeys = [this](const QString &text) {
        for (const QChar ch : text)
            tap.inject(press(Qt::Key(ch.toUpper().unicode()), {}, QString(ch)));
    };
    // Quick Access has the keyboard for `during`, as the controller gives it.
    const auto withQuickAccess = [this](const std::function<void()> &during) {
        openQuickAccess(ClipboardPanelTab::Clipboard);
        programActive = true;
        during();
        model->setIsQuickAccessPresented(false);
        programActive = false;
    };
    struct Case {
        const char *name;
        std::function<void()> between; // what happens between ";si" and "g"
        bool expands;
    };
    const Case cases[] = {
        {"nothing", [] {}, true},
        {"Quick Access opened and closed with Escape",
         [&] {
             withQuickAccess([&] {
                 tap.inject(press(Qt::Key_Escape));
                 key(Qt::Key_Escape);
             });
         },
         false},
        {"Quick Access Ctrl+1",
         [&] {
             withQuickAccess([&] {
                 tap.inject(press(Qt::Key_1, Control));
                 key(Qt::Key_1, Control);
             });
         },
         false},
        {"a click on a panel row", [&] { model->pasteHistoryEntryFromClick(model->entries().first()); }, false},
        {"paste next",
         [&] {
             model->setPasteStackEntryIDs({QStringLiteral("alpha")});
             hotKeys.fire(AppShortcut::pasteNextFromStack);
             tap.inject(press(AppShortcut::pasteNextFromStack));
         },
         false},
        {"the Paste Stack's copy",
         [&] {
             hotKeys.fire(AppShortcut::pasteStack);
             tap.inject(press(AppShortcut::pasteStack));
         },
         false},
        {"Ctrl+V typed by the user", [&] { tap.inject(press(Qt::Key_V, Control)); }, false},
    };
    for (const Case &c : cases) {
        typeKeys(QStringLiteral("e;si"));
        c.between();
        clock.advance(1s);
        keys.clear();
        typeKeys(QStringLiteral("g"));
        clock.advance(1s);
        // An expansion erases the four characters it takes for the trigger: three of them would
        // be of whatever was pasted meanwhile.
        EXPECT_EQ(keys.count(KeyChord::Delete), c.expands ? 4 : 0) << c.name;
        EXPECT_EQ(pastes(), c.expands ? 1 : 0) << c.name;
    }
}

} // namespace
} // namespace monitortest
