#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>


namespace {

QStringList storedIDs(const ModelHarness &h)
{
    return idsOf(h.storedHistory());
}

TEST(ClipboardModelPersistence, LoadingDropsExpiredEntriesThenPrunesTheIdListsOnce)
{
    ModelHarness h;
    const QDateTime now = h.clock.now();
    ClipboardEntry a = makeEntry(QStringLiteral("A"));
    a.temporaryUntil = now; // an end time equal to the present has passed
    ClipboardEntry b = makeEntry(QStringLiteral("B"));
    ClipboardEntry c = makeEntry(QStringLiteral("C"));
    c.temporaryUntil = now.addSecs(-60); // named by the stored stack, still dropped at load
    ClipboardEntry d = makeEntry(QStringLiteral("D"));
    d.temporaryUntil = now.addSecs(60);
    h.seedHistory({a, b, c, d});
    h.settings.setTextList(ClipboardModel::pasteStackKey, {QStringLiteral("C"), QStringLiteral("B"), QStringLiteral("Z")});
    h.settings.setTextList(ClipboardModel::consumedEntriesKey, {QStringLiteral("A"), QStringLiteral("D")});
    h.settings.setBytes(ClipboardModel::jarsKey,
                        ClipboardJar::encodeList({ClipboardJar{QStringLiteral("J"), QStringLiteral("Jar"),
                                                               {QStringLiteral("A"), QStringLiteral("B")}}}));
    const int writesBefore = h.settings.writeCount();

    ClipboardModel &model = h.make();
    EXPECT_EQ(idsOf(model.entries()), (QStringList{QStringLiteral("B"), QStringLiteral("D")}));
    EXPECT_EQ(model.pasteStackEntryIDs(), QStringList{QStringLiteral("B")});
    EXPECT_EQ(model.consumedEntryIDs(), QSet<QString>{QStringLiteral("D")});
    ASSERT_EQ(model.jars().size(), 1);
    EXPECT_EQ(model.jars().first().entryIDs, QStringList{QStringLiteral("B")});
    // The stack, the consumed ids and the Jars were written once each; the history was not.
    EXPECT_EQ(h.settings.writeCount(), writesBefore + 3);
    ASSERT_TRUE(model.flushHistory(5s));
    EXPECT_EQ(h.history.transactionCount(), 0);
    EXPECT_EQ(storedIDs(h), (QStringList{"A", "B", "C", "D"}));
}

TEST(ClipboardModelPersistence, InlineImagesMoveIntoTheStoreOnceAtStart)
{
    ModelHarness h;
    ClipboardEntry image = makeEntry(QStringLiteral("I"), QString());
    image.kind = ClipboardKind::Image;
    image.imageData = pngBytes(8, 8);
    h.seedHistory({image, makeEntry(QStringLiteral("T"))});

    ClipboardModel &model = h.make();
    ASSERT_TRUE(model.flushHistory(5s)); // the bytes are saved off the main thread
    ASSERT_EQ(h.imageFiles().size(), 1);
    const ClipboardEntry &loaded = model.entries().first();
    ASSERT_TRUE(loaded.imageFilePath.has_value());
    EXPECT_EQ(model.imageData(loaded), image.imageData);
    const QJsonObject stored = h.storedRecords().first();
    EXPECT_FALSE(stored.contains(QStringLiteral("imageData")));
    EXPECT_EQ(stored.value(QStringLiteral("imageFilePath")).toString(), *loaded.imageFilePath);

    const int writesBefore = h.history.transactionCount();
    ClipboardModel &restarted = h.make();
    ASSERT_TRUE(restarted.flushHistory(5s));
    EXPECT_EQ(h.history.transactionCount(), writesBefore); // nothing inline any more: no rewrite
    EXPECT_EQ(restarted.imageData(restarted.entries().first()), image.imageData);
}

TEST(ClipboardModelPersistence, AScreenshotWithoutItsStoreFileIsStoredAgainFromTheScreenshotFile)
{
    struct Case {
        const char *name;
        bool namesStorePath;     // the entry names a file of the image store
        bool storeFileExists;    // and that file is there
        bool screenshotExists;   // the screenshot file in the user's folder is there
        bool expectRewrite;      // the image goes back into the store at start
        bool expectBytesLater;   // the image still reads after the screenshot file is gone
    };
    const Case cases[] = {
        {"store file missing", true, false, true, true, true},
        {"neither file", true, false, false, false, false},
    };
    for (const Case &c : cases) {
        ModelHarness h;
        const QByteArray png = pngBytes(5, 5, Qt::blue);
        const QString shot = h.folder.filePath(QStringLiteral("Screenshot 1.png"));
        if (c.screenshotExists) {
            QFile file(shot);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << c.name;
            file.write(png);
        }
        ClipboardEntry entry = makeEntry(QStringLiteral("S"), QString());
        entry.kind = ClipboardKind::Image;
        entry.isScreenshot = true;
        entry.screenshotFileURL = shot;
        const QString storePath = QDir(h.imageFolder()).filePath(QStringLiteral("AAAAAAAA-0000-0000-0000-000000000001.image"));
        if (c.namesStorePath)
            entry.imageFilePath = storePath;
        if (c.storeFileExists) {
            ASSERT_TRUE(QDir().mkpath(h.imageFolder())) << c.name;
            QFile file(storePath);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << c.name;
            file.write(png);
        }
        h.seedHistory({entry});

        ClipboardModel &model = h.make();
        ASSERT_TRUE(model.flushHistory(5s)) << c.name;
        // The file comes back under the path the row already names: the row itself is unchanged.
        EXPECT_EQ(h.imageFiles().size(), c.expectRewrite ? 1 : 0) << c.name;
        ASSERT_EQ(model.entries().size(), 1) << c.name;
        EXPECT_FALSE(model.entries().first().imageData.has_value()) << c.name; // bytes live in the store

        QFile::remove(shot);
        ClipboardModel &restarted = h.make();
        const std::optional<QByteArray> bytes = restarted.imageData(restarted.entries().first());
        if (c.expectBytesLater)
            EXPECT_EQ(bytes, png) << c.name;
        else
            EXPECT_FALSE(bytes.has_value()) << c.name;
        EXPECT_FALSE(h.storedRecords().first().contains(QStringLiteral("imageData"))) << c.name;
    }
}

TEST(ClipboardModelPersistence, AHistoryKeyThatReadsOnlyInPartIsBackedUpAndItsImagesKept)
{
    struct Case {
        const char *name;
        QByteArray stored;
        QStringList loadedIDs;
    };
    const Case cases[] = {
        {"one bad entry", R"([{"id":"A","text":"a"},{"id":"B","kind":"bogus"},{"id":"C","text":"c"}])", {"A", "C"}},
        {"not json", "{[garbage", {}},
    };
    for (const Case &c : cases) {
        ModelHarness h;
        QDir().mkpath(h.imageFolder());
        // A file that an unreadable entry may still name.
        QFile orphan(QDir(h.imageFolder()).filePath(QStringLiteral("11111111-2222-3333-4444-555555555555.image")));
        ASSERT_TRUE(orphan.open(QIODevice::WriteOnly));
        orphan.write("bytes");
        orphan.close();
        h.settings.setBytes(ClipboardModel::historyKey, c.stored);

        ClipboardModel &model = h.make();
        EXPECT_EQ(idsOf(model.entries()), c.loadedIDs) << c.name;
        EXPECT_FALSE(model.sweepsUnreferencedImages()) << c.name;
        const QStringList backups = QDir(h.backupFolder()).entryList({QStringLiteral("tarnel.history.unreadable-*")}, QDir::Files);
        ASSERT_EQ(backups.size(), 1) << c.name;
        QFile backup(QDir(h.backupFolder()).filePath(backups.first()));
        ASSERT_TRUE(backup.open(QIODevice::ReadOnly)) << c.name;
        EXPECT_EQ(backup.readAll(), c.stored) << c.name;
        EXPECT_EQ(backup.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther), QFileDevice::Permissions()) << c.name;

        // What could be read moved into the database; the key is gone, its bytes in the backup.
        EXPECT_FALSE(h.settings.contains(ClipboardModel::historyKey)) << c.name;
        EXPECT_EQ(storedIDs(h), c.loadedIDs) << c.name;
        h.copyText(QStringLiteral("new"));
        EXPECT_EQ(h.storedHistory().size(), c.loadedIDs.size() + 1) << c.name;
        EXPECT_TRUE(orphan.exists()) << c.name;
    }
}

// A run that ended between saving an image and committing its row left a file no row names; a
// run that read everything whole removes it at its first write, a run that set something aside
// keeps every file.
TEST(ClipboardModelPersistence, AWriteSweepsImageFilesNoStoredEntryNamesOnlyAfterAWholeRead)
{
    for (const bool readWhole : {true, false}) {
        ModelHarness h;
        ASSERT_TRUE(QDir().mkpath(h.imageFolder()));
        auto writeFile = [&h](const QString &name) {
            QFile file(QDir(h.imageFolder()).filePath(name));
            EXPECT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(pngBytes(3, 3));
            return file.fileName();
        };
        const QString orphan = writeFile(QStringLiteral("11111111-2222-3333-4444-555555555555.image"));
        const QString named = writeFile(QStringLiteral("AAAAAAAA-0000-0000-0000-000000000001.image"));
        const QString foreign = writeFile(QStringLiteral("notes.txt"));
        ClipboardEntry entry = makeEntry(QStringLiteral("I"), QString());
        entry.kind = ClipboardKind::Image;
        entry.imageFilePath = named;
        h.seedHistory({entry});
        h.settings.setReadWhole(readWhole);

        h.make();
        h.copyText(QStringLiteral("new"));
        EXPECT_EQ(h.storedHistory().size(), 2) << readWhole;
        EXPECT_EQ(QFile::exists(orphan), !readWhole) << readWhole;
        EXPECT_TRUE(QFile::exists(named)) << readWhole;
        EXPECT_TRUE(QFile::exists(foreign)) << readWhole;
    }
}

TEST(ClipboardModelPersistence, AnUnreadableListIsNeverReplacedByAnEmptyOne)
{
    ModelHarness h;
    const QByteArray jars(R"([{"id":"K"}])");
    h.settings.setBytes(ClipboardModel::jarsKey, jars);
    ClipboardModel &model = h.make();
    model.clearAllJarContents();    // nothing to clear
    model.removeEntriesFromJars({QStringLiteral("X")});
    EXPECT_EQ(h.settings.bytesValue(ClipboardModel::jarsKey), jars);
    ASSERT_TRUE(model.createJar(QStringLiteral("New"))); // a real change replaces it (a backup exists)
    EXPECT_EQ(h.storedJars().size(), 1);
    model.deleteJar(model.jars().first().id); // and from then on an empty list is written as usual
    EXPECT_TRUE(h.storedJars().isEmpty());
}

TEST(ClipboardModelPersistence, RemovingEverythingReadFromAPartlyReadableListIsWritten)
{
    struct Case {
        const char *name;
        QString key;
        QByteArray stored;
        std::function<void(ClipboardModel &)> removeAll;
        std::function<qsizetype(const ClipboardModel &)> count;
    };
    const Case cases[] = {
        {"history key", ClipboardModel::historyKey, R"([{"id":"A","text":"a"},{"id":"B","kind":"bogus"}])",
         [](ClipboardModel &m) { m.clearHistoryEntries(); }, [](const ClipboardModel &m) { return m.entries().size(); }},
        {"snippets", ClipboardModel::snippetsKey, R"([{"id":"S","name":"n","trigger":";s","text":"t"},7])",
         [](ClipboardModel &m) { m.clearSnippets(); }, [](const ClipboardModel &m) { return m.snippets().size(); }},
        {"jars", ClipboardModel::jarsKey, R"([{"id":"J","name":"Work","entryIDs":[]},{"id":"K"}])",
         [](ClipboardModel &m) { m.deleteJar(QStringLiteral("J")); }, [](const ClipboardModel &m) { return m.jars().size(); }},
    };
    for (const Case &c : cases) {
        ModelHarness h;
        h.settings.setBytes(c.key, c.stored);
        ClipboardModel &model = h.make();
        ASSERT_EQ(c.count(model), 1) << c.name;
        c.removeAll(model);
        ASSERT_EQ(c.count(model), 0) << c.name;
        // The user's removal holds after a restart; the unreadable rest waits in the backup.
        EXPECT_EQ(c.count(h.make()), 0) << c.name;
        EXPECT_EQ(QDir(h.backupFolder()).entryList({c.key + QStringLiteral(".unreadable-*")}, QDir::Files).size(), 1)
            << c.name;
    }
}

TEST(ClipboardModelPersistence, AnImageTheStoreCannotSaveIsLoggedAndKeptInline)
{
    ModelHarness h;
    // A plain file where the image folder should be: every save fails.
    QFile blocker(h.imageFolder());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    ClipboardModel &model = h.make();
    const QByteArray png = pngBytes(6, 6);
    LogCapture warnings;
    h.pasteboard.copyImage(png);
    model.readClipboardIfChanged();
    ASSERT_TRUE(h.waitForCaptures());
    ASSERT_TRUE(model.flushHistory(5s));
    const QStringList saveFailures = warnings.lines().filter(QStringLiteral("Tarnel could not save a clipboard image: "));
    EXPECT_EQ(saveFailures.size(), 1);
    const QJsonObject stored = h.storedRecords().first();
    EXPECT_EQ(QByteArray::fromBase64(stored.value(QStringLiteral("imageData")).toString().toLatin1()), png);
    EXPECT_EQ(model.imageData(model.entries().first()), png);
}

} // namespace
