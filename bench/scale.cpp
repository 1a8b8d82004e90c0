// How the cost of the catalogue's main operations grows with the collection:
// for 1,000, 5,000, 20,000 and 50,000 generated plug-in files, the full scan,
// the refresh of the catalogue just loaded, loading the catalogue file, the
// sort, the views' data for the largest category (category list and plug-in
// list) and a Find over Title and Category, each in milliseconds and in
// microseconds per file: a cost that grows in proportion to the collection
// shows as a flat per-file column.
//
// Times are CPU time of the process. Each size runs in a child process of
// its own, so the peak resident memory (the child's ru_maxrss) is that
// size's alone. VARDEL_SCALE_MAX (e.g. 5000) leaves out the sizes above it.
// Linux only (fork, getrusage).

#include "BenchPlugins.h"

#include "app/CatalogueView.h"
#include "catalogue/PluginEntry.h"
#include "search/DescriptionListManager.h"
#include "search/FindSettings.h"
#include "search/PluginSearch.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

using namespace vardel;

namespace {

constexpr int kSizes[] = {1000, 5000, 20000, 50000};

// What one size measured; times in milliseconds.
struct Result {
    int files = 0;
    int entries = 0;
    double scan = 0, refresh = 0, load = 0, sort = 0, views = 0, find = 0;
    int viewItems = 0;  // category items + plug-in items of the largest category
    int hits = 0;
    int refreshRead = 0;  // files the refresh read in full (0: it knew every file)
    long peakKb = 0;
    bool ok = false;
};

// The process's CPU time in milliseconds: the machine may be shared and
// loaded, and the CPU time the operation costs is what it says least noisily.
double CpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

template <class F>
double Time(F&& f)
{
    const double start = CpuMs();
    f();
    return CpuMs() - start;
}

// The best of a few runs, for the operations that leave nothing changed.
template <class F>
double Best(int runs, F&& f)
{
    double best = Time(f);
    for (int i = 1; i < runs; ++i)
        best = std::min(best, Time(f));
    return best;
}

Result Measure(int files)
{
    Result r;
    r.files = files;
    bench::Collection c(files);
    const auto file = c.dataDir.Resolve(c.directories.front()->m_catalogueFile);
    // A single run of a large size measures fresh pages and a cold cache
    // more than the operation: every repeatable one takes the best of three.
    const int runs = 3;

    // Full scan (into an empty catalogue), then its sort.
    CPluginListManager scanned;
    r.scan = Time([&] { c.ScanOf(scanned).FullScan(c.plugins.string(), false); });
    r.entries = static_cast<int>(scanned.m_entries.size());
    r.sort = Time([&] { SortCatalogue(scanned); });
    if (!SaveCatalogue(file, 0, scanned))
        return r;

    // Loading the catalogue file (into an empty catalogue, freed untimed).
    int cls = 0;
    r.load = 1e300;
    for (int i = 0; i < runs; ++i) {
        CPluginListManager loaded;
        r.load = std::min(r.load, Time([&] { LoadCatalogue(file, cls, loaded); }));
    }

    // The refresh of a catalogue just loaded: every file is known.
    {
        // The load is not part of the time.
        double best = 1e300;
        for (int i = 0; i < runs; ++i) {
            CPluginListManager loaded;
            LoadCatalogue(file, cls, loaded);
            CCatalogueScan scan = c.ScanOf(loaded);
            best = std::min(best, Time([&] { scan.Refresh(c.plugins.string(), false); }));
            r.refreshRead = scan.FilesRead();
        }
        r.refresh = best;
    }

    // The views' data for the largest category of the class shown.
    const int shown = ChooseClass(CountPluginClasses(scanned), 0);
    const std::vector<ViewItem> categories = CategoryItems(scanned, shown);
    const CPluginEntry* largest = nullptr;
    std::size_t largestSize = 0;
    for (const auto& item : categories)
        if (item.plugin) {
            const std::size_t n = PluginItems(scanned, *item.plugin).size();
            if (!largest || n > largestSize) {
                largest = item.plugin;
                largestSize = n;
            }
        }
    r.views = Best(runs, [&] {
        const auto items = CategoryItems(scanned, shown);
        const auto plugins = largest ? PluginItems(scanned, *largest) : std::vector<ViewItem>{};
        r.viewItems = static_cast<int>(items.size() + plugins.size());
    });

    // Find over Title and Category with a keyword most names hold.
    FindSettings find;
    find.keyword = "e";
    find.title = find.category = true;
    find.author = find.filename = find.description = find.keywords = false;
    CDescriptionListManager descriptions;
    r.find = Best(runs, [&] { r.hits = static_cast<int>(CPluginSearch::Run(scanned, descriptions, find).size()); });

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    r.peakKb = usage.ru_maxrss;
    r.ok = true;
    return r;
}

// Runs Measure in a child process; false when the child failed.
bool MeasureInChild(int files, Result& out)
{
    int fds[2];
    if (pipe(fds) != 0)
        return false;
    std::cout.flush();
    const pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        close(fds[0]);
        Result r;
        try {
            r = Measure(files);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%d files: %s\n", files, e.what());
        }
        const bool written = write(fds[1], &r, sizeof r) == static_cast<ssize_t>(sizeof r);
        close(fds[1]);
        _exit(written && r.ok ? 0 : 1);
    }
    close(fds[1]);
    const bool read = ::read(fds[0], &out, sizeof out) == static_cast<ssize_t>(sizeof out);
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return read && out.ok && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

int main()
{
    if (!std::filesystem::is_directory(bench::TemplateDir())) {
        std::cerr << "test plug-ins not found in " << bench::TemplateDir()
                  << " (build the target vardel_test_plugins)\n";
        return 1;
    }
    long max = 50000;
    if (const char* env = std::getenv("VARDEL_SCALE_MAX"))
        max = std::strtol(env, nullptr, 10);

    std::printf("CPU times in ms (best of 3; scan and sort one run each), "
                "and in us per file.\nPeak RSS: ru_maxrss of a child process per size.\n\n");
    std::printf("%7s %7s | %9s %6s | %9s %6s %5s | %8s %6s | %8s %6s | %8s %6s %6s | %8s %6s %6s | %8s\n", "files",
                "entries", "scan", "/file", "refresh", "/file", "read", "load", "/file", "sort", "/file", "views",
                "/file", "items", "find", "/file", "hits", "peak MB");
    int failures = 0;
    for (int files : kSizes) {
        if (files > max)
            break;
        Result r;
        if (!MeasureInChild(files, r)) {
            std::printf("%7d   (failed)\n", files);
            ++failures;
            continue;
        }
        const double n = r.files / 1000.0;  // ms per file -> us per file
        std::printf("%7d %7d | %9.1f %6.1f | %9.1f %6.1f %5d | %8.1f %6.2f | %8.1f %6.2f | %8.2f %6.3f %6d | %8.2f "
                    "%6.3f %6d | %8.1f\n",
                    r.files, r.entries, r.scan, r.scan / n, r.refresh, r.refresh / n, r.refreshRead, r.load, r.load / n,
                    r.sort, r.sort / n, r.views, r.views / n, r.viewItems, r.find, r.find / n, r.hits,
                    r.peakKb / 1024.0);
        std::fflush(stdout);
    }
    return failures == 0 ? 0 : 1;
}
