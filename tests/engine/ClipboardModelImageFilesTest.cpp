#include "EngineTestSupport.h"
#include "platform/linux/SqliteHistoryStore.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// The bytes each image entry of the model reads back, newest first.
QList<QByteArray> shownImages(const ClipboardModel &model)
{
    QList<QByteArray> images;
    for (const ClipboardEntry &entry : model.entries()) {
        if (entry.kind == ClipboardKind::Image)
            images.append(model.imageData(entry).value_or(QByteArray()));
    }
    return images;
}

void copyImage(ModelHarness &h, const QByteArray &bytes)
{
    h.pasteboard.copyImage(bytes);
    h.model->readClipboardIfChanged();
    ASSERT_TRUE(h.waitForCaptures());
    ASSERT_TRUE(h.model->flushHistory(5s));
}

TEST(ClipboardModelImageFiles, AMovedDataFolderKeepsEveryImageAndItsRowsNameTheNewPlace)
{
    const QByteArray first = pngBytes(3, 3, Qt::red);
    const QByteArray second = pngBytes(4, 4, Qt::blue);
    ModelHarness before;
    before.make();
    copyImage(before, first);
    copyImage(before, second);
    before.copyText(QStringLiteral("text"));
    ASSERT_TRUE(before.model->flushHistory(5s));
    ASSERT_EQ(before.imageFiles().size(), 2);
    before.model.reset();

    // The next run finds the folder under another path, as after a home restored elsewhere.
    ModelHarness after;
    ASSERT_TRUE(QDir().rename(before.imageFolder(), after.imageFolder()));
    after.history.seedRows(before.history.rows());
    ClipboardModel &model = after.make();
    after.copyText(QStringLiteral("later"));
    ASSERT_TRUE(model.flushHistory(5s));

    EXPECT_EQ(after.imageFiles().size(), 2);
    const QList<QByteArray> shown = shownImages(model);
    EXPECT_EQ(shown, (QList<QByteArray>{second, first}));
    const QList<ClipboardEntry> stored = after.storedHistory();
    EXPECT_EQ(stored.size(), 4);
    for (const ClipboardEntry &entry : stored) {
        if (entry.imageFilePath) {
            EXPECT_EQ(QFileInfo(*entry.imageFilePath).path(), after.imageFolder());
            EXPECT_TRUE(QFileInfo::exists(*entry.imageFilePath));
        }
    }
}

TEST(ClipboardModelImageFiles, AHistorySetAsideKeepsItsImagesOverTheNextStarts)
{
    ModelHarness h;
    const QString database = h.folder.filePath(QStringLiteral("history.sqlite3"));
    auto start = [&](std::unique_ptr<SqliteHistoryStore> &store) -> ClipboardModel & {
        h.model.reset();
        store = std::make_unique<SqliteHistoryStore>(database);
        h.historyStore = store.get();
        return h.make();
    };
    std::unique_ptr<SqliteHistoryStore> store;
    start(store);
    copyImage(h, pngBytes(3, 3));
    ASSERT_EQ(h.imageFiles().size(), 1);
    const QString image = h.imageFiles().first();
    h.model.reset();
    store.reset();

    // A damaged header: nothing can be read, and the whole file goes aside with its row.
    QFile file(database);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.write(QByteArray(16, 'x'));
    file.close();
    EXPECT_TRUE(start(store).entries().isEmpty());
    const QStringList setAside = QDir(h.folder.path()).entryList({QStringLiteral("history.sqlite3.unreadable-*")});
    ASSERT_EQ(setAside.size(), 1);

    for (int run = 0; run < 2; ++run) {
        start(store);
        h.copyText(QStringLiteral("copy %1").arg(run));
        ASSERT_TRUE(h.model->flushHistory(5s));
        EXPECT_EQ(h.imageFiles(), QStringList{image}) << "start " << run;
    }
    EXPECT_TRUE(QFileInfo::exists(h.folder.filePath(setAside.first())));
}

// A stored list that an earlier run set aside in the settings folder may name any image of the
// store (a Jar, the Paste Stack, a history under the old key): while it is there, no image goes.
TEST(ClipboardModelImageFiles, AListSetAsideInTheSettingsFolderKeepsEveryImageWhileItStays)
{
    ModelHarness h;
    h.make();
    copyImage(h, pngBytes(3, 3));
    ASSERT_EQ(h.imageFiles().size(), 1);
    const QString image = h.imageFiles().first();
    ASSERT_TRUE(QDir().mkpath(h.backupFolder()));
    const QString setAside = QDir(h.backupFolder()).filePath(QStringLiteral("tarnel.jars.unreadable-20260101-090000-000"));
    ASSERT_TRUE(writeFile(setAside, "[{\"entryIDs\":[\"" + h.model->entries().first().id.toUtf8() + "\"]"));

    ClipboardModel &model = h.make();
    model.clearGalleryEntries();
    h.copyText(QStringLiteral("after the image went"));
    ASSERT_TRUE(model.flushHistory(5s));
    EXPECT_EQ(h.imageFiles(), QStringList{image}) << "deleted while a set-aside list may name it";

    // Once the user has dealt with the file, the next run's first write takes the image out.
    ASSERT_TRUE(QFile::remove(setAside));
    h.make();
    h.copyText(QStringLiteral("once the set-aside list is gone"));
    ASSERT_TRUE(h.model->flushHistory(5s));
    EXPECT_TRUE(h.imageFiles().isEmpty());
}

TEST(ClipboardModelImageFiles, ALinkedImageFolderKeepsTheFilesOfItsOwner)
{
    ModelHarness h;
    QTemporaryDir elsewhere;
    const QStringList own{QStringLiteral("holiday.image"), QStringLiteral("11111111-2222-3333-4444-555555555555.image")};
    for (const QString &name : own)
        ASSERT_TRUE(writeFile(elsewhere.filePath(name), "the user's"));
    ASSERT_TRUE(QFile::link(elsewhere.path(), h.imageFolder()));

    ClipboardModel &model = h.make();
    copyImage(h, pngBytes(3, 3));
    h.copyText(QStringLiteral("text"));
    model.clearGalleryEntries();
    ASSERT_TRUE(model.flushHistory(5s));
    for (const QString &name : own)
        EXPECT_EQ(readFile(elsewhere.filePath(name)), QByteArray("the user's")) << name.toStdString();
    EXPECT_TRUE(QFileInfo(h.imageFolder()).isSymLink());
}

TEST(ClipboardModelImageFiles, ImageWritesCutOffByAnEarlierRunAreDeletedAtStart)
{
    ModelHarness h;
    QDir().mkpath(h.imageFolder());
    const QString folder = h.imageFolder() + u'/';
    const QString left = folder + QStringLiteral("11111111-2222-3333-4444-555555555555.image.aB3xZ9");
    ASSERT_TRUE(writeFile(left, "half an image"));
    // Not what a cut-off write leaves: other names, and a link.
    const QStringList others{folder + QStringLiteral("notes.image.backup"), folder + QStringLiteral("11111111-2222-3333-4444-555555555555.image.abc"),
                             folder + QStringLiteral("x.images.aB3xZ9")};
    for (const QString &path : others)
        ASSERT_TRUE(writeFile(path, "other"));
    ASSERT_TRUE(QFile::link(others.first(), folder + QStringLiteral("link.image.aB3xZ9")));

    h.make();
    EXPECT_FALSE(QFileInfo::exists(left));
    for (const QString &path : others)
        EXPECT_TRUE(QFileInfo::exists(path)) << path.toStdString();
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("link.image.aB3xZ9")).isSymLink());
}

} // namespace

// An image whose file is gone is an image entry that cannot be shown: it stays in the history
// through writes and restarts, and its row no longer names the missing file. A file that is only
// out of reach for now keeps its row's name.
TEST(ClipboardModelImageFiles, AnImageWhoseFileIsGoneStaysInTheHistoryAndItsRowNamesNoMissingFile)
{
    struct Case {
        const char *name;
        // Done to the files while the first run goes on.
        std::function<void(ModelHarness &)> loss;
        // Images that show as none, and rows that stop naming their file.
        int unshown;
        int unnamed;
    };
    const Case cases[] = {
        {"the images folder deleted", [](ModelHarness &h) { ASSERT_TRUE(QDir(h.imageFolder()).removeRecursively()); }, 2, 2},
        {"one image file deleted",
         [](ModelHarness &h) { ASSERT_TRUE(QFile::remove(h.imageFolder() + u'/' + h.imageFiles().first())); }, 1, 1},
        {"the images folder replaced by a file",
         [](ModelHarness &h) {
             ASSERT_TRUE(QDir().rename(h.imageFolder(), h.imageFolder() + QStringLiteral(".away")));
             ASSERT_TRUE(writeFile(h.imageFolder(), "not a folder"));
         },
         2, 0},
    };
    for (const Case &c : cases) {
        ModelHarness h;
        h.make();
        copyImage(h, pngBytes(3, 3, Qt::red));
        copyImage(h, pngBytes(4, 4, Qt::blue));
        ASSERT_EQ(h.imageFiles().size(), 2) << c.name;
        c.loss(h);
        h.copyText(QStringLiteral("after the loss"));
        ASSERT_TRUE(h.model->flushHistory(5s)) << c.name;

        for (int restart = 1; restart <= 2; ++restart) {
            ClipboardModel &model = h.make();
            ASSERT_TRUE(model.flushHistory(5s)) << c.name;
            EXPECT_EQ(model.entries().size(), 3) << c.name << ", restart " << restart;
            const QList<QByteArray> shown = shownImages(model);
            EXPECT_EQ(shown.count(QByteArray()), c.unshown) << c.name << ", restart " << restart;
            int named = 0;
            for (const ClipboardEntry &entry : h.storedHistory()) {
                if (!entry.imageFilePath)
                    continue;
                ++named;
                if (c.unnamed > 0) {
                    EXPECT_TRUE(QFileInfo::exists(*entry.imageFilePath)) << c.name << ", restart " << restart;
                }
            }
            EXPECT_EQ(named, 2 - c.unnamed) << c.name << ", restart " << restart;
            EXPECT_EQ(h.storedHistory().size(), 3) << c.name << ", restart " << restart;
        }
    }
}
