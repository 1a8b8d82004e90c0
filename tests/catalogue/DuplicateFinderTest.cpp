#include "catalogue/ContentHashCache.h"
#include "catalogue/DuplicateFinder.h"
#include "catalogue/PluginTables.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace vardel;
namespace fs = std::filesystem;

namespace {

class DuplicateFinderTest : public ::testing::Test {
protected:
    // An item of directory n for the file, written with content when given.
    CatalogueItem& File(int n, const fs::path& path, const std::string& content, const std::string& name = "Blur",
                        int kind = kKindFilter)
    {
        if (!content.empty()) {
            fs::create_directories(path.parent_path());
            test::writeFile(path, content);
        }
        m_items.push_back({n, static_cast<int>(m_items.size()), path.string(), kind, 2, 0, name, "Cat", true});
        return m_items.back();
    }

    CDuplicateFinder Run(std::stop_token stop = {})
    {
        CDuplicateFinder finder(m_items, m_hashes, std::move(stop));
        finder.Run();
        return finder;
    }

    static std::vector<const DuplicateGroup*> OfKind(const CDuplicateFinder& f, DuplicateKind kind)
    {
        std::vector<const DuplicateGroup*> out;
        for (const auto& g : f.Groups())
            if (g.kind == kind)
                out.push_back(&g);
        return out;
    }

    test::TempDir m_dir;
    std::vector<CatalogueItem> m_items;
    CContentHashCache m_hashes;
};

}  // namespace

// Only files that share their size are hashed, each once: the second run
// takes every hash from the cache until a file changes.
TEST_F(DuplicateFinderTest, SameContentAcrossDirectoriesHashedOnce)
{
    File(0, m_dir / "a" / "Blur.8bf", "same bytes");
    File(1, m_dir / "b" / "Blur.8bf", "same bytes");
    File(1, m_dir / "b" / "Other.8bf", "diff bytes", "Other");  // same size, other content
    File(1, m_dir / "b" / "Long.8bf", "a longer file", "Long");

    auto first = Run();
    auto content = OfKind(first, DuplicateKind::SameContent);
    ASSERT_EQ(content.size(), 1u);
    ASSERT_EQ(content[0]->copies.size(), 2u);
    EXPECT_EQ(content[0]->copies[0].places.at(0).directory, 0);
    EXPECT_EQ(content[0]->copies[1].places.at(0).directory, 1);
    EXPECT_EQ(content[0]->size, 10u);
    EXPECT_EQ(first.FilesHashed(), 3);
    EXPECT_EQ(Run().FilesHashed(), 0);

    // A change of content and time is seen: only that file is hashed again.
    test::writeFile(m_dir / "b" / "Blur.8bf", "new! bytes");
    fs::last_write_time(m_dir / "b" / "Blur.8bf",
                        fs::last_write_time(m_dir / "a" / "Blur.8bf") + std::chrono::seconds(2));
    auto changed = Run();
    EXPECT_EQ(changed.FilesHashed(), 1);
    EXPECT_TRUE(OfKind(changed, DuplicateKind::SameContent).empty());

    // Files no catalogue holds any longer are forgotten.
    m_items.resize(2);
    Run();
    EXPECT_EQ(m_hashes.Size(), 2u);
}

// A file that two directories of the list reach (one through a link) is one
// copy with two places, no duplicate of itself; a file that is gone or is
// no regular file takes part in name groups only.
TEST_F(DuplicateFinderTest, OneFileSeenTwiceIsOneCopy)
{
    File(0, m_dir / "real" / "Blur.8bf", "content");
    fs::create_directory_symlink(m_dir / "real", m_dir / "linked");
    File(1, m_dir / "linked" / "Blur.8bf", "");
    test::makeFifo(m_dir / "Fifo.8bf");
    File(2, m_dir / "Fifo.8bf", "");
    File(2, m_dir / "Gone.8bf", "");

    auto finder = Run();
    EXPECT_TRUE(OfKind(finder, DuplicateKind::SameContent).empty());
    auto names = OfKind(finder, DuplicateKind::SameName);
    ASSERT_EQ(names.size(), 1u);  // Blur once (two places), the FIFO and the gone file: three copies
    ASSERT_EQ(names[0]->copies.size(), 3u);
    const auto& linked = names[0]->copies[0];
    ASSERT_EQ(linked.places.size(), 2u);
    EXPECT_EQ(linked.places[1].path, (m_dir / "linked" / "Blur.8bf").string());
    EXPECT_EQ(names[0]->EnabledCopies(), 3);
}

// The host shows a plug-in twice when its class, name and category are the
// same, whatever the files; another class or category is another menu item.
TEST_F(DuplicateFinderTest, SameNameGroupsByClassNameAndCategory)
{
    File(0, m_dir / "1.8bf", "1", "Twirl");
    File(0, m_dir / "2.8bf", "22", "Twirl").enabled = false;
    File(0, m_dir / "3.8bf", "333", "Twirl").category = "Other";
    File(0, m_dir / "4.8be", "4444", "Twirl", KindFromCode("8BEM"));
    File(0, m_dir / "5.8bf", "55555", "Twirl", 0);  // unknown kind: in no class
    File(0, m_dir / "6.8bf", "666666", "");

    const auto finder = Run();
    auto names = OfKind(finder, DuplicateKind::SameName);
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0]->name, "Twirl");
    EXPECT_EQ(names[0]->category, "Cat");
    EXPECT_EQ(names[0]->pluginClass, ClassOfKind(kKindFilter));
    ASSERT_EQ(names[0]->copies.size(), 2u);
    EXPECT_EQ(names[0]->EnabledCopies(), 1);
}

TEST_F(DuplicateFinderTest, StopsWhenAsked)
{
    for (int i = 0; i < 5; ++i)
        File(i, m_dir / std::to_string(i) / "Same.8bf", "same");
    std::stop_source stop;
    stop.request_stop();
    auto finder = Run(stop.get_token());
    EXPECT_TRUE(finder.Stopped());
    EXPECT_TRUE(finder.Groups().empty());
    EXPECT_EQ(m_hashes.Size(), 0u);
}
