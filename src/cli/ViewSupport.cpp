#include "cli/ViewSupport.h"

#include "app/Session.h"
#include "catalogue/PluginDirEntry.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "modify/CommandAvailability.h"

namespace vardel::cli {

CPluginListManager& openStoredCatalogue(CVardelSession& session, int n)
{
    if (n < 0 || static_cast<std::size_t>(n) >= session.Directories().size())
        throw CliFailure("No directory " + std::to_string(n) + " in the directory list");
    const CPluginDirEntry& dir = *session.Directories()[static_cast<std::size_t>(n)];
    if (dir.m_separator || dir.m_catalogueFile.empty())
        throw CliFailure("Directory " + std::to_string(n) + " has no catalogue file");
    UserMessage failure;
    if (!session.OpenStoredCatalogue(n, &failure))
        throw CliFailure(failure.code == MessageCode::CatalogueOutsideDataDir
                             ? failure.text
                             : "Cannot read the catalogue: " + failure.text);
    // The file status is not stored; the program holds it from its last
    // look at the files, so look now (names and categories stay as stored).
    CPluginListManager& catalogue = session.Catalogue();
    for (auto& e : catalogue.m_entries)
        FileStatus::Get(e->m_path, e->m_fileStatus);
    return catalogue;
}

CPluginEntry& openStoredEntry(CVardelSession& session, int n, int k)
{
    CPluginListManager& catalogue = openStoredCatalogue(session, n);
    if (k < 0 || static_cast<std::size_t>(k) >= catalogue.m_entries.size())
        throw CliFailure("No entry " + std::to_string(k) + " in the catalogue of directory " + std::to_string(n));
    return *catalogue.m_entries[static_cast<std::size_t>(k)];
}

std::vector<int> parseEntryList(const std::string& text)
{
    std::vector<int> entries;
    if (text.empty())
        return entries;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        const std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        std::size_t used = 0;
        int value = 0;
        try {
            value = std::stoi(item, &used);
        } catch (const std::exception&) {
            used = 0;
        }
        if (item.empty() || used != item.size())
            throw CLI::ValidationError("--entry: expected K or K1,K2,... (numbers), not " + text);
        entries.push_back(value);
        if (comma == std::string::npos)
            return entries;
        start = comma + 1;
    }
}

nlohmann::json pluginCommandsJson(const std::vector<CPluginEntry*>& selection)
{
    const bool one = selection.size() == 1;
    return {{"enable", CanEnablePlugins(selection)},
            {"disable", CanEnablePlugins(selection)},
            {"move", CanMovePlugins(selection)},
            {"rename", CanRenamePlugin(selection)},
            {"large_preview", one},
            {"properties", one}};
}

nlohmann::json categoryCommandsJson(const CPluginListManager& catalogue, const CPluginEntry* categoryEntry)
{
    std::vector<CPluginEntry*> members;
    if (categoryEntry != nullptr)
        members = CategoryMembers(catalogue, *categoryEntry);
    return {{"enable", CanEnableCategory(categoryEntry, members)},
            {"disable", CanEnableCategory(categoryEntry, members)},
            {"move", CanMoveCategory(categoryEntry, members)},
            {"rename", CanMoveCategory(categoryEntry, members)}};
}

}  // namespace vardel::cli
