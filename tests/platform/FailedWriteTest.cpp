// A write that the file system cuts short (a full disk, a file-size limit) must leave what was
// stored before exactly as it was and say that it failed.
#include "platform/linux/LinuxSettingsStore.h"
#include "platform/linux/SqliteHistoryStore.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr rlim_t kFileSizeLimit = 64 * 1024;

// Runs the write in a child whose files may not grow past kFileSizeLimit; writes beyond it fail
// with EFBIG instead of killing the child. The child's exit code is the write's result: 0 for
// false, 1 for true, anything else when it could not run.
int writeUnderFileSizeLimit(const std::function<bool()> &write)
{
    const pid_t child = ::fork();
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{kFileSizeLimit, kFileSizeLimit};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            ::_exit(3);
        ::_exit(write() ? 1 : 0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 4;
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

TEST(FailedWrite, ASettingsWriteCutShortKeepsTheWholeOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("defaults.json"));
    {
        LinuxSettingsStore store(path);
        ASSERT_TRUE(store.setText(QStringLiteral("tarnel.language"), QStringLiteral("en")));
        ASSERT_TRUE(store.setInteger(QStringLiteral("tarnel.historyLimit"), 250));
    }
    const QByteArray before = readFile(path);
    const QStringList filesBefore = filesIn(dir.path());

    const int result = writeUnderFileSizeLimit([&] {
        LinuxSettingsStore store(path);
        return store.setBytes(QStringLiteral("tarnel.snippets"), QByteArray(int(kFileSizeLimit) * 2, 'x'));
    });
    EXPECT_EQ(result, 0) << "the write must report that it failed";
    EXPECT_EQ(readFile(path), before);
    EXPECT_EQ(filesIn(dir.path()), filesBefore) << "no temporary file is left";
    LinuxSettingsStore reopened(path);
    EXPECT_EQ(reopened.textValue(QStringLiteral("tarnel.language")), QStringLiteral("en"));
    EXPECT_EQ(reopened.integerValue(QStringLiteral("tarnel.historyLimit")), 250);
    EXPECT_TRUE(reopened.wasReadWhole());
}

TEST(FailedWrite, ASettingsFileItsReaderWouldRefuseIsNeverWritten)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("defaults.json"));
    constexpr qint64 kCeiling = 4096;
    LinuxSettingsStore store(path, LinuxSettingsStore::Access::ReadWrite, kCeiling);
    ASSERT_TRUE(store.setText(QStringLiteral("tarnel.language"), QStringLiteral("en")));
    const QByteArray before = readFile(path);

    EXPECT_FALSE(store.setBytes(QStringLiteral("tarnel.snippets"), QByteArray(int(kCeiling), 'x')));
    EXPECT_EQ(readFile(path), before);
    EXPECT_FALSE(store.bytesValue(QStringLiteral("tarnel.snippets")).has_value()) << "memory agrees with the disk";
    // Just under the ceiling is still written and read back.
    const QByteArray fits(int(kCeiling) / 2, 'y');
    ASSERT_TRUE(store.setBytes(QStringLiteral("tarnel.snippets"), fits));
    LinuxSettingsStore reopened(path, LinuxSettingsStore::Access::ReadWrite, kCeiling);
    EXPECT_EQ(reopened.bytesValue(QStringLiteral("tarnel.snippets")), fits);
    EXPECT_TRUE(reopened.wasReadWhole());
}

TEST(FailedWrite, AHistoryTransactionCutShortKeepsEveryCommittedRow)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.sqlite3"));
    const QList<StoredHistoryRow> rows{{QStringLiteral("B"), 2048, R"({"id":"B","text":"b"})"},
                                       {QStringLiteral("A"), 1024, R"({"id":"A","text":"a"})"}};
    {
        SqliteHistoryStore store(path);
        ASSERT_TRUE(store.read().complete);
        ASSERT_TRUE(store.apply(HistoryChange{rows, {}, {}}).ok);
    }

    const int result = writeUnderFileSizeLimit([&] {
        SqliteHistoryStore store(path);
        HistoryChange change;
        change.writes.append({QStringLiteral("C"), 3072, QByteArray(int(kFileSizeLimit) * 4, 'c')});
        change.removals.append(QStringLiteral("A"));
        const HistoryWriteResult written = store.apply(change);
        return written.ok;
    });
    EXPECT_EQ(result, 0) << "the write must report that it failed";

    SqliteHistoryStore reopened(path);
    const StoredHistory stored = reopened.read();
    EXPECT_TRUE(stored.complete) << stored.problem.toStdString();
    ASSERT_EQ(stored.rows.size(), 2);
    EXPECT_EQ(stored.rows.at(0).id, QStringLiteral("B"));
    EXPECT_EQ(stored.rows.at(1).record, rows.at(1).record);
}

} // namespace
