// vardel-cli duplicates, folders and export on linked test plug-ins and on
// Wine prefixes made in a home directory of the test's own.

#include "CliTestSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <thread>

#include <sys/wait.h>

namespace vardel::test {
namespace {

namespace fs = std::filesystem;
using json = nlohmann::json;

class CollectorCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_plugins = testDataDir() / "plugins";
        if (!fs::exists(m_plugins / "pipl_single.8bf"))
            FAIL() << "test plug-ins not built: build the vardel_test_plugins target";
        fs::create_directories(m_data / "setup.db");
    }

    // A directory of the list holding copies of the plug-ins, scanned once.
    void AddScanned(const std::string& dir, std::initializer_list<const char*> names)
    {
        fs::create_directories(m_dir / dir);
        for (const char* name : names)
            fs::copy_file(m_plugins / name, m_dir / dir / name);
        json added = Ok({"dirs", "add", dir, (m_dir / dir).string()});
        Ok({"select", std::to_string(added["index"].get<int>())});
    }

    RunResult Cli(std::vector<std::string> args) { return RunCli(std::move(args), m_data); }
    json Ok(const std::vector<std::string>& args) { return RunCliOk(args, m_data); }

    TempDir m_dir;
    fs::path m_data = m_dir / "data";
    fs::path m_plugins;
};

// The same file in two directories is a group with both paths; disabling one
// copy renames only that file, and the group then counts one enabled copy.
TEST_F(CollectorCommandsTest, DuplicatesListsAndDisablesCopies)
{
    AddScanned("a", {"pipl_single.8bf", "pipl_three.8bf"});
    AddScanned("b", {"pipl_single.8bf"});
    json d = Ok({"duplicates"});
    ASSERT_EQ(d["groups"].size(), 2u);
    const json& content = d["groups"][0];
    EXPECT_EQ(content["kind"], "content");
    EXPECT_EQ(content["enabled_copies"], 2);
    ASSERT_EQ(content["copies"].size(), 2u);
    EXPECT_EQ(content["copies"][0]["places"][0]["path"], (m_dir / "a" / "pipl_single.8bf").string());
    EXPECT_EQ(content["copies"][1]["places"][0]["path"], (m_dir / "b" / "pipl_single.8bf").string());
    EXPECT_EQ(content["copies"][1]["places"][0]["label"], "b");
    EXPECT_EQ(d["groups"][1]["kind"], "name");
    EXPECT_EQ(d["groups"][1]["name"], "Soft Glow");
    EXPECT_EQ(d["files_hashed"], 2);
    EXPECT_EQ(Ok({"duplicates"})["files_hashed"], 0);  // kept in setup.db/hashes

    json after = Ok({"duplicates", "--disable", (m_dir / "b" / "pipl_single.8bf").string()});
    EXPECT_TRUE(fs::exists(m_dir / "b" / "pipl_single_8bf"));
    EXPECT_TRUE(fs::exists(m_dir / "a" / "pipl_single.8bf"));
    EXPECT_EQ(after["groups"][0]["enabled_copies"], 1);
    EXPECT_EQ(after["groups"][0]["copies"][1]["enabled"], false);

    const RunResult none = Cli({"duplicates", "--disable", (m_dir / "a" / "pipl_three.8bf").string()});
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.err.find("no copy"), std::string::npos);
    EXPECT_TRUE(fs::exists(m_dir / "a" / "pipl_three.8bf"));
}

// Found folders with their counts and labels; one is added with its label,
// then shows as listed and cannot be added again.
TEST_F(CollectorCommandsTest, FoldersFindsAndAddsHostFolders)
{
    const fs::path home = m_dir / "home";
    const fs::path plug = home / ".wine/drive_c/Program Files/Adobe/Photo Host/Plug-ins";
    fs::create_directories(plug);
    fs::copy_file(m_plugins / "pipl_single.8bf", plug / "Soft.8bf");
    const std::vector<std::string> folders = {"folders", "--home", home.string()};

    // The home directory is $HOME unless --home names one.
    const RunResult byEnv = run({"/usr/bin/env", "HOME=" + home.string(), (binDir() / "vardel-cli").string(),
                                 "--data-dir", m_data.string(), "folders"});
    ASSERT_EQ(byEnv.status, 0) << byEnv.err;
    json found = json::parse(byEnv.out);
    EXPECT_EQ(found, Ok(folders));
    EXPECT_EQ(found["complete"], true);
    ASSERT_EQ(found["folders"].size(), 1u);
    EXPECT_EQ(found["folders"][0]["label"], "Photo Host");
    EXPECT_EQ(found["folders"][0]["plugin_files"], 1);
    EXPECT_EQ(found["folders"][0]["listed"], false);

    json added = Ok({"folders", "--home", home.string(), "--add", "0"});
    EXPECT_EQ(added["label"], "Photo Host");
    EXPECT_EQ(added["directory"], fs::canonical(plug).string());
    EXPECT_EQ(added["include_subdirectories"], 1);
    EXPECT_EQ(Ok({"dirs", "list"}).size(), 1u);
    EXPECT_EQ(Ok(folders)["folders"][0]["directory"], 0);

    EXPECT_EQ(Cli({"folders", "--home", home.string(), "--add", "0"}).status, 1);
    EXPECT_EQ(Cli({"folders", "--home", home.string(), "--add", "1"}).status, 1);
    EXPECT_EQ(Ok({"dirs", "list"}).size(), 1u);
}

TEST_F(CollectorCommandsTest, ExportWritesCsvAndHtml)
{
    AddScanned("a", {"ff_filter.8bf", "pipl_single.8bf"});
    const RunResult csv = Cli({"export", "--dir", "0", "--format", "csv"});
    ASSERT_EQ(csv.status, 0) << csv.err;
    EXPECT_EQ(csv.out.substr(0, csv.out.find("\r\n")),
              "Name,Category,Kind,Class,File,Enabled,32/64-bit,Signed,Description,Keywords,Author,Formula R,"
              "Formula G,Formula B,Formula A");
    EXPECT_NE(csv.out.find("FF Ripple,FF Cat,Filter,Photoshop Filter Plugins,"), std::string::npos);
    EXPECT_NE(csv.out.find(",A. Vardel,r+ctl(0),g*ctl(1)/255,b-x%16,a\r\n"), std::string::npos);

    const fs::path page = m_dir / "out" / "catalogue.html";
    fs::create_directories(page.parent_path());
    ASSERT_EQ(Cli({"export", "--dir", "0", "--format", "html", "--out", page.string()}).status, 0);
    const auto html = readFile(page);
    EXPECT_NE(std::string(html.begin(), html.end()).find("<title>a</title>"), std::string::npos);

    EXPECT_EQ(Cli({"export", "--dir", "0", "--format", "xml"}).status, 2);
    EXPECT_EQ(Cli({"export", "--dir", "3", "--format", "csv"}).status, 1);
    const fs::path nowhere = m_dir / "missing" / "x.csv";
    EXPECT_EQ(Cli({"export", "--dir", "0", "--format", "csv", "--out", nowhere.string()}).status, 1);
    EXPECT_FALSE(fs::exists(nowhere.parent_path()));
    // Never in a store's place.
    const auto index = readFile(m_data / "setup.db" / "index");
    EXPECT_EQ(
        Cli({"export", "--dir", "0", "--format", "csv", "--out", (m_data / "setup.db" / "index").string()}).status, 1);
    EXPECT_EQ(readFile(m_data / "setup.db" / "index"), index);
}

// watch names what someone else does to the directory's plug-in files once
// it has said it is watching; with nothing done it says so when its time is up.
TEST_F(CollectorCommandsTest, WatchNamesWhatOthersChanged)
{
    AddScanned("a", {"pipl_single.8bf", "pipl_three.8bf"});
    json quiet = Ok({"watch", "--dir", "0", "--timeout", "0.2", "--interval", "50"});
    EXPECT_EQ(quiet["changed"], false);
    EXPECT_TRUE(quiet["added"].empty() && quiet["removed"].empty() && quiet["modified"].empty());

    const fs::path out = m_dir / "watch.out";
    const fs::path err = m_dir / "watch.err";
    const int pid = spawn({(binDir() / "vardel-cli").string(), "--data-dir", m_data.string(), "watch", "--dir", "0",
                           "--timeout", "30", "--interval", "50"},
                          out, err);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    const auto watching = [&] {
        std::error_code ec;
        if (!fs::exists(err, ec))
            return false;
        const auto said = readFile(err);
        return std::string(said.begin(), said.end()).find("Watching") != std::string::npos;
    };
    while (!watching() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    fs::rename(m_dir / "a" / "pipl_three.8bf", m_dir / "a" / "three.8bf");
    const int status = waitFor(pid, std::chrono::seconds(30));
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const auto bytes = readFile(out);
    const json changed = json::parse(std::string(bytes.begin(), bytes.end()));
    EXPECT_EQ(changed["changed"], true);
    EXPECT_EQ(changed["added"], json::array({(m_dir / "a" / "three.8bf").string()}));
    EXPECT_EQ(changed["removed"], json::array({(m_dir / "a" / "pipl_three.8bf").string()}));

    // A directory that is not on the list is refused.
    EXPECT_EQ(Cli({"watch", "--dir", "7", "--timeout", "0"}).status, 1);
}

}  // namespace
}  // namespace vardel::test
