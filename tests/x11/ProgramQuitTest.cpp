// How the running program ends when it is asked to: by the session (SIGTERM), by the terminal
// that started it (Ctrl+C, a closed window) or by a newer start. Each time the copy it was still
// writing reaches the disk, however long the disk makes it wait.
// gtest first: Xlib's macros (None, Bool) would break its headers.
#include <gtest/gtest.h>

#include "core/ClipboardEntry.h"
#include "engine/HistoryRows.h"
#include "engine/HistoryWriter.h"
#include "platform/linux/SqliteHistoryStore.h"
#include "shell/CompositionRoot.h"
#include "support/TestFiles.h"
#include "support/TestImages.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <csignal>
#include <memory>
#include <sqlite3.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "StoredHistory.h"
#include "X11TestSupport.h"

using namespace x11test;

namespace {

QString historyPath() { return SqliteHistoryStore::defaultPath(); }

void freshStart()
{
    forgetHistory(historyPath());
    writeSettings(R"({"tarnel.onboardingComplete": true})");
}

// A second connection to the history that holds its write lock while it lives, as a backup
// tool or a slow disk would: the program's writer waits behind it.
class WriteLock
{
public:
    explicit WriteLock(const QString &path)
    {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            return;
        sqlite3_busy_timeout(m_db, 10000);
        m_held = sqlite3_exec(m_db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ~WriteLock()
    {
        if (m_held)
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(m_db);
    }
    bool isHeld() const { return m_held; }

private:
    sqlite3 *m_db = nullptr;
    bool m_held = false;
};

// Another program copies a text (or content of another type) and says "served" once a program
// has read it.
class TextOwner
{
public:
    explicit TextOwner(const QByteArray &text, const char *target = "UTF8_STRING")
    {
        QFile file(m_dir.filePath(QStringLiteral("text")));
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
            return;
        file.close();
        m_process.start(QStringLiteral(TARNEL_PLATFORM_HELPER), {"offer", target, file.fileName()});
        m_process.waitForStarted(5000);
    }
    ~TextOwner()
    {
        m_process.kill();
        m_process.waitForFinished(2000);
    }
    bool waitUntilServed()
    {
        return QTest::qWaitFor([&] {
            m_output += m_process.readAllStandardOutput();
            return m_output.split('\n').contains("served");
        }, 10000);
    }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    QByteArray m_output;
};

QByteArray largeText(const char *label)
{
    return QByteArray(label) + ' ' + QByteArray(4 * 1000 * 1000, 'x');
}

bool waitForDatabase() { return QTest::qWaitFor([] { return QFileInfo::exists(historyPath()); }, 10000); }

// A process that is still writing is not ended by the request: it finishes the write once the
// disk lets it, and only then exits, of its own accord.
void expectOrderlyEnd(QProcess &process, const char *what)
{
    ASSERT_TRUE(QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 40000)) << what;
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << what;
    EXPECT_EQ(process.exitCode(), 0) << what;
}

void expectStoredAlone(const QByteArray &text, const char *what)
{
    const QStringList texts = storedTexts();
    EXPECT_TRUE(texts == QStringList{QString::fromLatin1(text)}) << what << ": " << texts.size() << " texts stored";
}

// How long a test keeps the write lock after the program was asked to end: longer than any
// pause a program that is not writing would need before it ends.
constexpr int kHeldAfterRequestMs = 2000;

TEST(ProgramQuit, TheSignalsOfTheSessionAndOfTheTerminalQuitAfterTheLastCopyIsWritten)
{
    const struct {
        const char *name;
        int signal;
    } cases[] = {
        {"SIGTERM (logout)", SIGTERM},
        {"SIGINT (Ctrl+C)", SIGINT},
        {"SIGHUP (terminal closed)", SIGHUP},
    };
    for (const auto &c : cases) {
        freshStart();
        const QByteArray text = largeText(c.name);
        Program tarnel(tarnelBinary());
        ASSERT_TRUE(waitForPanel()) << c.name << tarnel.errorOutput().constData();
        ASSERT_TRUE(waitForDatabase()) << c.name;
        {
            WriteLock lock(historyPath());
            ASSERT_TRUE(lock.isHeld()) << c.name;
            TextOwner owner(text);
            ASSERT_TRUE(owner.waitUntilServed()) << c.name;
            ::kill(pid_t(tarnel.pid()), c.signal);
            (void)QTest::qWaitFor([&] { return !tarnel.isRunning(); }, kHeldAfterRequestMs);
        }
        expectOrderlyEnd(tarnel.process(), c.name);
        EXPECT_TRUE(tarnel.errorOutput().contains("received: quitting")) << c.name << tarnel.errorOutput().constData();
        expectStoredAlone(text, c.name);
    }
    forgetHistory(historyPath());
}

TEST(ProgramQuit, ASecondStartLetsTheFirstFinishWritingBeforeItTakesOver)
{
    freshStart();
    const QByteArray text = largeText("before the second start");
    Program first(tarnelBinary());
    ASSERT_TRUE(waitForPanel()) << first.errorOutput().constData();
    ASSERT_TRUE(waitForDatabase());
    std::unique_ptr<Program> second;
    {
        WriteLock lock(historyPath());
        ASSERT_TRUE(lock.isHeld());
        TextOwner owner(text);
        ASSERT_TRUE(owner.waitUntilServed());
        second = std::make_unique<Program>(tarnelBinary());
        ASSERT_TRUE(QTest::qWaitFor([&] { return first.errorOutput().contains("A newer Tarnel started"); }, 10000))
            << first.errorOutput().constData();
        (void)QTest::qWaitFor([&] { return !first.isRunning(); }, kHeldAfterRequestMs);
    }
    expectOrderlyEnd(first.process(), "the first instance");
    expectStoredAlone(text, "the first instance");
    // The second one runs, and it started from what the first one wrote.
    ASSERT_TRUE(waitForRole("tarnel-panel", 40000)) << second->errorOutput().constData();
    EXPECT_TRUE(second->isRunning());
    second.reset();
    forgetHistory(historyPath());
}

// The rows of the history and the image files of its store, as another reader sees them.
struct HistoryOnDisk {
    QStringList texts;
    int imageRows = 0;
    // Image rows whose file is not in the store.
    int missingFiles = 0;
    int files = 0;
};

HistoryOnDisk historyOnDisk()
{
    HistoryOnDisk disk;
    for (const StoredHistoryRow &row : SqliteHistoryStore(historyPath()).read().rows) {
        const std::optional<ClipboardEntry> entry = HistoryRows::decodeRow(row);
        if (!entry)
            continue;
        disk.texts.append(entry->text);
        if (entry->imageFilePath) {
            ++disk.imageRows;
            disk.missingFiles += QFileInfo::exists(*entry->imageFilePath) ? 0 : 1;
        }
    }
    disk.files = int(QDir(qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Tarnel/Clipboard Images"))
                         .entryList({QStringLiteral("*.image")}, QDir::Files)
                         .size());
    return disk;
}

bool copyAndWaitForRows(const QByteArray &bytes, const char *target, int rows)
{
    TextOwner owner(bytes, target);
    return owner.waitUntilServed() && QTest::qWaitFor([&] { return historyOnDisk().texts.size() == rows; }, 10000);
}

// One history has one writer, whatever the environment of each start: a start from a shell that
// names no runtime folder (su, ssh, cron), or one after the temporary folder's own socket folder
// was taken by another and given back, finds the instance that runs on the same history, asks it
// to quit and takes over once it has.
TEST(ProgramQuit, AStartFromAnotherEnvironmentTakesTheSameHistoryOver)
{
    QTemporaryDir temporary;
    const QString ownSocketFolder = temporary.filePath(QStringLiteral("tarnel-%1").arg(::geteuid()));
    QProcessEnvironment desktop = QProcessEnvironment::systemEnvironment();
    desktop.insert(QStringLiteral("TMPDIR"), temporary.path());
    QProcessEnvironment shell = desktop;
    shell.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    const struct {
        const char *name;
        QProcessEnvironment first;
        QProcessEnvironment second;
        std::function<void()> beforeFirst;
        std::function<void()> beforeSecond;
    } cases[] = {
        {"a start from a shell without a runtime folder", desktop, shell, {}, {}},
        {"the temporary socket folder open to all at the first start, gone at the second", shell, shell,
         [&] {
             QDir().mkpath(ownSocketFolder);
             ::chmod(QFile::encodeName(ownSocketFolder).constData(), 0777);
         },
         [&] { QDir(ownSocketFolder).removeRecursively(); }},
    };
    for (const auto &c : cases) {
        freshStart();
        QDir(qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Tarnel/Clipboard Images")).removeRecursively();
        if (c.beforeFirst)
            c.beforeFirst();
        Program first(tarnelBinary(), {}, c.first);
        ASSERT_TRUE(waitForPanel()) << c.name << first.errorOutput().constData();
        ASSERT_TRUE(waitForDatabase()) << c.name;
        ASSERT_TRUE(copyAndWaitForRows("copied before the second start", "UTF8_STRING", 1)) << c.name;
        ASSERT_TRUE(copyAndWaitForRows(pngBytes(40, 30, Qt::blue), "image/png", 2)) << c.name;
        const HistoryOnDisk before = historyOnDisk();
        EXPECT_EQ(before.files, 1) << c.name;

        if (c.beforeSecond)
            c.beforeSecond();
        Program second(tarnelBinary(), {}, c.second);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !first.isRunning(); }, 15000))
            << c.name << ": both instances run on one history\n"
            << first.errorOutput().constData() << second.errorOutput().constData();
        EXPECT_TRUE(first.errorOutput().contains("A newer Tarnel started")) << c.name;
        expectOrderlyEnd(first.process(), c.name);
        ASSERT_TRUE(waitForRole("tarnel-panel", 20000)) << c.name << second.errorOutput().constData();
        EXPECT_TRUE(second.isRunning()) << c.name;

        ASSERT_TRUE(copyAndWaitForRows("copied after the second start", "UTF8_STRING", 3))
            << c.name << ": " << historyOnDisk().texts.size() << " rows";
        ASSERT_TRUE(copyAndWaitForRows(pngBytes(30, 40, Qt::green), "image/png", 4))
            << c.name << ": " << historyOnDisk().texts.size() << " rows";
        const HistoryOnDisk after = historyOnDisk();
        EXPECT_EQ(after.imageRows, 2) << c.name;
        EXPECT_EQ(after.missingFiles, 0) << c.name;
        EXPECT_EQ(after.files, 2) << c.name;
        EXPECT_EQ(after.texts.count(QStringLiteral("copied before the second start")), 1) << c.name;
        // Stays the one running: nothing asks it to quit while it writes.
        EXPECT_TRUE(second.isRunning()) << c.name << second.errorOutput().constData();
    }
    forgetHistory(historyPath());
}

TEST(ProgramQuit, AnInstanceThatNoLongerAnswersIsEndedWithoutTheLongWait)
{
    freshStart();
    Program first(tarnelBinary());
    ASSERT_TRUE(waitForPanel()) << first.errorOutput().constData();
    // Stopped, it cannot answer on its socket, let alone finish anything.
    ::kill(pid_t(first.pid()), SIGSTOP);
    Program second(tarnelBinary());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !first.isRunning(); }, 8000)) << second.errorOutput().constData();
    EXPECT_EQ(first.process().exitStatus(), QProcess::CrashExit);
    EXPECT_TRUE(waitForRole("tarnel-panel", 8000).has_value()) << second.errorOutput().constData();
    EXPECT_TRUE(second.isRunning());
    forgetHistory(historyPath());
}

// A launcher clicked twice, or autostart and a click in the same moment: of two starts a few
// milliseconds apart exactly one keeps running with its panel, the other ends of its own accord,
// and neither tells the user that the other would not quit.
TEST(ProgramQuit, TwoStartsInTheSameMomentLeaveOneInstanceAndNoAlert)
{
    constexpr int kPairs = 20;
    constexpr qint64 kLongestGapMs = 10;
    freshStart();
    for (int pair = 0; pair < kPairs; ++pair) {
        const qint64 gapMs = pair * kLongestGapMs / (kPairs - 1);
        QElapsedTimer clock;
        clock.start();
        auto first = std::make_unique<Program>(tarnelBinary());
        // The gap between the two starts is what is tried, not a wait for anything.
        while (clock.elapsed() < gapMs) {
        }
        auto second = std::make_unique<Program>(tarnelBinary());
        const auto running = [&] { return int(first->isRunning()) + int(second->isRunning()); };
        const bool settled =
            QTest::qWaitFor([&] { return running() == 1 && shownWithRole("tarnel-panel").size() == 1; }, 15000);
        EXPECT_TRUE(settled) << "starts " << gapMs << " ms apart: " << running() << " running\n"
                             << first->errorOutput().constData() << second->errorOutput().constData();
        EXPECT_TRUE(shownWithRole(CompositionRoot::otherInstanceAlertRole).empty())
            << "starts " << gapMs << " ms apart: an alert blames the other start";
        Program &ended = first->isRunning() ? *second : *first;
        EXPECT_EQ(ended.process().exitStatus(), QProcess::NormalExit) << "starts " << gapMs << " ms apart";
        EXPECT_EQ(ended.process().exitCode(), 0) << "starts " << gapMs << " ms apart";
        if (!settled)
            break;
    }
    forgetHistory(historyPath());
}

QString historyLockFile() { return QFileInfo(historyPath()).absolutePath() + QStringLiteral("/instance.lock"); }

// Clears whatever a case left in place of the history's lock file.
void removeHistoryLockFile()
{
    const QString path = historyLockFile();
    if (QFileInfo(path).isDir() && !QFileInfo(path).isSymLink())
        QDir(path).removeRecursively();
    else
        QFile::remove(path);
}

// The alert of the program's own process with this role, once it is on the screen.
std::optional<Window> waitForAlertOf(qint64 pid, const char *role, int ms = 15000)
{
    std::optional<Window> found;
    (void)QTest::qWaitFor([&] {
        for (Window w : shownWithRole(role)) {
            if (longProperty(w, "_NET_WM_PID") == std::vector<unsigned long>{ulong(pid)})
                found = w;
        }
        return found.has_value();
    },
                          ms);
    return found;
}

// Whatever state the history's lock file is in (one that cannot be opened, one that is removed
// or replaced while the first instance runs), a start in another environment (no runtime folder)
// takes the history over from the first: one writer, and no row names a file that is gone.
TEST(ProgramQuit, EveryStateOfTheHistoryLockFileLeavesOneWriterOverTwoEnvironments)
{
    // The temporary folder of its own: a start without a runtime folder listens there, and must
    // not meet the programs of other tests on this machine.
    QTemporaryDir temporary;
    QProcessEnvironment desktop = QProcessEnvironment::systemEnvironment();
    desktop.insert(QStringLiteral("TMPDIR"), temporary.path());
    QProcessEnvironment shell = desktop;
    shell.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    const QByteArray lock = QFile::encodeName(historyLockFile());
    // Root opens any file: a file of another user is met as a user meets one of root only
    // without the capabilities that override file permissions.
    const bool root = ::geteuid() == 0;
    const QStringList asUser{QStringLiteral("--bounding-set=-dac_override,-dac_read_search,-fowner"), QStringLiteral("--")};
    const struct {
        const char *name;
        std::function<bool()> before;
        std::function<bool()> during;
        bool withoutOverride = false;
    } cases[] = {
        {"a folder of that name", [&] { return QDir().mkpath(historyLockFile() + QStringLiteral("/inside")); }, {}},
        {"a link of that name",
         [&] { return QFile::link(QFileInfo(historyPath()).absolutePath() + QStringLiteral("/elsewhere"), historyLockFile()); },
         {}},
        {"another user's file, 0600 (left by sudo -E)",
         [&] {
             return writeFile(historyLockFile(), "") && ::chmod(lock.constData(), 0600) == 0
                 && (!root || ::chown(lock.constData(), 65534, 65534) == 0);
         },
         {},
         true},
        {"a socket that no file call opens",
         [&] {
             const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
             sockaddr_un address{};
             address.sun_family = AF_UNIX;
             std::memcpy(address.sun_path, lock.constData(), size_t(lock.size()));
             const bool bound = ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
             ::close(fd);
             return bound;
         },
         {}},
        {"the file deleted while the first runs", {}, [] { return QFile::remove(historyLockFile()); }},
    };
    for (const auto &c : cases) {
        if (c.withoutOverride && root && QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
            continue;
        freshStart();
        QDir(qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Tarnel/Clipboard Images")).removeRecursively();
        QDir().mkpath(QFileInfo(historyPath()).absolutePath());
        removeHistoryLockFile();
        if (c.before) {
            ASSERT_TRUE(c.before()) << c.name;
        }
        const bool dropsOverride = c.withoutOverride && root;
        const QString program = dropsOverride ? QStringLiteral("setpriv") : tarnelBinary();
        const QStringList arguments = dropsOverride ? asUser + QStringList{tarnelBinary()} : QStringList{};
        Program first(program, arguments, desktop);
        ASSERT_TRUE(waitForPanel()) << c.name << first.errorOutput().constData();
        ASSERT_TRUE(waitForDatabase()) << c.name;
        if (c.during) {
            ASSERT_TRUE(c.during()) << c.name;
        }

        Program second(program, arguments, shell);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !first.isRunning(); }, 15000))
            << c.name << ": both instances run on one history\n"
            << first.errorOutput().constData() << second.errorOutput().constData();
        expectOrderlyEnd(first.process(), c.name);
        ASSERT_TRUE(waitForRole("tarnel-panel", 20000)) << c.name << second.errorOutput().constData();

        ASSERT_TRUE(copyAndWaitForRows(pngBytes(40, 30, Qt::blue), "image/png", 1)) << c.name;
        ASSERT_TRUE(copyAndWaitForRows("a text between two images", "UTF8_STRING", 2)) << c.name;
        ASSERT_TRUE(copyAndWaitForRows(pngBytes(30, 40, Qt::green), "image/png", 3)) << c.name;
        const HistoryOnDisk after = historyOnDisk();
        EXPECT_EQ(after.texts.size(), 3) << c.name;
        EXPECT_EQ(after.imageRows, 2) << c.name;
        EXPECT_EQ(after.missingFiles, 0) << c.name;
        EXPECT_EQ(after.files, 2) << c.name;
        EXPECT_TRUE(second.isRunning()) << c.name << second.errorOutput().constData();
        second.close();
    }
    removeHistoryLockFile();
    forgetHistory(historyPath());
}

// On a file system without locks (flock answers ENOLCK, as an NFS home without a lock manager)
// the program starts all the same and says on screen why its copies are not kept.
TEST(ProgramQuit, WithoutLocksTheProgramRunsAndSaysSoOnScreen)
{
    freshStart();
    removeHistoryLockFile();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(TARNEL_NO_LOCKS_LIBRARY));
    Program tarnel(tarnelBinary(), {}, environment);
    ASSERT_TRUE(waitForPanel()) << tarnel.errorOutput().constData();
    EXPECT_TRUE(waitForAlertOf(tarnel.pid(), CompositionRoot::historyNotLockedAlertRole).has_value())
        << tarnel.errorOutput().constData();
    EXPECT_TRUE(tarnel.isRunning());
    EXPECT_TRUE(tarnel.errorOutput().contains("No locks available")) << tarnel.errorOutput().constData();
    EXPECT_FALSE(tarnel.errorOutput().contains("did not quit")) << "no other instance is blamed";
    forgetHistory(historyPath());
}

// A Tarnel of another install holds the history, stopped: the start cannot make it quit and
// will not run beside it, and says so on screen with its process number and path.
TEST(ProgramQuit, AStartThatGivesWayToAStoppedTarnelOfAnotherInstallNamesItOnScreen)
{
    freshStart();
    removeHistoryLockFile();
    QTemporaryDir dir;
    const QString other = dir.filePath(QStringLiteral("other-install-tarnel"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(TARNEL_PLATFORM_HELPER), other));
    QFile::setPermissions(other, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcess holder;
    holder.start(other, {"instance", dir.filePath(QStringLiteral("other.sock")), "stubborn", other, historyLockFile()});
    ASSERT_TRUE(holder.waitForStarted(5000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return holder.canReadLine() && holder.readLine().startsWith("ready"); }, 10000));
    ::kill(pid_t(holder.processId()), SIGSTOP);

    Program tarnel(tarnelBinary());
    const std::optional<Window> alert = waitForAlertOf(tarnel.pid(), CompositionRoot::otherInstanceAlertRole);
    EXPECT_TRUE(alert.has_value()) << tarnel.errorOutput().constData();
    EXPECT_TRUE(tarnel.isRunning()) << "ended with log lines only: " << tarnel.errorOutput().constData();
    EXPECT_TRUE(tarnel.errorOutput().contains(QByteArray::number(holder.processId()))) << tarnel.errorOutput().constData();
    EXPECT_TRUE(tarnel.errorOutput().contains(QFile::encodeName(QFileInfo(other).canonicalFilePath())))
        << tarnel.errorOutput().constData();
    EXPECT_TRUE(shownWithRole("tarnel-panel").empty()) << "runs beside the holder";
    EXPECT_EQ(holder.state(), QProcess::Running) << "another install's process is never killed";
    ::kill(pid_t(holder.processId()), SIGCONT);
    holder.kill();
    holder.waitForFinished(5000);
    forgetHistory(historyPath());
}

// A quit that finds the disk full says the last copies will be lost and keeps trying; room that
// comes back while it waits is used within a second, however long the rest between tries has
// grown, and the program then ends with nothing lost.
TEST(ProgramQuit, AQuitOnAFullDiskWritesWithinASecondOfRoomComingBack)
{
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("small-data"));
    ASSERT_TRUE(QDir().mkpath(data));
    if (::geteuid() != 0 || run(QStringLiteral("mount"), {"-t", "tmpfs", "-o", "size=2m,mode=0700", "tmpfs", data}) != 0)
        GTEST_SKIP() << "a small file system of its own cannot be mounted here (not root, or no permission to mount)";
    const auto unmount = qScopeGuard([&] { run(QStringLiteral("umount"), {"-l", data}); });
    writeSettings(R"({"tarnel.onboardingComplete": true})");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), data);
    const QString history = data + QStringLiteral("/Tarnel/history.sqlite3");
    Program tarnel(tarnelBinary(), {}, environment);
    ASSERT_TRUE(waitForPanel()) << tarnel.errorOutput().constData();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(history); }, 10000));

    // The disk fills up.
    QFile filler(data + QStringLiteral("/filler"));
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
    const QByteArray block(64 * 1024, 'f');
    while (filler.write(block) == block.size() && filler.flush()) {
    }
    filler.close();
    const QByteArray text = QByteArray("copied on a full disk ") + QByteArray(256 * 1024, 'x');
    {
        TextOwner owner(text);
        ASSERT_TRUE(owner.waitUntilServed());
        ASSERT_TRUE(QTest::qWaitFor([&] { return tarnel.errorOutput().contains("History could not be written"); }, 10000))
            << tarnel.errorOutput().constData();
    }
    tarnel.process().terminate();
    ASSERT_TRUE(QTest::qWaitFor([&] { return tarnel.errorOutput().contains("Quitting while the history cannot be written"); },
                                30000))
        << tarnel.errorOutput().constData();
    // A few more tries after the quit's own, so that the rest between them has grown. The rest
    // is read off the program's own pace, between its last two tries as seen here, which a
    // loaded machine stretches as it stretches the program's (a try the quit makes at once is no
    // rest); the room comes back as a try has just failed, and the rest after it is twice that.
    const auto failures = [&] { return tarnel.errorOutput().count("History could not be written"); };
    const qsizetype atQuit = failures();
    qsizetype seen = atQuit;
    QElapsedTimer sinceTry;
    qint64 restMs = 0;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            if (failures() == seen)
                return false;
            seen = failures();
            restMs = sinceTry.isValid() ? sinceTry.elapsed() : 0;
            sinceTry.start();
            return seen >= atQuit + 2 && restMs >= qint64(std::chrono::milliseconds(HistoryWriter::kRetryInterval).count());
        },
        20000))
        << tarnel.errorOutput().constData();
    ASSERT_TRUE(tarnel.isRunning()) << "the alert that says copies are lost waits";

    ASSERT_TRUE(QFile::remove(filler.fileName()));
    const auto written = [&] {
        for (const StoredHistoryRow &row : SqliteHistoryStore(history).read().rows) {
            if (row.record.contains("copied on a full disk"))
                return true;
        }
        return false;
    };
    // Written before the rest would have ended: by the look at the free space, not the next try.
    ASSERT_TRUE(QTest::qWaitFor(written, int(restMs))) << "not written within the " << restMs
                                                       << " ms rest after room came back; " << tarnel.errorOutput().constData();
    // The alert goes with the failure, and the program ends of its own accord.
    expectOrderlyEnd(tarnel.process(), "the quit on a full disk");
}

// The disk under the history stops answering while the program runs, as a network home does whose
// server went away: asked to end, the program says that its last copy is not on disk and ends all
// the same, with what it committed before the disk stopped still in the history.
TEST(ProgramQuit, AQuitOnADiskThatStoppedAnsweringEndsKeepingWhatWasCommitted)
{
    freshStart();
    const QString folder = QFileInfo(historyPath()).absolutePath();
    ASSERT_TRUE(QDir().mkpath(folder));
    QTemporaryDir dir;
    const QString trigger = dir.filePath(QStringLiteral("the disk hangs"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(TARNEL_HANGING_DISK_LIBRARY));
    environment.insert(QStringLiteral("TARNEL_HANGING_DISK"), QFileInfo(folder).canonicalFilePath() + u'/');
    environment.insert(QStringLiteral("TARNEL_HANGING_DISK_TRIGGER"), trigger);
    Program tarnel(tarnelBinary(), {}, environment);
    ASSERT_TRUE(waitForPanel()) << tarnel.errorOutput().constData();
    ASSERT_TRUE(waitForDatabase());
    const QString committed = QStringLiteral("committed before the disk stopped answering");
    {
        TextOwner owner(committed.toUtf8());
        ASSERT_TRUE(owner.waitUntilServed());
        ASSERT_TRUE(QTest::qWaitFor([&] { return storedTexts().contains(committed); }, 10000));
    }
    {
        QFile hang(trigger);
        ASSERT_TRUE(hang.open(QIODevice::WriteOnly));
    }
    {
        // Kept until the quit has said what it could not write: on a loaded machine the program
        // may ask for the text again after it was first served, and an owner gone by then leaves
        // no copy to lose.
        TextOwner owner("copied once the disk stopped answering");
        ASSERT_TRUE(owner.waitUntilServed());
        tarnel.process().terminate();
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return tarnel.errorOutput().contains("Quitting while the history cannot be written"); }, 60000))
            << tarnel.errorOutput().constData();
    }
    // The quit's alert, then the end; a thread still inside the disk does not hold it.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !tarnel.isRunning(); }, 90000)) << tarnel.errorOutput().constData();
    EXPECT_EQ(tarnel.process().exitCode(), 0);
    EXPECT_TRUE(tarnel.errorOutput().contains("for a disk that does not answer")) << tarnel.errorOutput().constData();
    QFile::remove(trigger);
    EXPECT_TRUE(storedTexts().contains(committed));
    forgetHistory(historyPath());
}

} // namespace
