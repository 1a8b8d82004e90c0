// A row of pixels in the exact per-pixel order: every channel of a pixel
// before the next pixel, for formulas that draw random numbers, use the
// storage cells, change the edge mode or read the destination.

#include "BytecodeRun.h"

#include <algorithm>

namespace zeltro {
namespace {

// One evaluation as FFExec does it: a failure (memory for the stack of a
// deep tree) yields 0.
inline int32_t evaluateOne(const Program& program, Context& context)
{
    try {
        return program.evaluate(context);
    } catch (...) {
        return 0;
    }
}

// True when bytes [first, first + size) may lie inside the source image
// (rows of at least X * Z bytes, |stride| apart): then a byte written
// there could be read back as source.
bool mayOverlapSource(const FFExecRecord& r, const uint8_t* first, intptr_t size)
{
    if (!r.source || r.Y <= 0)
        return false;
    const intptr_t stride = r.stride;
    const intptr_t rowBytes = std::max<intptr_t>(static_cast<intptr_t>(r.X) * r.Z, stride < 0 ? -stride : stride);
    const uintptr_t base = reinterpret_cast<uintptr_t>(r.source);
    const uintptr_t last = base + static_cast<uintptr_t>(static_cast<intptr_t>(r.Y - 1) * stride);
    const uintptr_t low = std::min(base, last), high = std::max(base, last) + static_cast<uintptr_t>(rowBytes);
    const uintptr_t begin = reinterpret_cast<uintptr_t>(first);
    return begin < high && begin + static_cast<uintptr_t>(size) > low;
}

inline uint8_t clampByte(int32_t v)
{
    return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

}  // namespace

void execRowInOrder(const Program* const* programs, int32_t count, FFExecRecord& record, int32_t y,
                    uint8_t* destination, int32_t writeMask, int32_t* const* out)
{
    const int32_t width = record.X;
    if (width <= 0 || count <= 0)
        return;
    Context context{&record, &threadRandom(), 0, y, 0};
    // Where each written channel goes within a pixel; -1 when it is not
    // written or its offset lies outside the pixel.
    uint8_t* row = destination ? destination + static_cast<intptr_t>(memoryRow(record, y)) * record.stride : nullptr;
    int32_t at[4] = {-1, -1, -1, -1};
    for (int32_t k = 0; k < count && row; ++k)
        if ((writeMask >> k) & 1 && record.channelOffsets[k] >= 0 && record.channelOffsets[k] < record.Z)
            at[k] = record.channelOffsets[k];
    const intptr_t bpp = record.Z;
    context.row = sourceRow(record, y);
    bool allCode = true;
    for (int32_t k = 0; k < count; ++k)
        allCode = allCode && programs[k]->hasCode();
    if (allCode) {
        // The register code cannot fail once it runs: no evaluation needs
        // memory. The current channel's bytes of the row are found once.
        const uint8_t* channels[4] = {};
        if (bpp >= 3)
            for (int32_t k = 0; k < count && k < bpp; ++k)
                channels[k] = context.row + record.channelOffsets[k];
        context.bpp = bpp;
        // Written bytes may wait for the end of their pixel unless dst or
        // the source could see them before.
        bool atOnce = false;
        for (int32_t k = 0; k < count; ++k)
            atOnce = atOnce || (programs[k]->traits() & ZELTRO_READS_DESTINATION) != 0;
        atOnce = atOnce || (row && mayOverlapSource(record, row, static_cast<intptr_t>(width) * bpp));
        Program::runRow(programs, count, context, width, row, at, channels, out, atOnce);
    } else {
        // Deep trees, or code beyond its limits: the walks, whose stack may
        // need memory.
        for (int32_t x = 0; x < width; ++x) {
            context.x = x;
            for (int32_t k = 0; k < count; ++k) {
                context.z = k;
                const int32_t v = out[k][x] = evaluateOne(*programs[k], context);
                if (at[k] >= 0)
                    row[x * bpp + at[k]] = clampByte(v);
            }
        }
    }
    record.x = width - 1;
    record.y = y;
    record.z = count - 1;
}

}  // namespace zeltro
