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
