// Formula evaluation speed on a 1024 x 1024 image, three ways in one run:
// the reference walk (the tree walked for every pixel and channel), the
// library as the renderer uses it (rows split over threads for formulas
// that allow it, rows in the exact per-pixel order for the others), and the same formula written as plain
// C++. Every formula under both rule sets, genuine and classic. Prints
// pixels per second and the ratios per formula and rule set (from the
// fastest of the repetitions, which run interleaved), the gain from two
// threads, and the time to parse and compile a 30-node formula.

#include "base/Threads.h"
#include "ReferenceEvaluator.h"
#include "zeltro.h"

#include "Repetitions.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace zeltro {
extern const int32_t* const g_sine;
extern const int32_t* const g_cosine;
extern const int32_t* const g_arcTangent;
extern const int32_t* const g_radius;
int32_t c2d(int32_t x, int32_t y);
}  // namespace zeltro

namespace {

constexpr int kSize = 1024;
constexpr int kBpp = 3;
constexpr int kStride = kSize * 3;

struct Image {
    std::vector<uint8_t> pixels = std::vector<uint8_t>(static_cast<size_t>(kStride) * kSize);
    FFExecRecord record{};
    Image()
    {
        std::mt19937 random(7);
        for (auto& b : pixels)
            b = static_cast<uint8_t>(random());
        FFExecRecord& r = record;
        r.D = 1024;
        r.M = static_cast<int32_t>(std::sqrt(2.0 * kSize * kSize)) / 2;
        r.X = r.Y = kSize;
        r.centreX = r.centreY = kSize / 2;
        r.Z = kBpp;
        r.total = 1;
        r.storage = static_cast<int32_t*>(std::calloc(256, 4));
        r.storageSize = 256;
        r.foreground[0] = r.foreground[1] = r.foreground[2] = 255;
        const int32_t sliders[8] = {140, 30, 200, 60, 90, 10, 250, 128};
        std::memcpy(r.sliders, sliders, sizeof sliders);
        r.source = pixels.data();
        r.destination = pixels.data();
        r.channelOffsets[0] = 2;
        r.channelOffsets[1] = 1;
        r.channelOffsets[2] = 0;
        r.channelOffsets[3] = 3;
        r.bottomUp = 1;
        r.largestColumn = r.largestRow = kSize - 1;
        r.stride = kStride;
    }
    // Channel z (0 red) of pixel (x, y), y from the top.
    int at(int x, int y, int z) const
    {
        return pixels[static_cast<size_t>(kSize - 1 - y) * kStride + static_cast<size_t>(x) * 3 + (2 - z)];
    }
};

Image& image()
{
    static Image instance;
    return instance;
}

int clampi(int v, int lo, int hi)
{
    return v < lo ? lo : (v > hi ? hi : v);
}

constexpr int kChannels = 3;
// Every way's values, laid out as the library gives a row: channel z of
// pixel (x, y) at at(x, y, z).
using Output = std::vector<int32_t>;
inline size_t at(int x, int y, int z)
{
    return (static_cast<size_t>(y) * kChannels + z) * kSize + x;
}

// The subtractive generator of the genuine rules, seeded as
// zeltro_SeedRandom(1) seeds it.
struct Subtractive {
    uint32_t ma[56] = {};
    int next = 0, nextp = 31;
    explicit Subtractive(uint32_t seed)
    {
        uint32_t mj = 161803398u - seed, mk = 1;
        ma[55] = mj;
        for (int i = 1; i < 55; ++i) {
            const int ii = 21 * i % 55;
            ma[ii] = mk;
            mk = mj - mk;
            mj = ma[ii];
        }
        for (int k = 0; k < 4; ++k)
            for (int i = 1; i < 56; ++i)
                ma[i] -= ma[1 + (i + 30) % 55];
    }
    uint32_t operator()()
    {
        next = next == 55 ? 1 : next + 1;
        nextp = nextp == 55 ? 1 : nextp + 1;
        return ma[next] -= ma[nextp];
    }
};

// What the plain twins keep between pixels: the rule set, the random
// generators and the storage cells.
struct State {
    bool genuine = true;
    uint32_t random = 1;
    Subtractive subtractive{1};
    std::vector<int32_t> cells = std::vector<int32_t>(256);
};

// The direction and the polar offsets of the genuine rules.
int genuineDirection(int x, int y)
{
    const int ax = std::abs(x), ay = std::abs(y), mx = std::max(ax, ay), mn = std::min(ax, ay);
    int a = zeltro::g_arcTangent[mx == 0 ? 0 : mn * 1024 / mx];
    a = ax >= ay ? a : 256 - a;
    a = x < 0 ? 512 - a : a;
    return y < 0 ? -a : a;
}

int lookup(int a)
{
    return a >= 0 ? a % 1024 : 1023 + a % 1024;
}

// The plain C++ loop over every pixel and channel, with the formula's
// twin inlined into it.
template <class F>
void plainLoop(Output& out, F f, bool genuine)
{
    State state;
    state.genuine = genuine;
    const Image& im = image();
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
            for (int z = 0; z < kChannels; ++z)
                out[at(x, y, z)] = f(im, x, y, z, state);
}

template <class F>
std::function<void(Output&, bool)> plainOf(F f)
{
    return [f](Output& out, bool genuine) { plainLoop(out, f, genuine); };
}

// The formulas, each with its plain C++ twin computing the same values
// (under the rule set that its last argument names: true for genuine).
struct Formula {
    const char* name;
    const char* text;
    std::function<void(Output&, bool)> plain;
};

const std::vector<Formula>& formulas()
{
    static const std::vector<Formula> list = {
        {"arithmetic", "c*ctl(0)/255", plainOf([](const Image& im, int x, int y, int z, State&) {
             return im.at(x, y, z) * im.record.sliders[0] / 255;
         })},
        {"threshold", "(r+g+b)/3 > 128 ? 255 : 0", plainOf([](const Image& im, int x, int y, int, State&) {
             return (im.at(x, y, 0) + im.at(x, y, 1) + im.at(x, y, 2)) / 3 > 128 ? 255 : 0;
         })},
        {"displace", "src(x+ctl(0)-128, y+(x&7), z)", plainOf([](const Image& im, int x, int y, int z, State&) {
             return im.at(clampi(x + im.record.sliders[0] - 128, 0, kSize - 1), clampi(y + (x & 7), 0, kSize - 1), z);
         })},
        {"polar", "rad(d+ctl(7), m*3/4, z)", plainOf([](const Image& im, int x, int y, int z, State& state) {
             const int dx = x - kSize / 2, dy = y - kSize / 2;
             const int m = static_cast<int>(std::sqrt(static_cast<double>(dx * dx + dy * dy))) * 3 / 4;
             int px, py;
             if (state.genuine) {
                 const int d = genuineDirection(dx, dy) + im.record.sliders[7];
                 px = kSize / 2 + ((m * zeltro::g_radius[lookup(d)] + 8191) >> 14);
                 py = kSize / 2 + ((m * zeltro::g_radius[(d - 256) & 1023] + 8191) >> 14);
             } else {
                 const int index = lookup(zeltro::c2d(dx, dy) + im.record.sliders[7]);
                 px = kSize / 2 + m * zeltro::g_cosine[index] / 512;
                 py = kSize / 2 + m * zeltro::g_sine[index] / 512;
             }
             return im.at(clampi(px, 0, kSize - 1), clampi(py, 0, kSize - 1), z);
         })},
        {"convolution", "cnv(1,2,1,2,4,2,1,2,1,16)", plainOf([](const Image& im, int x, int y, int z, State&) {
             static const int k[9] = {1, 2, 1, 2, 4, 2, 1, 2, 1};
             int sum = 0;
             for (int j = 0; j < 9; ++j)
                 sum += k[j] * im.at(clampi(x + j % 3 - 1, 0, kSize - 1), clampi(y + j / 3 - 1, 0, kSize - 1), z);
             return sum / 16;
         })},
        {"sliders", "map(z/2, c) + val(1, -64, 64)", plainOf([](const Image& im, int x, int y, int z, State& state) {
             const int* s = im.record.sliders;
             const int i = z / 2, hi = s[2 * i], lo = s[2 * i + 1], n = im.at(x, y, z);
             int mapped;
             if (state.genuine)
                 mapped = hi == lo  ? (hi == 0 || n >= lo ? 255 : 0)
                          : hi > lo ? (n - lo) * 255 / (hi - lo)
                                    : 255 - (n - hi) * 255 / (lo - hi);
             else
                 mapped = hi == 0 && lo == 0 ? 255 : hi == lo ? (n <= lo ? 0 : 255) : (n - lo) * 255 / (hi - lo);
             return mapped + (-64 + s[1] * 128 / 255);
         })},
        {"long",
         "((r*3+g*5+b*7)/15 + (x^y)%256 - abs(r-g) + min(b,200) - max(g,50)/2 + (x*y>>4) + (r<<1)"
         " - c*ctl(2)/255 + (x+y)%64 + (r>g ? b : 255-b) + i/4 - u + v) & 255",
         plainOf([](const Image& im, int x, int y, int z, State&) {
             const int R = im.at(x, y, 0), G = im.at(x, y, 1), B = im.at(x, y, 2), C = im.at(x, y, z);
             const int I = (76 * R + 150 * G + 29 * B) / 256, U = (56 * B - 37 * G - 19 * R) / 256,
                       V = (78 * R - 65 * G - 13 * B) / 256;
             return ((R * 3 + G * 5 + B * 7) / 15 + (x ^ y) % 256 - std::abs(R - G) + std::min(B, 200) -
                     std::max(G, 50) / 2 + (x * (y >> 4)) + (R << 1) - C * im.record.sliders[2] / 255 + (x + y) % 64 +
                     (R > G ? B : 255 - B) + I / 4 - U + V) &
                    255;
         })},
        {"random", "c + rnd(-20, 20)", plainOf([](const Image& im, int x, int y, int z, State& state) {
             if (state.genuine)
                 return im.at(x, y, z) - 20 + static_cast<int>(state.subtractive() % 41u);
             state.random = state.random * 214013u + 2531011u;
             return im.at(x, y, z) - 20 + static_cast<int>((state.random >> 16) & 32767u) % 41;
         })},
        {"storage", "put((get(z) + c) % 256, z)", plainOf([](const Image& im, int x, int y, int z, State& state) {
             return state.cells[z] = (state.cells[z] + im.at(x, y, z)) % 256;
         })},
        // The cells start afresh with every row: storage() of 0 cells
        // changes nothing (a conditional around storage() would, under the
        // genuine rules, renew them at every pixel).
        {"rowstorage", "storage(x == 0 && z == 0 ? X : 0), put(get(x) + c, x) & 255",
         plainOf([](const Image& im, int x, int y, int z, State& state) {
             if (x == 0 && z == 0)
                 state.cells.assign(kSize, 0);
             return (state.cells[x] += im.at(x, y, z)) & 255;
         })},
    };
    return list;
}

// A record of the image with its own zeroed storage array, which the
// formulas may replace; freed through whatever it points to at the end.
struct OwnRecord {
    FFExecRecord r = image().record;
    OwnRecord() { r.storage = static_cast<int32_t*>(std::calloc(256, 4)); }
    ~OwnRecord() { std::free(r.storage); }
};

struct TreeDeleter {
    void operator()(FFNode* n) const { FFFree(n); }
};

std::unique_ptr<FFNode, TreeDeleter> build(const char* text)
{
    int32_t status = 0;
    std::unique_ptr<FFNode, TreeDeleter> tree(FFParse(text, &status, 1));
    if (status != 0 || !tree) {
        std::fprintf(stderr, "formula rejected: %s\n", text);
        std::exit(1);
    }
    return tree;
}

// The rule sets measured, as zeltro_SetRules numbers them.
constexpr int32_t kRuleSets[] = {ZELTRO_RULES_GENUINE, ZELTRO_RULES_CLASSIC};

const char* rulesName(int32_t rules)
{
    return rules == ZELTRO_RULES_CLASSIC ? "classic" : "genuine";
}

// Makes rules the rule set of the library and of the reference walk.
void useRules(int32_t rules)
{
    zeltro_SetRules(rules);
    zeltro::reference::setRules(rules);
}

void runReference(const Formula& f, Output& out)
{
    auto tree = build(f.text);
    OwnRecord own;
    FFExecRecord& r = own.r;
    zeltro::reference::seedRandom(1);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
            for (int z = 0; z < kChannels; ++z) {
                r.x = x, r.y = y, r.z = z;
                out[at(x, y, z)] = zeltro::reference::evaluate(tree.get(), r);
            }
}

// FFExec pixel by pixel for the formulas that keep their order, as the
// renderer called the library before it had a row for them (set
// ZELTRO_BENCH_PER_PIXEL=1 to measure that way, also against an older
// library without zeltro_ExecRowInOrder).
bool perPixel()
{
    static const bool set = std::getenv("ZELTRO_BENCH_PER_PIXEL") != nullptr;
    return set;
}

// The library as the renderer drives it: rows in blocks shared by threads
// when the formula allows it, else rows in order on the calling thread.
void runLibrary(FFNode* tree, Output& out, int threads)
{
    OwnRecord own;
    FFExecRecord& r = own.r;
    if (zeltro_Traits(tree) & ~ZELTRO_READS_STORAGE) {
        zeltro_SeedRandom(1);
        if (perPixel()) {
            FFPrepareExec(&r);
            for (int y = 0; y < kSize; ++y)
                for (int x = 0; x < kSize; ++x)
                    for (int z = 0; z < kChannels; ++z) {
                        r.x = x, r.y = y, r.z = z;
                        out[at(x, y, z)] = FFExec(tree);
                    }
            return;
        }
        // The same formula for the three channels; nothing written back,
        // since this record's destination is the source.
        FFNode* const trees[kChannels] = {tree, tree, tree};
        for (int y = 0; y < kSize; ++y) {
            int32_t* outs[kChannels] = {&out[at(0, y, 0)], &out[at(0, y, 1)], &out[at(0, y, 2)]};
            zeltro_ExecRowInOrder(trees, kChannels, &r, y, nullptr, 0, outs);
        }
        return;
    }
    std::atomic<int> next{0};
    auto work = [&] {
        // The same formula for the three channels, as the renderer groups them.
        const int32_t channels[kChannels] = {0, 1, 2};
        for (int y; (y = next.fetch_add(1)) < kSize;) {
            int32_t* outs[kChannels] = {&out[at(0, y, 0)], &out[at(0, y, 1)], &out[at(0, y, 2)]};
            zeltro_ExecRowChannels(tree, &r, y, kChannels, channels, outs);
        }
    };
    vardel::RunOnThreads(threads, work);
}

void runPlain(const Formula& f, Output& out, int32_t rules)
{
    f.plain(out, rules == ZELTRO_RULES_GENUINE);
}

// Name -> seconds per iteration, wall clock and CPU of the calling thread,
// of the fastest repetition: on a shared machine the slower ones measure
// the other load too.
std::map<std::string, double> g_seconds;
std::map<std::string, double> g_cpu;

class Collector : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        const auto keepLeast = [](std::map<std::string, double>& m, const std::string& name, double value) {
            auto [it, added] = m.emplace(name, value);
            if (!added && value < it->second)
                it->second = value;
        };
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration) {
                const double unit = benchmark::GetTimeUnitMultiplier(run.time_unit);
                keepLeast(g_seconds, run.run_name.function_name, run.GetAdjustedRealTime() / unit);
                keepLeast(g_cpu, run.run_name.function_name, run.GetAdjustedCPUTime() / unit);
            }
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char** argv)
{
    vardel::bench::InitializeWithRepetitions(argc, argv);
    // ZELTRO_BENCH_ONLY=name keeps one formula (for runs under callgrind,
    // with --benchmark_filter=none to count only the three checking runs).
    std::vector<Formula> list = formulas();
    if (const char* only = std::getenv("ZELTRO_BENCH_ONLY"))
        std::erase_if(list, [only](const Formula& f) { return f.name != std::string(only); });
    // Every way must give the same values before its speed means anything.
    for (int32_t rules : kRuleSets) {
        useRules(rules);
        for (const Formula& f : list) {
            Output a(static_cast<size_t>(kSize) * kSize * kChannels), b(a.size()), c(a.size());
            runReference(f, a);
            auto tree = build(f.text);
            runLibrary(tree.get(), b, 2);
            runPlain(f, c, rules);
            if (a != b || a != c) {
                std::fprintf(stderr, "%s (%s rules): the three ways disagree (library %s, plain %s)\n", f.name,
                             rulesName(rules), a == b ? "agrees" : "differs", a == c ? "agrees" : "differs");
                return 1;
            }
        }
    }
    for (int32_t rules : kRuleSets) {
        for (const Formula& f : list) {
            const std::string name = std::string(rulesName(rules)) + "/" + f.name;
            benchmark::RegisterBenchmark((name + "/reference").c_str(),
                                         [&f, rules](benchmark::State& state) {
                                             useRules(rules);
                                             Output out(static_cast<size_t>(kSize) * kSize * kChannels);
                                             for (auto _ : state)
                                                 runReference(f, out);
                                             state.SetItemsProcessed(state.iterations() * kSize * kSize);
                                         })
                ->Unit(benchmark::kMillisecond)
                ->Iterations(1);
            for (int threads : {1, 2}) {
                benchmark::RegisterBenchmark((name + "/library/threads:" + std::to_string(threads)).c_str(),
                                             [&f, threads, rules](benchmark::State& state) {
                                                 useRules(rules);
                                                 auto tree = build(f.text);
                                                 Output out(static_cast<size_t>(kSize) * kSize * kChannels);
                                                 for (auto _ : state)
                                                     runLibrary(tree.get(), out, threads);
                                                 state.SetItemsProcessed(state.iterations() * kSize * kSize);
                                             })
                    ->Unit(benchmark::kMillisecond)
                    ->UseRealTime()
                    ->MinTime(0.3);
            }
            benchmark::RegisterBenchmark((name + "/plain").c_str(),
                                         [&f, rules](benchmark::State& state) {
                                             Output out(static_cast<size_t>(kSize) * kSize * kChannels);
                                             for (auto _ : state)
                                                 runPlain(f, out, rules);
                                             state.SetItemsProcessed(state.iterations() * kSize * kSize);
                                         })
                ->Unit(benchmark::kMillisecond)
                ->MinTime(0.3);
        }
    }
    const char* thirty = "(r*3 + g*5 - b) / 7 + src(x + ctl(0) - 128, y - 3, z) * 2 - abs(x - y) + (c > 128 ? 255 : 0)";
    benchmark::RegisterBenchmark("parse_and_compile_30_nodes", [thirty](benchmark::State& state) {
        for (auto _ : state) {
            int32_t status = 0;
            FFNode* tree = FFParse(thirty, &status, 1);
            benchmark::DoNotOptimize(tree);
            FFFree(tree);
        }
    })->Unit(benchmark::kMicrosecond);

    Collector reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    // Single-thread ratios from CPU time (the machine may be shared), the
    // gain from two threads from wall-clock time.
    auto mpx = [](double seconds) { return seconds > 0 ? kSize * kSize / seconds / 1e6 : 0.0; };
    for (int32_t rules : kRuleSets) {
        std::printf("\n%s rules\n%-12s %10s %10s %10s %10s %9s %9s %10s\n", rulesName(rules), "formula", "ref Mpx/s",
                    "lib Mpx/s", "lib2 Mpx/s", "C++ Mpx/s", "lib/ref", "lib/C++", "2thr gain");
        for (const Formula& f : list) {
            const std::string n = std::string(rulesName(rules)) + "/" + f.name;
            const double ref = g_cpu[n + "/reference"];
            const double lib = g_cpu[n + "/library/threads:1"];
            const double plain = g_cpu[n + "/plain"];
            const double wall1 = g_seconds[n + "/library/threads:1"];
            const double wall2 = g_seconds[n + "/library/threads:2"];
            std::printf("%-12s %10.1f %10.1f %10.1f %10.1f %8.1fx %8.2fx %9.2fx\n", f.name, mpx(ref), mpx(lib),
                        mpx(wall2), mpx(plain), lib > 0 ? ref / lib : 0.0, plain > 0 ? lib / plain : 0.0,
                        wall2 > 0 ? wall1 / wall2 : 0.0);
        }
    }
    std::printf("(Mpx/s: millions of pixels, three channels each, per second; lib/ref: library speed over the\n"
                " reference walk; lib/C++: library time over plain C++ time; 2thr gain: wall-clock speed-up\n"
                " from two threads)\n");
    return 0;
}
