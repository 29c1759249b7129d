// The region overlay driven by real pointer and key events (xdotool) on Xvfb.
#include "platform/x11/X11RegionCapture.h"

#include <gtest/gtest.h>

#include "X11TestSupport.h"

namespace {

using namespace x11test;

struct Outcome {
    int calls = 0;
    RegionCaptureOutcome outcome = RegionCaptureOutcome::Failed;
    QString error;

    RegionCapture::Done recorder()
    {
        return [this](RegionCaptureOutcome result, const QString &message) {
            ++calls;
            outcome = result;
            error = message;
        };
    }
    bool wait() { return QTest::qWaitFor([this] { return calls > 0; }, 10000); }
};

TEST(X11RegionCapture, ADragSavesExactlyTheSelectedPartOfTheScreen)
{
    PatternWindow pattern(QRect(100, 100, 400, 200));
    ASSERT_TRUE(pattern.showOnScreen());
    QTemporaryDir temp;
    // Both directions select the same 200 x 100 pixels: the left 150 columns over the red half,
    // the rest over the blue half.
    const struct {
        const char *name;
        QPoint from;
        QPoint to;
    } cases[] = {{"down and right", {150, 150}, {350, 250}}, {"up and left", {350, 250}, {150, 150}}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        X11RegionCapture capture;
        const QString path = temp.filePath(QString::fromLatin1(c.name) + QStringLiteral(".png"));
        Outcome outcome;
        capture.captureRegion(path, outcome.recorder());
        ASSERT_TRUE(waitForOverlay());
        ASSERT_EQ(drag(c.from, c.to), 0);
        ASSERT_TRUE(outcome.wait());
        EXPECT_EQ(outcome.outcome, RegionCaptureOutcome::Saved) << outcome.error.toStdString();
        EXPECT_EQ(outcome.calls, 1);
        EXPECT_TRUE(QTest::qWaitFor(overlayGone));

        const QImage saved(path, "PNG");
        ASSERT_EQ(saved.size(), QSize(200, 100));
        EXPECT_EQ(saved.pixel(5, 5), PatternWindow::kLeft);
        EXPECT_EQ(saved.pixel(145, 95), PatternWindow::kLeft);
        EXPECT_EQ(saved.pixel(155, 5), PatternWindow::kRight);
        EXPECT_EQ(saved.pixel(195, 95), PatternWindow::kRight);
    }
}

TEST(X11RegionCapture, EscapeRightClickOrTheEndOfTheCaptureCancelAndAClickAloneSelectsNothing)
{
    QTemporaryDir temp;
    const QString path = temp.filePath(QStringLiteral("selection.png"));
    auto capture = std::make_unique<X11RegionCapture>();
    Outcome outcome;
    capture->captureRegion(path, outcome.recorder());
    ASSERT_TRUE(waitForOverlay());

    // A second request while the overlay is up fails at once and leaves the first running.
    Outcome second;
    capture->captureRegion(temp.filePath(QStringLiteral("second.png")), second.recorder());
    EXPECT_EQ(second.calls, 1);
    EXPECT_EQ(second.outcome, RegionCaptureOutcome::Failed);

    // A click without a drag, then Escape: the one report is the cancel.
    clickAt({400, 400});
    ASSERT_EQ(xdotool({"key", "Escape"}), 0);
    ASSERT_TRUE(outcome.wait());
    EXPECT_EQ(outcome.outcome, RegionCaptureOutcome::Cancelled) << "a click without a drag ended the capture";
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(QTest::qWaitFor(overlayGone));

    // The next capture starts normally; a right click cancels it too.
    Outcome third;
    capture->captureRegion(path, third.recorder());
    ASSERT_TRUE(waitForOverlay());
    clickAt({600, 500}, 3);
    ASSERT_TRUE(third.wait());
    EXPECT_EQ(third.outcome, RegionCaptureOutcome::Cancelled);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(outcome.calls, 1);

    // Destroying the capture while the overlay is up cancels it.
    Outcome fourth;
    capture->captureRegion(path, fourth.recorder());
    ASSERT_TRUE(waitForOverlay());
    capture.reset();
    ASSERT_TRUE(fourth.wait());
    EXPECT_EQ(fourth.outcome, RegionCaptureOutcome::Cancelled);
    EXPECT_TRUE(QTest::qWaitFor(overlayGone));
}

} // namespace
