#include "base/ContentHash.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <numeric>

#include <unistd.h>

using namespace vardel;

namespace {

std::vector<std::uint8_t> bytesOf(const std::string& s)
{
    return {s.begin(), s.end()};
}

}  // namespace

// Stored hashes must stay valid from one version to the next: the values are
// those of the published XXH64 (seed 0), for inputs below, at and past the
// 32-byte stripe and with every tail length.
TEST(ContentHash, GivesThePublishedValues)
{
    EXPECT_EQ(ContentHash::Of({}), 0xEF46DB3751D8E999ull);
    EXPECT_EQ(ContentHash::Of(bytesOf("a")), 0xD24EC4F1A98C6E5Bull);
    EXPECT_EQ(ContentHash::Of(bytesOf("abc")), 0x44BC2CF5AD770999ull);
    std::vector<std::uint8_t> long771;
    for (int r = 0; r < 3; ++r)
        for (int i = 0; i < 256; ++i)
            long771.push_back(static_cast<std::uint8_t>(i));
    for (char c : std::string("xyz"))
        long771.push_back(static_cast<std::uint8_t>(c));
    EXPECT_EQ(ContentHash::Of(long771), 0xE921A1B45BD779F8ull);
}

// However a file's bytes arrive in blocks, the hash is the same.
TEST(ContentHash, BlocksOfAnySizeGiveOneHash)
{
    std::vector<std::uint8_t> data(100);
    std::iota(data.begin(), data.end(), std::uint8_t{7});
    const std::uint64_t whole = ContentHash::Of(data);
    for (std::size_t split = 0; split <= data.size(); ++split) {
        ContentHash h;
        h.Update(std::span(data).first(split));
        h.Update(std::span(data).subspan(split));
        EXPECT_EQ(h.Digest(), whole) << split;
    }
    ContentHash byteByByte;
    for (std::uint8_t b : data)
        byteByByte.Update(std::span(&b, 1));
    EXPECT_EQ(byteByByte.Digest(), whole);
}

TEST(ContentHash, FilesAreHashedOnlyWhenRegularAndWhole)
{
    test::TempDir dir;
    std::vector<std::uint8_t> data(200000);
    std::iota(data.begin(), data.end(), std::uint8_t{0});
    test::writeFile(dir / "big.8bf", data);
    EXPECT_EQ(HashFileContent(dir / "big.8bf"), ContentHash::Of(data));
    EXPECT_FALSE(HashFileContent(dir / "missing.8bf"));
    EXPECT_FALSE(HashFileContent(dir.path()));
    // A FIFO in a plug-in's place is never waited on.
    test::makeFifo(dir / "fifo.8bf");
    EXPECT_TRUE(test::FinishesWithin(std::chrono::seconds(5), [&] {
        if (HashFileContent(dir / "fifo.8bf"))
            _exit(1);
    }));
    std::stop_source stop;
    stop.request_stop();
    EXPECT_FALSE(HashFileContent(dir / "big.8bf", stop.get_token()));
}
