#include "platform/linux/LinuxLoginItem.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <future>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The platform's log lines while it lives.
class PlatformLog
{
public:
    PlatformLog()
    {
        lines().clear();
        m_previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &context, const QString &message) {
            if (context.category && qstrcmp(context.category, "tarnel.platform") == 0)
                lines().append(message);
        });
    }
    ~PlatformLog() { qInstallMessageHandler(m_previous); }
    static QStringList &lines()
    {
        static QStringList captured;
        return captured;
    }

private:
    QtMessageHandler m_previous;
};

TEST(LinuxLoginItem, EnablingWritesAnEntryAndDisablingRemovesIt)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("autostart/tarnel.desktop");
    LinuxLoginItem item(path, "/opt/Tarnel/bin/tarnel");
    EXPECT_FALSE(item.isEnabled());

    EXPECT_EQ(item.setEnabled(true), std::nullopt);
    EXPECT_TRUE(item.isEnabled());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray entry = file.readAll();
    EXPECT_TRUE(entry.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(entry.contains("\nType=Application\n"));
    EXPECT_TRUE(entry.contains("\nExec=\"/opt/Tarnel/bin/tarnel\"\n"));

    // Enabling twice keeps one entry; disabling twice is not an error.
    EXPECT_EQ(item.setEnabled(true), std::nullopt);
    EXPECT_EQ(item.setEnabled(false), std::nullopt);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_FALSE(item.isEnabled());
    EXPECT_EQ(item.setEnabled(false), std::nullopt);

    // Enabling over a hidden entry makes it visible again.
    writeFile(path, "[Desktop Entry]\nHidden=true\n");
    ASSERT_FALSE(item.isEnabled());
    EXPECT_EQ(item.setEnabled(true), std::nullopt);
    EXPECT_TRUE(item.isEnabled());
}

TEST(LinuxLoginItem, SomethingOtherThanAFileAtTheEntrysPlaceIsNeitherReadNorWrittenInto)
{
    using namespace std::chrono_literals;
    enum class Kind { NamedPipe, Folder };
    const struct {
        const char *name;
        Kind kind;
    } cases[] = {{"named pipe", Kind::NamedPipe}, {"folder", Kind::Folder}};
    for (const auto &c : cases) {
        QTemporaryDir dir;
        const QString path = dir.filePath("autostart/tarnel.desktop");
        if (c.kind == Kind::NamedPipe) {
            ASSERT_TRUE(QDir().mkpath(dir.filePath("autostart")));
            ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0) << c.name;
        } else {
            ASSERT_TRUE(QDir().mkpath(path)) << c.name;
        }
        LinuxLoginItem item(path, "/usr/bin/tarnel");
        // Run off this thread so that a call stuck on the pipe fails the test instead of hanging it.
        auto calls = std::async(std::launch::async, [&item] {
            const bool enabledBefore = item.isEnabled();
            const auto error = item.setEnabled(true);
            return std::make_pair(enabledBefore, error);
        });
        if (calls.wait_for(10s) != std::future_status::ready) {
            // A reader that stays (for a stuck writer) and a writer that comes and goes (for a
            // stuck reader) let the stuck call end.
            const QByteArray pipe = QFile::encodeName(path);
            const int reader = ::open(pipe.constData(), O_RDONLY | O_NONBLOCK);
            ::close(::open(pipe.constData(), O_WRONLY | O_NONBLOCK));
            calls.wait();
            ::close(reader);
            ADD_FAILURE() << c.name << ": the login item waited on the pipe";
            continue;
        }
        const auto [enabledBefore, error] = calls.get();
        EXPECT_FALSE(enabledBefore) << c.name;
        ASSERT_TRUE(error.has_value()) << c.name;
        EXPECT_FALSE(error->isEmpty()) << c.name;
        EXPECT_FALSE(item.isEnabled()) << c.name;
    }
}

TEST(LinuxLoginItem, ExecLinesQuoteWhatDesktopEntriesReserve)
{
    const struct {
        const char *executable;
        const char *exec;
    } cases[] = {
        {"/usr/bin/tarnel", R"("/usr/bin/tarnel")"},
        {"/x/\"q\"/t", R"("/x/\\"q\\"/t")"},
        {"/x/$HOME/t", R"("/x/\\$HOME/t")"},
        {"/x/100%/t", R"("/x/100%%/t")"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(LinuxLoginItem::execLine(QString::fromUtf8(c.executable)), QString::fromUtf8(c.exec)) << c.executable;
}

TEST(LinuxLoginItem, ExecProgramReadsTheProgramBackFromWhatExecLineWritesAndFromHandWrittenEntries)
{
    for (const char *path : {"/usr/bin/tarnel", "/x/\"q\"/t", "/x/$HOME/`t`", "/x/100%/t", "/x/back\\slash/t",
                             "/home/a b/.local/bin/tarnel"}) {
        const QString executable = QString::fromUtf8(path);
        EXPECT_EQ(LinuxLoginItem::execProgram(LinuxLoginItem::execLine(executable)), executable) << path;
    }
    const struct {
        const char *exec;
        const char *program;
    } cases[] = {
        {"tarnel", "tarnel"},
        {"/usr/bin/tarnel --hidden %U", "/usr/bin/tarnel"},
        {R"(  "/opt/my apps/tarnel" --x)", "/opt/my apps/tarnel"},
        {R"(/opt/my\sapps/tarnel)", "/opt/my"},
        {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(LinuxLoginItem::execProgram(QString::fromUtf8(c.exec)), QString::fromUtf8(c.program)) << c.exec;
}

TEST(LinuxLoginItem, OnStartAnEnabledEntryWhoseProgramIsGoneIsWrittenAgainForThisProgramAndLogged)
{
    QTemporaryDir dir;
    const QString current = dir.filePath("prefix/bin/tarnel");
    ASSERT_TRUE(writeFile(current, "#!/bin/sh\n"));
    QFile::setPermissions(current, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString gone = dir.filePath("build-test/src/tarnel");
    const QByteArray goneExec = LinuxLoginItem::execLine(gone).toUtf8();

    const struct {
        const char *name;
        QByteArray entry;
        bool rewritten;
    } cases[] = {
        {"program removed", "[Desktop Entry]\nType=Application\nName=Tarnel\nExec=" + goneExec + " --x\n", true},
        {"name not on PATH", "[Desktop Entry]\nExec=tarnel-that-was-never-installed\n", true},
        {"no Exec at all", "[Desktop Entry]\nName=Tarnel\n", true},
        {"Exec only in another group", "[Desktop Entry]\nName=Tarnel\n[Desktop Action x]\nExec=/bin/sh\n", true},
        {"program present", "[Desktop Entry]\nExec=\"/bin/sh\"\n", false},
        {"name on PATH", "[Desktop Entry]\nExec=sh -c true\n", false},
        {"turned off", "[Desktop Entry]\nExec=" + goneExec + "\nHidden=true\n", false},
    };
    for (const auto &c : cases) {
        const QString path = dir.filePath("autostart/tarnel.desktop");
        ASSERT_TRUE(writeFile(path, c.entry)) << c.name;
        LinuxLoginItem item(path, current);
        PlatformLog log;
        EXPECT_EQ(item.rewriteIfStale(), c.rewritten) << c.name;
        const QByteArray after = readFile(path);
        if (c.rewritten) {
            EXPECT_TRUE(after.contains("\nExec=" + LinuxLoginItem::execLine(current).toUtf8() + "\n")) << c.name << after.constData();
            EXPECT_TRUE(item.isEnabled()) << c.name;
            ASSERT_EQ(PlatformLog::lines().size(), 1) << c.name;
            EXPECT_TRUE(PlatformLog::lines().front().contains(current)) << c.name;
        } else {
            EXPECT_EQ(after, c.entry) << c.name;
            EXPECT_TRUE(PlatformLog::lines().isEmpty()) << c.name;
        }
    }

    // Without an entry nothing is made, and a program that is itself gone writes nothing.
    const QString none = dir.filePath("elsewhere/tarnel.desktop");
    EXPECT_FALSE(LinuxLoginItem(none, current).rewriteIfStale());
    EXPECT_FALSE(QFile::exists(none));
    const QString stale = dir.filePath("autostart/tarnel.desktop");
    ASSERT_TRUE(writeFile(stale, "[Desktop Entry]\nExec=" + goneExec + "\n"));
    EXPECT_FALSE(LinuxLoginItem(stale, dir.filePath("also/gone/tarnel")).rewriteIfStale());
    EXPECT_EQ(readFile(stale), "[Desktop Entry]\nExec=" + goneExec + "\n");
}

} // namespace
