// Quick Access in notch mode: the panel moves to the centre of the screen and back.
#include "shell/PanelHarness.h"

#include <QJsonObject>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

QJsonObject completedGuide()
{
    return QJsonObject{{QStringLiteral("tarnel.onboardingComplete"), true}};
}

} // namespace

TEST(NotchPanelQuickAccess, OpensCentredOnTheScreenSizedToItsContent)
{
    PanelHarness h(completedGuide());
    h.controller->show();
    const RunningApplication editor{9, 900, QStringLiteral("Editor")};
    h.workspace.setApplications({editor});
    h.workspace.setFrontmostApplication(editor);
    h.model.tab = ClipboardPanelTab::Pins;
    h.model.items = 4;

    h.controller->openQuickAccess(false);
    EXPECT_TRUE(h.controller->isAtCursor());
    EXPECT_TRUE(h.model.quickAccess);
    EXPECT_EQ(h.model.target, editor);
    EXPECT_EQ(h.model.tab, ClipboardPanelTab::History);
    EXPECT_FALSE(h.model.pasteAs);
    EXPECT_EQ(h.model.firstSelections, 0);
    const QRect visible = QGuiApplication::primaryScreen()->availableGeometry();
    const QSize size = h.controller->quickAccessSize().toSize();
    EXPECT_EQ(size, QSize(350, 308));
    EXPECT_EQ(h.frame().size(), size);
    EXPECT_EQ(h.frame().topLeft(), QPoint(visible.x() + (visible.width() - size.width()) / 2,
                                          visible.y() + (visible.height() - size.height()) / 2));
    EXPECT_TRUE(h.panel().isVisible());
    EXPECT_FALSE(h.controller->isPointerPassingThrough());

    // The same form again does nothing; the paste-as form re-opens, keeping the first tab.
    h.model.firstSelections = 0;
    h.controller->openQuickAccess(false);
    EXPECT_EQ(h.model.firstSelections, 0);
    h.controller->openQuickAccess(true);
    EXPECT_TRUE(h.model.pasteAs);
    EXPECT_EQ(h.model.firstSelections, 1);
    EXPECT_EQ(h.model.searchFocusRequests, 1);

    // The list grows: the panel follows, still centred.
    h.model.items = 9;
    h.controller->refreshQuickAccessLayout();
    EXPECT_EQ(h.frame().size(), QSize(350, 408));
    EXPECT_EQ(h.frame().top(), visible.y() + (visible.height() - 408) / 2);

    // Dismissed: back under the notch, the tab from before, the editor in front again.
    h.controller->dismissQuickAccess();
    EXPECT_FALSE(h.controller->isAtCursor());
    EXPECT_EQ(h.model.tab, ClipboardPanelTab::Pins);
    EXPECT_EQ(h.frame().top(), QGuiApplication::primaryScreen()->geometry().top());
}

TEST(NotchPanelQuickAccess, OverTarnelItselfThereIsNoTarget)
{
    PanelHarness h(completedGuide());
    h.controller->show();
    h.workspace.setFrontmostApplication(RunningApplication{3, h.workspace.ownPid(), QStringLiteral("Tarnel")});
    h.controller->openQuickAccess(true);
    EXPECT_EQ(h.model.target, std::nullopt);
    EXPECT_TRUE(h.model.context.isEmpty());
}

// Quick Access ends when another window takes the keyboard. A click into a third window gives
// that window the keyboard, and it keeps it; only a dismissal of Quick Access itself gives the
// keyboard back to the application it was opened over.
TEST(NotchPanelQuickAccess, TheKeyboardStaysWithTheWindowTheUserClicked)
{
    PanelHarness h(completedGuide());
    h.controller->show();
    const RunningApplication editor{9, 900, QStringLiteral("Editor")};
    const RunningApplication browser{10, 1000, QStringLiteral("Browser")};
    h.workspace.setApplications({editor, browser});
    h.workspace.setFrontmostApplication(editor);

    h.controller->openQuickAccess(false);
    ASSERT_EQ(h.model.target, editor);
    h.workspace.setFrontmostApplication(browser);
    Q_EMIT qGuiApp->applicationStateChanged(Qt::ApplicationInactive);
    EXPECT_FALSE(h.controller->isAtCursor());
    EXPECT_FALSE(h.model.quickAccess);
    EXPECT_TRUE(h.workspace.activations().isEmpty()) << "the editor took the keyboard from the clicked window";
    EXPECT_FALSE(h.model.target.has_value());

    // Closed by the user (Escape, its close button): the editor gets the keyboard back.
    h.workspace.setFrontmostApplication(editor);
    h.controller->openQuickAccess(false);
    h.controller->dismissQuickAccess();
    EXPECT_EQ(h.workspace.activations(), QList<RunningApplication>{editor});
    // Moving between Tarnel's own windows keeps Quick Access open.
    h.controller->openQuickAccess(false);
    Q_EMIT qGuiApp->applicationStateChanged(Qt::ApplicationActive);
    EXPECT_TRUE(h.controller->isAtCursor());
    EXPECT_TRUE(h.model.quickAccess);
}

TEST(NotchPanelQuickAccess, StaysWithTheKeyboardAndClosesWithoutIt)
{
    NotchHoverTimings timings = shortHoverTimings();
    timings.quickAccessKeyboardWait = 40ms;
    PanelHarness h(completedGuide(), timings);
    h.controller->show();
    const RunningApplication editor{9, 900, QStringLiteral("Editor")};
    h.workspace.setApplications({editor});
    h.workspace.setFrontmostApplication(editor);

    // A desktop that refuses to move the keyboard (it marks the window instead): Quick Access
    // does not stand there unusable, and the editor gets the keyboard back.
    QWidget elsewhere; // where the keyboard is when the shortcut is pressed
    elsewhere.show();
    elsewhere.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return elsewhere.isActiveWindow(); }, 2000));
    h.controller->openQuickAccess(false);
    QCoreApplication::processEvents();
    elsewhere.activateWindow(); // the keyboard stays where it was
    ASSERT_TRUE(QTest::qWaitFor([&] { return elsewhere.isActiveWindow(); }, 2000));
    EXPECT_TRUE(h.controller->isAtCursor());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !h.controller->isAtCursor(); }, 2000));
    EXPECT_FALSE(h.model.quickAccess);
    EXPECT_EQ(h.workspace.activations().value(0), editor);

    // Given the keyboard, it stays open past the wait, also while a window of its own (a save
    // dialog) has it.
    h.controller->openQuickAccess(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return h.panel().isActiveWindow(); }, 2000));
    QWidget dialog(&h.panel(), Qt::Dialog);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.isActiveWindow(); }, 2000));
    bool waitOver = false;
    QTimer::singleShot(timings.quickAccessKeyboardWait * 3, [&waitOver] { waitOver = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return waitOver; }, 2000));
    EXPECT_TRUE(h.controller->isAtCursor());
    EXPECT_TRUE(h.model.quickAccess);
}
