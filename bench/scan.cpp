// Full scan and refresh of a directory of 5,000 plug-in files, in files per
// second, each against a baseline measured in the same run: opening every
// file and reading its first 4 KB (what any scan must at least do), and
// opening every file and reading two 40-byte spans (what a refresh needs).
// Prints the ratios at the end; the goals are 2 (scan) and 1.5 (refresh).
//
// The files are copies of the linked test plug-ins (testdata/plugins of the
// build directory, or $VARDEL_TEST_DATA/plugins).

#include "app/Application.h"
#include "app/Stores.h"
#include "catalogue/PluginDirEntry.h"
#include "catalogue/VardelDoc.h"

#include <benchmark/benchmark.h>

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
const char* const kTemplates[] = {"pipl_single.8bf", "pipl_three.8bf",     "pipl_kinds.8bf",  "pipl_nocat.8bf",
                                  "ff_filter.8bf",   "ff_filter32.8bf",    "pimi_filter.8bf", "pimi_long.8bf",
                                  "both.8bf",        "premiere_filter.prm", "pipl_single32.8bf"};

fs::path TemplateDir()
{
    if (const char* env = std::getenv("VARDEL_TEST_DATA"))
        return fs::path(env) / "plugins";
    return fs::canonical("/proc/self/exe").parent_path().parent_path() / "testdata" / "plugins";
}

// The generated collection, its data directory and a document over it.
struct Collection {
    fs::path root;
    fs::path plugins;
    std::vector<std::string> files;
    CVardelApp app;

    Collection()
    {
        std::random_device rd;
        root = fs::temp_directory_path() / ("vardel-bench-" + std::to_string(rd()));
        plugins = root / "plugins";
        fs::create_directories(plugins);
        fs::create_directories(root / "setup.db");
        const fs::path source = TemplateDir();
        for (int i = 0; i < kFiles; ++i) {
            const fs::path from = source / kTemplates[i % std::size(kTemplates)];
            const fs::path to = plugins / ("plugin" + std::to_string(i) + from.extension().string());
            fs::copy_file(from, to);
            files.push_back(to.string());
        }
        app.m_dataDir.root = root;
        auto dir = std::make_unique<CPluginDirEntry>();
        dir->m_label = "Bench";
        dir->m_directory = plugins.string();
        dir->m_catalogueFile = NewCatalogueFileName(app.m_dataDir);
        app.m_directories.push_back(std::move(dir));
    }
    ~Collection()
    {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
};

Collection& Shared()
{
    static Collection c;
    return c;
}

void Rate(benchmark::State& state)
{
    state.counters["files/s"] = benchmark::Counter(static_cast<double>(kFiles), benchmark::Counter::kIsIterationInvariantRate);
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

void BM_FullScan(benchmark::State& state)
{
    auto& c = Shared();
    CVardelDoc doc(c.app);
    for (auto _ : state) {
        doc.FullScan(0);
        doc.Sort();
    }
    state.counters["entries"] = static_cast<double>(doc.m_catalogue.m_entries.size());
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
    CVardelDoc doc(c.app);
    doc.FullScan(0);
    const std::size_t entries = doc.m_catalogue.m_entries.size();
    int readInFull = 0;
    for (auto _ : state) {
        doc.m_filesRead = 0;
        doc.Refresh(*c.app.m_directories[0]);
        readInFull += doc.m_filesRead;
    }
    if (doc.m_catalogue.m_entries.size() != entries)
        state.SkipWithError("the refresh dropped entries of unchanged files");
    state.counters["files_read_in_full"] = readInFull;
    Rate(state);
}

BENCHMARK(BM_ScanBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullScan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefreshBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Refresh)->Unit(benchmark::kMillisecond);

// Remembers each benchmark's files per second for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> rates;
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& run : runs) {
            auto it = run.counters.find("files/s");
            if (it != run.counters.end() && run.run_type == Run::RT_Iteration)
                rates[run.benchmark_name()] = it->second.value;
        }
    }
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
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
    ratio("BM_ScanBaseline", "BM_FullScan", 2.0);
    ratio("BM_RefreshBaseline", "BM_Refresh", 1.5);
    benchmark::Shutdown();
    return 0;
}
