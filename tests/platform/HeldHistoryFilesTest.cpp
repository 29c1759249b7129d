// What another program did to the history's files is told from their bytes, never from a new
// modification time alone (a backup or sync tool restores the times of what it copied), and a
// file found in their place is named for what it holds.
#include "platform/linux/HeldHistoryFiles.h"
#include "platform/linux/HistoryFileForm.h"
#include "platform/linux/SqliteHistoryStore.h"
#include "support/RawDatabase.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using File = HeldHistoryFiles::File;
using State = HeldHistoryFiles::State;

// A time no write made: the noted one and every later one differ from it.
void setTime(const QString &path, time_t seconds)
{
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

// Written into the file in place, as cp does, keeping its identity.
void writeInPlace(const QString &path, const QByteArray &bytes)
{
    ASSERT_TRUE(writeFile(path, bytes));
}

const char *nameOf(File file)
{
    return file == File::Database ? "the database" : file == File::Log ? "its log"
                                                                       : "its index";
}

TEST(HeldHistoryFiles, AWriteIsToldFromTheBytesAndATouchIsNot)
{
    const QByteArray own(8192, 'a');
    QByteArray other = own;
    other[4096] = 'b';
    // Each row plants what another program did to a file the run noted as its own, under a time
    // no write of the test's own can have made.
    const struct {
        const char *name;
        std::function<void(HeldHistoryFiles &, const QString &)> happen;
        State expected;
    } cases[] = {
        {"a touch", [](HeldHistoryFiles &, const QString &file) { setTime(file, 2'000'000'000); }, State::Held},
        {"one byte changed, the size kept",
         [&](HeldHistoryFiles &, const QString &file) {
             writeInPlace(file, other);
             setTime(file, 2'000'000'000);
         },
         State::Overwritten},
        {"a touch looked at, then one byte changed",
         [&](HeldHistoryFiles &files, const QString &file) {
             setTime(file, 2'000'000'000);
             EXPECT_EQ(files.stateOf(File::Database), State::Held);
             EXPECT_EQ(files.stateOf(File::Log), State::Held);
             writeInPlace(file, other);
             setTime(file, 2'000'000'100);
         },
         State::Overwritten},
        {"the run's own write noted, then a touch",
         [&](HeldHistoryFiles &files, const QString &file) {
             writeInPlace(file, other);
             files.noteOwnState();
             setTime(file, 2'000'000'000);
         },
         State::Held},
    };
    for (File target : {File::Database, File::Log}) {
        for (const auto &c : cases) {
            SCOPED_TRACE(std::string(nameOf(target)) + ": " + c.name);
            QTemporaryDir dir;
            HeldHistoryFiles files(dir.filePath(QStringLiteral("history.sqlite3")));
            for (File file : {File::Database, File::Log, File::Index}) {
                ASSERT_TRUE(writeFile(files.pathOf(file), own));
                setTime(files.pathOf(file), 1'000'000'000);
            }
            files.noteOwnState();
            c.happen(files, files.pathOf(target));
            EXPECT_EQ(files.stateOf(target), c.expected);
            EXPECT_EQ(files.change().isEmpty(), c.expected == State::Held) << files.change().toStdString();
            // A second look tells the same.
            EXPECT_EQ(files.stateOf(target), c.expected);
        }
    }
}

// A reader of another program's that closes beside the run takes itself for the history's last
// connection only when it is one: the run's looks at its files keep its locks on them, so that
// the reader never folds the run's log in and deletes it under the run.
TEST(HeldHistoryFiles, AnotherProgramsReaderLeavesTheRunsLogInPlace)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.sqlite3"));
    SqliteHistoryStore store(path);
    ASSERT_TRUE(store.apply(HistoryChange{{{QStringLiteral("A"), 1, "{}"}}, {}, {}}).ok);
    ASSERT_TRUE(QFileInfo::exists(path + QStringLiteral("-wal")));
    // Touched, the database is read by the next look, while the run's connection holds it.
    setTime(path, 2'000'000'000);
    EXPECT_FALSE(store.checkFiles().renewed);
    QProcess reader;
    reader.start(QStringLiteral(TARNEL_PLATFORM_HELPER), {QStringLiteral("read-rows"), path});
    ASSERT_TRUE(reader.waitForFinished(10000));
    EXPECT_EQ(reader.readAllStandardOutput().trimmed(), "1") << reader.readAllStandardError().constData();
    EXPECT_TRUE(QFileInfo::exists(path + QStringLiteral("-wal")));
    const HistoryFilesCheck check = store.checkFiles();
    EXPECT_FALSE(check.renewed) << check.change.toStdString();
}

// Another Tarnel history is told from anything else found at the path, without a byte written
// into it or beside it.
TEST(HistoryFileForm, AReadableHistoryIsToldFromAnythingElse)
{
    const auto history = [](const QString &path, bool keepOpen) {
        auto store = std::make_unique<SqliteHistoryStore>(path);
        EXPECT_TRUE(store->apply(HistoryChange{{{QStringLiteral("A"), 1, R"({"id":"A","text":"a"})"}}, {}, {}}).ok);
        if (!keepOpen)
            store.reset();
        return store;
    };
    const struct {
        const char *name;
        std::function<std::unique_ptr<SqliteHistoryStore>(const QString &)> make;
        bool expected;
    } cases[] = {
        {"a closed history", [&](const QString &path) { return history(path, false); }, true},
        {"a history still open, its row in its log", [&](const QString &path) { return history(path, true); }, true},
        {"another program's database",
         [](const QString &path) {
             RawDatabase(path).exec("CREATE TABLE notes(id TEXT, body TEXT)");
             return nullptr;
         },
         false},
        {"a history table in a database marked as another program's",
         [](const QString &path) {
             RawDatabase db(path);
             db.exec("CREATE TABLE history(id TEXT, position INTEGER, record BLOB); PRAGMA application_id=1234;");
             return nullptr;
         },
         false},
        {"a history whose table is gone",
         [&](const QString &path) {
             history(path, false);
             RawDatabase(path).exec("DROP TABLE history");
             return nullptr;
         },
         false},
        {"garbage",
         [](const QString &path) {
             writeFile(path, QByteArray(4096, '\x5a'));
             return nullptr;
         },
         false},
        {"an empty file",
         [](const QString &path) {
             writeFile(path, {});
             return nullptr;
         },
         false},
        {"a link to a history",
         [&](const QString &path) {
             history(path + QStringLiteral(".target"), false);
             EXPECT_EQ(::symlink("history.sqlite3.target", QFile::encodeName(path).constData()), 0);
             return nullptr;
         },
         false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite3"));
        const std::unique_ptr<SqliteHistoryStore> open = c.make(path);
        const QStringList before = QDir(dir.path()).entryList(QDir::Files | QDir::System);
        QList<QByteArray> bytes;
        for (const QString &name : before)
            bytes.append(readFile(dir.filePath(name)));
        EXPECT_EQ(HistoryFileForm::holdsReadableHistory(path), c.expected);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::System), before);
        for (qsizetype i = 0; i < before.size(); ++i)
            EXPECT_EQ(readFile(dir.filePath(before.at(i))), bytes.at(i)) << before.at(i).toStdString() << " was written";
    }
}

} // namespace
