#include "platform/linux/PseudoTerminalHolder.h"

#include <QByteArray>
#include <QFile>

#include <dirent.h>
#include <unistd.h>

namespace {

// The multiplexer every pseudo-terminal master is opened from; devpts mounts show it too.
bool isMultiplexer(const QByteArray &target)
{
    return target == "/dev/ptmx" || target == "/dev/pts/ptmx";
}

} // namespace

bool PseudoTerminalHolder::holdsMaster(qint64 pid)
{
    return holdsMaster(pid, QStringLiteral("/proc"));
}

bool PseudoTerminalHolder::holdsMaster(qint64 pid, const QString &procRoot)
{
    if (pid <= 0)
        return false;
    const QByteArray folder = QFile::encodeName(procRoot) + '/' + QByteArray::number(pid) + "/fd";
    DIR *descriptors = ::opendir(folder.constData());
    if (!descriptors)
        return false;
    bool found = false;
    char target[64];
    while (!found) {
        const dirent *entry = ::readdir(descriptors);
        if (!entry)
            break;
        if (entry->d_name[0] == '.')
            continue;
        const QByteArray link = folder + '/' + entry->d_name;
        const ssize_t length = ::readlink(link.constData(), target, sizeof(target));
        // Longer targets are other files: the multiplexer's name is short.
        if (length > 0 && length < ssize_t(sizeof(target)))
            found = isMultiplexer(QByteArray(target, int(length)));
    }
    ::closedir(descriptors);
    return found;
}
