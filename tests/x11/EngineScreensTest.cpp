// End to end: the real model on the real desktop backends imports screenshot files dropped
// into a watched folder, and turns text read from a dragged screen region into a history
// entry and the clipboard's content.
#include "engine/ClipboardModel.h"
#include "platform/ScreenTextCapture.h"
#include "platform/ScreenshotFolderMonitor.h"
#include "platform/x11/LinuxFolderWatcher.h"
#include "platform/x11/LinuxQrDetector.h"
#include "platform/x11/LinuxScreenshotLocation.h"
#include "platform/x11/LinuxSettingsStore.h"
#include "platform/x11/LinuxTextRecognizer.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/X11RegionCapture.h"
#include "platform/x11/X11Workspace.h"

#include "platform/CaptureTestWait.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QWidget>
#include <QWindow>

#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>

#include <memory>

using namespace std::chrono_literals;

namespace {

// Runs a program to its end while this process keeps answering the X server (the clipboard
// owner is this process); its standard output, or nothing when it failed.
std::optional<QByteArray> run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted(5000))
        return std::nullopt;
    if (!waitUntil([&] { return process.state() == QProcess::NotRunning; }, 10s)) {
        process.kill();
        process.waitForFinished(2000);
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    return process.readAllStandardOutput();
}

QByteArray screenshotPng()
{
    QImage image(640, 400, QImage::Format_RGB32);
    image.fill(QColor(30, 60, 90));
    QPainter painter(&image);
    painter.fillRect(40, 40, 300, 200, QColor(240, 200, 20));
    painter.end();
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return out;
}

// The model with everything real, its settings in the test's private XDG folders.
struct RealModel {
    QString settingsPath = LinuxSettingsStore::defaultPath();
    LinuxSettingsStore settings{settingsPath};
    X11Pasteboard pasteboard;
    X11Workspace workspace;
    LinuxScreenshotLocation screenshotLocation;
    std::unique_ptr<ClipboardModel> model;

    RealModel()
    {
        ClipboardModelServices services;
        services.pasteboard = &pasteboard;
        services.settings = &settings;
        services.workspace = &workspace;
        services.screenshotLocation = &screenshotLocation;
        services.screenshotMonitor = std::make_unique<ScreenshotFolderMonitor>(std::make_unique<LinuxFolderWatcher>());
        model = std::make_unique<ClipboardModel>(std::move(services));
        model->startMonitoring();
    }
};

class EngineScreens : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QDir(QFileInfo(LinuxSettingsStore::defaultPath()).absolutePath()).removeRecursively();
        QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Tarnel"))
            .removeRecursively();
    }
};

TEST_F(EngineScreens, AScreenshotWrittenInPiecesIsImportedOnceWhenComplete)
{
    QTemporaryDir shots;
    const QByteArray png = screenshotPng();
    {
        RealModel real;
        ClipboardModel &model = *real.model;
        model.setScreenshotFolder(shots.path());
        ASSERT_EQ(model.screenshotCaptureIssue(), std::nullopt);

        // The file grows in steps shorter than the check interval, so no two checks agree
        // until it is complete.
        const QString path = shots.filePath(QStringLiteral("Screenshot from 2026-12-06 10-00-00.png"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        const int steps = 10;
        for (int i = 0; i < steps; ++i) {
            const qsizetype from = png.size() * i / steps;
            const qsizetype to = png.size() * (i + 1) / steps;
            ASSERT_EQ(file.write(png.mid(from, to - from)), to - from);
            file.flush();
            turnEventLoop(200ms);
            if (i + 1 < steps) {
                ASSERT_TRUE(model.entries().isEmpty()) << "imported while still being written, after piece " << i + 1;
            }
        }
        file.close();
        ASSERT_TRUE(waitUntil([&] { return !model.entries().isEmpty(); }, 10s));
        const ClipboardEntry entry = model.entries().first();
        EXPECT_TRUE(entry.isScreenshot);
        EXPECT_EQ(entry.sourceApp, QStringLiteral("Screenshot"));
        EXPECT_EQ(entry.screenshotFileURL, path);
        EXPECT_EQ(model.imageData(entry), png);

        // Touching the file again adds nothing.
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.close();
        turnEventLoop(1500ms);
        EXPECT_EQ(model.entries().size(), 1);

        // A file that is not an image is left out; one in private mode too.
        QFile text(shots.filePath(QStringLiteral("Screenshot notes.png")));
        ASSERT_TRUE(text.open(QIODevice::WriteOnly));
        text.write("not pixels");
        text.close();
        model.setIsPrivateMode(true);
        QFile privateShot(shots.filePath(QStringLiteral("Screenshot private.png")));
        ASSERT_TRUE(privateShot.open(QIODevice::WriteOnly));
        privateShot.write(png);
        privateShot.close();
        ASSERT_TRUE(waitUntil([&] { return !model.screenshotImportPaths().isEmpty(); }, 5s));
        // Ten checks of the text file, then it is given up.
        EXPECT_TRUE(waitUntil([&] { return model.screenshotImportPaths().isEmpty(); }, 10s));
        EXPECT_EQ(model.entries().size(), 1);
    }
    // The entry, the folder and the switch were written for the next start.
    RealModel again;
    ASSERT_EQ(again.model->entries().size(), 1);
    EXPECT_TRUE(again.model->entries().first().isScreenshot);
    EXPECT_EQ(again.model->screenshotFolderPath(), shots.path());
    EXPECT_TRUE(again.model->automaticScreenshotCapture());
    EXPECT_EQ(again.model->screenshotFolderMonitor()->folder(), shots.path());
}

TEST_F(EngineScreens, TheScreenshotFolderChoiceAndItsProblemsHoldAcrossStarts)
{
    QTemporaryDir root;
    const QString gone = root.filePath(QStringLiteral("gone"));
    {
        RealModel real;
        real.model->setScreenshotFolder(gone);
        EXPECT_EQ(real.model->screenshotCaptureIssue(), ClipboardModel::screenshotFolderNotOpenedIssue);
    }
    {
        RealModel real;
        EXPECT_EQ(real.model->screenshotFolderPath(), gone);
        EXPECT_EQ(real.model->screenshotCaptureIssue(), ClipboardModel::screenshotFolderNotOpenedIssue)
            << "recomputed when monitoring starts";
        real.model->setAutomaticScreenshotCapture(false);
        EXPECT_EQ(real.model->screenshotCaptureIssue(), std::nullopt);
    }
    RealModel real;
    EXPECT_FALSE(real.model->automaticScreenshotCapture());
    EXPECT_EQ(real.model->screenshotCaptureIssue(), std::nullopt);
    ASSERT_TRUE(QDir().mkpath(gone));
    real.model->setScreenshotFolder(gone);
    EXPECT_EQ(real.model->screenshotCaptureIssue(), std::nullopt);
    EXPECT_TRUE(real.model->automaticScreenshotCapture());
}

// A screenshot with a line of text and two QR codes, as PNG bytes.
QByteArray screenshotWithTextAndCodes(const QList<std::string> &payloads)
{
    QImage image(1400, 600, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(40);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(40, 80, QStringLiteral("Objednávka 2026 je pripravená"));
    int x = 40;
    for (const std::string &payload : payloads) {
        const ZXing::BitMatrix matrix =
            ZXing::MultiFormatWriter(ZXing::BarcodeFormat::QRCode).setMargin(4).setEncoding(ZXing::CharacterSet::UTF8).encode(payload, 300, 300);
        for (int y = 0; y < matrix.height(); ++y) {
            for (int mx = 0; mx < matrix.width(); ++mx)
                painter.fillRect(x + mx, 200 + y, 1, 1, matrix.get(mx, y) ? Qt::black : Qt::white);
        }
        x += 500;
    }
    painter.end();
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return out;
}

TEST_F(EngineScreens, TextAndQrCodesOfAnImportedScreenshotAreFiledWhereTheUserSaysAndPersist)
{
    QTemporaryDir shots;
    const std::string web = "https://example.sk/objednavka/2026";
    const std::string wifi = "WIFI:S:Kaviareň;T:WPA;P:tajné;;";
    QString textID;
    QStringList qrIDs;
    {
        RealModel real;
        ClipboardModel &model = *real.model;
        model.setScreenshotFolder(shots.path());
        QFile file(shots.filePath(QStringLiteral("Screenshot codes.png")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(screenshotWithTextAndCodes({web, wifi}));
        file.close();
        ASSERT_TRUE(waitUntil([&] { return !model.entries().isEmpty(); }, 10s));
        const QImage image = QImage::fromData(*model.imageData(model.entries().first()));
        ASSERT_FALSE(image.isNull());

        // What the screenshot text sheet does with the recognisers' results.
        LinuxTextRecognizer recognizer;
        QFuture<TextRecognitionResult> text = recognizer.recognize(image);
        ASSERT_TRUE(waitUntil([&] { return text.isFinished(); }, 60s));
        ASSERT_TRUE(text.result().ok()) << text.result().error.toStdString();
        const QString recognised = *text.result().text;
        EXPECT_TRUE(recognised.contains(QStringLiteral("pripravená"))) << recognised.toStdString();
        const QStringList codes = LinuxQrDetector::detectNow(image);
        ASSERT_EQ(codes.size(), 2);

        const QString base = ClipboardEntry::newID();
        textID = base;
        EXPECT_TRUE(model.saveScreenshotText(recognised, base, OCRTextDestination::History));
        const OCRTextDestination destinations[] = {OCRTextDestination::PasteStack, OCRTextDestination::Pins};
        for (int i = 0; i < codes.size(); ++i) {
            qrIDs.append(base + QStringLiteral("-qr-%1").arg(i));
            EXPECT_TRUE(model.saveScreenshotText(codes[i], qrIDs.last(), destinations[i]));
        }
        EXPECT_EQ(model.entries().size(), 4);
    }
    RealModel again;
    ClipboardModel &model = *again.model;
    auto find = [&model](const QString &id) {
        const auto it = std::find_if(model.entries().cbegin(), model.entries().cend(),
                                     [&id](const ClipboardEntry &entry) { return entry.id == id; });
        return it == model.entries().cend() ? std::optional<ClipboardEntry>() : std::optional<ClipboardEntry>(*it);
    };
    ASSERT_TRUE(find(textID).has_value());
    EXPECT_TRUE(find(textID)->text.contains(QStringLiteral("Objednávka")));
    EXPECT_EQ(find(textID)->sourceApp, QStringLiteral("Tarnel OCR"));
    ASSERT_EQ(qrIDs.size(), 2);
    const std::optional<ClipboardEntry> stacked = find(qrIDs[0]);
    const std::optional<ClipboardEntry> pinned = find(qrIDs[1]);
    ASSERT_TRUE(stacked && pinned);
    EXPECT_EQ(model.pasteStackEntryIDs(), QStringList{qrIDs[0]});
    EXPECT_TRUE(pinned->isPinned);
    EXPECT_FALSE(stacked->isPinned);
    // Each code's payload, whichever was detected first.
    const QSet<QString> payloads{stacked->text, pinned->text};
    EXPECT_EQ(payloads, (QSet<QString>{QString::fromStdString(web), QString::fromUtf8(wifi.c_str())}));
}

// A window of this process showing known text, black on white.
class TextWindow : public QWidget
{
public:
    TextWindow(QString text, QRect geometry)
        : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::BypassWindowManagerHint), m_text(std::move(text))
    {
        setGeometry(geometry);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
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

QWidget *visibleOverlay()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String("TarnelRegionOverlay") && widget->isVisible()
            && widget->windowHandle() && widget->windowHandle()->isExposed())
            return widget;
    }
    return nullptr;
}

QStringList drag(QPoint from, QPoint to)
{
    auto xy = [](QPoint p) { return QStringList{QString::number(p.x()), QString::number(p.y())}; };
    const QString pause = QStringLiteral("0.1");
    return QStringList{QStringLiteral("mousemove")} + xy(from)
        + QStringList{QStringLiteral("sleep"), pause, QStringLiteral("mousedown"), QStringLiteral("1"), QStringLiteral("sleep"),
                      pause, QStringLiteral("mousemove")}
        + xy((from + to) / 2) + QStringList{QStringLiteral("sleep"), pause, QStringLiteral("mousemove")} + xy(to)
        + QStringList{QStringLiteral("sleep"), pause, QStringLiteral("mouseup"), QStringLiteral("1")};
}

TEST_F(EngineScreens, TextReadFromTheScreenBecomesAnOcrEntryAndTheClipboardWithoutBeingCapturedTwice)
{
    TextWindow words(QStringLiteral("Tarnel číta obrazovku"), QRect(200, 300, 900, 120));
    words.show();
    ASSERT_TRUE(waitUntil([&] { return words.windowHandle() && words.windowHandle()->isExposed(); }, 5s));
    turnEventLoop(300ms);

    RealModel real;
    ClipboardModel &model = *real.model;
    X11RegionCapture capture;
    LinuxTextRecognizer recognizer;
    ScreenTextCapture reader(capture, recognizer);
    std::optional<ScreenTextResult> result;
    reader.readSelection([&](const ScreenTextResult &r) {
        result = r;
        if (r.outcome == ScreenTextResult::Outcome::Text)
            model.copyScreenRecognition(r.text);
    });
    ASSERT_TRUE(waitUntil([] { return visibleOverlay() != nullptr; }, 5s));
    turnEventLoop(200ms);
    ASSERT_TRUE(run(QStringLiteral("xdotool"), drag(QPoint(190, 290), QPoint(1110, 430))));
    ASSERT_TRUE(waitUntil([&] { return result.has_value(); }, 60s));
    ASSERT_EQ(result->outcome, ScreenTextResult::Outcome::Text) << result->error.toStdString();

    ASSERT_EQ(model.entries().size(), 1);
    const ClipboardEntry entry = model.entries().first();
    EXPECT_EQ(entry.sourceApp, QStringLiteral("Tarnel OCR"));
    EXPECT_EQ(entry.text, result->text);
    EXPECT_TRUE(entry.text.contains(QStringLiteral("Tarnel"))) << entry.text.toStdString();
    EXPECT_TRUE(entry.text.contains(QStringLiteral("obrazovku"))) << entry.text.toStdString();
    EXPECT_EQ(model.selectedEntryID(), entry.id);

    // Another program reads the text from the clipboard.
    const std::optional<QByteArray> pasted =
        run(QStringLiteral("xclip"), {QStringLiteral("-o"), QStringLiteral("-selection"), QStringLiteral("clipboard")});
    ASSERT_TRUE(pasted.has_value());
    EXPECT_EQ(QString::fromUtf8(*pasted), result->text);
    // Several poll ticks later the model's own write is still not in the history twice.
    turnEventLoop(ClipboardModel::kPollInterval * 4);
    EXPECT_EQ(model.entries().size(), 1);

    // A copy by another program afterwards is recorded as usual.
    QProcess xclip;
    // -quiet keeps xclip in the foreground, so that it can be ended here.
    xclip.start(QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-quiet")});
    ASSERT_TRUE(xclip.waitForStarted(5000));
    xclip.write("copied elsewhere");
    xclip.closeWriteChannel();
    ASSERT_TRUE(waitUntil([&] { return model.entries().size() == 2; }, 10s));
    EXPECT_EQ(model.entries().first().text, QStringLiteral("copied elsewhere"));
    xclip.kill();
    xclip.waitForFinished(3000);
}

} // namespace
