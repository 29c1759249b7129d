#include "platform/linux/PseudoTerminalHolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

#include <fcntl.h>
#include <unistd.h>

namespace {

TEST(PseudoTerminalHolder, AProcessIsATerminalWhileItHoldsAPseudoTerminalsMaster)
{
    QProcess plain;
    plain.start(QStringLiteral("sleep"), {"30"});
    ASSERT_TRUE(plain.waitForStarted());
    EXPECT_FALSE(PseudoTerminalHolder::holdsMaster(plain.processId())) << "a program with pipes is no terminal";
    plain.kill();
    plain.waitForFinished();

    const qint64 self = QCoreApplication::applicationPid();
    EXPECT_FALSE(PseudoTerminalHolder::holdsMaster(self));
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    EXPECT_TRUE(PseudoTerminalHolder::holdsMaster(self));
    ::close(master);
    EXPECT_FALSE(PseudoTerminalHolder::holdsMaster(self));

    EXPECT_FALSE(PseudoTerminalHolder::holdsMaster(0));
    EXPECT_FALSE(PseudoTerminalHolder::holdsMaster(-1));
}

// The same under a made-up /proc: the master found among other descriptors, also as devpts shows
// it, a slave side or an unreadable folder is none.
TEST(PseudoTerminalHolder, OnlyTheMultiplexerCountsAmongTheDescriptors)
{
    QTemporaryDir proc;
    const auto process = [&](int pid, const QStringList &targets) {
        const QString fd = proc.filePath(QStringLiteral("%1/fd").arg(pid));
        QDir().mkpath(fd);
        for (int i = 0; i < targets.size(); ++i)
            QFile::link(targets.at(i), fd + QLatin1Char('/') + QString::number(i));
    };
    process(10, {"/dev/null", "pipe:[123]", "/dev/ptmx"});
    process(11, {"/dev/null", "/dev/pts/ptmx"});
    process(12, {"/dev/pts/3", "/dev/pts/3", "socket:[9]"});
    process(13, {});
    EXPECT_TRUE(PseudoTerminalHolder::holdsMaster(10, proc.path()));
    EXPECT_TRUE(PseudoTerminalHolder::holdsMaster(11, proc.path()));
    EXPECT_FALSE(PseudoTerminalHolder::holdsMaster(12, proc.path())) << "the program inside holds the slave only";
    EXPECT_FALSE(PseudoTerminalHolder::holdsMaster(13, proc.path()));
    EXPECT_FALSE(PseudoTerminalHolder::holdsMaster(14, proc.path()));
}

} // namespace
