#include "pe/BlockFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <istream>
#include <ostream>
#include <span>

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

namespace {

struct PeekCase {
    std::uint64_t offset;
    std::size_t count;
    bool viewed;
};

std::ostream& operator<<(std::ostream& os, const PeekCase& c)
{
    return os << c.count << " at " << c.offset;
}

class Peek : public ::testing::TestWithParam<PeekCase> {};

}  // namespace

// A view of the bytes straight out of a 64-byte block over a 1000-byte file:
// from the block already read or from the block read anew, never more than
// a block, never past the end; the stream then goes on from the offset.
TEST_P(Peek, ViewsWhatFitsABlock)
{
    const auto& c = GetParam();
    test::TempDir dir;
    const auto bytes = Counting(1000);
    test::writeFile(dir / "f", bytes);
    BlockFile buf(64);
    ASSERT_TRUE(buf.Open((dir / "f").string()));
    std::istream in(&buf);
    in.seekg(10);
    ASSERT_EQ(in.get(), bytes[10]);  // the block now holds bytes 10 to 73

    std::span<const std::uint8_t> view;
    ASSERT_EQ(buf.Peek(c.offset, c.count, view), c.viewed);
    if (!c.viewed)
        return;
    ASSERT_EQ(view.size(), c.count);
    for (std::size_t i = 0; i < c.count; ++i)
        ASSERT_EQ(view[i], bytes[c.offset + i]) << i;
    in.clear();
    EXPECT_EQ(in.tellg(), static_cast<std::streamoff>(c.offset));
    if (c.offset < bytes.size()) {
        EXPECT_EQ(in.get(), bytes[c.offset]);
    }
}

INSTANTIATE_TEST_SUITE_P(Ranges, Peek,
                         ::testing::Values(PeekCase{10, 64, true},    // the whole block read before
                                           PeekCase{20, 10, true},    // inside it
                                           PeekCase{73, 1, true},     // its last byte
                                           PeekCase{70, 10, true},    // running past it: read anew
                                           PeekCase{5, 10, true},     // before it: read anew
                                           PeekCase{500, 64, true},   // elsewhere, a whole block
                                           PeekCase{500, 65, false},  // more than a block
                                           PeekCase{936, 64, true},   // ends exactly at the end of the file
                                           PeekCase{937, 64, false},  // one byte past it
                                           PeekCase{1000, 0, true},   // nothing, at the end
                                           PeekCase{1001, 0, false},  // past the end
                                           PeekCase{0, 0, true}));

TEST(BlockFile, PeekOnAClosedFile)
{
    BlockFile buf;
    std::span<const std::uint8_t> view;
    EXPECT_FALSE(buf.Peek(0, 0, view));
}

// The status Open takes is the file system's: size and mode as stat says.
TEST(BlockFile, StatAtOpenIsTheFilesStatus)
{
    test::TempDir dir;
    test::writeFile(dir / "f", Counting(321));
    BlockFile buf;
    ASSERT_TRUE(buf.Open((dir / "f").string()));
    EXPECT_EQ(buf.StatAtOpen().size, 321u);
    EXPECT_NE(buf.StatAtOpen().mode, 0u);
    EXPECT_NE(buf.StatAtOpen().modified, 0);
    buf.Close();
    EXPECT_EQ(buf.StatAtOpen().size, 0u);
}

// Load reads just the bytes asked for (at most a block); reads past them,
// before them or past the end of the file still agree with the file.
TEST(BlockFile, LoadReadsASpanAndTheStreamGoesOnFromThere)
{
    test::TempDir dir;
    const auto bytes = Counting(3000);
    test::writeFile(dir / "f", bytes);
    BlockFile buf(1024);
    ASSERT_TRUE(buf.Open((dir / "f").string()));
    std::istream in(&buf);
    auto readAt = [&](std::size_t pos, std::size_t len) {
        std::vector<char> got(len);
        in.clear();
        in.seekg(static_cast<std::streamoff>(pos));
        in.read(got.data(), static_cast<std::streamsize>(len));
        got.resize(static_cast<std::size_t>(in.gcount()));
        return got;
    };
    auto expected = [&](std::size_t pos, std::size_t len) {
        const std::size_t end = std::min(bytes.size(), pos + len);
        return std::vector<char>(bytes.begin() + static_cast<std::ptrdiff_t>(std::min(pos, end)),
                                 bytes.begin() + static_cast<std::ptrdiff_t>(end));
    };
    ASSERT_TRUE(buf.Load(1500, 40));
    EXPECT_EQ(in.tellg(), 1500);
    EXPECT_EQ(readAt(1510, 20), expected(1510, 20));
    EXPECT_EQ(readAt(1530, 300), expected(1530, 300));  // runs past the span
    EXPECT_EQ(readAt(10, 5), expected(10, 5));          // before it
    ASSERT_TRUE(buf.Load(2990, 5000));                  // more than a block, past the end
    EXPECT_EQ(readAt(2990, 50), expected(2990, 50));
    ASSERT_TRUE(buf.Load(4000, 10));  // past the end: nothing to read
    EXPECT_TRUE(readAt(4000, 10).empty());
    EXPECT_EQ(readAt(0, 3000), expected(0, 3000));
    buf.Close();
    EXPECT_FALSE(buf.Load(0, 10));
}
