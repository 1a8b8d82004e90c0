// bisect start, bad, good, status, reset: the troublemaker search, one step
// a run, its state kept in the data directory between runs.

#include "cli/Cli.h"
#include "cli/ViewSupport.h"

#include "app/Session.h"
#include "app/TroublemakerSearch.h"
#include "base/MemorySettingsBackend.h"
#include "catalogue/CatalogueScan.h"
#include "catalogue/PluginDirEntry.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"

namespace vardel::cli {

namespace {

nlohmann::json Paths(const TroublemakerState& s, const std::vector<std::uint32_t>& indices)
{
    nlohmann::json out = nlohmann::json::array();
    for (std::uint32_t i : indices)
        out.push_back(pathToUtf8(s.files[i]));
    return out;
}

nlohmann::json StatusJson(const CTroublemakerSearch& search)
{
    if (!search.Active())
        return {{"active", false}};
    const TroublemakerState& s = search.State();
    nlohmann::json out = {
        {"active", true},
        {"directory", s.directory},
        {"files", s.files.size()},
        {"suspects", Paths(s, s.suspects)},
        {"disabled", Paths(s, s.tested)},
        {"disabled_count", s.tested.size()},
        {"steps_left", s.StepsLeft()},
        {"answers", s.answers},
        {"found", s.Found()},
        {"culprit", s.Found() ? nlohmann::json(pathToUtf8(s.files[s.suspects.front()])) : nlohmann::json()},
        {"pending_files", search.PendingFiles()}};
    return out;
}

std::unique_ptr<CVardelSession> OpenWriter(const Common& common, MemorySettingsBackend& backend)
{
    return openSession(common, backend, Access::Write);
}

// Makes the step's renames; throws with the refusal or the failure.
void Apply(CVardelSession& session, const TroublemakerStep& step, bool reset)
{
    if (!step.ok)
        throw CliFailure(step.message ? step.message->text : "Refused.");
    if (auto failed = ApplyTroublemakerStep(session, step, reset))
        throw CliFailure(failed->text);
    if (session.IsCatalogueShown())
        session.SaveCatalogue();
}

void RunStart(const Common& common, int n, const std::string& entries)
{
    MemorySettingsBackend backend;
    auto session = OpenWriter(common, backend);
    CTroublemakerSearch& search = session->Troublemaker();
    if (search.Active()) {
        // A search on: start resumes it (a step cut short is completed).
        Apply(*session, search.Resume(), false);
        printJson(StatusJson(search));
        return;
    }
    CPluginListManager& catalogue = openStoredCatalogue(*session, n);
    std::vector<const CPluginEntry*> chosen;
    const std::vector<int> positions = parseEntryList(entries);
    if (positions.empty()) {
        for (const auto& e : catalogue.m_entries)
            chosen.push_back(e.get());
    } else {
        for (int k : positions) {
            if (k < 0 || static_cast<std::size_t>(k) >= catalogue.m_entries.size())
                throw CliFailure("No entry " + std::to_string(k) + " in the catalogue of directory " +
                                 std::to_string(n));
            chosen.push_back(catalogue.m_entries[static_cast<std::size_t>(k)].get());
        }
    }
    const CPluginDirEntry& dir = *session->Directories()[static_cast<std::size_t>(n)];
    Apply(*session, search.Start(n, CCatalogueScan::CutAtZero(dir.m_directory), chosen), false);
    printJson(StatusJson(search));
}

void RunAnswer(const Common& common, bool stillBroken)
{
    MemorySettingsBackend backend;
    auto session = OpenWriter(common, backend);
    CTroublemakerSearch& search = session->Troublemaker();
    Apply(*session, search.Answer(stillBroken), false);
    printJson(StatusJson(search));
}

void RunReset(const Common& common)
{
    MemorySettingsBackend backend;
    auto session = OpenWriter(common, backend);
    CTroublemakerSearch& search = session->Troublemaker();
    nlohmann::json out = StatusJson(search);
    Apply(*session, search.Reset(), true);
    out["active"] = false;
    out["restored"] = true;
    printJson(out);
}

void RunStatus(const Common& common)
{
    MemorySettingsBackend backend;
    auto session = openSession(common, backend, Access::Read);
    printJson(StatusJson(session->Troublemaker()));
}

}  // namespace

void addTroublemakerCommands(CLI::App& app, Common& common)
{
    CLI::App* bisect = app.add_subcommand("bisect", "Find the plug-in file that breaks a host by halving");
    bisect->require_subcommand(1);
    auto dir = std::make_shared<int>(-1);
    auto entries = std::make_shared<std::string>();
    CLI::App* start = bisect->add_subcommand(
        "start", "Start a search over the enabled plug-ins of directory N (or of the entries); resumes one that is on");
    start->add_option("--dir", *dir, "Directory N of the directory list")->required();
    start->add_option("--entry", *entries, "Entries K1,K2,... of its catalogue (all when left out)");
    start->callback([&common, dir, entries] { RunStart(common, *dir, *entries); });
    bisect->add_subcommand("bad", "The host is still broken with this step's plug-ins")->callback([&common] {
        RunAnswer(common, true);
    });
    bisect->add_subcommand("good", "The host works with this step's plug-ins")->callback([&common] {
        RunAnswer(common, false);
    });
    bisect->add_subcommand("status", "The search on: steps left, the files disabled, the culprit once found (JSON)")
        ->callback([&common] { RunStatus(common); });
    bisect->add_subcommand("reset", "End the search: every file gets its name from before the start")
        ->callback([&common] { RunReset(common); });
}

}  // namespace vardel::cli
