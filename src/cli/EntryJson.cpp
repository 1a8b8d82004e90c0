#include "cli/EntryJson.h"

#include "catalogue/PluginEntry.h"
#include "catalogue/PluginTables.h"
#include "cli/Cli.h"

namespace vardel::cli {

nlohmann::json EntryToJson(const vardel::CPluginEntry& entry, bool derived)
{
    nlohmann::json j = {
        {"path", pathToUtf8(entry.m_path)},
        {"root_index", entry.m_rootIndex},
        {"reserved1", entry.m_reserved1},
        {"kind", entry.m_kind},
        {"resource_type", entry.m_resourceType},
        {"resource_flags", entry.m_resourceFlags},
        {"modes", entry.m_modes},
        {"index_in_file", entry.m_indexInFile},
        {"no_category", entry.m_noCategory},
        {"reserved2", entry.m_reserved2},
        {"enabled", entry.m_enabled},
        {"name", toUtf8(entry.m_name)},
        {"category", toUtf8(entry.m_category)},
        {"name_capacity", entry.m_nameCapacity},
        {"category_capacity", entry.m_categoryCapacity},
        {"name_offset", entry.m_nameOffset},
        {"category_offset", entry.m_categoryOffset},
        {"reserved3", entry.m_reserved3},
    };
    if (derived) {
        j["kind_code"] = toUtf8(vardel::KindCode(entry.m_kind));
        j["image_base_name"] = toUtf8(entry.ImageBaseName());
        j["description_key"] = toUtf8(entry.DescriptionKey());
        j["sort_key"] = toUtf8(entry.SortKey());
        j["real_path"] = pathToUtf8(entry.RealPath());
    }
    return j;
}

}  // namespace vardel::cli
