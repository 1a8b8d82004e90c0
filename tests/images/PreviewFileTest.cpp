#include "images/PreviewFile.h"

#include "images/ImageTestSupport.h"
#include "images/Jpeg.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

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
                                           FitCase{1, 1, 1, 1}, FitCase{200, 100, 200, 100},
                                           FitCase{1000, 1, 320, 0}));

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
