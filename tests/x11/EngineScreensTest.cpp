// End to end: the real model on the real desktop backends imports screenshot files dropped
// into a watched folder, and turns text read from a dragged screen region into a history
// entry and the clipboard's content.
#include "engine/ClipboardModel.h"
#include "support/FolderEvents.h"
#include "support/TestFiles.h"
#include "platform/ScreenTextCapture.h"
#include "platform/ScreenshotFolderMonitor.h"
#include "platform/linux/LinuxFolderWatcher.h"
#include "platform/linux/LinuxScreenshotLocation.h"
#include "platform/linux/LinuxSettingsStore.h"
#include "platform/linux/SqliteHistoryStore.h"
#include "platform/linux/LinuxTextRecognizer.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/X11RegionCapture.h"
#include "platform/x11/X11Workspace.h"

#include <gtest/gtest.h>

#include "support/TestImages.h"

#include <QStandardPaths>

#include "X11TestSupport.h"

namespace {

using namespace x11test;

// A screenshot with a line of text, as PNG bytes.
QByteArray screenshotPng()
{
    QImage image(1400, 600, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(40);
    painter.setFont(font);
    painter.drawText(40, 80, QStringLiteral("Objednávka 2026 je pripravená"));
    painter.end();
    return encodedImage(image);
}

// The model with everything real, its settings in the test's private XDG folders.
struct RealModel {
    LinuxSettingsStore settings{LinuxSettingsStore::defaultPath()};
    SqliteHistoryStore history{SqliteHistoryStore::defaultPath()};
    X11Pasteboard pasteboard;
    X11Workspace workspace;
    LinuxScreenshotLocation screenshotLocation;
    std::unique_ptr<ClipboardModel> model;

    RealModel()
    {
        ClipboardModelServices services;
        services.pasteboard = &pasteboard;
        services.settings = &settings;
        services.history = &history;
        services.workspace = &workspace;
        services.screenshotLocation = &screenshotLocation;
        services.screenshotMonitor = std::make_unique<ScreenshotFolderMonitor>(std::make_unique<LinuxFolderWatcher>());
        model = std::make_unique<ClipboardModel>(std::move(services));
        model->startMonitoring();
    }
};

class EngineScreens : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir(QFileInfo(LinuxSettingsStore::defaultPath()).absolutePath()).removeRecursively();
        QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Tarnel")).removeRecursively();
    }
};

TEST_F(EngineScreens, ScreenshotsInTheWatchedFolderAreImportedOnceAndTheChoicePersists)
{
    // The half-written file is looked for within a folder event, not within the slow poll.
    if (!folderevents::systemGivesFolderEvents())
        GTEST_SKIP() << folderevents::kNoFolderEvents;
    QTemporaryDir shots;
    const QByteArray png = screenshotPng();
    const QString first = shots.filePath(QStringLiteral("Screenshot from 2026-12-06 10-00-00.png"));
    {
        RealModel real;
        ClipboardModel &model = *real.model;
        model.setScreenshotFolder(shots.path());
        ASSERT_EQ(model.screenshotCaptureIssue(), std::nullopt);

        // Half a file is no screenshot yet; the whole one is imported.
        writeFile(first, png.left(png.size() / 2));
        ASSERT_TRUE(QTest::qWaitFor([&] { return model.screenshotImportPaths().contains(first); }));
        EXPECT_TRUE(model.entries().isEmpty()) << "imported while still being written";
        writeFile(first, png);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !model.entries().isEmpty(); }, 10000));
        const ClipboardEntry entry = model.entries().first();
        EXPECT_TRUE(entry.isScreenshot);
        EXPECT_EQ(entry.sourceApp, QStringLiteral("Screenshot"));
        EXPECT_EQ(entry.screenshotFileURL, first);
        EXPECT_EQ(model.imageData(entry), png);

        // Touching the file again adds nothing, nor does a screenshot in private mode. A file
        // that is no image is checked ten times, then given up: by then the others were dealt with.
        QFile touched(first);
        ASSERT_TRUE(touched.open(QIODevice::Append));
        touched.close();
        model.setIsPrivateMode(true);
        writeFile(shots.filePath(QStringLiteral("Screenshot private.png")), png);
        const QString notes = shots.filePath(QStringLiteral("Screenshot notes.png"));
        writeFile(notes, "not pixels");
        ASSERT_TRUE(QTest::qWaitFor([&] { return model.screenshotImportPaths().contains(notes); }));
        ASSERT_TRUE(QTest::qWaitFor([&] { return model.screenshotImportPaths().isEmpty(); }, 10000));
        EXPECT_EQ(model.entries().size(), 1);
    }
    // The entry, the folder and the switch were written for the next start.
    RealModel again;
    EXPECT_EQ(again.model->entries().size(), 1);
    EXPECT_EQ(again.model->screenshotFolderPath(), shots.path());
    EXPECT_TRUE(again.model->automaticScreenshotCapture());
    EXPECT_EQ(again.model->screenshotFolderMonitor()->folder(), shots.path());
}

TEST_F(EngineScreens, TextReadFromTheScreenBecomesAnOcrEntryAndTheClipboardWithoutBeingCapturedTwice)
{
    QTemporaryDir temp;
    const QByteArray previousTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(temp.path()));
    PatternWindow words(QRect(200, 300, 900, 120), QStringLiteral("Tarnel číta obrazovku"));
    ASSERT_TRUE(words.showOnScreen());

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
    ASSERT_TRUE(waitForOverlay());
    ASSERT_EQ(drag(QPoint(190, 290), QPoint(1110, 430)), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 60000));
    ASSERT_EQ(result->outcome, ScreenTextResult::Outcome::Text) << result->error.toStdString();
    EXPECT_EQ(QDir(temp.path()).entryList({QStringLiteral("tarnel-ocr-*")}, QDir::AllEntries), QStringList())
        << "the selection's temporary folder is gone";
    qputenv("TMPDIR", previousTmp);

    ASSERT_EQ(model.entries().size(), 1);
    const ClipboardEntry entry = model.entries().first();
    EXPECT_EQ(entry.sourceApp, QStringLiteral("Tarnel OCR"));
    EXPECT_EQ(entry.text, result->text);
    EXPECT_TRUE(entry.text.contains(QStringLiteral("Tarnel"))) << entry.text.toStdString();
    EXPECT_TRUE(entry.text.contains(QStringLiteral("obrazovku"))) << entry.text.toStdString();
    EXPECT_EQ(model.selectedEntryID(), entry.id);
    EXPECT_EQ(readClipboard(), result->text) << "another program reads the text from the clipboard";

    // A copy by another program afterwards is recorded as usual, and the model's own write
    // before it is still not in the history twice.
    ClipboardOwner elsewhere(QStringLiteral("copied elsewhere"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.entries().size() > 1; }, 10000));
    ASSERT_EQ(model.entries().size(), 2);
    EXPECT_EQ(model.entries().first().text, QStringLiteral("copied elsewhere"));
}

} // namespace
