#include "shell/PanelHarness.h"

#include <QSignalSpy>

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
    EXPECT_GE(h.waitForLook(false, false), 60 * 19 / 20);
    EXPECT_TRUE(content.isEmpty());

    // Entering and staying opens the content after its delay; leaving hides it at once and
    // the width after its own delay.
    h.moveTo(h.notchCentre());
    EXPECT_GE(h.waitForLook(true, true), 40 * 19 / 20);
    h.moveTo(kOutside);
    EXPECT_FALSE(h.controller->isContentExpanded());
    EXPECT_TRUE(h.controller->isWidthExpanded());
    // Coming back before the width shrinks keeps it and opens the content again.
    h.moveTo(h.notchCentre());
    EXPECT_TRUE(h.controller->isWidthExpanded());
    EXPECT_GE(h.waitForLook(true, true), 40 * 19 / 20);
    h.moveTo(kOutside);
    EXPECT_GE(h.waitForLook(false, false), 60 * 19 / 20);
}

TEST(NotchPanelHover, PointerPassesThroughExceptOverTheNotch)
{
    PanelHarness h;
    h.controller->show();
    const struct {
        const char *where;
        QPoint point;
        bool accepts;
    } cases[] = {
        {"beside the collapsed notch, on the panel window", h.besideNotch(), false},
        {"on the notch", h.notchCentre(), true},
        {"far away", kOutside, false},
    };
    for (const auto &c : cases) {
        h.moveTo(c.point);
        EXPECT_EQ(h.traits.acceptsPointer(&h.panel()), c.accepts) << c.where;
        EXPECT_EQ(h.controller->isPointerPassingThrough(), !c.accepts) << c.where;
    }
    // The window system is asked only when the answer changes, not on every beat.
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

