#pragma once

// Gives the heap's free pages back to the system. The C library keeps memory freed by a thread
// for that thread's next allocations, so the buffers of a large image conversion on a worker
// (tens or hundreds of megabytes) would stay counted against the program long after they were
// freed. Called after such work, off the main thread: it walks every heap.
namespace HeapRelease {

// Blocks from this size up get pages of their own, given back the moment they are freed, and
// a heap gives back what lies free at its end beyond this much. Left to the C library, both
// bounds rise with the first large block freed (to 32 and 64 MB), and then every thread that
// took part in an image conversion keeps the tens of megabytes of its heap.
inline constexpr int kOwnPagesFromBytes = 1024 * 1024;
inline constexpr int kFreeHeapEndKeptBytes = 1024 * 1024;

// Called once at start, before threads: fixes both bounds for the whole program.
void returnLargeBlocksPromptly();
void giveBackFreeMemory();

} // namespace HeapRelease
