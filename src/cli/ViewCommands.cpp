// view, info, details, describe and the category commands: what the main
// view, the information bar and the property sheet show for a directory's
// catalogue, and the commands of the category list.

#include "cli/Cli.h"
#include "cli/ViewSupport.h"

#include "app/CatalogueView.h"
#include "app/PluginDetails.h"
#include "app/PluginInformation.h"
#include "app/Session.h"
#include "base/CodePage.h"
#include "base/MemorySettingsBackend.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "modify/CommandAvailability.h"
#include "search/DescriptionListManager.h"
#include "search/DescriptionStore.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <set>

namespace vardel::cli {

namespace {

nlohmann::json ItemsJson(const std::vector<ViewItem>& items)
{
    nlohmann::json list = nlohmann::json::array();
    for (const auto& item : items)
        list.push_back({{"text", toUtf8(item.text)}, {"icon", item.icon}, {"entry", item.entry}});
    return list;
}

nlohmann::json ClassesJson(const std::vector<ClassCommand>& commands)
{
    nlohmann::json list = nlohmann::json::array();
    for (const auto& c : commands)
        list.push_back({{"index", c.index},
                        {"name", c.name},
                        {"count", c.count},
                        {"enabled", c.enabled},
                        {"checked", c.checked},
                        {"separator_before", c.separatorBefore}});
    return list;
}

struct ViewOptions {
    int dir = 0;
    std::optional<int> cls;
    std::optional<int> category;
    std::vector<int> select;
};

void RunView(const Common& common, const ViewOptions& o)
{
    MemorySettingsBackend backend;
    auto session = openSession(common, backend, Access::Write);
    selectOrThrow(*session, o.dir);
    if (o.cls && !session->SelectClass(*o.cls))
        throw CliFailure("Class " + std::to_string(*o.cls) + " holds no plug-in; its command is not available.");

    const CPluginListManager& catalogue = session->Catalogue();
    const int cls = session->SelectedClass();
    const auto categories = CategoryItems(catalogue, cls);
    // The view selects item 0 of each list after filling it.
    const int category = o.category.value_or(0);
    if (o.category && (category < 0 || static_cast<std::size_t>(category) >= categories.size()))
        throw CliFailure("No category item " + std::to_string(category) + " (the list has " +
                         std::to_string(categories.size()) + ")");
    std::vector<ViewItem> plugins;
    if (!categories.empty())
        plugins = PluginItems(catalogue, *categories[static_cast<std::size_t>(category)].plugin);

    std::set<int> selected;
    if (o.select.empty() && !plugins.empty())
        selected.insert(0);
    for (int k : o.select) {
        if (k < 0 || static_cast<std::size_t>(k) >= plugins.size())
            throw CliFailure("No plug-in item " + std::to_string(k) + " (the list has " +
                             std::to_string(plugins.size()) + ")");
        selected.insert(k);
    }
    std::vector<CPluginEntry*> selection;
    for (int k : selected)
        selection.push_back(
            session->Catalogue().m_entries[static_cast<std::size_t>(plugins[static_cast<std::size_t>(k)].entry)].get());

    const Indicators n = ComputeIndicators(categories, plugins, static_cast<int>(selected.size()));
    nlohmann::json texts = nlohmann::json::array();
    for (const auto& text : IndicatorTexts(n))
        texts.push_back(text);
    nlohmann::json out = {
        {"class", cls},
        {"class_text", ClassSelectorText(cls)},
        {"classes", ClassesJson(ClassCommands(session->ClassCounts(), cls))},
        {"categories", ItemsJson(categories)},
        {"category", categories.empty() ? nlohmann::json(nullptr) : nlohmann::json(category)},
        {"plugins", ItemsJson(plugins)},
        {"selected", std::vector<int>(selected.begin(), selected.end())},
        {"indicators",
         {{"categories", n.categories}, {"plugins", n.plugins}, {"selected", n.selected}, {"enabled", n.enabled}}},
        {"indicator_texts", texts},
        {"hint", EmptyViewHintName(ChooseEmptyViewHint(1, true, categories.size()))},
        {"plugin_commands", pluginCommandsJson(selection)},
        {"category_commands",
         categoryCommandsJson(catalogue,
                              categories.empty() ? nullptr : categories[static_cast<std::size_t>(category)].plugin)},
    };
    // The class chosen goes into the catalogue file, as at the program's exit.
    session->Exit();
    printJson(out);
}

void RunInfo(const Common& common, int dir, int entry)
{
    MemorySettingsBackend backend;
    // What the bar adds to the description database is kept when the data
    // directory is free; while another program writes there, it adds the
    // same itself when it shows the plug-in. A database that could not be
    // read (told on stderr) is left as it is.
    auto session = openSession(common, backend, Access::WriteIfFree);
    CPluginEntry& e = openStoredEntry(*session, dir, entry);
    PluginInformation info = GetPluginInformation(e, session->Descriptions());
    if (info.addedToDatabase && (!session->MayWrite() || session->StoreLoadResult("keywords").Unreadable()))
        info.addedToDatabase = false;
    else if (info.addedToDatabase) {
        if (auto saved = session->SaveDescriptions(); !saved)
            throw CliFailure("The description database could not be saved: " + saved.error);
    }
    printJson({{"author", toUtf8(info.author)},
               {"description", toUtf8(info.description)},
               {"filename", pathToUtf8(info.filename)},
               {"added_to_database", info.addedToDatabase}});
}

nlohmann::json ModesJson(const std::vector<ModeBox>& modes)
{
    nlohmann::json list = nlohmann::json::array();
    for (const auto& m : modes)
        list.push_back(
            {{"id", m.id}, {"label", m.label}, {"bit", m.bit}, {"checked", m.checked}, {"enabled", m.enabled}});
    return list;
}

nlohmann::json FilterFactoryJson(const PluginDetails& d, const CParameterBlock& block)
{
    nlohmann::json sliders = nlohmann::json::array();
    for (const auto& s : d.sliders)
        sliders.push_back({{"visible", s.visible}, {"label", toUtf8(s.label)}, {"value", s.value}});
    nlohmann::json ff = {
        {"protected", d.isProtected},          {"sliders", sliders},
        {"author", toUtf8(block.GetAuthor())}, {"copyright", toUtf8(block.GetCopyright())},
        {"title", toUtf8(block.GetTitle())},   {"category", toUtf8(block.GetCategory())},
    };
    // A protected filter hides its formulas: the sheet has no page for them.
    if (!d.isProtected) {
        nlohmann::json formulas = nlohmann::json::array();
        for (int i = 0; i < CParameterBlock::kFormulaCount; ++i)
            formulas.push_back(toUtf8(block.GetFormula(i)));
        ff["formulas"] = formulas;
    }
    return ff;
}

void RunDetails(const Common& common, int dir, int entry)
{
    MemorySettingsBackend backend;
    auto session = openSession(common, backend, Access::Read);
    CPluginEntry& e = openStoredEntry(*session, dir, entry);
    const auto block = ReadBlockForDetails(e);
    if (!block)
        throw CliFailure("The Filter Factory parameter block of " + pathToUtf8(e.m_path) +
                         " cannot be read; the property sheet does not open.");
    const PluginDetails d = GetPluginDetails(e, session->Catalogue(), session->Restore(), &*block);
    nlohmann::json lines = nlohmann::json::array();
    for (const auto& line : d.pluginsInFile)
        lines.push_back(toUtf8(line));
    nlohmann::json out = {
        {"title", kSheetTitle},
        {"pages", d.pages},
        {"name", toUtf8(d.name)},
        {"category", toUtf8(d.category)},
        {"kind", d.kindLabel},
        {"resource", d.resourceLabel},
        {"factory", d.factoryVariant},
        {"original_name", toUtf8(d.originalName)},
        {"original_category", toUtf8(d.originalCategory)},
        {"filename", pathToUtf8(d.path)},
        {"size", d.sizeText},
        {"plugins_in_file", lines},
        {"modes", ModesJson(d.modes)},
        {"about_box", d.canShowAboutBox},
        {"about_box_reason", d.aboutBoxReason},
        {"machine", d.machine},
        {"signed", d.isSigned},
        {"name_limit", NameLimit(e)},
        {"category_limit", CategoryLimit({&e})},
    };
    if (d.isFilterFactory)
        out["filter_factory"] = FilterFactoryJson(d, *block);
    printJson(out);
}

struct DescribeOptions {
    int dir = 0;
    int entry = 0;
    std::optional<std::string> description;
    std::optional<std::string> keywords;
};

void RunDescribe(const Common& common, const DescribeOptions& o)
{
    MemorySettingsBackend backend;
    const bool storing = o.description || o.keywords;
    auto session = openSession(common, backend, storing ? Access::Write : Access::Read);
    CPluginEntry& e = openStoredEntry(*session, o.dir, o.entry);
    CDescriptionListManager& db = session->Descriptions();
    const std::string key = e.DescriptionKey();
    std::string description, keywords;
    db.Get(key, description, keywords);
    bool stored = false;
    if (storing) {
        // The page's two fields: what was loaded, with the texts given typed over it.
        if (o.description)
            description = utf8ToCodePage(*o.description);
        if (o.keywords)
            keywords = utf8ToCodePage(*o.keywords);
        const DescriptionStored result = StoreDescription(db, key, description, keywords);
        stored = result.stored;
        if (result.changed) {
            if (auto saved = session->SaveDescriptions(); !saved)
                throw CliFailure("The description database could not be saved: " + saved.error);
        }
    }
    // What the database holds now (both texts empty stored nothing).
    description.clear();
    keywords.clear();
    db.Get(key, description, keywords);
    printJson({{"key", key},
               {"found", db.Find(key) >= 0},
               {"stored", stored},
               {"description", toUtf8(description)},
               {"keywords", toUtf8(keywords)}});
}

void AddEntryOptions(CLI::App* cmd, int& dir, int& entry)
{
    cmd->add_option("--dir", dir, "Directory N of the directory list (its stored catalogue)")->required();
    cmd->add_option("--entry", entry, "Entry K of that catalogue (position in the sorted catalogue)")->required();
}

}  // namespace

void addViewCommands(CLI::App& app, Common& common)
{
    auto view = std::make_shared<ViewOptions>();
    CLI::App* cmd = app.add_subcommand("view", "Select a directory and print what the main view shows");
    cmd->add_option("--dir", view->dir, "Directory N of the directory list")->required();
    cmd->add_option("--class", view->cls, "Apply the class command C (0..6) first");
    cmd->add_option("--category", view->category, "Select category item I (default 0)");
    cmd->add_option("--select", view->select, "Select the plug-in items K1,K2,... (default 0)")->delimiter(',');
    cmd->callback([&common, view] { RunView(common, *view); });

    auto info = std::make_shared<std::pair<int, int>>();
    cmd = app.add_subcommand("info", "Print the information bar for a plug-in");
    AddEntryOptions(cmd, info->first, info->second);
    cmd->callback([&common, info] { RunInfo(common, info->first, info->second); });

    auto details = std::make_shared<std::pair<int, int>>();
    cmd = app.add_subcommand("details", "Print what the property sheet shows for a plug-in");
    AddEntryOptions(cmd, details->first, details->second);
    cmd->callback([&common, details] { RunDetails(common, details->first, details->second); });

    auto describe = std::make_shared<DescribeOptions>();
    cmd = app.add_subcommand("describe", "Print or store a plug-in's description and keywords");
    AddEntryOptions(cmd, describe->dir, describe->entry);
    cmd->add_option("--description", describe->description, "The description to store");
    cmd->add_option("--keywords", describe->keywords, "The keywords to store");
    cmd->callback([&common, describe] { RunDescribe(common, *describe); });

    addCategoryCommands(app, common);
}

}  // namespace vardel::cli
