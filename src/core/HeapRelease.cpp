#include "core/HeapRelease.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace HeapRelease {

void giveBackFreeMemory()
{
#if defined(__GLIBC__)
    ::malloc_trim(0);
#endif
}

} // namespace HeapRelease
