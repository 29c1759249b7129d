#pragma once

#include "engine/HistoryWriter.h"

#include <chrono>

// What follows the event loop lets go of the history: the writer's last try at what is still
// waiting, then the store's files and the workers. On a disk that stopped answering (a network
// home whose server went away) a thread inside it never comes back, and the process would never
// end, though the quit already waited for the last write and told the user what it could not
// write. Every transaction committed before is in the history's log, synced, and a checkpoint
// cut short leaves the log to the next start: the end is cut short past its limit, losing
// nothing that was on disk.
class EndLimit {
public:
    // As long as the quit gives the last write: a healthy disk lets go in milliseconds, and
    // another program's lock holds the writer's last try for the store's busy timeout at most.
    static constexpr std::chrono::milliseconds kLimit = HistoryWriter::kQuitFlushLimit;

    // From now on the process ends with this status once kLimit passed, whatever its threads wait for.
    static void start(int status);
};
