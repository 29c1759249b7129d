#include "engine/EngineTestSupport.h"
#include "platform/linux/HistoryFolderHold.h"
#include "support/FolderEvents.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <linux/capability.h>
#include <mutex>
#include <optional>
#include <pthread.h>
#include <string>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <functional>

// The disk as this process meets it: every stat() of a path under the probed folder (ours, and
// QFileInfo's statx()) is noted with its thread, and one off the main thread can be held, as a
// disk that does not answer holds it; inotify can be refused, as when other programs have used up
// the user's instances. These stand in for the C library's in the whole test program, and hand
// every call on unchanged while no case probes.
namespace disk {

using namespace std::chrono_literals;

// A held stat() is let go after this anyway, so that a fault fails its case instead of hanging.
constexpr auto kHeldAtMost = 20s;

std::atomic<bool> probing{false};
std::atomic<bool> refuseFolderEvents{false};
std::mutex mutex;
std::condition_variable heldChanged;
std::string prefix;
pthread_t mainThread{};
std::vector<std::string> onMainThread;
bool holding = false;
std::vector<pthread_t> held;

void seen(const char *path)
{
    if (!probing.load() || path == nullptr)
        return;
    std::unique_lock lock(mutex);
    if (std::strncmp(path, prefix.c_str(), prefix.size()) != 0)
        return;
    if (pthread_equal(pthread_self(), mainThread)) {
        onMainThread.emplace_back(path);
        return;
    }
    if (!holding)
        return;
    held.push_back(pthread_self());
    heldChanged.notify_all();
    heldChanged.wait_for(lock, kHeldAtMost, [] { return !holding; });
    held.erase(std::find(held.begin(), held.end(), pthread_self()));
}

template <typename Function>
Function next(const char *name)
{
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

} // namespace disk

extern "C" int stat(const char *path, struct stat *buffer) noexcept
{
    disk::seen(path);
    static const auto real = disk::next<int (*)(const char *, struct stat *)>("stat");
    return real(path, buffer);
}

extern "C" int statx(int folder, const char *path, int flags, unsigned int mask, struct statx *buffer) noexcept
{
    disk::seen(path);
    static const auto real = disk::next<int (*)(int, const char *, int, unsigned int, struct statx *)>("statx");
    return real(folder, path, flags, mask, buffer);
}

extern "C" int inotify_init1(int flags) noexcept
{
    if (disk::refuseFolderEvents.load()) {
        errno = EMFILE;
        return -1;
    }
    static const auto real = disk::next<int (*)(int)>("inotify_init1");
    return real(flags);
}

namespace {

// For its life, notes the stat()s of paths under one folder, and refuses folder events unless
// told; hold() makes every such stat() off the main thread wait until release().
class DiskProbe {
public:
    DiskProbe(const QString &folder, bool folderEvents)
    {
        std::lock_guard lock(disk::mutex);
        disk::prefix = QFile::encodeName(folder).toStdString();
        disk::mainThread = pthread_self();
        disk::onMainThread.clear();
        disk::refuseFolderEvents = !folderEvents;
        disk::probing = true;
    }
    ~DiskProbe()
    {
        release();
        disk::probing = false;
        disk::refuseFolderEvents = false;
    }
    DiskProbe(const DiskProbe &) = delete;
    DiskProbe &operator=(const DiskProbe &) = delete;

    void hold()
    {
        std::lock_guard lock(disk::mutex);
        disk::holding = true;
    }
    void release()
    {
        std::lock_guard lock(disk::mutex);
        disk::holding = false;
        disk::heldChanged.notify_all();
    }
    // Whether a stat() of this thread (any but the main one, when none is given) waits now.
    bool holds(std::optional<pthread_t> thread = std::nullopt) const
    {
        std::lock_guard lock(disk::mutex);
        return std::any_of(disk::held.begin(), disk::held.end(),
                           [&](pthread_t t) { return !thread || pthread_equal(t, *thread); });
    }
    std::vector<std::string> onMainThread() const
    {
        std::lock_guard lock(disk::mutex);
        return disk::onMainThread;
    }
};


using namespace std::chrono_literals;

// Well over the settle time of the folder's watch, for a change handed over through the loop.
constexpr auto kSeenWithin = 5000ms;
// Well over a poll of the folder and the settle time after it.
constexpr auto kPolledWithin = 15000ms;

// Root writes any file whatever its mode: while this lives, the calling thread (which is the one
// that drives the hold) is held to a file's mode bits as every other user is.
class WithoutFileOverride {
public:
    WithoutFileOverride()
    {
        if (::syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        for (int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
            reduced[cap / 32].effective &= ~(1U << (cap % 32));
        m_dropped = ::syscall(SYS_capset, &m_header, reduced) == 0;
    }
    ~WithoutFileOverride()
    {
        if (m_dropped)
            ::syscall(SYS_capset, &m_header, m_saved);
    }
    WithoutFileOverride(const WithoutFileOverride &) = delete;
    WithoutFileOverride &operator=(const WithoutFileOverride &) = delete;

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
    bool m_dropped = false;
};

ino_t inodeAt(const QString &path)
{
    struct stat st { };
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

// The hold, driven as a start drives it, over a folder that each case prepares and changes.
TEST(HistoryFolderHoldFaults, TheHoldTakesItsOwnFolderAndGivesWayOnlyToAnotherHolder)
{
    struct Case {
        const char *name;
        // Before the start: what the folder holds. Returns false when it could not be prepared.
        std::function<bool(const QString &folder, const QString &note)> before;
        // What the start must find of the folder.
        bool taken;
        // Once ready: what happens to the folder and what the run must do about it.
        std::function<void(HistoryFolderHold &hold, const QString &folder, const QString &note)> after;
    };
    const Case cases[] = {
        // A run killed and started again with the same process number (a container's first
        // process, say) finds its own number in the note of a folder nobody locks.
        {"its own process in the note of a free folder",
         [](const QString &, const QString &note) {
             return writeFile(note, QByteArray::number(::getpid()) + "\n/run/user/0/tarnel-gone.sock\n");
         },
         true, nullptr},
        // chmod 0400 by the user: the note is this user's own, and the same file is made writable
        // again, still locked, for a build that locks the note alone to find held.
        {"a read-only note of the user's own",
         [](const QString &, const QString &note) {
             return writeFile(note, "1\n/nowhere.sock\n") && QFile::setPermissions(note, QFile::ReadOwner);
         },
         true,
         [](HistoryFolderHold &hold, const QString &, const QString &note) {
             const int original = ::open(QFile::encodeName(note).constData(), O_RDONLY | O_CLOEXEC);
             ASSERT_GE(original, 0);
             {
                 WithoutFileOverride asUser;
                 hold.becomeReady(QStringLiteral("/run/user/0/tarnel.sock"));
             }
             struct stat held { };
             ASSERT_EQ(::fstat(original, &held), 0);
             EXPECT_EQ(inodeAt(note), held.st_ino) << "the note was replaced by another file";
             EXPECT_NE(::flock(original, LOCK_EX | LOCK_NB), 0) << "the note at the path is no longer locked";
             ::close(original);
             EXPECT_EQ(modeOf(note), mode_t(0600));
             EXPECT_TRUE(readFile(note).startsWith(QByteArray::number(::getpid()) + '\n'));
         }},
        // A newer start from another environment moved the folder aside and made its own.
        {"the folder replaced by one that another instance holds",
         nullptr, true,
         [](HistoryFolderHold &hold, const QString &folder, const QString &) {
             hold.becomeReady(QStringLiteral("/run/user/0/tarnel.sock"));
             QSignalSpy gaveWay(&hold, &HistoryFolderHold::gaveWay);
             ASSERT_TRUE(QDir().rename(folder, folder + ".old"));
             ASSERT_TRUE(QDir().mkpath(folder));
             const int other = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
             ASSERT_GE(other, 0);
             ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
             EXPECT_FALSE(hold.check().held);
             EXPECT_TRUE(QTest::qWaitFor([&] { return gaveWay.count() > 0; }, int(kSeenWithin.count()))) << "two instances run";
             EXPECT_EQ(gaveWay.count(), 1);
             ::close(other);
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("data/Tarnel"));
        const QString note = folder + QStringLiteral("/instance.lock");
        ASSERT_TRUE(QDir().mkpath(folder)) << c.name;
        ASSERT_TRUE(QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)) << c.name;
        if (c.before) {
            ASSERT_TRUE(c.before(folder, note)) << c.name;
        }
        // This process is the only one that runs Tarnel.
        HistoryFolderHold hold(note, [](pid_t pid) { return pid == ::getpid(); });
        {
            WithoutFileOverride asUser;
            hold.open();
            EXPECT_EQ(hold.tryTake(), c.taken) << c.name;
        }
        ASSERT_TRUE(hold.holdsHistory()) << c.name;
        if (c.after)
            c.after(hold, folder, note);
    }
}

// The folder is looked at (through its events, or polled where the user's inotify instances are
// used up) on a thread of its own: a disk that does not answer holds that thread and never the
// interface, and a folder deleted or replaced at its path is still taken anew there.
TEST(HistoryFolderHoldFaults, TheFolderIsLookedAtOffTheMainThreadWithOrWithoutFolderEvents)
{
    enum class Hang { None,
                      ThePoll,
                      AWritersCheck };
    const struct {
        const char *name;
        bool folderEvents;
        bool replaced; // else deleted
        Hang hang;
        // The change comes only once the folder is watched, else as soon as the run is ready.
        bool watched = true;
    } cases[] = {
        {"folder events: a replaced folder is taken anew without a stat on the main thread", true, true, Hang::None},
        {"inotify unavailable: a deleted folder is still noticed", false, false, Hang::None},
        {"inotify unavailable: a replaced folder is still noticed", false, true, Hang::None},
        {"inotify unavailable: a poll the disk holds leaves the main thread's loop turning", false, true, Hang::ThePoll},
        {"a writer's check the disk holds leaves the hold answering the interface", true, true, Hang::AWritersCheck},
        {"folder events: a folder replaced before the look begins is taken anew", true, true, Hang::None, false},
        {"inotify unavailable: a folder deleted before the look begins is taken anew", false, false, Hang::None, false},
    };
    bool skipped = false;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.folderEvents && !folderevents::systemGivesFolderEvents()) {
            skipped = true;
            continue;
        }
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("data/Tarnel"));
        const QString note = folder + QStringLiteral("/instance.lock");
        const QString database = folder + QStringLiteral("/history.sqlite");
        ASSERT_TRUE(writeFile(database, "SQLite format 3")) << c.name;
        HistoryFolderHold hold(note, [](pid_t pid) { return pid == ::getpid(); });
        hold.open();
        ASSERT_TRUE(hold.tryTake()) << c.name;
        hold.watchDatabase(database);
        QSignalSpy taken(&hold, &HistoryFolderHold::taken);
        QSignalSpy watching(&hold, &HistoryFolderHold::watching);
        LogCapture log("tarnel.platform");
        DiskProbe probe(dir.path(), c.folderEvents);
        hold.becomeReady(QStringLiteral("/run/user/0/tarnel.sock"));
        if (c.watched) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return watching.count() > 0; }, int(kSeenWithin.count()))) << c.name;
        }

        if (c.hang == Hang::ThePoll)
            probe.hold();
        const QByteArray path = QFile::encodeName(folder);
        if (c.replaced) {
            ASSERT_EQ(::rename(path.constData(), (path + ".old").constData()), 0) << c.name;
            ASSERT_EQ(::mkdir(path.constData(), 0700), 0) << c.name;
        } else {
            ASSERT_EQ(::unlink(QFile::encodeName(note).constData()), 0) << c.name;
            ASSERT_EQ(::unlink(QFile::encodeName(database).constData()), 0) << c.name;
            ASSERT_EQ(::rmdir(path.constData()), 0) << c.name;
        }
        if (c.hang == Hang::ThePoll) {
            // Waiting turns the main thread's loop, which a poll held on it would stop.
            EXPECT_TRUE(QTest::qWaitFor([&] { return probe.holds(); }, int(kPolledWithin.count())))
                << c.name << ": no poll of the folder off the main thread";
            EXPECT_EQ(taken.count(), 0) << c.name << ": taken before the poll that sees the change";
            probe.release();
        }
        EXPECT_TRUE(QTest::qWaitFor([&] { return taken.count() > 0; }, int(kPolledWithin.count())))
            << c.name << ": the folder at the path was not taken";
        EXPECT_EQ(taken.count(), 1) << c.name;

        if (c.hang == Hang::AWritersCheck) {
            probe.hold();
            std::thread writer([&] { (void)hold.check(); });
            const pthread_t writerThread = writer.native_handle();
            const bool checkHeld = QTest::qWaitFor([&] { return probe.holds(writerThread); }, int(kSeenWithin.count()));
            const bool holds = hold.holdsHistory();
            const HistoryLockReason reason = hold.reason();
            const QString problem = hold.problem();
            const bool answeredWhileHeld = probe.holds(writerThread);
            probe.release();
            writer.join();
            EXPECT_TRUE(checkHeld) << c.name;
            EXPECT_TRUE(answeredWhileHeld) << c.name << ": the interface waited for the disk";
            EXPECT_TRUE(holds) << c.name;
            EXPECT_EQ(reason, HistoryLockReason::None) << c.name;
            EXPECT_TRUE(problem.isEmpty()) << c.name;
        }
        const std::vector<std::string> onMainThread = probe.onMainThread();
        EXPECT_TRUE(onMainThread.empty()) << c.name << ": " << onMainThread.size() << " stat()s on the main thread, first of "
                                          << (onMainThread.empty() ? std::string() : onMainThread.front());
        const QStringList lines = log.lines();
        const auto pollLines = std::count_if(lines.cbegin(), lines.cend(),
                                             [](const QString &line) { return line.contains(QLatin1String("polled every")); });
        EXPECT_EQ(pollLines, c.folderEvents ? 0 : 1) << c.name << ": " << lines.join(u'\n').toStdString();
        EXPECT_TRUE(hold.check().held) << c.name;
        EXPECT_TRUE(QFileInfo(folder).isDir()) << c.name;
        EXPECT_TRUE(readFile(note).startsWith(QByteArray::number(::getpid()) + '\n')) << c.name;
    }
    if (skipped)
        GTEST_SKIP() << "the rows with folder events: " << folderevents::kNoFolderEvents;
}

} // namespace
