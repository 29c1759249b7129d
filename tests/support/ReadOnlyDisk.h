#pragma once

// While one lives, SQLite opens every database file of the process read-only, as it does when
// the disk holding it is mounted read-only; even root cannot write through such a connection.
// Connections opened while it lives stay read-only after it is gone, as on a disk that was
// made writable again under a running program.

#include <sqlite3.h>

#include <atomic>

class ReadOnlyDisk {
public:
    ReadOnlyDisk()
    {
        install();
        s_readOnly = true;
    }
    ~ReadOnlyDisk() { s_readOnly = false; }
    ReadOnlyDisk(const ReadOnlyDisk &) = delete;
    ReadOnlyDisk &operator=(const ReadOnlyDisk &) = delete;

private:
    // The process's own file system, made the default once and for good, with its open step
    // in front of the real one.
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
            return sqlite3_vfs_register(&s_vfs, 1) == SQLITE_OK;
        }();
        (void)installed;
    }

    inline static sqlite3_vfs *s_real = nullptr;
    inline static sqlite3_vfs s_vfs{};
    inline static std::atomic<bool> s_readOnly{false};
};
