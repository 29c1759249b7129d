// The files of the history changed behind the running model's back: the database, its log and
// the log's index, each deleted, renamed away, replaced by another history (moved over, or copied
// over), cut short or made unreadable, with copies made before and after, then a clean quit or a
// kill. After a restart every copy the model held is in the history at its path, and another
// history found there is kept whole beside it.
#include "EngineTestSupport.h"
#include "engine/HistoryWriter.h"
#include "platform/fake/FakeHistoryStore.h"
#include "platform/linux/SqliteHistoryStore.h"
#include "support/TestFiles.h"
#include "support/TestImages.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

enum class Target { Database,
                    Log,
                    Index };
enum class Event { Deleted,
                   RenamedAway,
                   ReplacedByMove,
                   ReplacedByCopy,
                   Truncated,
                   MadeUnreadable };
enum class End { CleanQuit,
                 Kill };

const char *nameOf(Target target)
{
    switch (target) {
    case Target::Database:
        return "the database";
    case Target::Log:
        return "its log";
    case Target::Index:
        return "its index";
    }
    return "";
}

const char *nameOf(Event event)
{
    switch (event) {
    case Event::Deleted:
        return "deleted";
    case Event::RenamedAway:
        return "renamed away";
    case Event::ReplacedByMove:
        return "replaced by another history moved over it";
    case Event::ReplacedByCopy:
        return "replaced by another history copied over it";
    case Event::Truncated:
        return "cut short";
    case Event::MadeUnreadable:
        return "made unreadable";
    }
    return "";
}

QString suffixOf(Target target)
{
    switch (target) {
    case Target::Database:
        return {};
    case Target::Log:
        return QStringLiteral("-wal");
    case Target::Index:
        return QStringLiteral("-shm");
    }
    return {};
}

// Another history, as a backup of another machine would be: two rows of its own. Closed, its
// rows are in its database; open, in its log.
struct OtherHistory {
    QString path;
    std::unique_ptr<SqliteHistoryStore> writer;
};

OtherHistory makeOtherHistory(const QString &path, bool open)
{
    OtherHistory other{path, std::make_unique<SqliteHistoryStore>(path)};
    HistoryChange change;
    change.writes = HistoryRows::rowsFor(
        {makeEntry(QStringLiteral("F1"), QStringLiteral("foreign one")), makeEntry(QStringLiteral("F2"), QStringLiteral("foreign two"))});
    EXPECT_TRUE(other.writer->apply(change).ok);
    if (!open)
        other.writer.reset();
    return other;
}

QStringList textsIn(const QString &path)
{
    QStringList texts;
    for (const StoredHistoryRow &row : SqliteHistoryStore(path).read().rows) {
        if (const std::optional<ClipboardEntry> entry = HistoryRows::decodeRow(row))
            texts.append(entry->text);
    }
    return texts;
}

// What a kill leaves: the files at the path as they are this moment, never closed.
QString filesAsAKillLeavesThem(const QString &path, const QString &into)
{
    QDir().mkpath(into);
    const QString copy = into + QStringLiteral("/history.sqlite3");
    for (const QString &suffix : {QString(), QStringLiteral("-wal")}) {
        if (QFileInfo::exists(path + suffix))
            QFile::copy(path + suffix, copy + suffix);
    }
    return copy;
}

bool happen(Event event, const QString &file, const QString &otherFolder)
{
    const QByteArray name = QFile::encodeName(file);
    switch (event) {
    case Event::Deleted:
        return ::unlink(name.constData()) == 0;
    case Event::RenamedAway:
        return std::rename(name.constData(), QFile::encodeName(file + QStringLiteral(".moved")).constData()) == 0;
    case Event::ReplacedByMove:
    case Event::ReplacedByCopy: {
        // The other history's file of the same kind: its database, its log or its index.
        const QString suffix = file.mid(file.lastIndexOf(QStringLiteral(".sqlite3")) + 8);
        OtherHistory other = makeOtherHistory(otherFolder + QStringLiteral("/history.sqlite3"), !suffix.isEmpty());
        const QString source = other.path + suffix;
        if (!QFileInfo::exists(source))
            return false;
        if (event == Event::ReplacedByMove)
            return std::rename(QFile::encodeName(source).constData(), name.constData()) == 0;
        // Copied over: written into the very file at the path, as cp does.
        const QByteArray bytes = readFile(source);
        QFile target(file);
        return target.open(QIODevice::WriteOnly | QIODevice::Truncate) && target.write(bytes) == bytes.size();
    }
    case Event::Truncated:
        return ::truncate(name.constData(), 0) == 0;
    case Event::MadeUnreadable:
        return ::chmod(name.constData(), 0) == 0;
    }
    return false;
}

// The other history kept whole beside the path: a set-aside file that reads as its two rows.
bool otherHistoryKeptBeside(const QString &folder)
{
    for (const QString &name : QDir(folder).entryList({QStringLiteral("history.sqlite3.unreadable-*")}, QDir::Files)) {
        if (name.endsWith(QStringLiteral("-wal")) || name.endsWith(QStringLiteral("-shm")))
            continue;
        const QString aside = folder + u'/' + name;
        ::chmod(QFile::encodeName(aside).constData(), 0600);
        QStringList texts = textsIn(aside);
        texts.sort();
        if (texts == QStringList{QStringLiteral("foreign one"), QStringLiteral("foreign two")})
            return true;
    }
    return false;
}

// The history's connections, each taking the files at the path as a kill would leave them at the
// first write begun once armed: after the run looked at its files and let go of what changed, and
// before it wrote the history at the path again.
class KillPoint {
public:
    explicit KillPoint(QString into)
        : m_into(std::move(into))
    {
    }
    void arm() { m_armed = true; }
    // The files a kill at that moment left, or empty when no write began.
    QString leftAtTheWrite() const { return m_left; }
    void beforeWrite(const QString &path)
    {
        if (m_armed.exchange(false))
            m_left = filesAsAKillLeavesThem(path, m_into);
    }

private:
    QString m_into;
    std::atomic<bool> m_armed = false;
    QString m_left;
};

class KilledAtAWrite : public HistoryStore {
public:
    KilledAtAWrite(std::unique_ptr<HistoryStore> real, KillPoint *point)
        : m_real(std::move(real))
        , m_point(point)
    {
    }
    StoredHistory read() override { return m_real->read(); }
    HistoryWriteResult apply(const HistoryChange &change) override
    {
        m_point->beforeWrite(m_real->filePath());
        return m_real->apply(change);
    }
    QString keepCopy(const QString &reason) override { return m_real->keepCopy(reason); }
    std::optional<qint64> availableBytes() const override { return m_real->availableBytes(); }
    std::unique_ptr<HistoryStore> openConnection() const override
    {
        return std::make_unique<KilledAtAWrite>(m_real->openConnection(), m_point);
    }
    QString filePath() const override { return m_real->filePath(); }
    void reopen() override { m_real->reopen(); }
    HistoryFilesCheck checkFiles() override { return m_real->checkFiles(); }

private:
    std::unique_ptr<HistoryStore> m_real;
    KillPoint *m_point;
};

ino_t inodeOf(const QString &path)
{
    struct stat st { };
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

TEST(HistoryFilesUnderTheModel, EveryCopyIsInTheHistoryAtItsPathWhateverHappensToItsFiles)
{
    int rows = 0;
    for (Target target : {Target::Database, Target::Log, Target::Index}) {
        for (Event event : {Event::Deleted, Event::RenamedAway, Event::ReplacedByMove, Event::ReplacedByCopy,
                            Event::Truncated, Event::MadeUnreadable}) {
            for (bool copiesAfter : {false, true}) {
                for (End end : {End::CleanQuit, End::Kill}) {
                    // Another index copied into the very index file the run has mapped: readers
                    // beside the run write into it too, so nothing on disk tells it apart, and
                    // SQLite then reads the run's own log through it. Not held yet.
                    if (target == Target::Index && event == Event::ReplacedByCopy)
                        continue;
                    const std::string row = std::string(nameOf(target)) + " " + nameOf(event)
                        + (copiesAfter ? ", copies after" : ", no copy after")
                        + (end == End::Kill ? ", killed" : ", quit");
                    SCOPED_TRACE(row);
                    ++rows;
                    QTemporaryDir dir;
                    const QString folder = dir.filePath(QStringLiteral("Tarnel"));
                    const QString path = folder + QStringLiteral("/history.sqlite3");
                    ModelHarness h;
                    KillPoint killPoint(dir.filePath(QStringLiteral("killed-at-the-write")));
                    KilledAtAWrite store(std::make_unique<SqliteHistoryStore>(path), &killPoint);
                    h.historyStore = &store;
                    ClipboardModel &model = h.make();

                    QStringList copied;
                    const auto copy = [&](const QString &text) {
                        h.copyText(text);
                        copied.append(text);
                    };
                    for (const char *text : {"before one", "before two", "before three"})
                        copy(QString::fromLatin1(text));
                    ASSERT_TRUE(model.flushHistory(5s));
                    const QString file = path + suffixOf(target);
                    ASSERT_TRUE(QFileInfo::exists(file));
                    const bool replaced = event == Event::ReplacedByMove || event == Event::ReplacedByCopy;
                    // The run's database stays at the path with every row committed before, also
                    // where its log went: the connection still has that log open and folds it in.
                    // Only a log written into or cut short at the path took rows with it.
                    const bool ownDatabaseStays = target != Target::Database
                        && !(target == Target::Log && (event == Event::ReplacedByCopy || event == Event::Truncated));
                    const ino_t database = inodeOf(path);
                    ASSERT_TRUE(happen(event, file, dir.filePath(QStringLiteral("other"))));
                    killPoint.arm();
                    // What the folder's watch does on a change seen there.
                    model.checkHistoryFiles();
                    if (copiesAfter) {
                        for (const char *text : {"after one", "after two", "after three"})
                            copy(QString::fromLatin1(text));
                    }
                    ASSERT_TRUE(model.flushHistory(5s));

                    QString restartFrom = path;
                    if (end == End::Kill) {
                        restartFrom = filesAsAKillLeavesThem(path, dir.filePath(QStringLiteral("after-kill")));
                    } else {
                        EXPECT_TRUE(model.writeHistoryBeforeQuit(5s));
                    }
                    const QStringList setAsideByTheRun = model.setAsideFiles();
                    h.model.reset();

                    QStringList kept = textsIn(restartFrom);
                    for (const QString &text : std::as_const(copied))
                        EXPECT_TRUE(kept.contains(text)) << text.toStdString() << " is lost; kept: "
                                                         << kept.join(u',').toStdString();
                    // Never two histories mixed: the other one's rows are not at the path.
                    EXPECT_FALSE(kept.contains(QStringLiteral("foreign one")));
                    if (ownDatabaseStays) {
                        // Nothing of the run's own is taken for another history, and at no moment
                        // is the path without what it held: a kill between letting go and writing
                        // again keeps every row committed before the change.
                        EXPECT_EQ(inodeOf(path), database);
                        for (const QString &aside : setAsideByTheRun)
                            EXPECT_TRUE(aside.endsWith(QStringLiteral("-wal")) || aside.endsWith(QStringLiteral("-shm")))
                                << aside.toStdString() << " was set aside as another history";
                        if (!killPoint.leftAtTheWrite().isEmpty()) {
                            const QStringList atTheWrite = textsIn(killPoint.leftAtTheWrite());
                            for (const char *text : {"before one", "before two", "before three"})
                                EXPECT_TRUE(atTheWrite.contains(QString::fromLatin1(text)))
                                    << text << " is lost by a kill at the write; kept: " << atTheWrite.join(u',').toStdString();
                        }
                    }
                    if (replaced && target == Target::Database) {
                        EXPECT_TRUE(otherHistoryKeptBeside(folder)) << QDir(folder).entryList().join(u' ').toStdString();
                        // The user is told where it went.
                        EXPECT_FALSE(setAsideByTheRun.isEmpty());
                    }
                }
            }
        }
    }
    EXPECT_EQ(rows, 68);
}

} // namespace

// An image's file, or the whole images folder, deleted while the model holds the image: the file
// its row names is written again from the bytes held, before the end can leave the row naming
// nothing.
TEST(HistoryFilesUnderTheModel, AnImageFileDeletedWhileHeldIsWrittenAgain)
{
    const struct {
        const char *name;
        bool wholeFolder;
    } cases[] = {{"the image's file deleted", false}, {"the images folder deleted", true}};
    for (const auto &c : cases) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Tarnel/history.sqlite3"));
        ModelHarness h;
        SqliteHistoryStore store(path);
        h.historyStore = &store;
        ClipboardModel &model = h.make();
        const QByteArray png = pngBytes(12, 12, Qt::red);
        h.pasteboard.copyImage(png);
        model.readClipboardIfChanged();
        ASSERT_TRUE(h.waitForCaptures()) << c.name;
        ASSERT_TRUE(model.flushHistory(5s)) << c.name;
        ASSERT_TRUE(QTest::qWaitFor([&] { return model.entries().value(0).imageFilePath.has_value(); }, 5000)) << c.name;
        const QString file = *model.entries().first().imageFilePath;
        const QByteArray saved = readFile(file);
        ASSERT_FALSE(saved.isEmpty()) << c.name;

        ASSERT_TRUE(c.wholeFolder ? QDir(h.imageFolder()).removeRecursively() : QFile::remove(file)) << c.name;
        model.checkHistoryFiles();
        ASSERT_TRUE(model.flushHistory(5s)) << c.name;
        h.model.reset();

        const StoredHistory stored = SqliteHistoryStore(path).read();
        ASSERT_EQ(stored.rows.size(), 1) << c.name;
        const std::optional<ClipboardEntry> entry = HistoryRows::decodeRow(stored.rows.first());
        ASSERT_TRUE(entry && entry->imageFilePath) << c.name;
        EXPECT_EQ(readFile(*entry->imageFilePath), saved) << c.name;
    }
}

namespace {

// A history whose writes wait at a gate the test opens, so that something can happen while one
// is under way.
struct Gate {
    std::mutex mutex;
    std::condition_variable changed;
    bool open = true;
    bool waiting = false;
};

class GatedHistory : public HistoryStore {
public:
    GatedHistory(std::unique_ptr<HistoryStore> real, std::shared_ptr<Gate> gate)
        : m_real(std::move(real))
        , m_gate(std::move(gate))
    {
    }
    StoredHistory read() override { return m_real->read(); }
    HistoryWriteResult apply(const HistoryChange &change) override
    {
        std::unique_lock lock(m_gate->mutex);
        m_gate->waiting = true;
        m_gate->changed.notify_all();
        m_gate->changed.wait(lock, [this] { return m_gate->open; });
        m_gate->waiting = false;
        lock.unlock();
        return m_real->apply(change);
    }
    QString keepCopy(const QString &reason) override { return m_real->keepCopy(reason); }
    std::optional<qint64> availableBytes() const override { return m_real->availableBytes(); }
    std::unique_ptr<HistoryStore> openConnection() const override
    {
        return std::make_unique<GatedHistory>(m_real->openConnection(), m_gate);
    }

private:
    std::unique_ptr<HistoryStore> m_real;
    std::shared_ptr<Gate> m_gate;
};

} // namespace

// A look at the files asked while a write is under way hands over the list that write commits,
// never the one committed before it, which would stand on disk for the newest state.
TEST(HistoryFilesUnderTheModel, ALookAskedDuringAWriteNeverWritesAnOlderList)
{
    FakeHistoryStore fake;
    auto gate = std::make_shared<Gate>();
    GatedHistory gated(fake.openConnection(), gate);
    QTemporaryDir images;
    HistoryWriter writer(gated.openConnection(), HistoryDiffer(), ClipboardImageStore(images.path()), 10ms);
    const QList<ClipboardEntry> older{makeEntry(QStringLiteral("A"))};
    const QList<ClipboardEntry> newer{makeEntry(QStringLiteral("B")), makeEntry(QStringLiteral("A"))};
    writer.submit(older, false);
    ASSERT_TRUE(writer.flush(5s));
    {
        std::unique_lock lock(gate->mutex);
        gate->open = false;
    }
    writer.submit(newer, false);
    {
        std::unique_lock lock(gate->mutex);
        ASSERT_TRUE(gate->changed.wait_for(lock, 5s, [&] { return gate->waiting; }));
    }
    writer.lookAtFiles();
    {
        std::lock_guard lock(gate->mutex);
        gate->open = true;
    }
    gate->changed.notify_all();
    ASSERT_TRUE(writer.flush(5s));
    // The look handed over after the write is written too, before the rows are read.
    ASSERT_TRUE(writer.flush(5s));
    QStringList ids;
    for (const StoredHistoryRow &row : fake.rows())
        ids.append(row.id);
    EXPECT_EQ(ids, (QStringList{QStringLiteral("B"), QStringLiteral("A")}));
}
