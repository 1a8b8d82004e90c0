#include "CliTestSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace vardel;
namespace fs = std::filesystem;
using nlohmann::json;

namespace {

class StoreCommands : public testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directory(m_tmp / "setup.db");
        fs::create_directory(m_tmp / "plugins");
    }
    test::RunResult Cli(std::vector<std::string> args) { return test::RunCli(std::move(args), m_tmp.path()); }
    std::string Plugins() const { return (m_tmp / "plugins").string(); }

    test::TempDir m_tmp;
};

}  // namespace

TEST_F(StoreCommands, DirsAddListRemove)
{
    auto added = Cli({"dirs", "add", "Filters", Plugins() + "//", "--subdirs"});
    ASSERT_EQ(added.status, 0) << added.err;
    json entry = json::parse(added.out);
    EXPECT_EQ(entry["directory"], Plugins());
    EXPECT_EQ(entry["include_subdirectories"], 1);
    EXPECT_EQ(entry["catalogue_file"], "setup.db/SETUP000");
    EXPECT_EQ(fs::file_size(m_tmp / "setup.db" / "SETUP000"), 0u);

    ASSERT_EQ(Cli({"dirs", "add", "", "", "--separator"}).status, 0);
    json list = json::parse(Cli({"dirs", "list"}).out);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1]["separator"], 1);
    EXPECT_EQ(list[1]["catalogue_file"], "setup.db/SETUP001");

    auto removed = Cli({"dirs", "remove", "0"});
    ASSERT_EQ(removed.status, 0) << removed.err;
    EXPECT_FALSE(fs::exists(m_tmp / "setup.db" / "SETUP000"));
    list = json::parse(Cli({"dirs", "list"}).out);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0]["index"], 0);
}

TEST_F(StoreCommands, DirsAddRefusals)
{
    auto missing = Cli({"dirs", "add", "X", (m_tmp / "nope").string()});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("The specified directory does not exist!"), std::string::npos);
    EXPECT_EQ(Cli({"dirs", "add", "", Plugins()}).status, 1);
    EXPECT_FALSE(fs::exists(m_tmp / "setup.db" / "index"));
    EXPECT_FALSE(fs::exists(m_tmp / "setup.db" / "SETUP000"));
    EXPECT_EQ(Cli({"dirs", "add", "OnlyLabel"}).status, 2);
    EXPECT_EQ(Cli({"dirs", "remove", "0"}).status, 1);

    fs::remove(m_tmp / "setup.db");
    EXPECT_EQ(Cli({"dirs", "add", "X", Plugins()}).status, 1);
    EXPECT_FALSE(fs::exists(m_tmp / "setup.db"));
}

TEST_F(StoreCommands, DirsRemoveKeepsTheEntryWhenTheFileCannotBeDeleted)
{
    ASSERT_EQ(Cli({"dirs", "add", "A", Plugins()}).status, 0);
    fs::remove(m_tmp / "setup.db" / "SETUP000");
    EXPECT_EQ(Cli({"dirs", "remove", "0"}).status, 1);
    EXPECT_EQ(json::parse(Cli({"dirs", "list"}).out).size(), 1u);
}

TEST_F(StoreCommands, ACorruptDirectoryListIsNotOverwritten)
{
    ASSERT_EQ(Cli({"dirs", "add", "A", Plugins()}).status, 0);
    ASSERT_EQ(Cli({"dirs", "add", "B", Plugins()}).status, 0);
    auto index = test::readFile(m_tmp / "setup.db" / "index");
    index.resize(index.size() - 3);
    test::writeFile(m_tmp / "setup.db" / "index", index);
    EXPECT_EQ(Cli({"dirs", "add", "C", Plugins()}).status, 1);
    EXPECT_EQ(test::readFile(m_tmp / "setup.db" / "index"), index);
    auto list = Cli({"dirs", "list"});
    EXPECT_EQ(list.status, 1);
    EXPECT_EQ(json::parse(list.out).size(), 1u);
}

TEST_F(StoreCommands, DumpRestoreKeyedByKey)
{
    std::string data = std::string("\x01\x00", 2) + "\x0C" + "8BFM_BLUR_00" +
                       std::string("\xFF\xFF\x01\x00\x13\x00", 6) + "CPluginRestoreEntry" + "\x05" + "Blurs" + "\x04" +
                       "Bl\xE9r";
    test::writeFile(m_tmp / "setup.db" / "restore", data);
    auto r = Cli({"store", "dump", (m_tmp / "setup.db" / "restore").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    json j = json::parse(r.out);
    EXPECT_EQ(j["kind"], "restore");
    EXPECT_EQ(j["entries"]["8BFM_BLUR_00"]["original_category"], "Blurs");
    EXPECT_EQ(j["entries"]["8BFM_BLUR_00"]["original_name"], "Bl\xC3\xA9r");
}

TEST_F(StoreCommands, DumpCatalogueFromItsNameAndPartialDumps)
{
    std::string entry = std::string("\x08/p/a.8bf") + std::string(4 * 10, '\0') + "\x01N" +
                        "\x01"
                        "C" +
                        std::string(4 * 5, '\0');
    std::string data = std::string("\x02\x00\x00\x00\x02\x00", 6) + std::string("\xFF\xFF\x01\x00\x0C\x00", 6) +
                       "CPluginEntry" + entry + std::string("\x01\x80", 2) + entry.substr(0, 5);
    auto file = m_tmp / "setup.db" / "SETUP012";
    test::writeFile(file, data);
    auto r = Cli({"store", "dump", file.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(r.err.empty());
    json j = json::parse(r.out);
    EXPECT_EQ(j["kind"], "catalogue");
    EXPECT_EQ(j["selected_class"], 2);
    ASSERT_EQ(j["entries"].size(), 1u);
    EXPECT_EQ(j["entries"][0]["path"], "/p/a.8bf");
    EXPECT_EQ(j["entries"][0]["name"], "N");
    EXPECT_EQ(j["entries"][0]["category"], "C");
    EXPECT_TRUE(j["entries"][0].contains("reserved3"));
    EXPECT_FALSE(j["entries"][0].contains("sort_key"));
}

TEST_F(StoreCommands, DumpKindAndFileErrors)
{
    auto other = m_tmp / "setup.db" / "whatever";
    test::writeFile(other, std::string("\x00\x00", 2));
    EXPECT_EQ(Cli({"store", "dump", other.string()}).status, 2);
    auto asIndex = Cli({"store", "dump", other.string(), "--kind", "index"});
    EXPECT_EQ(asIndex.status, 0);
    EXPECT_EQ(json::parse(asIndex.out)["entries"].size(), 0u);
    EXPECT_EQ(Cli({"store", "dump", other.string(), "--kind", "bogus"}).status, 2);
    EXPECT_EQ(Cli({"store", "dump", (m_tmp / "setup.db" / "index").string()}).status, 1);
}

TEST_F(StoreCommands, DumpLaunchBarAndDescriptions)
{
    std::string bar = std::string("\x01\x00\xFF\xFF\x01\x00\x0F\x00", 8) + "CLaunchBarEntry" +
                      "\x02"
                      "Ed" +
                      std::string(4, '\0') + std::string("\x07\x00\x00\x00", 4);
    test::writeFile(m_tmp / "setup.db" / "launchbar", bar);
    json j = json::parse(Cli({"store", "dump", (m_tmp / "setup.db" / "launchbar").string()}).out);
    ASSERT_EQ(j["entries"].size(), 1u);  // the stored entries, not topped up
    EXPECT_EQ(j["entries"][0]["label"], "Ed");
    EXPECT_EQ(j["entries"][0]["icon_index"], 7);
    EXPECT_EQ(j["entries"][0]["show_command"], 5);
}

// Without --data-dir the tool uses the data the desktop program would: an
// installation in the current directory, else the user's data directory.
TEST(StoreCommandsDataDirectory, TheDesktopProgramsChoice)
{
    test::TempDir dir;
    const fs::path home = dir / "home", here = dir / "here";
    const fs::path user = home / ".local/share/Orvane Software/Vardel 2.0";
    fs::create_directories(user / "setup.db");
    fs::create_directories(here);
    const auto cli = [&](const std::string& args) {
        return test::run({"/bin/sh", "-c",
                          "cd '" + here.string() + "' && exec /usr/bin/env -u XDG_DATA_HOME HOME='" + home.string() +
                              "' '" + (test::binDir() / "vardel-cli").string() + "' " + args});
    };
    const test::RunResult added = cli("dirs add Mine '" + here.string() + "'");
    ASSERT_EQ(added.status, 0) << added.err;
    EXPECT_TRUE(fs::exists(user / "setup.db" / "index"));
    EXPECT_FALSE(fs::exists(here / "setup.db"));

    fs::create_directories(here / "setup.db");
    const test::RunResult listed = cli("dirs list");
    ASSERT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(json::parse(listed.out), json::array()) << "the installation here comes first";
}
