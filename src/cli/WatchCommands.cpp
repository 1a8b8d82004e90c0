// watch: waits until someone changes the plug-in files of a directory (what
// the desktop program follows to refresh its view), then says what changed.

#include "cli/Cli.h"
#include "cli/ViewSupport.h"

#include "app/Session.h"
#include "base/MemorySettingsBackend.h"
#include "catalogue/DiskListing.h"
#include "catalogue/PluginDirEntry.h"

#include <chrono>
#include <iostream>
#include <thread>

namespace vardel::cli {

namespace {

struct WatchOptions {
    int dir = 0;
    double timeout = 60;
    int interval = 500;
};

nlohmann::json pathsJson(const std::vector<std::string>& paths)
{
    nlohmann::json list = nlohmann::json::array();
    for (const std::string& path : paths)
        list.push_back(toUtf8(path));
    return list;
}

void run(const Common& common, const WatchOptions& o)
{
    MemorySettingsBackend backend;
    auto session = openSession(common, backend, Access::Read);
    requireDirectoryList(*session);
    const CPluginListManager& catalogue = openStoredCatalogue(*session, o.dir);
    const CPluginDirEntry& dir = *session->Directories()[static_cast<std::size_t>(o.dir)];
    const Settings& settings = session->GetSettings();
    const ListingSource source = MakeListingSource(dir.m_directory, dir.m_includeSubdirectories != 0,
                                                   {settings.extensions, settings.scanAll != 0}, catalogue);
    const DiskListing before = TakeDiskListing(source);
    if (!before.complete)
        throw CliFailure("cannot list " + toUtf8(dir.m_directory));
    // Said once the listing to compare with is taken: what changes from now on counts.
    std::cerr << "Watching " << before.files.size() << " files below " << toUtf8(dir.m_directory) << std::endl;
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(o.timeout);
    ListingChanges changes;
    while (changes.Empty() && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(o.interval));
        changes = CompareListings(before, TakeDiskListing(source));
    }
    nlohmann::json out;
    out["dir"] = o.dir;
    out["changed"] = !changes.Empty();
    out["added"] = pathsJson(changes.added);
    out["removed"] = pathsJson(changes.removed);
    out["modified"] = pathsJson(changes.changed);
    std::cout << out.dump(2) << std::endl;
}

}  // namespace

void addWatchCommands(CLI::App& app, Common& common)
{
    auto options = std::make_shared<WatchOptions>();
    CLI::App* cmd = app.add_subcommand(
        "watch", "Waits until plug-in files of a directory are added, removed, renamed or changed, and names them");
    cmd->add_option("--dir", options->dir, "Directory N of the directory list")->required();
    cmd->add_option("--timeout", options->timeout, "Seconds to wait at most (then \"changed\" is false)")
        ->check(CLI::Range(0.0, 86400.0));
    cmd->add_option("--interval", options->interval, "Milliseconds between two looks")->check(CLI::Range(10, 60000));
    cmd->callback([&common, options] { run(common, *options); });
}

}  // namespace vardel::cli
