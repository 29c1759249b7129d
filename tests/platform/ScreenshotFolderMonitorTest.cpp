#include "platform/ScreenshotFolderMonitor.h"
#include "support/TestFiles.h"
#include "core/ScreenshotNames.h"
#include "platform/fake/FakeFolderWatcher.h"
#include "platform/linux/LinuxFolderWatcher.h"
#include "support/FakeModelClock.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

constexpr auto kNeverPoll = std::chrono::hours(1);

// A monitor on a fake event source over a real temporary folder, recording every callback.
struct MonitorRig {
    explicit MonitorRig(ScreenshotFolderMonitor::Timings timings)
    {
        auto fake = std::make_unique<FakeFolderWatcher>();
        watcher = fake.get();
        monitor = std::make_unique<ScreenshotFolderMonitor>(std::move(fake), timings);
        QObject::connect(monitor.get(), &ScreenshotFolderMonitor::screenshotAdded,
                         [this](const QString &path) { reported.append(path); });
        QObject::connect(monitor.get(), &ScreenshotFolderMonitor::accessChanged,
                         [this](bool accessible) { access.append(accessible); });
        folder = QDir(temp.path()).filePath(QStringLiteral("Screenshots"));
        QDir().mkpath(folder);
    }

    QString file(const QString &name) const { return folder + QLatin1Char('/') + name; }

    QTemporaryDir temp;
    QString folder;
    FakeFolderWatcher *watcher = nullptr;
    std::unique_ptr<ScreenshotFolderMonitor> monitor;
    QStringList reported;
    QList<bool> access;
};

TEST(ScreenshotFolderMonitor, AcceptsScreenshotNamesByPrefixAndExtension)
{
    const struct {
        const char *name;
        bool accepted;
    } cases[] = {
        {"Screenshot 2026-12-06 at 10.15.02.png", true},
        {"Snímka obrazovky 2026-12-06 o 10.15.02.PNG", true},
        {"SCREEN SHOT 2026.JPEG", true},
        {"Screenshot.TIFF", true},
        {"My Screenshot 2026.png", false}, // the prefix must stand at the start
        {"Screenshot 2026.gif", false},
        {"Screenshot 2026.png.txt", false},
        {"Screensho.png", false},
        {"Screenshot.", false},
        {"Screen  shot.png", false}, // two blanks are another word
    };
    for (const auto &c : cases)
        EXPECT_EQ(ScreenshotNames::isScreenshotFileName(QString::fromUtf8(c.name)), c.accepted) << c.name;
}

// The debounce runs on time the test moves: a report comes one quiet debounce after the last
// event of a burst, and not a millisecond before.
TEST(ScreenshotFolderMonitor, ReportsANewScreenshotOnceAQuietDebounceAfterTheLastEvent)
{
    FakeModelClock clock;
    ScreenshotFolderMonitor::Timings timings{300ms, kNeverPoll, {}};
    timings.schedule = [&clock](std::chrono::milliseconds delay, QObject *context, std::function<void()> work) {
        clock.singleShot(delay, context, std::move(work));
    };
    MonitorRig rig(timings);
    ASSERT_TRUE(rig.monitor->start(rig.folder));
    ASSERT_EQ(rig.watcher->watchedFolder, rig.folder);

    const QString shot = rig.file(QStringLiteral("Screenshot 2026-12-06 at 10.15.02.png"));
    ASSERT_TRUE(writeFile(shot, "png bytes"));
    rig.watcher->emitChange();
    clock.advance(200ms);
    EXPECT_TRUE(rig.reported.isEmpty());
    // A second event 200 ms later restarts the wait: the first event's scan is pushed back.
    rig.watcher->emitChange();
    clock.advance(299ms);
    EXPECT_TRUE(rig.reported.isEmpty()) << "the first event's scan was not pushed back";
    clock.advance(1ms);
    EXPECT_EQ(rig.reported, QStringList{shot});

    // More events for the same folder do not report the file again; the next file is reported.
    rig.watcher->emitChange();
    clock.advance(300ms);
    EXPECT_EQ(rig.reported, QStringList{shot});
    const QString next = rig.file(QStringLiteral("Screenshot next.png"));
    ASSERT_TRUE(writeFile(next, "png bytes"));
    rig.watcher->emitChange();
    clock.advance(300ms);
    EXPECT_EQ(rig.reported, (QStringList{shot, next}));
    EXPECT_TRUE(rig.access.isEmpty());

    // A scan still pending when the monitor stops never runs.
    ASSERT_TRUE(writeFile(rig.file(QStringLiteral("Screenshot late.png")), "png bytes"));
    rig.watcher->emitChange();
    rig.monitor->stop();
    clock.advance(300ms);
    EXPECT_EQ(rig.reported, (QStringList{shot, next}));
}

TEST(ScreenshotFolderMonitor, AnEventFindsScreenshotsAndPollsOnlyUntilAnEmptyOneHasContent)
{
    MonitorRig rig({50ms, 100ms, {}});
    ASSERT_TRUE(rig.monitor->start(rig.folder));
    // A watched folder at rest is never listed again.
    EXPECT_FALSE(rig.monitor->isPolling());

    const QString empty = rig.file(QStringLiteral("Screenshot filling.png"));
    ASSERT_TRUE(writeFile(empty, QByteArray()));
    ASSERT_TRUE(writeFile(rig.file(QStringLiteral("notes.txt")), "not a screenshot"));
    ASSERT_TRUE(writeFile(rig.file(QStringLiteral("Screenshot 2.gif")), "gif"));
    ASSERT_TRUE(QDir().mkdir(rig.file(QStringLiteral("Screenshot 3.png"))));
    ASSERT_TRUE(writeFile(rig.file(QStringLiteral(".Screenshot 4.png")), "hidden"));
    // A name that is not valid UTF-8 cannot be handed on as a path that opens the same file.
    const QByteArray undecodable = QFile::encodeName(rig.folder) + "/Screenshot \xff\xfe.png";
    const int fd = ::open(undecodable.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "x", 1), 1);
    ::close(fd);
    const QString sentinel = rig.file(QStringLiteral("Screenshot sentinel.png"));
    ASSERT_TRUE(writeFile(sentinel, "x"));
    EXPECT_FALSE(rig.monitor->isPolling());
    rig.watcher->emitChange();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !rig.reported.isEmpty(); }, 3000));
    EXPECT_EQ(rig.reported, QStringList{sentinel});
    // The empty screenshot gets its content without a folder event: the poll looks for it.
    EXPECT_TRUE(rig.monitor->isPolling());

    ASSERT_TRUE(writeFile(empty, "now it has content"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return rig.reported.size() > 1; }, 3000));
    EXPECT_EQ(rig.reported, (QStringList{sentinel, empty}));
    EXPECT_FALSE(rig.monitor->isPolling());
}

TEST(ScreenshotFolderMonitor, FilesPresentAtStartAreNeverReportedAlsoAfterARestart)
{
    MonitorRig rig({50ms, 100ms, {}});
    ASSERT_TRUE(writeFile(rig.file(QStringLiteral("Screenshot old.png")), "old"));
    ASSERT_TRUE(rig.monitor->start(rig.folder));
    const QString added = rig.file(QStringLiteral("Screenshot new.png"));
    ASSERT_TRUE(writeFile(added, "new"));
    rig.watcher->emitChange();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !rig.reported.isEmpty(); }, 3000));
    EXPECT_EQ(rig.reported, QStringList{added});

    // A restart takes a fresh snapshot: nothing that is there now is reported.
    rig.monitor->stop();
    EXPECT_FALSE(rig.monitor->folder().has_value());
    ASSERT_TRUE(writeFile(rig.file(QStringLiteral("Screenshot while stopped.png")), "x"));
    ASSERT_TRUE(writeFile(rig.file(QStringLiteral("holiday.png")), "x"));
    ASSERT_TRUE(rig.monitor->start(rig.folder));
    // Renaming an old file into a screenshot name gives a new path, which is reported.
    const QString renamed = rig.file(QStringLiteral("Screenshot renamed.png"));
    ASSERT_TRUE(QFile::rename(rig.file(QStringLiteral("holiday.png")), renamed));
    rig.watcher->emitChange();
    ASSERT_TRUE(QTest::qWaitFor([&] { return rig.reported.size() > 1; }, 3000));
    EXPECT_EQ(rig.reported, (QStringList{added, renamed}));
}

TEST(ScreenshotFolderMonitor, ReportsLostAccessOnceAndRecoversWhenTheFolderIsBack)
{
    {
        MonitorRig rig({50ms, 100ms, {}});
        const QString old = rig.file(QStringLiteral("Screenshot old.png"));
        ASSERT_TRUE(writeFile(old, "old"));
        ASSERT_TRUE(rig.monitor->start(rig.folder));
        const qsizetype watchesBefore = rig.watcher->watchRequests.size();

        // The folder is replaced by a file, then comes back with the old file written again.
        ASSERT_TRUE(QDir(rig.folder).removeRecursively());
        ASSERT_TRUE(writeFile(rig.folder, "x"));
        rig.watcher->emitChange();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !rig.access.isEmpty(); }, 3000));
        EXPECT_FALSE(rig.monitor->isFolderAccessible());
        // No event comes from a folder that is gone: the poll looks for its return.
        EXPECT_TRUE(rig.monitor->isPolling());
        ASSERT_TRUE(QFile::remove(rig.folder));
        ASSERT_TRUE(QDir().mkpath(rig.folder));
        ASSERT_TRUE(writeFile(old, "old again"));
        const QString added = rig.file(QStringLiteral("Screenshot after.png"));
        ASSERT_TRUE(writeFile(added, "new"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return rig.access.size() > 1 && !rig.reported.isEmpty(); }, 3000));
        // Lost access was reported once, though several polls found the folder away.
        EXPECT_EQ(rig.access, (QList<bool>{false, true}));
        EXPECT_TRUE(rig.monitor->isFolderAccessible());
        // Known paths survive the outage: the old file is not reported, the new one is, once.
        EXPECT_EQ(rig.reported, QStringList{added});
        EXPECT_GT(rig.watcher->watchRequests.size(), watchesBefore) << "the event source was not armed again";
        EXPECT_FALSE(rig.monitor->isPolling());
    }
}

TEST(ScreenshotFolderMonitor, AFolderBackThatCannotBeWatchedIsPolled)
{
    MonitorRig rig({50ms, 100ms, {}});
    ASSERT_TRUE(rig.monitor->start(rig.folder));
    ASSERT_TRUE(QDir(rig.folder).removeRecursively());
    rig.watcher->emitChange();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !rig.access.isEmpty(); }, 3000));
    rig.watcher->watchSucceeds = false;
    ASSERT_TRUE(QDir().mkpath(rig.folder));
    ASSERT_TRUE(QTest::qWaitFor([&] { return rig.access.size() > 1; }, 3000));
    EXPECT_TRUE(rig.monitor->isPolling());
    // No event will come, yet the new screenshot is found.
    const QString added = rig.file(QStringLiteral("Screenshot unwatched.png"));
    ASSERT_TRUE(writeFile(added, "new"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !rig.reported.isEmpty(); }, 3000));
    EXPECT_EQ(rig.reported, QStringList{added});
    EXPECT_TRUE(rig.monitor->isPolling());
}

TEST(LinuxFolderWatcher, SignalsChangesInTheWatchedFolderOnly)
{
    QTemporaryDir temp;
    LinuxFolderWatcher watcher;
    int changes = 0;
    QObject::connect(&watcher, &FolderWatcher::folderChanged, [&] { ++changes; });

    EXPECT_FALSE(watcher.watch(temp.filePath(QStringLiteral("missing"))));
    ASSERT_TRUE(watcher.watch(temp.path()));
    ASSERT_TRUE(writeFile(temp.filePath(QStringLiteral("Screenshot 1.png")), "x"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return changes > 0; }, 3000));

    // After unwatch only a witness still watching hears of the next change.
    watcher.unwatch();
    changes = 0;
    LinuxFolderWatcher witness;
    QSignalSpy witnessed(&witness, &FolderWatcher::folderChanged);
    ASSERT_TRUE(witness.watch(temp.path()));
    ASSERT_TRUE(writeFile(temp.filePath(QStringLiteral("Screenshot 2.png")), "x"));
    ASSERT_TRUE(witnessed.wait(3000));
    EXPECT_EQ(changes, 0);
}

} // namespace
