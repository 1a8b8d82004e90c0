#pragma once
// The JSON form of a plug-in entry, shared by every command that prints entries.

#include <nlohmann/json.hpp>

namespace vardel {
class CPluginEntry;
}

namespace vardel::cli {

// The stored fields in snake_case; with derived, also kind_code,
// image_base_name, description_key, sort_key and real_path. Texts are
// converted from the 8-bit code page to UTF-8.
nlohmann::json EntryToJson(const vardel::CPluginEntry& entry, bool derived);

}  // namespace vardel::cli
