#include "catalogue/PIMIManager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vardel;

TEST(PIMIManager, AddLookupAndNormalise)
{
    CPIMIManager cache;
    std::array<std::uint8_t, 16> tail{};
    tail[0] = 3;
    EXPECT_TRUE(cache.Add("BLUR_00", tail));
    tail[0] = 4;
    EXPECT_FALSE(cache.Add("BLUR_00", tail));
    ASSERT_NE(cache.Lookup("BLUR_00"), nullptr);
    EXPECT_EQ(cache.Lookup("BLUR_00")->m_bytes[0], 3);
    EXPECT_EQ(cache.Lookup("NONE"), nullptr);
    tail[0] = 5;
    cache.Add("8BFM_SHARP_00", tail);
    cache.NormaliseKeys();
    ASSERT_EQ(cache.m_entries.size(), 2u);
    ASSERT_NE(cache.Lookup("8BFM_BLUR_00"), nullptr);
    EXPECT_EQ(cache.Lookup("8BFM_BLUR_00")->m_bytes[0], 3);
    EXPECT_EQ(cache.Lookup("8BFM_SHARP_00")->m_bytes[0], 5);
    cache.Clear();
    EXPECT_TRUE(cache.m_entries.empty());
}

TEST(PIMIManager, KeysStartingWithAnUpperCasedKindAreKept)
{
    CPIMIManager cache;
    std::array<std::uint8_t, 16> tail{};
    for (const char* key : {"8BFM_BLUR_00", "EFKT_GLOW_00", "AEGP_TOOL_01"})
        cache.Add(key, tail);
    cache.NormaliseKeys();
    std::vector<std::string> keys;
    for (const auto& [key, e] : cache.m_entries)
        keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<std::string>{"8BFM_BLUR_00", "AEGP_TOOL_01", "EFKT_GLOW_00"}));
}
