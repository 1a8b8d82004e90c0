#include "images/Jpeg.h"

#include "images/DIB.h"
#include "images/ImageTestSupport.h"
#include "images/JPEGException.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace vardel;
using namespace vardel::test;

namespace {

// Position of the SOF0 marker's height field in a baseline JPEG.
std::size_t FrameSizeOffset(const std::vector<std::uint8_t>& jpeg)
{
    for (std::size_t i = 0; i + 9 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0)
            return i + 5;
    return 0;
}

}  // namespace

class JpegTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        source = MakePattern(45, 29);
        WritePpm(dir / "source.ppm", source);
        RunTool("cjpeg", {"-quality", "85", "-outfile", (dir / "colour.jpg").string(), (dir / "source.ppm").string()});
        RunTool("cjpeg", {"-grayscale", "-outfile", (dir / "gray.jpg").string(), (dir / "source.ppm").string()});
    }
    // djpeg with the decoder settings LoadJpeg uses.
    RunResult Djpeg(const std::string& format, const std::filesystem::path& in, const std::filesystem::path& out)
    {
        return run({"/usr/bin/djpeg", "-dct", "fast", "-nosmooth", format, "-outfile", out.string(), in.string()});
    }
    TempDir dir;
    COXDIB source;
};

TEST_F(JpegTest, DecodesAsTheBmpRouteDoes)
{
    COXDIB ours;
    ASSERT_TRUE(LoadJpeg(dir / "colour.jpg", ours));
    EXPECT_EQ(ours.GetBitCount(), 24);
    ASSERT_EQ(Djpeg("-bmp", dir / "colour.jpg", dir / "viaBmp.bmp").status, 0);
    COXDIB viaBmp;
    ASSERT_TRUE(viaBmp.Read(dir / "viaBmp.bmp"));
    EXPECT_EQ(ours.MakePackedCopy(), viaBmp.MakePackedCopy());
    ASSERT_EQ(Djpeg("-pnm", dir / "colour.jpg", dir / "out.ppm").status, 0);
    EXPECT_TRUE(SamePixels(ours, ReadPnm(dir / "out.ppm")));
}

TEST_F(JpegTest, GrayscaleDecodesToEightBitsWithAGreyTable)
{
    COXDIB ours;
    ASSERT_TRUE(LoadJpeg(dir / "gray.jpg", ours));
    EXPECT_EQ(ours.GetBitCount(), 8);
    auto table = ours.GetColourTable();
    ASSERT_EQ(table.size(), 256u);
    EXPECT_EQ(table[0x80], 0x808080u);
    ASSERT_EQ(Djpeg("-pnm", dir / "gray.jpg", dir / "out.pgm").status, 0);
    EXPECT_TRUE(SamePixels(ours, ReadPnm(dir / "out.pgm")));
}

TEST_F(JpegTest, AFileCutShortStillLoads)
{
    auto bytes = readFile(dir / "colour.jpg");
    bytes.resize(bytes.size() * 2 / 3);
    writeFile(dir / "cut.jpg", bytes);
    COXDIB ours;
    std::string warnings;
    EXPECT_EQ(DecompressJpeg(dir / "cut.jpg", ours, warnings), 2);
    EXPECT_FALSE(warnings.empty());
    EXPECT_EQ(warnings.back(), '\n');
    EXPECT_EQ(ours.GetSize(), (COXDIB::Size{45, 29}));
    // djpeg, reading the same cut file, supplies the same end of image.
    RunResult r = Djpeg("-pnm", dir / "cut.jpg", dir / "cut.ppm");
    ASSERT_EQ(r.status, 2) << r.err;  // 2: finished with warnings
    EXPECT_TRUE(SamePixels(ours, ReadPnm(dir / "cut.ppm")));
    COXDIB viaLoad;
    EXPECT_TRUE(LoadJpeg(dir / "cut.jpg", viaLoad));
}

struct BadJpegCase {
    const char* name;
    std::vector<std::uint8_t> (*make)(const std::vector<std::uint8_t>& good);
    friend void PrintTo(const BadJpegCase& c, std::ostream* os) { *os << c.name; }
};
class JpegBadInput : public JpegTest, public ::testing::WithParamInterface<BadJpegCase> {};
TEST_P(JpegBadInput, EndsInFalseWithTheBitmapKept)
{
    writeFile(dir / "bad.jpg", GetParam().make(readFile(dir / "colour.jpg")));
    COXDIB dib = MakePattern(2, 2);
    EXPECT_FALSE(LoadJpeg(dir / "bad.jpg", dib));
    EXPECT_EQ(dib.GetSize(), (COXDIB::Size{2, 2}));
    std::string warnings;
    try {
        DecompressJpeg(dir / "bad.jpg", dib, warnings);
        ADD_FAILURE() << "no exception";
    } catch (const COXJPEGException& e) {
        EXPECT_GT(std::string(e.what()).size(), 0u);
        EXPECT_LE(std::string(e.what()).size(), COXJPEGException::kMaxMessage);
    }
}
INSTANTIATE_TEST_SUITE_P(
    Table, JpegBadInput,
    ::testing::Values(
        BadJpegCase{"Empty", [](const std::vector<std::uint8_t>&) { return std::vector<std::uint8_t>{}; }},
        BadJpegCase{"NotAJpeg", [](const std::vector<std::uint8_t>&) { return std::vector<std::uint8_t>(100, 'x'); }},
        BadJpegCase{"OnlyTheStartMarker",
                    [](const std::vector<std::uint8_t>&) {
                        return std::vector<std::uint8_t>{0xFF, 0xD8};
                    }},
        BadJpegCase{"HugeFrameInASmallFile",
                    [](const std::vector<std::uint8_t>& good) {
                        auto v = good;
                        std::size_t at = FrameSizeOffset(v);
                        v[at] = v[at + 2] = 0xFD;  // 65000 x 65000
                        v[at + 1] = v[at + 3] = 0xE8;
                        return v;
                    }},
        BadJpegCase{"ZeroWidthFrame", [](const std::vector<std::uint8_t>& good) {
                        auto v = good;
                        std::size_t at = FrameSizeOffset(v);
                        v[at + 2] = v[at + 3] = 0;
                        return v;
                    }}));

TEST_F(JpegTest, MissingFileFails)
{
    COXDIB dib;
    EXPECT_FALSE(LoadJpeg(dir / "missing.jpg", dib));
    EXPECT_TRUE(dib.IsEmpty());
}

TEST_F(JpegTest, EncodesAsCjpegDoesFromOurBmp)
{
    ASSERT_TRUE(SaveJpeg(dir / "ours.jpg", source));
    ASSERT_TRUE(source.Write(dir / "ours.bmp"));
    RunTool("cjpeg", {"-outfile", (dir / "cjpeg.jpg").string(), (dir / "ours.bmp").string()});
    EXPECT_EQ(readFile(dir / "ours.jpg"), readFile(dir / "cjpeg.jpg"));
    RunTool("djpeg", {"-pnm", "-outfile", (dir / "back.ppm").string(), (dir / "ours.jpg").string()});
    Pnm back = ReadPnm(dir / "back.ppm");
    EXPECT_EQ(back.width, 45);
    EXPECT_EQ(back.height, 29);
}

TEST_F(JpegTest, EncodesPaletteBitmapsThroughTheirColours)
{
    COXDIB palette;
    ASSERT_TRUE(palette.Create(8, 16, 8));
    for (int r = 0; r < 8; ++r)
        for (int x = 0; x < 16; ++x)
            palette.GetRow(r)[x] = static_cast<std::uint8_t>(x + r);
    ASSERT_TRUE(SaveJpeg(dir / "palette.jpg", palette));
    COXDIB back;
    ASSERT_TRUE(LoadJpeg(dir / "palette.jpg", back));
    EXPECT_EQ(back.GetSize(), (COXDIB::Size{16, 8}));
    EXPECT_EQ(back.GetBitCount(), 24);
}

TEST_F(JpegTest, UnencodableBitmapsAndUnwritableFilesFailWithoutAFile)
{
    COXDIB mono;
    ASSERT_TRUE(mono.Create(1, 8, 8));
    EXPECT_FALSE(SaveJpeg(dir / "mono.jpg", mono));
    EXPECT_FALSE(std::filesystem::exists(dir / "mono.jpg"));
    EXPECT_FALSE(SaveJpeg(dir / "empty.jpg", COXDIB()));
    EXPECT_FALSE(std::filesystem::exists(dir / "empty.jpg"));
    EXPECT_FALSE(SaveJpeg(dir / "no-such-dir" / "x.jpg", source));
}

TEST(JPEGException, CopiesItsMessageCutToTheBuffer)
{
    COXJPEGException e(42, std::string(300, 'm'));
    EXPECT_EQ(e.GetCode(), 42);
    EXPECT_EQ(std::string(e.what()).size(), 255u);
    char buffer[8];
    ASSERT_TRUE(e.GetErrorMessage(buffer, sizeof buffer));
    EXPECT_EQ(std::string(buffer), "mmmmmmm");
    EXPECT_FALSE(e.GetErrorMessage(buffer, 0));
}

// Damaged JPEG files: every outcome is a result, never a crash or an abort.
TEST_F(JpegTest, MutatedFilesNeverEndTheProcess)
{
    const auto good = readFile(dir / "colour.jpg");
    std::uint32_t seed = 99;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
    int loaded = 0;
    for (int round = 0; round < 300; ++round) {
        auto bytes = good;
        const int changes = 1 + static_cast<int>(next() % 6);
        for (int c = 0; c < changes; ++c)
            bytes[(next() >> 8) % bytes.size()] = static_cast<std::uint8_t>(next() >> 16);
        writeFile(dir / "mutated.jpg", bytes);
        COXDIB dib;
        if (LoadJpeg(dir / "mutated.jpg", dib)) {
            ++loaded;
            ASSERT_TRUE(dib.GetBitCount() == 24 || dib.GetBitCount() == 8);
        }
    }
    EXPECT_GT(loaded, 0);
}
