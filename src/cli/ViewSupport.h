#pragma once
// Shared by the view and category commands of vardel-cli: a directory's
// stored catalogue with one of its entries, and the availability of the
// plug-in and category commands as JSON.

#include "cli/Cli.h"

#include <string>
#include <vector>

namespace vardel {
class CPluginEntry;
class CPluginListManager;
class CVardelSession;
}  // namespace vardel

namespace vardel::cli {

// Shows directory n's catalogue as its file holds it (as the --entry forms
// of rename and move do), looks up the file status of every entry (read-only
// files, sizes) and returns entry k. Throws CliFailure when n or k is not
// there or the catalogue cannot be read.
CPluginEntry& openStoredEntry(CVardelSession& session, int n, int k);
CPluginListManager& openStoredCatalogue(CVardelSession& session, int n);

// {"enable", "disable", "move", "rename", "large_preview", "properties"} for
// a selection of plug-ins.
nlohmann::json pluginCommandsJson(const std::vector<CPluginEntry*>& selection);
// {"enable", "disable", "move", "rename"} for the category item standing for
// the entry (null: no category selected).
nlohmann::json categoryCommandsJson(const CPluginListManager& catalogue, const CPluginEntry* categoryEntry);

// rename-category, move-category, enable-category, disable-category, plan.
void addCategoryCommands(CLI::App& app, Common& common);

// "K" or "K1,K2,...": the entry positions; none for "". Throws
// CLI::ValidationError (a usage error) for anything else.
std::vector<int> parseEntryList(const std::string& text);

// move --dir N --entry K1,K2,... CATEGORY: several plug-ins of the stored
// catalogue to one category, as the Move dialog does for a selection.
void runMoveEntries(const Common& common, int n, const std::vector<int>& entries, const std::string& category);

}  // namespace vardel::cli
