// The region overlay driven by real pointer and key events (xdotool) on Xvfb.
#include "platform/ScreenTextCapture.h"
#include "platform/x11/LinuxTextRecognizer.h"
#include "platform/x11/X11RegionCapture.h"

#include "platform/CaptureTestWait.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

const QRect kPatternGeometry(100, 100, 400, 200);
const QRgb kLeft = qRgb(220, 30, 30);
const QRgb kRight = qRgb(30, 30, 220);

// A window of this process at a known place: red on its left half, blue on its right half,
// or black text on white.
class PatternWindow : public QWidget
{
public:
    explicit PatternWindow(QString text = QString(), QRect geometry = kPatternGeometry)
        : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::BypassWindowManagerHint), m_text(std::move(text))
    {
        setGeometry(geometry);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        if (m_text.isEmpty()) {
            painter.fillRect(0, 0, width() / 2, height(), QColor(kLeft));
            painter.fillRect(width() / 2, 0, width() - width() / 2, height(), QColor(kRight));
            return;
        }
        painter.fillRect(rect(), Qt::white);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(40);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(rect(), Qt::AlignCenter, m_text);
    }

private:
    QString m_text;
};

void showAndSettle(QWidget &window)
{
    window.show();
    ASSERT_TRUE(waitUntil([&] { return window.windowHandle() && window.windowHandle()->isExposed(); }, 5s));
    turnEventLoop(300ms); // let the server draw it before it is grabbed
}

QWidget *visibleOverlay()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String("TarnelRegionOverlay") && widget->isVisible()
            && widget->windowHandle() && widget->windowHandle()->isExposed())
            return widget;
    }
    return nullptr;
}

// Runs xdotool while this process keeps answering the X server.
bool xdotool(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    if (!process.waitForStarted(5000))
        return false;
    const bool done = waitUntil([&] { return process.state() == QProcess::NotRunning; }, 10s);
    if (!done) {
        process.kill();
        process.waitForFinished(2000);
        return false;
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QStringList drag(QPoint from, QPoint to)
{
    const QPoint middle = (from + to) / 2;
    auto xy = [](QPoint p) { return QStringList{QString::number(p.x()), QString::number(p.y())}; };
    return QStringList{QStringLiteral("mousemove")} + xy(from)
        + QStringList{QStringLiteral("sleep"), QStringLiteral("0.1"), QStringLiteral("mousedown"), QStringLiteral("1"),
                      QStringLiteral("sleep"), QStringLiteral("0.1"), QStringLiteral("mousemove")}
        + xy(middle) + QStringList{QStringLiteral("sleep"), QStringLiteral("0.1"), QStringLiteral("mousemove")} + xy(to)
        + QStringList{QStringLiteral("sleep"), QStringLiteral("0.1"), QStringLiteral("mouseup"), QStringLiteral("1")};
}

struct Outcome {
    bool reported = false;
    int calls = 0;
    RegionCaptureOutcome outcome = RegionCaptureOutcome::Failed;
    QString error;
};

RegionCapture::Done recordInto(Outcome &outcome)
{
    return [&outcome](RegionCaptureOutcome result, const QString &error) {
        outcome.reported = true;
        ++outcome.calls;
        outcome.outcome = result;
        outcome.error = error;
    };
}

TEST(X11RegionCapture, ADragSavesExactlyTheSelectedPartOfTheScreen)
{
    PatternWindow pattern;
    showAndSettle(pattern);
    QTemporaryDir temp;
    // Both directions of the drag select the same rectangle: 200 x 100 pixels whose left
    // 150 columns lie over the red half and the rest over the blue half.
    const struct {
        const char *name;
        QPoint from;
        QPoint to;
    } cases[] = {
        {"down and right", QPoint(150, 150), QPoint(350, 250)},
        {"up and left", QPoint(350, 250), QPoint(150, 150)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        X11RegionCapture capture;
        const QString path = temp.filePath(QString::fromLatin1(c.name) + QStringLiteral(".png"));
        Outcome outcome;
        capture.captureRegion(path, recordInto(outcome));
        ASSERT_TRUE(waitUntil([] { return visibleOverlay() != nullptr; }, 5s));
        turnEventLoop(200ms);
        ASSERT_TRUE(xdotool(drag(c.from, c.to)));
        ASSERT_TRUE(waitUntil([&] { return outcome.reported; }, 10s));
        EXPECT_EQ(outcome.outcome, RegionCaptureOutcome::Saved) << outcome.error.toStdString();
        EXPECT_EQ(visibleOverlay(), nullptr);

        const QImage saved(path, "PNG");
        ASSERT_FALSE(saved.isNull());
        EXPECT_EQ(saved.size(), QSize(200, 100));
        EXPECT_EQ(saved.pixel(5, 5), kLeft);
        EXPECT_EQ(saved.pixel(145, 95), kLeft);
        EXPECT_EQ(saved.pixel(155, 5), kRight);
        EXPECT_EQ(saved.pixel(195, 95), kRight);
        turnEventLoop(100ms);
        EXPECT_EQ(outcome.calls, 1);
    }
}

TEST(X11RegionCapture, EscapeCancelsAndAClickAloneSelectsNothing)
{
    QTemporaryDir temp;
    X11RegionCapture capture;
    const QString path = temp.filePath(QStringLiteral("selection.png"));
    Outcome outcome;
    capture.captureRegion(path, recordInto(outcome));
    ASSERT_TRUE(waitUntil([] { return visibleOverlay() != nullptr; }, 5s));
    turnEventLoop(200ms);

    // A second request while the overlay is up fails at once and leaves the first running.
    Outcome second;
    capture.captureRegion(temp.filePath(QStringLiteral("second.png")), recordInto(second));
    EXPECT_TRUE(second.reported);
    EXPECT_EQ(second.outcome, RegionCaptureOutcome::Failed);

    ASSERT_TRUE(xdotool({QStringLiteral("mousemove"), QStringLiteral("400"), QStringLiteral("400"), QStringLiteral("click"),
                         QStringLiteral("1")}));
    turnEventLoop(300ms);
    EXPECT_FALSE(outcome.reported) << "a click without a drag ended the capture";
    EXPECT_NE(visibleOverlay(), nullptr);

    ASSERT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("Escape")}));
    ASSERT_TRUE(waitUntil([&] { return outcome.reported; }, 10s));
    EXPECT_EQ(outcome.outcome, RegionCaptureOutcome::Cancelled);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(waitUntil([] { return visibleOverlay() == nullptr; }, 5s));

    // After a cancel the next capture starts normally; a right click cancels it too.
    Outcome third;
    capture.captureRegion(path, recordInto(third));
    ASSERT_TRUE(waitUntil([] { return visibleOverlay() != nullptr; }, 5s));
    turnEventLoop(200ms);
    ASSERT_TRUE(xdotool({QStringLiteral("mousemove"), QStringLiteral("600"), QStringLiteral("500"), QStringLiteral("click"),
                         QStringLiteral("3")}));
    ASSERT_TRUE(waitUntil([&] { return third.reported; }, 10s));
    EXPECT_EQ(third.outcome, RegionCaptureOutcome::Cancelled);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(outcome.calls, 1);
}

TEST(X11RegionCapture, DestroyingTheCaptureWhileTheOverlayIsUpCancelsIt)
{
    QTemporaryDir temp;
    Outcome outcome;
    {
        X11RegionCapture capture;
        capture.captureRegion(temp.filePath(QStringLiteral("selection.png")), recordInto(outcome));
        ASSERT_TRUE(waitUntil([] { return visibleOverlay() != nullptr; }, 5s));
    }
    ASSERT_TRUE(waitUntil([&] { return outcome.reported; }, 5s));
    EXPECT_EQ(outcome.outcome, RegionCaptureOutcome::Cancelled);
    EXPECT_TRUE(waitUntil([] { return visibleOverlay() == nullptr; }, 5s));
}

TEST(ScreenTextCapture, ReadsTheTextInADraggedRegionAndLeavesNoFolderBehind)
{
    QTemporaryDir temp;
    const QByteArray previousTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(temp.path()));
    PatternWindow words(QStringLiteral("Tarnel číta obrazovku"), QRect(200, 300, 900, 120));
    showAndSettle(words);

    X11RegionCapture capture;
    LinuxTextRecognizer recognizer;
    ScreenTextCapture reader(capture, recognizer);
    const struct {
        const char *name;
        bool drag;
    } cases[] = {{"drag over the text", true}, {"escape", false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<ScreenTextResult> result;
        reader.readSelection([&](const ScreenTextResult &r) { result = r; });
        ASSERT_TRUE(waitUntil([] { return visibleOverlay() != nullptr; }, 5s));
        turnEventLoop(200ms);
        if (c.drag)
            ASSERT_TRUE(xdotool(drag(QPoint(190, 290), QPoint(1110, 430))));
        else
            ASSERT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("Escape")}));
        ASSERT_TRUE(waitUntil([&] { return result.has_value(); }, 60s));
        if (c.drag) {
            ASSERT_EQ(result->outcome, ScreenTextResult::Outcome::Text) << result->error.toStdString();
            EXPECT_TRUE(result->text.contains(QStringLiteral("Tarnel"))) << result->text.toStdString();
            EXPECT_TRUE(result->text.contains(QStringLiteral("obrazovku"))) << result->text.toStdString();
        } else {
            EXPECT_EQ(result->outcome, ScreenTextResult::Outcome::Nothing);
        }
        EXPECT_EQ(QDir(temp.path()).entryList({QStringLiteral("tarnel-ocr-*")}, QDir::AllEntries), QStringList());
    }
    qputenv("TMPDIR", previousTmp);
}

} // namespace
