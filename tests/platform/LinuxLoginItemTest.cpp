#include "platform/x11/LinuxLoginItem.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <future>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

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

} // namespace
