// The panel as the desktop sees it: one frameless accessory window at the top centre that
// lets clicks through outside its notch, opens on hover and closes when the pointer leaves.
// gtest first: Xlib's macros (None, Bool) would break its headers.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "X11Probe.h"

using namespace X11Probe;

namespace {

const QByteArray kOnboarded = R"({"tarnel.onboardingComplete": true})";
constexpr QPoint kNotch{960, 8};
constexpr QPoint kAway{300, 900};

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(PanelWindow, IsOneFramelessPanelAboveOthersAtTopCentreWithoutTaskbarEntry)
{
    writeSettings(kOnboarded);
    movePointer(kAway);
    Program tarnel(tarnelBinary());
    const std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel) << tarnel.errorOutput().constData();

    EXPECT_TRUE(waitUntil([&] { return geometry(*panel) == QRect(735, 0, 450, 460); }))
        << "panel at " << geometry(*panel).x() << "," << geometry(*panel).y();
    EXPECT_TRUE(waitUntil([&] { return hasAtom(*panel, "_NET_WM_STATE", "_NET_WM_STATE_SKIP_TASKBAR"); }));
    EXPECT_TRUE(hasAtom(*panel, "_NET_WM_STATE", "_NET_WM_STATE_ABOVE"));
    // Motif hints: flags 2 (decorations given) with decorations 0: no frame, no title bar.
    const std::vector<unsigned long> hints = longProperty(*panel, "_MOTIF_WM_HINTS");
    ASSERT_GE(hints.size(), 3u);
    EXPECT_TRUE(hints[0] & 2);
    EXPECT_EQ(hints[2], 0u);
    EXPECT_EQ(drawnExtents(*panel), QRect(177, 0, 96, 40)) << "only the collapsed notch is drawn";
}

TEST(PanelWindow, ASecondStartMakesTheFirstQuitAndOnePanelRemains)
{
    writeSettings(kOnboarded);
    Program first(tarnelBinary());
    ASSERT_TRUE(waitForPanel()) << first.errorOutput().constData();
    Program second(tarnelBinary());
    EXPECT_TRUE(first.waitForExit(5000ms)) << "the first instance was asked to quit";
    EXPECT_EQ(first.process().exitStatus(), QProcess::NormalExit) << "it quit on its own, politely";
    EXPECT_TRUE(second.isRunning());
    EXPECT_TRUE(waitUntil([] { return viewable(windowsWithRole("tarnel-panel")).size() == 1; }));
    QThread::msleep(300);
    EXPECT_EQ(viewable(windowsWithRole("tarnel-panel")).size(), 1u);
}

TEST(PanelWindow, ClicksOutsideTheNotchReachTheWindowBelow)
{
    writeSettings(kOnboarded);
    QTemporaryDir folder;
    const QString clicks = folder.filePath(QStringLiteral("clicks.txt"));
    // Qt takes --geometry for itself (its own X11 option), in its own WxH+X+Y form.
    Program fixture(fixtureBinary(), {QStringLiteral("--clicks"), clicks, QStringLiteral("--geometry"),
                                      QStringLiteral("800x600+600+100"), QStringLiteral("--title"),
                                      QStringLiteral("Below")});
    QThread::msleep(500);
    movePointer(kAway);
    Program tarnel(tarnelBinary());
    const std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel);
    ASSERT_TRUE(waitUntil([&] { return geometry(*panel) == QRect(735, 0, 450, 460); }));

    // On the panel window, far from the collapsed notch.
    clickAt({760, 400});
    EXPECT_TRUE(waitUntil([&] { return readAll(clicks).contains("760 400"); })) << readAll(clicks).constData();

    // Over the notch the panel opens and from then on takes the clicks on its content.
    movePointer(kNotch);
    ASSERT_TRUE(waitUntil([&] { return drawnExtents(*panel).height() == 460; }, 3000ms));
    movePointer({960, 300});
    clickAt({960, 300});
    QThread::msleep(300);
    EXPECT_FALSE(readAll(clicks).contains("960 300")) << "the open panel kept that click";
    EXPECT_TRUE(fixture.isRunning()) << "starting Tarnel ends only other Tarnel instances";
}

TEST(PanelWindow, HoverOpensWithItsDelaysAndLeavingCloses)
{
    writeSettings(kOnboarded);
    movePointer(kAway);
    Program tarnel(tarnelBinary());
    const std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel);
    ASSERT_TRUE(waitUntil([&] { return drawnExtents(*panel) == QRect(177, 0, 96, 40); }));

    QElapsedTimer clock;
    movePointer(kNotch);
    clock.start();
    // The width follows at once (animated over 0.18 s), the content 0.18 s later.
    ASSERT_TRUE(waitUntil([&] { return drawnExtents(*panel).width() > 96; }, 1000ms));
    const qint64 widening = clock.elapsed();
    ASSERT_TRUE(waitUntil([&] { return drawnExtents(*panel).height() == 460; }, 2000ms));
    const qint64 opening = clock.elapsed();
    EXPECT_GE(opening, 150) << "the content waited for the pointer to stay";
    EXPECT_LT(widening, opening);
    EXPECT_TRUE(waitUntil([&] { return drawnExtents(*panel).width() == 450; }, 1000ms));

    movePointer(kAway);
    clock.restart();
    ASSERT_TRUE(waitUntil([&] { return drawnExtents(*panel).height() == 40; }, 1000ms));
    const qint64 hiding = clock.elapsed();
    ASSERT_TRUE(waitUntil([&] { return drawnExtents(*panel).width() == 96; }, 2000ms));
    const qint64 narrowing = clock.elapsed();
    EXPECT_LT(hiding, 200) << "the content hides at once";
    EXPECT_GE(narrowing, 260 + 100) << "the width waits 0.26 s, then narrows over 0.22 s";
}

TEST(PanelWindow, TheFirstStartOpensTheGuideNextToThePanel)
{
    const struct {
        const char *run;
        QByteArray settings;
        bool guide;
    } cases[] = {
        {"first start", "{}", true},
        {"guide completed", kOnboarded, false},
    };
    for (const auto &c : cases) {
        writeSettings(c.settings);
        Program tarnel(tarnelBinary());
        ASSERT_TRUE(waitForPanel()) << c.run;
        const auto guideShown = [] {
            for (Window w : viewable(windowsWithClass("Tarnel")))
                if (geometry(w).size() == QSize(760, 560) && textProperty(w, "WM_NAME") == "Tarnel")
                    return true;
            return false;
        };
        if (c.guide) {
            EXPECT_TRUE(waitUntil(guideShown, 3000ms)) << c.run;
        } else {
            QThread::msleep(500);
            EXPECT_FALSE(guideShown()) << c.run;
        }
    }
}
