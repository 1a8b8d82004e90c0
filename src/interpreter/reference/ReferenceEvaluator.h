#pragma once
// The reference evaluator: a direct recursive walk of an expression tree
// for one pixel and channel, with no compilation, caching or folding. It
// defines what the library must compute; the tests and the benchmark
// compare the library against it.

#include "zeltro.h"

#include <cstdint>

namespace zeltro::reference {

// Value of node for the pixel and channel that record names (fields x, y,
// z); writes the record as the language does (storage, srcmode, error).
int32_t evaluate(const FFNode* node, FFExecRecord& record);

// Restarts the reference walk's own random generator.
void seedRandom(uint32_t seed);

}  // namespace zeltro::reference
