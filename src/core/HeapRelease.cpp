#include "core/HeapRelease.h"

#include <cstdlib> // defines __GLIBC__ with the C library's other marks

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace HeapRelease {

void returnLargeBlocksPromptly()
{
#if defined(__GLIBC__)
    ::mallopt(M_MMAP_THRESHOLD, kOwnPagesFromBytes);
    ::mallopt(M_TRIM_THRESHOLD, kFreeHeapEndKeptBytes);
#endif
}

void giveBackFreeMemory()
{
#if defined(__GLIBC__)
    ::malloc_trim(0);
#endif
}

} // namespace HeapRelease
