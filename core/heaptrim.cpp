#include "core/heaptrim.h"

#include <cstdlib>   // tells whether the C library is glibc

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void returnFreedMemory()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}
