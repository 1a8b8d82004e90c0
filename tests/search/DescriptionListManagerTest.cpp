#include "app/Stores.h"
#include "base/Archive.h"
#include "search/DescriptionListManager.h"

#include <gtest/gtest.h>

using namespace vardel;

TEST(DescriptionListManager, FindIsExactAndKeepsAppendOrder)
{
    CDescriptionListManager db;
    db.SetFromTexts("8BFM_BLUR_00_0", "d1", "k1");
    db.SetFromTexts("8bfm_blur_00_0", "d2", "");
    EXPECT_EQ(db.Find("8BFM_BLUR_00_0"), 0);
    EXPECT_EQ(db.Find("8bfm_blur_00_0"), 1);
    EXPECT_EQ(db.Find("8BFM_BLUR_00_1"), -1);
    std::string d = "untouched", k = "untouched";
    EXPECT_FALSE(db.Get("missing", d, k));
    EXPECT_EQ(d, "untouched");
    EXPECT_TRUE(db.Get("8bfm_blur_00_0", d, k));
    EXPECT_EQ(d, "d2");
    EXPECT_EQ(k, "");
}

TEST(DescriptionListManager, BothTextsEmptyChangesNothingOneEmptyIsStored)
{
    CDescriptionListManager db;
    db.SetFromTexts("K", "", "");
    EXPECT_TRUE(db.m_entries.empty());
    db.SetFromTexts("K", "desc", "words");
    db.SetFromTexts("K", "", "");
    std::string d, k;
    ASSERT_TRUE(db.Get("K", d, k));
    EXPECT_EQ(d, "desc");
    EXPECT_EQ(k, "words");
    db.SetFromTexts("K", "", "words2");
    ASSERT_TRUE(db.Get("K", d, k));
    EXPECT_EQ(d, "");
    EXPECT_EQ(k, "words2");
    EXPECT_EQ(db.m_entries.size(), 1u);
}

TEST(DescriptionListManager, SerializesInAppendOrder)
{
    CDescriptionListManager db;
    db.SetFromTexts("Z", "z", "");
    db.SetFromTexts("A", "a", "");
    CArchive out;
    db.Serialize(out);
    CDescriptionListManager back;
    back.SetFromTexts("old", "o", "");
    CArchive in(out.Data(), StoreClassRegistry());
    back.Serialize(in);
    ASSERT_EQ(back.m_entries.size(), 2u);
    EXPECT_EQ(back.m_entries[0]->m_key, "Z");
    EXPECT_EQ(back.m_entries[1]->m_key, "A");
}
