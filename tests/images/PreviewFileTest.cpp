#include "images/PreviewFile.h"

#include "images/ImageTestSupport.h"
#include "images/Jpeg.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

using namespace vardel;
using namespace vardel::test;

struct FitCase {
    int width, height, fitWidth, fitHeight;
    friend void PrintTo(const FitCase& c, std::ostream* os) { *os << c.width << "x" << c.height; }
};
class PreviewFit : public ::testing::TestWithParam<FitCase> {};
TEST_P(PreviewFit, TheDivisorOvershootsAsItAddsUp)
{
    const auto& c = GetParam();
    EXPECT_EQ(FitPreviewSize(c.width, c.height), (COXDIB::Size{c.fitWidth, c.fitHeight}));
}
INSTANTIATE_TEST_SUITE_P(Table, PreviewFit,
                         ::testing::Values(FitCase{640, 480, 319, 239}, FitCase{100, 300, 83, 249},
                                           FitCase{321, 250, 317, 247}, FitCase{800, 600, 320, 240},
                                           FitCase{320, 250, 320, 250}, FitCase{320, 251, 316, 248},
                                           FitCase{1, 1, 1, 1}, FitCase{200, 100, 200, 100}, FitCase{1000, 1, 320, 0}));

TEST(PreviewFit, TheCopyIsResampledAndNeverThinnerThanAPixel)
{
    COXDIB fitted;
    ASSERT_TRUE(MakeFittedCopy(MakePattern(1000, 2), fitted));
    EXPECT_EQ(fitted.GetSize(), (COXDIB::Size{320, 1}));
    COXDIB palette;
    ASSERT_TRUE(palette.Create(8, 4, 4));
    EXPECT_FALSE(MakeFittedCopy(palette, fitted));
    EXPECT_EQ(fitted.GetSize(), (COXDIB::Size{320, 1}));
}

struct TypeCase {
    const char* name;
    int type;
    friend void PrintTo(const TypeCase& c, std::ostream* os) { *os << c.name; }
};
class PreviewFileTypes : public ::testing::TestWithParam<TypeCase> {};
TEST_P(PreviewFileTypes, FollowsTheExtensionInAnyCase)
{
    EXPECT_EQ(PreviewFileTypeOf(GetParam().name), GetParam().type);
}
INSTANTIATE_TEST_SUITE_P(Table, PreviewFileTypes,
                         ::testing::Values(TypeCase{"a.jpg", kPreviewJpeg}, TypeCase{"A.JPEG", kPreviewJpeg},
                                           TypeCase{"dir.x/b.Jpe", kPreviewJpeg}, TypeCase{"b.bmp", kPreviewBmp},
                                           TypeCase{"b", kPreviewBmp}, TypeCase{"b.jpgx", kPreviewBmp},
                                           TypeCase{"jpg", kPreviewBmp}));

class PreviewFileTest : public ::testing::Test {
protected:
    TempDir dir;
};

TEST_F(PreviewFileTest, LoadKeepsThePictureAndWritesTheFittedCopy)
{
    COXDIB picture = MakePattern(640, 480);
    ASSERT_TRUE(picture.Write(dir / "big.bmp"));
    ASSERT_TRUE(SaveJpeg(dir / "big.jpg", picture));
    for (auto [file, type] : {std::pair{"big.bmp", kPreviewBmp}, std::pair{"big.jpg", kPreviewJpeg}}) {
        COXDIB shown;
        std::filesystem::remove(dir / "~VD2PRVW.TMP");
        ASSERT_TRUE(LoadPreviewFile(dir / file, type, shown, dir / "~VD2PRVW.TMP")) << file;
        EXPECT_EQ(shown.GetSize(), (COXDIB::Size{640, 480}));
        COXDIB temp;
        ASSERT_TRUE(temp.Read(dir / "~VD2PRVW.TMP"));
        EXPECT_EQ(temp.GetSize(), (COXDIB::Size{319, 239}));
    }
}

// The desktop window scales the picture itself: no copy is written, so a
// data directory that cannot be written still shows its pictures.
TEST_F(PreviewFileTest, WithoutATemporaryFileOnlyThePictureIsTaken)
{
    ASSERT_TRUE(MakePattern(640, 480).Write(dir / "big.bmp"));
    COXDIB shown;
    ASSERT_TRUE(LoadPreviewFile(dir / "big.bmp", kPreviewBmp, shown, {}));
    EXPECT_EQ(shown.GetSize(), (COXDIB::Size{640, 480}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST_F(PreviewFileTest, OtherDepthsAndUnreadableFilesChangeNothing)
{
    COXDIB palette;
    ASSERT_TRUE(palette.Create(8, 10, 10));
    ASSERT_TRUE(palette.Write(dir / "palette.bmp"));
    COXDIB shown = MakePattern(3, 3);
    EXPECT_FALSE(LoadPreviewFile(dir / "palette.bmp", kPreviewBmp, shown, dir / "tmp"));
    EXPECT_FALSE(LoadPreviewFile(dir / "palette.bmp", kPreviewJpeg, shown, dir / "tmp"));
    EXPECT_FALSE(LoadPreviewFile(dir / "missing.bmp", kPreviewBmp, shown, dir / "tmp"));
    EXPECT_EQ(shown.GetSize(), (COXDIB::Size{3, 3}));
    EXPECT_FALSE(std::filesystem::exists(dir / "tmp"));
}

// A FIFO in a picture's place hung the program in the open.
TEST_F(PreviewFileTest, AFifoInAPicturesPlaceIsNoPictureAndNoHang)
{
    makeFifo(dir / "fifo.jpg");
    EXPECT_TRUE(FinishesWithin(std::chrono::seconds(10), [this] {
        COXDIB shown;
        if (LoadJpeg(dir / "fifo.jpg", shown) || shown.Read(dir / "fifo.jpg") ||
            LoadPreviewFile(dir / "fifo.jpg", kPreviewJpeg, shown, dir / "tmp"))
            _exit(1);
    }));
}

TEST_F(PreviewFileTest, SaveWritesTheChosenFormat)
{
    COXDIB picture = MakePattern(30, 20);
    ASSERT_TRUE(SavePreviewFile(dir / "out.jpg", kPreviewJpeg, picture));
    ASSERT_TRUE(SavePreviewFile(dir / "out.bmp", kPreviewBmp, picture));
    COXDIB back;
    EXPECT_TRUE(LoadJpeg(dir / "out.jpg", back));
    EXPECT_TRUE(back.Read(dir / "out.bmp"));
    EXPECT_EQ(back.MakePackedCopy(), picture.MakePackedCopy());
    EXPECT_FALSE(SavePreviewFile(dir / "none" / "out.bmp", kPreviewBmp, picture));
}

TEST_F(PreviewFileTest, PicturesAreToldApartByContentAndRefusalsSayWhy)
{
    const COXDIB picture = MakePattern(12, 9);
    ASSERT_TRUE(picture.Write(dir / "named.jpg"));  // a BMP under a JPEG name
    ASSERT_TRUE(SaveJpeg(dir / "named.bmp", picture));
    for (const char* name : {"named.jpg", "named.bmp"}) {
        COXDIB read;
        const PictureLoadResult r = LoadPicture(dir / name, read);
        EXPECT_EQ(r.status, PictureLoad::Loaded) << name;
        EXPECT_EQ(read.GetSize(), (COXDIB::Size{12, 9})) << name;
    }
    COXDIB palette;
    ASSERT_TRUE(palette.Create(8, 4, 4));
    ASSERT_TRUE(palette.Write(dir / "palette.bmp"));
    const std::pair<const char*, std::string> others[] = {{"p.png", "\x89PNG\r\n\x1a\n\0\0\0\rIHDR"},
                                                          {"p.gif", "GIF89a\1\0\1\0\0\0"},
                                                          {"p.tif", std::string("MM\0*\0\0\0\x08", 8)},
                                                          {"p.webp", std::string("RIFF\0\0\0\0WEBPVP8 ", 16)}};
    for (const auto& [name, bytes] : others)
        writeFile(dir / name, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    writeFile(dir / "text.bmp", std::vector<std::uint8_t>{'h', 'e', 'l', 'l', 'o'});
    writeFile(dir / "cut.jpg", std::vector<std::uint8_t>{0xFF, 0xD8, 0xFF, 0xE0, 0});

    COXDIB kept = MakePattern(3, 3);
    PictureLoadResult r = LoadPicture(dir / "palette.bmp", kept);
    EXPECT_EQ(r.status, PictureLoad::NotTrueColour);
    EXPECT_EQ(r.bitCount, 8);
    const std::pair<const char*, const char*> formats[] = {
        {"p.png", "PNG"}, {"p.gif", "GIF"}, {"p.tif", "TIFF"}, {"p.webp", "WebP"}};
    for (const auto& [name, format] : formats) {
        r = LoadPicture(dir / name, kept);
        EXPECT_EQ(r.status, PictureLoad::NotBmpOrJpeg) << name;
        EXPECT_EQ(r.format, format) << name;
    }
#ifndef _WIN32
    // A pipe is never opened: it would wait for a writer for ever.
    ASSERT_EQ(::mkfifo((dir / "pipe.bmp").c_str(), 0600), 0);
    EXPECT_EQ(LoadPicture(dir / "pipe.bmp", kept).status, PictureLoad::Unreadable);
#endif
    for (const char* name : {"text.bmp", "cut.jpg", "missing.bmp", "."})
        EXPECT_EQ(LoadPicture(dir / name, kept).status, PictureLoad::Unreadable) << name;
    EXPECT_EQ(kept.GetSize(), (COXDIB::Size{3, 3}));
}
