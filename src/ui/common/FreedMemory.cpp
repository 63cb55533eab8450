#include "ui/common/FreedMemory.h"

#include <cstdlib> // says which C library this is

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void ReturnFreedMemory()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

void KeepFreedMemoryReturnable()
{
#if defined(__GLIBC__)
    // The C library's own defaults; setting them stops them adapting.
    constexpr int kThreshold = 128 * 1024;
    mallopt(M_MMAP_THRESHOLD, kThreshold);
    mallopt(M_TRIM_THRESHOLD, kThreshold);
#endif
}
