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

} // namespace
} // namespace monitortest
