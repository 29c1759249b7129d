#include "core/ClipboardImageStore.h"
#include "core/ImageSizeRule.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace {

// The store must not rely on a strict umask to keep images private.
class PermissiveUmask
{
public:
    PermissiveUmask() : m_previous(::umask(022)) {}
    ~PermissiveUmask() { ::umask(m_previous); }

private:
    mode_t m_previous;
};

class ClipboardImageStoreTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(root.isValid()); }
    QString storePath() const { return root.filePath(QStringLiteral("Tarnel/Clipboard Images")); }

    QTemporaryDir root;
};

TEST_F(ClipboardImageStoreTest, SaveCreatesPrivateFolderAndFilesAndRoundTrips)
{
    PermissiveUmask umaskGuard;
    const ClipboardImageStore store(storePath());
    EXPECT_FALSE(QFileInfo::exists(storePath())) << "creating a store must touch no file";

    const QByteArray bytes("\x89PNG\r\n\x1a\n\0\x01 raw bytes", 20);
    const auto first = store.save(bytes);
    ASSERT_TRUE(first.ok()) << qPrintable(first.error);
    EXPECT_EQ(modeOf(storePath()), mode_t(0700)) << "private from the moment it exists";
    EXPECT_EQ(modeOf(root.filePath(QStringLiteral("Tarnel"))), mode_t(0700)) << "and so is the folder it lives in";
    const auto second = store.save(bytes);
    ASSERT_TRUE(second.ok()) << qPrintable(second.error);

    EXPECT_NE(first.path, second.path);
    for (const QString &path : {first.path, second.path}) {
        const QFileInfo info(path);
        EXPECT_EQ(info.path(), storePath());
        EXPECT_TRUE(info.fileName().endsWith(QStringLiteral(".image")));
        EXPECT_EQ(info.fileName().size(), 36 + 6) << "upper-case UUID plus extension";
        EXPECT_EQ(info.completeBaseName(), info.completeBaseName().toUpper());
        EXPECT_EQ(modeOf(path), mode_t(0600));
        EXPECT_EQ(store.load(path), bytes);
    }
    EXPECT_EQ(QDir(storePath()).entryList(QDir::Files).size(), 2) << "no temporary file is left";

    // A folder that others could open is closed to them on the next save.
    ASSERT_EQ(::chmod(QFile::encodeName(storePath()).constData(), 0755), 0);
    ASSERT_TRUE(store.save("x").ok());
    EXPECT_EQ(modeOf(storePath()), mode_t(0700));
}

TEST_F(ClipboardImageStoreTest, OverwriteReplacesTheFileInOneStep)
{
    const ClipboardImageStore store(storePath());
    const auto saved = store.save(QByteArray(4096, 'a'));
    ASSERT_TRUE(saved.ok());

    // A reader that opened the old file keeps seeing the whole old image: the new bytes arrive
    // as a different file that replaces the name, never by rewriting the old one in place.
    QFile reader(saved.path);
    ASSERT_TRUE(reader.open(QIODevice::ReadOnly));
    const auto again = store.save(QByteArray(10, 'b'), saved.path);
    ASSERT_TRUE(again.ok());
    EXPECT_EQ(again.path, saved.path);
    EXPECT_EQ(reader.readAll(), QByteArray(4096, 'a'));
    EXPECT_EQ(store.load(saved.path), QByteArray(10, 'b'));
    EXPECT_EQ(modeOf(saved.path), mode_t(0600));
}

TEST_F(ClipboardImageStoreTest, ReusedPathIsOverwrittenOnlyWhenManaged)
{
    const ClipboardImageStore store(storePath());
    const auto original = store.save("original");
    ASSERT_TRUE(original.ok());
    const QString name = QFileInfo(original.path).fileName();
    const QString base = QFileInfo(original.path).completeBaseName();

    ASSERT_TRUE(QDir().mkpath(root.filePath("elsewhere")));
    ASSERT_TRUE(QDir().mkpath(storePath() + "/sub"));
    const QString foreign = root.filePath("elsewhere/") + name;
    ASSERT_TRUE(writeFile(foreign, "foreign"));
    ASSERT_TRUE(QFile::link(storePath(), root.filePath("linked")));
    ASSERT_TRUE(QFile::link(foreign, storePath() + "/trap.image"));

    struct Case {
        const char *name;
        QString reusing;
        bool overwrites;
    };
    const Case cases[] = {
        {"same path", original.path, true},
        {"with parent part that comes back", storePath() + "/sub/../" + name, true},
        {"other folder", foreign, false},
        {"folder reached by a link", root.filePath("linked/") + name, false},
        {"a link in the folder", storePath() + "/trap.image", false},
    };
    for (const Case &c : cases) {
        ASSERT_TRUE(writeFile(original.path, "original"));
        const auto result = store.save("new", c.reusing);
        ASSERT_TRUE(result.ok()) << c.name;
        if (c.overwrites) {
            EXPECT_EQ(result.path, original.path) << c.name;
            EXPECT_EQ(readFile(original.path), "new") << c.name;
        } else {
            EXPECT_NE(result.path, original.path) << c.name;
            EXPECT_EQ(QFileInfo(result.path).path(), storePath()) << c.name;
            EXPECT_EQ(readFile(original.path), "original") << c.name;
            QFile::remove(result.path);
        }
    }
    EXPECT_EQ(readFile(foreign), "foreign");
    EXPECT_TRUE(QFileInfo(storePath() + "/trap.image").isSymLink());
}

TEST_F(ClipboardImageStoreTest, LoadRefusesEverythingOutsideItsFolder)
{
    const ClipboardImageStore store(storePath());
    const auto saved = store.save("inside");
    ASSERT_TRUE(saved.ok());
    const QString name = QFileInfo(saved.path).fileName();

    ASSERT_TRUE(QDir().mkpath(storePath() + "/sub"));
    ASSERT_TRUE(writeFile(storePath() + "/sub/nested.image", "nested"));
    ASSERT_TRUE(writeFile(storePath() + "/upper.IMAGE", "upper"));
    ASSERT_TRUE(writeFile(root.filePath("Tarnel/secret.image"), "secret"));
    ASSERT_TRUE(writeFile(root.filePath("secret.txt"), "secret"));
    ASSERT_TRUE(QFile::link(root.filePath("secret.txt"), storePath() + "/escape.image"));
    ASSERT_TRUE(QFile::link(saved.path, storePath() + "/alias.image"));
    ASSERT_TRUE(QFile::link(storePath(), root.filePath("linked")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(storePath() + "/pipe.image").constData(), 0600), 0);

    struct Case {
        const char *name;
        QString path;
        std::optional<QByteArray> expected;
    };
    const Case cases[] = {
        {"own file", saved.path, QByteArray("inside")},
        {"parent part that comes back", storePath() + "/sub/../" + name, QByteArray("inside")},
        {"parent part that leaves", storePath() + "/../secret.image", std::nullopt},
        {"capital extension", storePath() + "/upper.IMAGE", std::nullopt},
        {"link leading out", storePath() + "/escape.image", std::nullopt},
        {"folder reached by a link", root.filePath("linked/") + name, std::nullopt},
        {"pipe", storePath() + "/pipe.image", std::nullopt},
    };
    for (const Case &c : cases)
        EXPECT_EQ(store.load(c.path), c.expected) << c.name;
}

TEST_F(ClipboardImageStoreTest, FailedWriteKeepsThePreviousFile)
{
    // A large image fails while it is written; a small one fits the write buffer and fails
    // only when that is flushed, which must not pass for success with an empty file.
    for (const qsizetype size : {qsizetype(1) << 20, qsizetype(8000)}) {
        QTemporaryDir folder;
        const ClipboardImageStore store(folder.filePath(QStringLiteral("Clipboard Images")));
        const auto saved = store.save("previous image");
        ASSERT_TRUE(saved.ok());

        // A file-size limit makes the write fail part way, as a full disk would, even for root.
        struct rlimit previousLimit {};
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previousLimit), 0);
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = previousLimit;
        small.rlim_cur = 4096;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
        const auto failed = store.save(QByteArray(size, 'x'), saved.path);
        const auto failedNew = store.save(QByteArray(size, 'y'));
        ::setrlimit(RLIMIT_FSIZE, &previousLimit);
        std::signal(SIGXFSZ, previousHandler);

        for (const auto &result : {failed, failedNew}) {
            EXPECT_FALSE(result.ok()) << size;
            EXPECT_FALSE(result.error.isEmpty()) << size;
            EXPECT_TRUE(result.path.isEmpty()) << size;
            EXPECT_TRUE(result.noSpace) << size;
        }
        EXPECT_EQ(store.load(saved.path), QByteArray("previous image")) << size;
        EXPECT_EQ(QDir(store.directoryPath()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 1)
            << size << ": the temporary files of failed writes are gone";
    }
}

TEST_F(ClipboardImageStoreTest, CleanupDeletesOnlyUnkeptImageFiles)
{
    const ClipboardImageStore store(storePath());
    const auto kept = store.save("kept");
    const auto keptByName = store.save("kept by name");
    const auto keptByOddPath = store.save("kept by odd path");
    const auto dropped = store.save("dropped");
    ASSERT_TRUE(kept.ok() && keptByName.ok() && keptByOddPath.ok() && dropped.ok());

    ASSERT_TRUE(writeFile(storePath() + "/notes.txt", "other"));
    ASSERT_TRUE(writeFile(storePath() + "/upper.IMAGE", "other"));
    ASSERT_TRUE(QDir().mkpath(storePath() + "/sub"));
    ASSERT_TRUE(writeFile(storePath() + "/sub/nested.image", "nested"));
    ASSERT_TRUE(writeFile(root.filePath("outside.image"), "outside"));
    ASSERT_TRUE(QFile::link(root.filePath("outside.image"), storePath() + "/link.image"));

    store.removeUnreferencedImages({kept.path, QFileInfo(keptByName.path).fileName(),
                                    storePath() + "/sub/../" + QFileInfo(keptByOddPath.path).fileName(),
                                    root.filePath("outside.image"), QString()});

    struct Case {
        const char *name;
        QString path;
        bool exists;
    };
    const Case cases[] = {
        {"kept path", kept.path, true},
        {"unreferenced", dropped.path, false},
        {"link in the folder", storePath() + "/link.image", false},
        {"target of the link", root.filePath("outside.image"), true},
    };
    for (const Case &c : cases)
        EXPECT_EQ(QFileInfo(c.path).exists() || QFileInfo(c.path).isSymLink(), c.exists) << c.name;

    store.removeUnreferencedImages({});
    EXPECT_FALSE(QFileInfo::exists(kept.path));
    EXPECT_TRUE(QFileInfo::exists(storePath() + "/notes.txt"));
    // A store whose folder does not exist makes none when cleaning up.
    ClipboardImageStore(root.filePath("none")).removeUnreferencedImages({root.filePath("none/x.image")});
    EXPECT_FALSE(QFileInfo::exists(root.filePath("none")));
}

// The files of rows a copy trimmed go one by one, under the same rules as the whole sweep: none
// while a set-aside history beside the store may name them, none in a linked folder.
TEST_F(ClipboardImageStoreTest, TrimmedImagesGoOnlyWhereTheSweepWouldDeleteThem)
{
    const ClipboardImageStore store(storePath());
    const auto first = store.save("first");
    const auto second = store.save("second");
    ASSERT_TRUE(first.ok() && second.ok());

    const QString setAside = root.filePath("Tarnel/history.sqlite3.unreadable-2026-12-07");
    ASSERT_TRUE(writeFile(setAside, "rows that may name either file"));
    store.removeImages({first.path});
    EXPECT_TRUE(QFileInfo::exists(first.path)) << "deleted beside a set-aside history";

    ASSERT_TRUE(QFile::remove(setAside));
    store.removeImages({first.path});
    EXPECT_FALSE(QFileInfo::exists(first.path));

    QTemporaryDir linkRoot;
    ASSERT_TRUE(QDir().mkpath(linkRoot.filePath("Tarnel")));
    const QString linked = linkRoot.filePath("Tarnel/Clipboard Images");
    ASSERT_TRUE(QFile::link(storePath(), linked));
    const ClipboardImageStore throughLink(linked);
    throughLink.removeImages({linked + "/" + QFileInfo(second.path).fileName()});
    EXPECT_TRUE(QFileInfo::exists(second.path)) << "deleted in a linked folder";
}

} // namespace

// A file is read only up to the largest image the history keeps; anything larger is damage and
// gives nothing, however little of it is on the disk (sparse files cost no room).
TEST_F(ClipboardImageStoreTest, LoadReadsNoFileLargerThanTheHistorysBoundForAnImage)
{
    const ClipboardImageStore store(storePath());
    const auto saved = store.save("image");
    ASSERT_TRUE(saved.ok());
    struct Case {
        const char *name;
        qint64 size;
        bool loads;
    };
    const Case cases[] = {
        {"empty", 0, true},
        {"at the bound", ImageSizeRule::kCeilingBytes, true},
        {"one byte over the bound", ImageSizeRule::kCeilingBytes + 1, false},
        {"a gigabyte", 1'000'000'000, false},
    };
    for (const Case &c : cases) {
        QFile file(saved.path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite)) << c.name;
        ASSERT_TRUE(file.resize(c.size)) << c.name;
        file.close();
        const std::optional<QByteArray> loaded = store.load(saved.path);
        EXPECT_EQ(loaded.has_value(), c.loads) << c.name;
        EXPECT_EQ(loaded.value_or(QByteArray()).size(), c.loads ? c.size : 0) << c.name;
    }
}
