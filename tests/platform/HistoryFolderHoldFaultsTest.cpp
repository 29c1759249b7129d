#include "platform/linux/HistoryFolderHold.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/capability.h>
#include <sys/file.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <functional>

namespace {

using namespace std::chrono_literals;

// Well over the settle time of the folder's watch, for a change handed over through the loop.
constexpr auto kSeenWithin = 5000ms;

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

} // namespace
