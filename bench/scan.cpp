// Full scan and refresh of a directory of 5,000 plug-in files, in files per
// second, each against a baseline measured in the same run: opening every
// file and reading its first 4 KB (what any scan must at least do), and
// opening every file and reading two 40-byte spans (what a refresh needs).
// Prints the ratios at the end, from the fastest of the repetitions (which
// run interleaved); the goal is 1.5 for both.
//
// The files are copies of the linked test plug-ins (testdata/plugins of the
// build directory, or $VARDEL_TEST_DATA/plugins).

#include "BenchPlugins.h"

#include "Repetitions.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <stdexcept>

#include <unistd.h>

namespace fs = std::filesystem;
using namespace vardel;

namespace {

constexpr int kFiles = 5000;
using bench::Collection;
using bench::TemplateDir;

Collection& Shared()
{
    static Collection c(kFiles);
    return c;
}

void Rate(benchmark::State& state)
{
    state.counters["files/s"] =
        benchmark::Counter(static_cast<double>(kFiles), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_ScanBaseline(benchmark::State& state)
{
    auto& c = Shared();
    std::array<char, 4096> buffer{};
    for (auto _ : state) {
        for (const auto& f : c.files) {
            std::ifstream in(f, std::ios::binary);
            in.read(buffer.data(), buffer.size());
            benchmark::DoNotOptimize(in.gcount());
        }
    }
    Rate(state);
}

// A scan of the collection's directory into catalogue.
CCatalogueScan ScanOf(Collection& c, CPluginListManager& catalogue)
{
    return c.ScanOf(catalogue);
}

void BM_FullScan(benchmark::State& state)
{
    auto& c = Shared();
    CPluginListManager catalogue;
    for (auto _ : state) {
        ScanOf(c, catalogue).FullScan(c.plugins.string(), false);
        SortCatalogue(catalogue);
    }
    state.counters["entries"] = static_cast<double>(catalogue.m_entries.size());
    Rate(state);
}

void BM_RefreshBaseline(benchmark::State& state)
{
    auto& c = Shared();
    std::array<char, 40> buffer{};
    for (auto _ : state) {
        for (const auto& f : c.files) {
            std::ifstream in(f, std::ios::binary);
            in.seekg(1024);
            in.read(buffer.data(), buffer.size());
            in.seekg(2048);
            in.read(buffer.data(), buffer.size());
            benchmark::DoNotOptimize(in.gcount());
        }
    }
    Rate(state);
}

void BM_Refresh(benchmark::State& state)
{
    auto& c = Shared();
    CPluginListManager catalogue;
    ScanOf(c, catalogue).FullScan(c.plugins.string(), false);
    const std::size_t entries = catalogue.m_entries.size();
    int readInFull = 0;
    for (auto _ : state) {
        CCatalogueScan scan = ScanOf(c, catalogue);
        scan.Refresh(c.plugins.string(), false);
        readInFull += scan.FilesRead();
    }
    if (catalogue.m_entries.size() != entries)
        state.SkipWithError("the refresh dropped entries of unchanged files");
    state.counters["files_read_in_full"] = readInFull;
    Rate(state);
}

BENCHMARK(BM_ScanBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullScan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefreshBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Refresh)->Unit(benchmark::kMillisecond);

// Remembers each benchmark's files per second for the ratios: of its
// fastest repetition, since on a shared machine the slower ones measure
// the other load too.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> rates;
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& run : runs) {
            auto it = run.counters.find("files/s");
            if (it == run.counters.end() || run.run_type != Run::RT_Iteration)
                continue;
            double& rate = rates[run.run_name.function_name];
            rate = std::max(rate, it->second.value);
        }
    }
};

}  // namespace

int main(int argc, char** argv)
{
    vardel::bench::InitializeWithRepetitions(argc, argv);
    if (!fs::is_directory(TemplateDir())) {
        std::cerr << "test plug-ins not found in " << TemplateDir() << " (build the target vardel_test_plugins)\n";
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto ratio = [&](const char* baseline, const char* measured, double goal) {
        if (!reporter.rates.count(baseline) || !reporter.rates.count(measured) || reporter.rates[measured] <= 0)
            return;
        double r = reporter.rates[baseline] / reporter.rates[measured];
        std::printf("%-12s %8.0f files/s, baseline %8.0f files/s: %.2fx the baseline's time (goal %.1fx) %s\n",
                    measured + 3, reporter.rates[measured], reporter.rates[baseline], r, goal,
                    r <= goal ? "met" : "MISSED");
    };
    ratio("BM_ScanBaseline", "BM_FullScan", 1.5);
    ratio("BM_RefreshBaseline", "BM_Refresh", 1.5);
    benchmark::Shutdown();
    return 0;
}
