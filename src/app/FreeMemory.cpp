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

}  // namespace vardel
