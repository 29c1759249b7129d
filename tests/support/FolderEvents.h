#pragma once

// Folder events need an inotify instance of the process's own, and the system hands out only
// fs.inotify.max_user_instances of them per user: on a busy desktop or build machine other
// programs may hold every one. A test that needs the events checks at its start and skips with
// this reason; the poll that stands in for them is tested on purpose elsewhere.

#include <sys/inotify.h>
#include <unistd.h>

namespace folderevents {

inline bool systemGivesFolderEvents()
{
    const int fd = ::inotify_init1(IN_CLOEXEC);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

inline constexpr const char *kNoFolderEvents =
    "the system gives this process no inotify instance (other programs have used up fs.inotify.max_user_instances), "
    "so no folder events reach it; the poll without events is tested on its own";

} // namespace folderevents
