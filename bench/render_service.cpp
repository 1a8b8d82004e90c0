// The render service at a 600 x 450 preview, for the formulas of the
// interpreter benchmark, against a bare render of the same image in the
// same run: the time from a request to its final image (svc/bare), and the
// time from a new request, posted while the rendering is at row 16, to the
// end of the rendering it aborts, against one row of the bare render
// (abort/row). Ratios come from CPU time (the worker's for the service),
// since a shared machine stretches wall-clock times; wall-clock ratios are
// printed beside them. The calling thread runs at the worker's priority.

#include "filterfactory/RenderService.h"
#include "images/DIB.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using vardel::COXDIB;
using vardel::CRenderService;
using vardel::RenderOutcome;
using vardel::RenderRequest;
using vardel::RenderUpdate;

constexpr int kWidth = 600;
constexpr int kHeight = 450;

struct Formula {
    const char* name;
    const char* text;
};

// The interpreter benchmark's formulas, each for red, green and blue.
const std::vector<Formula> kFormulas = {
    {"arithmetic", "c*ctl(0)/255"},
    {"threshold", "(r+g+b)/3 > 128 ? 255 : 0"},
    {"displace", "src(x+ctl(0)-128, y+(x&7), z)"},
    {"polar", "rad(d+ctl(7), m*3/4, z)"},
    {"convolution", "cnv(1,2,1,2,4,2,1,2,1,16)"},
    {"sliders", "map(z/2, c) + val(1, -64, 64)"},
    {"long", "((r*3+g*5+b*7)/15 + (x^y)%256 - abs(r-g) + min(b,200) - max(g,50)/2 + (x*y>>4) + (r<<1)"
             " - c*ctl(2)/255 + (x+y)%64 + (r>g ? b : 255-b) + i/4 - u + v) & 255"},
    {"random", "c + rnd(-20, 20)"},
};

std::shared_ptr<const COXDIB> sample()
{
    static const std::shared_ptr<const COXDIB> image = [] {
        auto dib = std::make_shared<COXDIB>();
        if (!dib->Create(24, kWidth, kHeight))
            std::abort();
        std::mt19937 random(7);
        for (int row = 0; row < kHeight; ++row) {
            uint8_t* p = dib->GetRow(row);
            for (int x = 0; x < kWidth * 3; ++x)
                p[x] = static_cast<uint8_t>(random());
        }
        return dib;
    }();
    return image;
}

RenderRequest requestFor(const Formula& f)
{
    RenderRequest request;
    request.sample = sample();
    request.formulas = {f.text, f.text, f.text, "255"};
    request.sliders = {140, 30, 200, 60, 90, 10, 250, 128};
    request.targetWidth = kWidth;
    request.targetHeight = kHeight;
    return request;
}

// The preview's own steps without the service: the destination copied from
// the sample, the filter run on the calling thread.
COXDIB bareRender(const RenderRequest& request)
{
    COXDIB destination(*request.sample);
    vardel::FilterSettings settings;
    settings.formulas = request.formulas;
    settings.sliders = request.sliders;
    vardel::CFilterRenderer::Render(*request.sample, destination, settings);
    return destination;
}

// CPU time of the calling thread: a shared machine stretches wall-clock
// times, so the ratios are taken from CPU time.
double threadCpuSeconds()
{
#if defined(CLOCK_THREAD_CPUTIME_ID)
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
#else
    return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
#endif
}

double seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

// When an update reached the worker's callback: wall clock and the
// worker's CPU time.
struct Stamp {
    Clock::time_point wall;
    double cpu = 0;
};

// The final updates of one service, stamped on the worker. Armed with a
// request, it posts that request from inside the next partial update, so
// that the abort is timed from the worker's side of the new request.
class Watcher {
public:
    std::atomic<bool> keepImages{true};

    void Attach(CRenderService* service) { m_service = service; }

    CRenderService::Callback callback()
    {
        return [this](const RenderUpdate& u) {
            const Stamp now{Clock::now(), threadCpuSeconds()};
            std::lock_guard lock(m_mutex);
            if (!u.final) {
                if (m_armed) {
                    m_armed = false;
                    m_abortStart = now;
                    // Taking m_mutex inside the callback is fine: Request
                    // only takes the service's own lock.
                    m_service->Request(*m_armedRequest);
                }
                return;
            }
            RenderUpdate kept = u;
            if (!keepImages) {
                // Thousands of runs: only the outcome is looked at.
                kept.image.reset();
                kept.unfiltered.reset();
            }
            // The worker waits without CPU between requests, so the CPU it
            // used since the last final update is this request's.
            m_cpuOfRender[u.generation] = now.cpu - m_lastFinalCpu;
            m_lastFinalCpu = now.cpu;
            m_finals[u.generation] = {now, std::move(kept)};
            m_changed.notify_all();
        };
    }

    // Waits for the final update of generation and takes it.
    std::pair<Stamp, RenderUpdate> Final(std::uint64_t generation)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_finals.count(generation) != 0; });
        auto final = std::move(m_finals.at(generation));
        m_finals.erase(generation);
        return final;
    }

    // The worker's CPU time for generation, taken once its final came.
    double CpuOfRender(std::uint64_t generation)
    {
        std::lock_guard lock(m_mutex);
        return m_cpuOfRender.at(generation);
    }

    // Posts request from the next partial update.
    void Arm(const RenderRequest& request)
    {
        std::lock_guard lock(m_mutex);
        m_armedRequest = request;
        m_armed = true;
    }

    // When the armed request was posted; the stamp is stale if it was not.
    std::optional<Stamp> AbortStart()
    {
        std::lock_guard lock(m_mutex);
        if (m_armed) {
            m_armed = false;
            return std::nullopt;
        }
        return m_abortStart;
    }

private:
    CRenderService* m_service = nullptr;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::map<std::uint64_t, std::pair<Stamp, RenderUpdate>> m_finals;
    std::map<std::uint64_t, double> m_cpuOfRender;
    double m_lastFinalCpu = 0;
    bool m_armed = false;
    std::optional<RenderRequest> m_armedRequest;
    Stamp m_abortStart;
};

// Name -> seconds per iteration (wall clock, and the CPU time the run counted).
std::map<std::string, double> g_wall;
std::map<std::string, double> g_cpu;

class Collector : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration) {
                const double unit = benchmark::GetTimeUnitMultiplier(run.time_unit);
                const std::string& name = run.run_name.function_name;
                g_wall[name] = run.GetAdjustedRealTime() / unit;
                // The service's runs count the worker's CPU time themselves.
                const auto cpu = run.counters.find("cpu_s");
                g_cpu[name] = cpu != run.counters.end() ? cpu->second.value : run.GetAdjustedCPUTime() / unit;
            }
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    CRenderService::LowerThreadPriority();
    Watcher watcher;
    CRenderService service(watcher.callback());
    watcher.Attach(&service);

    // The service's picture must be the bare render's before its speed
    // means anything.
    for (const Formula& f : kFormulas) {
        const RenderRequest request = requestFor(f);
        const COXDIB bare = bareRender(request);
        const RenderUpdate final = watcher.Final(service.Request(request)).second;
        if (final.outcome.outcome != RenderOutcome::Done || !final.image ||
            !std::equal(bare.GetPacked().begin(), bare.GetPacked().end(), final.image->GetPacked().begin(),
                        final.image->GetPacked().end())) {
            std::fprintf(stderr, "%s: the service's picture differs from the bare render\n", f.name);
            return 1;
        }
    }
    watcher.keepImages = false;

    for (const Formula& f : kFormulas) {
        const std::string name = f.name;
        benchmark::RegisterBenchmark((name + "/bare").c_str(),
                                     [&f](benchmark::State& state) {
                                         const RenderRequest request = requestFor(f);
                                         for (auto _ : state)
                                             benchmark::DoNotOptimize(bareRender(request));
                                     })
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->MinTime(0.5);

        // Request to final image; CPU time is the worker's.
        benchmark::RegisterBenchmark((name + "/service").c_str(),
                                     [&f, &service, &watcher](benchmark::State& state) {
                                         const RenderRequest request = requestFor(f);
                                         double cpu = 0;
                                         for (auto _ : state) {
                                             const auto start = Clock::now();
                                             const std::uint64_t generation = service.Request(request);
                                             state.SetIterationTime(
                                                 seconds(watcher.Final(generation).first.wall - start));
                                             cpu += watcher.CpuOfRender(generation);
                                         }
                                         state.counters["cpu_s"] = cpu / static_cast<double>(state.iterations());
                                     })
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime()
            ->MinTime(0.5);

        // A new request posted while the rendering is at row 16: from it to
        // the aborted rendering's final update, wall clock and worker CPU.
        benchmark::RegisterBenchmark((name + "/abort").c_str(),
                                     [&f, &service, &watcher](benchmark::State& state) {
                                         const RenderRequest request = requestFor(f);
                                         double cpu = 0;
                                         for (auto _ : state) {
                                             watcher.Arm(request);
                                             const std::uint64_t running = service.Request(request);
                                             const auto [end, update] = watcher.Final(running);
                                             const std::optional<Stamp> start = watcher.AbortStart();
                                             if (!start || update.outcome.outcome != RenderOutcome::Aborted) {
                                                 state.SkipWithError("the rendering was not aborted");
                                                 break;
                                             }
                                             state.SetIterationTime(seconds(end.wall - start->wall));
                                             cpu += end.cpu - start->cpu;
                                             // The request that aborted it may never start; only idle counts.
                                             service.Cancel();
                                             service.WaitIdle(std::chrono::minutes(1));
                                         }
                                         state.counters["cpu_s"] =
                                             state.iterations() ? cpu / static_cast<double>(state.iterations()) : 0.0;
                                     })
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime()
            ->MinTime(0.5);
    }

    Collector reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    // Ratios from CPU time (the machine may be shared); wall-clock times
    // for reference.
    std::printf("\n%-12s %8s %8s %8s %8s %9s %9s %9s %9s\n", "formula", "bare ms", "svc ms", "svc/bare", "wall s/b",
                "row ms", "abort ms", "abort/row", "wall a/r");
    for (const Formula& f : kFormulas) {
        const std::string n = f.name;
        const double bare = g_cpu[n + "/bare"];
        const double svc = g_cpu[n + "/service"];
        const double abort = g_cpu[n + "/abort"];
        const double row = bare / kHeight;
        const double wallRow = g_wall[n + "/bare"] / kHeight;
        auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };
        std::printf("%-12s %8.2f %8.2f %7.3fx %7.3fx %9.4f %9.4f %8.2fx %8.2fx\n", f.name, bare * 1e3, svc * 1e3,
                    ratio(svc, bare), ratio(g_wall[n + "/service"], g_wall[n + "/bare"]), row * 1e3, abort * 1e3,
                    ratio(abort, row), ratio(g_wall[n + "/abort"], wallRow));
    }
    std::printf("(CPU time per picture at %d x %d: bare = the filter on the calling thread, svc = the worker's\n"
                " from request to final image; svc/bare and wall s/b their ratio in CPU and wall-clock time;\n"
                " row = bare / %d rows; abort = from a new request posted at row 16 to the end of the rendering\n"
                " it aborts; abort/row and wall a/r that over one row, in CPU and wall-clock time)\n",
                kWidth, kHeight, kHeight);
    return 0;
}
