#include "pe/PatternSearch.h"

#include "pe/BlockFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

using namespace vardel;

namespace {

constexpr std::size_t kBlock = 65535;

std::vector<std::uint8_t> Noise(std::size_t size, unsigned seed, int alphabet = 256)
{
    std::mt19937 rng(seed);
    std::vector<std::uint8_t> out(size);
    for (auto& b : out)
        b = static_cast<std::uint8_t>(rng() % alphabet);
    return out;
}

std::uint64_t StreamSearch(const std::vector<std::uint8_t>& data, std::uint64_t start,
                           const std::vector<std::uint8_t>& pattern)
{
    std::istringstream in(std::string(data.begin(), data.end()));
    return SearchFile(in, start, pattern);
}

// The stream search, checked against the in-memory search of the same bytes:
// every case below holds for both.
std::uint64_t Search(const std::vector<std::uint8_t>& data, std::uint64_t start,
                     const std::vector<std::uint8_t>& pattern)
{
    const std::uint64_t fromStream = StreamSearch(data, start, pattern);
    EXPECT_EQ(SearchFile(std::span<const std::uint8_t>(data), start, pattern), fromStream)
        << "in memory and stream disagree at start " << start << ", pattern length " << pattern.size();
    return fromStream;
}

std::uint64_t Naive(const std::vector<std::uint8_t>& data, std::uint64_t start,
                    const std::vector<std::uint8_t>& pattern)
{
    if (pattern.empty() || start > data.size())
        return 0;
    auto it =
        std::search(data.begin() + static_cast<std::ptrdiff_t>(start), data.end(), pattern.begin(), pattern.end());
    return it == data.end() ? 0 : static_cast<std::uint64_t>(it - data.begin());
}

// A pattern that the noise (bytes 0..99) cannot contain.
std::vector<std::uint8_t> Marker(std::size_t m)
{
    std::vector<std::uint8_t> p(m);
    for (std::size_t i = 0; i < m; ++i)
        p[i] = static_cast<std::uint8_t>(200 + i % 50);
    return p;
}

struct PlacedCase {
    std::size_t position;
    std::size_t length;
};

class PlacedPattern : public ::testing::TestWithParam<PlacedCase> {};

}  // namespace

TEST_P(PlacedPattern, IsFoundWhereverItStands)
{
    auto [pos, m] = GetParam();
    auto data = Noise(3 * kBlock, 7, 100);
    auto p = Marker(m);
    std::copy(p.begin(), p.end(), data.begin() + static_cast<std::ptrdiff_t>(pos));
    EXPECT_EQ(Search(data, 0, p), pos);
    EXPECT_EQ(Search(data, pos, p), pos);
    EXPECT_EQ(Search(data, pos + 1, p), 0u);
}

INSTANTIATE_TEST_SUITE_P(Boundaries, PlacedPattern,
                         ::testing::Values(PlacedCase{1, 8},
                                           PlacedCase{kBlock - 8, 8},  // ends exactly at the first block's end
                                           PlacedCase{kBlock - 7, 8},  // straddles the blocks by one byte
                                           PlacedCase{kBlock - 2, 8},  // begins 2 bytes before the end
                                           PlacedCase{kBlock - 1, 1}, PlacedCase{kBlock, 1}, PlacedCase{kBlock, 8},
                                           PlacedCase{2 * kBlock - 3, 200},
                                           PlacedCase{3 * kBlock - 8, 8},  // ends at the end of the data
                                           PlacedCase{5, kBlock}));        // the longest pattern

TEST(PatternSearch, LeavesTheStreamAtTheMatch)
{
    auto data = Noise(1000, 3, 100);
    auto p = Marker(4);
    std::copy(p.begin(), p.end(), data.begin() + 500);
    std::istringstream in(std::string(data.begin(), data.end()));
    ASSERT_EQ(SearchFile(in, 0, p), 500u);
    EXPECT_EQ(in.tellg(), 500);
}

TEST(PatternSearch, RefusesEmptyAndOverlongPatterns)
{
    auto data = Noise(200000, 4);
    EXPECT_EQ(Search(data, 0, {}), 0u);
    std::vector<std::uint8_t> tooLong(data.begin() + 10, data.begin() + 10 + kBlock + 1);
    EXPECT_EQ(Search(data, 0, tooLong), 0u);
}

TEST(PatternSearch, NotFoundCases)
{
    auto data = Noise(100, 5, 100);
    auto p = Marker(4);
    EXPECT_EQ(Search(data, 0, p), 0u);
    // A pattern longer than what follows the start position.
    std::vector<std::uint8_t> tail(data.end() - 10, data.end());
    EXPECT_EQ(Search(data, 90, tail), 90u);
    EXPECT_EQ(Search(data, 91, tail), 0u);
    EXPECT_EQ(Search(data, 1000, tail), 0u) << "start past the end";
    // A match at offset 0 cannot be told from no match.
    std::vector<std::uint8_t> head(data.begin(), data.begin() + 4);
    EXPECT_EQ(Search(data, 0, head), 0u);
}

TEST(PatternSearch, AgreesWithANaiveSearch)
{
    std::mt19937 rng(99);
    for (int round = 0; round < 300; ++round) {
        auto data = Noise(1 + rng() % 150000, static_cast<unsigned>(round), 2 + static_cast<int>(rng() % 3));
        std::size_t m = 1 + rng() % 12;
        std::size_t at = rng() % data.size();
        std::vector<std::uint8_t> p;
        for (std::size_t i = 0; i < m && at + i < data.size(); ++i)
            p.push_back(data[at + i]);
        std::uint64_t start = rng() % (data.size() + 2);
        EXPECT_EQ(Search(data, start, p), Naive(data, start, p)) << "round " << round;
    }
}

TEST(PatternSearch, ReadErrorsAreRaised)
{
    struct FailingBuf : std::streambuf {
        int_type underflow() override { throw std::runtime_error("disk gone"); }
        pos_type seekoff(off_type off, std::ios_base::seekdir, std::ios_base::openmode) override { return off; }
        pos_type seekpos(pos_type pos, std::ios_base::openmode) override { return pos; }
    } buf;
    std::istream in(&buf);
    in.exceptions(std::ios::badbit);
    EXPECT_ANY_THROW(SearchFile(in, 0, {1, 2, 3}));
}

// Occurrences placed on and around the window boundaries of the stream search
// (each window starts m - 1 bytes before the end of the one before), over a
// small alphabet so that partial matches abound. One byte of the pattern (7)
// never occurs in the noise, so the placed copies are the only matches and
// each of them is the first match for some start. Both searches must report
// the first occurrence a naive search finds.
TEST(PatternSearch, InMemoryAgreesAcrossWindowBoundaries)
{
    std::mt19937 rng(2024);
    for (int round = 0; round < 120; ++round) {
        const std::size_t m = round % 4 == 0 ? 1 + rng() % 3 : round % 4 == 3 ? 100 + rng() % 400 : 2 + rng() % 16;
        auto data =
            Noise(3 * kBlock + rng() % kBlock, static_cast<unsigned>(1000 + round), 2 + static_cast<int>(rng() % 3));
        std::vector<std::uint8_t> p(m);
        for (auto& b : p)
            b = static_cast<std::uint8_t>(rng() % 3);
        p[rng() % m] = 7;
        const std::uint64_t start = round % 3 == 0 ? 0 : rng() % 5000;
        // Window k starts at start + k * (65535 - (m - 1)); put copies so
        // that they straddle, end at, or begin at such a start.
        const std::uint64_t step = kBlock - (m - 1);
        for (int k = 1; k <= 3; ++k) {
            const std::int64_t boundary = static_cast<std::int64_t>(start + k * step);
            const std::int64_t at = boundary - static_cast<std::int64_t>(rng() % (m + 2)) + 1;
            if (at >= 0 && static_cast<std::size_t>(at) + m <= data.size())
                std::copy(p.begin(), p.end(), data.begin() + at);
        }
        const std::uint64_t expected = Naive(data, start, p);
        EXPECT_NE(expected, 0u) << "round " << round << ": the first copy must be found";
        EXPECT_EQ(StreamSearch(data, start, p), expected) << "round " << round;
        EXPECT_EQ(SearchFile(std::span<const std::uint8_t>(data), start, p), expected) << "round " << round;
        // Searching on from just after each match finds the next one the same way.
        std::uint64_t next = expected;
        for (int hop = 0; hop < 5 && next != 0; ++hop) {
            const std::uint64_t want = Naive(data, next + 1, p);
            EXPECT_EQ(Search(data, next + 1, p), want) << "round " << round << " hop " << hop;
            next = want;
        }
    }
}

// Patterns made of the bytes most common in executables (zero padding, 0xFF,
// blanks): the in-memory search must not miss a match whichever byte it
// looks for first.
TEST(PatternSearch, InMemoryHandlesCommonBytes)
{
    std::vector<std::uint8_t> data(70000, 0);
    for (std::size_t i = 0; i < data.size(); i += 7)
        data[i] = 0xFF;
    for (std::size_t i = 3; i < data.size(); i += 11)
        data[i] = 0x20;
    const std::vector<std::vector<std::uint8_t>> patterns = {{0, 0, 0},
                                                             {0xFF, 0},
                                                             {0, 0x20},
                                                             {0x20, 0, 0, 0xFF},
                                                             {'P', 0, 'I', 0, 'P', 0, 'L', 0},
                                                             {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}};
    for (const auto& p : patterns)
        for (std::uint64_t start : {0ull, 1ull, 65530ull, 69990ull, 70000ull})
            EXPECT_EQ(Search(data, start, p), Naive(data, start, p));
}

// A file read whole through BlockFile searches as its stream does, for sizes
// around one block, and a file larger than the limit is not held.
TEST(PatternSearch, FileContentsSearchLikeTheStream)
{
    const auto dir =
        std::filesystem::temp_directory_path() / ("vardel-search-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(dir);
    for (std::size_t size : {std::size_t{10}, BlockFile::kBlockSize - 1, BlockFile::kBlockSize,
                             BlockFile::kBlockSize + 1, std::size_t{200000}}) {
        auto data = Noise(size, static_cast<unsigned>(size), 4);
        const auto path = (dir / ("f" + std::to_string(size))).string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
        BlockFile file;
        ASSERT_TRUE(file.Open(path));
        std::istream in(&file);
        // Read somewhere first: loading the whole file keeps the stream's position.
        in.seekg(static_cast<std::streamoff>(size / 2));
        const int before = in.get();
        std::span<const std::uint8_t> bytes;
        EXPECT_FALSE(file.Contents(size - 1, bytes)) << "larger than the limit";
        ASSERT_TRUE(file.Contents(size, bytes));
        ASSERT_EQ(bytes.size(), size);
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), data.begin()));
        EXPECT_EQ(in.get(), size / 2 + 1 < size ? data[size / 2 + 1] : std::char_traits<char>::eof());
        EXPECT_EQ(before, data[size / 2]);
        std::vector<std::uint8_t> p(data.end() - 5, data.end());
        for (std::uint64_t start : {0ull, 1ull, static_cast<unsigned long long>(size - 5)}) {
            const std::uint64_t fromStream = SearchFile(in, start, p);
            EXPECT_EQ(SearchFile(bytes, start, p), fromStream) << size;
            EXPECT_EQ(fromStream, Naive(data, start, p)) << size;
        }
    }
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}
