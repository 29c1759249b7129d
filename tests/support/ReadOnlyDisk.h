#pragma once

// While one lives, SQLite opens every database file of the process read-only, as it does when
// the file may not be written; even root cannot write through such a connection. Connections
// opened while it lives stay read-only after it is gone, as on a disk that was made writable
// again under a running program.
//
// With WholeDisk, the log and the log's index are met as on a disk mounted read-only too: they
// open read-only and nothing is created or removed. The log's index is shared by every
// connection of the process to one file, so one left open from the read-only time keeps the
// others read-only too, as on the real disk.

#include <sqlite3.h>

#include <atomic>
#include <cerrno>
#include <fcntl.h>

class ReadOnlyDisk {
public:
    enum What {
        DatabaseFile,
        WholeDisk,
    };

    explicit ReadOnlyDisk(What what = DatabaseFile)
    {
        install();
        s_readOnly = true;
        s_wholeDisk = what == WholeDisk;
    }
    ~ReadOnlyDisk()
    {
        s_readOnly = false;
        s_wholeDisk = false;
    }
    ReadOnlyDisk(const ReadOnlyDisk &) = delete;
    ReadOnlyDisk &operator=(const ReadOnlyDisk &) = delete;

private:
    using OpenCall = int (*)(const char *, int, int);
    using PathCall = int (*)(const char *);

    // The process's own file system, made the default once and for good, with its open step
    // in front of the real one; and the system calls that SQLite's own file system makes for
    // the log and its index, refused as a read-only mount refuses them.
    static void install()
    {
        static const bool installed = [] {
            s_real = sqlite3_vfs_find(nullptr);
            s_vfs = *s_real;
            s_vfs.zName = "tarnel-test-read-only-disk";
            s_vfs.pNext = nullptr;
            s_vfs.xOpen = [](sqlite3_vfs *, const char *name, sqlite3_file *file, int flags, int *outFlags) {
                if (s_readOnly && (flags & SQLITE_OPEN_MAIN_DB))
                    flags = (flags & ~(SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)) | SQLITE_OPEN_READONLY;
                return s_real->xOpen(s_real, name, file, flags, outFlags);
            };
            s_vfs.xDelete = [](sqlite3_vfs *, const char *name, int syncDir) {
                return s_real->xDelete(s_real, name, syncDir);
            };
            s_vfs.xAccess = [](sqlite3_vfs *, const char *name, int flags, int *result) {
                return s_real->xAccess(s_real, name, flags, result);
            };
            s_vfs.xFullPathname = [](sqlite3_vfs *, const char *name, int size, char *out) {
                return s_real->xFullPathname(s_real, name, size, out);
            };
            if (s_real->iVersion >= 3 && s_real->xSetSystemCall) {
                s_open = reinterpret_cast<OpenCall>(s_real->xGetSystemCall(s_real, "open"));
                s_unlink = reinterpret_cast<PathCall>(s_real->xGetSystemCall(s_real, "unlink"));
                OpenCall open = [](const char *path, int flags, int mode) {
                    if (s_wholeDisk && (flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC))) {
                        errno = EROFS;
                        return -1;
                    }
                    return s_open(path, flags, mode);
                };
                PathCall unlink = [](const char *path) {
                    if (s_wholeDisk) {
                        errno = EROFS;
                        return -1;
                    }
                    return s_unlink(path);
                };
                if (s_open)
                    s_real->xSetSystemCall(s_real, "open", reinterpret_cast<sqlite3_syscall_ptr>(open));
                if (s_unlink)
                    s_real->xSetSystemCall(s_real, "unlink", reinterpret_cast<sqlite3_syscall_ptr>(unlink));
            }
            return sqlite3_vfs_register(&s_vfs, 1) == SQLITE_OK;
        }();
        (void)installed;
    }

    inline static sqlite3_vfs *s_real = nullptr;
    inline static sqlite3_vfs s_vfs{};
    inline static OpenCall s_open = nullptr;
    inline static PathCall s_unlink = nullptr;
    inline static std::atomic<bool> s_readOnly{false};
    inline static std::atomic<bool> s_wholeDisk{false};
};
