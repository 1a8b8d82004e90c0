#include "images/DIB.h"

#include "base/ByteReader.h"

#include "images/ImageTestSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <numeric>
#include <sstream>

using namespace vardel;
using namespace vardel::test;

namespace {

void Put16(std::vector<std::uint8_t>& v, std::uint32_t x)
{
    v.push_back(static_cast<std::uint8_t>(x));
    v.push_back(static_cast<std::uint8_t>(x >> 8));
}
void Put32(std::vector<std::uint8_t>& v, std::uint32_t x)
{
    Put16(v, x & 0xFFFF);
    Put16(v, x >> 16);
}

// A BMP file assembled byte by byte, as a hostile or unusual writer would.
struct BmpBuilder {
    std::uint32_t headerSize = 40;
    std::int32_t width = 2;
    std::int32_t height = 2;
    std::uint16_t bits = 24;
    std::uint32_t compression = 0;
    std::uint32_t sizeImage = 0;
    std::uint32_t clrUsed = 0;
    std::uint32_t dataOffset = 0;  // 0: computed
    std::vector<std::uint8_t> table;
    std::vector<std::uint8_t> pixels = std::vector<std::uint8_t>(16, 0x55);

    std::vector<std::uint8_t> Build() const
    {
        std::vector<std::uint8_t> v{'B', 'M'};
        std::uint32_t offset = dataOffset ? dataOffset : 14 + headerSize + static_cast<std::uint32_t>(table.size());
        Put32(v, offset + static_cast<std::uint32_t>(pixels.size()));
        Put32(v, 0);
        Put32(v, offset);
        Put32(v, headerSize);
        if (headerSize == 12) {
            Put16(v, static_cast<std::uint32_t>(width));
            Put16(v, static_cast<std::uint32_t>(height));
            Put16(v, 1);
            Put16(v, bits);
        } else {
            Put32(v, static_cast<std::uint32_t>(width));
            Put32(v, static_cast<std::uint32_t>(height));
            Put16(v, 1);
            Put16(v, bits);
            Put32(v, compression);
            Put32(v, sizeImage);
            Put32(v, 2835);
            Put32(v, 2835);
            Put32(v, clrUsed);
            Put32(v, 0);
            for (std::uint32_t i = 40; i < headerSize && i < 256; ++i)
                v.push_back(0);
        }
        v.insert(v.end(), table.begin(), table.end());
        v.insert(v.end(), pixels.begin(), pixels.end());
        return v;
    }
};

bool ReadBytes(COXDIB& dib, const std::vector<std::uint8_t>& bytes)
{
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    return dib.Read(in);
}

}  // namespace

// --- sizes ------------------------------------------------------------------

struct StrideCase {
    std::int64_t width;
    int bits;
    std::int64_t stride;
    friend void PrintTo(const StrideCase& c, std::ostream* os) { *os << c.width << " pixels of " << c.bits << " bits"; }
};
class DIBStride : public ::testing::TestWithParam<StrideCase> {};
TEST_P(DIBStride, RowsArePaddedToFourBytes)
{
    const auto& c = GetParam();
    EXPECT_EQ(COXDIB::Stride(c.width, c.bits), c.stride);
    if (c.width > 0 && c.bits == 24) {
        COXDIB dib;
        ASSERT_TRUE(dib.Create(24, static_cast<int>(c.width), 2));
        EXPECT_EQ(dib.GetStride(), c.stride);
    }
}
INSTANTIATE_TEST_SUITE_P(Table, DIBStride,
                         ::testing::Values(StrideCase{1, 24, 4}, StrideCase{5, 24, 16}, StrideCase{4, 24, 12},
                                           StrideCase{0, 24, 0}, StrideCase{3, 8, 4}, StrideCase{4, 8, 4},
                                           StrideCase{5, 8, 8}, StrideCase{32, 1, 4}, StrideCase{33, 1, 8},
                                           StrideCase{9, 4, 8}, StrideCase{1, 32, 4}));

struct RepeatCase {
    int from;
    int to;
    std::vector<int> repeat;
    friend void PrintTo(const RepeatCase& c, std::ostream* os) { *os << c.from << " to " << c.to; }
};
class DIBRepeatCounts : public ::testing::TestWithParam<RepeatCase> {};
TEST_P(DIBRepeatCounts, DistributeColumnsRounded)
{
    EXPECT_EQ(COXDIB::RepeatCounts(GetParam().from, GetParam().to), GetParam().repeat);
}
INSTANTIATE_TEST_SUITE_P(Table, DIBRepeatCounts,
                         ::testing::Values(RepeatCase{4, 6, {2, 1, 2, 1}}, RepeatCase{6, 4, {1, 0, 1, 1, 0, 1}},
                                           RepeatCase{3, 3, {1, 1, 1}}, RepeatCase{1, 5, {5}},
                                           RepeatCase{5, 1, {0, 0, 1, 0, 0}}, RepeatCase{0, 3, {}}));

TEST(DIBRepeatCounts, AlwaysSumToTheNewCount)
{
    for (int from = 1; from <= 40; ++from)
        for (int to = 1; to <= 40; ++to) {
            auto r = COXDIB::RepeatCounts(from, to);
            ASSERT_EQ(std::accumulate(r.begin(), r.end(), 0), to) << from << " -> " << to;
            for (int n : r)
                ASSERT_GE(n, 0);
        }
}

// --- Create -----------------------------------------------------------------

struct CreateCase {
    int requested;
    int bits;
    int colours;
    friend void PrintTo(const CreateCase& c, std::ostream* os) { *os << c.requested << " bits asked"; }
};
class DIBCreate : public ::testing::TestWithParam<CreateCase> {};
TEST_P(DIBCreate, PicksTheDepthAndFillsTheColourTable)
{
    const auto& c = GetParam();
    COXDIB dib;
    ASSERT_TRUE(dib.Create(c.requested, 7, 3));
    EXPECT_EQ(dib.GetBitCount(), c.bits);
    EXPECT_EQ(dib.GetHeaderSize(), 40u);
    EXPECT_EQ(dib.GetSize(), (COXDIB::Size{7, 3}));
    EXPECT_EQ(dib.GetPacked().size(), static_cast<std::size_t>(dib.GetStride()) * 3 + 1064);
    auto table = dib.GetColourTable();
    ASSERT_EQ(static_cast<int>(table.size()), c.colours);
    const std::uint32_t system[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
                                      0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    for (std::size_t i = 0; i < table.size(); ++i)
        EXPECT_EQ(table[i], c.colours >= 16 ? system[i % 16] : 0u) << i;
    for (std::size_t i = dib.GetBitsOffset(); i < dib.GetPacked().size(); ++i)
        ASSERT_EQ(dib.GetPacked()[i], 0) << i;
}
INSTANTIATE_TEST_SUITE_P(Table, DIBCreate,
                         ::testing::Values(CreateCase{0, 1, 2}, CreateCase{1, 1, 2}, CreateCase{2, 4, 16},
                                           CreateCase{4, 4, 16}, CreateCase{5, 8, 256}, CreateCase{8, 8, 256},
                                           CreateCase{9, 24, 0}, CreateCase{24, 24, 0}, CreateCase{32, 24, 0}));

TEST(DIBCreate, RefusesEmptyOrHugeSizesAndKeepsTheContent)
{
    COXDIB dib = MakePattern(3, 3);
    const std::vector<std::uint8_t> before(dib.GetPacked().begin(), dib.GetPacked().end());
    EXPECT_FALSE(dib.Create(24, 0, 5));
    EXPECT_FALSE(dib.Create(24, 5, -1));
    EXPECT_FALSE(dib.Create(24, 0x7FFFFFFF, 0x7FFFFFFF));
    EXPECT_TRUE(std::equal(before.begin(), before.end(), dib.GetPacked().begin(), dib.GetPacked().end()));
    COXDIB empty;
    EXPECT_EQ(empty.GetSize(), (COXDIB::Size{0, 0}));
    EXPECT_EQ(empty.GetBitCount(), 0);
    EXPECT_EQ(empty.GetBits(), nullptr);
}

// --- Resize -----------------------------------------------------------------

TEST(DIBResize, RepeatsAndDropsColumnsAndRows)
{
    COXDIB dib;
    ASSERT_TRUE(dib.Create(24, 6, 4));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            SetPixel(dib, x, y, static_cast<std::uint32_t>(x * 16 + y));
    ASSERT_TRUE(dib.Resize(4, 6));
    EXPECT_EQ(dib.GetSize(), (COXDIB::Size{4, 6}));
    // Columns 1 and 4 are dropped; stored rows (from the bottom) 0 and 2 doubled.
    const int columns[4] = {0, 2, 3, 5};
    const int rowsFromBottom[6] = {0, 0, 1, 2, 2, 3};
    for (int r = 0; r < 6; ++r)
        for (int x = 0; x < 4; ++x) {
            int sourceRowFromTop = 3 - rowsFromBottom[r];
            EXPECT_EQ(PixelAt(dib, x, 5 - r), static_cast<std::uint32_t>(columns[x] * 16 + sourceRowFromTop))
                << x << "," << r;
        }
}

TEST(DIBResize, RefusesBadSizesAndSubBytePixels)
{
    COXDIB dib = MakePattern(4, 4);
    EXPECT_FALSE(dib.Resize(0, 4));
    EXPECT_EQ(dib.GetSize(), (COXDIB::Size{4, 4}));
    COXDIB mono;
    ASSERT_TRUE(mono.Create(1, 8, 8));
    EXPECT_FALSE(mono.Resize(4, 4));
    COXDIB empty;
    EXPECT_FALSE(empty.Resize(4, 4));
}

// --- Checkerboard and resampling ---------------------------------------------

TEST(DIBCheckerboard, SquaresAreHalfThePeriodCountedFromTheBottom)
{
    COXDIB dib;
    ASSERT_TRUE(dib.Create(24, 20, 12));
    ASSERT_TRUE(dib.FillCheckerboard(0xFFFFFF, 0xC0C0C0, 10));
    auto at = [&](int x, int storedRow) { return PixelAt(dib, x, dib.GetHeight() - 1 - storedRow); };
    EXPECT_EQ(at(0, 0), 0xFFFFFFu);
    EXPECT_EQ(at(4, 4), 0xFFFFFFu);
    EXPECT_EQ(at(5, 0), 0xC0C0C0u);
    EXPECT_EQ(at(0, 5), 0xC0C0C0u);
    EXPECT_EQ(at(5, 5), 0xFFFFFFu);
    EXPECT_EQ(at(15, 11), 0xC0C0C0u);
    EXPECT_EQ(at(10, 11), 0xFFFFFFu);
    // Colours are red in the low byte.
    ASSERT_TRUE(dib.FillCheckerboard(0x0000FF, 0xFF0000, 2));
    EXPECT_EQ(at(0, 0), 0xFF0000u);
    EXPECT_EQ(at(1, 0), 0x0000FFu);
    EXPECT_FALSE(dib.FillCheckerboard(0, 0, 0));
    COXDIB palette;
    ASSERT_TRUE(palette.Create(8, 4, 4));
    EXPECT_FALSE(palette.FillCheckerboard(0, 0xFFFFFF, 2));
}

TEST(DIBResample, TwoToOneReductionSamplesEverySecondPixel)
{
    COXDIB src;
    ASSERT_TRUE(src.Create(24, 4, 2));
    const std::uint32_t values[4] = {0x000000, 0x646464, 0xC8C8C8, 0x323232};
    for (int x = 0; x < 4; ++x)
        for (int y = 0; y < 2; ++y)
            SetPixel(src, x, y, values[x]);
    COXDIB dst;
    ASSERT_TRUE(dst.Create(24, 2, 1));
    ASSERT_TRUE(dst.ResampleFrom(src));
    EXPECT_EQ(PixelAt(dst, 0, 0), 0x000000u);
    EXPECT_EQ(PixelAt(dst, 1, 0), 0xC8C8C8u);
}

TEST(DIBResample, EnlargingBlendsWithTheSampleHalfAPixelOn)
{
    COXDIB src;
    ASSERT_TRUE(src.Create(24, 2, 2));
    // Top row 0 and 200, bottom row 90 and 90 (blue channel).
    SetPixel(src, 0, 0, 0);
    SetPixel(src, 1, 0, 200);
    SetPixel(src, 0, 1, 90);
    SetPixel(src, 1, 1, 90);
    COXDIB dst;
    ASSERT_TRUE(dst.Create(24, 3, 3));
    ASSERT_TRUE(dst.ResampleFrom(src));
    // sx = sy = 1.5. Row 0: r1 = 0, r2 = trunc(0.5 / 1.5) = 0.
    EXPECT_EQ(PixelAt(dst, 0, 0), 0u);
    EXPECT_EQ(PixelAt(dst, 1, 0), 133u);  // c1 0, c2 1, fx 2/3: 200 x 2/3
    EXPECT_EQ(PixelAt(dst, 2, 0), 200u);  // c1 1, c2 trunc(2.5 / 1.5) = 1
    // Row 1: r1 = 0, r2 = 1, fy = 2/3.
    EXPECT_EQ(PixelAt(dst, 0, 1), 60u);
    // Row 2: r1 = r2 = 1.
    EXPECT_EQ(PixelAt(dst, 1, 2), 90u);
}

TEST(DIBResample, EqualSizesCopyAndBadInputChangesNothing)
{
    COXDIB src = MakePattern(5, 3);
    COXDIB dst;
    ASSERT_TRUE(dst.Create(24, 5, 3));
    ASSERT_TRUE(dst.ResampleFrom(src));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(PixelAt(dst, x, y), PixelAt(src, x, y));
    COXDIB palette;
    ASSERT_TRUE(palette.Create(8, 5, 3));
    EXPECT_FALSE(dst.ResampleFrom(palette));
    EXPECT_FALSE(palette.ResampleFrom(src));
    COXDIB empty;
    EXPECT_FALSE(empty.ResampleFrom(src));
}

// --- packed memory ------------------------------------------------------------

TEST(DIBPacked, CopyRoundTripsAndShortDataIsRefused)
{
    COXDIB dib = MakePattern(5, 3);
    std::vector<std::uint8_t> packed = dib.MakePackedCopy();
    EXPECT_EQ(packed.size(), 40u + 16u * 3);
    COXDIB copy;
    ASSERT_TRUE(copy.CreateFromPacked(packed));
    EXPECT_EQ(copy.MakePackedCopy(), packed);
    packed.pop_back();
    COXDIB shorter = MakePattern(1, 1);
    EXPECT_FALSE(shorter.CreateFromPacked(packed));
    EXPECT_EQ(shorter.GetSize(), (COXDIB::Size{1, 1}));
    EXPECT_FALSE(shorter.CreateFromPacked({}));
}

TEST(DIBPacked, CoreHeaderBlocksAreReadButNotWritten)
{
    // 12-byte header, 1 bit, 3 x 2 pixels, two 3-byte colours (blue, green, red).
    std::vector<std::uint8_t> packed;
    Put32(packed, 12);
    Put16(packed, 3);
    Put16(packed, 2);
    Put16(packed, 1);
    Put16(packed, 1);
    packed.insert(packed.end(), {0x10, 0x20, 0x30, 0xF0, 0xE0, 0xD0});
    packed.insert(packed.end(), {0xA0, 0, 0, 0, 0x40, 0, 0, 0});  // bottom row 101, top row 010
    COXDIB dib;
    ASSERT_TRUE(dib.CreateFromPacked(packed));
    EXPECT_EQ(dib.GetHeaderSize(), 12u);
    EXPECT_EQ(dib.GetSize(), (COXDIB::Size{3, 2}));
    EXPECT_EQ(dib.GetBitCount(), 1);
    EXPECT_EQ(dib.GetColourTable(), (std::vector<std::uint32_t>{0x302010, 0xD0E0F0}));
    EXPECT_EQ(PixelAt(dib, 0, 1), 0xD0E0F0u);
    EXPECT_EQ(PixelAt(dib, 1, 1), 0x302010u);
    EXPECT_EQ(PixelAt(dib, 1, 0), 0xD0E0F0u);
    std::ostringstream out;
    EXPECT_FALSE(dib.Write(out));
    EXPECT_TRUE(out.str().empty());
}

// --- BMP files ------------------------------------------------------------------

TEST(DIBFile, WriteProducesTheFileHeaderAndReadsBack)
{
    COXDIB dib = MakePattern(5, 3);
    std::ostringstream out;
    ASSERT_TRUE(dib.Write(out));
    const std::string s = out.str();
    ASSERT_EQ(s.size(), 14u + 40u + 48u);
    ByteReader r({reinterpret_cast<const std::uint8_t*>(s.data()), s.size()});
    EXPECT_EQ(r.String(2), "BM");
    EXPECT_EQ(r.U32(), 102u);
    EXPECT_EQ(r.U32(), 0u);
    EXPECT_EQ(r.U32(), 54u);
    r.Seek(14 + 20);
    EXPECT_EQ(r.U32(), 48u);  // image size recomputed
    COXDIB back;
    std::istringstream in(s);
    ASSERT_TRUE(back.Read(in));
    EXPECT_EQ(back.MakePackedCopy(), dib.MakePackedCopy());

    COXDIB palette;
    ASSERT_TRUE(palette.Create(8, 3, 3));
    std::ostringstream out8;
    ASSERT_TRUE(palette.Write(out8));
    EXPECT_EQ(out8.str().size(), 14u + 40u + 1024u + 12u);
}

TEST(DIBFile, HandAssembledCoreHeaderBecomesAnInfoHeader)
{
    BmpBuilder b;
    b.headerSize = 12;
    b.width = 2;
    b.height = 1;
    b.bits = 4;
    // 16 three-byte entries; entry 1 blue 0x11 green 0x22 red 0x33.
    b.table.assign(48, 0);
    b.table[3] = 0x11;
    b.table[4] = 0x22;
    b.table[5] = 0x33;
    b.table[45] = 0xFF;  // entry 15 blue
    b.pixels = {0x1F, 0, 0, 0};
    COXDIB dib;
    ASSERT_TRUE(ReadBytes(dib, b.Build()));
    EXPECT_EQ(dib.GetHeaderSize(), 40u);
    EXPECT_EQ(dib.GetBitCount(), 4);
    EXPECT_EQ(dib.GetColourCount(), 16);
    EXPECT_EQ(PixelAt(dib, 0, 0), 0x332211u);
    EXPECT_EQ(PixelAt(dib, 1, 0), 0x0000FFu);
    std::ostringstream out;
    EXPECT_TRUE(dib.Write(out));  // now a 40-byte header
}

TEST(DIBFile, TheDataOffsetIsNotUsed)
{
    BmpBuilder b;
    b.dataOffset = 0xFFFF;
    b.pixels = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
    COXDIB dib;
    ASSERT_TRUE(ReadBytes(dib, b.Build()));
    EXPECT_EQ(PixelAt(dib, 0, 1), 0x030201u);
    EXPECT_EQ(PixelAt(dib, 1, 0), 0x0C0B0Au);
}

TEST(DIBFile, ExtendedHeadersAreSkippedToTheColourTable)
{
    BmpBuilder b;
    b.headerSize = 124;
    b.pixels = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
    COXDIB dib;
    ASSERT_TRUE(ReadBytes(dib, b.Build()));
    EXPECT_EQ(dib.GetHeaderSize(), 40u);
    EXPECT_EQ(PixelAt(dib, 1, 0), 0x0C0B0Au);
}

struct HostileCase {
    const char* name;
    void (*mutate)(BmpBuilder&);
    friend void PrintTo(const HostileCase& c, std::ostream* os) { *os << c.name; }
};
class DIBHostile : public ::testing::TestWithParam<HostileCase> {};
TEST_P(DIBHostile, IsRefusedAndTheBitmapKept)
{
    BmpBuilder b;
    GetParam().mutate(b);
    COXDIB dib = MakePattern(1, 1);
    EXPECT_FALSE(ReadBytes(dib, b.Build()));
    EXPECT_EQ(dib.GetSize(), (COXDIB::Size{1, 1}));
}
INSTANTIATE_TEST_SUITE_P(
    Table, DIBHostile,
    ::testing::Values(HostileCase{"NegativeWidth", [](BmpBuilder& b) { b.width = -2; }},
                      HostileCase{"NegativeHeight", [](BmpBuilder& b) { b.height = -2; }},
                      HostileCase{"ZeroWidth", [](BmpBuilder& b) { b.width = 0; }},
                      HostileCase{"AreaOverflows", [](BmpBuilder& b) { b.width = b.height = 0x7FFFFFFF; }},
                      HostileCase{"AreaLargerThanTheFile", [](BmpBuilder& b) { b.width = b.height = 10000; }},
                      HostileCase{"OneRowMissing", [](BmpBuilder& b) { b.height = 3; }},
                      HostileCase{"TooManyColours",
                                  [](BmpBuilder& b) {
                                      b.bits = 8;
                                      b.clrUsed = 257;
                                      b.table.assign(257 * 4, 0);
                                  }},
                      HostileCase{"HugeColourCount",
                                  [](BmpBuilder& b) {
                                      b.bits = 8;
                                      b.clrUsed = 0xFFFFFFFF;
                                  }},
                      HostileCase{"HeaderBetweenLayouts", [](BmpBuilder& b) { b.headerSize = 20; }},
                      HostileCase{"HeaderTooLarge", [](BmpBuilder& b) { b.headerSize = 0xFFFFFFF0; }},
                      HostileCase{"OddBitCount", [](BmpBuilder& b) { b.bits = 7; }},
                      HostileCase{"UnknownCompression", [](BmpBuilder& b) { b.compression = 4; }},
                      HostileCase{"RunLengthWithTrueColour", [](BmpBuilder& b) { b.compression = 1; }},
                      HostileCase{"ShortColourTable", [](BmpBuilder& b) {
                                      b.bits = 8;
                                      b.clrUsed = 4;
                                      b.table.assign(15, 0);
                                      b.pixels.clear();
                                  }}));

TEST(DIBFile, EveryTruncationFailsAndTheWholeFileReads)
{
    BmpBuilder b;
    b.bits = 8;
    b.clrUsed = 256;
    b.table.assign(1024, 0x7F);
    b.pixels.assign(8, 3);
    const auto bytes = b.Build();
    COXDIB dib;
    ASSERT_TRUE(ReadBytes(dib, bytes));
    EXPECT_EQ(dib.GetColourCount(), 256);
    for (std::size_t n = 0; n < bytes.size(); ++n)
        ASSERT_FALSE(ReadBytes(dib, std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + n))) << n;
    auto wrongMagic = bytes;
    wrongMagic[1] = 'A';
    EXPECT_FALSE(ReadBytes(dib, wrongMagic));
}

TEST(DIBFile, MissingFileAndUnwritableFileFail)
{
    TempDir dir;
    COXDIB dib = MakePattern(2, 2);
    EXPECT_FALSE(dib.Read(dir / "missing.bmp"));
    EXPECT_FALSE(dib.Write(dir / "no-such-dir" / "x.bmp"));
    EXPECT_FALSE(COXDIB().Write(dir / "empty.bmp"));
}

// --- against the independent tools ---------------------------------------------

class DIBTools : public ::testing::Test {
protected:
    void SetUp() override
    {
        source = MakePattern(37, 23);
        WritePpm(dir / "source.ppm", source);
        RunTool("cjpeg", {"-quality", "90", "-outfile", (dir / "source.jpg").string(), (dir / "source.ppm").string()});
    }
    // Decodes source.jpg with djpeg as BMP and as PNM with the same options.
    void Decode(const std::vector<std::string>& options, COXDIB& dib, Pnm& pnm)
    {
        auto bmpArgs = options;
        bmpArgs.insert(bmpArgs.end(), {"-outfile", (dir / "out.bmp").string(), (dir / "source.jpg").string()});
        RunTool("djpeg", bmpArgs);
        auto pnmArgs = options;
        for (auto& a : pnmArgs)
            if (a == "-bmp" || a == "-os2")
                a = "-pnm";
        pnmArgs.insert(pnmArgs.end(), {"-outfile", (dir / "out.pnm").string(), (dir / "source.jpg").string()});
        RunTool("djpeg", pnmArgs);
        ASSERT_TRUE(dib.Read(dir / "out.bmp"));
        pnm = ReadPnm(dir / "out.pnm");
    }
    TempDir dir;
    COXDIB source;
};

TEST_F(DIBTools, ReadsTrueColourBmp)
{
    COXDIB dib;
    Pnm pnm;
    Decode({"-bmp"}, dib, pnm);
    EXPECT_EQ(dib.GetBitCount(), 24);
    EXPECT_TRUE(SamePixels(dib, pnm));
}

TEST_F(DIBTools, ReadsPaletteBmp)
{
    COXDIB dib;
    Pnm pnm;
    Decode({"-colors", "256", "-bmp"}, dib, pnm);
    EXPECT_EQ(dib.GetBitCount(), 8);
    EXPECT_TRUE(SamePixels(dib, pnm));
}

TEST_F(DIBTools, ReadsCoreHeaderBmp)
{
    COXDIB dib;
    Pnm pnm;
    Decode({"-os2"}, dib, pnm);
    EXPECT_EQ(dib.GetHeaderSize(), 40u);
    EXPECT_TRUE(SamePixels(dib, pnm));
    Decode({"-colors", "16", "-os2"}, dib, pnm);
    EXPECT_LE(dib.GetColourCount(), 256);
    EXPECT_TRUE(SamePixels(dib, pnm));
}

TEST_F(DIBTools, ReadsGrayscaleBmp)
{
    COXDIB dib;
    Pnm pnm;
    Decode({"-grayscale", "-bmp"}, dib, pnm);
    EXPECT_EQ(dib.GetBitCount(), 8);
    EXPECT_TRUE(SamePixels(dib, pnm));
}

TEST_F(DIBTools, OurBmpOpensInCjpegAsItsPixels)
{
    ASSERT_TRUE(source.Write(dir / "ours.bmp"));
    RunTool("cjpeg", {"-outfile", (dir / "fromBmp.jpg").string(), (dir / "ours.bmp").string()});
    RunTool("cjpeg", {"-outfile", (dir / "fromPpm.jpg").string(), (dir / "source.ppm").string()});
    EXPECT_EQ(readFile(dir / "fromBmp.jpg"), readFile(dir / "fromPpm.jpg"));
}

TEST(DIBFile, BitFieldMasksFollowTheInfoHeader)
{
    BmpBuilder b;
    b.bits = 32;
    b.compression = 3;
    b.width = 2;
    b.height = 1;
    // Masks red, green, blue as the table; then two pixels blue, green, red, x.
    b.table = {0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0};
    b.pixels = {0x11, 0x22, 0x33, 0, 0x44, 0x55, 0x66, 0};
    COXDIB dib;
    ASSERT_TRUE(ReadBytes(dib, b.Build()));
    EXPECT_EQ(dib.GetBitsOffset(), 52u);
    EXPECT_EQ(PixelAt(dib, 1, 0), 0x665544u);
    COXDIB copy;
    ASSERT_TRUE(copy.Create(24, 2, 1));
    ASSERT_TRUE(copy.ResampleFrom(dib));
    EXPECT_EQ(PixelAt(copy, 0, 0), 0x332211u);
    EXPECT_EQ(PixelAt(copy, 1, 0), 0x665544u);
    std::ostringstream out;
    ASSERT_TRUE(dib.Write(out));
    EXPECT_EQ(out.str().size(), 14u + 40u + 12u + 8u);
}

// Damaged files of every kind: whatever the bytes, reading ends in a result
// (run under the sanitizers, any stray access fails the test).
TEST(DIBFile, MutatedFilesNeverCrash)
{
    BmpBuilder b;
    b.bits = 8;
    b.width = 5;
    b.height = 3;
    b.clrUsed = 16;
    b.table.assign(64, 0x20);
    b.pixels.assign(24, 1);
    const auto good = b.Build();
    std::uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
    for (int round = 0; round < 3000; ++round) {
        auto bytes = good;
        const int changes = 1 + static_cast<int>(next() % 4);
        for (int c = 0; c < changes; ++c)
            bytes[(next() >> 8) % bytes.size()] = static_cast<std::uint8_t>(next() >> 16);
        if (next() % 8 == 0)
            bytes.resize((next() >> 8) % bytes.size());
        COXDIB dib;
        if (ReadBytes(dib, bytes)) {
            // A bitmap that was accepted holds every byte its header announces.
            ASSERT_GE(dib.GetPacked().size(),
                      dib.GetBitsOffset() + static_cast<std::size_t>(dib.GetStride()) * dib.GetHeight());
            COXDIB packed;
            ASSERT_TRUE(packed.CreateFromPacked(dib.MakePackedCopy()));
        }
        COXDIB fromMemory;
        fromMemory.CreateFromPacked(
            std::span<const std::uint8_t>(bytes).subspan(std::min<std::size_t>(14, bytes.size())));
    }
}
