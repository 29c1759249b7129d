#include "platform/linux/LinuxInstanceLock.h"
#include "support/TestFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

constexpr auto kShortDelay = 150ms;

// Each test runs its own copy of the helper, so the processes it may kill are its own.
class InstanceFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_helper = m_dir.filePath("tarnel-copy");
        ASSERT_TRUE(QFile::copy(QStringLiteral(TARNEL_PLATFORM_HELPER), m_helper));
        QFile::setPermissions(m_helper, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_serverName = m_dir.filePath("instance.sock");
    }

    void TearDown() override
    {
        for (QProcess *p : m_processes) {
            p->kill();
            p->waitForFinished(2000);
            delete p;
        }
    }

    QProcess *startInstance(const char *manner, const QString &identity, const QStringList &more = {})
    {
        auto *p = new QProcess;
        m_processes.append(p);
        p->start(m_helper, QStringList{"instance", m_serverName, manner, identity} + more);
        EXPECT_TRUE(p->waitForStarted(5000));
        EXPECT_TRUE(waitForLine(p, "ready"));
        return p;
    }

    static bool waitForLine(QProcess *p, const QByteArray &line)
    {
        return QTest::qWaitFor([&] {
            while (p->canReadLine())
                if (p->readLine().trimmed() == line)
                    return true;
            return false;
        });
    }

    LinuxInstanceLock::Options options(const QString &identity) const
    {
        LinuxInstanceLock::Options o;
        o.serverName = m_serverName;
        o.otherServerNames = {};
        o.executable = identity;
        o.forceQuitDelay = kShortDelay;
        o.quitWait = 2 * kShortDelay;
        o.lockWait = 1000ms;
        return o;
    }

    // The event loop may already have seen the exit, after which waitForFinished() says false.
    static bool finished(QProcess *p)
    {
        return p->state() == QProcess::NotRunning || p->waitForFinished(5000);
    }

    // Killed, or with a kill on its way: gone, a zombie or with SIGKILL pending.
    static bool killedOrDying(qint64 pid)
    {
        QFile status(QStringLiteral("/proc/%1/status").arg(pid));
        if (!status.open(QIODevice::ReadOnly))
            return true;
        const quint64 sigkill = 1u << (SIGKILL - 1);
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("State:") && line.contains("Z"))
                return true;
            if ((line.startsWith("SigPnd:") || line.startsWith("ShdPnd:")) && (line.mid(7).trimmed().toULongLong(nullptr, 16) & sigkill))
                return true;
        }
        return false;
    }

    QTemporaryDir m_dir;
    QString m_helper;
    QString m_serverName;
    QList<QProcess *> m_processes;
};

// The variables a test changes, put back as they were when it ends.
class ScopedEnvironment {
public:
    explicit ScopedEnvironment(QList<QByteArray> names)
        : m_names(std::move(names))
    {
        for (const QByteArray &name : m_names)
            m_values.append(qEnvironmentVariableIsSet(name.constData()) ? std::optional(qgetenv(name.constData())) : std::nullopt);
    }
    ~ScopedEnvironment()
    {
        for (qsizetype i = 0; i < m_names.size(); ++i) {
            if (m_values.at(i))
                qputenv(m_names.at(i).constData(), *m_values.at(i));
            else
                qunsetenv(m_names.at(i).constData());
        }
    }

private:
    QList<QByteArray> m_names;
    QList<std::optional<QByteArray>> m_values;
};

TEST(LinuxInstanceLockName, WithoutARuntimeFolderTheSocketLivesInAFolderOfTheUsersOwn)
{
    ScopedEnvironment environment({"XDG_RUNTIME_DIR", "TMPDIR", "XDG_CACHE_HOME"});
    QTemporaryDir tmp;
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("TMPDIR", QFile::encodeName(tmp.filePath("tmp")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(tmp.filePath("cache")));
    ASSERT_TRUE(QDir().mkpath(tmp.filePath("tmp")));
    const QString own = tmp.filePath("tmp/tarnel-" + QString::number(::geteuid()));

    EXPECT_EQ(QFileInfo(LinuxInstanceLock::defaultServerName()).path(), own);
    EXPECT_EQ(modeOf(own), 0700u);
    // One of the user's own left open to reading is closed.
    ASSERT_EQ(::chmod(QFile::encodeName(own).constData(), 0755), 0);
    EXPECT_EQ(QFileInfo(LinuxInstanceLock::defaultServerName()).path(), own);
    EXPECT_EQ(modeOf(own), 0700u);

    // A folder under that name that others may write into, or a link, is never used.
    ASSERT_EQ(::chmod(QFile::encodeName(own).constData(), 0777), 0);
    const QString elsewhere = tmp.filePath("cache/Tarnel");
    EXPECT_EQ(QFileInfo(LinuxInstanceLock::defaultServerName()).path(), elsewhere);
    EXPECT_EQ(modeOf(own), 0777u);
    ASSERT_TRUE(QDir(own).removeRecursively());
    ASSERT_TRUE(QFile::link(tmp.filePath("tmp"), own));
    EXPECT_EQ(QFileInfo(LinuxInstanceLock::defaultServerName()).path(), elsewhere);
    EXPECT_EQ(modeOf(elsewhere), 0700u);
}

// A runtime folder that others may enter, or that is not the user's, could hold another's socket
// or lock: it is not used, and the socket goes where it would without one.
TEST(LinuxInstanceLockName, ARuntimeFolderOpenToOthersOrOfAnotherUserIsNotUsed)
{
    ScopedEnvironment environment({"XDG_RUNTIME_DIR", "TMPDIR", "XDG_CACHE_HOME"});
    QTemporaryDir tmp;
    qputenv("TMPDIR", QFile::encodeName(tmp.filePath("tmp")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(tmp.filePath("cache")));
    ASSERT_TRUE(QDir().mkpath(tmp.filePath("tmp")));
    const QString runtime = tmp.filePath("runtime");
    ASSERT_TRUE(QDir().mkpath(runtime));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    const QString own = tmp.filePath("tmp/tarnel-" + QString::number(::geteuid()));

    const struct {
        const char *name;
        mode_t mode;
        bool otherOwner;
        bool used;
    } cases[] = {
        {"the user's own, closed to others", 0700, false, true},
        {"readable by the group", 0750, false, false},
        {"open to everyone", 0777, false, false},
        {"another user's", 0700, true, false},
    };
    for (const auto &c : cases) {
        if (c.otherOwner && ::geteuid() != 0)
            continue; // only root can give a folder away
        ASSERT_EQ(::chmod(QFile::encodeName(runtime).constData(), c.mode), 0) << c.name;
        ASSERT_EQ(::chown(QFile::encodeName(runtime).constData(), c.otherOwner ? 65534 : ::geteuid(), gid_t(-1)), 0)
            << c.name;
        EXPECT_EQ(QFileInfo(LinuxInstanceLock::defaultServerName()).path(), c.used ? runtime : own) << c.name;
        EXPECT_EQ(modeOf(runtime), c.mode) << c.name << ": the folder is left as it was";
    }
}

// A runtime folder named but not there (a session already ended), or a file in its place, holds no
// socket: the socket goes where it would without one.
TEST(LinuxInstanceLockName, ARuntimeFolderThatIsMissingOrAFileIsNotUsed)
{
    ScopedEnvironment environment({"XDG_RUNTIME_DIR", "TMPDIR", "XDG_CACHE_HOME"});
    QTemporaryDir tmp;
    qputenv("TMPDIR", QFile::encodeName(tmp.filePath("tmp")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(tmp.filePath("cache")));
    ASSERT_TRUE(QDir().mkpath(tmp.filePath("tmp")));
    const QString own = tmp.filePath("tmp/tarnel-" + QString::number(::geteuid()));
    const QString file = tmp.filePath("runtime-file");
    ASSERT_TRUE(writeFile(file, "not a folder"));
    ::chmod(QFile::encodeName(file).constData(), 0700);
    for (const QString &runtime : {tmp.filePath("runtime-gone"), file}) {
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
        EXPECT_EQ(QFileInfo(LinuxInstanceLock::defaultServerName()).path(), own) << runtime.toStdString();
        EXPECT_FALSE(QFileInfo(runtime).isDir()) << runtime.toStdString() << ": nothing is made in its place";
    }
}

TEST(LinuxInstanceLockIdentity, OnlyAPositivelyIdentifiedExecutableMatches)
{
    const auto self = LinuxInstanceLock::identityOfProcess(::getpid());
    ASSERT_TRUE(self.has_value());
    EXPECT_EQ(LinuxInstanceLock::identityOfFile(QCoreApplication::applicationFilePath()), self);

    QProcess sleeper;
    sleeper.start("sleep", {"30"});
    ASSERT_TRUE(sleeper.waitForStarted());

    // A child that has exited but was not reaped has no executable any more.
    const pid_t zombie = ::fork();
    if (zombie == 0)
        ::_exit(0);
    siginfo_t info{};
    ASSERT_EQ(::waitid(P_PID, id_t(zombie), &info, WEXITED | WNOWAIT), 0);

    const LinuxInstanceLock::ExecutableIdentity nobody{};
    const struct {
        const char *name;
        pid_t pid;
        LinuxInstanceLock::ExecutableIdentity executable;
        bool matches;
    } cases[] = {
        {"this process", ::getpid(), *self, true},
        {"another program", pid_t(sleeper.processId()), *self, false},
        {"a zombie", zombie, *self, false},
        // Two processes that cannot be identified are not therefore the same program.
        {"unidentified against unidentified", zombie, nobody, false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(LinuxInstanceLock::runsExecutable(c.pid, c.executable), c.matches) << c.name;
    EXPECT_EQ(LinuxInstanceLock::identityOfProcess(zombie), std::nullopt);
    EXPECT_EQ(LinuxInstanceLock::identityOfFile("/definitely/not/here"), std::nullopt);

    ::waitpid(zombie, nullptr, 0);
    sleeper.kill();
    sleeper.waitForFinished();
}

TEST_F(InstanceFixture, WithNoOtherInstanceStartIsReadyAtOnceAndAnswersLaterInstances)
{
    auto first = std::make_unique<LinuxInstanceLock>(options(m_helper));
    bool firstReady = false;
    first->start([&] { firstReady = true; });
    EXPECT_TRUE(firstReady);

    int asked = 0;
    QObject::connect(first.get(), &InstanceLock::quitRequested, [&] { ++asked; });
    LinuxInstanceLock second(options(m_helper));
    bool secondReady = false;
    second.start([&] { secondReady = true; });
    // The listener is this very process, which is never killed; the second waits for its lock.
    EXPECT_TRUE(QTest::qWaitFor([&] { return asked == 1; }));
    EXPECT_FALSE(secondReady);
    first.reset();
    EXPECT_TRUE(QTest::qWaitFor([&] { return secondReady; }));
}

TEST_F(InstanceFixture, TheSocketLeftByAKilledInstanceIsTakenOver)
{
    // A socket file that nobody listens on, as a killed instance leaves it.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(m_serverName);
    ASSERT_LT(size_t(path.size()), sizeof address.sun_path);
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    ::close(fd);
    ASSERT_TRUE(QFile::exists(m_serverName));

    LinuxInstanceLock lock(options(m_helper));
    bool ready = false;
    lock.start([&] { ready = true; });
    EXPECT_TRUE(ready); // nobody answered, so nobody is waited for

    int asked = 0;
    QObject::connect(&lock, &InstanceLock::quitRequested, [&] { ++asked; });
    LinuxInstanceLock later(options(m_helper));
    later.start({});
    EXPECT_TRUE(QTest::qWaitFor([&] { return asked == 1; }));
}

TEST_F(InstanceFixture, AStubbornInstanceOfTarnelsExecutableIsKilledAfterTheGrace)
{
    QProcess *old = startInstance("stubborn", m_helper);
    LinuxInstanceLock lock(options(m_helper));
    bool ready = false;
    lock.start([&] { ready = true; });
    EXPECT_TRUE(waitForLine(old, "asked"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return ready; }));
    EXPECT_TRUE(finished(old));
    EXPECT_EQ(old->exitStatus(), QProcess::CrashExit);

    // The new instance took over the socket: a later one asks it, not the dead one.
    int asked = 0;
    QObject::connect(&lock, &InstanceLock::quitRequested, [&] { ++asked; });
    LinuxInstanceLock later(options(m_helper));
    later.start({});
    EXPECT_TRUE(QTest::qWaitFor([&] { return asked == 1; }));
}

// The old instance answers and then takes its time (its last history write, say): it is
// waited for, and it ends of its own accord.
TEST_F(InstanceFixture, AnInstanceThatAnswersIsGivenTheTimeItsLastWritesTake)
{
    QProcess *old = startInstance("slow", m_helper);
    LinuxInstanceLock::Options o = options(m_helper);
    o.quitWait = 20s;
    LinuxInstanceLock lock(o);
    bool ready = false;
    lock.start([&] { ready = true; });
    EXPECT_TRUE(waitForLine(old, "asked"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return ready; }, 15000));
    EXPECT_TRUE(finished(old));
    EXPECT_EQ(old->exitStatus(), QProcess::NormalExit);
    EXPECT_TRUE(old->readAllStandardOutput().contains("done"));
}

// Stopped (or hung) after it answered, an instance no longer answers when asked again, and
// is not waited for any longer.
TEST_F(InstanceFixture, AnInstanceThatStopsAnsweringIsKilledWithoutTheLongWait)
{
    QProcess *old = startInstance("stubborn", m_helper);
    LinuxInstanceLock::Options o = options(m_helper);
    o.quitWait = 60s;
    LinuxInstanceLock lock(o);
    bool ready = false;
    lock.start([&] { ready = true; });
    ASSERT_TRUE(waitForLine(old, "asked"));
    ::kill(pid_t(old->processId()), SIGSTOP);
    // Well short of the long wait: an instance waited for that long is still waited for when
    // this wait ends, however loaded the machine.
    EXPECT_TRUE(QTest::qWaitFor([&] { return ready; }, int(std::chrono::milliseconds(o.quitWait).count()) / 2));
    EXPECT_TRUE(finished(old));
    EXPECT_EQ(old->exitStatus(), QProcess::CrashExit);
}

TEST_F(InstanceFixture, AStubbornProcessOfAnotherExecutableIsNeverKilledAndTheNewOneGivesWay)
{
    QProcess *other = startInstance("stubborn", m_helper);
    // Tarnel here is a different file with the same content; the listener runs the helper.
    const QString tarnel = m_dir.filePath("tarnel-other-file");
    ASSERT_TRUE(QFile::copy(m_helper, tarnel));
    LinuxInstanceLock lock(options(tarnel));
    bool ready = false;
    bool gaveWay = false;
    qint64 named = 0;
    QString namedExecutable;
    QObject::connect(&lock, &InstanceLock::gaveWay, [&](qint64 pid, const QString &executable) {
        gaveWay = true;
        named = pid;
        namedExecutable = executable;
    });
    lock.start([&] { ready = true; });
    EXPECT_TRUE(waitForLine(other, "asked"));
    // Giving way comes after the decision to kill or not, so a kill would be on its way by now.
    EXPECT_TRUE(QTest::qWaitFor([&] { return gaveWay; }));
    EXPECT_FALSE(ready);
    EXPECT_EQ(named, other->processId());
    EXPECT_EQ(namedExecutable, QFileInfo(m_helper).canonicalFilePath());
    EXPECT_FALSE(killedOrDying(other->processId()));
}

// Two starts whose environments put their sockets in different folders, on one history: the
// later one finds the earlier through the history's lock, asks it to quit and waits for it.
TEST_F(InstanceFixture, AStartListeningElsewhereFindsTheInstanceThatHoldsTheHistory)
{
    const QString historyLock = m_dir.filePath("data/Tarnel/instance.lock");
    QProcess *old = startInstance("slow", m_helper, {historyLock});
    LinuxInstanceLock::Options o = options(m_helper);
    o.serverName = m_dir.filePath("elsewhere.sock");
    o.historyLockFilePath = historyLock;
    o.quitWait = 20s;
    LinuxInstanceLock lock(o);
    bool ready = false;
    lock.start([&] { ready = true; });
    EXPECT_TRUE(waitForLine(old, "asked"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return ready; }, 15000));
    EXPECT_TRUE(finished(old));
    EXPECT_EQ(old->exitStatus(), QProcess::NormalExit);
    EXPECT_TRUE(old->readAllStandardOutput().contains("done")) << "taken over before the last write was done";

    // The new holder noted where it listens: the next start elsewhere asks it in turn.
    int asked = 0;
    QObject::connect(&lock, &InstanceLock::quitRequested, [&] { ++asked; });
    LinuxInstanceLock::Options third = o;
    third.serverName = m_dir.filePath("third.sock");
    LinuxInstanceLock later(third);
    later.start({});
    EXPECT_TRUE(QTest::qWaitFor([&] { return asked == 1; }));
}

// The history is held by one that cannot be asked (no note, or a socket nobody answers on): the
// new start never runs beside it and ends; once the history is free, a start runs at once.
TEST_F(InstanceFixture, AHolderOfTheHistoryThatCannotBeAskedIsNeverRunBeside)
{
    const QString historyLock = m_dir.filePath("instance.lock");
    for (const QByteArray &note : {QByteArray(), QByteArray("1\n") + QFile::encodeName(m_dir.filePath("gone.sock")) + '\n'}) {
        const int held = ::open(QFile::encodeName(historyLock).constData(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        ASSERT_GE(held, 0);
        ASSERT_EQ(::write(held, note.constData(), size_t(note.size())), ssize_t(note.size()));
        ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
        LinuxInstanceLock::Options o = options(m_helper);
        o.historyLockFilePath = historyLock;
        {
            LinuxInstanceLock lock(o);
            bool ready = false;
            bool gaveWay = false;
            QObject::connect(&lock, &InstanceLock::gaveWay, [&] { gaveWay = true; });
            lock.start([&] { ready = true; });
            EXPECT_TRUE(QTest::qWaitFor([&] { return gaveWay; })) << note.constData();
            EXPECT_FALSE(ready) << note.constData();
        }
        ::close(held);
        LinuxInstanceLock lock(o);
        bool ready = false;
        lock.start([&] { ready = true; });
        EXPECT_TRUE(ready) << note.constData();
    }
}

// Autostart and a manual start in the same moment: whichever order they meet in, exactly
// one keeps running.
TEST_F(InstanceFixture, OfInstancesStartedTogetherExactlyOneSurvives)
{
    for (int round = 0; round < 3; ++round) {
        QList<QProcess *> started;
        for (int i = 0; i < 3; ++i) {
            auto *p = new QProcess;
            m_processes.append(p);
            p->start(m_helper, {"instance", m_serverName, "polite", m_helper});
            started.append(p);
        }
        QHash<QProcess *, QByteArray> output;
        const auto running = [&] {
            return std::count_if(started.cbegin(), started.cend(),
                                 [](QProcess *p) { return p->state() != QProcess::NotRunning; });
        };
        // The survivor says it is ready once it holds the lock; nobody is left to ask it to quit.
        const auto settled = [&] {
            int ready = 0;
            for (QProcess *p : started) {
                output[p] += p->readAllStandardOutput();
                ready += p->state() != QProcess::NotRunning && output[p].contains("ready");
            }
            return ready == 1 && running() == 1;
        };
        EXPECT_TRUE(QTest::qWaitFor(settled, 8000)) << "round " << round << ": " << running() << " running";
        // One that lost the race was asked to quit, or asked the winner: none ends saying that
        // another would not.
        for (QProcess *p : started)
            EXPECT_FALSE(output[p].contains("gave way")) << "round " << round;
        for (QProcess *p : started) {
            p->kill();
            p->waitForFinished(2000);
        }
    }
}

// Two starts that both found nobody listening and wait for the lock (held here, as by a third
// start in the same moment): whichever takes it when it comes free listens, and the other asks
// it to quit as it would have at its start, then runs. Neither ends saying the other would not.
TEST_F(InstanceFixture, AStartThatLostTheLockAsksTheOneThatListensNow)
{
    const int held = ::open(QFile::encodeName(m_serverName + ".lock").constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    QList<QProcess *> starts;
    QHash<QProcess *, QByteArray> output;
    for (int i = 0; i < 2; ++i) {
        auto *p = new QProcess;
        m_processes.append(p);
        p->start(m_helper, {"instance", m_serverName, "polite", m_helper});
        ASSERT_TRUE(p->waitForStarted(5000));
        starts.append(p);
    }
    // Both have the lock file open: they asked (nobody listens yet) and wait for the lock.
    const QString lockFile = QFileInfo(m_serverName + ".lock").canonicalFilePath();
    const auto opened = [&](QProcess *p) {
        const QDir fds(QStringLiteral("/proc/%1/fd").arg(p->processId()));
        for (const QString &fd : fds.entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot)) {
            if (QFileInfo(fds.filePath(fd)).symLinkTarget() == lockFile)
                return true;
        }
        return false;
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return opened(starts.at(0)) && opened(starts.at(1)); }));
    ::close(held);
    const auto settled = [&] {
        int ready = 0;
        int running = 0;
        for (QProcess *p : starts) {
            output[p] += p->readAllStandardOutput();
            running += p->state() != QProcess::NotRunning;
            ready += p->state() != QProcess::NotRunning && output[p].contains("ready");
        }
        return ready == 1 && running == 1;
    };
    EXPECT_TRUE(QTest::qWaitFor(settled, 8000));
    for (QProcess *p : starts)
        EXPECT_FALSE(output[p].contains("gave way")) << output[p].constData();
}

// Whatever state the history's lock file is in when the first instance starts, or gets into while
// it runs, a start listening elsewhere finds it, asks it to quit and runs only once it has: the
// history never has two writers.
TEST_F(InstanceFixture, EveryStateOfTheHistoryLockFileLeavesOneWriter)
{
    const QString folder = m_dir.filePath("data/Tarnel");
    const QString historyLock = folder + "/instance.lock";
    const QByteArray name = QFile::encodeName(historyLock);
    const auto bindSocket = [&] {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
        const bool bound = ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
        ::close(fd);
        return bound;
    };
    const struct {
        const char *name;
        // Before the first start, or while it runs.
        std::function<bool()> before;
        std::function<bool()> during;
        bool needsRoot = false;
        // Root opens any file: the first instance meets the file as a user does, without the
        // capabilities that override file permissions.
        bool withoutOverride = false;
    } cases[] = {
        {"a folder of that name", [&] { return QDir().mkpath(historyLock + "/inside"); }, {}},
        {"a link to a file elsewhere",
         [&] { return writeFile(m_dir.filePath("elsewhere"), "") && QFile::link(m_dir.filePath("elsewhere"), historyLock); },
         {}},
        {"a socket that no file call can open", bindSocket, {}},
        {"another user's file, 0600",
         [&] {
             return writeFile(historyLock, "") && ::chmod(name.constData(), 0600) == 0
                 && ::chown(name.constData(), 65534, 65534) == 0;
         },
         {},
         true},
        {"the user's own file, read only (0400)",
         [&] { return writeFile(historyLock, "") && ::chmod(name.constData(), 0400) == 0; },
         {},
         false,
         true},
        {"the file deleted while the first runs", {}, [&] { return QFile::remove(historyLock); }},
        {"the file replaced while the first runs",
         {},
         [&] { return QFile::remove(historyLock) && writeFile(historyLock, "1\n/nowhere.sock\n"); }},
    };
    for (const auto &c : cases) {
        if (c.needsRoot && ::geteuid() != 0)
            continue; // only root can leave a file of another user
        ASSERT_TRUE(QDir(m_dir.filePath("data")).removeRecursively() || !QFileInfo::exists(m_dir.filePath("data")));
        ASSERT_TRUE(QDir().mkpath(folder));
        if (c.before) {
            ASSERT_TRUE(c.before()) << c.name;
        }
        QProcess *first = nullptr;
        if (c.withoutOverride && ::geteuid() == 0) {
            first = new QProcess;
            m_processes.append(first);
            const QStringList asUser{"--bounding-set=-dac_override,-dac_read_search,-fowner", "--", m_helper};
            first->start(QStringLiteral("setpriv"), asUser + QStringList{"instance", m_serverName, "polite", m_helper, historyLock});
            ASSERT_TRUE(first->waitForStarted(5000)) << c.name;
            ASSERT_TRUE(waitForLine(first, "ready")) << c.name;
        } else {
            first = startInstance("polite", m_helper, {historyLock});
        }
        if (c.during) {
            ASSERT_TRUE(c.during()) << c.name;
        }

        LinuxInstanceLock::Options o = options(m_helper);
        o.serverName = m_dir.filePath("elsewhere.sock");
        o.historyLockFilePath = historyLock;
        o.quitWait = 20s;
        LinuxInstanceLock second(o);
        bool ready = false;
        bool firstRanStill = false;
        second.start([&] {
            ready = true;
            firstRanStill = !finished(first) || first->exitStatus() != QProcess::NormalExit;
        });
        EXPECT_TRUE(QTest::qWaitFor([&] { return ready; }, 15000)) << c.name;
        EXPECT_FALSE(firstRanStill) << c.name << ": the second ran beside the first";
        EXPECT_TRUE(finished(first)) << c.name;
        EXPECT_TRUE(first->readAllStandardOutput().contains("asked")) << c.name;
        EXPECT_TRUE(second.holdsHistory()) << c.name;
    }
}

// A Tarnel of another install holds the history, stopped: it is not the same program, so it is
// never killed, and the start gives way naming it.
TEST_F(InstanceFixture, AStoppedHolderOfTheHistoryFromAnotherInstallIsNamedWhenTheStartGivesWay)
{
    const QString historyLock = m_dir.filePath("data/Tarnel/instance.lock");
    QProcess *other = startInstance("stubborn", m_helper, {historyLock});
    ::kill(pid_t(other->processId()), SIGSTOP);
    const QString tarnel = m_dir.filePath("tarnel-other-install");
    ASSERT_TRUE(QFile::copy(m_helper, tarnel));
    LinuxInstanceLock::Options o = options(tarnel);
    o.serverName = m_dir.filePath("elsewhere.sock");
    o.historyLockFilePath = historyLock;
    LinuxInstanceLock lock(o);
    bool ready = false;
    qint64 named = 0;
    QString namedExecutable;
    QObject::connect(&lock, &InstanceLock::gaveWay, [&](qint64 pid, const QString &executable) {
        named = pid;
        namedExecutable = executable;
    });
    lock.start([&] { ready = true; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return named != 0; }, 15000));
    EXPECT_FALSE(ready);
    EXPECT_EQ(named, other->processId());
    EXPECT_EQ(namedExecutable, QFileInfo(m_helper).canonicalFilePath());
    EXPECT_FALSE(killedOrDying(other->processId()));
    ::kill(pid_t(other->processId()), SIGCONT);
}

// Where no lock can be had at all (flock answers ENOLCK, as on a network home without a lock
// manager) the instance still runs, as no writer of the history, and says why.
TEST_F(InstanceFixture, WithoutLocksTheInstanceRunsAndDoesNotHoldTheHistory)
{
    const QString historyLock = m_dir.filePath("data/Tarnel/instance.lock");
    QProcess p;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LD_PRELOAD", QStringLiteral(TARNEL_NO_LOCKS_LIBRARY));
    p.setProcessEnvironment(environment);
    p.start(m_helper, {"instance", m_serverName, "polite", m_helper, historyLock});
    ASSERT_TRUE(p.waitForStarted(5000));
    EXPECT_TRUE(waitForLine(&p, "ready")) << p.readAllStandardError().constData();
    EXPECT_TRUE(waitForLine(&p, "writes no history")) << p.readAllStandardError().constData();
    EXPECT_TRUE(p.readAllStandardError().contains("No locks available"));

    // A later start still asks it to quit over the socket.
    LinuxInstanceLock later(options(m_helper));
    bool ready = false;
    later.start([&] { ready = true; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return ready; }, 15000));
    EXPECT_TRUE(finished(&p));
}

} // namespace

namespace {

// A folder that cannot be had at the start is named with the reason that holds for it, and taken
// as soon as it can be, without another start.
TEST_F(InstanceFixture, AHistoryFolderThatCannotBeHadIsNamedWithItsReasonAndTakenOnceItCanBe)
{
    const QString data = m_dir.filePath("data");
    const QString historyLock = data + "/Tarnel/instance.lock";
    const bool root = ::geteuid() == 0;
    const struct {
        const char *name;
        std::function<bool()> before;
        HistoryLockReason reason;
        std::function<bool()> repair;
        bool needsRoot = false;
    } cases[] = {
        {"a file where the folder goes", [&] { return QDir().mkpath(data) && writeFile(data + "/Tarnel", "x"); },
         HistoryLockReason::NotAFolder, [&] { return QFile::remove(data + "/Tarnel"); }},
        {"a file where the folder above it goes", [&] { return writeFile(data, "x"); }, HistoryLockReason::NotAFolder,
         [&] { return QFile::remove(data); }},
        {"a read-only disk",
         [&] {
             return QDir().mkpath(data)
                 && QProcess::execute("mount", {"-t", "tmpfs", "-o", "ro,size=1m,mode=0700", "tmpfs", data}) == 0;
         },
         HistoryLockReason::NotWritable, [&] { return QProcess::execute("mount", {"-o", "remount,rw", data}) == 0; },
         true},
    };
    for (const auto &c : cases) {
        if (c.needsRoot && !root)
            continue; // only root mounts a disk of its own
        QFile::remove(data);
        QDir(data).removeRecursively();
        ASSERT_TRUE(c.before()) << c.name;
        LinuxInstanceLock::Options o = options(m_helper);
        o.historyLockFilePath = historyLock;
        {
            LinuxInstanceLock lock(o);
            bool ready = false;
            lock.start([&] { ready = true; });
            ASSERT_TRUE(ready) << c.name;
            EXPECT_FALSE(lock.holdsHistory()) << c.name;
            EXPECT_EQ(lock.historyLockReason(), c.reason) << c.name << ": " << lock.historyLockProblem().toStdString();
            EXPECT_FALSE(lock.checkHistoryFolder().held) << c.name;

            QSignalSpy taken(&lock, &InstanceLock::historyFolderTaken);
            ASSERT_TRUE(c.repair()) << c.name;
            EXPECT_TRUE(taken.wait(int(LinuxInstanceLock::kHistoryRetakeInterval.count()) * 3)) << c.name;
            EXPECT_TRUE(lock.holdsHistory()) << c.name;
            EXPECT_EQ(lock.historyLockReason(), HistoryLockReason::None) << c.name;
            EXPECT_TRUE(lock.checkHistoryFolder().held) << c.name;
            EXPECT_TRUE(readFile(historyLock).startsWith(QByteArray::number(::getpid()) + '\n')) << c.name;
        }
        if (c.needsRoot)
            QProcess::execute("umount", {"-l", data});
    }
}

// The history lives at its path: a folder deleted, renamed away or replaced while the instance
// holds it is taken anew at the path, made afresh when gone; the folder held before can still be
// read where it is still there; and a start that takes a replaced folder whose note names the
// running instance asks it to quit first.
TEST_F(InstanceFixture, AHistoryFolderChangedWhileHeldIsTakenAnewAtItsPath)
{
    const QString folder = m_dir.filePath("data/Tarnel");
    const QString historyLock = folder + "/instance.lock";
    const struct {
        const char *name;
        std::function<bool()> change;
        bool previousReadable;
    } cases[] = {
        {"deleted", [&] { return QDir(folder).removeRecursively(); }, false},
        {"renamed away", [&] { return QDir().rename(folder, folder + ".moved"); }, true},
        {"replaced by a backup",
         [&] {
             return QDir().mkpath(folder + ".backup") && QFile::copy(historyLock, folder + ".backup/instance.lock")
                 && QDir().rename(folder, folder + ".old") && QDir().rename(folder + ".backup", folder);
         },
         true},
    };
    for (const auto &c : cases) {
        QDir(m_dir.filePath("data")).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(folder));
        ASSERT_TRUE(writeFile(folder + "/kept", "held before"));
        LinuxInstanceLock::Options o = options(m_helper);
        o.historyLockFilePath = historyLock;
        LinuxInstanceLock lock(o);
        bool ready = false;
        lock.start([&] { ready = true; });
        ASSERT_TRUE(ready) << c.name;
        const HistoryFolderCheck before = lock.checkHistoryFolder();
        ASSERT_TRUE(before.held) << c.name;

        QSignalSpy taken(&lock, &InstanceLock::historyFolderTaken);
        ASSERT_TRUE(c.change()) << c.name;
        // The watch sees it without a write: an instance that holds its folder has no other
        // reason to look, so the folder is taken only if the change was heard.
        EXPECT_TRUE(taken.wait(10000)) << c.name;
        const HistoryFolderCheck after = lock.checkHistoryFolder();
        EXPECT_TRUE(after.held) << c.name;
        EXPECT_EQ(after.generation, before.generation + 1) << c.name;
        EXPECT_TRUE(QFileInfo(folder).isDir()) << c.name;
        EXPECT_TRUE(readFile(historyLock).startsWith(QByteArray::number(::getpid()) + '\n')) << c.name;
        EXPECT_EQ(!after.previousFolder.isEmpty(), c.previousReadable) << c.name;
        if (c.previousReadable) {
            EXPECT_EQ(readFile(after.previousFolder + "/kept"), QByteArray("held before")) << c.name;
        }
        // Held at the path: a start from elsewhere finds it there.
        const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        EXPECT_NE(::flock(fd, LOCK_EX | LOCK_NB), 0) << c.name;
        ::close(fd);
    }
}

// A start that takes the lock of a folder whose note names a Tarnel that still runs (the folder
// was replaced under it) does not run beside it: it asks it to quit first.
TEST_F(InstanceFixture, AStartThatFindsTheNoteOfARunningInstanceInAFreeFolderAsksItToQuit)
{
    const QString folder = m_dir.filePath("data/Tarnel");
    const QString historyLock = folder + "/instance.lock";
    QProcess *first = startInstance("polite", m_helper, {historyLock});
    // The folder it holds moves away, and a copy of it, note and all, takes its place.
    ASSERT_TRUE(QDir().rename(folder, folder + ".old"));
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(QFile::copy(folder + ".old/instance.lock", historyLock));

    LinuxInstanceLock::Options o = options(m_helper);
    o.serverName = m_dir.filePath("elsewhere.sock");
    o.historyLockFilePath = historyLock;
    o.quitWait = 20s;
    LinuxInstanceLock second(o);
    bool ready = false;
    bool firstRanStill = false;
    second.start([&] {
        ready = true;
        firstRanStill = !finished(first) || first->exitStatus() != QProcess::NormalExit;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return ready; }, 15000));
    EXPECT_FALSE(firstRanStill) << "the second ran beside the first";
    EXPECT_TRUE(first->readAllStandardOutput().contains("asked"));
    EXPECT_TRUE(second.holdsHistory());
}

} // namespace
