// rename-category, move-category, enable-category, disable-category, and
// move for several plug-ins: the commands of the category list and of a
// multiple selection, on a directory's stored catalogue, each printing what
// was written and what was refused; and plan, which prints what one of them
// would change, as the questions the program asks first.

#include "cli/Cli.h"
#include "cli/ViewSupport.h"

#include "app/PluginDetails.h"
#include "base/CodePage.h"
#include "base/MemorySettingsBackend.h"
#include "app/OriginalsFirst.h"
#include "app/Session.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "modify/CatalogueEditor.h"
#include "modify/CategoryDialog.h"
#include "modify/ChangePlan.h"
#include "modify/CommandAvailability.h"

#include <algorithm>
#include <map>
#include <memory>

namespace vardel::cli {

namespace {

const char* StatusName(WriteStatus status)
{
    switch (status) {
    case WriteStatus::Written: return "written";
    case WriteStatus::NotLocated: return "not_located";
    case WriteStatus::NotWritable: return "not_writable";
    case WriteStatus::TooLong: return "too_long";
    case WriteStatus::ReadOnly: return "read_only";
    case WriteStatus::ChangedOnDisk: return "changed_on_disk";
    case WriteStatus::Refused: return "refused";
    }
    return "refused";
}

nlohmann::json PluginJson(const CVardelSession& session, const CPluginEntry& e)
{
    return {{"entry", session.EntryIndex(&e)},
            {"name", toUtf8(e.m_name)},
            {"category", toUtf8(e.m_category)},
            {"path", pathToUtf8(e.m_path)},
            {"enabled", e.m_enabled != 0},
            // A rewritten file keeps its certificate table, but the signature no longer holds.
            {"signed", IsSignedPlugin(e)}};
}

// The outcome as JSON: every write, or every entry with its new state.
nlohmann::json ResultJson(const CVardelSession& session, const CommandResult& result,
                          const std::vector<CPluginEntry*>& members)
{
    nlohmann::json plugins = nlohmann::json::array();
    for (const auto& w : result.writes) {
        nlohmann::json p = PluginJson(session, *w.entry);
        p["status"] = StatusName(w.result.status);
        p["message"] = toUtf8(w.result.message);
        plugins.push_back(p);
    }
    if (result.writes.empty()) {
        std::vector<CPluginEntry*> listed = members;
        for (CPluginEntry* e : result.changed)
            if (std::find(listed.begin(), listed.end(), e) == listed.end())
                listed.push_back(e);
        for (CPluginEntry* e : listed) {
            nlohmann::json p = PluginJson(session, *e);
            const bool changed = std::find(result.changed.begin(), result.changed.end(), e) != result.changed.end();
            p["status"] = !result.accepted ? "refused" : changed ? "changed" : "unchanged";
            plugins.push_back(p);
        }
    }
    return {{"accepted", result.accepted}, {"message", toUtf8(result.message)}, {"plugins", plugins}};
}

// Prints the outcome, keeps the catalogue as the program does at its exit,
// and fails when the command was refused or a write failed.
void Finish(CVardelSession& session, const CommandResult& result, nlohmann::json out)
{
    bool changed = !result.changed.empty();
    for (const auto& w : result.writes)
        changed = changed || w.result.Written();
    bool saved = true;
    if (changed) {
        session.SortCatalogue();
        saved = session.SaveCatalogue();
        session.Exit();
    }
    printJson(out);
    if (!result.accepted)
        throw CliFailure(result.message.empty() ? "The command was refused." : result.message);
    const auto failures = result.Failures();
    if (!failures.empty())
        throw CliFailure(failures.front()->result.message);
    if (!saved)
        throw CliFailure("The plug-ins were changed, but the catalogue could not be saved.");
}

// What the "Enter Category" dialog offers for the entries.
void AddDialog(nlohmann::json& out, const CPluginListManager& catalogue, const std::vector<CPluginEntry*>& entries)
{
    CCategoryDialog dialog(catalogue, entries);
    out["limit"] = dialog.Limit();
    out["limit_text"] = dialog.LimitText();
    nlohmann::json proposals = nlohmann::json::array();
    for (const auto& p : dialog.Proposals())
        proposals.push_back(toUtf8(p));
    out["proposals"] = proposals;
}

enum class CategoryAction { Rename, Move, Enable, Disable };

struct CategoryOptions {
    CategoryAction action = CategoryAction::Rename;
    int dir = 0;
    int entry = 0;
    std::string text;
};

void RunCategory(const Common& common, const CategoryOptions& o)
{
    MemorySettingsBackend backend;
    auto session = openSession(common, backend, Access::Write);
    CPluginEntry& entry = openStoredEntry(*session, o.dir, o.entry);
    CPluginListManager& catalogue = session->Catalogue();
    const std::vector<CPluginEntry*> members = CategoryMembers(catalogue, entry);
    CVardelSession& shown = *session;
    CCatalogueEditor editor(
        catalogue, [&shown](CPluginListManager&) { shown.SortCatalogue(); }, session->CatalogueWriteScope(),
        session->Recorder());
    COriginalsFirst(*session).BeforeChange();

    nlohmann::json dialog = nlohmann::json::object();
    CommandResult result;
    const std::string text = utf8ToCodePage(o.text);
    switch (o.action) {
    case CategoryAction::Rename:
        dialog["limit"] = CategoryLimit(members);
        result = editor.RenameCategory(entry, text);
        break;
    case CategoryAction::Move:
        AddDialog(dialog, catalogue, members);
        result = editor.MoveCategory(entry, text);
        break;
    case CategoryAction::Enable:
    case CategoryAction::Disable: result = editor.EnableCategory(entry, o.action == CategoryAction::Enable); break;
    }
    nlohmann::json out = ResultJson(*session, result, members);
    out.update(dialog);
    if (o.action == CategoryAction::Rename || o.action == CategoryAction::Move)
        out["text"] = o.text;
    Finish(*session, result, out);
}

void AddCategoryCommand(CLI::App& app, Common& common, const char* name, CategoryAction action, const char* help)
{
    auto options = std::make_shared<CategoryOptions>();
    options->action = action;
    CLI::App* cmd = app.add_subcommand(name, help);
    cmd->add_option("--dir", options->dir, "Directory N of the directory list (its stored catalogue)")->required();
    cmd->add_option("--entry", options->entry, "An entry of the category (position in the sorted catalogue)")
        ->required();
    if (action == CategoryAction::Rename || action == CategoryAction::Move)
        cmd->add_option("text", options->text, "The new category")->required();
    cmd->callback([&common, options] { RunCategory(common, *options); });
}

// The entries at the positions, each once, in the order given; throws when a
// position is not in directory n's catalogue.
std::vector<CPluginEntry*> EntriesAt(const CPluginListManager& catalogue, int n, const std::vector<int>& positions)
{
    std::vector<CPluginEntry*> selection;
    for (int k : positions) {
        if (k < 0 || static_cast<std::size_t>(k) >= catalogue.m_entries.size())
            throw CliFailure("No entry " + std::to_string(k) + " in the catalogue of directory " + std::to_string(n));
        CPluginEntry* e = catalogue.m_entries[static_cast<std::size_t>(k)].get();
        if (std::find(selection.begin(), selection.end(), e) == selection.end())
            selection.push_back(e);
    }
    return selection;
}

enum class PlanAction { Enable, Disable, Write };

struct PlanOptions {
    PlanAction action = PlanAction::Enable;
    int dir = 0;
    std::string entries;
    bool category = false;
};

// What enable, disable, rename or move would change, changing nothing: the
// files, the plug-ins that change with their files without being named (the
// "also enables" question) and the signed files whose signature breaks.
void RunPlan(const Common& common, const PlanOptions& o)
{
    const std::vector<int> entries = parseEntryList(o.entries);
    if (entries.empty())
        throw CLI::ValidationError("--entry needs K or K1,K2,...");
    if (o.category && entries.size() > 1)
        throw CLI::ValidationError("--category takes one entry");
    MemorySettingsBackend backend;
    auto session = openSession(common, backend, Access::Read);
    CPluginListManager& catalogue = openStoredCatalogue(*session, o.dir);
    const std::vector<CPluginEntry*> selection = EntriesAt(catalogue, o.dir, entries);
    const bool flag = o.action == PlanAction::Enable;
    ChangePlan plan;
    if (o.action == PlanAction::Write)
        plan = o.category ? PlanWriteCategory(catalogue, *selection.front()) : PlanWrite(selection);
    else
        plan = o.category ? PlanEnableCategory(catalogue, *selection.front(), flag)
                          : PlanEnable(catalogue, selection, flag);
    plan.signedFiles = SignedFilesOf(plan.files, plan.paths);

    const auto pathsJson = [](const std::vector<std::string>& paths) {
        nlohmann::json out = nlohmann::json::array();
        for (const auto& path : paths)
            out.push_back(pathToUtf8(path));
        return out;
    };
    nlohmann::json mates = nlohmann::json::array();
    for (const CPluginEntry* e : plan.fileMates)
        mates.push_back(PluginJson(*session, *e));
    printJson({{"files", pathsJson(plan.files)}, {"file_mates", mates}, {"signed_files", pathsJson(plan.signedFiles)}});
}

void AddPlanCommand(CLI::App& app, Common& common)
{
    auto options = std::make_shared<PlanOptions>();
    CLI::App* cmd =
        app.add_subcommand("plan", "Print what enable, disable, rename or move would change, changing nothing");
    const std::map<std::string, PlanAction> actions{
        {"enable", PlanAction::Enable}, {"disable", PlanAction::Disable}, {"write", PlanAction::Write}};
    cmd->add_option("action", options->action, "enable, disable, or write (rename and move)")
        ->required()
        ->transform(CLI::CheckedTransformer(actions));
    cmd->add_option("--dir", options->dir, "Directory N of the directory list (its stored catalogue)")->required();
    cmd->add_option("--entry", options->entries, "Entry K, or K1,K2,... (positions in the sorted catalogue)")
        ->required();
    cmd->add_flag("--category", options->category, "The whole category of entry K, as the category list's commands");
    cmd->callback([&common, options] { RunPlan(common, *options); });
}

}  // namespace

void runMoveEntries(const Common& common, int n, const std::vector<int>& entries, const std::string& category)
{
    MemorySettingsBackend backend;
    auto session = openSession(common, backend, Access::Write);
    CPluginListManager& catalogue = openStoredCatalogue(*session, n);
    const std::vector<CPluginEntry*> selection = EntriesAt(catalogue, n, entries);
    nlohmann::json dialog = nlohmann::json::object();
    AddDialog(dialog, catalogue, selection);
    CVardelSession& shown = *session;
    CCatalogueEditor editor(
        catalogue, [&shown](CPluginListManager&) { shown.SortCatalogue(); }, session->CatalogueWriteScope(),
        session->Recorder());
    COriginalsFirst(*session).BeforeChange();
    const CommandResult result = editor.MovePlugins(selection, utf8ToCodePage(category));
    nlohmann::json out = ResultJson(*session, result, selection);
    out.update(dialog);
    out["text"] = category;
    out["category"] = category;
    Finish(*session, result, out);
}

void addCategoryCommands(CLI::App& app, Common& common)
{
    AddCategoryCommand(app, common, "rename-category", CategoryAction::Rename,
                       "Rename a category: write the new text into every plug-in of it");
    AddCategoryCommand(app, common, "move-category", CategoryAction::Move,
                       "Move every plug-in of a category to another category");
    AddCategoryCommand(app, common, "enable-category", CategoryAction::Enable, "Enable every plug-in of a category");
    AddCategoryCommand(app, common, "disable-category", CategoryAction::Disable, "Disable every plug-in of a category");
    AddPlanCommand(app, common);
}

}  // namespace vardel::cli
