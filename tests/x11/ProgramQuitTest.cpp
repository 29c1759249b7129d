// How the running program ends when it is asked to: by the session (SIGTERM), by the terminal
// that started it (Ctrl+C, a closed window) or by a newer start. Each time the copy it was still
// writing reaches the disk, however long the disk makes it wait.
// gtest first: Xlib's macros (None, Bool) would break its headers.
#include <gtest/gtest.h>

#include "core/ClipboardEntry.h"
#include "engine/HistoryRows.h"
#include "platform/linux/SqliteHistoryStore.h"
#include "support/TestImages.h"

#include <QProcess>
#include <QTemporaryDir>

#include <csignal>
#include <memory>
#include <sqlite3.h>
#include <sys/stat.h>
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

} // namespace
