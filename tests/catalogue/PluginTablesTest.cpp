#include "catalogue/PluginTables.h"

#include <gtest/gtest.h>

using namespace vardel;

TEST(PluginTables, KindLookupsAndBounds)
{
    EXPECT_EQ(KindFromCode("8BFM"), 1);
    EXPECT_EQ(KindFromCode("eFKT"), 9);
    EXPECT_EQ(KindFromCode("PFlt"), 23);
    EXPECT_EQ(KindFromCode("efkt"), 0);
    EXPECT_EQ(KindFromCode("****"), 0);
    EXPECT_EQ(KindCode(23), "PFlt");
    EXPECT_EQ(KindCode(24), "****");
    EXPECT_EQ(KindCode(-1), "****");
    EXPECT_EQ(KindLabel(8), "Color Picker");
    EXPECT_EQ(KindLabel(24), "Unknown");
}

TEST(PluginTables, ClassesCoverTheirKindRows)
{
    const int expected[kKindCount] = {-1, 0, 1, 1, 1, 1, 1, 1, 1, 2, 3, 3, 3, 4, 5, 5, 5, 6, 6, 6, 6, 6, 6, 6};
    for (int row = 0; row < kKindCount; ++row)
        EXPECT_EQ(ClassOfKind(row), expected[row]) << row;
    EXPECT_EQ(ClassOfKind(24), -1);
    EXPECT_EQ(ClassTitle(0), "Photoshop Filter Plugins");
    EXPECT_EQ(ClassTitle(6), "Premiere General Plugins");
    EXPECT_EQ(ClassTitle(-1), "");
    EXPECT_EQ(ClassTitle(7), "");
    EXPECT_EQ(ResourceTypeName(3), "Premiere");
    EXPECT_EQ(ResourceTypeName(4), "Unknown");
}

struct KeyCase {
    std::string key;
    std::string prefix;
    std::string normal;
};

std::ostream& operator<<(std::ostream& os, const KeyCase& c)
{
    return os << (c.key.empty() ? "empty key" : c.key) << " with " << c.prefix;
}

class KeyNormalisation : public testing::TestWithParam<KeyCase> {};

TEST_P(KeyNormalisation, Result)
{
    EXPECT_EQ(NormaliseStoredKey(GetParam().key, GetParam().prefix), GetParam().normal);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyNormalisation,
    testing::Values(KeyCase{"BLUR_00", "8BFM_", "8BFM_BLUR_00"}, KeyCase{"8BFM_BLUR_00", "8BFM_", "8BFM_BLUR_00"},
                    KeyCase{"BLUR_00", "8BEM_", "8BEM_BLUR_00"}, KeyCase{"8BFM_Blur_8bf_01", "8BFM_", "8BFM_BLUR_01"},
                    KeyCase{"8BFM_blur_00", "8BFM_", "8BFM_blur_00"},  // nothing changed: case kept
                    KeyCase{"blur_8Bf_02", "8BFM_", "8BFM_BLUR_02"}, KeyCase{"8BFM", "8BFM_", "8BFM_8BFM"},
                    KeyCase{"", "8BFM_", "8BFM_"}, KeyCase{"efkt_x_00", "8BFM_", "8BFM_EFKT_X_00"},
                    // Keys are upper case: kinds written in mixed case match upper-cased.
                    KeyCase{"EFKT_X_00", "8BFM_", "EFKT_X_00"}, KeyCase{"AEGP_TOOL_01", "8BFM_", "AEGP_TOOL_01"},
                    KeyCase{"VFLT_WAVE_00", "8BFM_", "VFLT_WAVE_00"}, KeyCase{"eFKT_x_00", "8BFM_", "8BFM_EFKT_X_00"},
                    KeyCase{"8BFM_A_8BF_8BF_03", "8BFM_", "8BFM_A_03"}));

TEST(KeyNormalisation, LongHostileKeyEndsQuickly)
{
    std::string key = "8BFM_";
    for (int i = 0; i < 100000; ++i)
        key += "8BF_";
    key += "01";
    EXPECT_EQ(NormaliseStoredKey(key, "8BFM_"), "8BFM_01");
}
