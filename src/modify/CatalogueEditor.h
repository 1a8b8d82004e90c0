#pragma once
// The plug-in and category commands of the main view as whole operations on
// the catalogue of one directory: rename, move, enable and disable. Each
// checks that the command is available for its entries, writes through
// CPluginWriter and re-sorts the catalogue where the order may change.

#include "modify/PluginWriter.h"

#include <functional>
#include <string>
#include <vector>

namespace vardel {

class CPluginEntry;
class CPluginListManager;

// Sorts the catalogue's entries by sort key (the document's sort).
using CatalogueSort = std::function<void(CPluginListManager&)>;

inline constexpr const char* kTooShortText = "At least 3 characters are needed.";
inline constexpr const char* kUnavailableText =
    "Not available: a plug-in is read-only, or has no category of its own or no space for one.";
inline constexpr const char* kNothingSelectedText = "No plug-in to change.";

struct EntryWrite {
    CPluginEntry* entry = nullptr;
    WriteResult result;
};

struct CommandResult {
    bool accepted = false;            // the command was available and its text acceptable
    std::string message;              // why it was refused; empty when accepted
    std::vector<EntryWrite> writes;   // rename and move: one per entry, in order
    std::vector<CPluginEntry*> changed;  // enable and disable: entries now in the new state

    // Entries whose write failed with a message to show ("File read only?").
    std::vector<const EntryWrite*> Failures() const;
};

class CCatalogueEditor {
public:
    CCatalogueEditor(CPluginListManager& catalogue, CatalogueSort sort);

    // Rename of one plug-in (end of the label edit): refused when the
    // command is unavailable for it or the text has fewer than 3 characters
    // or more than NameLimit(entry); otherwise SetName.
    WriteResult RenamePlugin(CPluginEntry& entry, const std::string& text);

    // Move of the entries to the category: refused when unavailable, or the
    // text is shorter than 3 or longer than CategoryLimit(entries).
    // Otherwise SetCategory on each entry, then the catalogue is sorted.
    CommandResult MovePlugins(const std::vector<CPluginEntry*>& entries, const std::string& category);

    // Move and rename of a whole category (the plug-ins of the category
    // entry's kind and category), with the same rules as MovePlugins.
    CommandResult MoveCategory(const CPluginEntry& categoryEntry, const std::string& category);
    CommandResult RenameCategory(const CPluginEntry& categoryEntry, const std::string& text);

    // Enable or disable the selected plug-ins together with every entry of
    // their files. Refused when a plug-in is read-only.
    CommandResult EnablePlugins(const std::vector<CPluginEntry*>& selection, bool flag);
    // The same for every plug-in of the category.
    CommandResult EnableCategory(const CPluginEntry& categoryEntry, bool flag);

private:
    CommandResult WriteCategory(const std::vector<CPluginEntry*>& entries, const std::string& category);
    void Enable(const std::vector<CPluginEntry*>& entries, bool flag, CommandResult& result);

    CPluginListManager& m_catalogue;
    CPluginWriter m_writer;
    CatalogueSort m_sort;
};

}  // namespace vardel
