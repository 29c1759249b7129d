#pragma once

// Gives the heap's free pages back to the system. The C library keeps memory freed by a thread
// for that thread's next allocations, so the buffers of a large image conversion on a worker
// (tens or hundreds of megabytes) would stay counted against the program long after they were
// freed. Called after such work, off the main thread: it walks every heap.
namespace HeapRelease {

void giveBackFreeMemory();

} // namespace HeapRelease
