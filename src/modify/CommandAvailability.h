#pragma once
// The rules the views ask before they offer a plug-in or category command,
// and the list icons that show a plug-in's or a category's state. Plain
// predicates over a selection: no view state here.

#include <atomic>
#include <string>
#include <vector>

namespace vardel {

class CPluginEntry;
class CPluginListManager;

// The longest category any text may be when it has no plug-in to fit.
inline constexpr int kNoCategoryLimit = 255;
// Names and categories shorter than this are refused.
inline constexpr int kMinimumTextLength = 3;
// True when a new name or category is long enough to be written: the editor,
// the category dialog, the in-place edits and a drop all ask this.
inline bool IsLongEnough(const std::string& text)
{
    return text.size() >= static_cast<std::size_t>(kMinimumTextLength);
}

// Icons of both lists.
enum ListIcon : int {
    kIconEnabled = 0,
    kIconDisabled = 1,
    kIconPartly = 2,    // categories only
    kIconReadOnly = 3,  // added to any of the above
};

// True when the entry's file status has the read-only attribute.
bool IsReadOnlyPlugin(const CPluginEntry& entry);
// True when the entry may get a new category (or name): not read-only, has a
// category of its own and at least one byte of space for it.
bool IsEditableForMove(const CPluginEntry& entry);

// Plug-in Enable and Disable: something selected, nothing read-only.
bool CanEnablePlugins(const std::vector<CPluginEntry*>& selection);
// Plug-in Move: something selected, every entry editable for a move.
bool CanMovePlugins(const std::vector<CPluginEntry*>& selection);
// Plug-in Rename: exactly one entry, editable for a move.
bool CanRenamePlugin(const std::vector<CPluginEntry*>& selection);
// Category Enable and Disable: a category is selected (its entry is not
// null) and none of its plug-ins is read-only.
bool CanEnableCategory(const CPluginEntry* categoryEntry, const std::vector<CPluginEntry*>& members);
// Category Move and Rename: a category is selected and all its plug-ins are
// editable for a move.
bool CanMoveCategory(const CPluginEntry* categoryEntry, const std::vector<CPluginEntry*>& members);

// The longest name a rename of the entry may offer ("Up to %d characters"
// and the edit box's limit): the longest name the writer accepts for it,
// read from its file (CPluginWriter::NameLimit). For Filter Factory filters
// the name property's data limits it, otherwise the name capacity; 0 when
// the name cannot be written.
int NameLimit(const CPluginEntry& entry);

// The longest category a move of the entries may offer: the smallest of the
// limits the writer enforces for them (CPluginWriter::CategoryLimit, at most
// each category capacity); 255 when there are none. Reads every entry's
// file; once stop is set it reads no more (the result then means nothing).
int CategoryLimit(const std::vector<CPluginEntry*>& entries, const std::atomic<bool>* stop = nullptr);

// The plug-ins a category item stands for: every entry of the item entry's
// kind with exactly its category text, in catalogue order.
std::vector<CPluginEntry*> CategoryMembers(const CPluginListManager& catalogue, const CPluginEntry& categoryEntry);

// Icon of a plug-in item: 0 enabled, 1 disabled, plus 3 when read-only.
int PluginIcon(const CPluginEntry& entry);
// Icon of a category item: 0 all enabled, 1 none enabled, 2 partly enabled,
// plus 3 when any of its plug-ins is read-only.
int CategoryIcon(const CPluginListManager& catalogue, const CPluginEntry& categoryEntry);

}  // namespace vardel
