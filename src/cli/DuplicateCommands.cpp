// duplicates: files with the same content and plug-ins shown twice, across
// every directory of the list; --enable and --disable act on chosen copies.

#include "cli/Cli.h"

#include "app/DirectoryEditing.h"
#include "app/DuplicatesJob.h"
#include "app/Session.h"
#include "base/MemorySettingsBackend.h"
#include "catalogue/PluginDirEntry.h"
#include "catalogue/PluginTables.h"

#include <cstdio>
#include <iostream>

namespace vardel::cli {

namespace {

struct DuplicateOptions {
    std::vector<std::string> enable;
    std::vector<std::string> disable;
};

std::string hexHash(std::uint64_t hash)
{
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

std::string labelOf(CVardelSession& session, int n)
{
    const DirectoryList& dirs = session.Directories();
    return n >= 0 && static_cast<std::size_t>(n) < dirs.size() ? dirs[static_cast<std::size_t>(n)]->m_label
                                                               : std::string();
}

nlohmann::json copyJson(CVardelSession& session, const DuplicateCopy& copy)
{
    nlohmann::json places = nlohmann::json::array();
    for (const auto& p : copy.places)
        places.push_back({{"directory", p.directory},
                          {"label", toUtf8(labelOf(session, p.directory))},
                          {"path", pathToUtf8(p.path)},
                          {"entries", p.entries}});
    nlohmann::json names = nlohmann::json::array();
    for (const auto& name : copy.names)
        names.push_back(toUtf8(name));
    return {{"file", pathToUtf8(copy.file)}, {"enabled", copy.enabled}, {"names", names}, {"places", places}};
}

nlohmann::json resultJson(CVardelSession& session, const CDuplicatesJob& job)
{
    nlohmann::json groups = nlohmann::json::array();
    for (const auto& g : job.Groups()) {
        nlohmann::json j;
        if (g.kind == DuplicateKind::SameContent) {
            j = {{"kind", "content"}, {"size", g.size}, {"hash", hexHash(g.hash)}};
        } else {
            j = {{"kind", "name"},
                 {"class", g.pluginClass},
                 {"class_name", ClassTitle(g.pluginClass)},
                 {"name", toUtf8(g.name)},
                 {"category", toUtf8(g.category)}};
        }
        j["enabled_copies"] = g.EnabledCopies();
        nlohmann::json copies = nlohmann::json::array();
        for (const auto& c : g.copies)
            copies.push_back(copyJson(session, c));
        j["copies"] = copies;
        groups.push_back(j);
    }
    nlohmann::json skipped = nlohmann::json::array();
    for (const auto& s : job.Skipped())
        skipped.push_back(
            {{"directory", s.directory}, {"label", toUtf8(labelOf(session, s.directory))}, {"reason", s.reason}});
    return {{"groups", groups}, {"skipped", skipped}, {"files_hashed", job.FilesHashed()}};
}

// Runs the search and keeps the hashes it computed (when the session may write).
std::unique_ptr<CDuplicatesJob> search(CVardelSession& session)
{
    auto job = std::make_unique<CDuplicatesJob>(session);
    job->Run();
    if (StoreResult saved = job->Commit(session); !saved && session.MayWrite())
        std::cerr << saved.error << '\n';
    return job;
}

// The copy, in any group, one of whose places is the file as given.
const DuplicateCopy* findCopy(const CDuplicatesJob& job, const std::string& file)
{
    for (const auto& g : job.Groups())
        for (const auto& c : g.copies)
            for (const auto& p : c.places)
                if (p.path == file || pathToUtf8(p.path) == file || c.file == file)
                    return &c;
    return nullptr;
}

void setCopies(CVardelSession& session, const CDuplicatesJob& job, const std::vector<std::string>& files, bool flag)
{
    for (const std::string& file : files) {
        const DuplicateCopy* copy = findCopy(job, file);
        if (!copy)
            throw CliFailure(file + " is no copy of any duplicate group");
        // Every directory that holds the file changes with it.
        const CommandResult result = SetCopyEnabled(session, *copy, flag);
        if (!result.accepted || !result.message.empty())
            throw CliFailure(result.message);
    }
}

void run(const Common& common, const DuplicateOptions& o)
{
    const bool changes = !o.enable.empty() || !o.disable.empty();
    MemorySettingsBackend backend;
    // The hashes are kept when the data directory is free; a change needs it.
    auto session = openSession(common, backend, changes ? Access::Write : Access::WriteIfFree);
    requireDirectoryList(*session);
    auto job = search(*session);
    if (changes) {
        setCopies(*session, *job, o.enable, true);
        setCopies(*session, *job, o.disable, false);
        job = search(*session);
    }
    printJson(resultJson(*session, *job));
}

}  // namespace

void addDuplicateCommands(CLI::App& app, Common& common)
{
    auto options = std::make_shared<DuplicateOptions>();
    CLI::App* cmd = app.add_subcommand(
        "duplicates", "Files with the same content and plug-ins of one class with the same name and category, "
                      "across every directory of the list (their stored catalogues)");
    cmd->add_option("--enable", options->enable, "Enable this copy (a path as the groups show it); repeatable");
    cmd->add_option("--disable", options->disable, "Disable this copy (a path as the groups show it); repeatable");
    cmd->callback([&common, options] { run(common, *options); });
}

}  // namespace vardel::cli
