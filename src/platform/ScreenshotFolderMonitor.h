#pragma once

#include "platform/FolderWatcher.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

// Watches the user's screenshot folder and reports each new screenshot file in it once, as soon
// as it has content. Folder events trigger a debounced scan. A slow poll runs only where events
// cannot tell: while the folder is unreadable or unwatched (also once the watched folder has left
// its path, until the folder now at the path is watched), and while a screenshot file is still
// empty (writing into a file raises no folder event). A watched folder at rest costs no wake-up.
// Also reports when the folder stops or starts being readable. Main thread only.
class ScreenshotFolderMonitor : public QObject
{
    Q_OBJECT
public:
    // A burst of folder events gives one scan this long after the last event.
    static constexpr std::chrono::milliseconds kScanDebounce{550};
    static constexpr std::chrono::milliseconds kPollInterval{3000};

    // Runs work once after the delay on the main thread, unless context is gone by then.
    using Scheduler = std::function<void(std::chrono::milliseconds delay, QObject *context, std::function<void()> work)>;

    struct Timings {
        std::chrono::milliseconds scanDebounce = kScanDebounce;
        std::chrono::milliseconds pollInterval = kPollInterval;
        // The debounce's clock: Qt's timers when empty, time a test moves otherwise.
        Scheduler schedule;
    };

    explicit ScreenshotFolderMonitor(std::unique_ptr<FolderWatcher> watcher, QObject *parent = nullptr);
    ScreenshotFolderMonitor(std::unique_ptr<FolderWatcher> watcher, Timings timings, QObject *parent = nullptr);
    ~ScreenshotFolderMonitor() override;

    // Begins watching `folder` (an absolute path); the files already there are never reported.
    // False (and stopped) when the path is not absolute or the folder cannot be listed. A folder
    // that can be listed but not watched is polled until it can be.
    bool start(const QString &folder);
    // Ends watching and forgets the folder and its known files. Reports nothing.
    void stop();

    std::optional<QString> folder() const { return m_folder; }
    bool isFolderAccessible() const { return m_isFolderAccessible; }
    // Whether the slow poll is running (for tests of when the monitor wakes).
    bool isPolling() const { return m_pollTimer.isActive(); }

Q_SIGNALS:
    // The absolute path of a new screenshot file.
    void screenshotAdded(const QString &filePath);
    // false when the folder became unreadable, true when it is back.
    void accessChanged(bool accessible);

private:
    struct ListedFile {
        QString path;
        qint64 size;
    };

    void scheduleScan();
    void onWatchLost();
    void scanForNewScreenshots();
    void pollOnlyWhileEventsCannotTell();
    // The screenshot files directly in `folder`, in listing order; nothing when it cannot be listed.
    static std::optional<QList<ListedFile>> screenshotFiles(const QString &folder);

    std::unique_ptr<FolderWatcher> m_watcher;
    Timings m_timings;
    QTimer m_pollTimer;
    std::optional<QString> m_folder;
    QSet<QString> m_knownPaths;
    bool m_isFolderAccessible = true;
    bool m_isWatched = false;
    // A screenshot file was seen without content: its content will come without an event.
    bool m_awaitsContent = false;
    // Raised by every start and stop, so that a callback that restarts or stops the monitor
    // ends the scan that called it.
    quint64 m_session = 0;
    // Raised by every folder event and by every start and stop: only the scan scheduled by the
    // latest event runs, so a burst of events gives one scan one debounce after its last event.
    quint64 m_scanRequest = 0;
};
