#include "support/FaultyDisk.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

namespace {

struct Rules {
    std::mutex mutex;
    std::condition_variable changed;
    // With its trailing slash; empty while no disk lives.
    std::string folder;
    bool hangs = false;
    int hung = 0;
    int safetyReleases = 0;
    bool fails = false;
    std::chrono::milliseconds delay{0};
};

Rules &rules()
{
    static Rules instance;
    return instance;
}

sqlite3_vfs *g_real = nullptr;
sqlite3_vfs g_faulty{};

// SQLite allocates szOsFile bytes for each file: this head, then the real file system's own.
struct FaultyFile {
    sqlite3_file base;
    sqlite3_file *real;
    bool watched;
};
constexpr size_t kHeadSize = (sizeof(FaultyFile) + 7) & ~size_t(7);

FaultyFile *faulty(sqlite3_file *file)
{
    return reinterpret_cast<FaultyFile *>(file);
}

sqlite3_file *real(sqlite3_file *file)
{
    return faulty(file)->real;
}

bool isWatched(const char *path)
{
    std::lock_guard lock(rules().mutex);
    const std::string &folder = rules().folder;
    return path && !folder.empty() && std::strncmp(path, folder.c_str(), folder.size()) == 0;
}

// What the disk adds to one operation on a file under the folder.
void takeTime(bool watched)
{
    if (!watched)
        return;
    std::chrono::milliseconds delay{0};
    {
        std::lock_guard lock(rules().mutex);
        delay = rules().delay;
    }
    if (delay.count() > 0)
        std::this_thread::sleep_for(delay);
}

// SQLITE_OK when the read may go to the real disk.
int readFault()
{
    Rules &r = rules();
    std::unique_lock lock(r.mutex);
    if (r.fails)
        return SQLITE_IOERR_READ;
    if (!r.hangs)
        return SQLITE_OK;
    ++r.hung;
    if (!r.changed.wait_for(lock, FaultyDisk::kSafetyRelease, [&r] { return !r.hangs; })) {
        // The disk comes back whole: every read would otherwise wait as long again.
        ++r.safetyReleases;
        r.hangs = false;
        r.changed.notify_all();
    }
    --r.hung;
    return SQLITE_OK;
}

int xClose(sqlite3_file *file)
{
    return real(file)->pMethods->xClose(real(file));
}

int xRead(sqlite3_file *file, void *buffer, int amount, sqlite3_int64 offset)
{
    if (faulty(file)->watched) {
        takeTime(true);
        if (const int fault = readFault(); fault != SQLITE_OK)
            return fault;
    }
    return real(file)->pMethods->xRead(real(file), buffer, amount, offset);
}

int xWrite(sqlite3_file *file, const void *buffer, int amount, sqlite3_int64 offset)
{
    takeTime(faulty(file)->watched);
    return real(file)->pMethods->xWrite(real(file), buffer, amount, offset);
}

int xTruncate(sqlite3_file *file, sqlite3_int64 size)
{
    takeTime(faulty(file)->watched);
    return real(file)->pMethods->xTruncate(real(file), size);
}

int xSync(sqlite3_file *file, int flags)
{
    takeTime(faulty(file)->watched);
    return real(file)->pMethods->xSync(real(file), flags);
}

int xFileSize(sqlite3_file *file, sqlite3_int64 *size)
{
    takeTime(faulty(file)->watched);
    return real(file)->pMethods->xFileSize(real(file), size);
}

int xLock(sqlite3_file *file, int level)
{
    takeTime(faulty(file)->watched);
    return real(file)->pMethods->xLock(real(file), level);
}

int xUnlock(sqlite3_file *file, int level)
{
    takeTime(faulty(file)->watched);
    return real(file)->pMethods->xUnlock(real(file), level);
}

int xCheckReservedLock(sqlite3_file *file, int *result)
{
    takeTime(faulty(file)->watched);
    return real(file)->pMethods->xCheckReservedLock(real(file), result);
}

int xFileControl(sqlite3_file *file, int op, void *arg)
{
    return real(file)->pMethods->xFileControl(real(file), op, arg);
}

int xSectorSize(sqlite3_file *file)
{
    return real(file)->pMethods->xSectorSize(real(file));
}

int xDeviceCharacteristics(sqlite3_file *file)
{
    return real(file)->pMethods->xDeviceCharacteristics(real(file));
}

int xShmMap(sqlite3_file *file, int region, int size, int extend, void volatile **map)
{
    return real(file)->pMethods->xShmMap(real(file), region, size, extend, map);
}

int xShmLock(sqlite3_file *file, int offset, int n, int flags)
{
    return real(file)->pMethods->xShmLock(real(file), offset, n, flags);
}

void xShmBarrier(sqlite3_file *file)
{
    real(file)->pMethods->xShmBarrier(real(file));
}

int xShmUnmap(sqlite3_file *file, int deleteFlag)
{
    return real(file)->pMethods->xShmUnmap(real(file), deleteFlag);
}

int xFetch(sqlite3_file *file, sqlite3_int64 offset, int amount, void **pointer)
{
    // No memory mapping of a watched file: every page it gives goes through xRead.
    if (faulty(file)->watched) {
        *pointer = nullptr;
        return SQLITE_OK;
    }
    return real(file)->pMethods->xFetch(real(file), offset, amount, pointer);
}

int xUnfetch(sqlite3_file *file, sqlite3_int64 offset, void *pointer)
{
    if (faulty(file)->watched && !pointer)
        return SQLITE_OK;
    return real(file)->pMethods->xUnfetch(real(file), offset, pointer);
}

const sqlite3_io_methods kMethods = {
    3,
    xClose,
    xRead,
    xWrite,
    xTruncate,
    xSync,
    xFileSize,
    xLock,
    xUnlock,
    xCheckReservedLock,
    xFileControl,
    xSectorSize,
    xDeviceCharacteristics,
    xShmMap,
    xShmLock,
    xShmBarrier,
    xShmUnmap,
    xFetch,
    xUnfetch,
};

int xOpen(sqlite3_vfs *, sqlite3_filename name, sqlite3_file *file, int flags, int *outFlags)
{
    FaultyFile *opened = faulty(file);
    opened->real = reinterpret_cast<sqlite3_file *>(reinterpret_cast<char *>(file) + kHeadSize);
    opened->watched = isWatched(name);
    takeTime(opened->watched);
    const int code = g_real->xOpen(g_real, name, opened->real, flags, outFlags);
    opened->base.pMethods = opened->real->pMethods ? &kMethods : nullptr;
    return code;
}

int xDelete(sqlite3_vfs *, const char *name, int syncDir)
{
    takeTime(isWatched(name));
    return g_real->xDelete(g_real, name, syncDir);
}

int xAccess(sqlite3_vfs *, const char *name, int flags, int *result)
{
    takeTime(isWatched(name));
    return g_real->xAccess(g_real, name, flags, result);
}

int xFullPathname(sqlite3_vfs *, const char *name, int size, char *out)
{
    return g_real->xFullPathname(g_real, name, size, out);
}

void *xDlOpen(sqlite3_vfs *, const char *name)
{
    return g_real->xDlOpen(g_real, name);
}

void xDlError(sqlite3_vfs *, int size, char *message)
{
    g_real->xDlError(g_real, size, message);
}

void (*xDlSym(sqlite3_vfs *, void *handle, const char *symbol))(void)
{
    return g_real->xDlSym(g_real, handle, symbol);
}

void xDlClose(sqlite3_vfs *, void *handle)
{
    g_real->xDlClose(g_real, handle);
}

int xRandomness(sqlite3_vfs *, int size, char *out)
{
    return g_real->xRandomness(g_real, size, out);
}

int xSleep(sqlite3_vfs *, int microseconds)
{
    return g_real->xSleep(g_real, microseconds);
}

int xCurrentTime(sqlite3_vfs *, double *now)
{
    return g_real->xCurrentTime(g_real, now);
}

int xGetLastError(sqlite3_vfs *, int size, char *out)
{
    return g_real->xGetLastError(g_real, size, out);
}

int xCurrentTimeInt64(sqlite3_vfs *, sqlite3_int64 *now)
{
    return g_real->xCurrentTimeInt64(g_real, now);
}

int xSetSystemCall(sqlite3_vfs *, const char *name, sqlite3_syscall_ptr call)
{
    return g_real->xSetSystemCall(g_real, name, call);
}

sqlite3_syscall_ptr xGetSystemCall(sqlite3_vfs *, const char *name)
{
    return g_real->xGetSystemCall(g_real, name);
}

const char *xNextSystemCall(sqlite3_vfs *, const char *name)
{
    return g_real->xNextSystemCall(g_real, name);
}

void registerOnce()
{
    static std::once_flag once;
    std::call_once(once, [] {
        sqlite3_initialize();
        g_real = sqlite3_vfs_find(nullptr);
        g_faulty = *g_real;
        g_faulty.pNext = nullptr;
        g_faulty.zName = "tarnel-faulty-disk";
        g_faulty.pAppData = nullptr;
        g_faulty.szOsFile = int(kHeadSize) + g_real->szOsFile;
        g_faulty.xOpen = xOpen;
        g_faulty.xDelete = xDelete;
        g_faulty.xAccess = xAccess;
        g_faulty.xFullPathname = xFullPathname;
        g_faulty.xDlOpen = xDlOpen;
        g_faulty.xDlError = xDlError;
        g_faulty.xDlSym = xDlSym;
        g_faulty.xDlClose = xDlClose;
        g_faulty.xRandomness = xRandomness;
        g_faulty.xSleep = xSleep;
        g_faulty.xCurrentTime = xCurrentTime;
        g_faulty.xGetLastError = xGetLastError;
        g_faulty.xCurrentTimeInt64 = xCurrentTimeInt64;
        g_faulty.xSetSystemCall = xSetSystemCall;
        g_faulty.xGetSystemCall = xGetSystemCall;
        g_faulty.xNextSystemCall = xNextSystemCall;
        sqlite3_vfs_register(&g_faulty, 1);
    });
}

} // namespace

FaultyDisk::FaultyDisk(const QString &folder)
{
    registerOnce();
    std::lock_guard lock(rules().mutex);
    rules().folder = QFile::encodeName(QFileInfo(folder).canonicalFilePath()).toStdString() + '/';
}

FaultyDisk::~FaultyDisk()
{
    Rules &r = rules();
    std::lock_guard lock(r.mutex);
    r.folder.clear();
    r.hangs = false;
    r.fails = false;
    r.delay = std::chrono::milliseconds(0);
    r.safetyReleases = 0;
    r.changed.notify_all();
}

void FaultyDisk::hangReads()
{
    std::lock_guard lock(rules().mutex);
    rules().hangs = true;
}

void FaultyDisk::release()
{
    std::lock_guard lock(rules().mutex);
    rules().hangs = false;
    rules().changed.notify_all();
}

int FaultyDisk::hungReads() const
{
    std::lock_guard lock(rules().mutex);
    return rules().hung;
}

int FaultyDisk::safetyReleases() const
{
    std::lock_guard lock(rules().mutex);
    return rules().safetyReleases;
}

void FaultyDisk::failReads(bool fail)
{
    std::lock_guard lock(rules().mutex);
    rules().fails = fail;
}

void FaultyDisk::delayEachOperation(std::chrono::milliseconds delay)
{
    std::lock_guard lock(rules().mutex);
    rules().delay = delay;
}
