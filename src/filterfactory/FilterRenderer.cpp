// Running the four formulas over an image: the record, the checks, the
// loops over rows and channels, the mask and the compositing.

#include "filterfactory/FilterRenderer.h"

#include "base/Threads.h"
#include "zeltro.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <vector>

namespace vardel {
namespace {

struct TreeDeleter {
    void operator()(FFNode* node) const { FFFree(node); }
};
using Tree = std::unique_ptr<FFNode, TreeDeleter>;

// The storage array the record points to; a formula may replace it, so
// it is freed through whatever the record holds at the end.
struct StorageOwner {
    FFExecRecord& record;
    ~StorageOwner()
    {
        std::free(record.storage);
        record.storage = nullptr;
    }
};

constexpr int32_t kOrderDependent = ZELTRO_USES_RANDOM | ZELTRO_WRITES_STORAGE | ZELTRO_WRITES_EDGE_MODE |
                                    ZELTRO_READS_DESTINATION | ZELTRO_UNKNOWN_KIND | ZELTRO_WRITES_SEED;

uint8_t clampByte(int32_t v)
{
    return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

void fillRecord(FFExecRecord& r, const PixelView& source, const PixelView& destination, const FilterSettings& settings)
{
    r = FFExecRecord{};
    r.D = 1024;
    const double diagonal = std::sqrt(static_cast<double>(source.width) * source.width +
                                      static_cast<double>(source.height) * source.height);
    r.M = static_cast<int32_t>(diagonal) / 2;
    r.X = source.width;
    r.Y = source.height;
    r.centreX = source.width / 2;
    r.centreY = source.height / 2;
    r.Z = source.bytesPerPixel;
    r.t = 0;
    r.total = 1;
    r.storageSize = 256;
    for (int i = 0; i < 3; ++i) {
        r.foreground[i] = 255;
        r.background[i] = 0;
    }
    for (int i = 0; i < 8; ++i)
        r.sliders[i] = settings.sliders[i];
    r.source = source.bits;
    r.destination = destination.bits;
    r.channelOffsets[0] = 2;
    r.channelOffsets[1] = 1;
    r.channelOffsets[2] = 0;
    r.channelOffsets[3] = 3;
    r.bottomUp = 1;
    r.edgeMode = 0;
    r.largestColumn = source.width - 1;
    r.largestRow = source.height - 1;
    r.stride = source.stride;
    r.error = 0;
}

// Writes one finished pixel: channels 0..2 to bytes 2, 1, 0, a 32-bit
// pixel's fourth byte from the source, channel 3 to the mask.
struct RowWriter {
    const PixelView& source;
    const PixelView& destination;
    uint8_t* mask;

    void write(int y, const int32_t* const values[4]) const
    {
        const int bpp = destination.bytesPerPixel;
        const std::size_t memoryRow = static_cast<std::size_t>(destination.height - 1 - y);
        uint8_t* out = destination.bits + memoryRow * destination.stride;
        const uint8_t* in = source.bits + memoryRow * source.stride;
        uint8_t* m = mask + static_cast<std::size_t>(y) * destination.width;
        for (int x = 0; x < destination.width; ++x) {
            uint8_t* p = out + static_cast<std::size_t>(x) * bpp;
            p[2] = clampByte(values[0][x]);
            p[1] = clampByte(values[1][x]);
            p[0] = clampByte(values[2][x]);
            if (bpp == 4)
                p[3] = in[static_cast<std::size_t>(x) * 4 + 3];
            m[x] = clampByte(values[3][x]);
        }
    }
};

bool aborted(const FilterSettings& settings)
{
    return settings.abort && settings.abort->load(std::memory_order_relaxed);
}

// One thread, exact per-pixel order: every channel of a pixel before the
// next pixel, as formulas with rnd, put, storage, srcmode or dst need. The
// library evaluates a row at a time in that order, writing the colour
// channels at once so that dst sees them.
bool renderInOrder(FFExecRecord& record, FFNode* const trees[4], const RowWriter& writer,
                   const FilterSettings& settings)
{
    const int width = record.X;
    std::vector<int32_t> values(static_cast<std::size_t>(width) * 4);
    int32_t* const rows[4] = {values.data(), values.data() + width, values.data() + 2 * width,
                              values.data() + 3 * width};
    uint8_t* destination = writer.destination.bits;
    // One stream for the whole rendering: under the genuine rules seeded
    // from the seed variable, under the classic ones the same in every
    // rendering, as on a fresh thread.
    zeltro_SeedRandom(settings.rules == RuleSet::Classic ? 1u : static_cast<uint32_t>(settings.seed));
    FFPrepareExec(&record);
    for (int y = 0; y < record.Y; ++y) {
        if (!zeltro_ExecRowInOrder(trees, 4, &record, y, destination, 0x7, rows)) {
            // Refused before anything was evaluated (memory): the same row
            // through FFExec, pixel by pixel.
            record.y = y;
            for (int x = 0; x < width; ++x) {
                record.x = x;
                for (int z = 0; z < 4; ++z) {
                    record.z = z;
                    const int32_t v = FFExec(trees[z]);
                    rows[z][x] = v;
                    if (z < 3) {
                        // dst may read this pixel's channels at once.
                        uint8_t* p = destination + static_cast<std::size_t>(record.Y - 1 - y) * record.stride +
                                     static_cast<std::size_t>(x) * record.Z;
                        p[2 - z] = clampByte(v);
                    }
                }
            }
        }
        writer.write(y, rows);
        if (aborted(settings))
            return false;
        if (y % 16 == 15 && settings.progress)
            settings.progress(y + 1);
    }
    return true;
}

// Rows split across threads in blocks of 16; each row evaluated a whole
// formula at a time. Only for formulas that cannot observe order.
bool renderRows(const FFExecRecord& record, FFNode* const trees[4], const RowWriter& writer,
                const FilterSettings& settings, int threads)
{
    // Channels with the same formula text are evaluated together, so that
    // what does not depend on the channel is computed once.
    struct Group {
        FFNode* tree;
        int32_t count = 0;
        int32_t channels[4] = {};
    };
    std::vector<Group> groups;
    for (int z = 0; z < 4; ++z) {
        auto same = std::find_if(groups.begin(), groups.end(), [&](const Group& g) {
            return settings.formulas[g.channels[0]] == settings.formulas[z];
        });
        if (same == groups.end())
            same = groups.insert(groups.end(), Group{trees[z]});
        same->channels[same->count++] = z;
    }
    const int height = record.Y;
    const int width = record.X;
    const int blocks = (height + 15) / 16;
    std::atomic<int> nextBlock{0};
    std::atomic<bool> stop{false};
    std::mutex progressLock;
    int rowsDone = 0;

    auto work = [&]() {
        std::vector<int32_t> values(static_cast<std::size_t>(width) * 4);
        const int32_t* const rows[4] = {values.data(), values.data() + width, values.data() + 2 * width,
                                        values.data() + 3 * width};
        for (;;) {
            const int block = nextBlock.fetch_add(1);
            if (block >= blocks || stop.load())
                return;
            const int last = std::min(height, block * 16 + 16);
            for (int y = block * 16; y < last; ++y) {
                for (const Group& g : groups) {
                    int32_t* outs[4];
                    for (int k = 0; k < g.count; ++k)
                        outs[k] = values.data() + static_cast<std::size_t>(g.channels[k]) * width;
                    zeltro_ExecRowChannels(g.tree, &record, y, g.count, g.channels, outs);
                }
                writer.write(y, rows);
                if (aborted(settings)) {
                    stop = true;
                    return;
                }
            }
            if (settings.progress && last - block * 16 == 16) {
                std::lock_guard lock(progressLock);
                rowsDone += 16;
                settings.progress(rowsDone);
            }
        }
    };
    RunOnThreads(threads, work);
    return !stop.load();
}

void composite(const PixelView& result, const PixelView& background, const uint8_t* mask)
{
    const int colourBytes = 3;
    for (int y = 0; y < result.height; ++y) {
        const std::size_t memoryRow = static_cast<std::size_t>(result.height - 1 - y);
        uint8_t* out = result.bits + memoryRow * result.stride;
        const uint8_t* under = background.bits + memoryRow * background.stride;
        const uint8_t* m = mask + static_cast<std::size_t>(y) * result.width;
        for (int x = 0; x < result.width; ++x) {
            const int alpha = m[x];
            uint8_t* p = out + static_cast<std::size_t>(x) * result.bytesPerPixel;
            const uint8_t* q = under + static_cast<std::size_t>(x) * background.bytesPerPixel;
            for (int k = 0; k < colourBytes; ++k)
                p[k] = static_cast<uint8_t>((p[k] * alpha + q[k] * (255 - alpha)) / 255);
        }
    }
}

}  // namespace

RenderResult CFilterRenderer::Run(const PixelView& source, const PixelView& destination, const PixelView* background,
                                  const FilterSettings& settings)
{
    RenderResult result;
    result.seed = settings.seed;
    if (aborted(settings)) {
        // A newer request is already waiting: nothing is started.
        result.outcome = RenderOutcome::Aborted;
        return result;
    }
    const int bpp = source.bytesPerPixel;
    if ((bpp != 3 && bpp != 4) || !source.bits || !destination.bits || destination.bytesPerPixel != bpp ||
        destination.width != source.width || destination.height != source.height || source.width <= 0 ||
        source.height <= 0) {
        result.outcome = RenderOutcome::UnsupportedDepth;
        return result;
    }
    FFExecRecord record;
    fillRecord(record, source, destination, settings);
    zeltro_SetRules(settings.rules == RuleSet::Classic ? ZELTRO_RULES_CLASSIC : ZELTRO_RULES_GENUINE);
    zeltro_SetSeed(settings.seed);

    for (int i = 0; i < 4; ++i) {
        int32_t status = 0;
        FFParse(settings.formulas[i].c_str(), &status, 0);
        if (status != 0) {
            result.outcome = RenderOutcome::SyntaxError;
            result.formula = i;
            result.status = status;
            return result;
        }
    }
    Tree trees[4];
    FFNode* roots[4];
    int32_t traits = 0;
    for (int i = 0; i < 4; ++i) {
        int32_t status = 0;
        trees[i].reset(FFParse(settings.formulas[i].c_str(), &status, 1));
        if (status != 0 || !trees[i]) {
            result.outcome = RenderOutcome::SyntaxError;
            result.formula = i;
            result.status = status != 0 ? status : kParseSyntaxError;
            return result;
        }
        roots[i] = trees[i].get();
        traits |= zeltro_Traits(roots[i]);
    }

    std::vector<uint8_t> mask(static_cast<std::size_t>(source.width) * source.height, 255);
    record.storage = static_cast<int32_t*>(std::calloc(256, sizeof(int32_t)));
    StorageOwner storage{record};
    if (!record.storage)
        record.storageSize = 0;
    const RowWriter writer{source, destination, mask.data()};

    const int threads = std::clamp(settings.threads, 1, 64);
    bool complete;
    if ((traits & kOrderDependent) == 0) {
        result.parallel = threads > 1;
        complete = renderRows(record, roots, writer, settings, std::min(threads, (source.height + 15) / 16));
    } else {
        complete = renderInOrder(record, roots, writer, settings);
    }
    if (!complete) {
        result.outcome = RenderOutcome::Aborted;
    } else if (background) {
        if (background->width == source.width && background->height == source.height &&
            background->bytesPerPixel >= 3 && background->bits)
            composite(destination, *background, mask.data());
    }
    result.error = record.error;
    result.seed = zeltro_Seed();
    if (complete && record.error != 0)
        result.outcome = RenderOutcome::EvaluationError;
    return result;
}

}  // namespace vardel
