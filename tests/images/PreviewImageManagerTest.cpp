#include "images/PreviewImageManager.h"

#include "catalogue/PluginEntry.h"
#include "catalogue/PluginTables.h"
#include "images/DIB.h"
#include "images/ImageTestSupport.h"
#include "images/Jpeg.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace vardel;
using namespace vardel::test;
namespace fs = std::filesystem;

namespace {

CPluginEntry MakePlugin(const std::string& path, int index = 0)
{
    CPluginEntry e;
    e.m_path = path;
    e.m_kind = kKindFilter;
    e.m_resourceType = kResourcePiPL;
    e.m_indexInFile = index;
    return e;
}

}  // namespace

class PreviewImageManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directory(images);
        store.SetDataDirectory(DataDirectory{dir.path()});
        store.SetMessageHandler([this](const std::string& m) { messages.push_back(m); });
    }
    // Each file holds its original name, so a renamed file can be traced.
    void Put(const std::string& name) { writeFile(images / name, "was " + name); }
    std::string Content(const std::string& name)
    {
        auto b = readFile(images / name);
        return {b.begin(), b.end()};
    }
    std::set<std::string> Files()
    {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(images))
            names.insert(e.path().filename().string());
        return names;
    }

    TempDir dir;
    fs::path images = dir / "images.db";
    CPreviewImageManager store;
    std::vector<std::string> messages;
    CPluginEntry blur = MakePlugin("/plugins/Blur.8bf");  // 8BFM_BLUR_00
};

TEST_F(PreviewImageManagerTest, RenumbersWithoutGaps)
{
    Put("8BFM_BLUR_00_000.JPG");
    Put("8BFM_BLUR_00_002.JPG");
    Put("8BFM_BLUR_00_005.JPG");
    store.SetPlugin(&blur);
    EXPECT_EQ(store.GetNames(),
              (std::vector<std::string>{"8BFM_BLUR_00_000.JPG", "8BFM_BLUR_00_001.JPG", "8BFM_BLUR_00_002.JPG"}));
    EXPECT_EQ(Content("8BFM_BLUR_00_001.JPG"), "was 8BFM_BLUR_00_002.JPG");
    EXPECT_EQ(Content("8BFM_BLUR_00_002.JPG"), "was 8BFM_BLUR_00_005.JPG");
    EXPECT_EQ(Files().size(), 3u);
    EXPECT_EQ(store.GetCurrentIndex(), 0);
    EXPECT_EQ(store.GetCurrentName(), "8BFM_BLUR_00_000.JPG");
    EXPECT_TRUE(messages.empty());
}

TEST_F(PreviewImageManagerTest, NamesAreListedAndSortedIgnoringCase)
{
    Put("8bfm_blur_00_001.jpg");
    Put("8BFM_BLUR_00_003.JPG");
    Put("8Bfm_Blur_00_000.Jpg");
    store.SetPlugin(&blur);
    // A name that differs only in case keeps its name; the gap is closed.
    EXPECT_EQ(store.GetNames(),
              (std::vector<std::string>{"8Bfm_Blur_00_000.Jpg", "8bfm_blur_00_001.jpg", "8BFM_BLUR_00_002.JPG"}));
    EXPECT_EQ(Content("8BFM_BLUR_00_002.JPG"), "was 8BFM_BLUR_00_003.JPG");
}

TEST_F(PreviewImageManagerTest, AnotherPluginsImagesAreNeverTaken)
{
    // File title BLUR_00, second filter: base name 8BFM_BLUR_00_01, which a
    // wildcard 8BFM_BLUR_00*.JPG would match.
    CPluginEntry other = MakePlugin("/plugins/Blur_00.8bf", 1);
    ASSERT_EQ(other.ImageBaseName(), "8BFM_BLUR_00_01");
    Put("8BFM_BLUR_00_01_000.JPG");
    Put("8BFM_BLUR_00_01_001.JPG");
    Put("8BFM_BLUR_00_004.JPG");
    // Near misses of the exact form are not images of 8BFM_BLUR_00 either.
    Put("8BFM_BLUR_00_0000.JPG");
    Put("8BFM_BLUR_00_00A.JPG");
    Put("8BFM_BLUR_00_001.JPG.bak");
    Put("8BFM_BLUR_00-001.JPG");
    fs::create_directory(images / "8BFM_BLUR_00_009.JPG");
    const auto before = Files();

    store.SetPlugin(&blur);
    EXPECT_EQ(store.GetNames(), (std::vector<std::string>{"8BFM_BLUR_00_000.JPG"}));
    store.SetPlugin(&other);
    EXPECT_EQ(store.GetNames(), (std::vector<std::string>{"8BFM_BLUR_00_01_000.JPG", "8BFM_BLUR_00_01_001.JPG"}));
    auto after = Files();
    EXPECT_EQ(after.size(), before.size());
    EXPECT_EQ(Content("8BFM_BLUR_00_01_001.JPG"), "was 8BFM_BLUR_00_01_001.JPG");
    EXPECT_EQ(Content("8BFM_BLUR_00_000.JPG"), "was 8BFM_BLUR_00_004.JPG");
}

struct ExactFormCase {
    const char* name;
    bool image;
    friend void PrintTo(const ExactFormCase& c, std::ostream* os) { *os << (*c.name ? c.name : "empty name"); }
};
class PreviewImageName : public ::testing::TestWithParam<ExactFormCase> {};
TEST_P(PreviewImageName, MatchesOnlyBaseUnderscoreThreeDigitsJpg)
{
    EXPECT_EQ(CPreviewImageManager::IsImageName(GetParam().name, "8BFM_BLUR_00"), GetParam().image);
}
INSTANTIATE_TEST_SUITE_P(
    Table, PreviewImageName,
    ::testing::Values(ExactFormCase{"8BFM_BLUR_00_000.JPG", true}, ExactFormCase{"8bfm_blur_00_999.jpg", true},
                      ExactFormCase{"8BFM_BLUR_00_01_000.JPG", false}, ExactFormCase{"8BFM_BLUR_00_00.JPG", false},
                      ExactFormCase{"8BFM_BLUR_00_0000.JPG", false}, ExactFormCase{"8BFM_BLUR_00_0a0.JPG", false},
                      ExactFormCase{"8BFM_BLUR_00_000.JPEG", false}, ExactFormCase{"8BFM_BLUR_00_000.BMP", false},
                      ExactFormCase{"8BFM_BLUR_01_000.JPG", false}, ExactFormCase{"", false}));

TEST_F(PreviewImageManagerTest, ARenameTargetThatExistsIsNeverReplaced)
{
    // Something that is not an image already carries the name number 0 needs.
    fs::create_directory(images / "8BFM_BLUR_00_000.JPG");
    Put("8BFM_BLUR_00_001.JPG");
    Put("8BFM_BLUR_00_002.JPG");
    store.SetPlugin(&blur);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0], "Unexpected error: preview image write protected?");
    // Both files keep their names (number 0 is taken, 1 is still in use).
    EXPECT_EQ(store.GetNames(), (std::vector<std::string>{"8BFM_BLUR_00_001.JPG", "8BFM_BLUR_00_002.JPG"}));
    EXPECT_EQ(Content("8BFM_BLUR_00_001.JPG"), "was 8BFM_BLUR_00_001.JPG");
    EXPECT_EQ(Content("8BFM_BLUR_00_002.JPG"), "was 8BFM_BLUR_00_002.JPG");
    EXPECT_TRUE(fs::is_directory(images / "8BFM_BLUR_00_000.JPG"));
}

TEST_F(PreviewImageManagerTest, TheSamePluginIsNotReadAgainUntilCleared)
{
    Put("8BFM_BLUR_00_000.JPG");
    store.SetPlugin(&blur);
    Put("8BFM_BLUR_00_001.JPG");
    store.SetPlugin(&blur);
    EXPECT_EQ(store.GetCount(), 1);
    store.SetPlugin(nullptr);
    EXPECT_EQ(store.GetCount(), 0);
    EXPECT_EQ(store.GetCurrentIndex(), -1);
    EXPECT_EQ(store.GetCurrentName(), "");
    EXPECT_EQ(store.DisplayPath(), images / "EMPTY.JPG");
    store.SetPlugin(&blur);
    EXPECT_EQ(store.GetCount(), 2);
    // A record at the same address that now stands for another plug-in is read.
    blur.m_path = "/plugins/Sharpen.8bf";
    store.SetPlugin(&blur);
    EXPECT_EQ(store.GetCount(), 0);
    EXPECT_EQ(store.GetCurrentIndex(), -1);
}

TEST_F(PreviewImageManagerTest, AMissingImageDirectoryListsNothingAndAddsNothing)
{
    fs::remove(images);
    store.SetPlugin(&blur);
    EXPECT_EQ(store.GetCount(), 0);
    COXDIB dib = MakePattern(10, 10);
    EXPECT_FALSE(store.AddImage(dib.MakePackedCopy()));
    EXPECT_FALSE(fs::exists(images));
}

struct MoveCase {
    int count;
    int current;                // after moving to it with Next
    std::vector<bool> canMove;  // first, previous, next, last
    friend void PrintTo(const MoveCase& c, std::ostream* os) { *os << c.count << " images at " << c.current; }
};
class PreviewImageMoves : public PreviewImageManagerTest, public ::testing::WithParamInterface<MoveCase> {};
TEST_P(PreviewImageMoves, FollowThePosition)
{
    const auto& c = GetParam();
    for (int i = 0; i < c.count; ++i)
        Put(CPreviewImageManager::ImageName("8BFM_BLUR_00", i));
    store.SetPlugin(&blur);
    for (int i = 0; i < c.current; ++i)
        store.Move(CPreviewImageManager::kNext);
    ASSERT_EQ(store.GetCurrentIndex(), c.count ? c.current : -1);
    for (int d = 0; d < 4; ++d)
        EXPECT_EQ(store.CanMove(d), c.canMove[static_cast<std::size_t>(d)]) << "direction " << d;
}
INSTANTIATE_TEST_SUITE_P(Table, PreviewImageMoves,
                         ::testing::Values(MoveCase{0, 0, {false, false, false, false}},
                                           MoveCase{1, 0, {false, false, false, false}},
                                           MoveCase{2, 0, {false, false, true, true}},
                                           MoveCase{2, 1, {true, true, false, false}},
                                           MoveCase{3, 1, {true, true, true, true}}));

TEST_F(PreviewImageManagerTest, MovesStayInsideTheList)
{
    for (int i = 0; i < 3; ++i)
        Put(CPreviewImageManager::ImageName("8BFM_BLUR_00", i));
    EXPECT_FALSE(store.CanMove(CPreviewImageManager::kNext));  // no plug-in
    store.Move(CPreviewImageManager::kLast);
    EXPECT_EQ(store.GetCurrentIndex(), -1);
    store.SetPlugin(&blur);
    store.Move(CPreviewImageManager::kLast);
    EXPECT_EQ(store.GetCurrentIndex(), 2);
    store.Move(CPreviewImageManager::kNext);
    EXPECT_EQ(store.GetCurrentIndex(), 2);
    store.Move(CPreviewImageManager::kPrevious);
    EXPECT_EQ(store.GetCurrentIndex(), 1);
    store.Move(CPreviewImageManager::kFirst);
    store.Move(CPreviewImageManager::kPrevious);
    EXPECT_EQ(store.GetCurrentIndex(), 0);
    EXPECT_FALSE(store.CanMove(7));
}

TEST_F(PreviewImageManagerTest, AddImageFitsWritesAndAppends)
{
    Put("8BFM_BLUR_00_000.JPG");
    store.SetPlugin(&blur);
    COXDIB big = MakePattern(640, 480);
    ASSERT_TRUE(store.AddImage(big.MakePackedCopy()));
    EXPECT_EQ(store.GetCount(), 2);
    EXPECT_EQ(store.GetCurrentIndex(), 1);
    EXPECT_EQ(store.GetCurrentName(), "8BFM_BLUR_00_001.JPG");
    COXDIB stored;
    ASSERT_TRUE(LoadJpeg(images / "8BFM_BLUR_00_001.JPG", stored));
    EXPECT_EQ(stored.GetSize(), (COXDIB::Size{319, 239}));
    EXPECT_EQ(Content("8BFM_BLUR_00_000.JPG"), "was 8BFM_BLUR_00_000.JPG");
    // The store is what the next listing finds.
    store.SetPlugin(nullptr);
    store.SetPlugin(&blur);
    EXPECT_EQ(store.GetCount(), 2);
}

TEST_F(PreviewImageManagerTest, OnlyTrueColourImagesAreAdded)
{
    store.SetPlugin(&blur);
    COXDIB palette;
    ASSERT_TRUE(palette.Create(8, 20, 20));
    EXPECT_FALSE(store.AddImage(palette.MakePackedCopy()));
    EXPECT_FALSE(store.AddImage({}));
    EXPECT_TRUE(Files().empty());
    EXPECT_TRUE(messages.empty());
    store.SetPlugin(nullptr);
    EXPECT_FALSE(store.AddImage(MakePattern(4, 4).MakePackedCopy()));
}

TEST_F(PreviewImageManagerTest, DeletingTheMiddleImageRenumbersTheRest)
{
    for (int i = 0; i < 3; ++i)
        Put(CPreviewImageManager::ImageName("8BFM_BLUR_00", i));
    store.SetPlugin(&blur);
    store.Move(CPreviewImageManager::kNext);
    ASSERT_TRUE(store.DeleteCurrent());
    EXPECT_EQ(Files(), (std::set<std::string>{"8BFM_BLUR_00_000.JPG", "8BFM_BLUR_00_001.JPG"}));
    EXPECT_EQ(Content("8BFM_BLUR_00_001.JPG"), "was 8BFM_BLUR_00_002.JPG");
    EXPECT_EQ(store.GetCurrentIndex(), 1);
    store.Move(CPreviewImageManager::kLast);
    ASSERT_TRUE(store.DeleteCurrent());
    EXPECT_EQ(store.GetCurrentIndex(), 0);
    ASSERT_TRUE(store.DeleteCurrent());
    EXPECT_EQ(store.GetCount(), 0);
    EXPECT_EQ(store.GetCurrentIndex(), 0);
    EXPECT_EQ(store.GetCurrentName(), "");
    EXPECT_TRUE(Files().empty());
    EXPECT_FALSE(store.DeleteCurrent());
}

TEST_F(PreviewImageManagerTest, DeletingLowerCaseNamesRenumbersThem)
{
    Put("8bfm_blur_00_000.jpg");
    Put("8bfm_blur_00_001.jpg");
    store.SetPlugin(&blur);
    ASSERT_TRUE(store.DeleteCurrent());
    EXPECT_EQ(Files(), (std::set<std::string>{"8BFM_BLUR_00_000.JPG"}));
    EXPECT_EQ(Content("8BFM_BLUR_00_000.JPG"), "was 8bfm_blur_00_001.jpg");
}

TEST_F(PreviewImageManagerTest, AVanishedFileIsReportedAndTheListKept)
{
    Put("8BFM_BLUR_00_000.JPG");
    Put("8BFM_BLUR_00_001.JPG");
    store.SetPlugin(&blur);
    fs::remove(images / "8BFM_BLUR_00_000.JPG");
    EXPECT_FALSE(store.DeleteCurrent());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "8BFM_BLUR_00_000.JPG\nUnexpected error: preview image write protected?");
    EXPECT_EQ(store.GetCount(), 2);
    EXPECT_EQ(store.GetCurrentIndex(), 0);
    EXPECT_TRUE(fs::exists(images / "8BFM_BLUR_00_001.JPG"));
}

TEST_F(PreviewImageManagerTest, DisabledAndEnabledPluginShareTheirImages)
{
    Put("8BFM_BLUR_00_000.JPG");
    CPluginEntry disabled = MakePlugin("/plugins/Blur_8bf");
    store.SetPlugin(&disabled);
    EXPECT_EQ(store.GetCount(), 1);
    EXPECT_EQ(store.DisplayPath(), images / "8BFM_BLUR_00_000.JPG");
}
