#include "platform/ScreenshotFolderMonitor.h"

#include "core/Logging.h"
#include "core/ScreenshotNames.h"

#include <QDir>
#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

ScreenshotFolderMonitor::ScreenshotFolderMonitor(std::unique_ptr<FolderWatcher> watcher, QObject *parent)
    : ScreenshotFolderMonitor(std::move(watcher), Timings{}, parent)
{
}

ScreenshotFolderMonitor::ScreenshotFolderMonitor(std::unique_ptr<FolderWatcher> watcher, Timings timings, QObject *parent)
    : QObject(parent), m_watcher(std::move(watcher)), m_timings(timings)
{
    Q_ASSERT(m_watcher);
    if (!m_timings.schedule) {
        m_timings.schedule = [](std::chrono::milliseconds delay, QObject *context, std::function<void()> work) {
            QTimer::singleShot(delay, context, std::move(work));
        };
    }
    m_pollTimer.setInterval(m_timings.pollInterval);
    connect(&m_pollTimer, &QTimer::timeout, this, &ScreenshotFolderMonitor::scanForNewScreenshots);
    connect(m_watcher.get(), &FolderWatcher::folderChanged, this, &ScreenshotFolderMonitor::scheduleScan);
    connect(m_watcher.get(), &FolderWatcher::watchLost, this, &ScreenshotFolderMonitor::onWatchLost);
}

ScreenshotFolderMonitor::~ScreenshotFolderMonitor() = default;

bool ScreenshotFolderMonitor::start(const QString &folder)
{
    stop();
    // A relative path (or none) would name whatever folder the program happens to run in.
    if (folder.isEmpty() || !QDir::isAbsolutePath(folder))
        return false;
    const QString path = QDir::cleanPath(folder);
    // Watched before it is listed, so that a file saved in between is heard of. A folder the
    // system gives no events for (other programs have used up the user's inotify instances) is
    // polled instead, and watched at the first poll that can.
    const bool watched = m_watcher->watch(path);
    const std::optional<QList<ListedFile>> present = screenshotFiles(path);
    if (!present) {
        m_watcher->unwatch();
        return false;
    }
    m_folder = path;
    m_isWatched = watched;
    for (const ListedFile &file : *present)
        m_knownPaths.insert(file.path);
    m_isFolderAccessible = true;
    if (!watched)
        qCWarning(lcPlatform) << "the screenshot folder is polled: its events are unavailable";
    pollOnlyWhileEventsCannotTell();
    return true;
}

void ScreenshotFolderMonitor::stop()
{
    ++m_session;
    ++m_scanRequest;
    m_pollTimer.stop();
    m_watcher->unwatch();
    m_folder.reset();
    m_knownPaths.clear();
    m_isFolderAccessible = true;
    m_isWatched = false;
    m_awaitsContent = false;
}

void ScreenshotFolderMonitor::scheduleScan()
{
    if (!m_folder)
        return;
    const quint64 request = ++m_scanRequest;
    m_timings.schedule(m_timings.scanDebounce, this, [this, request] {
        if (request == m_scanRequest)
            scanForNewScreenshots();
    });
}

void ScreenshotFolderMonitor::onWatchLost()
{
    if (!m_folder)
        return;
    // The path may already lead to a folder made again under it, which only a new watch hears;
    // until one is set up, the poll looks.
    m_isWatched = false;
    pollOnlyWhileEventsCannotTell();
    scheduleScan();
}

void ScreenshotFolderMonitor::scanForNewScreenshots()
{
    if (!m_folder)
        return;
    const quint64 session = m_session;
    // A folder made again under the path is watched before it is listed, so that a file saved
    // in between is heard of.
    if (!m_isWatched)
        m_isWatched = m_watcher->watch(*m_folder);
    const std::optional<QList<ListedFile>> files = screenshotFiles(*m_folder);
    if (!files) {
        // A removed folder raises no more events, and one put back is a new folder to them.
        if (m_isWatched)
            m_watcher->unwatch();
        m_isWatched = false;
        pollOnlyWhileEventsCannotTell();
        if (m_isFolderAccessible) {
            m_isFolderAccessible = false;
            Q_EMIT accessChanged(false);
        }
        return;
    }
    m_awaitsContent = false;
    for (const ListedFile &file : *files) {
        if (!m_knownPaths.contains(file.path) && file.size < 1)
            m_awaitsContent = true;
    }
    pollOnlyWhileEventsCannotTell();
    if (!m_isFolderAccessible) {
        m_isFolderAccessible = true;
        Q_EMIT accessChanged(true);
        if (session != m_session)
            return;
    }
    for (const ListedFile &file : *files) {
        if (m_knownPaths.contains(file.path))
            continue;
        // An empty file is still being written; it is not remembered, so a later scan sees it again.
        if (file.size < 1)
            continue;
        m_knownPaths.insert(file.path);
        Q_EMIT screenshotAdded(file.path);
        if (session != m_session)
            return;
    }
}

void ScreenshotFolderMonitor::pollOnlyWhileEventsCannotTell()
{
    const bool needed = !m_isWatched || m_awaitsContent;
    if (!needed)
        m_pollTimer.stop();
    else if (!m_pollTimer.isActive())
        m_pollTimer.start();
}

std::optional<QList<ScreenshotFolderMonitor::ListedFile>> ScreenshotFolderMonitor::screenshotFiles(const QString &folder)
{
    // Listed with the system calls themselves: QDir cannot tell an empty folder from one that
    // cannot be read, and that difference is the access report.
    const QByteArray encoded = QFile::encodeName(folder);
    DIR *dir = ::opendir(encoded.constData());
    if (!dir)
        return std::nullopt;
    QList<ListedFile> files;
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    const int dirFd = ::dirfd(dir);
    while (const dirent *entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue; // hidden files, "." and ".."
        const QString name = QFile::decodeName(entry->d_name);
        // A name that is not valid in the file-name encoding would come back as a different
        // path that nobody can open; such a file is skipped like any unreadable one.
        if (QFile::encodeName(name) != QByteArrayView(entry->d_name))
            continue;
        if (!ScreenshotNames::isScreenshotFileName(name))
            continue;
        struct stat info {};
        if (::fstatat(dirFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (!S_ISREG(info.st_mode))
            continue;
        files.append({prefix + name, static_cast<qint64>(info.st_size)});
    }
    ::closedir(dir);
    return files;
}
