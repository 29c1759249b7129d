#include "platform/ScreenshotFolderMonitor.h"
#include "support/TestFiles.h"
#include "core/ScreenshotNames.h"
#include "platform/fake/FakeFolderWatcher.h"
#include "platform/linux/LinuxFolderWatcher.h"
#include "support/FakeModelClock.h"
#include "support/FolderEvents.h"

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

using folderevents::kNoFolderEvents;
using folderevents::systemGivesFolderEvents;

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
    ::unlink(undecodable.constData()); // a name the temporary folder's own removal cannot reach
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

// A folder the system gives no events for from the start (other programs have used up the
// user's inotify instances) is polled, its new screenshot found within a poll; once the system
// gives events again the next poll watches it and the polling ends.
TEST(ScreenshotFolderMonitor, AFolderThatCannotBeWatchedFromTheStartIsPolledUntilItCanBe)
{
    MonitorRig rig({50ms, 100ms, {}});
    rig.watcher->watchSucceeds = false;
    const QString present = rig.file(QStringLiteral("Screenshot present.png"));
    ASSERT_TRUE(writeFile(present, "old"));
    ASSERT_TRUE(rig.monitor->start(rig.folder));
    EXPECT_EQ(rig.monitor->folder(), rig.folder);
    EXPECT_TRUE(rig.monitor->isPolling());

    const QString added = rig.file(QStringLiteral("Screenshot unwatched.png"));
    ASSERT_TRUE(writeFile(added, "new"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !rig.reported.isEmpty(); }, 3000));
    EXPECT_EQ(rig.reported, QStringList{added});
    EXPECT_TRUE(rig.access.isEmpty());

    rig.watcher->watchSucceeds = true;
    EXPECT_TRUE(QTest::qWaitFor([&] { return !rig.monitor->isPolling(); }, 3000)) << "still polling once events came back";
    EXPECT_EQ(rig.watcher->watchedFolder, rig.folder);
    const QString next = rig.file(QStringLiteral("Screenshot watched.png"));
    ASSERT_TRUE(writeFile(next, "next"));
    rig.watcher->emitChange();
    ASSERT_TRUE(QTest::qWaitFor([&] { return rig.reported.size() > 1; }, 3000));
    EXPECT_EQ(rig.reported, (QStringList{added, next}));
}

// The folder is watched by its path: a folder renamed away (or one of the folders above it) and
// made again under the same path is the one whose new screenshots count, as soon as it is back,
// and once it is watched again the monitor is idle as before.
TEST(ScreenshotFolderMonitor, AFolderRenamedAwayAndMadeAgainIsWatchedAgainByItsPath)
{
    constexpr auto kPoll = 200ms;
    constexpr int kBound = 20 * int(kPoll.count()); // a loaded machine may run timers late
    const struct {
        const char *name;
        const char *moved; // below the temporary folder: the screenshot folder or a folder above it
        bool noticedAway;  // made again only after the monitor has found the folder gone
    } cases[] = {
        {"the folder renamed and made again at once", "Pictures/Screenshots", false},
        {"the folder renamed, made again once its loss was reported", "Pictures/Screenshots", true},
        {"the folder above it renamed and made again at once", "Pictures", false},
    };
    if (!systemGivesFolderEvents())
        GTEST_SKIP() << kNoFolderEvents;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir temp;
        const QString folder = temp.filePath(QStringLiteral("Pictures/Screenshots"));
        ASSERT_TRUE(QDir().mkpath(folder));
        ScreenshotFolderMonitor monitor(std::make_unique<LinuxFolderWatcher>(), {50ms, kPoll, {}});
        QStringList reported;
        QList<bool> access;
        QObject::connect(&monitor, &ScreenshotFolderMonitor::screenshotAdded,
                         [&](const QString &path) { reported.append(path); });
        QObject::connect(&monitor, &ScreenshotFolderMonitor::accessChanged, [&](bool ok) { access.append(ok); });
        ASSERT_TRUE(monitor.start(folder));
        const QString before = folder + QStringLiteral("/Screenshot before.png");
        ASSERT_TRUE(writeFile(before, "png bytes"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !reported.isEmpty(); }, kBound));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !monitor.isPolling(); }, kBound));

        const QString moved = temp.filePath(QString::fromLatin1(c.moved));
        ASSERT_TRUE(QFile::rename(moved, moved + QStringLiteral(".old")));
        if (c.noticedAway) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return !access.isEmpty(); }, kBound)) << "the loss was not noticed";
        }
        ASSERT_TRUE(QDir().mkpath(folder));
        const QString after = folder + QStringLiteral("/Screenshot after.png");
        ASSERT_TRUE(writeFile(after, "png bytes"));
        EXPECT_TRUE(QTest::qWaitFor([&] { return reported.size() > 1; }, kBound))
            << "a screenshot saved in the folder made again was never reported";
        EXPECT_EQ(reported, (QStringList{before, after}));
        EXPECT_EQ(access, (c.noticedAway ? QList<bool>{false, true} : QList<bool>{}));

        // Watched again: the next screenshot comes through its event, and the renamed folder is
        // no longer heard.
        EXPECT_TRUE(QTest::qWaitFor([&] { return !monitor.isPolling(); }, kBound)) << "still polling at rest";
        const QString renamedFolder = moved + QStringLiteral(".old") + folder.mid(moved.size());
        ASSERT_TRUE(writeFile(renamedFolder + QStringLiteral("/Screenshot elsewhere.png"), "png bytes"));
        const QString next = folder + QStringLiteral("/Screenshot next.png");
        ASSERT_TRUE(writeFile(next, "png bytes"));
        EXPECT_TRUE(QTest::qWaitFor([&] { return reported.size() > 2; }, kBound));
        EXPECT_EQ(reported, (QStringList{before, after, next}));
    }
}

// When the watched folder leaves its path, the folder now there is watched at the next scan,
// one debounce later on the moved clock, and polled only until then.
TEST(ScreenshotFolderMonitor, ALostWatchIsSetUpAgainOnTheFolderNowAtThePath)
{
    FakeModelClock clock;
    ScreenshotFolderMonitor::Timings timings{300ms, kNeverPoll, {}};
    timings.schedule = [&clock](std::chrono::milliseconds delay, QObject *context, std::function<void()> work) {
        clock.singleShot(delay, context, std::move(work));
    };
    MonitorRig rig(timings);
    ASSERT_TRUE(rig.monitor->start(rig.folder));
    ASSERT_EQ(rig.watcher->watchRequests.size(), 1);
    const QString shot = rig.file(QStringLiteral("Screenshot made again.png"));
    ASSERT_TRUE(writeFile(shot, "png bytes"));

    rig.watcher->emitWatchLost();
    EXPECT_TRUE(rig.monitor->isPolling()) << "no event can come until the folder is watched again";
    clock.advance(299ms);
    EXPECT_EQ(rig.watcher->watchRequests.size(), 1);
    clock.advance(1ms);
    EXPECT_EQ(rig.watcher->watchRequests, (QStringList{rig.folder, rig.folder}));
    EXPECT_EQ(rig.watcher->watchedFolder, rig.folder);
    EXPECT_EQ(rig.reported, QStringList{shot});
    EXPECT_FALSE(rig.monitor->isPolling());
    EXPECT_TRUE(rig.access.isEmpty());
}

TEST(LinuxFolderWatcher, SignalsChangesInTheWatchedFolderOnly)
{
    if (!systemGivesFolderEvents())
        GTEST_SKIP() << kNoFolderEvents;
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
