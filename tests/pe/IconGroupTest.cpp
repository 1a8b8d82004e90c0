#include "pe/IconGroup.h"
#include "pe/PeMachine.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <random>

using namespace vardel;

namespace {

using Bytes = std::vector<std::uint8_t>;

void PutU16(Bytes& out, unsigned v)
{
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

// An icon group of count entries; entry i is 16 * (i + 1) pixels square,
// 32 bits, image resource 100 + i.
Bytes Group(unsigned count, unsigned claimedCount)
{
    Bytes g;
    PutU16(g, 0);
    PutU16(g, 1);
    PutU16(g, claimedCount);
    for (unsigned i = 0; i < count; ++i) {
        const auto side = static_cast<std::uint8_t>(16 * (i + 1));
        g.insert(g.end(), {side, side, 0, 0, 1, 0, 32, 0});
        g.insert(g.end(), {0x28, 0x01, 0, 0});  // claimed size, not used
        PutU16(g, 100 + i);
    }
    return g;
}

Bytes Group(unsigned count)
{
    return Group(count, count);
}

}  // namespace

TEST(IconGroup, ReadsEveryEntry)
{
    const auto entries = ParseIconGroup(Group(3));
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 3u);
    EXPECT_EQ((*entries)[0].head[0], 16);
    EXPECT_EQ((*entries)[2].head[1], 48);
    EXPECT_EQ((*entries)[2].head[6], 32);
    EXPECT_EQ((*entries)[0].id, 100);
    EXPECT_EQ((*entries)[2].id, 102);
}

// The count against the bytes there are: one entry short, exact, one
// entry to spare, and no entries at all.
TEST(IconGroup, CountIsCheckedAgainstTheData)
{
    EXPECT_FALSE(ParseIconGroup(Group(2, 3)));
    EXPECT_TRUE(ParseIconGroup(Group(3, 3)));
    const auto spare = ParseIconGroup(Group(4, 3));
    ASSERT_TRUE(spare);
    EXPECT_EQ(spare->size(), 3u);
    EXPECT_FALSE(ParseIconGroup(Group(0, 0)));
    EXPECT_FALSE(ParseIconGroup(Group(1, 0)));
    EXPECT_FALSE(ParseIconGroup(Group(0, 0xFFFF)));
    EXPECT_FALSE(ParseIconGroup(Bytes{}));
}

TEST(IconGroup, EveryTruncationIsRefused)
{
    const Bytes whole = Group(3);
    for (std::size_t len = 0; len < whole.size(); ++len)
        EXPECT_FALSE(ParseIconGroup(std::span(whole.data(), len))) << len;
    EXPECT_TRUE(ParseIconGroup(whole));
}

// Random damage anywhere: no crash, and never more entries than fit.
TEST(IconGroup, MutatedGroupsStayInBounds)
{
    const Bytes whole = Group(5);
    std::mt19937 rng(20);
    for (int round = 0; round < 2000; ++round) {
        Bytes bytes = whole;
        for (int k = 0; k < 4; ++k)
            bytes[rng() % bytes.size()] = static_cast<std::uint8_t>(rng());
        bytes.resize(rng() % (bytes.size() + 1));
        if (const auto entries = ParseIconGroup(bytes))
            EXPECT_LE(entries->size() * 14 + 6, bytes.size());
    }
}

TEST(IconGroup, IcoFileLaysOutHeaderDirectoryAndImages)
{
    EXPECT_TRUE(IcoFile({}).empty());
    IconImage a;
    a.head = {16, 16, 0, 0, 1, 0, 32, 0};
    a.data = {1, 2, 3};
    IconImage b;
    b.head = {32, 32, 0, 0, 1, 0, 32, 0};
    b.data = {4, 5};
    const Bytes ico = IcoFile({a, b});
    const Bytes expected = {0,  0,  1, 0, 2, 0,                                  // reserved, type 1 (icon), count 2
                            16, 16, 0, 0, 1, 0, 32, 0, 3, 0, 0, 0, 38, 0, 0, 0,  // a at 6 + 2 * 16
                            32, 32, 0, 0, 1, 0, 32, 0, 2, 0, 0, 0, 41, 0, 0, 0,  // b right after a
                            1,  2,  3, 4, 5};
    EXPECT_EQ(ico, expected);
}

TEST(IconGroup, FilesWithoutSuchAnIconGiveNothing)
{
    test::TempDir dir;
    test::writeFile(dir / "text.exe", std::string("not a module"));
    EXPECT_TRUE(ModuleIconFile((dir / "text.exe").string(), 0).empty());
    EXPECT_TRUE(ModuleIconFile((dir / "missing.exe").string(), 0).empty());
    // A plug-in module with no icon group.
    EXPECT_TRUE(ModuleIconFile(test::testPlugin("pipl_single.8bf").string(), 0).empty());
    EXPECT_TRUE(ModuleIconFile(test::testPlugin("pipl_single.8bf").string(), -1).empty());
}

TEST(PeMachine, WordSizes)
{
    EXPECT_EQ(MachineBits(0x014C), 32);
    EXPECT_EQ(MachineBits(0x8664), 64);
    EXPECT_EQ(MachineBits(0xAA64), 64);
    EXPECT_EQ(MachineBits(0x0200), 64);
    EXPECT_EQ(MachineBits(0x01C4), 0);  // ARMv7 Thumb-2: neither is claimed
    EXPECT_EQ(MachineBits(0), 0);
}
