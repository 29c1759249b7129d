#include "platform/linux/LinuxFolderWatcher.h"

#include "core/Logging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

// What changes the folder's entries: a file created, written, renamed, deleted or its attributes
// changed.
constexpr uint32_t kFolderEvents = IN_ATTRIB | IN_MOVE | IN_CREATE | IN_DELETE;
// What takes the folder away from its path.
constexpr uint32_t kSelfEvents = IN_MOVE_SELF | IN_DELETE_SELF;
// Reported with every watch whose inode is gone or unmounted, or that was removed.
constexpr uint32_t kGoneEvents = kSelfEvents | IN_UNMOUNT | IN_IGNORED;

} // namespace

LinuxFolderWatcher::LinuxFolderWatcher(QObject *parent) : FolderWatcher(parent)
{
    openEvents();
}

bool LinuxFolderWatcher::openEvents()
{
    if (m_fd >= 0)
        return true;
    m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fd < 0) {
        // Asked again at every watch, which the listener's poll repeats: said once.
        if (!m_unavailableReported)
            qCWarning(lcPlatform) << "folder events are unavailable:" << std::strerror(errno);
        m_unavailableReported = true;
        return false;
    }
    if (m_unavailableReported)
        qCInfo(lcPlatform) << "folder events are available again";
    m_unavailableReported = false;
    m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &LinuxFolderWatcher::readEvents);
    return true;
}

LinuxFolderWatcher::~LinuxFolderWatcher()
{
    m_notifier.reset();
    if (m_fd >= 0)
        ::close(m_fd);
}

bool LinuxFolderWatcher::watch(const QString &folder)
{
    unwatch();
    // The user's inotify instances may have been used up by other programs when this watcher
    // was made, and freed since.
    if (folder.isEmpty() || !openEvents())
        return false;
    const QString path = QDir::cleanPath(folder);
    m_folderWatch = ::inotify_add_watch(m_fd, QFile::encodeName(path).constData(), kFolderEvents | kSelfEvents | IN_ONLYDIR);
    if (m_folderWatch < 0)
        return false;
    // Only the folders' own moves are asked for: what happens inside them wakes nobody. A folder
    // above that cannot be watched (no permission) leaves the rest of the path watched.
    for (QString above = QFileInfo(path).path(); above != QLatin1String("/") && above != QLatin1String(".");
         above = QFileInfo(above).path()) {
        const int wd = ::inotify_add_watch(m_fd, QFile::encodeName(above).constData(), kSelfEvents | IN_ONLYDIR | IN_MASK_ADD);
        if (wd >= 0 && wd != m_folderWatch)
            m_pathWatches.append(wd);
    }
    return true;
}

void LinuxFolderWatcher::unwatch()
{
    // Events still queued for these watches arrive with numbers no later watch reuses soon, and
    // are dropped.
    if (m_folderWatch >= 0)
        ::inotify_rm_watch(m_fd, m_folderWatch);
    for (const int wd : std::as_const(m_pathWatches))
        ::inotify_rm_watch(m_fd, wd);
    m_folderWatch = -1;
    m_pathWatches.clear();
}

void LinuxFolderWatcher::readEvents()
{
    bool changed = false;
    bool lost = false;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t length = ::read(m_fd, buffer, sizeof buffer);
        if (length <= 0)
            break; // EAGAIN: all read
        for (ssize_t offset = 0; offset < length;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + offset);
            offset += ssize_t(sizeof(inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW) {
                changed = true; // events were dropped: the folder may have changed
            } else if (m_folderWatch >= 0 && event->wd == m_folderWatch) {
                if (event->mask & kGoneEvents)
                    lost = true;
                else
                    changed = true;
            } else if (m_pathWatches.contains(event->wd) && (event->mask & kGoneEvents)) {
                lost = true;
            }
        }
    }
    if (lost) {
        unwatch();
        Q_EMIT watchLost();
    } else if (changed) {
        Q_EMIT folderChanged();
    }
}
