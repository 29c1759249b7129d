#include "EngineTestSupport.h"
#include "support/TestFiles.h"

#include "core/ImageSizeRule.h"
#include "core/L10n.h"
#include "core/ScreenshotStability.h"

#include <QFile>
#include <QFileInfo>
#include <QThreadPool>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

// A model whose screenshot folder is a private temporary folder that it watches.
struct ScreenshotHarness : ModelHarness {
    QTemporaryDir shots;

    ClipboardModel &makeWatching()
    {
        ClipboardModel &watching = make();
        watching.setScreenshotFolder(shots.path());
        return watching;
    }
    QString shotPath(const QString &name = QStringLiteral("Screenshot 1.png")) const { return shots.filePath(name); }
    // The folder monitor reports a new file, as its scan does.
    void report(const QString &path) { Q_EMIT model->screenshotFolderMonitor()->screenshotAdded(path); }
    // One size check: the wait passes and a read that it started comes back.
    void check()
    {
        clock.advance(ClipboardModel::kScreenshotCheckDelay);
        ASSERT_TRUE(QTest::qWaitFor([this] { return model->pendingScreenshotReads() == 0; }, 20000));
    }
    void checks(int count)
    {
        for (int i = 0; i < count; ++i)
            check();
    }
    int screenshotEntries() const
    {
        return int(std::count_if(model->entries().cbegin(), model->entries().cend(),
                                 [](const ClipboardEntry &entry) { return entry.screenshotFileURL.has_value(); }));
    }
};

TEST(ClipboardModelScreenshots, ASteadyFileBecomesOneScreenshotEntryAtTheSecondCheck)
{
    ScreenshotHarness h;
    ClipboardModel &model = h.makeWatching();
    model.setTemporaryMinutes(5); // imported screenshots never expire, whatever is set
    const QByteArray png = pngBytes(40, 30, Qt::blue);
    writeFile(h.shotPath(), png);

    h.report(h.shotPath());
    EXPECT_EQ(model.screenshotImportPaths(), QStringList{h.shotPath()});
    h.check();
    EXPECT_TRUE(model.entries().isEmpty()) << "the first check only records the size";
    h.check();

    ASSERT_EQ(model.entries().size(), 1);
    const ClipboardEntry &entry = model.entries().first();
    EXPECT_EQ(entry.sourceApp, QStringLiteral("Screenshot"));
    EXPECT_EQ(entry.kind, ClipboardKind::Image);
    EXPECT_TRUE(entry.isScreenshot);
    EXPECT_FALSE(entry.temporaryUntil.has_value());
    EXPECT_EQ(entry.screenshotFileURL, h.shotPath());
    EXPECT_EQ(entry.copiedAt, h.clock.now());
    EXPECT_EQ(model.imageData(entry), png);
    EXPECT_TRUE(model.screenshotImportPaths().isEmpty());
    ASSERT_TRUE(model.screenshotNotice().has_value());
    EXPECT_EQ(model.screenshotNotice()->id, entry.id);

    // Written through: a new model reads the same entry with its bytes from the image store.
    ASSERT_TRUE(model.flushHistory(5s));
    EXPECT_EQ(h.imageFiles().size(), 1);
    ClipboardModel &reloaded = h.make();
    ASSERT_EQ(reloaded.entries().size(), 1);
    EXPECT_EQ(reloaded.entries().first().screenshotFileURL, h.shotPath());
    EXPECT_EQ(reloaded.imageData(reloaded.entries().first()), png);
    EXPECT_TRUE(QFile::exists(h.shotPath())) << "the screenshot file is only read";
}

TEST(ClipboardModelScreenshots, TheSameFileIsNeverImportedTwice)
{
    ScreenshotHarness h;
    ClipboardModel &model = h.makeWatching();
    writeFile(h.shotPath(), pngBytes(20, 20));

    // Reported twice while its task waits: one task.
    h.report(h.shotPath());
    h.report(h.shotPath());
    EXPECT_EQ(model.screenshotImportPaths().size(), 1);
    h.checks(2);
    EXPECT_EQ(h.screenshotEntries(), 1);

    // Reported again after the import, even with new content: the path is already in the history.
    writeFile(h.shotPath(), pngBytes(25, 25, Qt::yellow));
    h.report(h.shotPath());
    h.checks(3);
    EXPECT_EQ(h.screenshotEntries(), 1);
    EXPECT_TRUE(model.screenshotImportPaths().isEmpty());
    EXPECT_EQ(model.imageData(model.entries().first()), pngBytes(20, 20));
}

TEST(ClipboardModelScreenshots, PrivateModeAndRecordingDecideAsTheirRulesSay)
{
    const struct {
        const char *name;
        bool privateMode;
        bool recording;
        bool imported;
    } cases[] = {
        {"recording off still imports screenshots", false, false, true},
        {"private mode drops the file", true, true, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ScreenshotHarness h;
        ClipboardModel &model = h.makeWatching();
        model.setIsPrivateMode(c.privateMode);
        model.setIsRecording(c.recording);
        writeFile(h.shotPath(), pngBytes(20, 20));
        h.report(h.shotPath());
        h.checks(2);
        EXPECT_TRUE(model.screenshotImportPaths().isEmpty());
        // Leaving private mode afterwards does not bring a dropped screenshot back.
        model.setIsPrivateMode(false);
        h.checks(10);
        EXPECT_EQ(h.screenshotEntries(), c.imported ? 1 : 0);
        EXPECT_EQ(h.storedHistory().size(), c.imported ? 1 : 0);
    }
}

TEST(ClipboardModelScreenshots, FilesThatCannotBeKeptAreSkippedWithOneLogLine)
{
    const QByteArray png = pngBytes(200, 100);
    const struct {
        const char *name;
        std::function<void(const QString &)> create;
        QString reason;
    } cases[] = {
        {"text with a screenshot name", [](const QString &p) { writeFile(p, QByteArrayLiteral("secret notes, not pixels")); },
         QStringLiteral("(not an image)")},
        {"above the size limit",
         [](const QString &p) {
             QFile file(p);
             ASSERT_TRUE(file.open(QIODevice::WriteOnly));
             ASSERT_TRUE(file.resize(ScreenshotStability::kMaxFileBytes + 1)); // sparse: costs no disk
         },
         QStringLiteral("too large")},
        {"a decompression bomb, refused from its header",
         [](const QString &p) { writeFile(p, pngDeclaring(30'000, 30'000)); },
         QStringLiteral("(not an image that can be kept)")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ScreenshotHarness h;
        ClipboardModel &model = h.makeWatching();
        const int writesBefore = h.settings.writeCount();
        const QString path = h.shotPath(QStringLiteral("Screenshot bad.png"));
        c.create(path);
        LogCapture log("tarnel.engine");
        h.report(path);
        h.checks(ScreenshotStability::kMaxChecks - 1);
        EXPECT_EQ(model.screenshotImportPaths(), QStringList{path}) << "retried until the last check";
        h.check();
        EXPECT_TRUE(model.screenshotImportPaths().isEmpty());
        EXPECT_TRUE(model.entries().isEmpty());
        EXPECT_TRUE(h.storedHistory().isEmpty()) << "nothing is written for a dropped file";
        const QStringList lines = log.lines();
        ASSERT_EQ(lines.size(), 1) << lines.join(u'\n').toStdString();
        EXPECT_TRUE(lines.first().contains(c.reason)) << lines.first().toStdString();
        EXPECT_TRUE(lines.first().contains(QStringLiteral("Screenshot bad.png")));
        EXPECT_FALSE(lines.first().contains(QStringLiteral("secret"))) << "file contents are never logged";
        EXPECT_EQ(h.settings.writeCount(), writesBefore) << "a dropped file writes nothing";
    }
}

// A canvas beyond what one decode holds whole is an image all the same, as its copy through the
// clipboard is: a small file of 80 or 108 megapixels is a screenshot like any other, kept byte
// for byte whether or not its format's reader can reduce it to the bound in one step.
TEST(ClipboardModelScreenshots, AScreenshotOfMoreThanTheWholeDecodeBoundIsImported)
{
    const struct {
        const char *name;
        QString file;
        QByteArray bytes;
    } cases[] = {
        {"PNG of 10000 x 8000", QStringLiteral("Screenshot large.png"), screenshotPng(10'000, 8'000)},
        {"JPEG of 12000 x 9000", QStringLiteral("Screenshot large.jpg"), hugeScreenshotJpeg()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ScreenshotHarness h;
        ClipboardModel &model = h.makeWatching();
        ASSERT_LT(c.bytes.size(), ImageSizeRule::kTargetBytes);
        writeFile(h.shotPath(c.file), c.bytes);
        LogCapture log("tarnel.engine");
        h.report(h.shotPath(c.file));
        h.checks(2);
        ASSERT_EQ(h.screenshotEntries(), 1) << log.lines().join(u'\n').toStdString();
        EXPECT_EQ(model.imageData(model.entries().first()), c.bytes);
        EXPECT_TRUE(model.screenshotImportPaths().isEmpty());
    }
}

TEST(ClipboardModelScreenshots, AReadInFlightIsDroppedWhenCancelledOrWhenTheModelIsGone)
{
    ScreenshotHarness h;
    ClipboardModel &model = h.makeWatching();
    writeFile(h.shotPath(), noisyPngAboveTarget()); // re-encoding keeps the worker busy a while
    h.report(h.shotPath());
    h.check();
    h.clock.advance(ClipboardModel::kScreenshotCheckDelay);
    ASSERT_EQ(model.pendingScreenshotReads(), 1);
    model.setAutomaticScreenshotCapture(false);
    EXPECT_EQ(model.pendingScreenshotReads(), 0);
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
    EXPECT_TRUE(model.entries().isEmpty());

    model.setAutomaticScreenshotCapture(true);
    h.report(h.shotPath());
    h.check();
    h.clock.advance(ClipboardModel::kScreenshotCheckDelay);
    ASSERT_EQ(model.pendingScreenshotReads(), 1);
    h.model.reset(); // the worker's result must not reach a model that is gone
    EXPECT_TRUE(QThreadPool::globalInstance()->waitForDone(20000));
    QCoreApplication::processEvents();
}

TEST(ClipboardModelScreenshotFolder, ProblemTextsAppearWhenTheFolderCannotBeWatchedAndClearWhenItCan)
{
    ScreenshotHarness h;
    h.settings.setText(QString::fromLatin1(kAppLanguageSettingKey), QStringLiteral("en"));
    ClipboardModel &model = h.make();
    const QString missing = h.shots.filePath(QStringLiteral("not there"));

    const struct {
        const char *name;
        std::function<void()> act;
        std::optional<QString> issue;
    } steps[] = {
        {"folder that cannot be opened", [&] { model.setScreenshotFolder(missing); },
         ClipboardModel::screenshotFolderNotOpenedIssue},
        {"a folder that can be opened", [&] { model.setScreenshotFolder(h.shots.path()); }, std::nullopt},
        {"the watched folder disappears",
         [&] {
             ASSERT_TRUE(QDir(h.shots.path()).removeRecursively());
             h.folderWatcher->emitChange();
             (void)QTest::qWaitFor([&] { return model.screenshotCaptureIssue().has_value(); });
         },
         ClipboardModel::screenshotFolderUnreadableIssue},
        {"and comes back",
         [&] {
             ASSERT_TRUE(QDir().mkpath(h.shots.path()));
             h.folderWatcher->emitChange();
             (void)QTest::qWaitFor([&] { return !model.screenshotCaptureIssue().has_value(); });
         },
         std::nullopt},
    };
    for (const auto &step : steps) {
        SCOPED_TRACE(step.name);
        step.act();
        EXPECT_EQ(model.screenshotCaptureIssue(), step.issue);
        if (step.issue) { // the stored Slovak text is a key of the English table
            EXPECT_NE(L10n::text(*step.issue), *step.issue);
        }
    }
    // The path of a folder that could not be opened is still kept.
    model.setScreenshotFolder(missing);
    EXPECT_EQ(h.settings.textValue(ClipboardModel::screenshotFolderPathKey), missing);
    EXPECT_FALSE(model.screenshotFolderMonitor()->folder().has_value());
}

TEST(ClipboardModelScreenshotFolder, OnlyTheMissingDefaultFolderIsMadeAndOnlyWhileCaptureIsOn)
{
    ScreenshotHarness h;
    ClipboardModel &model = h.make();
    model.setAutomaticScreenshotCapture(false);
    model.startMonitoring();
    EXPECT_EQ(h.screenshotLocation.madeCount, 0) << "capture off";
    model.setAutomaticScreenshotCapture(true);
    EXPECT_EQ(h.screenshotLocation.madeCount, 1);

    model.setScreenshotFolder(h.shots.filePath(QStringLiteral("unplugged")));
    EXPECT_EQ(h.screenshotLocation.madeCount, 1) << "a chosen folder is never made";
    EXPECT_FALSE(QFileInfo::exists(h.shots.filePath(QStringLiteral("unplugged"))));

    // No folder at all: the user is told.
    h.screenshotLocation.makes = false;
    h.folderWatcher->watchSucceeds = false;
    model.setScreenshotFolder(h.screenshotLocation.folder);
    EXPECT_EQ(model.screenshotCaptureIssue(), ClipboardModel::screenshotFolderNotOpenedIssue);
}

} // namespace
