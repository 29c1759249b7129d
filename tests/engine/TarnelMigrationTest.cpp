#include "engine/TarnelMigration.h"

#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <future>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct MigrationScene {
    QTemporaryDir root;
    FakeSettingsStore current;
    FakeSettingsStore earlier;
    TarnelMigration::Folders folders{root.filePath("Quorvel/Clipboard Images"), root.filePath("Tarnel/Clipboard Images")};

    QString writeEarlierImage(const QString &name, const QByteArray &bytes)
    {
        QDir().mkpath(folders.earlierImages);
        const QString path = QDir(folders.earlierImages).filePath(name);
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return path;
    }
    QList<ClipboardEntry> migratedHistory() const
    {
        return ClipboardEntry::decodeList(*current.bytesValue("tarnel.history")).items;
    }
    void run() { TarnelMigration::run(current, earlier, folders); }
};

ClipboardEntry imageEntry(const QString &id, const std::optional<QString> &path)
{
    ClipboardEntry entry = makeEntry(id, QString());
    entry.kind = ClipboardKind::Image;
    entry.imageFilePath = path;
    return entry;
}

TEST(TarnelMigration, CopiesEveryKeyWithItsTypeAndMarksCompletion)
{
    MigrationScene s;
    s.earlier.setBool("wistmo.recording", false);
    s.earlier.setText("wistmo.appearance", "light");
    s.earlier.setInteger("wistmo.historyLimit", 250);
    s.earlier.setTextList("wistmo.pasteStack", {"A", "B"});
    s.earlier.setBytes("quorvel.jars", R"([{"id":"J","name":"n","entryIDs":[]}])");
    s.earlier.setText("quorvel.presentationMode", "menuBar");
    s.earlier.setBool("quorvel.onboardingComplete", true);
    s.earlier.setText("unrelated.key", "ignored");
    s.run();
    const QJsonObject v = s.current.values();
    EXPECT_EQ(v.value("tarnel.recording"), QJsonValue(false));
    EXPECT_EQ(v.value("tarnel.appearance"), QJsonValue("light"));
    EXPECT_EQ(v.value("tarnel.historyLimit"), QJsonValue(250));
    EXPECT_EQ(s.current.textListValue("tarnel.pasteStack"), (QStringList{"A", "B"}));
    EXPECT_EQ(s.current.bytesValue("tarnel.jars"), QByteArray(R"([{"id":"J","name":"n","entryIDs":[]}])"));
    EXPECT_EQ(v.value("tarnel.presentationMode"), QJsonValue("menuBar"));
    EXPECT_EQ(v.value("tarnel.onboardingComplete"), QJsonValue(true));
    EXPECT_EQ(v.value("tarnel.migrationComplete"), QJsonValue(true));
    EXPECT_FALSE(v.contains("tarnel.key"));
    EXPECT_EQ(v.size(), 8);
}

TEST(TarnelMigration, CurrentValuesWinAndASecondRunDoesNothing)
{
    MigrationScene s;
    s.current.setBool("tarnel.recording", false);
    s.current.setTextList("tarnel.pasteStack", {});
    s.earlier.setBool("wistmo.recording", true);
    s.earlier.setTextList("wistmo.pasteStack", {"A"});
    s.run();
    EXPECT_EQ(s.current.boolValue("tarnel.recording"), false);
    EXPECT_EQ(s.current.textListValue("tarnel.pasteStack"), QStringList());

    s.earlier.setText("quorvel.language", "en");
    const int writes = s.current.writeCount();
    s.run();
    EXPECT_EQ(s.current.writeCount(), writes);
    EXPECT_FALSE(s.current.contains("tarnel.language"));

    // No earlier data still marks completion.
    MigrationScene empty;
    empty.run();
    EXPECT_EQ(empty.current.values().keys(), QStringList{"tarnel.migrationComplete"});
}

TEST(TarnelMigration, HistoryImagesMoveIntoTheCurrentFolderWithTheirNames)
{
    MigrationScene s;
    const QString name = "0A1B2C3D-0000-1111-2222-333344445555.image";
    const QString oldPath = s.writeEarlierImage(name, "png-bytes");
    ASSERT_TRUE(QFile::setPermissions(oldPath, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));
    const QString reusedName = "FFFFFFFF-0000-1111-2222-333344445555.image";
    const QString reusedOld = s.writeEarlierImage(reusedName, "old-bytes");
    QDir().mkpath(s.folders.currentImages);
    {
        QFile existing(QDir(s.folders.currentImages).filePath(reusedName));
        existing.open(QIODevice::WriteOnly);
        existing.write("already-here");
    }
    const QString foreignFolder = s.root.filePath("elsewhere/X.image");
    const QString otherExtension = s.writeEarlierImage("Y.png", "png");
    const QString dotted = s.folders.earlierImages + "/../Clipboard Images/" + name;
    const QList<ClipboardEntry> history{imageEntry("A", oldPath), imageEntry("B", reusedOld), imageEntry("C", foreignFolder),
                                        imageEntry("D", otherExtension), makeEntry("E"), imageEntry("F", dotted)};
    s.earlier.setBytes("wistmo.history", ClipboardEntry::encodeList(history));
    s.run();

    const QList<ClipboardEntry> migrated = s.migratedHistory();
    ASSERT_EQ(migrated.size(), 6);
    const QString newPath = QDir(s.folders.currentImages).filePath(name);
    EXPECT_EQ(migrated[0].imageFilePath, newPath);
    EXPECT_EQ(migrated[1].imageFilePath, QDir(s.folders.currentImages).filePath(reusedName));
    EXPECT_EQ(migrated[2].imageFilePath, foreignFolder);
    EXPECT_EQ(migrated[3].imageFilePath, otherExtension);
    EXPECT_FALSE(migrated[4].imageFilePath.has_value());
    EXPECT_EQ(migrated[5].imageFilePath, newPath);
    QFile copied(newPath);
    ASSERT_TRUE(copied.open(QIODevice::ReadOnly));
    EXPECT_EQ(copied.readAll(), QByteArray("png-bytes"));
    QFile reused(QDir(s.folders.currentImages).filePath(reusedName));
    ASSERT_TRUE(reused.open(QIODevice::ReadOnly));
    EXPECT_EQ(reused.readAll(), QByteArray("already-here")); // left untouched, not replaced
    EXPECT_TRUE(QFile::exists(oldPath));                       // the earlier file stays
    // Moved images are the owner's only, whatever the earlier file allowed.
    const QFile::Permissions others = QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
    EXPECT_EQ(QFileInfo(newPath).permissions() & others, QFile::Permissions());
}

TEST(TarnelMigration, AFileThatCannotBeCopiedStaysInline)
{
    MigrationScene s;
    const QString readable = s.writeEarlierImage("AAAAAAAA-0000-1111-2222-333344445555.image", "inline-me");
    const QString missing = QDir(s.folders.earlierImages).filePath("BBBBBBBB-0000-1111-2222-333344445555.image");
    ClipboardEntry withBytes = imageEntry("W", missing);
    withBytes.imageData = QByteArray("kept-bytes");
    s.earlier.setBytes("wistmo.history",
                       ClipboardEntry::encodeList({imageEntry("R", readable), imageEntry("M", missing), withBytes}));
    // A plain file where the current folder belongs: every copy fails.
    QDir().mkpath(s.root.filePath("Tarnel"));
    QFile blocker(s.folders.currentImages);
    blocker.open(QIODevice::WriteOnly);
    blocker.close();
    s.run();
    const QList<ClipboardEntry> migrated = s.migratedHistory();
    ASSERT_EQ(migrated.size(), 3);
    EXPECT_EQ(migrated[0].imageData, QByteArray("inline-me"));
    EXPECT_FALSE(migrated[0].imageFilePath.has_value());
    EXPECT_FALSE(migrated[1].imageData.has_value()); // unreadable source: no bytes, path gone
    EXPECT_FALSE(migrated[1].imageFilePath.has_value());
    EXPECT_EQ(migrated[2].imageData, QByteArray("kept-bytes"));
}

// Whatever is not a plain file is left where it is: reading a named pipe would wait for a
// writer that never comes, and the start would hang before the migration is marked done.
TEST(TarnelMigration, OnlyPlainFilesAreCopied)
{
    MigrationScene s;
    const QString plain = s.writeEarlierImage("AAAAAAAA-0000-1111-2222-333344445555.image", "png");
    const QString pipe = QDir(s.folders.earlierImages).filePath("BBBBBBBB-0000-1111-2222-333344445555.image");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString link = QDir(s.folders.earlierImages).filePath("CCCCCCCC-0000-1111-2222-333344445555.image");
    ASSERT_TRUE(QFile::link(plain, link));
    s.earlier.setBytes("wistmo.history", ClipboardEntry::encodeList(
                                             {imageEntry("A", plain), imageEntry("B", pipe), imageEntry("C", link)}));

    auto migration = std::async(std::launch::async, [&s] { s.run(); });
    if (migration.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        // Play the missing writer so that the test ends instead of hanging.
        ::close(::open(QFile::encodeName(pipe).constData(), O_WRONLY | O_NONBLOCK));
        migration.wait();
        FAIL() << "the migration waited on a named pipe";
    }
    const QList<ClipboardEntry> migrated = s.migratedHistory();
    ASSERT_EQ(migrated.size(), 3);
    EXPECT_EQ(migrated[0].imageFilePath, QDir(s.folders.currentImages).filePath(QFileInfo(plain).fileName()));
    EXPECT_EQ(migrated[1].imageFilePath, pipe);
    EXPECT_EQ(migrated[2].imageFilePath, link);
    EXPECT_EQ(QDir(s.folders.currentImages).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size(), 1);
    EXPECT_TRUE(s.current.boolValue("tarnel.migrationComplete").value_or(false));
}

TEST(TarnelMigration, TheModelLoadsWhatTheMigrationWrote)
{
    ModelHarness h;
    MigrationScene s;
    const QString oldPath = s.writeEarlierImage("CCCCCCCC-0000-1111-2222-333344445555.image", pngBytes(2, 2));
    s.folders.currentImages = h.imageFolder();
    s.earlier.setBytes("wistmo.history", ClipboardEntry::encodeList({imageEntry("I", oldPath), makeEntry("T")}));
    s.earlier.setInteger("wistmo.historyLimit", 7);
    TarnelMigration::run(h.settings, s.earlier, s.folders);
    ClipboardModel &model = h.make();
    EXPECT_EQ(model.historyLimit(), 7);
    ASSERT_EQ(model.entries().size(), 2);
    EXPECT_EQ(model.imageData(model.entries().first()), pngBytes(2, 2));
}

} // namespace

namespace {

TEST(TarnelMigration, TheEarlierHistoryGoesIntoTheDatabaseUnlessItAlreadyHoldsOne)
{
    struct Case {
        const char *name;
        QByteArray earlierHistory;
        QList<ClipboardEntry> alreadyStored;
        QStringList expectedRows;
        bool expectKey; // left under the settings key instead (for the model's start to keep aside)
    };
    const QByteArray readable = ClipboardEntry::encodeList({makeEntry("B"), makeEntry("A")});
    const Case cases[] = {
        {"empty database", readable, {}, {"B", "A"}, false},
        {"database in use", readable, {makeEntry("Z")}, {"Z"}, false},
        {"unreadable history", "{[garbage", {}, {}, true},
    };
    for (const Case &c : cases) {
        MigrationScene s;
        FakeHistoryStore history;
        history.seedRows(HistoryRows::rowsFor(c.alreadyStored));
        s.earlier.setBytes("wistmo.history", c.earlierHistory);
        TarnelMigration::run(s.current, s.earlier, s.folders, &history);
        QStringList rows;
        for (const StoredHistoryRow &row : history.rows())
            rows.append(row.id);
        EXPECT_EQ(rows, c.expectedRows) << c.name;
        EXPECT_EQ(s.current.contains("tarnel.history"), c.expectKey) << c.name;
        EXPECT_EQ(s.current.boolValue(TarnelMigration::completedKey), true) << c.name;
    }
}

} // namespace
