#pragma once

// While one lives, the SQLite files under one folder are on a disk that misbehaves as told: its
// reads hang until released, or fail with an I/O error, or every operation on them takes a while.
// SQLite reaches them through a file system of this process's own, registered as the default on
// first use, which hands every call on to the real one; files elsewhere are not touched, nor are
// the files under the folder once the object is gone. One lives at a time.

#include <QString>

#include <chrono>

class FaultyDisk {
public:
    // A hung read goes on after this in any case, so that a start that waits for it ends the test
    // with a failure instead of hanging it.
    static constexpr std::chrono::seconds kSafetyRelease{20};

    explicit FaultyDisk(const QString &folder);
    // Every read still hung goes on, and the disk is whole again.
    ~FaultyDisk();
    FaultyDisk(const FaultyDisk &) = delete;
    FaultyDisk &operator=(const FaultyDisk &) = delete;

    // Each read of a file there waits, from now on, until release().
    void hangReads();
    void release();
    // Reads hung now, and reads the safety release let go of so far.
    int hungReads() const;
    int safetyReleases() const;
    // Each read of a file there fails as a failing disk's does, for as long as this is on.
    void failReads(bool fail);
    // Each operation on a file there (open, read, write, sync, lock, size) takes this much longer.
    void delayEachOperation(std::chrono::milliseconds delay);
};
