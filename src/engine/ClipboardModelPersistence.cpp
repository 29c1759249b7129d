#include "engine/ClipboardModel.h"

#include "core/HeapRelease.h"
#include "core/Logging.h"
#include "core/PrivateFiles.h"
#include "core/XdgFolders.h"
#include "platform/ScreenshotFolderMonitor.h"
#include "platform/ScreenshotLocation.h"
#include "platform/HistoryStore.h"
#include "platform/SettingsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>
#include <QSemaphore>
#include <QStandardPaths>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentMap>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <numeric>

#include <sys/stat.h>

namespace {

// Stored lists written by a later or damaged version are set aside under this folder name
// (inside the settings folder) before the first write replaces them.
const QString kBackupFileInfix = QStringLiteral(".unreadable-");

// How much of the stored records the reading at start frees before it gives the heap's free
// pages back to the system.
constexpr qint64 kGiveBackFreedRecordsBytes = 64LL * 1024 * 1024;

QString backupFolderOr(const QString &folder)
{
    return folder.isEmpty() ? XdgFolders::configHome() + QStringLiteral("/Tarnel")
                            : folder;
}

} // namespace

// ---- loading ----

void ClipboardModel::loadSettings()
{
    const std::optional<qint64> limit = m_settings->integerValue(historyLimitKey);
    m_historyLimit = (limit && *limit >= std::numeric_limits<int>::min() && *limit <= std::numeric_limits<int>::max())
        ? int(*limit)
        : kDefaultHistoryLimit;
    m_repeatsPasteStack = m_settings->boolValue(repeatsPasteStackKey).value_or(false);
    m_isRecording = m_settings->boolValue(recordingKey).value_or(true);
    m_automaticScreenshotCapture = m_settings->boolValue(automaticScreenshotCaptureKey).value_or(true);
    m_screenshotFolderPath = m_settings->textValue(screenshotFolderPathKey).value_or(defaultScreenshotFolder());
}

void ClipboardModel::loadHistory()
{
    // Settings that had to be set aside may have named images (through Jars, the Paste Stack
    // and a history under the old key) that nothing read this run knows of.
    if (!m_settings->wasReadWhole())
        m_sweepsUnreferencedImages = false;
    noteSetAsideFile(m_settings->setAsidePath());
    // Stored lists set aside in an earlier run may name images too, as long as they are kept.
    m_clipboardImageStore.addSetAsideFolder(backupFolderOr(m_backupFolder));
    // No write of the store runs yet: the writer starts with the history below. (Without a
    // writer of its own, another may be writing there.)
    if (m_writesHistory)
        m_clipboardImageStore.removeInterruptedWrites();
    const QList<ClipboardEntry> decoded = loadStoredHistory();
    // Whatever lies aside from an earlier run turns the image sweep off as long as it is there;
    // named at every start, or images of deleted entries would pile up with no word.
    QSet<QString> setAsideNow;
    for (const QString &path : std::as_const(m_setAsideFiles))
        setAsideNow.insert(QFileInfo(path).canonicalFilePath());
    for (const QString &path : m_clipboardImageStore.setAsideCopies()) {
        if (!setAsideNow.contains(QFileInfo(path).canonicalFilePath()))
            m_earlierSetAsideFiles.append(path);
    }
    lookAtEarlierSetAsideFiles();
    const QDateTime present = now();
    m_entries.reserve(decoded.size());
    for (const ClipboardEntry &entry : decoded) {
        // An end time equal to the present has passed; this also drops entries that the stored
        // Paste Stack names, because the stack is not loaded yet.
        if (!entry.temporaryUntil || *entry.temporaryUntil > present)
            m_entries.append(entry);
        else
            m_idsDroppedAtLoad.insert(entry.id);
    }
    // Rows name their images by absolute paths. Once the data folder moved (a backup restored
    // elsewhere, another home) they name the old place; the files are found by name in the
    // store folder, and the rows are written again with the paths that hold them now.
    std::optional<QSet<QString>> storeFiles;
    for (ClipboardEntry &entry : m_entries) {
        if (!entry.imageFilePath || QFileInfo(*entry.imageFilePath).path() == m_clipboardImageStore.directoryPath())
            continue;
        if (!storeFiles)
            storeFiles = m_clipboardImageStore.imageFileNames();
        const QString relocated = m_clipboardImageStore.relocated(*entry.imageFilePath, *storeFiles);
        if (relocated.isEmpty())
            continue;
        entry.imageFilePath = relocated;
        m_historyNeedsRewrite = true;
    }
    // Image bytes stay in their store files; readers take them through imageData(entry). A
    // screenshot whose store file is gone is read back from its screenshot file once, so that
    // the write at the end of loading puts it into the store again and the entry no longer
    // depends on a file that the user may move or delete.
    for (ClipboardEntry &entry : m_entries) {
        if (entry.imageData || !entry.screenshotFileURL || hasStoreFile(entry))
            continue;
        entry.imageData = EntryImageBytes::readScreenshotFile(*entry.screenshotFileURL);
    }
    // An image whose store file is gone (deleted with its folder, say) and that nothing gave back
    // stays in the history as an image that cannot be shown; its row stops naming the file, so
    // that no later start looks for it again and no file of that name is ever taken for it.
    for (ClipboardEntry &entry : m_entries) {
        if (entry.imageData || !entry.imageFilePath || !isGoneStoreFile(*entry.imageFilePath))
            continue;
        qCWarning(lcEngine) << "An image file of the history is gone; its entry is kept without it";
        entry.imageFilePath.reset();
        m_historyNeedsRewrite = true;
    }
}

std::optional<QList<ClipboardEntry>> ClipboardModel::takeStoredHistoryKey()
{
    if (!m_settings->contains(historyKey))
        return std::nullopt;
    const std::optional<QByteArray> stored = m_settings->bytesValue(historyKey);
    if (!stored) {
        // A value of another type reads as absent: it is no history, so it neither replaces
        // the database's rows nor is moved. It stays where it is; every image file is kept
        // while it does, in case it names some.
        qCWarning(lcEngine) << "Stored history under the settings key has an unexpected type; it is left as it is";
        m_sweepsUnreferencedImages = false;
        return std::nullopt;
    }
    const DecodedList<ClipboardEntry> decoded = ClipboardEntry::decodeList(*stored);
    if (!decoded.isComplete()) {
        qCWarning(lcEngine) << "Stored history could only be read in part:" << decoded.skippedCount
                            << "entries skipped, unreadable:" << decoded.unreadable;
        m_sweepsUnreferencedImages = false;
        if (decoded.items.isEmpty()) {
            // Nothing in it could be read: it says nothing about the history, so it reads as
            // absent and the rows in the database stay as they are. It is kept in a file of its
            // own; the key goes only once that file holds it.
            if (backUpUnreadable(historyKey, *stored, false))
                m_settings->remove(historyKey);
            return std::nullopt;
        }
        backUpUnreadable(historyKey, *stored, false);
    }
    return decoded.items;
}

void ClipboardModel::decodeRows(QList<StoredHistoryRow> &rows, QList<std::optional<ClipboardEntry>> &decoded,
                                QStringList &errors)
{
    // Side by side on workers of their own (the shared ones may be busy): reading and classifying
    // a history of gigabytes on one core kept the start waiting for many seconds. Each record goes
    // as soon as its entry holds what it said, so opening a history of large texts never holds
    // every record and every entry at once.
    StoredHistoryRow *row = rows.data();
    std::optional<ClipboardEntry> *entry = decoded.data();
    QString *error = errors.data();
    QList<qsizetype> indices(rows.size());
    std::iota(indices.begin(), indices.end(), qsizetype(0));
    // Records a little under the size that gets pages of its own are freed into the heap, which
    // keeps them: given back as the reading goes on, they do not add the whole history's size to
    // the start's peak.
    std::atomic<qint64> freedSinceGivenBack{0};
    QThreadPool workers;
    QtConcurrent::blockingMap(&workers, indices, [row, entry, error, &freedSinceGivenBack](qsizetype i) {
        entry[i] = HistoryRows::decodeRow(row[i], &error[i]);
        if (!entry[i])
            return;
        const qint64 size = row[i].record.size();
        row[i].record = QByteArray();
        if (freedSinceGivenBack.fetch_add(size) + size >= kGiveBackFreedRecordsBytes) {
            freedSinceGivenBack = 0;
            HeapRelease::giveBackFreeMemory();
        }
    });
}

ClipboardModel::HistoryRead ClipboardModel::readHistory(HistoryStore &connection, const ClipboardImageStore &images)
{
    HistoryRead read;
    read.stored = connection.read();
    QList<StoredHistoryRow> &rows = read.stored.rows;
    read.decoded.resize(rows.size());
    QStringList errors(rows.size());
    decodeRows(rows, read.decoded, errors);
    // A row this build cannot read (a kind a later build wrote, or damage) stays on disk as it
    // is, for a build that can; the image files whose names it holds stay with it.
    std::optional<QSet<QString>> storeFiles;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        StoredHistoryRow &row = rows[i];
        if (!read.decoded.at(i)) {
            qCWarning(lcEngine).noquote() << "History entry skipped:" << errors.at(i);
            if (!storeFiles)
                storeFiles = images.imageFileNames();
            for (const QString &name : std::as_const(*storeFiles)) {
                if (row.record.contains(name.toUtf8()))
                    read.heldImages.insert(name);
            }
        }
        row.record = QByteArray();
    }
    return read;
}

std::optional<ClipboardModel::HistoryRead> ClipboardModel::readHistoryAtStart()
{
    // A connection of its own, which the worker keeps for as long as the disk holds the read.
    std::shared_ptr<HistoryStore> connection = m_historyStore->openConnection();
    auto done = std::make_shared<QSemaphore>();
    QFuture<HistoryRead> reading =
        QtConcurrent::run([connection, images = m_clipboardImageStore, done]() -> HistoryRead {
            HistoryRead read = readHistory(*connection, images);
            done->release();
            return read;
        });
    if (done->tryAcquire(1, int(kStartReadWait.count())))
        return reading.result();
    qCWarning(lcEngine) << "The history is still being read after" << kStartReadWait.count()
                        << "ms; the start goes on with the copies of this run and takes the history in once it is read";
    m_historyReread = new QFutureWatcher<HistoryRead>(this);
    connect(m_historyReread, &QFutureWatcherBase::finished, this, [this] {
        const HistoryRead read = m_historyReread->result();
        m_historyReread->deleteLater();
        m_historyReread = nullptr;
        mergeRereadHistory(read);
    });
    m_historyReread->setFuture(reading);
    return std::nullopt;
}

// Each file is opened to tell another history from data that cannot be read: on a worker, so
// that a slow or hanging disk never holds the start.
void ClipboardModel::lookAtEarlierSetAsideFiles()
{
    if (!m_historyStore || m_earlierSetAsideFiles.isEmpty())
        return;
    std::shared_ptr<HistoryStore> connection = m_historyStore->openConnection();
    auto *look = new QFutureWatcher<QStringList>(this);
    connect(look, &QFutureWatcherBase::finished, this, [this, look] {
        const QStringList histories = look->result();
        look->deleteLater();
        if (histories.isEmpty())
            return;
        m_earlierSetAsideHistories = histories;
        Q_EMIT setAsideFilesChanged();
    });
    look->setFuture(QtConcurrent::run([connection, paths = m_earlierSetAsideFiles] {
        QStringList histories;
        for (const QString &path : paths) {
            if (path.endsWith(QStringLiteral("-wal")) || path.endsWith(QStringLiteral("-shm"))
                || !connection->holdsHistory(path))
                continue;
            for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")}) {
                if (paths.contains(path + suffix))
                    histories.append(path + suffix);
            }
        }
        return histories;
    }));
}

void ClipboardModel::noteHistoryRescue(const HistoryRead &read)
{
    const StoredHistory &stored = read.stored;
    if (stored.setAsidePath.isEmpty())
        return;
    // A row read from the file set aside that this build cannot read stays only there.
    const qsizetype kept = std::count_if(read.decoded.cbegin(), read.decoded.cend(),
                                         [](const std::optional<ClipboardEntry> &entry) { return entry.has_value(); });
    m_historyRescue = HistoryRescue{kept, stored.lostRows + stored.rows.size() - kept, stored.lostCountExact};
    qCWarning(lcEngine).noquote() << "The history set aside gave" << m_historyRescue->keptEntries << "entries;"
                                  << (stored.lostCountExact ? "" : "at least ")
            + QString::number(m_historyRescue->lostEntries)
                                  << "were lost";
}

QList<ClipboardEntry> ClipboardModel::loadStoredHistory()
{
    const std::optional<QList<ClipboardEntry>> fromKey = takeStoredHistoryKey();
    if (!m_historyStore)
        return fromKey.value_or(QList<ClipboardEntry>());

    std::optional<HistoryRead> read = readHistoryAtStart();
    if (!read) {
        // As a start that could not read the history: the run holds its own copies, and nothing
        // on disk is removed or taken for the whole history until the read came.
        m_sweepsUnreferencedImages = false;
        m_historyReading = HistoryReading::NotReadYet;
        if (!m_writesHistory)
            return fromKey.value_or(QList<ClipboardEntry>());
        if (fromKey && !fromKey->isEmpty()) {
            // Newer than the database's rows (see below), so the run starts from it; the rows
            // come below it with the read. It leaves the settings once the database holds it.
            m_historyKeyLeavesOnCommit = true;
            m_historyNeedsRewrite = true;
        } else if (fromKey) {
            // An empty list holds nothing the database could lack.
            m_settings->remove(historyKey);
        }
        startHistoryWriter(HistoryDiffer());
        return fromKey.value_or(QList<ClipboardEntry>());
    }
    StoredHistory &stored = read->stored;
    QList<std::optional<ClipboardEntry>> &decoded = read->decoded;
    noteHistoryRescue(*read);
    noteSetAsideFile(stored.setAsidePath);
    if (!stored.complete) {
        qCWarning(lcEngine).noquote() << "History database could not be read whole (" << stored.problem << "):"
                                      << stored.rows.size() << "entries recovered";
        m_sweepsUnreferencedImages = false;
        m_historyNeedsRewrite = !stored.rows.isEmpty();
        // Nothing was read and the file stays where it is, its rows still in it: the run holds
        // its own copies only until it reads them, and never takes them for the whole history.
        if (stored.setAsidePath.isEmpty())
            m_historyReading = HistoryReading::NotReadYet;
    }
    QList<ClipboardEntry> entries;
    entries.reserve(stored.rows.size());
    for (const std::optional<ClipboardEntry> &entry : std::as_const(decoded)) {
        if (entry)
            entries.append(*entry);
    }
    const bool databaseHeldRows = !stored.rows.isEmpty();

    HistoryDiffer committed;
    // The rows of the database that hold entries of this build, the only ones a change takes out.
    QStringList storedIDs;
    if (stored.complete) {
        committed.adoptStored(stored.rows, decoded);
        for (qsizetype i = 0; i < stored.rows.size(); ++i) {
            if (decoded.at(i))
                storedIDs.append(stored.rows.at(i).id);
        }
    }
    stored.rows.clear();
    decoded.clear();

    if (!m_writesHistory) {
        // Read as it stands, with no step that writes: another writer may be at work.
        qCWarning(lcEngine) << "The history is read and not written in this run: its copies stay in memory";
        return fromKey && !fromKey->isEmpty() ? *fromKey : entries;
    }
    if (fromKey && fromKey->isEmpty() && databaseHeldRows) {
        // An empty list beside rows is no history an older build ran with since (it would have
        // kept its copies there): it is left over from a build that emptied the key instead of
        // removing it. The rows stay, and the key goes.
        qCInfo(lcEngine) << "An empty history under the settings key was left beside the database's rows; it is removed";
        m_settings->remove(historyKey);
    } else if (fromKey) {
        // Only builds before the database wrote the key, so a history found there is newer than
        // the database's (an older build ran since), or the same (a move cut short). It moves
        // in once, replacing the rows; a copy of the database keeps what they held.
        QList<StoredHistoryRow> rows = HistoryRows::rowsFor(*fromKey);
        HistoryChange move{rows, {}, {}};
        QSet<QString> moving;
        for (const ClipboardEntry &entry : std::as_const(*fromKey))
            moving.insert(entry.id);
        for (const QString &id : std::as_const(storedIDs)) {
            if (!moving.contains(id))
                move.removals.append(id);
        }
        if (!storedIDs.isEmpty())
            noteSetAsideFile(m_historyStore->keepCopy(QStringLiteral("a history replaced by the one of an earlier build")));
        const HistoryWriteResult moved = move.isEmpty() ? HistoryWriteResult{} : m_historyStore->apply(move);
        if (moved.ok) {
            QList<std::optional<ClipboardEntry>> movedEntries(fromKey->cbegin(), fromKey->cend());
            committed = HistoryDiffer();
            committed.adoptStored(rows, movedEntries);
            m_settings->remove(historyKey);
            qCInfo(lcEngine) << "History moved from the settings into the database:" << fromKey->size() << "entries";
        } else {
            // Kept under the key for the next start; the writer stores the entries when it can.
            qCWarning(lcEngine).noquote() << "History could not be moved into the database:" << moved.error;
        }
        entries = *fromKey;
    }

    committed.holdImages(read->heldImages);
    startHistoryWriter(std::move(committed));
    return entries;
}

void ClipboardModel::startHistoryWriter(HistoryDiffer committed)
{
    m_historyWriter = std::make_unique<HistoryWriter>(m_historyStore->openConnection(), std::move(committed),
                                                      m_clipboardImageStore, m_historyRetryInterval);
    if (m_historyFolder)
        m_historyWriter->setFolderCheck(m_historyFolder);
    connect(m_historyWriter.get(), &HistoryWriter::writeFailed, this,
            [this](bool diskFull) { onHistoryWriteFailed(diskFull); });
    connect(m_historyWriter.get(), &HistoryWriter::writeSucceeded, this, [this] {
        setHistoryStorageIssue(std::nullopt);
        // Every list handed over since the start holds the entries found under the key.
        if (std::exchange(m_historyKeyLeavesOnCommit, false)) {
            m_settings->remove(historyKey);
            qCInfo(lcEngine) << "History moved from the settings into the database";
        }
    });
    connect(m_historyWriter.get(), &HistoryWriter::imagesStored, this, &ClipboardModel::onImagesStored);
    connect(m_historyWriter.get(), &HistoryWriter::imagesLost, this, &ClipboardModel::onImagesLost);
    // Another history found at the path is kept beside it, and the user is told where.
    connect(m_historyWriter.get(), &HistoryWriter::filesSetAside, this,
            [this](const QStringList &paths, const QStringList &histories) {
                for (const QString &path : paths)
                    noteSetAsideFile(path, histories.contains(path));
            });
}

void ClipboardModel::checkHistoryFiles()
{
    if (m_historyWriter)
        m_historyWriter->lookAtFiles();
    // The other program may have let go of the file.
    if (m_historyReading == HistoryReading::NotReadYet && !m_historyReread)
        rereadHistory();
}

void ClipboardModel::scheduleHistoryReread()
{
    m_historyRereadRest = m_historyRereadRest.count() == 0
        ? kHistoryRereadFirstRest
        : std::min(m_historyRereadRest * 2, kHistoryRereadLongestRest);
    const quint64 serial = ++m_historyRereadSerial;
    m_clock->singleShot(m_historyRereadRest, this, [this, serial] {
        // A try that a change of the files brought since replaced this one.
        if (serial == m_historyRereadSerial && !m_historyReread)
            rereadHistory();
    });
}

void ClipboardModel::rereadHistory()
{
    if (!m_historyStore || m_historyReading != HistoryReading::NotReadYet)
        return;
    ++m_historyRereadSerial;
    // A connection of its own: the file may keep the read waiting for the lock's whole timeout.
    std::shared_ptr<HistoryStore> connection = m_historyStore->openConnection();
    m_historyReread = new QFutureWatcher<HistoryRead>(this);
    connect(m_historyReread, &QFutureWatcherBase::finished, this, [this] {
        const HistoryRead read = m_historyReread->result();
        m_historyReread->deleteLater();
        m_historyReread = nullptr;
        mergeRereadHistory(read);
    });
    m_historyReread->setFuture(QtConcurrent::run(
        [connection, images = m_clipboardImageStore] { return readHistory(*connection, images); }));
}

void ClipboardModel::mergeRereadHistory(const HistoryRead &read)
{
    if (m_historyReading != HistoryReading::NotReadYet)
        return;
    const StoredHistory &stored = read.stored;
    if (!stored.complete && stored.setAsidePath.isEmpty()) {
        qCInfo(lcEngine).noquote() << "The history still cannot be read (" << stored.problem << "); it is tried again later";
        scheduleHistoryReread();
        return;
    }
    noteHistoryRescue(read);
    noteSetAsideFile(stored.setAsidePath);
    // The rows on disk are older than any copy of this run: they follow them, in their order.
    QSet<QString> held;
    for (const ClipboardEntry &entry : std::as_const(m_entries))
        held.insert(entry.id);
    const QDateTime present = now();
    QList<ClipboardEntry> merged = m_entries;
    qsizetype added = 0;
    for (const std::optional<ClipboardEntry> &entry : read.decoded) {
        if (!entry || held.contains(entry->id) || (entry->temporaryUntil && *entry->temporaryUntil <= present))
            continue;
        merged.append(*entry);
        ++added;
    }
    qCInfo(lcEngine) << "The history could be read after all:" << added << "entries from disk";
    m_historyReadAfterAllCount = added;
    setHistoryReading(HistoryReading::ReadAfterAll);
    if (added > 0) {
        setEntries(merged);
        trimHistory();
        // Compared whole: the rows read are written with the run's own from now on.
        m_historyChangeAtLastWrite.reset();
        persistHistory();
    }
    m_clock->singleShot(kHistoryReadNoticeDuration, this, [this] {
        if (m_historyReading == HistoryReading::ReadAfterAll)
            setHistoryReading(HistoryReading::Whole);
    });
}

void ClipboardModel::setHistoryReading(HistoryReading value)
{
    if (m_historyReading == value)
        return;
    m_historyReading = value;
    Q_EMIT historyReadingChanged();
}

void ClipboardModel::writeHistoryToTakenFolder()
{
    if (!m_historyStore)
        return;
    if (!m_historyWriter) {
        // Held at last: the folder's own rows are read by the writer before it writes there.
        qCInfo(lcEngine) << "The history's folder is held now: the copies kept in memory are written";
        m_writesHistory = true;
        startHistoryWriter(HistoryDiffer());
    }
    // Compared whole: the writer takes the rows at the path as what was committed.
    m_historyChangeAtLastWrite.reset();
    persistHistory();
}

void ClipboardModel::onImagesLost(const QStringList &ids)
{
    const QSet<QString> lost(ids.cbegin(), ids.cend());
    bool changed = false;
    for (ClipboardEntry &entry : m_entries) {
        if (!lost.contains(entry.id) || entry.imageData || !entry.imageFilePath)
            continue;
        entry.imageFilePath.reset();
        changed = true;
    }
    if (changed)
        Q_EMIT entriesChanged();
}

void ClipboardModel::onHistoryWriteFailed(bool diskFull)
{
    // One alert per spell of failures: the views react to the change, not to each retry.
    if (!m_historyStorageIssue)
        setHistoryStorageIssue(diskFull ? historyDiskFullIssue : historyWriteFailedIssue);
}

bool ClipboardModel::flushHistory(std::chrono::milliseconds timeout)
{
    if (!m_historyWriter)
        return true;
    const bool flushed = m_historyWriter->flush(timeout);
    // What the writer reported on the way (files, failures) is taken in before returning.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    return flushed;
}

bool ClipboardModel::writeHistoryBeforeQuit(std::chrono::milliseconds timeout)
{
    if (!m_historyWriter)
        return true;
    const bool written = m_historyWriter->writeNow(timeout);
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    if (!written)
        qCWarning(lcEngine) << "Quitting while the history cannot be written: the copies not yet on disk are lost";
    return written;
}

QString ClipboardModel::historyFilePath() const
{
    return m_historyStore ? m_historyStore->filePath() : QString();
}

void ClipboardModel::noteSetAsideFile(const QString &path, bool anotherHistory)
{
    if (path.isEmpty() || m_setAsideFiles.contains(path))
        return;
    m_setAsideFiles.append(path);
    if (anotherHistory)
        m_setAsideHistories.append(path);
    Q_EMIT setAsideFilesChanged();
}

bool ClipboardModel::hasStoreFile(const ClipboardEntry &entry) const
{
    return entry.imageFilePath && m_clipboardImageStore.isManagedPath(*entry.imageFilePath)
        && QFileInfo(*entry.imageFilePath).isFile();
}

bool ClipboardModel::isGoneStoreFile(const QString &path) const
{
    // Only a file that is not there: one behind a folder that cannot be read now may come back.
    struct stat info { };
    return m_clipboardImageStore.isManagedPath(path) && ::stat(QFile::encodeName(path).constData(), &info) != 0
        && errno == ENOENT;
}

void ClipboardModel::loadSnippets()
{
    const std::optional<QByteArray> stored = m_settings->bytesValue(snippetsKey);
    if (!stored)
        return;
    const DecodedList<ClipboardSnippet> decoded = ClipboardSnippet::decodeList(*stored);
    if (!decoded.isComplete()) {
        qCWarning(lcEngine) << "Stored snippets could only be read in part:" << decoded.skippedCount << "skipped";
        backUpUnreadable(snippetsKey, *stored, decoded.items.isEmpty());
    }
    m_snippets = decoded.items;
}

void ClipboardModel::loadJars()
{
    const std::optional<QByteArray> stored = m_settings->bytesValue(jarsKey);
    if (!stored)
        return;
    const DecodedList<ClipboardJar> decoded = ClipboardJar::decodeList(*stored);
    if (!decoded.isComplete()) {
        qCWarning(lcEngine) << "Stored Jars could only be read in part:" << decoded.skippedCount << "skipped";
        backUpUnreadable(jarsKey, *stored, decoded.items.isEmpty());
    }
    m_jars = decoded.items;
}

void ClipboardModel::loadIdLists()
{
    m_pasteStackEntryIDs = m_settings->textListValue(pasteStackKey).value_or(QStringList());
    const QStringList consumed = m_settings->textListValue(consumedEntriesKey).value_or(QStringList());
    m_consumedEntryIDs = QSet<QString>(consumed.cbegin(), consumed.cend());
}

void ClipboardModel::installScreenshotMonitorCallbacks()
{
    if (!m_screenshotFolderMonitor)
        return;
    connect(m_screenshotFolderMonitor.get(), &ScreenshotFolderMonitor::screenshotAdded, this,
            &ClipboardModel::importScreenshot);
    connect(m_screenshotFolderMonitor.get(), &ScreenshotFolderMonitor::accessChanged, this, [this](bool accessible) {
        setScreenshotCaptureIssue(accessible ? std::nullopt : std::optional<QString>(screenshotFolderUnreadableIssue));
    });
}

bool ClipboardModel::backUpUnreadable(const QString &key, const QByteArray &bytes, bool nothingRead)
{
    // When nothing could be read, an empty list in memory says nothing about what the user
    // wants; once something was read, an empty list is the user's own removal and is written.
    if (nothingRead)
        m_unreadableKeys.insert(key);
    const QString folder = backupFolderOr(m_backupFolder);
    if (!PrivateFiles::makeFolder(folder)) {
        qCWarning(lcEngine) << "Could not create the folder for unreadable stored data";
        return false;
    }
    const QString stamp = now().toUTC().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString path = QStringLiteral("%1/%2%3%4.json").arg(folder, key, kBackupFileInfix, stamp);
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = QStringLiteral("%1/%2%3%4-%5.json").arg(folder, key, kBackupFileInfix, stamp).arg(n);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        qCWarning(lcEngine) << "Could not back up unreadable stored data:" << file.errorString();
        return false;
    }
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    file.write(bytes);
    if (!file.commit()) {
        qCWarning(lcEngine) << "Could not back up unreadable stored data:" << file.errorString();
        return false;
    }
    qCWarning(lcEngine) << "Unreadable stored data kept in" << path;
    noteSetAsideFile(path);
    return true;
}

QString ClipboardModel::defaultScreenshotFolder() const
{
    if (m_screenshotLocation)
        return m_screenshotLocation->screenshotFolder();
    return QDir::cleanPath(QDir::homePath() + QStringLiteral("/Desktop"));
}

// ---- writing ----

void ClipboardModel::persistHistory()
{
    // The list is shared, not copied. Comparing, encoding and committing the rows, and saving
    // the bytes of new images to the store, happen on the writer's thread; it reports the
    // files back (onImagesStored), and deletes the files that only removed rows named once
    // the removal is on disk.
    if (!m_historyWriter)
        return;
    // The rows put in and taken out since the list handed over last, when the history recorded
    // every change since then that way: the writer then looks at those rows only.
    HistoryDiffer::Edits edits;
    if (m_historyChangeAtLastWrite && m_unannouncedRowEdits.isEmpty() && m_sizeAtLastChange == m_entries.size())
        edits = historyRowEditsSince(*m_historyChangeAtLastWrite);
    m_historyChangeAtLastWrite = m_historyChangeCount;
    m_historyWriter->submit(m_entries, m_sweepsUnreferencedImages, std::move(edits));
}

void ClipboardModel::onImagesStored(const QHash<QString, QString> &pathsByID)
{
    // From now on the entries name their files and readers take the bytes from there.
    bool changed = false;
    for (ClipboardEntry &entry : m_entries) {
        const auto path = pathsByID.constFind(entry.id);
        if (path == pathsByID.constEnd() || !entry.imageData)
            continue;
        entry.imageFilePath = *path;
        entry.imageData.reset();
        changed = true;
    }
    if (changed)
        Q_EMIT entriesChanged();
}

bool ClipboardModel::mayWriteList(const QString &key, bool isEmpty)
{
    if (!m_unreadableKeys.contains(key))
        return true;
    if (isEmpty)
        return false;
    m_unreadableKeys.remove(key);
    return true;
}

bool ClipboardModel::persist(const QList<ClipboardEntry> &records, const QString &key)
{
    return mayWriteList(key, records.isEmpty()) && m_settings->setBytes(key, m_historyEncoder.encode(records));
}

bool ClipboardModel::persist(const QList<ClipboardJar> &records, const QString &key)
{
    return mayWriteList(key, records.isEmpty()) && m_settings->setBytes(key, ClipboardJar::encodeList(records));
}

bool ClipboardModel::persist(const QList<ClipboardSnippet> &records, const QString &key)
{
    return mayWriteList(key, records.isEmpty()) && m_settings->setBytes(key, ClipboardSnippet::encodeList(records));
}

void ClipboardModel::persistJars()
{
    persist(m_jars, jarsKey);
}

void ClipboardModel::persistSnippets()
{
    persist(m_snippets, snippetsKey);
}

void ClipboardModel::persistPasteStack()
{
    m_settings->setTextList(pasteStackKey, m_pasteStackEntryIDs);
}

void ClipboardModel::persistConsumedEntries()
{
    m_settings->setTextList(consumedEntriesKey, QStringList(m_consumedEntryIDs.cbegin(), m_consumedEntryIDs.cend()));
}

std::optional<QByteArray> ClipboardModel::imageData(const ClipboardEntry &entry) const
{
    return imageBytes().read(entry);
}
