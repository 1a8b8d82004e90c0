#pragma once
// Evaluation of a whole row at a time for trees whose value for a pixel
// does not depend on what was evaluated before it. Each operation runs
// over all pixels of the row before the next one; subtrees that do not
// depend on the column are evaluated once per row; constant divisors and
// the usual source geometry get loops of their own.

#include "zeltro.h"

#include <cstdint>
#include <vector>

namespace zeltro {

class Program;

class RowPlan {
public:
    // Plans the evaluation of a program without order-dependent operations.
    explicit RowPlan(const Program& program);

    // Writes the value of each pixel of row y, channel channels[k], to
    // out[k][0 .. X-1], for k < count. Parts of the tree that do not depend
    // on the channel are evaluated once for all channels.
    void run(const FFExecRecord& record, int32_t y, int32_t count, const int32_t* channels, int32_t* const* out) const;

    struct Step {
        int32_t kind;     // node kind, or one of the plan's own step kinds
        int32_t dst;      // slot of the result
        int32_t arg;      // first argument slot
        int32_t scalar;   // index of a per-row value, or -1
        int32_t variant;  // which operand is the per-row value (binary steps)
    };

private:
    // Kept out of line (and their callees too): gen's frame is repeated for
    // every level of the tree (at most Program::kMaxRecursiveHeight).
    [[gnu::noinline]] int32_t gen(int32_t op, int32_t slot);
    [[gnu::noinline]] int32_t hoist(int32_t op, int32_t slot);
    [[gnu::noinline]] void emit(int32_t kind, int32_t dst, int32_t arg, int32_t scalar, int32_t variant);
    [[gnu::noinline]] int32_t uniform(int32_t op);
    void runSteps(const std::vector<Step>& steps, const FFExecRecord& r, int32_t y, int32_t z, int32_t width,
                  int32_t* slots, const int32_t* scalars) const;

    const Program& m_program;
    std::vector<uint8_t> m_varying;   // per op: depends on the column
    std::vector<uint8_t> m_channel;   // per op: depends on the channel
    std::vector<int32_t> m_uniforms;  // ops evaluated once per row
    std::vector<Step> m_steps;
    // Subtrees that depend on the column but not on the channel, evaluated
    // once per row into the prelude's own slots, which m_steps copy from.
    std::vector<Step> m_prelude;
    bool m_inPrelude = false;
    int32_t m_hoisted = 0;
    int32_t m_slots = 1;
    int32_t m_result = 0;           // slot of the result
    int32_t m_constantResult = -1;  // the whole tree is a per-row value
    bool m_perPixel = false;        // too high to plan: every pixel evaluated alone
};

}  // namespace zeltro
