#include "app/Application.h"
#include "app/Session.h"
#include "app/Stores.h"
#include "base/MemorySettingsBackend.h"
#include "catalogue/ContentHashCache.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace vardel;
namespace fs = std::filesystem;

namespace {

class ContentHashStore : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(m_dir / "setup.db"); }
    fs::path Store() const { return m_dir / "setup.db" / "hashes"; }
    DataDirectory Data() const { return {m_dir.path()}; }

    test::TempDir m_dir;
};

}  // namespace

// A hash is trusted only for the path, size and time it was computed for.
TEST_F(ContentHashStore, KeepsHashesByPathSizeAndTimeAcrossASave)
{
    CContentHashCache cache;
    cache.Remember("/p/a.8bf", {100, 5}, 0x1122334455667788ull);
    cache.Remember("/p/b.8bf", {7, -3}, 42);
    ASSERT_TRUE(SaveContentHashes(Data(), cache));
    EXPECT_FALSE(cache.IsChanged());

    CContentHashCache loaded;
    ASSERT_TRUE(LoadContentHashes(Data(), loaded));
    EXPECT_EQ(loaded.Lookup("/p/a.8bf", {100, 5}), 0x1122334455667788ull);
    EXPECT_EQ(loaded.Lookup("/p/b.8bf", {7, -3}), 42u);
    EXPECT_FALSE(loaded.Lookup("/p/a.8bf", {100, 6}));
    EXPECT_FALSE(loaded.Lookup("/p/a.8bf", {101, 5}));
    EXPECT_FALSE(loaded.Lookup("/p/c.8bf", {100, 5}));

    loaded.KeepOnly({"/p/b.8bf"});
    EXPECT_TRUE(loaded.IsChanged());
    EXPECT_EQ(loaded.Size(), 1u);
}

// A store cut short anywhere, with a count larger than its bytes, with bytes
// after its end or with a path twice is rebuilt: nothing of it is trusted.
TEST_F(ContentHashStore, ADamagedStoreIsDroppedWhole)
{
    CContentHashCache cache;
    for (int i = 0; i < 3; ++i)
        cache.Remember("/p/" + std::to_string(i) + ".8bf", {static_cast<std::uint64_t>(i), i}, 1000u + i);
    ASSERT_TRUE(SaveContentHashes(Data(), cache));
    const auto whole = test::readFile(Store());

    for (std::size_t cut = 0; cut < whole.size(); ++cut) {
        test::writeFile(Store(), std::vector<std::uint8_t>(whole.begin(), whole.begin() + cut));
        CContentHashCache loaded;
        loaded.Remember("/stale.8bf", {1, 1}, 1);
        EXPECT_FALSE(LoadContentHashes(Data(), loaded)) << cut;
        EXPECT_EQ(loaded.Size(), 0u) << cut;
    }
    auto trailing = whole;
    trailing.push_back(0);
    auto hugeCount = whole;
    hugeCount[4] = 0xFE;  // the count: 254 files in the bytes of three
    auto twice = whole;   // the second path spelled as the first
    const std::string first = "/p/0.8bf", second = "/p/1.8bf";
    auto at = std::search(twice.begin(), twice.end(), second.begin(), second.end());
    ASSERT_NE(at, twice.end());
    std::copy(first.begin(), first.end(), at);
    for (const auto& damaged : {trailing, hugeCount, twice}) {
        test::writeFile(Store(), damaged);
        CContentHashCache loaded;
        EXPECT_FALSE(LoadContentHashes(Data(), loaded));
        EXPECT_EQ(loaded.Size(), 0u);
    }
}

// The session drops a store it cannot read (a FIFO is not waited on) and
// saves a whole new one over it.
TEST_F(ContentHashStore, TheSessionRebuildsAnUnusableStore)
{
    test::makeFifo(Store());
    MemorySettingsBackend backend;
    {
        CVardelSession session(Data(), backend);
        session.Start();
        EXPECT_TRUE(test::FinishesWithin(std::chrono::seconds(5), [&] { session.ContentHashes(); }));
        EXPECT_EQ(session.ContentHashes().Size(), 0u);
        session.ContentHashes().Remember("/p/a.8bf", {1, 2}, 3);
        EXPECT_TRUE(session.SaveContentHashes());
    }
    CContentHashCache loaded;
    ASSERT_TRUE(LoadContentHashes(Data(), loaded));
    EXPECT_EQ(loaded.Lookup("/p/a.8bf", {1, 2}), 3u);

    // A reader saves nothing.
    CVardelSession reader(Data(), backend);
    reader.Start(SessionAccess::Reader);
    reader.ContentHashes().Remember("/p/b.8bf", {1, 2}, 4);
    EXPECT_FALSE(reader.SaveContentHashes());
}
