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

// Restarts the reference walk's own random generators (as
// zeltro_SeedRandom restarts the library's).
void seedRandom(uint32_t seed);

// The rule set of the walk (ZELTRO_RULES_GENUINE, the default, or
// ZELTRO_RULES_CLASSIC); its own, apart from the library's.
void setRules(int32_t rules);

// The walk's own seed variable, which rst sets under the genuine rules.
void setSeed(int32_t seed);
int32_t seed();

}  // namespace zeltro::reference
