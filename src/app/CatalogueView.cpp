#include "app/CatalogueView.h"

#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "modify/CommandAvailability.h"

#include <functional>
#include <set>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace vardel {

namespace {

// The kind of the classes whose category list shows categories.
int CategoryKindOf(int cls)
{
    switch (cls) {
    case 0: return kKindFilter;
    case 2: return kKindEffect;
    default: return -1;
    }
}

}  // namespace

bool ClassListsCategories(int cls)
{
    return CategoryKindOf(cls) >= 0;
}

std::string ClassSelectorText(int selectedClass)
{
    return ClassTitle(selectedClass);
}

std::vector<ClassCommand> ClassCommands(const std::array<int, 10>& counts, int selectedClass)
{
    std::vector<ClassCommand> commands;
    for (int cls = 0; cls < kClassCount; ++cls) {
        ClassCommand c;
        c.index = cls;
        c.name = ClassTitle(cls);
        c.count = counts[static_cast<std::size_t>(cls)];
        c.enabled = c.count >= 1;
        c.checked = cls == selectedClass;
        // The menu groups Photoshop, After Effects, Illustrator and Premiere.
        c.separatorBefore = cls == 2 || cls == 4 || cls == 5;
        commands.push_back(std::move(c));
    }
    return commands;
}

std::vector<ViewItem> CategoryItems(const CPluginListManager& catalogue, int cls)
{
    std::vector<ViewItem> items;
    if (cls < 0 || cls >= kClassCount)
        return items;
    const int categoryKind = CategoryKindOf(cls);
    // One item per distinct text (or kind), in order of first appearance.
    // The sort key is upper case and begins with the root index, so texts
    // that differ only in case, and the same category under a second root,
    // need not stand next to each other; comparing with the last item taken
    // would list them twice.
    std::unordered_set<std::string_view> categoriesTaken;
    std::set<int> kindsTaken;
    for (std::size_t i = 0; i < catalogue.m_entries.size(); ++i) {
        const CPluginEntry& e = *catalogue.m_entries[i];
        ViewItem item;
        if (categoryKind >= 0) {
            if (e.m_kind != categoryKind || !categoriesTaken.insert(e.m_category).second)
                continue;
            item.text = e.m_category;
        } else {
            if (ClassOfKind(e.m_kind) != cls || !kindsTaken.insert(e.m_kind).second)
                continue;
            item.text = KindLabel(e.m_kind);
        }
        item.entry = static_cast<int>(i);
        item.plugin = &e;
        items.push_back(std::move(item));
    }
    DescribeCategoryItems(catalogue, cls, items);
    return items;
}

namespace {

// A category item's plug-ins: the entries of its entry's kind and category.
struct CategoryKey {
    int kind;
    std::string_view category;
    bool operator==(const CategoryKey&) const = default;
};

struct CategoryKeyHash {
    std::size_t operator()(const CategoryKey& k) const
    {
        return std::hash<std::string_view>{}(k.category) * 31 + static_cast<std::size_t>(k.kind);
    }
};

}  // namespace

void DescribeCategoryItems(const CPluginListManager& catalogue, int cls, std::vector<ViewItem>& items)
{
    // What CategoryIcon, CanEnableCategory and CanMoveCategory find over the
    // members of each item, counted for all items in one pass.
    struct Count {
        int plugins = 0, enabled = 0, readOnly = 0, editable = 0;
    };
    std::vector<Count> counts(items.size());
    std::unordered_map<CategoryKey, std::size_t, CategoryKeyHash> byKey;
    byKey.reserve(items.size());
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].plugin)
            byKey.try_emplace(CategoryKey{items[i].plugin->m_kind, items[i].plugin->m_category}, i);
    for (const auto& e : catalogue.m_entries) {
        const auto it = byKey.find(CategoryKey{e->m_kind, e->m_category});
        if (it == byKey.end())
            continue;
        Count& c = counts[it->second];
        ++c.plugins;
        c.enabled += e->m_enabled ? 1 : 0;
        c.readOnly += IsReadOnlyPlugin(*e) ? 1 : 0;
        c.editable += IsEditableForMove(*e) ? 1 : 0;
    }
    const bool withCategories = ClassListsCategories(cls);
    for (std::size_t i = 0; i < items.size(); ++i) {
        ViewItem& item = items[i];
        const Count& c = counts[i];
        if (!item.plugin) {
            item.canEnable = item.canMove = false;
            continue;
        }
        if (withCategories) {
            const int icon = c.enabled == c.plugins ? kIconEnabled : c.enabled == 0 ? kIconDisabled : kIconPartly;
            item.icon = c.readOnly >= 1 ? icon + kIconReadOnly : icon;
        } else {
            item.icon = kIconEnabled;
        }
        item.canEnable = c.readOnly == 0;
        item.canMove = IsEditableForMove(*item.plugin) && c.editable == c.plugins;
    }
}

std::vector<ViewItem> PluginItems(const CPluginListManager& catalogue, const CPluginEntry& categoryEntry)
{
    // Copied first: the category entry is one of the items.
    const int kind = categoryEntry.m_kind;
    const std::string category = categoryEntry.m_category;
    std::vector<ViewItem> items;
    for (std::size_t i = 0; i < catalogue.m_entries.size(); ++i) {
        const CPluginEntry& e = *catalogue.m_entries[i];
        if (e.m_kind != kind || e.m_category != category)
            continue;
        ViewItem item;
        item.text = ListLabel(e.m_name);
        item.icon = PluginIcon(e);
        item.entry = static_cast<int>(i);
        item.plugin = &e;
        items.push_back(std::move(item));
    }
    return items;
}

Indicators ComputeIndicators(const std::vector<ViewItem>& categories, const std::vector<ViewItem>& plugins,
                             int selectedCount)
{
    Indicators n;
    n.categories = static_cast<int>(categories.size());
    n.plugins = static_cast<int>(plugins.size());
    n.selected = selectedCount;
    for (const ViewItem& item : plugins)
        if (item.plugin != nullptr && item.plugin->m_enabled)
            ++n.enabled;
    return n;
}

std::array<std::string, 4> IndicatorTexts(const Indicators& indicators)
{
    // The status bar resources are "Categories: 000" and so on; the three
    // placeholder digits give way to the number.
    return {"Categories: " + std::to_string(indicators.categories), "Plugins: " + std::to_string(indicators.plugins),
            "Selected: " + std::to_string(indicators.selected), "Enabled: " + std::to_string(indicators.enabled)};
}

int ChooseClass(const std::array<int, 10>& counts, int selectedClass)
{
    if (selectedClass >= 0 && selectedClass < static_cast<int>(counts.size()) &&
        counts[static_cast<std::size_t>(selectedClass)] >= 1)
        return selectedClass;
    for (std::size_t c = 0; c < counts.size(); ++c)
        if (counts[c] >= 1)
            return static_cast<int>(c);
    return -1;
}

std::array<int, 10> CountPluginClasses(const CPluginListManager& catalogue)
{
    std::array<int, 10> counts{};
    for (const auto& e : catalogue.m_entries) {
        const int cls = ClassOfKind(e->m_kind);
        if (cls >= 0 && cls < static_cast<int>(counts.size()))
            ++counts[static_cast<std::size_t>(cls)];
    }
    return counts;
}

EmptyViewHint ChooseEmptyViewHint(int directories, bool directoryShown, std::size_t categoryItems)
{
    if (categoryItems > 0)
        return EmptyViewHint::None;
    if (directoryShown)
        return EmptyViewHint::NoPlugins;
    return directories > 0 ? EmptyViewHint::NoDirectoryChosen : EmptyViewHint::NoDirectory;
}

const char* EmptyViewHintName(EmptyViewHint hint)
{
    switch (hint) {
    case EmptyViewHint::NoDirectory: return "no_directory";
    case EmptyViewHint::NoDirectoryChosen: return "no_directory_chosen";
    case EmptyViewHint::NoPlugins: return "no_plugins";
    case EmptyViewHint::None: break;
    }
    return "";
}

PluginIdentity IdentityOf(const CPluginEntry& entry)
{
    return {entry.m_path, entry.m_indexInFile};
}

std::vector<const CPluginEntry*> FindByIdentity(const CPluginListManager& catalogue,
                                                const std::vector<PluginIdentity>& identities)
{
    std::set<std::pair<std::string_view, int>> wanted;
    for (const PluginIdentity& identity : identities)
        wanted.emplace(identity.path, identity.indexInFile);
    std::vector<const CPluginEntry*> found;
    for (const auto& entry : catalogue.m_entries)
        if (wanted.count({entry->m_path, entry->m_indexInFile}))
            found.push_back(entry.get());
    return found;
}

}  // namespace vardel
