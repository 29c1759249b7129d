// The history on disk as the running program keeps it: created on a fresh start, kept across a
// restart with very large texts, never torn by a kill, and its images kept when the settings
// file is lost.
// gtest first: Xlib's macros (None, Bool) would break its headers.
#include <gtest/gtest.h>

#include "core/ClipboardEntry.h"
#include "core/ClipboardJar.h"
#include "core/ClipboardSnippet.h"
#include "engine/HistoryRows.h"
#include "engine/HistoryWriter.h"
#include "platform/linux/LinuxSettingsStore.h"
#include "platform/linux/SqliteHistoryStore.h"
#include "support/RawDatabase.h"
#include "support/TestFiles.h"
#include "support/TestImages.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <unistd.h>
#include <iostream>
#include <memory>
#include <vector>

#include "StoredHistory.h"
#include "X11TestSupport.h"

using namespace x11test;

namespace {

QString historyPath()
{
    return SqliteHistoryStore::defaultPath();
}

// The next test of this binary starts without a history (the folders are the binary's own).
void removeHistory() { forgetHistory(historyPath()); }

// Read beside the running program, as its writer commits.
CommittedHistory stored() { return committedHistory(historyPath()); }

QStringList imageFiles()
{
    return QDir(qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Tarnel/Clipboard Images"))
        .entryList({QStringLiteral("*.image")}, QDir::Files);
}

// Copies like another program does: xclip owns the clipboard until the next copy takes it.
class Copier {
public:
    ~Copier()
    {
        for (auto &process : m_copies) {
            process->kill();
            process->waitForFinished(2000);
        }
    }
    bool copy(const QByteArray &bytes, const char *target = "UTF8_STRING")
    {
        const Atom clipboard = XInternAtom(display(), "CLIPBOARD", False);
        const Window before = XGetSelectionOwner(display(), clipboard);
        auto process = std::make_unique<QProcess>();
        process->start(QStringLiteral("xclip"), {"-selection", "clipboard", "-quiet", "-t", target});
        if (!process->waitForStarted(5000))
            return false;
        process->write(bytes);
        process->waitForBytesWritten(30000);
        process->closeWriteChannel();
        m_copies.push_back(std::move(process));
        // Older copies are done once another owns the clipboard; keep only a few alive.
        while (m_copies.size() > 4) {
            m_copies.front()->kill();
            m_copies.front()->waitForFinished(2000);
            m_copies.erase(m_copies.begin());
        }
        return QTest::qWaitFor([&] {
            const Window owner = XGetSelectionOwner(display(), clipboard);
            return owner != before && owner != 0;
        },
                               10000);
    }

private:
    std::vector<std::unique_ptr<QProcess>> m_copies;
};

void writeStartSettings(const QJsonObject &more = {})
{
    QJsonObject settings{{"tarnel.onboardingComplete", true}, {"tarnel.historyLimit", 2000}};
    for (auto it = more.begin(); it != more.end(); ++it)
        settings.insert(it.key(), it.value());
    writeSettings(QJsonDocument(settings).toJson(QJsonDocument::Compact));
}

bool waitForStored(int count, int ms = 20000)
{
    return QTest::qWaitFor([count] { return stored().texts.size() >= count; }, ms);
}

TEST(HistoryStorageProgram, AFreshStartWithNoSettingsCreatesAPrivateDatabase)
{
    ASSERT_FALSE(QFileInfo::exists(historyPath()));
    Program tarnel(tarnelBinary());
    ASSERT_TRUE(QTest::qWaitFor([] { return QFileInfo::exists(historyPath()); }, 10000))
        << tarnel.errorOutput().constData();
    EXPECT_EQ(modeOf(historyPath()), 0600u);
    EXPECT_TRUE(tarnel.isRunning()) << tarnel.errorOutput().constData();
    removeHistory();
}

TEST(HistoryStorageProgram, EightTextsOf31MBAndEverySettingSurviveARestart)
{
    const QByteArray bytes = ClipboardSnippet::encodeList({ClipboardSnippet{"S", "Sig", ";sig", "Regards"}});
    const QByteArray jars = ClipboardJar::encodeList({ClipboardJar{"J", "Work", {}}});
    writeStartSettings({{"tarnel.snippets", QJsonObject{{"data", QString::fromLatin1(bytes.toBase64())}}},
                        {"tarnel.jars", QJsonObject{{"data", QString::fromLatin1(jars.toBase64())}}},
                        {"tarnel.language", "en"}});
    constexpr int kCopies = 8;
    constexpr int kTextBytes = 31 * 1000 * 1000;
    {
        Program tarnel(tarnelBinary());
        ASSERT_TRUE(waitForPanel()) << tarnel.errorOutput().constData();
        Copier copier;
        for (int i = 0; i < kCopies; ++i) {
            QByteArray text(kTextBytes, char('a' + i));
            text.prepend(QByteArray("large ") + QByteArray::number(i) + ' ');
            ASSERT_TRUE(copier.copy(text)) << i;
            ASSERT_TRUE(waitForStored(i + 1, 60000)) << i << tarnel.errorOutput().constData();
        }
        // A logout: SIGTERM, the program quits on its own.
        tarnel.process().terminate();
        ASSERT_TRUE(tarnel.process().waitForFinished(30000));
    }
    EXPECT_FALSE(QFileInfo::exists(historyPath() + QStringLiteral("-wal"))) << "nothing left half written";
    const LinuxSettingsStore settings(LinuxSettingsStore::defaultPath());
    EXPECT_TRUE(settings.wasReadWhole());
    EXPECT_FALSE(settings.contains(QStringLiteral("tarnel.history")));

    Program restarted(tarnelBinary());
    ASSERT_TRUE(waitForPanel()) << restarted.errorOutput().constData();
    // The program loaded all eight: a new copy is written beside them, not instead of them.
    Copier copier;
    ASSERT_TRUE(copier.copy("after the restart"));
    ASSERT_TRUE(waitForStored(kCopies + 1)) << restarted.errorOutput().constData();
    const CommittedHistory after = stored();
    ASSERT_EQ(after.texts.size(), kCopies + 1);
    EXPECT_EQ(after.texts.first(), QStringLiteral("after the restart"));
    for (int i = 0; i < kCopies; ++i) {
        EXPECT_EQ(after.texts.at(kCopies - i).size(), kTextBytes + 8) << i;
        EXPECT_TRUE(after.texts.at(kCopies - i).startsWith(QStringLiteral("large %1 ").arg(i))) << i;
    }
    const LinuxSettingsStore settingsAfter(LinuxSettingsStore::defaultPath());
    EXPECT_EQ(settingsAfter.bytesValue(QStringLiteral("tarnel.snippets")), bytes);
    EXPECT_EQ(settingsAfter.bytesValue(QStringLiteral("tarnel.jars")), jars);
    EXPECT_EQ(settingsAfter.boolValue(QStringLiteral("tarnel.onboardingComplete")), true);
    restarted.close();
    removeHistory();
}

TEST(HistoryStorageProgram, AKillDuringABurstLosesNothingOlderThanItsLastMoments)
{
    writeStartSettings();
    constexpr int kCopies = 200;
    constexpr int kKillAfter = 120;
    QStringList sent; // oldest first
    std::vector<qint64> copiedAt;
    qint64 killedAt = 0;
    {
        Program tarnel(tarnelBinary());
        ASSERT_TRUE(waitForPanel()) << tarnel.errorOutput().constData();
        Copier copier;
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < kCopies; ++i) {
            const QString text = QStringLiteral("burst #%1").arg(i);
            ASSERT_TRUE(copier.copy(text.toUtf8())) << i;
            sent.append(text);
            copiedAt.push_back(clock.elapsed());
            if (i == kKillAfter) {
                ::kill(pid_t(tarnel.pid()), SIGKILL);
                killedAt = clock.elapsed();
                tarnel.process().waitForFinished(5000);
                break;
            }
            QThread::msleep(40);
        }
    }
    const CommittedHistory afterKill = stored();
    EXPECT_TRUE(afterKill.complete) << "the database is never torn";
    ASSERT_FALSE(afterKill.texts.isEmpty()) << "nothing of the burst was written";
    // Each transaction holds a whole state of the history, so the newest copy on disk stands for
    // all before it. It was written while the copies kept coming, not once they stopped: a
    // writer that waited for a quiet clipboard would have nothing of the burst on disk. How
    // little the kill cost is a figure, not a bound: a loaded machine slows the program's
    // capture and this test's copies alike, but not by the same amount.
    const qsizetype newest = sent.lastIndexOf(afterKill.texts.first());
    ASSERT_GE(newest, 0) << afterKill.texts.first().toStdString() << " was never copied";
    EXPECT_GE(newest, kKillAfter / 2) << "the history was not written during the burst";
    EXPECT_GE(afterKill.texts.size(), (newest + 1) * 95 / 100);
    const qint64 lostMs = killedAt - copiedAt[std::size_t(newest)];
    std::cout << "[ kill     ] " << kKillAfter - newest << " copies of the last " << lostMs << " ms before the kill were not on disk\n";
    RecordProperty("tarnelKillLostCopies", std::to_string(kKillAfter - newest));
    // Walked newest first, each text lies before the one after it in the copies made: the search
    // starts from the last copy, whatever number of them the history lost.
    qsizetype at = sent.size();
    for (const QString &text : std::as_const(afterKill.texts)) {
        const qsizetype found = at > 0 ? sent.lastIndexOf(text, at - 1) : -1;
        ASSERT_GE(found, 0) << text.toStdString() << " out of order or twice";
        at = found;
    }

    // The next start reads it whole.
    Program restarted(tarnelBinary());
    ASSERT_TRUE(waitForPanel()) << restarted.errorOutput().constData();
    EXPECT_EQ(QDir(QFileInfo(historyPath()).absolutePath()).entryList({"history.sqlite3.unreadable-*"}, QDir::Files),
              QStringList());
    restarted.close();
    removeHistory();
}

TEST(HistoryStorageProgram, ALostSettingsFileKeepsEveryImageAndTheHistory)
{
    writeStartSettings();
    {
        Program tarnel(tarnelBinary());
        ASSERT_TRUE(waitForPanel()) << tarnel.errorOutput().constData();
        Copier copier;
        ASSERT_TRUE(copier.copy(pngBytes(12, 12, Qt::red), "image/png"));
        ASSERT_TRUE(waitForStored(1));
        ASSERT_TRUE(copier.copy(pngBytes(14, 14, Qt::blue), "image/png"));
        ASSERT_TRUE(waitForStored(2));
        tarnel.process().terminate();
        ASSERT_TRUE(tarnel.process().waitForFinished(20000));
    }
    ASSERT_EQ(imageFiles().size(), 2);
    const QString settingsPath = LinuxSettingsStore::defaultPath();
    const QByteArray whole = readFile(settingsPath);
    ASSERT_TRUE(writeFile(settingsPath, whole.left(whole.size() / 2)));

    Program tarnel(tarnelBinary());
    ASSERT_TRUE(waitForPanel()) << tarnel.errorOutput().constData();
    Copier copier;
    ASSERT_TRUE(copier.copy("a text after the loss"));
    ASSERT_TRUE(waitForStored(3)) << tarnel.errorOutput().constData();
    EXPECT_EQ(imageFiles().size(), 2);
    EXPECT_EQ(QDir(QFileInfo(settingsPath).absolutePath()).entryList({"defaults.json.unreadable-*"}, QDir::Files).size(), 1);
    tarnel.close();
    removeHistory();
}

TEST(HistoryStorageProgram, AGarbageDatabaseIsSetAsideAndTheProgramStarts)
{
    writeStartSettings();
    ASSERT_TRUE(writeFile(historyPath(), QByteArray(16384, '\x42')));
    Program tarnel(tarnelBinary());
    ASSERT_TRUE(waitForPanel()) << tarnel.errorOutput().constData();
    EXPECT_TRUE(tarnel.errorOutput().contains("history database")) << tarnel.errorOutput().constData();
    const QStringList aside =
        QDir(QFileInfo(historyPath()).absolutePath()).entryList({"history.sqlite3.unreadable-*"}, QDir::Files);
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(readFile(QFileInfo(historyPath()).absolutePath() + "/" + aside.first()), QByteArray(16384, '\x42'));
    Copier copier;
    ASSERT_TRUE(copier.copy("fresh"));
    ASSERT_TRUE(waitForStored(1)) << tarnel.errorOutput().constData();
    tarnel.close();
}

// Copies a text while another program holds the history's write lock, until the program's
// wait for the lock runs out and it says so; the lock is let go on return.
void copyWhileTheHistoryIsHeld(Program &tarnel, Copier &copier, const char *text)
{
    RawDatabase holder(historyPath());
    ASSERT_TRUE(holder.exec("BEGIN EXCLUSIVE"));
    ASSERT_TRUE(copier.copy(text));
    ASSERT_TRUE(QTest::qWaitFor([&] { return tarnel.errorOutput().contains("History could not be written"); },
                                int(SqliteHistoryStore::kBusyTimeout.count()) + 20000))
        << tarnel.errorOutput().constData();
    holder.exec("ROLLBACK");
}

TEST(HistoryStorageProgram, ACopyMadeWhileAnotherProgramHoldsTheHistoryIsWrittenOnceItLetsGo)
{
    removeHistory();
    writeStartSettings();
    Program tarnel(tarnelBinary());
    ASSERT_TRUE(waitForPanel()) << tarnel.errorOutput().constData();
    Copier copier;
    ASSERT_TRUE(copier.copy("before the lock"));
    ASSERT_TRUE(waitForStored(1)) << tarnel.errorOutput().constData();
    ASSERT_NO_FATAL_FAILURE(copyWhileTheHistoryIsHeld(tarnel, copier, "during the lock"));
    EXPECT_EQ(stored().texts, QStringList{"before the lock"});
    // Nothing else happens (no copy, no change on the disk): the program's own retry writes it.
    EXPECT_TRUE(QTest::qWaitFor([] { return stored().texts.size() == 2; },
                                int(std::chrono::milliseconds(HistoryWriter::kRetryInterval + SqliteHistoryStore::kBusyTimeout).count()) * 2))
        << tarnel.errorOutput().constData();
    EXPECT_EQ(stored().texts, (QStringList{"during the lock", "before the lock"}));
    tarnel.close();
    removeHistory();
}

TEST(HistoryStorageProgram, ACopyThatCouldNotBeWrittenIsWrittenAtQuitOnceTheLockIsGone)
{
    removeHistory();
    writeStartSettings();
    {
        Program tarnel(tarnelBinary());
        ASSERT_TRUE(waitForPanel()) << tarnel.errorOutput().constData();
        Copier copier;
        ASSERT_TRUE(copier.copy("before the lock"));
        ASSERT_TRUE(waitForStored(1)) << tarnel.errorOutput().constData();
        ASSERT_NO_FATAL_FAILURE(copyWhileTheHistoryIsHeld(tarnel, copier, "copied just before quitting"));
        // A logout at once: the program's last try writes it.
        tarnel.process().terminate();
        ASSERT_TRUE(tarnel.process().waitForFinished(30000));
    }
    EXPECT_EQ(stored().texts, (QStringList{"copied just before quitting", "before the lock"}));
    removeHistory();
}

TEST(HistoryStorageProgram, AHistoryUnderALinkedDataFolderIsKeptOverTwoStarts)
{
    removeHistory();
    writeStartSettings();
    const QDir folder(QFileInfo(historyPath()).absolutePath());
    const auto setAside = [&] { return folder.entryList({"history.sqlite3.unreadable-*"}, QDir::Files | QDir::System); };
    const QStringList setAsideBefore = setAside();
    {
        Program tarnel(tarnelBinary());
        ASSERT_TRUE(waitForPanel()) << tarnel.errorOutput().constData();
        Copier copier;
        ASSERT_TRUE(copier.copy("there before"));
        ASSERT_TRUE(waitForStored(1)) << tarnel.errorOutput().constData();
        tarnel.close();
    }
    // The same data folder reached through a link, as under a linked home or ~/.local.
    const QByteArray realData = qgetenv("XDG_DATA_HOME");
    QTemporaryDir dir;
    const QByteArray linkedData = QFile::encodeName(dir.filePath(QStringLiteral("linked-data")));
    ASSERT_EQ(::symlink(realData.constData(), linkedData.constData()), 0);
    qputenv("XDG_DATA_HOME", linkedData);
    const auto restore = qScopeGuard([&] { qputenv("XDG_DATA_HOME", realData); });
    const QStringList texts{"second start", "first start", "there before"};
    for (int start = 1; start <= 2; ++start) {
        Program tarnel(tarnelBinary());
        ASSERT_TRUE(waitForPanel()) << tarnel.errorOutput().constData();
        Copier copier;
        ASSERT_TRUE(copier.copy(start == 1 ? "first start" : "second start"));
        ASSERT_TRUE(waitForStored(start + 1)) << start << tarnel.errorOutput().constData();
        EXPECT_EQ(stored().texts, texts.mid(2 - start)) << start << tarnel.errorOutput().constData();
        tarnel.close();
    }
    EXPECT_EQ(setAside(), setAsideBefore);
    removeHistory();
}

// The rows of the history at a data folder's path, read without making anything there.
struct HistoryAtPath {
    QStringList texts; // newest first
    int imageRows = 0;
    // Image rows whose file is not there.
    int missingFiles = 0;
    // Each row's text and file, for a failure's message.
    QString rows;
};

HistoryAtPath historyAt(const QString &dataRoot)
{
    HistoryAtPath history;
    const QString path = dataRoot + QStringLiteral("/Tarnel/history.sqlite3");
    if (QFileInfo(path).size() == 0)
        return history;
    for (const StoredHistoryRow &row : SqliteHistoryStore(path).read().rows) {
        const std::optional<ClipboardEntry> entry = HistoryRows::decodeRow(row);
        if (!entry)
            continue;
        history.texts.append(entry->text);
        history.rows += entry->text + u' ' + entry->imageFilePath.value_or(QString()) + u'\n';
        if (entry->imageFilePath) {
            ++history.imageRows;
            history.missingFiles += QFileInfo::exists(*entry->imageFilePath) ? 0 : 1;
        }
    }
    return history;
}

// Whatever happens to the data folder while Tarnel runs (deleted, renamed away, replaced by a
// backup) or when it could not be made at start (a read-only disk, writable later), the copies of
// the run end up in the history at the data folder's path, and a start from another environment
// (no runtime folder) finds the running instance there and takes over from it.
TEST(HistoryStorageProgram, EveryCopyEndsUpInTheHistoryAtItsPathWhateverHappensToTheFolder)
{
    writeStartSettings();
    QTemporaryDir temporary;
    const QString ownDisk = temporary.filePath(QStringLiteral("own-disk"));
    const bool root = ::geteuid() == 0;
    const auto tarnelFolder = [](const QString &dataRoot) { return dataRoot + QStringLiteral("/Tarnel"); };
    const auto renamed = [&](const QString &from, const QString &to) {
        return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
    };
    const struct {
        const char *name;
        // The data root is a small disk of its own, read-only at the first start.
        bool readOnlyAtStart = false;
        // After the first text is stored.
        std::function<bool(const QString &)> afterFirstCopy;
        // After the first image is stored (or copied, on a read-only disk).
        std::function<bool(const QString &)> change;
        // Image rows that still have their file: one deleted with the folder is gone for good.
        int imagesKept = 2;
    } cases[] = {
        {"the folder deleted by hand", false, {}, [&](const QString &data) { return QDir(tarnelFolder(data)).removeRecursively(); }, 1},
        {"the folder renamed away",
         false,
         {},
         [&](const QString &data) { return renamed(tarnelFolder(data), tarnelFolder(data) + QStringLiteral(".moved")); }},
        {"the folder replaced by a backup",
         false,
         [&](const QString &data) {
             return run(QStringLiteral("cp"), {"-a", tarnelFolder(data), tarnelFolder(data) + QStringLiteral(".backup")}) == 0;
         },
         [&](const QString &data) {
             return renamed(tarnelFolder(data), tarnelFolder(data) + QStringLiteral(".old"))
                 && renamed(tarnelFolder(data) + QStringLiteral(".backup"), tarnelFolder(data));
         }},
        {"a first start on a read-only disk made writable", true, {}, [&](const QString &data) { return run(QStringLiteral("mount"), {"-o", "remount,rw", data}) == 0; }},
    };
    for (const auto &c : cases) {
        std::fprintf(stderr, "%s\n", c.name);
        QString data = qEnvironmentVariable("XDG_DATA_HOME");
        std::optional<QScopeGuard<std::function<void()>>> unmount;
        if (c.readOnlyAtStart) {
            QDir().mkpath(ownDisk);
            if (!root || run(QStringLiteral("mount"), {"-t", "tmpfs", "-o", "ro,size=8m,mode=0700", "tmpfs", ownDisk}) != 0) {
                std::fprintf(stderr, "%s: skipped, a read-only disk of its own cannot be mounted here\n", c.name);
                continue;
            }
            unmount.emplace([&] { run(QStringLiteral("umount"), {"-l", ownDisk}); });
            data = ownDisk;
        }
        for (const QString &name : QDir(data).entryList({"Tarnel*"}, QDir::Dirs | QDir::NoDotAndDotDot))
            QDir(data + u'/' + name).removeRecursively();
        QProcessEnvironment desktop = QProcessEnvironment::systemEnvironment();
        desktop.insert(QStringLiteral("TMPDIR"), temporary.path());
        desktop.insert(QStringLiteral("XDG_DATA_HOME"), data);
        QProcessEnvironment shell = desktop;
        shell.remove(QStringLiteral("XDG_RUNTIME_DIR"));

        Program first(tarnelBinary(), {}, desktop);
        ASSERT_TRUE(waitForPanel()) << c.name << first.errorOutput().constData();
        Copier copier;
        ASSERT_TRUE(copier.copy("copied before")) << c.name;
        if (!c.readOnlyAtStart) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return historyAt(data).texts.size() == 1; }, 10000)) << c.name;
        }
        if (c.afterFirstCopy) {
            ASSERT_TRUE(c.afterFirstCopy(data)) << c.name;
        }
        ASSERT_TRUE(copier.copy(pngBytes(12, 12, Qt::red), "image/png")) << c.name;
        if (!c.readOnlyAtStart) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return historyAt(data).imageRows == 1; }, 10000)) << c.name;
        }
        ASSERT_TRUE(c.change(data)) << c.name;
        ASSERT_TRUE(copier.copy("copied after")) << c.name;
        ASSERT_TRUE(copier.copy(pngBytes(14, 14, Qt::blue), "image/png")) << c.name;
        // Within the rest of a run that holds no folder, and the writes after it.
        EXPECT_TRUE(QTest::qWaitFor([&] { return historyAt(data).texts.size() == 4; }, 15000))
            << c.name << ": " << historyAt(data).texts.size() << " rows at the path\n"
            << first.errorOutput().constData();

        Program second(tarnelBinary(), {}, shell);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !first.isRunning(); }, 20000))
            << c.name << ": both instances run\n"
            << first.errorOutput().constData() << second.errorOutput().constData();
        EXPECT_TRUE(waitForRole("tarnel-panel", 20000).has_value()) << c.name << second.errorOutput().constData();
        EXPECT_TRUE(second.isRunning()) << c.name << second.errorOutput().constData();
        const HistoryAtPath after = historyAt(data);
        EXPECT_EQ(after.texts.size(), 4) << c.name;
        EXPECT_TRUE(after.texts.contains(QStringLiteral("copied before"))) << c.name;
        EXPECT_TRUE(after.texts.contains(QStringLiteral("copied after"))) << c.name;
        EXPECT_EQ(after.imageRows, c.imagesKept) << c.name;
        EXPECT_EQ(after.missingFiles, 0) << c.name << '\n'
                                         << after.rows.toStdString() << first.errorOutput().constData();
        second.close();
        for (const QString &name : QDir(data).entryList({"Tarnel*"}, QDir::Dirs | QDir::NoDotAndDotDot))
            QDir(data + u'/' + name).removeRecursively();
    }
}

// The history's own files changed under the running program, each seen on the folder's watch
// alone (no copy made after it) or followed by copies, then the program killed: every copy it took
// is in the history at its path, and another history moved over the database is kept beside it.
TEST(HistoryStorageProgram, EveryCopyIsAtThePathWhateverHappensToTheHistorysFilesBeforeAKill)
{
    writeStartSettings();
    const QString path = historyPath();
    const QString data = qEnvironmentVariable("XDG_DATA_HOME");
    const QString folder = QFileInfo(path).absolutePath();
    QTemporaryDir temporary;
    const auto otherHistory = [&] {
        const QString other = temporary.filePath(QStringLiteral("other.sqlite3"));
        ClipboardEntry entry;
        entry.id = QStringLiteral("F1");
        entry.text = QStringLiteral("another history's row");
        entry.copiedAt = QDateTime::currentDateTimeUtc();
        entry.kind = ClipboardKind::Text;
        HistoryChange change;
        change.writes = HistoryRows::rowsFor({entry});
        return SqliteHistoryStore(other).apply(change).ok ? other : QString();
    };
    const auto renamed = [](const QString &from, const QString &to) {
        return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
    };
    const struct {
        const char *name;
        std::function<bool()> happen;
        bool setsAnotherHistoryAside = false;
        // The run's own database is still at the path: nothing of it is set aside.
        bool databaseStays = false;
    } events[] = {
        {"the database deleted", [&] { return QFile::remove(path); }},
        {"the database and its log deleted", [&] { return QFile::remove(path) && QFile::remove(path + QStringLiteral("-wal")); }},
        {"the database renamed away", [&] { return renamed(path, path + QStringLiteral(".moved")); }},
        {"another history moved over the database", [&] {
             const QString other = otherHistory();
             return !other.isEmpty() && renamed(other, path);
         },
         true},
        {"the log deleted", [&] { return QFile::remove(path + QStringLiteral("-wal")); }, false, true},
    };
    for (const auto &event : events) {
        for (const bool copiesAfter : {false, true}) {
            const std::string row = std::string(event.name) + (copiesAfter ? ", copies after" : ", no copy after");
            SCOPED_TRACE(row);
            removeHistory();
            QDir(folder).removeRecursively();
            QStringList copied;
            Program tarnel(tarnelBinary());
            ASSERT_TRUE(waitForPanel()) << tarnel.errorOutput().constData();
            Copier copier;
            for (const char *text : {"copied before one", "copied before two", "copied before three"}) {
                ASSERT_TRUE(copier.copy(text));
                copied.append(QString::fromLatin1(text));
                ASSERT_TRUE(QTest::qWaitFor([&] { return historyAt(data).texts.size() == copied.size(); }, 10000));
            }
            ASSERT_TRUE(QFileInfo::exists(path + QStringLiteral("-wal")));
            ASSERT_TRUE(event.happen());
            if (copiesAfter) {
                for (const char *text : {"copied after one", "copied after two"}) {
                    ASSERT_TRUE(copier.copy(text));
                    copied.append(QString::fromLatin1(text));
                }
            }
            // Nothing reads the files at the path until the program has let go of them: any
            // SQLite reader opening a database moved over its log would fold that log into it.
            EXPECT_TRUE(QTest::qWaitFor([&] { return tarnel.errorOutput().contains("is no longer the file this run holds"); }, 10000))
                << tarnel.errorOutput().constData();
            // What the user may do any time later, once the program has seen the change.
            EXPECT_TRUE(QTest::qWaitFor([&] { return historyAt(data).texts.size() == copied.size(); }, 10000))
                << historyAt(data).texts.size() << " rows at the path\n"
                << tarnel.errorOutput().constData();
            ::kill(pid_t(tarnel.pid()), SIGKILL);
            tarnel.process().waitForFinished(5000);

            const HistoryAtPath after = historyAt(data);
            for (const QString &text : std::as_const(copied))
                EXPECT_TRUE(after.texts.contains(text)) << text.toStdString() << " is lost";
            EXPECT_FALSE(after.texts.contains(QStringLiteral("another history's row")));
            const QStringList setAside = QDir(folder).entryList({"history.sqlite3.unreadable-*"}, QDir::Files);
            if (event.databaseStays) {
                EXPECT_TRUE(setAside.isEmpty()) << setAside.join(u' ').toStdString() << '\n'
                                                << tarnel.errorOutput().constData();
            }
            if (event.setsAnotherHistoryAside) {
                bool keptBeside = false;
                for (const QString &name : setAside) {
                    if (name.endsWith(QStringLiteral("-wal")) || name.endsWith(QStringLiteral("-shm")))
                        continue;
                    for (const StoredHistoryRow &stored : SqliteHistoryStore(folder + u'/' + name).read().rows)
                        keptBeside = keptBeside || HistoryRows::decodeRow(stored).value_or(ClipboardEntry()).text == "another history's row";
                }
                EXPECT_TRUE(keptBeside) << QDir(folder).entryList().join(u' ').toStdString();
            }
        }
    }
    removeHistory();
}

} // namespace
