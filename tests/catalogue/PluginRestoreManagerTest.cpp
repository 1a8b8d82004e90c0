#include "catalogue/PluginRestoreManager.h"

#include "catalogue/PluginEntry.h"
#include "catalogue/PluginTables.h"

#include <gtest/gtest.h>

using namespace vardel;

TEST(PluginRestoreManager, AddNeverOverwritesAndLookupsIgnoreCase)
{
    CPluginRestoreManager restore;
    EXPECT_TRUE(restore.Add("8bfm_blur_00", "Blur", "Blurs"));
    EXPECT_TRUE(restore.Contains("8BFM_BLUR_00"));
    EXPECT_EQ(restore.Entries().count("8BFM_BLUR_00"), 1u);
    EXPECT_FALSE(restore.Add("8BFM_Blur_00", "Other", "Other"));
    EXPECT_EQ(restore.GetOriginalName("8BFM_BLUR_00"), "Blur");
    EXPECT_EQ(restore.GetOriginalCategory("8bfm_blur_00"), "Blurs");
    EXPECT_EQ(restore.GetOriginalName("8BFM_SHARP_00"), "");
    EXPECT_EQ(restore.GetOriginalCategory("8BFM_SHARP_00"), "");
    EXPECT_FALSE(restore.Contains("8BFM_SHARP_00"));
    restore.Clear();
    EXPECT_FALSE(restore.Contains("8BFM_BLUR_00"));
}

namespace {

void put(CPluginRestoreManager& restore, const std::string& key, const std::string& category)
{
    auto e = std::make_unique<CPluginRestoreEntry>();
    e->m_originalCategory = category;
    e->m_originalName = "n:" + key;
    restore.Put(key, std::move(e));
}

}  // namespace

TEST(PluginRestoreManager, NormaliseKeysUsesTheCategoryForThePrefix)
{
    CPluginRestoreManager restore;
    put(restore, "BLUR_00", "");
    put(restore, "SHARP_00", "Sharpen");
    put(restore, "8BFM_KEEP_00", "c");
    put(restore, "8BFM_Soft_8bf_01", "c");
    restore.NormaliseKeys();
    std::vector<std::string> keys;
    for (const auto& [key, e] : restore.Entries())
        keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<std::string>{"8BEM_BLUR_00", "8BFM_KEEP_00", "8BFM_SHARP_00", "8BFM_SOFT_01"}));
    EXPECT_EQ(restore.GetOriginalName("8BEM_BLUR_00"), "n:BLUR_00");
    EXPECT_EQ(restore.GetOriginalName("8BFM_SOFT_01"), "n:8BFM_Soft_8bf_01");
}

TEST(PluginRestoreManager, NormalisedKeyReplacesAnExistingEntry)
{
    CPluginRestoreManager restore;
    put(restore, "8BFM_BLUR_00", "new");
    put(restore, "BLUR_00", "old");
    restore.NormaliseKeys();
    ASSERT_EQ(restore.Size(), 1u);
    EXPECT_EQ(restore.GetOriginalCategory("8BFM_BLUR_00"), "old");
}

namespace {

CPluginEntry filterAt(int kind, int nameOffset, int categoryOffset)
{
    CPluginEntry e;
    e.m_path = "/p/Blur.8bf";
    e.m_kind = kind;
    e.m_resourceType = kResourcePiPL;
    e.m_name = "Bl";
    e.m_category = "Ar";
    e.m_nameCapacity = 2;
    e.m_categoryCapacity = 2;
    e.m_nameOffset = nameOffset;
    e.m_categoryOffset = categoryOffset;
    return e;
}

}  // namespace

TEST(PluginRestoreManager, WidenCapacitiesRaisesOnlyLocatedTextsToTheOriginals)
{
    CPluginRestoreManager restore;
    restore.Add("8BFM_BLUR_00", "Gaussian Blur", "Artistic");
    restore.Add("8BIF_BLUR_00", "Blur Format", "Formats");

    CPluginEntry filter = filterAt(1, 100, 200);
    restore.WidenCapacities(filter);
    EXPECT_EQ(filter.m_nameCapacity, 13);
    EXPECT_EQ(filter.m_categoryCapacity, 8);

    CPluginEntry unlocated = filterAt(1, 0, 0);
    restore.WidenCapacities(unlocated);
    EXPECT_EQ(unlocated.m_nameCapacity, 2);
    EXPECT_EQ(unlocated.m_categoryCapacity, 2);

    CPluginEntry format = filterAt(4, 100, 200);  // not a filter: the category keeps its capacity
    restore.WidenCapacities(format);
    EXPECT_EQ(format.m_nameCapacity, 11);
    EXPECT_EQ(format.m_categoryCapacity, 2);

    CPluginEntry factory = filterAt(1, 100, 200);
    factory.m_resourceFlags = kFlagPARM | kFlagFUNC;
    restore.WidenCapacities(factory);
    EXPECT_EQ(factory.m_nameCapacity, 2);

    CPluginEntry wider = filterAt(1, 100, 200);
    wider.m_nameCapacity = 40;
    restore.WidenCapacities(wider);
    EXPECT_EQ(wider.m_nameCapacity, 40);  // never narrowed
}

TEST(PluginRestoreManager, KeysOfEveryKindSurviveLoading)
{
    // The image base names of effects and of other mixed-case kinds are
    // stored upper case; loading keeps them, so their originals (and the
    // capacities they give) survive a restart.
    CPluginRestoreManager restore;
    for (const char* key : {"EFKT_GLOW_00", "EFST_SPEED_01", "AEGP_TOOL_00", "VFLT_WAVE_02", "8BFM_BLUR_00"})
        put(restore, key, "Effects Cat");
    restore.NormaliseKeys();
    std::vector<std::string> keys;
    for (const auto& [key, e] : restore.Entries())
        keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<std::string>{"8BFM_BLUR_00", "AEGP_TOOL_00", "EFKT_GLOW_00", "EFST_SPEED_01",
                                              "VFLT_WAVE_02"}));

    CPluginEntry effect = filterAt(kKindEffect, 100, 200);
    effect.m_path = "/p/Glow.aex";
    ASSERT_EQ(effect.ImageBaseName(), "EFKT_GLOW_00");
    restore.WidenCapacities(effect);
    EXPECT_EQ(effect.m_categoryCapacity, 11);  // "Effects Cat"
}

TEST(PluginRestoreManager, LookupsFollowEveryChangeOfTheKeys)
{
    CPluginRestoreManager base;
    base.Add("8BFM_BASE_00", "Base", "Base Cat");
    CPluginRestoreManager restore;
    restore.SetBase(&base);
    put(restore, "OLD_00", "Cat");
    EXPECT_TRUE(restore.Contains("OLD_00"));
    EXPECT_TRUE(restore.Contains("8BFM_BASE_00"));
    restore.NormaliseKeys();
    EXPECT_FALSE(restore.Contains("OLD_00"));
    EXPECT_EQ(restore.GetOriginalName("8BFM_OLD_00"), "n:OLD_00");

    restore.Compact();
    EXPECT_EQ(restore.Size(), 1u);
    EXPECT_EQ(restore.GetOriginalName("8BFM_BASE_00"), "Base");
    EXPECT_EQ(restore.GetOriginalName("8BFM_OLD_00"), "n:OLD_00");

    // FindOrRecord sees what Add and the base recorded, and what it records itself.
    EXPECT_EQ(restore.FindOrRecord("8BFM_BASE_00", "x", "y")->m_originalName, "Base");
    EXPECT_EQ(restore.FindOrRecord("8BFM_NEW_00", "New", "New Cat"), nullptr);
    EXPECT_EQ(restore.FindOrRecord("8BFM_NEW_00", "x", "y")->m_originalName, "New");
    EXPECT_EQ(restore.FindOrRecord("8BFM_NOCAT_00", "x", ""), nullptr);
    EXPECT_FALSE(restore.Contains("8BFM_NOCAT_00"));

    // Taking over moves only the keys the other side lacks; both look up what they hold.
    CPluginRestoreManager session;
    session.Add("8BFM_NEW_00", "Kept", "Kept Cat");
    EXPECT_EQ(session.TakeNew(restore), 1);
    EXPECT_EQ(session.GetOriginalName("8BFM_OLD_00"), "n:OLD_00");
    EXPECT_EQ(session.GetOriginalName("8BFM_NEW_00"), "Kept");
    EXPECT_FALSE(restore.Contains("8BFM_OLD_00"));
    EXPECT_EQ(restore.GetOriginalName("8BFM_NEW_00"), "New");
    EXPECT_EQ(restore.Size(), 1u);

    restore.Clear();
    EXPECT_FALSE(restore.Contains("8BFM_NEW_00"));
    EXPECT_TRUE(restore.Contains("8BFM_BASE_00"));  // the base's, never changed
    EXPECT_EQ(restore.Size(), 0u);
}

// A refresh looks up the originals of all its entries in one pass, which
// must find what a lookup per entry finds: here, over a base, shadowed by
// its own records (a null one too) or over an empty job's database.
TEST(PluginRestoreManager, LengthsOfManyKeysAreWhatEachLookupFinds)
{
    CPluginRestoreManager base;
    std::vector<std::string> keys;
    for (int i = 0; i < 3000; ++i) {
        // Keys longer than an index slot holds, and keys alike in their head.
        std::string key = "8BFM_" + std::string(static_cast<std::size_t>(i % 50), 'K') + std::to_string(i) + "_00";
        base.Add(key, std::string(static_cast<std::size_t>(i % 37), 'n'),
                 std::string(static_cast<std::size_t>(i % 23), 'c'));
        keys.push_back(key);
        if (i % 7 == 0)
            keys.push_back("8BFM_MISSING" + std::to_string(i) + "_00");
    }
    keys.push_back("");

    CPluginRestoreManager job;  // empty: every lookup goes to the base
    job.SetBase(&base);
    CPluginRestoreManager shadowing;
    shadowing.SetBase(&base);
    shadowing.Add(keys[3], "A longer name than the base's", "Own");
    shadowing.Add("8BFM_ONLY_HERE_00", "Here", "");
    shadowing.Put(keys[10], nullptr);  // a record lost in a damaged store hides the base's
    keys.push_back("8BFM_ONLY_HERE_00");

    for (const CPluginRestoreManager* restore : {&base, &job, &shadowing}) {
        std::vector<std::string_view> views(keys.begin(), keys.end());
        std::vector<CPluginRestoreManager::OriginalLengths> lengths(keys.size());
        restore->LengthsOf(views, lengths);
        for (std::size_t i = 0; i < keys.size(); ++i) {
            // WidenCapacities by key goes through the lookup of one key.
            CPluginEntry one = filterAt(1, 100, 200);
            CPluginEntry all = one;
            one.m_nameCapacity = one.m_categoryCapacity = 0;
            all.m_nameCapacity = all.m_categoryCapacity = 0;
            restore->WidenCapacities(one, keys[i]);
            CPluginRestoreManager::WidenCapacities(all, lengths[i]);
            ASSERT_EQ(all.m_nameCapacity, one.m_nameCapacity) << keys[i];
            ASSERT_EQ(all.m_categoryCapacity, one.m_categoryCapacity) << keys[i];
            ASSERT_EQ(lengths[i].name >= 0, restore->Contains(keys[i])) << keys[i];
        }
    }
}
