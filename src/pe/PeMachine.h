#pragma once
// The word size of a PE file's machine field.

#include <cstdint>

namespace vardel {

// 32 for the 32-bit machines (x86), 64 for the 64-bit ones (x86-64, ARM64,
// Itanium), 0 for any other code.
int MachineBits(std::uint16_t machine);

}  // namespace vardel
