#include "engine/HistoryWriter.h"

#include "core/Logging.h"

#include <QFile>
#include <QFileInfo>

#include <utility>

HistoryWriter::HistoryWriter(std::unique_ptr<HistoryStore> connection, HistoryDiffer committed,
                             ClipboardImageStore images, std::chrono::milliseconds retryInterval, QObject *parent)
    : QObject(parent),
      m_connection(std::move(connection)),
      m_committed(std::move(committed)),
      m_images(std::move(images)),
      m_retryInterval(retryInterval)
{
    m_thread = std::thread([this] { run(); });
}

HistoryWriter::~HistoryWriter()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void HistoryWriter::setFolderCheck(std::function<HistoryFolderCheck()> check)
{
    std::lock_guard lock(m_mutex);
    m_folderCheck = std::move(check);
}

void HistoryWriter::submit(const QList<ClipboardEntry> &entries, bool sweepsImages, HistoryDiffer::Edits edits)
{
    {
        std::lock_guard lock(m_mutex);
        Snapshot next{entries, sweepsImages, ++m_submitted, {}, {}};
        // The list it replaces (waiting, or failed and waiting for a retry) may have named
        // image files that this one no longer does, and its edits lead up to this one's.
        std::optional<Snapshot> &replaced = m_pending ? m_pending : m_failed;
        if (replaced) {
            next.skipped = replaced->skipped;
            next.skipped.append(replaced->entries);
            next.edits = replaced->edits;
        }
        next.edits.append(std::move(edits));
        m_pending = std::move(next);
    }
    m_wake.notify_all();
}

bool HistoryWriter::flush(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    const quint64 target = m_submitted;
    return m_wake.wait_for(lock, timeout, [&] { return m_settled >= target; });
}

bool HistoryWriter::writeNow(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    m_retryAt = std::chrono::steady_clock::now();
    // A write still under way may yet fail: the next try then follows at once too.
    m_hurried = true;
    if (!m_pending && m_failed) {
        m_pending = m_failed;
        m_pending->serial = ++m_submitted;
    }
    // A file deleted or replaced since the last write would end the run with its copies.
    resubmitCommitted();
    const quint64 target = m_submitted;
    m_wake.notify_all();
    const bool settled = m_wake.wait_for(lock, timeout, [&] { return m_settled >= target; });
    m_hurried = false;
    const bool written = settled && !m_failed && !m_pending;
    // This was the quit's last try: the end does not wait for the same write once more.
    if (!written)
        m_triedWhileStopping = true;
    return written;
}

void HistoryWriter::lookAtFiles()
{
    {
        std::lock_guard lock(m_mutex);
        resubmitCommitted();
    }
    m_wake.notify_all();
}

void HistoryWriter::resubmitCommitted()
{
    // A write under way may have looked before the change: the list it commits is handed over
    // again once it is done. Never an older one, which would stand for the newest state.
    if (m_busy) {
        m_lookOwed = true;
        return;
    }
    if (m_pending || m_failed || !m_lastCommitted)
        return;
    // One step with no edits: the plan is empty unless the files are renewed, and then whole.
    m_pending = Snapshot{*m_lastCommitted, false, ++m_submitted, {}, {HistoryDiffer::Edits(QList<HistoryRowEdit>{})}};
}

std::chrono::milliseconds HistoryWriter::retryDelay(std::chrono::milliseconds first, int retry)
{
    const std::chrono::milliseconds limit = kMaxRetryInterval;
    std::chrono::milliseconds delay = std::min(first, limit);
    for (int i = 1; i < retry && delay < limit; ++i)
        delay = std::min(delay * 2, limit);
    return delay;
}

int HistoryWriter::commitCount() const
{
    std::lock_guard lock(m_mutex);
    return m_commits;
}

int HistoryWriter::failureCount() const
{
    std::lock_guard lock(m_mutex);
    return m_failures;
}

void HistoryWriter::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (m_pending || m_failed) {
            if (!m_pending && m_stopping) {
                // One last try of what failed; whatever happens then, the writer stops. A try
                // made already is made once more only when room came back since: the quit that
                // waited for it ends before the rest between tries would.
                if (m_triedWhileStopping) {
                    if (std::exchange(m_triedForRoomAtEnd, true))
                        return;
                    lock.unlock();
                    const std::optional<qint64> available = m_connection->availableBytes();
                    lock.lock();
                    if (!m_failed || available == m_bytesAtFailure)
                        return;
                    qCInfo(lcEngine) << "Room for the history came back as the program ends: one more try";
                }
                m_pending = m_failed;
                continue;
            }
            // After a failure the disk gets a rest, except when the program is quitting. The
            // rest ends as soon as the free space changes: room that came back is used at once,
            // also when a newer list waits (a quit's last copies among them).
            const auto now = std::chrono::steady_clock::now();
            if (m_failed && !m_stopping && now < m_retryAt) {
                m_wake.wait_until(lock, std::min(m_retryAt, now + kFreeSpaceCheckInterval));
                if (m_stopping || std::chrono::steady_clock::now() >= m_retryAt || !m_failed)
                    continue;
                lock.unlock();
                const std::optional<qint64> available = m_connection->availableBytes();
                lock.lock();
                if (m_failed && available != m_bytesAtFailure)
                    m_retryAt = std::chrono::steady_clock::now();
                continue;
            }
            if (!m_pending)
                m_pending = m_failed;
        } else if (m_stopping) {
            return;
        } else {
            m_wake.wait(lock);
            continue;
        }
        const Snapshot snapshot = std::move(*m_pending);
        m_pending.reset();
        m_busy = true;
        lock.unlock();
        // The room there was when the try began: room that comes back while a failing try is
        // still under way counts as a change, and ends the rest that follows it.
        const std::optional<qint64> available = m_connection->availableBytes();
        const bool ok = write(snapshot);
        lock.lock();
        m_busy = false;
        m_settled = std::max(m_settled, snapshot.serial);
        if (m_stopping)
            m_triedWhileStopping = true;
        if (ok) {
            ++m_commits;
            m_lastCommitted = snapshot.entries;
            m_failed.reset();
            m_failedInARow = 0;
            if (std::exchange(m_lookOwed, false))
                resubmitCommitted();
        } else {
            ++m_failures;
            ++m_failedInARow;
            // The retry looks at the files before it writes.
            m_lookOwed = false;
            // A list handed over while this one was being written follows it, not the list
            // committed last: it takes this one in as a skipped state.
            if (m_pending) {
                QList<QList<ClipboardEntry>> skipped = snapshot.skipped;
                skipped.append(snapshot.entries);
                skipped.append(m_pending->skipped);
                m_pending->skipped = std::move(skipped);
                QList<HistoryDiffer::Edits> edits = snapshot.edits;
                edits.append(m_pending->edits);
                m_pending->edits = std::move(edits);
            }
            m_failed = snapshot;
            m_bytesAtFailure = available;
            m_retryAt = std::chrono::steady_clock::now()
                + (std::exchange(m_hurried, false) ? std::chrono::milliseconds(0)
                                                   : retryDelay(m_retryInterval, m_failedInARow));
        }
        m_wake.notify_all();
    }
}

bool HistoryWriter::prepareFolder()
{
    if (m_folderCheck) {
        const HistoryFolderCheck folder = m_folderCheck();
        if (!folder.held) {
            const QString error = QStringLiteral("the history's folder is not held by this run");
            qCWarning(lcEngine).noquote() << "History could not be written:" << error;
            Q_EMIT writeFailed(false, error);
            return false;
        }
        if (folder.generation != m_folderGeneration) {
            m_folderGeneration = folder.generation;
            m_writesWhole = true;
            m_previousFolder = folder.previousFolder;
        }
    }
    // In the folder held, each file is looked at too; a folder taken anew is taken as it is.
    if (!m_writesWhole) {
        const HistoryFilesCheck files = m_connection->checkFiles();
        if (files.renewed) {
            m_writesWhole = true;
            if (!files.setAside.isEmpty())
                Q_EMIT filesSetAside(files.setAside, files.histories);
        }
    }
    if (!m_writesWhole)
        return true;
    // The file at the path is another one now: what it holds is the committed state.
    m_connection->reopen();
    const StoredHistory stored = m_connection->read();
    if (!stored.complete && stored.setAsidePath.isEmpty()) {
        qCWarning(lcEngine).noquote() << "History could not be written:" << stored.problem;
        Q_EMIT writeFailed(false, stored.problem);
        return false;
    }
    // Rows this run never read stay on disk whatever the list in memory holds: the start may not
    // have read the file (another program held it), or this is another history found at the path.
    QList<std::optional<ClipboardEntry>> decoded;
    if (stored.complete) {
        decoded.reserve(stored.rows.size());
        for (const StoredHistoryRow &row : stored.rows)
            decoded.append(HistoryRows::decodeRow(row));
    }
    m_committed.adoptFound(stored.complete ? stored.rows : QList<StoredHistoryRow>{}, decoded);
    // Every image is saved again into the folder at the path.
    m_savedImages.clear();
    m_sweepOwed = true;
    return true;
}

std::optional<QByteArray> HistoryWriter::previousImage(const QString &path) const
{
    if (m_previousFolder.isEmpty())
        return std::nullopt;
    QFile file(m_previousFolder + u'/' + QFileInfo(m_images.directoryPath()).fileName() + u'/'
               + QFileInfo(path).fileName());
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (bytes.isEmpty())
        return std::nullopt;
    return bytes;
}

bool HistoryWriter::write(const Snapshot &snapshot)
{
    if (!prepareFolder())
        return false;
    // Rows name image files, never hold the bytes, as long as the store takes them.
    QList<ClipboardEntry> entries = snapshot.entries;
    QHash<QString, QString> stored;
    QHash<QString, SavedImage> saved;
    QSet<QString> savedNow;
    QStringList lost;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (m_writesWhole && !entries.at(i).imageData && entries.at(i).imageFilePath
            && !QFileInfo::exists(*entries.at(i).imageFilePath)) {
            // A folder taken anew: the image comes from the folder held before, or the row goes
            // without it, never naming a file that is not there.
            ClipboardEntry &entry = entries[i];
            const std::optional<QByteArray> bytes = previousImage(*entry.imageFilePath);
            const ClipboardImageStore::SaveResult result =
                bytes ? m_images.save(*bytes, *entry.imageFilePath) : ClipboardImageStore::SaveResult{};
            if (bytes && result.ok() && result.path == *entry.imageFilePath) {
                savedNow.insert(entry.id);
                continue;
            }
            if (result.noSpace) {
                m_sweepOwed = true;
                Q_EMIT writeFailed(true, result.error);
                return false;
            }
            qCWarning(lcEngine) << "An image of the history was in neither the history's folder nor the one held before;"
                                << "its entry is kept without it";
            if (bytes && result.ok())
                m_images.removeImages({result.path});
            m_lostImages.insert(*entry.imageFilePath);
            entry.imageFilePath.reset();
            lost.append(entry.id);
            continue;
        }
        // A list handed over before the main thread heard of a lost file still names it.
        if (!entries.at(i).imageData && entries.at(i).imageFilePath && m_lostImages.contains(*entries.at(i).imageFilePath)) {
            entries[i].imageFilePath.reset();
            continue;
        }
        if (!entries.at(i).imageData)
            continue;
        ClipboardEntry &entry = entries[i];
        const QByteArray &bytes = *entry.imageData;
        const auto known = m_savedImages.constFind(entry.id);
        QString path;
        // A file deleted since it was saved (or its folder with it) is saved again from the bytes.
        if (known != m_savedImages.constEnd() && known->bytes.size() == bytes.size()
            && (known->bytes.constData() == bytes.constData() || known->bytes == bytes) && QFileInfo::exists(known->path)) {
            path = known->path;
        } else {
            const ClipboardImageStore::SaveResult result = m_images.save(bytes, entry.imageFilePath.value_or(QString()));
            if (!result.ok()) {
                qCWarning(lcEngine).noquote() << QStringLiteral("Tarnel could not save a clipboard image: %1").arg(result.error);
                if (result.noSpace) {
                    // The disk is full: the rows would not fit either. The whole list stays in
                    // memory and is tried again like any failed write.
                    m_savedImages.insert(saved);
                    m_sweepOwed = true;
                    Q_EMIT writeFailed(true, result.error);
                    return false;
                }
                // Kept inline, with the path it had, until a later write can save it.
                continue;
            }
            path = result.path;
            savedNow.insert(entry.id);
        }
        saved.insert(entry.id, SavedImage{bytes, path});
        stored.insert(entry.id, path);
        entry.imageFilePath = path;
        entry.imageData.reset();
    }
    // Only entries that still carry their bytes need them remembered.
    m_savedImages = std::move(saved);

    // Rows written whole are compared whole: the edits led from rows that are not at the path.
    HistoryDiffer::Planned planned =
        m_committed.plan(entries, snapshot.skipped, m_writesWhole ? QList<HistoryDiffer::Edits>{} : snapshot.edits, savedNow);
    const HistoryWriteResult result = m_connection->apply(planned.change);
    if (!result.ok) {
        qCWarning(lcEngine).noquote() << "History could not be written:" << result.error;
        m_sweepOwed = true;
        Q_EMIT writeFailed(result.diskFull, result.error);
        return false;
    }
    m_committed.commit();
    if (std::exchange(m_writesWhole, false)) {
        m_previousFolder.clear();
        if (!lost.isEmpty())
            Q_EMIT imagesLost(lost);
    }
    // Only after the commit: until then the rows that name these files are still on disk. The
    // sweep takes every store file no committed row names, so files left by a run that ended
    // between saving an image and committing its row go as well.
    //
    // A change written row by row deletes only the files of the rows it took out, so a copy on
    // top of a long history never lists the store; files a failed write saved for nothing wait
    // for the next whole sweep, which follows the next commit.
    if (snapshot.sweepsImages) {
        if (m_committed.lastPlanWasIncremental() && !m_sweepOwed) {
            m_images.removeImages(planned.releasedImages);
        } else {
            // Rows that could not be read stay on disk and may name files: kept by name.
            QSet<QString> named = m_committed.heldImages();
            for (const ClipboardEntry &entry : std::as_const(entries)) {
                if (entry.imageFilePath)
                    named.insert(*entry.imageFilePath);
            }
            m_images.removeUnreferencedImages(named);
            m_sweepOwed = false;
        }
    }
    if (!stored.isEmpty())
        Q_EMIT imagesStored(stored);
    Q_EMIT writeSucceeded();
    return true;
}
