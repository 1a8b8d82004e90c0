#include "catalogue/PIMIManager.h"

#include "base/Archive.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
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
    ASSERT_EQ(cache.Size(), 2u);
    ASSERT_NE(cache.Lookup("8BFM_BLUR_00"), nullptr);
    EXPECT_EQ(cache.Lookup("8BFM_BLUR_00")->m_bytes[0], 3);
    EXPECT_EQ(cache.Lookup("8BFM_SHARP_00")->m_bytes[0], 5);
    cache.Clear();
    EXPECT_TRUE(cache.IsEmpty());
}

TEST(PIMIManager, KeysStartingWithAnUpperCasedKindAreKept)
{
    CPIMIManager cache;
    std::array<std::uint8_t, 16> tail{};
    for (const char* key : {"8BFM_BLUR_00", "EFKT_GLOW_00", "AEGP_TOOL_01"})
        cache.Add(key, tail);
    cache.NormaliseKeys();
    std::vector<std::string> keys;
    for (const auto& [key, e] : cache.Entries())
        keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<std::string>{"8BFM_BLUR_00", "AEGP_TOOL_01", "EFKT_GLOW_00"}));
}

namespace {

std::array<std::uint8_t, 16> tailOf(std::uint8_t first)
{
    std::array<std::uint8_t, 16> tail{};
    tail[0] = first;
    return tail;
}

std::uint8_t firstByte(const CPIMIManager& cache, const std::string& key)
{
    const CPIMIEntry* e = cache.Lookup(key);
    return e ? e->m_bytes[0] : 0;
}

}  // namespace

TEST(PIMIManager, LookupsFollowLoadsCompactionAndTakingOver)
{
    CPIMIManager written;
    for (int i = 0; i < 40; ++i)
        written.Add("8BFM_F" + std::to_string(i) + "_00", tailOf(static_cast<std::uint8_t>(i + 1)));
    CArchive out;
    written.Serialize(out);
    const std::vector<std::uint8_t> bytes = out.TakeData();
    const CRuntimeClass* const classes[] = {&CPIMIEntry::GetStaticClass()};

    CPIMIManager loaded;
    loaded.Add("8BFM_GONE_00", tailOf(99));  // a load replaces what was there
    CArchive in(bytes, classes);
    loaded.Serialize(in);
    EXPECT_EQ(loaded.Size(), 40u);
    EXPECT_EQ(loaded.Lookup("8BFM_GONE_00"), nullptr);
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(firstByte(loaded, "8bfm_f" + std::to_string(i) + "_00"), i + 1);

    // A load that breaks off keeps what it read, and finds it.
    const std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(bytes.size() / 2));
    CPIMIManager part;
    CArchive broken(cut, classes);
    EXPECT_ANY_THROW(part.Serialize(broken));
    ASSERT_GT(part.Size(), 0u);
    ASSERT_LT(part.Size(), 40u);
    for (const auto& [key, e] : part.Entries())
        EXPECT_EQ(part.LookupUpper(key), e.get()) << key;

    // A job's cache over the session's: it adds only what neither holds,
    // and after compaction and taking over every key is found where it went.
    CPIMIManager job;
    job.SetBase(&loaded);
    EXPECT_FALSE(job.Add("8BFM_F3_00", tailOf(200)));
    EXPECT_TRUE(job.Add("8BFM_NEW_00", tailOf(201)));
    EXPECT_EQ(firstByte(job, "8BFM_F3_00"), 4);
    job.Compact();
    EXPECT_EQ(firstByte(job, "8BFM_NEW_00"), 201);
    EXPECT_EQ(loaded.TakeNew(job), 1);
    EXPECT_TRUE(job.IsEmpty());
    EXPECT_EQ(firstByte(loaded, "8BFM_NEW_00"), 201);
    EXPECT_EQ(loaded.Size(), 41u);

    // Into an empty cache everything moves at once; both go on working.
    CPIMIManager empty;
    EXPECT_EQ(empty.TakeNew(loaded), 41);
    EXPECT_TRUE(loaded.IsEmpty());
    EXPECT_EQ(loaded.Lookup("8BFM_NEW_00"), nullptr);
    EXPECT_EQ(firstByte(empty, "8BFM_NEW_00"), 201);
    EXPECT_EQ(firstByte(empty, "8BFM_F39_00"), 40);
    EXPECT_TRUE(loaded.Add("8BFM_NEW_00", tailOf(7)));
    EXPECT_EQ(loaded.TakeNew(empty), 40) << "only the keys it lacks";
    EXPECT_EQ(firstByte(loaded, "8BFM_NEW_00"), 7);
    EXPECT_EQ(firstByte(loaded, "8BFM_F0_00"), 1);
    EXPECT_EQ(empty.Size(), 1u);
}
