// folders: the plug-in folders of the hosts in this machine's Wine
// prefixes; --add K puts found folder K on the directory list.

#include "cli/Cli.h"

#include "app/Application.h"
#include "app/Session.h"
#include "base/MemorySettingsBackend.h"
#include "catalogue/PluginDirEntry.h"
#include "catalogue/PluginFolderFinder.h"

#include <cstdlib>

namespace vardel::cli {

namespace {

struct FolderOptions {
    std::filesystem::path home;
    std::string extensions = kDefaultExtensions;
    std::optional<int> add;
};

std::filesystem::path homeDirectory(const FolderOptions& o)
{
    if (!o.home.empty())
        return o.home;
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0')
        throw CliFailure("no home directory: HOME is not set (give --home)");
    return home;
}

nlohmann::json searchJson(const FolderSearch& search, const std::filesystem::path& home)
{
    nlohmann::json folders = nlohmann::json::array();
    for (std::size_t k = 0; k < search.folders.size(); ++k) {
        const FoundFolder& f = search.folders[k];
        folders.push_back({{"index", k},
                           {"label", toUtf8(f.label)},
                           {"path", pathToUtf8(f.path)},
                           {"prefix", pathToUtf8(f.prefix)},
                           {"plugin_files", f.pluginFiles},
                           {"listed", f.listedAs >= 0},
                           {"directory", f.listedAs >= 0 ? nlohmann::json(f.listedAs) : nlohmann::json(nullptr)}});
    }
    return {{"home", home.string()}, {"complete", search.complete}, {"folders", folders}};
}

void run(const Common& common, const FolderOptions& o)
{
    const std::filesystem::path home = homeDirectory(o);
    MemorySettingsBackend backend;
    // Adding changes the directory list: the writer lock first, as dirs add takes it.
    auto session = o.add ? openForChange(common, backend) : openSession(common, backend, Access::Read);
    const auto deadline = std::chrono::steady_clock::now() + kFolderSearchTime;
    const FolderSearch search = FindPluginFolders(home, o.extensions, session->Directories(), {}, deadline);
    if (!o.add) {
        printJson(searchJson(search, home));
        return;
    }
    const int k = *o.add;
    if (k < 0 || static_cast<std::size_t>(k) >= search.folders.size())
        throw CliFailure("no found folder " + std::to_string(k) + " (" + std::to_string(search.folders.size()) +
                         " found" + (search.complete ? "" : ", the search ran out of time") + ")");
    const FoundFolder& folder = search.folders[static_cast<std::size_t>(k)];
    if (folder.listedAs >= 0)
        throw CliFailure(pathToUtf8(folder.path) + " is already on the directory list as directory " +
                         std::to_string(folder.listedAs));
    const std::size_t index = addDirectoryOrThrow(*session, MakeDirectoryEntry(folder));
    auto j = dirEntryToJson(*session->Directories()[index]);
    j["index"] = index;
    printJson(j);
}

}  // namespace

void addFolderCommands(CLI::App& app, Common& common)
{
    auto options = std::make_shared<FolderOptions>();
    CLI::App* cmd = app.add_subcommand(
        "folders", "Plug-in folders of the hosts in the Wine prefixes of this machine, with their plug-in files");
    cmd->add_option("--add", options->add, "Add found folder K to the directory list, labelled after its host");
    cmd->add_option("--home", options->home, "Look below this home directory (default: $HOME)");
    cmd->add_option("--extensions", options->extensions, "Extensions of plug-in files")->capture_default_str();
    cmd->callback([&common, options] { run(common, *options); });
}

}  // namespace vardel::cli
