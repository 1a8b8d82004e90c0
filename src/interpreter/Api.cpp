// The exported functions but FFParse and FFFree, which live with the
// parser. Every exported function, here and there, catches everything: no
// exception leaves the library.

#include "Program.h"
#include "RowPlan.h"

#include <atomic>

namespace zeltro {
namespace {

FFExecRecord* g_record = nullptr;
std::atomic<int32_t> g_rules{ZELTRO_RULES_GENUINE};

// Registry changes bump the generation, which invalidates the per-thread
// cache of the last programs looked up.
std::atomic<uint64_t> g_generation{1};

struct CacheEntry {
    const FFNode* root = nullptr;
    const Program* program = nullptr;
    uint64_t generation = 0;
    Rules rules = Rules::Genuine;
};

// The program of a root under the rule set in force.
const Program* cachedProgram(const FFNode* root)
{
    thread_local CacheEntry cache[4];
    thread_local unsigned next = 0;
    const uint64_t generation = g_generation.load(std::memory_order_acquire);
    const Rules rules = currentRules();
    for (const CacheEntry& e : cache)
        if (e.root == root && e.generation == generation && e.rules == rules)
            return e.program;
    const Program* program = findProgram(root, rules);
    if (program) {
        cache[next] = {root, program, generation, rules};
        next = (next + 1) % 4;
    }
    return program;
}

}  // namespace

void registryChanged()
{
    g_generation.fetch_add(1, std::memory_order_acq_rel);
}

Rules currentRules()
{
    return static_cast<Rules>(g_rules.load(std::memory_order_relaxed));
}

}  // namespace zeltro

using namespace zeltro;

extern "C" ZELTRO_API FFExecRecord* FFPrepareExec(FFExecRecord* record)
{
    g_record = record;
    return record;
}

extern "C" ZELTRO_API int32_t FFExec(FFNode* node)
{
    if (!node || !g_record)
        return 0;
    try {
        FFExecRecord* r = g_record;
        Context context{r, &threadRandom(), r->z, r->y, r->x};
        if (const Program* program = cachedProgram(node))
            return program->evaluate(context);
        // A tree that FFParse did not build (or a subtree): compiled for
        // this one evaluation.
        const Program program(node, currentRules());
        return program.evaluate(context);
    } catch (...) {
        return 0;
    }
}

extern "C" ZELTRO_API int32_t zeltro_Traits(const FFNode* node)
{
    if (!node)
        return 0;
    try {
        if (const Program* program = cachedProgram(node))
            return program->traits();
        return Program(node, currentRules()).traits();
    } catch (...) {
        return ZELTRO_UNKNOWN_KIND;
    }
}

extern "C" ZELTRO_API int32_t zeltro_ExecRow(const FFNode* node, const FFExecRecord* record, int32_t y, int32_t z,
                                             int32_t* out)
{
    if (!node || !record || !out)
        return 0;
    try {
        const Program* program = cachedProgram(node);
        if (!program || !program->rowPlan())
            return 0;
        program->rowPlan()->run(*record, y, 1, &z, &out);
        return 1;
    } catch (...) {
        return 0;
    }
}

extern "C" ZELTRO_API void zeltro_SeedRandom(uint32_t seed)
{
    RandomState& state = threadRandom();
    state.lcg = seed;
    seedSubtractive(state, seed);
}

extern "C" ZELTRO_API int32_t zeltro_SetRules(int32_t rules)
{
    if (rules != ZELTRO_RULES_GENUINE && rules != ZELTRO_RULES_CLASSIC)
        return -1;
    return g_rules.exchange(rules, std::memory_order_relaxed);
}

extern "C" ZELTRO_API int32_t zeltro_Rules(void)
{
    return g_rules.load(std::memory_order_relaxed);
}

extern "C" ZELTRO_API void zeltro_SetSeed(int32_t seed)
{
    setSeedVariable(seed);
}

extern "C" ZELTRO_API int32_t zeltro_Seed(void)
{
    return seedVariable();
}

extern "C" ZELTRO_API int32_t zeltro_ExecRowChannels(const FFNode* node, const FFExecRecord* record, int32_t y,
                                                     int32_t count, const int32_t* channels, int32_t* const* out)
{
    if (!node || !record || !channels || !out || count < 0)
        return 0;
    for (int32_t k = 0; k < count; ++k)
        if (!out[k])
            return 0;
    try {
        const Program* program = cachedProgram(node);
        if (!program || !program->rowPlan())
            return 0;
        program->rowPlan()->run(*record, y, count, channels, out);
        return 1;
    } catch (...) {
        return 0;
    }
}

extern "C" ZELTRO_API int32_t zeltro_ExecRowInOrder(FFNode* const* trees, int32_t count, FFExecRecord* record,
                                                    int32_t y, uint8_t* destination, int32_t writeMask,
                                                    int32_t* const* out)
{
    if (!trees || !record || !out || count < 1 || count > 4 || y < 0 || y > record->largestRow)
        return 0;
    for (int32_t k = 0; k < count; ++k)
        if (!trees[k] || !out[k])
            return 0;
    try {
        // Every program is found (or compiled) before the first evaluation,
        // so a refusal leaves no side effect behind.
        const Program* programs[4] = {};
        std::unique_ptr<Program> own[4];
        for (int32_t k = 0; k < count; ++k) {
            programs[k] = cachedProgram(trees[k]);
            if (!programs[k]) {
                own[k] = std::make_unique<Program>(trees[k], currentRules());
                programs[k] = own[k].get();
            }
        }
        execRowInOrder(programs, count, *record, y, destination, writeMask, out);
        return 1;
    } catch (...) {
        return 0;
    }
}
