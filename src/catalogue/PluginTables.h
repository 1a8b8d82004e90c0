#pragma once
// The catalogue's vocabulary: plug-in kinds, plug-in classes and resource types.

#include <string>
#include <utility>
#include <vector>

namespace vardel {

constexpr int kKindCount = 24;  // rows 0..23; 1..23 are the known kinds
constexpr int kKindFilter = 1;  // "8BFM"
constexpr int kKindEffect = 9;  // "eFKT"
constexpr int kClassCount = 7;  // plug-in classes 0..6

// Row of a four-character kind code (case-sensitive); 0 when unknown.
int KindFromCode(const std::string& code);
// Code of a row; "****" for a row outside the table.
std::string KindCode(int row);
// Label of a row ("Filter"); "Unknown" for a row outside the table.
std::string KindLabel(int row);
// Plug-in class of a kind row; -1 for row 0 and rows outside the table.
int ClassOfKind(int row);
// Title of a plug-in class; empty for an index outside 0..6.
std::string ClassTitle(int index);
// Name of a resource type ("PiPL"); "Unknown" for any other value.
std::string ResourceTypeName(int type);

}  // namespace vardel

namespace vardel {

// The text with a-z turned into A-Z; other bytes, the code page's accented
// letters included, stay as they are (the stored keys were made that way).
std::string UpperAscii(std::string text);

// A key of the restore database or the PiMI tail cache as written by an
// earlier version, brought into the current form: prefix added when the key
// does not start with a known kind code and "_", a trailing "8BF_nn" shortened
// to "nn", repeated until nothing changes; upper case when anything changed.
std::string NormaliseStoredKey(const std::string& key, const std::string& prefix);

// Applies NormaliseStoredKey to every key of a map of owned records, moving
// each record under its new key; prefixOf(record) picks the prefix for keys
// that carry no kind. Repeats whole passes until nothing changes. Never fails;
// a record whose new key is taken replaces the one stored there.
template <class Map, class PrefixOf>
void NormaliseStoredKeys(Map& entries, PrefixOf prefixOf)
{
    // Each new key is already in its final form, so a second pass only
    // confirms that nothing changes.
    for (bool changed = true; changed;) {
        changed = false;
        std::vector<std::string> keys;
        for (const auto& entry : entries)
            keys.push_back(entry.first);
        for (const auto& key : keys) {
            auto it = entries.find(key);
            if (it == entries.end())
                continue;
            std::string normal = NormaliseStoredKey(key, prefixOf(*it->second));
            if (normal == key)
                continue;
            auto record = std::move(it->second);
            entries.erase(it);
            entries[normal] = std::move(record);
            changed = true;
        }
    }
}

}  // namespace vardel
