#include "catalogue/PIMIManager.h"

#include <gtest/gtest.h>

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
