#pragma once
// A hint that memory is about to be read, for lookups made side by side:
// their reads of memory then overlap instead of waiting one after the other.

namespace vardel {

inline void PrefetchForRead(const void* address)
{
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(address, 0, 3);
#else
    (void)address;
#endif
}

}  // namespace vardel
