#include "shell/PanelHarness.h"

#include <QEnterEvent>
#include <QWindow>
#include <QMenu>

#include <gtest/gtest.h>

namespace {

struct Looks {
    bool width;
    bool content;
};

void expectLooks(const PanelHarness &h, Looks looks, const char *step)
{
    EXPECT_EQ(h.controller->isWidthExpanded(), looks.width) << step;
    EXPECT_EQ(h.controller->isContentExpanded(), looks.content) << step;
}

// Whether a pointer event at the point reaches the panel: the window must take the pointer,
// and the point must lie within its drawn shape.
bool takesPointerAt(const PanelHarness &h, const QPoint &point)
{
    const QRegion drawn = h.panel().drawnRegion();
    return h.traits.acceptsPointer(&h.panel()) && (drawn.isEmpty() || drawn.contains(point - h.frame().topLeft()));
}

} // namespace

TEST(NotchPanelHover, PointerPathsExpandAndCollapseWithTheirDelays)
{
    // Each step moves the pointer (or leaves it) and lets a stretch of time pass; the look
    // of the notch is checked after it. Delays: content 40 ms, width collapse 60 ms.
    enum Where { Notch, Outside };
    struct Step {
        Where where;
        std::chrono::milliseconds wait;
        Looks after;
    };
    const struct {
        const char *path;
        std::vector<Step> steps;
    } cases[] = {
        {"enter and stay, then leave",
         {{Notch, 0ms, {true, false}}, {Notch, 80ms, {true, true}}, {Outside, 0ms, {true, false}},
          {Outside, 20ms, {true, false}}, {Outside, 100ms, {false, false}}}},
        {"brush through faster than the content delay",
         {{Notch, 0ms, {true, false}}, {Outside, 0ms, {true, false}}, {Outside, 120ms, {false, false}}}},
        {"return before the width shrinks",
         {{Notch, 80ms, {true, true}}, {Outside, 20ms, {true, false}}, {Notch, 0ms, {true, false}},
          {Notch, 120ms, {true, true}}}},
        {"staying outside does nothing", {{Outside, 80ms, {false, false}}}},
    };
    for (const auto &c : cases) {
        PanelHarness h;
        h.controller->show();
        for (const Step &step : c.steps) {
            h.moveTo(step.where == Notch ? h.notchCentre() : QPoint(h.frame().left() - 50, 700));
            h.run(step.wait);
            expectLooks(h, step.after, c.path);
        }
    }
}

TEST(NotchPanelHover, OnlyAnOpenOrMovingPanelFollowsThePointer)
{
    PanelHarness h;
    h.controller->show();
    const QPoint away(5, 590);
    auto windowReportsEntry = [&h] {
        h.pointer = h.notchCentre();
        QEnterEvent enter(QPointF(h.notchCentre() - h.frame().topLeft()), QPointF(h.notchCentre()),
                          QPointF(h.notchCentre()));
        QCoreApplication::sendEvent(h.panel().windowHandle(), &enter);
    };
    const struct {
        const char *step;
        std::function<void()> act;
        bool following;
        bool accepts; // false: every pointer event falls through the whole window
        Looks looks;
    } steps[] = {
        {"resting, pointer beside the notch", [&] { h.moveTo(h.besideNotch()); }, false, true, {false, false}},
        {"the window reports the pointer entering", windowReportsEntry, true, true, {true, false}},
        {"stayed", [&] { h.run(80ms); }, true, true, {true, true}},
        {"left: the closing notch lets the pointer through", [&] { h.moveTo(away); }, true, false, {true, false}},
        {"closed: resting again", [&] { h.run(120ms); }, false, true, {false, false}},
        {"an editor holds it open",
         [&] {
             h.controller->setEditorOpen(true);
             h.moveTo(away);
         },
         true, false, {true, true}},
    };
    for (const auto &s : steps) {
        s.act();
        EXPECT_EQ(h.controller->isFollowingPointer(), s.following) << s.step;
        EXPECT_EQ(h.traits.acceptsPointer(&h.panel()), s.accepts) << s.step;
        expectLooks(h, s.looks, s.step);
    }
    h.controller->setPresentationMode(ClipboardPresentationMode::MenuBar);
    h.run(20ms);
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
        h.moveTo(QPoint(5, 590));
        h.run(100ms);
        EXPECT_TRUE(h.controller->isContentExpanded()) << c.hold << ": pointer left while held";
        c.release(h);
        EXPECT_FALSE(h.model.overlay) << c.hold;
        EXPECT_FALSE(h.controller->isContentExpanded()) << c.hold << ": closing with the pointer outside collapses";
        h.run(100ms);
        EXPECT_FALSE(h.controller->isWidthExpanded()) << c.hold;
    }
}

TEST(NotchPanelHover, NoticesSetTheCollapsedWidthAndScreenshotsHoldHover)
{
    PanelHarness h;
    h.controller->show();
    EXPECT_EQ(h.controller->compactWidth(), 96);
    h.model.setCopiedNotice(true);
    EXPECT_EQ(h.controller->compactWidth(), 160);
    EXPECT_EQ(h.panel().drawnRegion().boundingRect().width(), 160);

    ClipboardEntry shot;
    shot.id = QStringLiteral("SHOT");
    shot.kind = ClipboardKind::Image;
    shot.isScreenshot = true;
    h.model.setNotice(shot);
    EXPECT_EQ(h.controller->compactWidth(), 280);
    // Without a loadable image the preview is 160 high, the notice 94 more.
    EXPECT_EQ(h.controller->drawnNotchSize(), QSizeF(280, 254));
    h.moveTo(h.notchCentre());
    EXPECT_TRUE(h.traits.acceptsPointer(&h.panel())) << "the notice itself takes clicks";
    EXPECT_FALSE(h.controller->isWidthExpanded()) << "a screenshot notice does not react to hover";
    // Clicks beside the notice pass through: the resting window takes the pointer only within
    // its drawn shape.
    const QPoint beside(h.frame().left() + 10, 10);
    h.moveTo(beside);
    EXPECT_FALSE(h.panel().drawnRegion().contains(beside - h.frame().topLeft()));
    EXPECT_FALSE(h.controller->isFollowingPointer());
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
    h.run(100ms); // pointer still resting on the notch
    EXPECT_FALSE(h.controller->isWidthExpanded()) << "a resting pointer does not re-open it";

    h.moveTo(QPoint(5, 590));
    h.moveTo(h.notchCentre());
    EXPECT_TRUE(h.controller->isWidthExpanded()) << "after one tick outside hover works again";
}

TEST(NotchPanelHover, OpenMenusHoldOnlyAnExpandedPanel)
{
    PanelHarness h;
    h.controller->show();
    QMenu stretchedMenu;
    h.moveTo(h.notchCentre());
    h.controller->menuDidOpen(&stretchedMenu);
    h.moveTo(QPoint(5, 590));
    h.run(100ms);
    EXPECT_FALSE(h.controller->isWidthExpanded()) << "a menu opened while only stretched does not hold";
    h.controller->menuDidClose(&stretchedMenu);

    QMenu menu;
    h.moveTo(h.notchCentre());
    h.run(80ms);
    ASSERT_TRUE(h.controller->isContentExpanded());
    h.controller->menuDidOpen(&menu);
    h.pointer = QPoint(5, 590);
    h.run(100ms);
    EXPECT_TRUE(h.controller->isContentExpanded()) << "held while the menu is tracked";
    h.controller->menuDidClose(&menu);
    EXPECT_FALSE(h.controller->isContentExpanded()) << "closing with the pointer outside collapses at once";
}

TEST(NotchPanelHover, DrawnRegionFollowsTheWidthAnimation)
{
    NotchHoverTimings timings = shortHoverTimings();
    timings.widenAnimation = 60ms;
    PanelHarness h({}, timings);
    h.controller->show();
    h.moveTo(h.notchCentre());
    EXPECT_TRUE(h.controller->isWidthExpanded()) << "the flag is set at once";
    EXPECT_LT(h.controller->drawnNotchSize().width(), 450) << "the drawing catches up over the animation";
    h.run(120ms);
    EXPECT_EQ(h.controller->drawnNotchSize().width(), 450);
    EXPECT_EQ(h.panel().drawnRegion().boundingRect().width(), 450);
}

TEST(NotchPanelHover, HitRegionHasTheSizeOfEachState)
{
    // Each probe runs on a fresh panel: the tick answers the pointer question with the
    // state as it stands, before hover acts on the answer.
    ClipboardEntry shot;
    shot.id = QStringLiteral("SHOT");
    shot.kind = ClipboardKind::Image;
    shot.isScreenshot = true;
    const QPoint outside(5, 590);
    const struct {
        const char *state;
        std::function<void(PanelHarness &)> setUp;
        QSize visible;
    } states[] = {
        {"collapsed", [](PanelHarness &) {}, {96, 40}},
        {"copied notice", [](PanelHarness &h) { h.model.setCopiedNotice(true); }, {160, 40}},
        {"stretched", [](PanelHarness &h) { h.moveTo(h.notchCentre()); }, {450, 40}},
        {"expanded", [](PanelHarness &h) { h.controller->toggleExpanded(); }, {450, 460}},
        {"collapsing, the width not yet shrunk",
         [outside](PanelHarness &h) {
             h.controller->toggleExpanded();
             h.moveTo(outside);
             ASSERT_TRUE(h.controller->isWidthExpanded());
         },
         {96, 40}},
        {"screenshot notice", [shot](PanelHarness &h) { h.model.setNotice(shot); }, {280, 160 + 94}},
    };
    enum Probe { InsideLeftEdge, LeftOfIt, AboveTheBottom, BelowIt };
    for (const auto &s : states) {
        for (Probe probe : {InsideLeftEdge, LeftOfIt, AboveTheBottom, BelowIt}) {
            PanelHarness h;
            h.controller->show();
            s.setUp(h);
            const QRect frame = h.frame();
            const int left = frame.x() + (frame.width() - s.visible.width()) / 2;
            const int centre = frame.x() + frame.width() / 2;
            const QPoint point = probe == InsideLeftEdge ? QPoint(left + 1, frame.top() + 2)
                : probe == LeftOfIt                      ? QPoint(left - 2, frame.top() + 2)
                : probe == AboveTheBottom                ? QPoint(centre, frame.top() + s.visible.height() - 2)
                                                         : QPoint(centre, frame.top() + s.visible.height() + 1);
            h.moveTo(point);
            const bool inside = probe == InsideLeftEdge || probe == AboveTheBottom;
            EXPECT_EQ(takesPointerAt(h, point), inside) << s.state << ", probe " << probe;
        }
    }
}
