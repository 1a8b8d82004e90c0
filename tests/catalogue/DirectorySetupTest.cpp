#include "catalogue/DirectorySetup.h"
#include "catalogue/PluginDirEntry.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace vardel;
namespace fs = std::filesystem;

TEST(DirectorySetup, TrailingSeparatorsAreRemoved)
{
    EXPECT_EQ(RemoveTrailingSeparators("/plugins//"), "/plugins");
    EXPECT_EQ(RemoveTrailingSeparators("/plugins"), "/plugins");
    EXPECT_EQ(RemoveTrailingSeparators("/"), "");
    EXPECT_EQ(RemoveTrailingSeparators(""), "");
}

TEST(DirectorySetup, CheckFollowsTheDialog)
{
    test::TempDir tmp;
    CPluginDirEntry e;
    e.m_label = "L";
    e.m_directory = tmp.path().string() + "//";
    EXPECT_EQ(CheckDirectoryEntry(e), DirEntryCheck::Accepted);
    EXPECT_EQ(e.m_directory, tmp.path().string());

    e.m_directory = (tmp / "missing").string();
    EXPECT_EQ(CheckDirectoryEntry(e), DirEntryCheck::DirectoryMissing);
    test::writeFile(tmp / "file", std::string("x"));
    e.m_directory = (tmp / "file").string();
    EXPECT_EQ(CheckDirectoryEntry(e), DirEntryCheck::DirectoryMissing);

    CPluginDirEntry noLabel;
    noLabel.m_directory = tmp.path().string();
    EXPECT_EQ(CheckDirectoryEntry(noLabel), DirEntryCheck::Incomplete);

    CPluginDirEntry separator;
    separator.m_separator = 1;
    EXPECT_EQ(CheckDirectoryEntry(separator), DirEntryCheck::Accepted);  // "" is the root
}

TEST(DirectorySetup, AddRemoveAndMove)
{
    test::TempDir tmp;
    DataDirectory data{tmp.path()};
    fs::create_directory(data.SetupDb());
    DirectoryList list;
    for (const char* label : {"a", "b", "c"}) {
        auto e = std::make_unique<CPluginDirEntry>();
        e->m_label = label;
        AddDirectory(data, list, std::move(e));
    }
    ASSERT_EQ(list.size(), 3u);
    EXPECT_TRUE(fs::exists(data.Resolve(list[2]->m_catalogueFile)));

    EXPECT_FALSE(MoveDirectoryUp(list, 0));
    EXPECT_FALSE(MoveDirectoryDown(list, 2));
    EXPECT_TRUE(MoveDirectoryDown(list, 0));
    EXPECT_EQ(list[0]->m_label, "b");
    EXPECT_TRUE(MoveDirectoryUp(list, 1));
    EXPECT_EQ(list[0]->m_label, "a");

    const fs::path file = data.Resolve(list[1]->m_catalogueFile);
    EXPECT_TRUE(RemoveDirectory(data, list, 1));
    EXPECT_FALSE(fs::exists(file));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1]->m_label, "c");

    // A catalogue file that cannot be deleted keeps the entry.
    fs::remove(data.Resolve(list[1]->m_catalogueFile));
    EXPECT_FALSE(RemoveDirectory(data, list, 1));
    EXPECT_EQ(list.size(), 2u);
    EXPECT_FALSE(RemoveDirectory(data, list, 7));
}

TEST(DirectorySetup, The101stEntryGetsNoFileAndCanStillBeRemoved)
{
    test::TempDir tmp;
    DataDirectory data{tmp.path()};
    fs::create_directory(data.SetupDb());
    DirectoryList list;
    for (int i = 0; i < 101; ++i)
        AddDirectory(data, list, std::make_unique<CPluginDirEntry>());
    EXPECT_NE(list[99]->m_catalogueFile, "");
    EXPECT_EQ(list[100]->m_catalogueFile, "");
    EXPECT_TRUE(RemoveDirectory(data, list, 100));
    EXPECT_EQ(list.size(), 100u);
}
