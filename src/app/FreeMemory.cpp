#include "app/FreeMemory.h"

#include <cstdlib>  // defines __GLIBC__ where glibc is the C library

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace vardel {

void ReleaseFreeMemory()
{
#if defined(__GLIBC__)
    ::malloc_trim(0);
#endif
}

void KeepHeapSmall()
{
#if defined(__GLIBC__)
    // Fixed thresholds: glibc would otherwise raise both after the first
    // large block is freed, and then keep tens of megabytes of a heap's
    // free end, which malloc_trim gives back only for the main heap.
    ::mallopt(M_MMAP_THRESHOLD, 256 * 1024);
    ::mallopt(M_TRIM_THRESHOLD, 1024 * 1024);
#endif
}

}  // namespace vardel
