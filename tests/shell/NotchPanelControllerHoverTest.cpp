#include "shell/PanelHarness.h"
#include "support/ScopedLanguage.h"
#include "ui/panel/EntryOverflowButton.h"
#include "ui/panel/NotchSummary.h"
#include "ui/panel/SectionStrip.h"
#include "ui/style/PanelMotion.h"

#include <QEnterEvent>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

const QPoint kOutside(5, 590);

} // namespace

TEST(NotchPanelHover, PointerPathsExpandAndCollapseWithTheirDelays)
{
    // Delays: content 40 ms after entering, width 60 ms after leaving.
    PanelHarness h;
    h.controller->show();
    QSignalSpy content(h.controller.get(), &NotchPanelController::isContentExpandedChanged);

    // Brushing through faster than the content delay: the width follows, the content never.
    h.moveTo(h.notchCentre());
    EXPECT_TRUE(h.controller->isWidthExpanded()) << "the width follows at once";
    h.moveTo(kOutside);
    EXPECT_EQ(h.waitForLook(false, false), 60);
    EXPECT_TRUE(content.isEmpty());

    // Entering and staying opens the content after its delay; leaving hides it at once and
    // the width after its own delay.
    h.moveTo(h.notchCentre());
    EXPECT_EQ(h.waitForLook(true, true), 40);
    h.moveTo(kOutside);
    EXPECT_FALSE(h.controller->isContentExpanded());
    EXPECT_TRUE(h.controller->isWidthExpanded());
    // Coming back before the width shrinks keeps it and opens the content again.
    h.moveTo(h.notchCentre());
    EXPECT_TRUE(h.controller->isWidthExpanded());
    EXPECT_EQ(h.waitForLook(true, true), 40);
    h.moveTo(kOutside);
    EXPECT_EQ(h.waitForLook(false, false), 60);
}

// The program's own delays, each looked at a millisecond before it ends and as it ends.
TEST(NotchPanelHover, EachDelayEndsNeitherSoonerNorLater)
{
    NotchHoverTimings timings;
    timings.pointerTick = 1h; // the beat is the test's
    timings.widenAnimation = 0ms;
    timings.narrowAnimation = 0ms;
    PanelHarness h({}, timings);
    h.controller->show();
    const auto wait = [&h](std::chrono::milliseconds time) {
        h.clock.advance(time);
        h.controller->updatePointerPassthrough();
    };
    const std::chrono::milliseconds content = PanelTimings::contentExpansionDelay;
    const std::chrono::milliseconds collapse = PanelTimings::widthCollapseDelay;
    ASSERT_EQ(content, 180ms);
    ASSERT_EQ(collapse, 260ms);
    const struct {
        const char *step;
        std::function<void()> act;
        bool width;
        bool content;
    } steps[] = {
        {"entered: the width at once", [&] { h.moveTo(h.notchCentre()); }, true, false},
        {"stayed just short of the content delay", [&] { wait(content - 1ms); }, true, false},
        {"stayed the content delay", [&] { wait(1ms); }, true, true},
        {"left: the content at once", [&] { h.moveTo(kOutside); }, true, false},
        {"away just short of the collapse delay", [&] { wait(collapse - 1ms); }, true, false},
        {"away the collapse delay", [&] { wait(1ms); }, false, false},
        {"brushed in", [&] { h.moveTo(h.notchCentre()); }, true, false},
        {"and out just before the content would show", [&] {
             wait(content - 1ms);
             h.moveTo(kOutside);
         },
         true, false},
        {"the content never came", [&] { wait(1ms); }, true, false},
        {"the width follows the collapse delay", [&] { wait(collapse - 2ms); }, true, false},
        {"after the pointer left", [&] { wait(1ms); }, false, false},
        {"entered again", [&] { h.moveTo(h.notchCentre()); }, true, false},
        {"shown", [&] { wait(content); }, true, true},
        {"left", [&] { h.moveTo(kOutside); }, true, false},
        {"back a millisecond before the width goes", [&] {
             wait(collapse - 1ms);
             h.moveTo(h.notchCentre());
         },
         true, false},
        {"the width stays past its delay", [&] { wait(content - 1ms); }, true, false},
        {"the content after its whole delay again", [&] { wait(1ms); }, true, true},
    };
    for (const auto &s : steps) {
        s.act();
        EXPECT_EQ(h.controller->isWidthExpanded(), s.width) << s.step;
        EXPECT_EQ(h.controller->isContentExpanded(), s.content) << s.step;
    }
}

TEST(NotchPanelHover, OnlyAnOpenOrMovingPanelFollowsThePointer)
{
    PanelHarness h;
    h.controller->show();
    auto windowReportsEntry = [&h] {
        h.pointer = h.notchCentre();
        QEnterEvent enter(QPointF(h.notchCentre() - h.frame().topLeft()), QPointF(h.notchCentre()),
                          QPointF(h.notchCentre()));
        QCoreApplication::sendEvent(h.panel().windowHandle(), &enter);
    };
    // accepts false: every pointer event falls through the whole window. A resting window
    // takes the pointer within its drawn notch only, which is the collapsed hit region.
    const struct {
        const char *step;
        std::function<void()> act;
        bool following;
        bool accepts;
        bool width;
        bool content;
    } steps[] = {
        {"resting, pointer beside the notch", [&] { h.moveTo(h.besideNotch()); }, false, true, false, false},
        {"the window reports the pointer entering", windowReportsEntry, true, true, true, false},
        {"stayed", [&] { h.waitForLook(true, true); }, true, true, true, true},
        {"left: the closing notch lets the pointer through", [&] { h.moveTo(kOutside); }, true, false, true, false},
        {"closed: resting again", [&] { h.waitForLook(false, false); }, false, true, false, false},
        {"an editor holds it open",
         [&] {
             h.controller->setEditorOpen(true);
             h.moveTo(kOutside);
         },
         true, false, true, true},
    };
    for (const auto &s : steps) {
        s.act();
        EXPECT_EQ(h.controller->isFollowingPointer(), s.following) << s.step;
        EXPECT_EQ(h.traits.acceptsPointer(&h.panel()), s.accepts) << s.step;
        EXPECT_EQ(h.controller->isWidthExpanded(), s.width) << s.step;
        EXPECT_EQ(h.controller->isContentExpanded(), s.content) << s.step;
    }
    h.controller->setPresentationMode(ClipboardPresentationMode::MenuBar);
    h.controller->updatePointerPassthrough();
    EXPECT_FALSE(h.controller->isFollowingPointer()) << "menu-bar mode never follows the pointer";

    // The window system is asked only when the answer changes, not on every beat.
    h.controller->setPresentationMode(ClipboardPresentationMode::Notch);
    h.controller->setEditorOpen(false);
    h.moveTo(h.notchCentre());
    const int changes = h.traits.pointerChanges;
    for (int i = 0; i < 10; ++i)
        h.controller->updatePointerPassthrough();
    EXPECT_EQ(h.traits.pointerChanges, changes);
}

// A desktop shell may keep the crossing events at the top edge from the notch's own window, though
// the notch stands over everything there: the desktop's word on the pointer itself opens it, and the
// open panel holds the pointer, so that the controls along its top edge take their clicks.
TEST(NotchPanelHover, ThePointersOwnWordOpensTheNotchAndTheOpenPanelHoldsThePointer)
{
    PanelHarness h;
    h.controller->show();
    // Told by the desktop alone: the panel's window hears of no crossing, and no beat looks.
    const auto arriveUnseen = [&h](QPoint point) {
        h.pointer = point;
        h.pointerMotion.moveTo(point);
        QCoreApplication::processEvents();
    };
    const struct {
        const char *step;
        std::function<void()> act;
        bool watchesNotch; // else the beat follows the pointer and nothing is watched
        bool held;
        bool width;
        bool content;
    } steps[] = {
        {"resting: the notch's own place is watched", [] {}, true, false, false, false},
        {"a move beside the notch is not its business", [&] { arriveUnseen(h.besideNotch()); }, true,
         false, false, false},
        {"the pointer arrives unseen by the window", [&] { arriveUnseen(h.notchCentre()); }, false, false,
         true, false},
        {"stays: the panel opens and holds the pointer", [&] { h.waitForLook(true, true); }, false, true, true,
         true},
        {"a sheet opens over it: the sheet takes its own clicks", [&] { h.controller->setEditorOpen(true); h.moveTo(h.notchCentre()); },
         false, false, true, true},
        {"the sheet closes: held again", [&] { h.controller->setEditorOpen(false); }, false, true, true, true},
        {"the pointer leaves: let go", [&] { h.moveTo(kOutside); }, false, false, true, false},
        {"closed: resting, its place watched again", [&] { h.waitForLook(false, false); }, true, false,
         false, false},
    };
    for (const auto &s : steps) {
        s.act();
        const QRect watched = h.pointerMotion.watchedArea();
        if (s.watchesNotch) {
            EXPECT_TRUE(watched.contains(h.notchCentre())) << s.step;
            EXPECT_FALSE(watched.contains(h.besideNotch())) << s.step;
        } else {
            EXPECT_TRUE(watched.isEmpty()) << s.step << ": the beat follows the pointer now";
        }
        EXPECT_EQ(h.traits.pointerHeld == &h.panel(), s.held) << s.step;
        EXPECT_EQ(h.controller->isWidthExpanded(), s.width) << s.step;
        EXPECT_EQ(h.controller->isContentExpanded(), s.content) << s.step;
    }
}

// Where the desktop's own bar holds the top centre, the notch hangs from its lower edge, and an open
// panel stays where the user works in it until it rests.
TEST(NotchPanelHover, TheNotchHangsFromTheBarOverTheTopCentreAndMovesOnlyAtRest)
{
    PanelHarness h;
    h.controller->show();
    const int screenTop = h.frame().top();
    const int centre = h.frame().center().x();
    const struct {
        const char *step;
        std::function<void()> act;
        int top;
    } steps[] = {
        {"no bar: the top of the screen", [] {}, 0},
        {"a bar over the top centre", [&] { h.bars.setBar(32); }, 32},
        {"a bar in the left corner only", [&] { h.bars.setBar(32, 0, centre - 300); }, 0},
        {"the bar widens while the panel is open",
         [&] {
             h.moveTo(h.notchCentre());
             h.waitForLook(true, true);
             h.bars.setBar(32);
             QCoreApplication::processEvents();
         },
         0},
        {"closed: under the bar",
         [&] {
             h.moveTo(kOutside);
             h.waitForLook(false, false);
             QCoreApplication::processEvents();
         },
         32},
    };
    for (const auto &s : steps) {
        s.act();
        EXPECT_EQ(h.frame().top() - screenTop, s.top) << s.step;
        EXPECT_EQ(h.frame().center().x(), centre) << s.step;
    }
}

TEST(NotchPanelHover, EntryRecordsTheOtherApplicationAsPasteTarget)
{
    const RunningApplication editor{11, 100, QStringLiteral("Editor")};
    const RunningApplication self{12, 4242, QStringLiteral("Tarnel")};
    const struct {
        const char *front;
        std::optional<RunningApplication> application;
        std::optional<RunningApplication> target;
        QString context;
    } cases[] = {
        {"another application", editor, editor, QStringLiteral("Editor")},
        {"Tarnel itself keeps the previous target", self, editor, QStringLiteral("Tarnel")},
        {"no application in front", std::nullopt, editor, QString()},
    };
    for (const auto &c : cases) {
        PanelHarness h;
        h.model.target = editor;
        h.workspace.setFrontmostApplication(c.application);
        h.controller->show();
        h.moveTo(h.notchCentre());
        EXPECT_EQ(h.model.target, c.target) << c.front;
        EXPECT_EQ(h.model.context, c.context) << c.front;
    }
}

TEST(NotchPanelHover, HoldsKeepThePanelAsItIs)
{
    const struct {
        const char *hold;
        std::function<void(PanelHarness &)> apply;
        std::function<void(PanelHarness &)> release;
    } cases[] = {
        {"editor sheet", [](PanelHarness &h) { h.controller->setEditorOpen(true); },
         [](PanelHarness &h) { h.controller->setEditorOpen(false); }},
        {"actions menu", [](PanelHarness &h) { h.controller->setActionMenuOpen(true); },
         [](PanelHarness &h) { h.controller->setActionMenuOpen(false); }},
    };
    for (const auto &c : cases) {
        PanelHarness h;
        h.controller->show();
        h.moveTo(h.notchCentre());
        c.apply(h);
        EXPECT_TRUE(h.controller->isContentExpanded()) << c.hold << ": opening holds the panel open at once";
        EXPECT_TRUE(h.model.overlay) << c.hold;
        // Leaving would hide the content at once.
        h.moveTo(kOutside);
        EXPECT_TRUE(h.controller->isContentExpanded()) << c.hold << ": pointer left while held";
        c.release(h);
        EXPECT_FALSE(h.model.overlay) << c.hold;
        EXPECT_FALSE(h.controller->isContentExpanded()) << c.hold << ": closing with the pointer outside collapses";
        EXPECT_NE(h.waitForLook(false, false), -1) << c.hold;
    }
}

TEST(NotchPanelHover, TrayToggleCollapsesAndSuppressesHoverUntilThePointerLeaves)
{
    PanelHarness h;
    h.controller->show();
    h.moveTo(h.notchCentre());
    h.controller->toggleExpanded();
    EXPECT_TRUE(h.controller->isContentExpanded());

    h.controller->toggleExpanded();
    EXPECT_FALSE(h.controller->isContentExpanded());
    // Beats with the pointer still resting on the notch do not re-open it.
    EXPECT_NE(h.waitForLook(false, false), -1);
    h.controller->updatePointerPassthrough();
    EXPECT_FALSE(h.controller->isWidthExpanded()) << "a resting pointer does not re-open it";

    h.moveTo(kOutside);
    h.moveTo(h.notchCentre());
    EXPECT_TRUE(h.controller->isWidthExpanded()) << "after one tick outside hover works again";
}

// Opened from outside the panel (the tray icon, the switch to the notch in the settings), the
// panel is where the pointer is not: it stays open with the pointer resting there, until the
// icon is clicked again or the pointer has come in and left.
TEST(NotchPanelHover, AnOpeningFromOutsideHoldsUntilTheNextToggleOrAVisit)
{
    const QPoint trayIcon(1900, 1060);
    const struct {
        const char *opening;
        QJsonObject settings;
        std::function<void(PanelHarness &)> open;
    } cases[] = {
        {"tray icon", {}, [](PanelHarness &h) { h.controller->statusItemClicked(); }},
        {"switch to the notch", QJsonObject{{QStringLiteral("tarnel.presentationMode"), QStringLiteral("menuBar")}},
         [](PanelHarness &h) { h.controller->setPresentationMode(ClipboardPresentationMode::Notch); }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.opening);
        PanelHarness h(c.settings);
        h.controller->show();
        h.moveTo(trayIcon);
        c.open(h);
        ASSERT_TRUE(h.shows(true, true)) << "open at once";
        for (int elapsed = 0; elapsed < 1000 && h.shows(true, true); elapsed += 30) {
            h.clock.advance(30ms);
            h.controller->updatePointerPassthrough();
        }
        EXPECT_TRUE(h.shows(true, true)) << "still open a second later, the pointer on the icon";

        // A click on the icon closes it.
        h.controller->statusItemClicked();
        EXPECT_NE(h.waitForLook(false, false), -1);

        // Opened again, the pointer coming in and leaving closes it as after a hover.
        h.controller->statusItemClicked();
        h.moveTo(h.notchCentre());
        h.clock.advance(100ms);
        h.moveTo(trayIcon);
        EXPECT_FALSE(h.controller->isContentExpanded()) << "the content goes at once";
        EXPECT_EQ(h.waitForLook(false, false), 60);
    }
}

// The outline (and the window's shape with it) unfolds to the details panel over 0.26 s and
// folds back the same way; the expansion flag itself changes at once.
TEST(NotchPanelHover, TheOutlineUnfoldsAndFoldsOverTheContentAnimation)
{
    PanelMotion::ScopedFactor moving(1);
    PanelHarness harness;
    harness.controller->show();
    QElapsedTimer clock;
    clock.start();
    harness.controller->toggleExpanded();
    EXPECT_TRUE(harness.controller->isContentExpanded());
    EXPECT_LT(harness.controller->drawnNotchSize().height(), 460) << "not there at once";
    ASSERT_TRUE(QTest::qWaitFor([&] { return harness.controller->drawnNotchSize().height() == 460; }, 2000));
    EXPECT_GE(clock.elapsed(), 200) << "the unfolding takes its time";

    clock.restart();
    harness.controller->toggleExpanded();
    EXPECT_FALSE(harness.controller->isContentExpanded());
    EXPECT_GT(harness.controller->drawnNotchSize().height(), 40);
    ASSERT_TRUE(QTest::qWaitFor([&] { return harness.controller->drawnNotchSize().height() == 40; }, 2000));
    EXPECT_GE(clock.elapsed(), 200);
}

// The outline moves one way at a time: folding never shows the folded notch before it starts
// from the open one, nor unfolding the open panel before it starts from the notch. The window's
// shape is what the pointer and the desktop read, so a single frame of the other end opens or
// closes the panel for them (a click then lands in a panel that is closing).
TEST(NotchPanelHover, TheOutlineNeverFlashesTheEndItMovesTo)
{
    PanelMotion::ScopedFactor moving(1);
    NotchHoverTimings timings = shortHoverTimings();
    timings.widenAnimation = PanelTimings::widenAnimation;
    timings.narrowAnimation = PanelTimings::narrowAnimation;
    PanelHarness harness({}, timings);
    harness.controller->show();
    QList<QSizeF> drawn;
    QObject::connect(harness.controller.get(), &PanelController::drawnNotchSizeChanged, harness.controller.get(), [&] {
        drawn.append(harness.controller->drawnNotchSize());
        EXPECT_EQ(harness.panel().drawnRegion().boundingRect().height(), qRound(drawn.last().height()));
    });
    const auto settled = [&](QSizeF size) {
        return QTest::qWaitFor([&] { return harness.controller->drawnNotchSize() == size; }, 3000);
    };
    // Every size drawn since the mark lies between the two ends and moves from the first
    // towards the second, width and height each.
    const auto movedOneWay = [&](qsizetype mark, QSizeF from, QSizeF to) {
        const auto between = [](qreal value, qreal a, qreal b) {
            return value >= std::min(a, b) - 0.01 && value <= std::max(a, b) + 0.01;
        };
        QSizeF previous = from;
        for (qsizetype i = mark; i < drawn.size(); ++i) {
            const QSizeF now = drawn[i];
            if (!between(now.width(), previous.width(), to.width()) || !between(now.height(), previous.height(), to.height()))
                return ::testing::AssertionFailure() << "drew " << now.width() << "x" << now.height() << " after "
                                                     << previous.width() << "x" << previous.height() << " on the way to "
                                                     << to.width() << "x" << to.height();
            previous = now;
        }
        return ::testing::AssertionSuccess();
    };
    const QSizeF notch(harness.controller->compactWidth(), 40);
    const QSizeF open(450, 460);

    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        qsizetype mark = drawn.size();
        harness.moveTo(harness.notchCentre());
        ASSERT_GE(harness.waitForLook(true, true), 0);
        ASSERT_TRUE(settled(open));
        EXPECT_TRUE(movedOneWay(mark, notch, open));

        mark = drawn.size();
        harness.moveTo(kOutside);
        EXPECT_FALSE(harness.controller->isContentExpanded());
        ASSERT_GE(harness.waitForLook(false, false), 0);
        ASSERT_TRUE(settled(notch));
        EXPECT_TRUE(movedOneWay(mark, open, notch));
    }
}

TEST(NotchPanelHover, ThePanelOpenedByHoverShowsTheNamesOfItsIconButtons)
{
    // The section strip and the summary's buttons are symbols only: their tooltips are their
    // names, and a panel opened by hover never becomes the active window.
    ScopedLanguage slovak{std::nullopt};
    PanelHarness h(QJsonObject{{QStringLiteral("tarnel.onboardingComplete"), true}});
    h.controller->show();
    h.moveTo(h.notchCentre());
    ASSERT_GE(h.waitForLook(true, true), 0);
    // The application the user works in stays the active one. It stands for another program's
    // window, clear of the panel: a window of this program over the panel is cut out of it.
    QWidget application;
    application.setGeometry(QRect(h.frame().bottomLeft() + QPoint(0, 20), QSize(200, 100)));
    application.show();
    application.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return application.isActiveWindow() && !h.panel().isActiveWindow(); }));
    auto *strip = h.panel().findChild<SectionStrip *>();
    auto *summary = h.panel().findChild<NotchSummary *>();
    ASSERT_TRUE(strip && summary);
    const struct {
        QWidget *button;
        const char *name;
    } buttons[] = {{strip->button(ClipboardPanelTab::Snippets), "Skratky"},
                   {strip->button(ClipboardPanelTab::Pins), "Pripnuté"},
                   {summary->settingsButton(), "Nastavenia"}};
    for (const auto &row : buttons) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(QTest::qWaitFor([&] { return row.button->isVisible(); }));
        // Through the window system, as the pointer moves: nothing asks for the window to be active.
        QTest::mouseMove(h.panel().windowHandle(), row.button->mapTo(&h.panel(), row.button->rect().center()));
        EXPECT_TRUE(QTest::qWaitFor([&] { return QToolTip::isVisible() && QToolTip::text() == QString::fromUtf8(row.name); }))
            << QToolTip::text().toStdString();
        QToolTip::hideText();
    }
}
