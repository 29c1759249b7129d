#pragma once

#include "core/ClipboardEntry.h"
#include "core/ClipboardImageStore.h"
#include "engine/HistoryRows.h"
#include "platform/HistoryStore.h"
#include "platform/InstanceLock.h"

#include <QHash>
#include <QList>
#include <QObject>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

// Writes the history on a thread of its own, with its own connection to the store, so that a
// copy never waits for the disk. The main thread hands over the whole list; Qt's shared lists
// make that a pointer copy. A list handed over while the previous one is being written replaces
// any list still waiting, so a burst of copies costs one transaction per disk round, and the
// newest state is never more than one transaction away from disk.
//
// Image bytes that entries still hold in memory are saved to the image store here too, before
// the rows that name their files; imagesStored tells the main thread which files hold them.
//
// A write that fails (a full disk, another program holding the database) keeps the list and
// tries it again after a rest that doubles with each failure, from kRetryInterval up to
// kMaxRetryInterval; sooner when the free space changes, also while a newer list waits.
// An image whose file cannot be written whole for lack of room fails the write like a row, so
// no row ever names a file that does not hold its image.
//
// The history lives at its path: before each write the folder there is looked at, and so are the
// files in it (the database, its log and their index), by their identity on disk. While this
// run does not hold it, nothing is written (no row, no image file) and the write fails like any
// other. Once the folder at the path is a new one (the old one deleted, renamed away or replaced),
// the whole list is written there, rows and image files, the files taken from the folder held
// before where they are not at the path. A file that was deleted, moved away, replaced or cut
// short under the run gets the whole list written at the path as well: the copies never go into
// a file that is gone, nor into another history.
class HistoryWriter : public QObject
{
    Q_OBJECT
public:
    static constexpr std::chrono::seconds kRetryInterval{1};
    static constexpr std::chrono::seconds kMaxRetryInterval{30};
    // During a rest, how often the free space is looked at: a change ends the rest.
    static constexpr std::chrono::milliseconds kFreeSpaceCheckInterval{200};
    // Quitting waits this long at most for the last write; the session does not wait longer.
    static constexpr std::chrono::seconds kQuitFlushLimit{20};

    HistoryWriter(std::unique_ptr<HistoryStore> connection, HistoryDiffer committed, ClipboardImageStore images,
                  std::chrono::milliseconds retryInterval = kRetryInterval, QObject *parent = nullptr);
    // Writes what is still waiting (one last try, also of a write that failed), then stops.
    ~HistoryWriter() override;

    // Main thread, before the first submit: the look at the history's folder made before each
    // write. Without one, the folder is taken to be held for good.
    void setFolderCheck(std::function<HistoryFolderCheck()> check);

    // Main thread. sweepsImages: store files that committed rows named and the new list no
    // longer names are deleted once the list is committed. edits: the rows put in and taken out
    // since the list handed over before, when that is all that changed; then only those rows
    // are looked at.
    void submit(const QList<ClipboardEntry> &entries, bool sweepsImages, HistoryDiffer::Edits edits = std::nullopt);
    // Until every list handed over was committed or its write failed; false on timeout.
    bool flush(std::chrono::milliseconds timeout);
    // Before quitting: like flush, but a write that failed is tried again at once, its rest cut
    // short. False while a list is still not committed; the end then makes no other try of it.
    bool writeNow(std::chrono::milliseconds timeout);
    // Main thread: something changed where the history's files are. Once the writer is free they
    // are looked at, and written anew from the list committed last where they are no longer the
    // ones held (see HistoryStore::checkFiles). A write waiting or under way looks at them anyway.
    void lookAtFiles();
    // Transactions committed and writes failed so far (any thread).
    int commitCount() const;
    // The rest before the given try after a spell of failures began (the first retry is 1):
    // doubling from the first rest, never longer than kMaxRetryInterval.
    static std::chrono::milliseconds retryDelay(std::chrono::milliseconds first, int retry);
    int failureCount() const;

Q_SIGNALS:
    // From the writer thread; receivers on the main thread get them queued.
    void writeFailed(bool diskFull, const QString &error);
    void writeSucceeded();
    // Entries (by id) whose bytes are now in these store files, committed on disk.
    void imagesStored(const QHash<QString, QString> &pathsByID);
    // Entries (by id) whose image file was in neither the folder at the path nor the one held
    // before: their rows were written without it.
    void imagesLost(const QStringList &ids);
    // Files found at the history's path that were not the history held, set aside whole there;
    // histories names those among them that hold another history that can be read.
    void filesSetAside(const QStringList &paths, const QStringList &histories);

private:
    struct Snapshot {
        QList<ClipboardEntry> entries;
        bool sweepsImages = false;
        quint64 serial = 0;
        // Earlier lists that this one replaced before they were written.
        QList<QList<ClipboardEntry>> skipped;
        // The edits that lead to each of the skipped lists and then to this one, starting from
        // the list committed last.
        QList<HistoryDiffer::Edits> edits;
    };
    void run();
    bool write(const Snapshot &snapshot);
    // Writer thread: false, with the failure announced, when the folder at the path may not be
    // written now. A folder taken anew has its rows read in as the committed state.
    bool prepareFolder();
    // Under m_mutex: the list committed last handed over again, when nothing else waits; its
    // write looks at the files first and costs nothing more while they are held.
    void resubmitCommitted();
    // The bytes of an image file of the folder held before, by the file's name.
    std::optional<QByteArray> previousImage(const QString &path) const;

    std::unique_ptr<HistoryStore> m_connection;
    HistoryDiffer m_committed;
    ClipboardImageStore m_images;
    std::chrono::milliseconds m_retryInterval;
    // Writer thread only: the bytes each entry had saved last, and where, so that a list that
    // still carries them (the main thread has not heard back yet) does not save them again.
    struct SavedImage {
        QByteArray bytes;
        QString path;
    };
    QHash<QString, SavedImage> m_savedImages;
    // Writer thread only: a write failed after saving images, which only a sweep of the whole
    // store finds again.
    bool m_sweepOwed = false;
    // Writer thread only, after setFolderCheck: the folder's generation written last, and
    // whether the folder at the path still waits for the whole history.
    std::function<HistoryFolderCheck()> m_folderCheck;
    quint64 m_folderGeneration = 0;
    bool m_writesWhole = false;
    QString m_previousFolder;
    // Image files that were in neither folder when the folder at the path was taken anew.
    QSet<QString> m_lostImages;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<Snapshot> m_pending;
    // The list whose write failed last, tried again when the disk changes.
    std::optional<Snapshot> m_failed;
    std::optional<qint64> m_bytesAtFailure;
    std::chrono::steady_clock::time_point m_retryAt;
    // Failed writes since the last commit; sets the length of the next rest.
    int m_failedInARow = 0;
    bool m_busy = false;
    // A quit is waiting for the last write: a write that fails meanwhile gets no rest before
    // its next try.
    bool m_hurried = false;
    // The list committed last, which files found no longer held get written whole.
    std::optional<QList<ClipboardEntry>> m_lastCommitted;
    // The files were to be looked at while a write was under way.
    bool m_lookOwed = false;
    bool m_stopping = false;
    // A write was tried after quitting began: the last try is spent.
    bool m_triedWhileStopping = false;
    // The end's extra try, made when room came back after the quit's own.
    bool m_triedForRoomAtEnd = false;
    quint64 m_submitted = 0;
    quint64 m_settled = 0;
    int m_commits = 0;
    int m_failures = 0;
    std::thread m_thread;
};
