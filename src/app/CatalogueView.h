#pragma once
// What the main view shows, computed from the catalogue without any window:
// the class selector and its commands, the category list of a class, the
// plug-in list of a category item and the four status bar indicators. The
// Qt models only wrap these.

#include "catalogue/PluginEntry.h"   // ListLabel
#include "catalogue/PluginTables.h"  // kClassCount

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace vardel {

class CPluginEntry;
class CPluginListManager;

// One item of the class menu.
struct ClassCommand {
    int index = 0;                 // class 0..6
    std::string name;              // "Photoshop Filter Plugins", ...
    int count = 0;                 // plug-ins of the class in the catalogue
    bool enabled = false;          // the class holds at least one plug-in
    bool checked = false;          // the selected class
    bool separatorBefore = false;  // before classes 2, 4 and 5
};

// One item of the category or the plug-in list.
struct ViewItem {
    std::string text;
    int icon = 0;
    int entry = -1;                        // position in the sorted catalogue
    const CPluginEntry* plugin = nullptr;  // the entry the item stands for
    // Category items: whether the category's Enable and Disable, and its
    // Move and Rename, are available (CanEnableCategory, CanMoveCategory
    // over its plug-ins).
    bool canEnable = false;
    bool canMove = false;
};

struct Indicators {
    int categories = 0;  // items of the category list
    int plugins = 0;     // items of the plug-in list
    int selected = 0;    // selected plug-in items
    int enabled = 0;     // enabled plug-ins in the plug-in list
};

// True for the classes whose category list shows categories (Photoshop
// filters, class 0, and Premiere effects, class 2); the others list kinds.
bool ClassListsCategories(int cls);
// The class selector's text: the selected class's title, "" when none.
std::string ClassSelectorText(int selectedClass);
// The seven class commands with availability and check mark.
std::vector<ClassCommand> ClassCommands(const std::array<int, 10>& counts, int selectedClass);
// The category list of class cls: one item per category (classes 0 and 2)
// or per kind (the others), in catalogue order; empty for cls < 0.
std::vector<ViewItem> CategoryItems(const CPluginListManager& catalogue, int cls);
// Sets the icon (for classes with categories) and the availability of the
// category commands of every category item, in one pass over the catalogue:
// what they are after the plug-ins' states changed.
void DescribeCategoryItems(const CPluginListManager& catalogue, int cls, std::vector<ViewItem>& items);
// The plug-in list of a category item: every entry of the item entry's kind
// with exactly its category, names without trailing blanks.
std::vector<ViewItem> PluginItems(const CPluginListManager& catalogue, const CPluginEntry& categoryEntry);
// The four numbers; selectedCount is the number of selected plug-in items.
Indicators ComputeIndicators(const std::vector<ViewItem>& categories, const std::vector<ViewItem>& plugins,
                             int selectedCount);
// "Categories: 12", "Plugins: 12", "Selected: 1", "Enabled: 11".
std::array<std::string, 4> IndicatorTexts(const Indicators& indicators);

// The class a freshly counted catalogue shows: the selected class when it
// holds plug-ins, else the first class that does; -1 when none does.
int ChooseClass(const std::array<int, 10>& counts, int selectedClass);
// The plug-in counts per class (kind 0 counts nowhere; slots 7..9 stay 0).
std::array<int, 10> CountPluginClasses(const CPluginListManager& catalogue);
// What an empty category list says to do next.
enum class EmptyViewHint {
    None,               // the list has items
    NoDirectory,        // no plug-in directory is set up: File > Setup...
    NoDirectoryChosen,  // directories exist, none is on show: Plugin > Directory
    NoPlugins,          // the directory on show holds no plug-in
};
// The hint for a view over directories (separators not counted), whether
// a directory's catalogue is on show and the number of category items.
EmptyViewHint ChooseEmptyViewHint(int directories, bool directoryShown, std::size_t categoryItems);
// "no_directory", "no_directory_chosen", "no_plugins", "" for None.
const char* EmptyViewHintName(EmptyViewHint hint);

// A plug-in as it is found again in a catalogue read afresh: by the file it
// is recorded at and its place among that file's plug-ins (its name and
// category may have changed meanwhile).
struct PluginIdentity {
    std::string path;
    int indexInFile = 0;
    bool operator==(const PluginIdentity&) const = default;
};
PluginIdentity IdentityOf(const CPluginEntry& entry);
// The entries of the catalogue with these identities, in catalogue order;
// those no longer there are left out.
std::vector<const CPluginEntry*> FindByIdentity(const CPluginListManager& catalogue,
                                                const std::vector<PluginIdentity>& identities);

}  // namespace vardel
