#pragma once
// Giving freed memory back to the system.

namespace vardel {

// Returns the free parts of the heap to the system, on every thread's heap:
// after a large catalogue or a search's copies went away, the allocator
// would otherwise keep their pages for itself. Costs a walk over the free
// lists; call it after large frees, not after every small one. Never fails;
// does nothing where the allocator offers no such call.
void ReleaseFreeMemory();

// Keeps the allocator from holding on to what was freed, for a process that
// loads and frees large catalogues over and over: large blocks (a catalogue
// file read whole, the bytes of a save) are given back as soon as they are
// freed, and so is the free end of every thread's heap. Call once at start,
// before other threads run.
void KeepHeapSmall();

}  // namespace vardel
