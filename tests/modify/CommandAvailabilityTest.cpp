#include "catalogue/PluginListManager.h"
#include "catalogue/PluginTables.h"
#include "modify/CommandAvailability.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace vardel::test {
namespace {

CPluginEntry* Add(CPluginListManager& catalogue, const std::string& category, int enabled = 1, bool readOnly = false,
                  int capacity = 8)
{
    auto e = std::make_unique<CPluginEntry>();
    e->m_kind = kKindFilter;
    e->m_category = category;
    e->m_categoryCapacity = capacity;
    e->m_enabled = enabled;
    e->m_noCategory = category.empty() ? 1 : 0;
    if (readOnly)
        e->m_fileStatus.attributes = FileStatus::kAttrReadOnly;
    catalogue.m_entries.push_back(std::move(e));
    return catalogue.m_entries.back().get();
}

using Selection = std::vector<CPluginEntry*>;

TEST(CommandAvailabilityTest, PluginCommandsOverASelection)
{
    CPluginListManager c;
    auto* plain = Add(c, "Blur");
    auto* other = Add(c, "Blur", 0);
    auto* readOnly = Add(c, "Blur", 1, true);
    auto* noCategory = Add(c, "");
    auto* noSpace = Add(c, "Blur", 1, false, 0);

    struct Row {
        Selection selection;
        bool enable, move, rename;
    };
    const std::vector<Row> rows{
        {{}, false, false, false},
        {{plain}, true, true, true},
        {{plain, other}, true, true, false},
        {{readOnly}, false, false, false},
        {{plain, readOnly}, false, false, false},
        {{noCategory}, true, false, false},
        {{noSpace}, true, false, false},
        {{plain, noSpace}, true, false, false},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(CanEnablePlugins(rows[i].selection), rows[i].enable) << i;
        EXPECT_EQ(CanMovePlugins(rows[i].selection), rows[i].move) << i;
        EXPECT_EQ(CanRenamePlugin(rows[i].selection), rows[i].rename) << i;
    }
}

TEST(CommandAvailabilityTest, CategoryCommands)
{
    CPluginListManager c;
    auto* blur = Add(c, "Blur");
    Add(c, "Blur", 0);
    auto* art = Add(c, "Art");
    Add(c, "Art", 1, true);
    auto* noise = Add(c, "Noise", 1, false, 0);

    auto blurMembers = CategoryMembers(c, *blur);
    EXPECT_EQ(blurMembers.size(), 2u);
    EXPECT_TRUE(CanEnableCategory(blur, blurMembers));
    EXPECT_TRUE(CanMoveCategory(blur, blurMembers));
    EXPECT_FALSE(CanEnableCategory(nullptr, {}));
    EXPECT_FALSE(CanMoveCategory(nullptr, {}));

    auto artMembers = CategoryMembers(c, *art);
    EXPECT_FALSE(CanEnableCategory(art, artMembers));
    EXPECT_FALSE(CanMoveCategory(art, artMembers));

    auto noiseMembers = CategoryMembers(c, *noise);
    EXPECT_TRUE(CanEnableCategory(noise, noiseMembers));
    EXPECT_FALSE(CanMoveCategory(noise, noiseMembers));
}

TEST(CommandAvailabilityTest, ReadOnlyFileFromPermissionBitsBlocksEveryCommand)
{
    TempDir dir;
    auto path = dir / "Blur.8bf";
    writeFile(path, std::string("MZ"));
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    CPluginListManager c;
    auto* e = Add(c, "Blur");
    auto* fine = Add(c, "Blur");
    ASSERT_TRUE(FileStatus::Get(path.string(), e->m_fileStatus));

    Selection selection{fine, e};
    EXPECT_FALSE(CanEnablePlugins(selection));
    EXPECT_FALSE(CanMovePlugins(selection));
    EXPECT_FALSE(CanRenamePlugin({e}));
    EXPECT_FALSE(CanEnableCategory(fine, CategoryMembers(c, *fine)));
    EXPECT_FALSE(CanMoveCategory(fine, CategoryMembers(c, *fine)));
}

TEST(CommandAvailabilityTest, CategoryLimit)
{
    CPluginListManager c;
    auto* eight = Add(c, "Artistic", 1, false, 8);
    auto* five = Add(c, "Color", 1, false, 5);
    auto* zero = Add(c, "", 1, false, 0);
    EXPECT_EQ(CategoryLimit({}), 255);
    EXPECT_EQ(CategoryLimit({eight}), 8);
    EXPECT_EQ(CategoryLimit({eight, five}), 5);
    EXPECT_EQ(CategoryLimit({five, eight}), 5);
    EXPECT_EQ(CategoryLimit({eight, zero}), 0);
}

struct IconCase {
    std::vector<std::pair<int, bool>> members;  // enabled, read-only
    int icon;
    friend void PrintTo(const IconCase& c, std::ostream* os)
    {
        const char* separator = "";
        for (auto [enabled, readOnly] : c.members) {
            *os << separator << (enabled ? "on" : "off") << (readOnly ? " read-only" : "");
            separator = ", ";
        }
    }
};

class CategoryIconTest : public ::testing::TestWithParam<IconCase> {};

TEST_P(CategoryIconTest, CountsEnabledAndReadOnlyPlugins)
{
    CPluginListManager c;
    Add(c, "Other", 0, true);  // another category never counts
    CPluginEntry* first = nullptr;
    for (auto [enabled, readOnly] : GetParam().members) {
        auto* e = Add(c, "Blur", enabled, readOnly);
        first = first ? first : e;
    }
    EXPECT_EQ(CategoryIcon(c, *first), GetParam().icon);
}

INSTANTIATE_TEST_SUITE_P(Icons, CategoryIconTest,
                         ::testing::Values(IconCase{{{1, false}}, 0}, IconCase{{{0, false}}, 1},
                                           IconCase{{{1, false}, {0, false}}, 2}, IconCase{{{1, true}}, 3},
                                           IconCase{{{0, true}, {0, false}}, 4},
                                           IconCase{{{1, false}, {0, false}, {1, true}}, 5}));

TEST(CommandAvailabilityTest, PluginIcon)
{
    CPluginListManager c;
    EXPECT_EQ(PluginIcon(*Add(c, "A", 1)), 0);
    EXPECT_EQ(PluginIcon(*Add(c, "A", 0)), 1);
    EXPECT_EQ(PluginIcon(*Add(c, "A", 1, true)), 3);
    EXPECT_EQ(PluginIcon(*Add(c, "A", 0, true)), 4);
}

TEST(CommandAvailabilityTest, CategoryMembersMatchKindAndExactText)
{
    CPluginListManager c;
    auto* a = Add(c, "Blur");
    Add(c, "BLUR");
    auto* effect = Add(c, "Blur");
    effect->m_kind = kKindEffect;
    auto* b = Add(c, "Blur");
    EXPECT_EQ(CategoryMembers(c, *b), (Selection{a, b}));
}

}  // namespace
}  // namespace vardel::test
