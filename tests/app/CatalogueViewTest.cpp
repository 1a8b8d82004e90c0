// What the main view shows: class commands, category and plug-in lists and
// the status bar numbers, over catalogues built in memory and over the
// linked test plug-ins.

#include "app/CatalogueView.h"
#include "catalogue/PIMIManager.h"
#include "catalogue/PluginEntry.h"
#include "catalogue/PluginListManager.h"
#include "catalogue/PluginReader.h"
#include "catalogue/PluginRestoreManager.h"
#include "catalogue/PluginTables.h"
#include "modify/CommandAvailability.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>

namespace vardel::test {
namespace {

CPluginEntry& Add(CPluginListManager& c, int kind, const std::string& category, const std::string& name,
                  int enabled = 1, bool readOnly = false, int root = 0)
{
    CPluginEntry& e = AddPiplEntry(c, name, category, "/p/" + name + ".8bf", kind);
    e.m_enabled = enabled;
    e.m_rootIndex = root;
    if (readOnly)
        e.m_fileStatus.attributes = FileStatus::kAttrReadOnly;
    return e;
}

void Sort(CPluginListManager& c)
{
    std::stable_sort(c.m_entries.begin(), c.m_entries.end(),
                     [](const auto& x, const auto& y) { return x->SortKey() < y->SortKey(); });
}

std::vector<std::string> Texts(const std::vector<ViewItem>& items)
{
    std::vector<std::string> texts;
    for (const auto& item : items)
        texts.push_back(item.text);
    return texts;
}

std::vector<int> Icons(const std::vector<ViewItem>& items)
{
    std::vector<int> icons;
    for (const auto& item : items)
        icons.push_back(item.icon);
    return icons;
}

using Strings = std::vector<std::string>;

TEST(CatalogueViewTest, OnlyGeneralPluginsSelectClassOneAndDisableTheEmptyClasses)
{
    CPluginListManager c;
    for (int kind = 2; kind <= 8; ++kind)
        Add(c, kind, "", "General " + std::to_string(kind));
    Add(c, 0, "", "Unknown kind");  // counts nowhere
    Sort(c);

    const auto counts = CountPluginClasses(c);
    EXPECT_EQ(counts[1], 7);
    EXPECT_EQ(std::count(counts.begin(), counts.end(), 0), 9);
    const int cls = ChooseClass(counts, -1);
    ASSERT_EQ(cls, 1);
    EXPECT_EQ(ChooseClass(counts, 0), 1) << "a stored class without plug-ins gives way";
    EXPECT_EQ(ClassSelectorText(cls), "Photoshop General Plugins");

    const auto commands = ClassCommands(counts, cls);
    ASSERT_EQ(commands.size(), 7u);
    for (const auto& command : commands) {
        EXPECT_EQ(command.enabled, command.index == 1) << command.name;
        EXPECT_EQ(command.checked, command.index == 1) << command.name;
        EXPECT_EQ(command.separatorBefore, command.index == 2 || command.index == 4 || command.index == 5);
    }
    EXPECT_EQ(commands[0].name, "Photoshop Filter Plugins");
    EXPECT_EQ(commands[6].name, "Premiere General Plugins");
    EXPECT_EQ(commands[1].count, 7);
}

TEST(CatalogueViewTest, NoPluginsNoClassNoItems)
{
    CPluginListManager c;
    const auto counts = CountPluginClasses(c);
    EXPECT_EQ(ChooseClass(counts, 3), -1);
    EXPECT_EQ(ClassSelectorText(-1), "");
    EXPECT_TRUE(CategoryItems(c, -1).empty());
    EXPECT_TRUE(CategoryItems(c, 0).empty());
    EXPECT_TRUE(CategoryItems(c, 7).empty());
    for (const auto& command : ClassCommands(counts, -1))
        EXPECT_FALSE(command.enabled || command.checked);
}

TEST(CatalogueViewTest, KindClassesListOneItemPerKindWithIconZero)
{
    CPluginListManager c;
    for (int kind = 8; kind >= 2; --kind) {
        Add(c, kind, "", "B " + std::to_string(kind), 0);        // disabled
        Add(c, kind, "", "A " + std::to_string(kind), 1, true);  // read-only
    }
    Sort(c);

    const auto items = CategoryItems(c, 1);
    EXPECT_EQ(Texts(items), (Strings{"Import/Acquire", "Export", "Format", "Accelerator/Extension", "Parser",
                                     "Selection", "Color Picker"}));
    EXPECT_EQ(Icons(items), std::vector<int>(7, 0));
    for (const auto& item : items) {
        ASSERT_GE(item.entry, 0);
        EXPECT_EQ(item.plugin, c.m_entries[static_cast<std::size_t>(item.entry)].get());
        const auto plugins = PluginItems(c, *item.plugin);
        ASSERT_EQ(plugins.size(), 2u) << item.text;
        EXPECT_EQ(plugins[0].icon, 3);  // enabled, read-only
        EXPECT_EQ(plugins[1].icon, 1);  // disabled
    }
}

TEST(CatalogueViewTest, CategoriesDifferingInCaseAreTwoItems)
{
    CPluginListManager c;
    Add(c, kKindFilter, "Blur", "Ccc");
    Add(c, kKindFilter, "BLUR", "Bbb");
    Add(c, kKindFilter, "Blur", "Aaa");
    Sort(c);  // one upper-case key "BLUR" for all: Aaa (Blur), Bbb (BLUR), Ccc (Blur)

    const auto items = CategoryItems(c, 0);
    ASSERT_EQ(Texts(items), (Strings{"Blur", "BLUR"}));
    EXPECT_EQ(Texts(PluginItems(c, *items[0].plugin)), (Strings{"Aaa", "Ccc"}));
    EXPECT_EQ(Texts(PluginItems(c, *items[1].plugin)), (Strings{"Bbb"}));
}

TEST(CatalogueViewTest, OneItemPerCategoryAcrossRootsAndForAnyText)
{
    CPluginListManager c;
    Add(c, kKindFilter, "*", "Star");
    Add(c, kKindFilter, "Blur", "Root zero");
    Add(c, kKindFilter, "Blur", "Root one", 1, false, 1);
    Add(c, kKindFilter, "", "No category");
    Add(c, kKindEffect, "AE Cat", "An effect");
    Sort(c);

    EXPECT_EQ(Texts(CategoryItems(c, 0)), (Strings{"", "*", "Blur"}));
    const auto blur = CategoryItems(c, 0)[2];
    EXPECT_EQ(Texts(PluginItems(c, *blur.plugin)), (Strings{"Root zero", "Root one"}));
    EXPECT_EQ(Texts(CategoryItems(c, 2)), (Strings{"AE Cat"}));
}

TEST(CatalogueViewTest, CategoryIcons)
{
    struct Row {
        std::vector<std::pair<int, bool>> members;  // enabled, read-only
        int icon;
    };
    const Row rows[] = {
        {{{1, false}, {1, false}}, 0}, {{{0, false}, {0, false}}, 1}, {{{1, false}, {0, false}}, 2},
        {{{1, true}, {1, false}}, 3},  {{{0, false}, {0, true}}, 4},  {{{1, false}, {0, false}, {1, true}}, 5},
    };
    for (const Row& row : rows) {
        CPluginListManager c;
        int n = 0;
        for (auto [enabled, readOnly] : row.members)
            Add(c, kKindFilter, "Cat", "P" + std::to_string(n++), enabled, readOnly);
        Add(c, kKindFilter, "Elsewhere", "Other", 0, true);  // not a member
        Sort(c);
        const auto items = CategoryItems(c, 0);
        ASSERT_EQ(items.size(), 2u);
        EXPECT_EQ(items[0].text, "Cat");
        EXPECT_EQ(items[0].icon, row.icon) << "row with icon " << row.icon;
        EXPECT_EQ(items[1].icon, 4);
    }
}

// The items are described in one pass over the catalogue; what they say
// must be what the rules say of each item's plug-ins.
TEST(CatalogueViewTest, ItemsSayWhatTheRulesSayOfTheirPlugins)
{
    std::mt19937 rng(7);
    for (int round = 0; round < 20; ++round) {
        CPluginListManager c;
        for (int i = 0; i < 200; ++i) {
            const int kind = std::uniform_int_distribution<int>(0, 3)(rng) == 0 ? KindFromCode("8BAM") : kKindFilter;
            const std::string category = kind == kKindFilter ? "Cat" + std::to_string(rng() % 12) : "";
            CPluginEntry& e =
                Add(c, kind, category, "P" + std::to_string(i), static_cast<int>(rng() % 2), rng() % 9 == 0);
            e.m_categoryCapacity = static_cast<int>(rng() % 5 == 0 ? 0 : 8);
            e.m_noCategory = rng() % 11 == 0 ? 1 : 0;
        }
        Sort(c);
        for (int cls : {0, ClassOfKind(KindFromCode("8BAM"))}) {
            std::vector<ViewItem> items = CategoryItems(c, cls);
            ASSERT_FALSE(items.empty());
            for (const ViewItem& item : items) {
                const auto members = CategoryMembers(c, *item.plugin);
                if (cls == 0) {
                    EXPECT_EQ(item.icon, CategoryIcon(c, *item.plugin)) << item.text;
                }
                EXPECT_EQ(item.canEnable, CanEnableCategory(item.plugin, members)) << item.text;
                EXPECT_EQ(item.canMove, CanMoveCategory(item.plugin, members)) << item.text;
            }
            // After the plug-ins' states changed, described again.
            for (auto& e : c.m_entries)
                e->m_enabled = e->m_enabled ? 0 : 1;
            DescribeCategoryItems(c, cls, items);
            for (const ViewItem& item : items) {
                if (cls == 0) {
                    EXPECT_EQ(item.icon, CategoryIcon(c, *item.plugin)) << item.text;
                }
            }
        }
    }
}

TEST(CatalogueViewTest, PluginItemsDropTrailingBlanksAndKnowTheirEntries)
{
    CPluginListManager c;
    Add(c, kKindFilter, "Cat", "Blur      ");
    Add(c, kKindFilter, "Cat", "  Sharp  ", 0);
    Add(c, kKindFilter, "Cat", "   ", 1, true);
    Add(c, kKindFilter, "Cats", "Not here");
    const auto items = PluginItems(c, *c.m_entries[1]);
    EXPECT_EQ(Texts(items), (Strings{"Blur", "  Sharp", ""}));
    EXPECT_EQ(Icons(items), (std::vector<int>{0, 1, 3}));
    EXPECT_EQ(items[1].entry, 1);
    EXPECT_EQ(items[2].entry, 2);
    EXPECT_EQ(ListLabel("Name \t "), "Name \t");
}

TEST(CatalogueViewTest, TwelveItemIndicators)
{
    CPluginListManager c;
    for (int i = 0; i < 12; ++i)
        Add(c, kKindFilter, "Cat", "Plug " + std::to_string(i + 10), i % 4 != 0);
    Add(c, kKindFilter, "Second", "Other");
    Sort(c);
    const auto categories = CategoryItems(c, 0);
    const auto plugins = PluginItems(c, *categories[0].plugin);

    for (int selected : {0, 1, 12}) {
        const Indicators n = ComputeIndicators(categories, plugins, selected);
        EXPECT_EQ(n.categories, 2);
        EXPECT_EQ(n.plugins, 12);
        EXPECT_EQ(n.selected, selected);
        EXPECT_EQ(n.enabled, 9);
        const auto texts = IndicatorTexts(n);
        EXPECT_EQ(texts[0], "Categories: 2");
        EXPECT_EQ(texts[1], "Plugins: 12");
        EXPECT_EQ(texts[2], "Selected: " + std::to_string(selected));
        EXPECT_EQ(texts[3], "Enabled: 9");
    }
}

TEST(CatalogueViewTest, TheLinkedTestPlugins)
{
    const auto dir = testDataDir() / "plugins";
    if (!std::filesystem::exists(dir / "pipl_three.8bf"))
        FAIL() << "test plug-ins not built: build the vardel_test_plugins target";
    CPluginListManager c;
    CPluginRestoreManager restore;
    CPIMIManager tails;
    CPluginReader reader(c, restore, tails);
    for (const char* name : {"pipl_three.8bf", "pipl_kinds.8bf", "premiere_filter.prm", "pimi_filter.8bf"})
        ASSERT_GT(reader.ReadFile((dir / name).string(), true), 0) << name;
    Sort(c);

    const auto counts = CountPluginClasses(c);
    EXPECT_EQ(counts[0], 5);  // three PiPL and two PiMI filters
    EXPECT_EQ(counts[1], 2);  // 8BIF, 8BAM
    EXPECT_EQ(counts[2], 1);
    EXPECT_EQ(counts[3], 1);
    EXPECT_EQ(counts[4], 1);
    EXPECT_EQ(counts[5], 1);
    EXPECT_EQ(ChooseClass(counts, -1), 0);

    const auto categories = CategoryItems(c, 0);
    EXPECT_EQ(Texts(categories), (Strings{"Other Cat", "PiMI Cat", "Shared Cat"}));
    EXPECT_EQ(Texts(PluginItems(c, *categories[2].plugin)), (Strings{"Alpha One", "Beta Two"}));
    EXPECT_EQ(Texts(CategoryItems(c, 1)), (Strings{"Import/Acquire", "Format"}));
    EXPECT_EQ(Texts(CategoryItems(c, 2)), (Strings{"AE Cat"}));
    EXPECT_EQ(Texts(CategoryItems(c, 5)), (Strings{"Video Filter"}));
    EXPECT_EQ(Texts(PluginItems(c, *CategoryItems(c, 5)[0].plugin)), (Strings{"Vardel Video Filter"}));
}

// Filters and Premiere effects are listed by category, every other class by
// kind; no class, or one past the table, lists nothing by category.
TEST(CatalogueViewTest, ClassesThatListCategories)
{
    std::vector<int> with;
    for (int cls = -1; cls <= kClassCount; ++cls)
        if (ClassListsCategories(cls))
            with.push_back(cls);
    EXPECT_EQ(with, (std::vector<int>{0, 2}));
}

}  // namespace
}  // namespace vardel::test
