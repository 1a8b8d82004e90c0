// The commands that work on the data directory's session keep its stores
// safe: no write or delete outside setup.db, no unchanged non-plug-in read
// twice, no stale temporary file left behind.

#include "CliTestSupport.h"
#include "support/TestSupport.h"

#include "app/Stores.h"
#include "catalogue/PluginDirEntry.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace vardel;
namespace fs = std::filesystem;
using nlohmann::json;

namespace {

class SessionCommands : public testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(m_tmp / "data" / "setup.db");
        fs::create_directories(m_tmp / "plugins");
    }
    test::RunResult Cli(std::vector<std::string> args) { return test::RunCli(std::move(args), m_tmp / "data"); }
    // An index whose one entry names the catalogue file stored.
    void WriteIndex(const std::string& stored)
    {
        DirectoryList list;
        auto e = std::make_unique<CPluginDirEntry>();
        e->m_label = "Forged";
        e->m_directory = (m_tmp / "plugins").string();
        e->m_catalogueFile = stored;
        list.push_back(std::move(e));
        ASSERT_TRUE(SaveDirectoryList(DataDirectory{m_tmp / "data"}, list));
    }

    test::TempDir m_tmp;
};

}  // namespace

TEST_F(SessionCommands, CatalogueFilesOutsideSetupDbAreNeitherWrittenNorDeleted)
{
    fs::copy_file(test::testPlugin("pipl_single.8bf"), m_tmp / "plugins" / "a.8bf");
    const fs::path victim = m_tmp / "victim";
    for (const std::string& stored : {victim.string(), std::string("setup.db/../../victim")}) {
        test::writeFile(victim, std::string("precious"));
        WriteIndex(stored);
        auto select = Cli({"select", "0"});
        EXPECT_EQ(select.status, 1) << stored;
        EXPECT_NE(select.err.find("outside setup.db"), std::string::npos) << select.err;
        EXPECT_EQ(fs::file_size(victim), 8u) << stored;

        auto removed = Cli({"dirs", "remove", "0"});
        EXPECT_EQ(removed.status, 0) << removed.err;
        EXPECT_EQ(json::parse(removed.out).size(), 0u);
        EXPECT_TRUE(fs::exists(victim)) << stored;
    }
}

// An entry could name another store as its catalogue file: select wrote a
// catalogue over it and "dirs remove" deleted it. Only catalogue files'
// names are taken, in either case and with either separator.
TEST_F(SessionCommands, OtherStoresAreNeverTakenForCatalogueFiles)
{
    fs::copy_file(test::testPlugin("pipl_single.8bf"), m_tmp / "plugins" / "a.8bf");
    const fs::path setupDb = m_tmp / "data" / "setup.db";
    for (const std::string name :
         {"keywords", "restore", "launchbar", "pimiinfo", "nonplugins", "SETUP000.damaged", "SETUP0000", "SETUP00x"}) {
        for (const char separator : {'/', '\\'}) {
            const std::string stored = std::string("setup.db") + separator + name;
            test::writeFile(setupDb / name, std::string("precious"));
            WriteIndex(stored);
            auto select = Cli({"select", "0"});
            EXPECT_EQ(select.status, 1) << stored;
            EXPECT_NE(select.err.find("outside setup.db or names another store"), std::string::npos) << select.err;
            EXPECT_EQ(fs::file_size(setupDb / name), 8u) << stored;
            auto removed = Cli({"dirs", "remove", "0"});
            EXPECT_EQ(removed.status, 0) << removed.err;
            EXPECT_EQ(fs::file_size(setupDb / name), 8u) << stored;
            fs::remove(setupDb / name);
        }
    }
    for (const std::string stored : {"setup.db/setup007", "setup.db\\Setup008"}) {
        WriteIndex(stored);
        test::writeFile(setupDb / stored.substr(9), std::string());
        auto select = Cli({"select", "0"});
        EXPECT_EQ(select.status, 0) << stored << ": " << select.err;
        EXPECT_GT(fs::file_size(setupDb / stored.substr(9)), 0u) << stored;
    }
}

TEST_F(SessionCommands, SecondSelectionReadsNoUnchangedFile)
{
    fs::copy_file(test::testPlugin("pipl_three.8bf"), m_tmp / "plugins" / "three.8bf");
    fs::copy_file(test::testPlugin("text.8bf"), m_tmp / "plugins" / "readme.8bf");
    ASSERT_EQ(Cli({"dirs", "add", "P", (m_tmp / "plugins").string()}).status, 0);
    auto first = Cli({"select", "0"});
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(json::parse(first.out)["files_read"], 2);
    auto second = Cli({"select", "0"});
    ASSERT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(json::parse(second.out)["files_read"], 0) << "readme.8bf included";
    EXPECT_EQ(json::parse(second.out)["entries"].size(), 3u);
}

TEST_F(SessionCommands, StaleTemporaryFilesGoAtTheNextStart)
{
    ASSERT_EQ(Cli({"dirs", "add", "P", (m_tmp / "plugins").string()}).status, 0);
    const fs::path stale = m_tmp / "data" / "setup.db" / "~index.Zq81xY";
    const fs::path foreign = m_tmp / "data" / "setup.db" / "~notes.Zq81xY";
    test::writeFile(stale, std::string("half a store"));
    test::writeFile(foreign, std::string("not ours"));
    // A reader cannot tell whether a writer is saving right now.
    ASSERT_EQ(Cli({"dirs", "list"}).status, 0);
    EXPECT_TRUE(fs::exists(stale));
    ASSERT_EQ(Cli({"dirs", "add", "Q", (m_tmp / "plugins").string()}).status, 0);
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(foreign));
}
