// How the running program ends when it is asked to: by the session (SIGTERM), by the terminal
// that started it (Ctrl+C, a closed window) or by a newer start. Each time the copy it was still
// writing reaches the disk, however long the disk makes it wait.
// gtest first: Xlib's macros (None, Bool) would break its headers.
#include <gtest/gtest.h>

#include "platform/linux/SqliteHistoryStore.h"

#include <QProcess>

#include <csignal>
#include <memory>
#include <sqlite3.h>

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

// Another program copies a text and says "served" once a program has read it.
class TextOwner
{
public:
    explicit TextOwner(const QByteArray &text)
    {
        QFile file(m_dir.filePath(QStringLiteral("text")));
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
            return;
        file.close();
        m_process.start(QStringLiteral(TARNEL_PLATFORM_HELPER), {"offer", "UTF8_STRING", file.fileName()});
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
