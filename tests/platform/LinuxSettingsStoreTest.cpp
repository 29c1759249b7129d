#include "platform/linux/LinuxSettingsStore.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QStringList setAsideFiles(const QString &path)
{
    const QFileInfo info(path);
    return QDir(info.absolutePath()).entryList({info.fileName() + ".unreadable-*"}, QDir::Files | QDir::Hidden);
}

TEST(LinuxSettingsStore, TypedValuesSurviveANewStoreOnTheSameFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Tarnel/defaults.json");
    const QByteArray bytes("[{\"id\":\"1\"}]\x00\xfe", 14);
    {
        LinuxSettingsStore store(path);
        ASSERT_TRUE(store.setBool("tarnel.recording", false));
        ASSERT_TRUE(store.setInteger("tarnel.historyLimit", 250));
        ASSERT_TRUE(store.setText("tarnel.language", "en"));
        ASSERT_TRUE(store.setBytes("tarnel.history", bytes));
        ASSERT_TRUE(store.setTextList("tarnel.pasteStack", {"b", "a"}));
        ASSERT_TRUE(store.setText("gone", "x"));
        ASSERT_TRUE(store.remove("gone"));
    }
    LinuxSettingsStore reopened(path);
    EXPECT_EQ(reopened.boolValue("tarnel.recording"), false);
    EXPECT_EQ(reopened.integerValue("tarnel.historyLimit"), 250);
    EXPECT_EQ(reopened.textValue("tarnel.language"), "en");
    EXPECT_EQ(reopened.bytesValue("tarnel.history"), bytes);
    EXPECT_EQ(reopened.textListValue("tarnel.pasteStack"), (QStringList{"b", "a"}));
    EXPECT_FALSE(reopened.contains("gone"));
    // Wrong types read as absent from the file too.
    EXPECT_EQ(reopened.integerValue("tarnel.language"), std::nullopt);
    EXPECT_EQ(reopened.boolValue("tarnel.historyLimit"), std::nullopt);

    const QJsonObject onDisk = QJsonDocument::fromJson(readFile(path)).object();
    EXPECT_EQ(onDisk.value("tarnel.recording"), QJsonValue(false));
    EXPECT_EQ(onDisk.value("tarnel.history").toObject().value("data").toString(), QString::fromLatin1(bytes.toBase64()));
    EXPECT_EQ(modeOf(path), 0600u);
    // No temporary files are left behind by completed writes; the writers' lock file stays.
    EXPECT_EQ(QDir(dir.filePath("Tarnel")).entryList(QDir::Files | QDir::Hidden),
              (QStringList{".defaults.json.lock", "defaults.json"}));
}

TEST(LinuxSettingsStore, AnUnreadableFileIsSetAsideAndTheStoreStartsEmpty)
{
    const QByteArray deep = QByteArray(5000, '[') + QByteArray(5000, ']');
    const struct {
        const char *name;
        QByteArray content;
    } cases[] = {
        {"truncated", "{\"tarnel.recording\": tru"},
        {"deep nesting", "{\"k\":" + deep + "}"},
        {"invalid UTF-8", "{\"k\": \"\xff\xfe\"}"},
    };
    for (const auto &c : cases) {
        QTemporaryDir dir;
        const QString path = dir.filePath("defaults.json");
        ASSERT_TRUE(writeFile(path, c.content));
        LinuxSettingsStore store(path);
        EXPECT_FALSE(store.contains("k")) << c.name;
        EXPECT_EQ(store.boolValue("tarnel.recording"), std::nullopt) << c.name;
        const QStringList aside = setAsideFiles(path);
        ASSERT_EQ(aside.size(), 1) << c.name;
        EXPECT_EQ(readFile(dir.filePath(aside.first())), c.content) << c.name;
        EXPECT_EQ(modeOf(dir.filePath(aside.first())), 0600u) << c.name;
        // The next write starts a fresh, readable file and leaves the set-aside copy alone.
        ASSERT_TRUE(store.setBool("tarnel.recording", true)) << c.name;
        EXPECT_EQ(LinuxSettingsStore(path).boolValue("tarnel.recording"), true) << c.name;
        EXPECT_EQ(readFile(dir.filePath(aside.first())), c.content) << c.name;
    }
}

TEST(LinuxSettingsStore, SomethingOtherThanAFileAtThePathIsSetAsideUnread)
{
    for (const bool pipe : {true, false}) {
        QTemporaryDir dir;
        const QString path = dir.filePath("defaults.json");
        if (pipe) // opening a named pipe to read would wait for a writer that never comes
            ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else
            ASSERT_TRUE(QDir().mkpath(path + "/inside"));
        LinuxSettingsStore store(path);
        EXPECT_EQ(store.boolValue("tarnel.recording"), std::nullopt) << pipe;
        // Writes work again, and whatever stood at the path is kept aside as it was.
        ASSERT_TRUE(store.setBool("tarnel.recording", true)) << pipe;
        EXPECT_EQ(LinuxSettingsStore(path).boolValue("tarnel.recording"), true) << pipe;
        const QStringList aside = QDir(dir.path()).entryList({"defaults.json.unreadable-*"},
                                                             QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        ASSERT_EQ(aside.size(), 1) << pipe;
        EXPECT_EQ(QFileInfo(dir.filePath(aside.first())).isDir(), !pipe);
    }
}

TEST(LinuxSettingsStore, AWriteThatCannotBeStoredReportsFailureAndKeepsTheOldValue)
{
    QTemporaryDir dir;
    // The folder the file should live in is a plain file, so nothing can be created there.
    ASSERT_TRUE(writeFile(dir.filePath("blocker"), "x"));
    LinuxSettingsStore store(dir.filePath("blocker/defaults.json"));
    EXPECT_FALSE(store.setInteger("tarnel.historyLimit", 5));
    EXPECT_EQ(store.integerValue("tarnel.historyLimit"), std::nullopt);
}

// A writer killed at any moment leaves either the previous or the next complete file.
TEST(LinuxSettingsStore, AWriterKilledMidWriteNeverLeavesATornFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Tarnel/defaults.json");
    auto *random = QRandomGenerator::global();
    int roundsWithFile = 0;
    for (int round = 0; round < 25; ++round) {
        // Carries on from the previous writer, so payload and counter always fit together. The
        // parent reads where to start: the child only writes, so nothing it reads after the fork
        // can differ from what the parent saw.
        const qint64 start = LinuxSettingsStore(path).integerValue("counter").value_or(-1) + 1;
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            LinuxSettingsStore store(path);
            for (qint64 i = start;; ++i) {
                // The payload's size varies, so a torn file would also be a short one.
                const QString payload = QString::number(i).repeated(int(i % 7) * 4000 + 1);
                store.setText("payload", payload);
                store.setInteger("counter", i);
            }
        }
        ::usleep(static_cast<useconds_t>(random->bounded(1000, 25000)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);

        const QByteArray data = QFile::exists(path) ? readFile(path) : QByteArray();
        if (data.isEmpty()) {
            ASSERT_EQ(roundsWithFile, 0) << "a complete file vanished in round " << round;
            continue; // killed before the very first write finished
        }
        ++roundsWithFile;
        QJsonParseError error{};
        const QJsonObject object = QJsonDocument::fromJson(data, &error).object();
        ASSERT_EQ(error.error, QJsonParseError::NoError) << "round " << round;
        const QString payload = object.value("payload").toString();
        ASSERT_FALSE(payload.isEmpty()) << "round " << round;
        const qint64 counter = object.value("counter").toInteger(-1);
        // The payload is written before the counter, so it is the counter's or the next one's.
        const bool matchesCounter = counter >= 0
            && payload == QString::number(counter).repeated(int(counter % 7) * 4000 + 1);
        const bool matchesNext = payload == QString::number(counter + 1).repeated(int((counter + 1) % 7) * 4000 + 1);
        EXPECT_TRUE(matchesCounter || matchesNext) << "round " << round << " counter " << counter;
        EXPECT_EQ(modeOf(path), 0600u);
    }
    EXPECT_GT(roundsWithFile, 0);
    EXPECT_TRUE(setAsideFiles(path).isEmpty());
}

// Two programs that change the settings at once (two instances, a start and the one quitting):
// every key either wrote is there afterwards, however their writes interleave.
TEST(LinuxSettingsStore, WritersInSeveralProcessesAtOnceKeepEachOthersKeys)
{
    constexpr int kKeysEach = 200;
    const struct {
        const char *name;
        int writers;
        // Keys already there before, which every writer must keep too.
        bool existingFile;
    } cases[] = {
        {"two writers on a new file", 2, false},
        {"three writers on a file with settings", 3, true},
    };
    for (const auto &c : cases) {
        QTemporaryDir dir;
        const QString path = dir.filePath("Tarnel/defaults.json");
        if (c.existingFile) {
            ASSERT_TRUE(LinuxSettingsStore(path).setText("kept", "from before")) << c.name;
        }
        int go[2];
        ASSERT_EQ(::pipe(go), 0);
        QList<pid_t> children;
        for (int writer = 0; writer < c.writers; ++writer) {
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                ::close(go[1]);
                char start = 0;
                // All of them begin together, once the parent closes its end.
                (void)::read(go[0], &start, 1);
                LinuxSettingsStore store(path);
                bool ok = true;
                for (int i = 0; i < kKeysEach; ++i)
                    ok = store.setInteger(QStringLiteral("w%1.%2").arg(writer).arg(i), i) && ok;
                ::_exit(ok ? 0 : 1);
            }
            children.append(child);
        }
        ::close(go[0]);
        ::close(go[1]);
        for (const pid_t child : children) {
            int status = 0;
            ::waitpid(child, &status, 0);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << c.name << ": a write failed";
        }
        const LinuxSettingsStore after(path);
        int lost = 0;
        for (int writer = 0; writer < c.writers; ++writer) {
            for (int i = 0; i < kKeysEach; ++i)
                lost += after.integerValue(QStringLiteral("w%1.%2").arg(writer).arg(i)) == i ? 0 : 1;
        }
        EXPECT_EQ(lost, 0) << c.name << ": keys lost of " << c.writers * kKeysEach;
        if (c.existingFile) {
            EXPECT_EQ(after.textValue("kept"), QString("from before")) << c.name;
        }
        EXPECT_TRUE(setAsideFiles(path).isEmpty()) << c.name;
    }
}

// Another product's domain is only ever read: whatever its folder holds stays as it was.
TEST(LinuxSettingsStore, ASettingNestedTooDeeplyIsRefusedAloneAndTheOthersStay)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("defaults.json");
    const QByteArray deep = QByteArray(5000, '[') + QByteArray(5000, ']');
    const QByteArray content = R"({"tarnel.recording":false, "k":)" + deep + R"(, "s":"a,}]\"{", "n":{"m":[1,{}]}})";
    ASSERT_TRUE(writeFile(path, content));

    LinuxSettingsStore store(path);
    EXPECT_EQ(store.boolValue("tarnel.recording"), false);
    EXPECT_EQ(store.textValue("s"), QStringLiteral("a,}]\"{"));
    EXPECT_TRUE(store.contains("n"));
    EXPECT_FALSE(store.contains("k"));
    EXPECT_FALSE(store.wasReadWhole());
    const QStringList aside = setAsideFiles(path);
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(readFile(dir.filePath(aside.first())), content);
    // The next write keeps what was read.
    ASSERT_TRUE(store.setInteger("tarnel.historyLimit", 7));
    LinuxSettingsStore reopened(path);
    EXPECT_EQ(reopened.boolValue("tarnel.recording"), false);
    EXPECT_EQ(reopened.integerValue("tarnel.historyLimit"), 7);
}

TEST(LinuxSettingsStore, AFileOpenToOthersIsMadePrivateWhenReadButNotByAReadOnlyStore)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("defaults.json");
    for (const auto access : {LinuxSettingsStore::Access::ReadOnly, LinuxSettingsStore::Access::ReadWrite}) {
        ASSERT_TRUE(writeFile(path, R"({"tarnel.recording":false})"));
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0644), 0);
        EXPECT_EQ(LinuxSettingsStore(path, access).boolValue("tarnel.recording"), false);
        EXPECT_EQ(modeOf(path), access == LinuxSettingsStore::Access::ReadOnly ? 0644u : 0600u);
    }
}

TEST(LinuxSettingsStore, AReadOnlyStoreNeverChangesItsFolder)
{
    const struct {
        const char *name;
        QByteArray content; // empty: a named pipe
        std::optional<QString> value;
    } cases[] = {
        {"readable", R"({"k":"v"})", QStringLiteral("v")},
        {"not JSON", "{\"cut off", std::nullopt},
        {"named pipe", {}, std::nullopt},
    };
    for (const auto &c : cases) {
        QTemporaryDir dir;
        const QString path = dir.filePath("defaults.json");
        if (c.content.isEmpty()) {
            ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0) << c.name;
        } else {
            ASSERT_TRUE(writeFile(path, c.content));
        }
        ASSERT_TRUE(writeFile(dir.filePath(".defaults.json.Ab12Cd"), "{\"left by a cut-off write"));
        QFile stale(dir.filePath(".defaults.json.Ab12Cd"));
        ASSERT_TRUE(stale.open(QIODevice::ReadWrite));
        ASSERT_TRUE(stale.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-3600), QFileDevice::FileModificationTime));
        const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);

        LinuxSettingsStore store(path, LinuxSettingsStore::Access::ReadOnly);
        EXPECT_EQ(store.textValue("k"), c.value) << c.name;
        EXPECT_FALSE(store.setText("k", "new")) << c.name;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot), before)
            << c.name;
        if (!c.content.isEmpty()) {
            EXPECT_EQ(readFile(path), c.content) << c.name;
        }
    }
}

TEST(LinuxSettingsStore, ALinkInPlaceOfTheFileIsSetAsideAndWhatItPointsAtIsLeftAlone)
{
    const struct {
        const char *name;
        QByteArray target; // empty: the link leads nowhere
    } cases[] = {
        {"unreadable target", "root:x:0:0:root:/root:/bin/bash\n"},
        {"settings elsewhere", R"({"tarnel.recording":false})"},
        {"dangling", {}},
    };
    for (const auto &c : cases) {
        QTemporaryDir dir;
        const QString target = dir.filePath("elsewhere/passwd");
        if (!c.target.isEmpty()) {
            ASSERT_TRUE(writeFile(target, c.target));
            ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0644), 0);
        }
        const QString path = dir.filePath("Tarnel/defaults.json");
        QDir().mkpath(dir.filePath("Tarnel"));
        ASSERT_EQ(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(path).constData()), 0);

        LinuxSettingsStore store(path);
        EXPECT_EQ(store.boolValue("tarnel.recording"), std::nullopt) << c.name << ": nothing is read through a link";
        EXPECT_FALSE(store.wasReadWhole()) << c.name;
        const QStringList aside = QDir(dir.filePath("Tarnel")).entryList({"defaults.json.unreadable-*"},
                                                                       QDir::AllEntries | QDir::System | QDir::Hidden);
        ASSERT_EQ(aside.size(), 1) << c.name;
        EXPECT_EQ(QFileInfo(dir.filePath("Tarnel/" + aside.first())).symLinkTarget(), target) << c.name;
        ASSERT_TRUE(store.setBool("tarnel.recording", true)) << c.name;
        EXPECT_FALSE(QFileInfo(path).isSymLink()) << c.name;
        EXPECT_EQ(modeOf(path), 0600u) << c.name;
        if (c.target.isEmpty()) {
            EXPECT_FALSE(QFileInfo::exists(target)) << c.name;
        } else {
            EXPECT_EQ(readFile(target), c.target) << c.name;
            EXPECT_EQ(modeOf(target), 0644u) << c.name;
        }
    }
}

TEST(LinuxSettingsStore, ItsFolderIsMadeAndKeptPrivate)
{
    QTemporaryDir dir;
    // Made by the first write, with the folders above it that were missing.
    const QString made = dir.filePath("config/Tarnel");
    ASSERT_TRUE(LinuxSettingsStore(made + "/defaults.json").setBool("tarnel.recording", false));
    EXPECT_EQ(modeOf(made), 0700u);
    EXPECT_EQ(modeOf(dir.filePath("config")), 0700u);

    // One left open by an earlier version is closed as soon as it is read.
    const QString existing = dir.filePath("old/Tarnel");
    ASSERT_TRUE(writeFile(existing + "/defaults.json", R"({"tarnel.recording":false})"));
    ASSERT_EQ(::chmod(QFile::encodeName(existing).constData(), 0755), 0);
    EXPECT_EQ(LinuxSettingsStore(existing + "/defaults.json").boolValue("tarnel.recording"), false);
    EXPECT_EQ(modeOf(existing), 0700u);

    // A link in the folder's place is the user's own arrangement: used, and left as it is.
    const QString linked = dir.filePath("shared");
    ASSERT_TRUE(QDir().mkpath(linked));
    ASSERT_EQ(::chmod(QFile::encodeName(linked).constData(), 0755), 0);
    ASSERT_EQ(::symlink(QFile::encodeName(linked).constData(), QFile::encodeName(dir.filePath("linked")).constData()), 0);
    ASSERT_TRUE(LinuxSettingsStore(dir.filePath("linked/defaults.json")).setBool("tarnel.recording", true));
    EXPECT_EQ(modeOf(linked), 0755u);
    EXPECT_EQ(LinuxSettingsStore(linked + "/defaults.json").boolValue("tarnel.recording"), true);
}

} // namespace

// A writer killed between making its temporary file and renaming it leaves the file behind. The
// next store that writes takes it away once no writer holds the lock (a temporary a live writer
// holds is still being written), and leaves every other file in the folder alone.
TEST(LinuxSettingsStore, TemporariesLeftByAKilledWriterAreRemovedOnlyWhenNoWriterIsAtWork)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Tarnel/defaults.json");
    ASSERT_TRUE(QDir().mkpath(dir.filePath("Tarnel")));
    const QString left = dir.filePath("Tarnel/.defaults.json.Ab3xYz");
    const QString lock = dir.filePath("Tarnel/.defaults.json.lock");
    const struct {
        const char *name;
        // A writer holds the lock while the store starts.
        bool writerAtWork;
        // A file of the store's, or another program's, that only looks alike.
        const char *other;
        bool leftRemoved;
    } cases[] = {
        {"a writer killed earlier", false, ".defaults.json.bak", true},
        {"a writer at work now", true, ".defaults.json.lock", false},
        {"a file of the user's own beside it", false, "defaults.json.Ab3xYz", true},
    };
    for (const auto &c : cases) {
        ASSERT_TRUE(writeFile(path, R"({"kept":true})")) << c.name;
        ASSERT_TRUE(writeFile(left, R"({"half)")) << c.name;
        const QString other = dir.filePath(QStringLiteral("Tarnel/") + QString::fromLatin1(c.other));
        if (!QFileInfo::exists(other)) {
            ASSERT_TRUE(writeFile(other, "other")) << c.name;
        }
        const int held = ::open(QFile::encodeName(lock).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        ASSERT_GE(held, 0) << c.name;
        if (c.writerAtWork) {
            ASSERT_EQ(::flock(held, LOCK_EX), 0) << c.name;
        }
        {
            LinuxSettingsStore store(path);
            EXPECT_EQ(store.boolValue("kept"), true) << c.name;
        }
        ::close(held);
        EXPECT_EQ(!QFileInfo::exists(left), c.leftRemoved) << c.name;
        EXPECT_TRUE(QFileInfo::exists(other)) << c.name;
        EXPECT_EQ(readFile(path), QByteArray(R"({"kept":true})")) << c.name;
        QFile::remove(left);
    }
}
