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

// A damaged or forged "index" may name a catalogue file anywhere: removing
// the entry deletes no file outside setup.db, and Setup can give the entry a
// new catalogue file of its own.
TEST(DirectorySetup, CatalogueFilesOutsideSetupDbAreNeverDeleted)
{
    test::TempDir tmp;
    DataDirectory data{tmp.path()};
    fs::create_directory(data.SetupDb());
    const fs::path victim = tmp / "victim";
    const std::vector<std::string> outside = {
        victim.string(),        "setup.db/../victim", "setup.db\\..\\victim",
        "setup.db/./../victim", "../victim",          std::string("setup.db/SETUP000\0x", 18)};
    for (const std::string& stored : outside) {
        test::writeFile(victim, std::string("keep me"));
        if (stored.find('\0') != std::string::npos)
            test::writeFile(data.SetupDb() / "SETUP000", std::string());
        DirectoryList list;
        list.push_back(std::make_unique<CPluginDirEntry>());
        list[0]->m_catalogueFile = stored;
        EXPECT_FALSE(HasUsableCatalogueFile(data, *list[0])) << stored;
        EXPECT_FALSE(CatalogueFilePath(data, stored)) << stored;
        EXPECT_TRUE(RemoveDirectory(data, list, 0)) << stored;
        EXPECT_TRUE(list.empty());
        EXPECT_TRUE(fs::exists(victim)) << stored;
    }
    EXPECT_TRUE(fs::exists(data.SetupDb() / "SETUP000")) << "a name cut short names no file";

    CPluginDirEntry entry;
    entry.m_catalogueFile = victim.string();
    ASSERT_TRUE(RenewCatalogueFile(data, entry));
    EXPECT_EQ(entry.m_catalogueFile, "setup.db/SETUP001");
    EXPECT_EQ(fs::file_size(data.SetupDb() / "SETUP001"), 0u);
    ASSERT_TRUE(RenewCatalogueFile(data, entry)) << "a usable one stays";
    EXPECT_EQ(entry.m_catalogueFile, "setup.db/SETUP001");
    EXPECT_EQ(*CatalogueFilePath(data, "setup.db\\SETUP001"), data.SetupDb() / "SETUP001");
}
