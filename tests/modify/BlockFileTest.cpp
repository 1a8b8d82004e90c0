#include "modify/BlockFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <istream>

using namespace vardel;

namespace {

std::vector<std::uint8_t> Counting(std::size_t n)
{
    std::vector<std::uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i)
        v[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
    return v;
}

class BlockSizes : public ::testing::TestWithParam<std::size_t> {};

}  // namespace

// Reads of every length at every kind of position agree with the file,
// whatever the block size (1, smaller than the reads, exactly the file, larger).
TEST_P(BlockSizes, ReadsAgreeWithTheFile)
{
    test::TempDir dir;
    auto bytes = Counting(1000);
    test::writeFile(dir / "f", bytes);
    BlockFile buf(GetParam());
    ASSERT_TRUE(buf.Open((dir / "f").string()));
    EXPECT_EQ(buf.Size(), 1000u);
    std::istream in(&buf);
    for (std::size_t pos : {0u, 1u, 63u, 64u, 65u, 500u, 999u, 1000u, 1001u, 5u}) {
        for (std::size_t len : {1u, 2u, 40u, 64u, 700u}) {
            in.clear();
            in.seekg(static_cast<std::streamoff>(pos));
            ASSERT_TRUE(in) << pos;
            std::vector<char> got(len);
            in.read(got.data(), static_cast<std::streamsize>(len));
            const std::size_t expected = pos >= 1000 ? 0 : std::min(len, 1000 - pos);
            ASSERT_EQ(static_cast<std::size_t>(in.gcount()), expected) << pos << "+" << len;
            for (std::size_t i = 0; i < expected; ++i)
                ASSERT_EQ(static_cast<std::uint8_t>(got[i]), bytes[pos + i]) << pos << "+" << i;
            in.clear();
            EXPECT_EQ(in.tellg(), static_cast<std::streamoff>(pos + expected));
        }
    }
    in.clear();
    in.seekg(-10, std::ios::end);
    EXPECT_EQ(in.tellg(), 990);
    in.seekg(5, std::ios::cur);
    EXPECT_EQ(in.get(), bytes[995]);
}

INSTANTIATE_TEST_SUITE_P(Sizes, BlockSizes, ::testing::Values(1u, 64u, 999u, 1000u, 1001u, BlockFile::kBlockSize));

TEST(BlockFile, OpenFailuresSetErrno)
{
    test::TempDir dir;
    BlockFile buf;
    errno = 0;
    EXPECT_FALSE(buf.Open((dir / "missing").string()));
    EXPECT_EQ(errno, ENOENT);
    errno = 0;
    EXPECT_FALSE(buf.Open(dir.path().string()));
    EXPECT_EQ(errno, EISDIR);
    EXPECT_FALSE(buf.IsOpen());
    std::istream in(&buf);
    EXPECT_EQ(in.get(), std::char_traits<char>::eof());
}

TEST(BlockFile, EmptyFile)
{
    test::TempDir dir;
    test::writeFile(dir / "e", std::vector<std::uint8_t>{});
    BlockFile buf;
    ASSERT_TRUE(buf.Open((dir / "e").string()));
    std::istream in(&buf);
    EXPECT_EQ(in.get(), std::char_traits<char>::eof());
}
