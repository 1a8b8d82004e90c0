// vardel-cli resources, read, scan, select and rescan on the linked test plug-ins.

#include "CliTestSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>

using namespace vardel::test;
namespace fs = std::filesystem;
using nlohmann::json;

namespace {

// A data directory with setup.db and a plug-in directory holding copies.
struct DataDir {
    TempDir temp;
    fs::path plugins = temp / "plugins";
    std::string data = (temp / "data").string();

    explicit DataDir(std::initializer_list<const char*> files)
    {
        fs::create_directories(temp / "data" / "setup.db");
        fs::create_directories(plugins / "sub");
        for (const char* f : files)
            fs::copy_file(testPlugin(f), plugins / f);
        fs::copy_file(testPlugin("pipl_nocat.8bf"), plugins / "sub" / "nested.8bf");
    }
    void AddDirectory()
    {
        auto r = RunCli({"--data-dir", data, "dirs", "add", "Test", plugins.string()});
        ASSERT_EQ(r.status, 0) << r.err;
    }
};

std::vector<std::string> Names(const json& entries)
{
    std::vector<std::string> out;
    for (const auto& e : entries)
        out.push_back(e.at("name").get<std::string>());
    return out;
}

}  // namespace

TEST(ReadCommands, ResourcesListsTheDirectory)
{
    auto r = RunCli({"resources", testPlugin("named.8bf").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    auto j = json::parse(r.out);
    ASSERT_EQ(j.size(), 2u);
    EXPECT_EQ(j[0], (json{{"type", "PIPL"}, {"name", "MYPLUGIN"}, {"language", 1033}, {"size", j[0]["size"]}}));
    EXPECT_EQ(j[1]["name"], "#16000");
    EXPECT_GT(j[0]["size"].get<int>(), 0);
}

TEST(ReadCommands, ResourcesOfANonModuleFails)
{
    auto r = RunCli({"resources", testPlugin("text.8bf").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("not a module"), std::string::npos);
    EXPECT_TRUE(r.out.empty());
    EXPECT_EQ(RunCli({"resources"}).status, 2);
}

TEST(ReadCommands, ReadPrintsEntriesWithDerivedNames)
{
    auto r = RunCli({"read", testPlugin("pipl_three.8bf").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    auto j = json::parse(r.out);
    ASSERT_EQ(j.size(), 3u);
    EXPECT_EQ(j[1]["name"], "Beta Two");
    EXPECT_EQ(j[1]["kind_code"], "8BFM");
    EXPECT_EQ(j[1]["image_base_name"], "8BFM_PIPL_THREE_01");
    EXPECT_EQ(j[1]["description_key"], "8BFM_PIPL_THREE_01_0");
    EXPECT_EQ(j[1]["real_path"], testPlugin("pipl_three.8bf").string());
    EXPECT_TRUE(j[1].contains("sort_key"));
}

TEST(ReadCommands, ReadReportsAnUnknownPiMIKind)
{
    auto r = RunCli({"read", testPlugin("pimi_mixed.8be").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "Interner Fehler in <ReadPimi>: unbekannter Plugin Typ!\n");
    EXPECT_EQ(Names(json::parse(r.out)), std::vector<std::string>{"PiMI Export"});
    EXPECT_EQ(json::parse(RunCli({"read", testPlugin("text.8bf").string()}).out), json::array());
}

TEST(ReadCommands, ReadSaysWhyASixteenBitModuleIsNotRead)
{
    TempDir dir;
    writeSixteenBitModule(dir / "old.prm");
    auto r = RunCli({"read", (dir / "old.prm").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("16-bit Windows module: not supported"), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty());
    // A scan passes over it without a word.
    fs::copy_file(testPlugin("pipl_single.8bf"), dir / "single.8bf");
    fs::create_directories(dir / "data" / "setup.db");
    r = RunCli({"--data-dir", (dir / "data").string(), "scan", dir.path().string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(Names(json::parse(r.out)), std::vector<std::string>{"Soft Glow"});
}

TEST(ReadCommands, ScanWithAndWithoutSubdirectories)
{
    DataDir d({"pipl_single.8bf", "premiere_filter.prm"});
    auto flat = RunCli({"--data-dir", d.data, "scan", d.plugins.string()});
    ASSERT_EQ(flat.status, 0) << flat.err;
    EXPECT_EQ(json::parse(flat.out).size(), 2u);
    auto deep = RunCli({"--data-dir", d.data, "scan", d.plugins.string(), "--subdirs"});
    EXPECT_EQ(json::parse(deep.out).size(), 3u);
    auto prmOnly = RunCli({"--data-dir", d.data, "scan", d.plugins.string(), "--extensions", "prm"});
    EXPECT_EQ(Names(json::parse(prmOnly.out)), std::vector<std::string>{"Vardel Video Filter"});
    // The restore database of the data directory got the originals.
    EXPECT_TRUE(fs::file_size(fs::path(d.data) / "setup.db" / "restore") > 0);
}

TEST(ReadCommands, SelectScansOnceThenRefreshes)
{
    DataDir d({"pipl_three.8bf", "pimi_filter.8bf", "disabled_8bf"});
    d.AddDirectory();
    auto first = RunCli({"--data-dir", d.data, "select", "0"});
    ASSERT_EQ(first.status, 0) << first.err;
    auto a = json::parse(first.out);
    EXPECT_EQ(a["scanned"], true);
    EXPECT_EQ(a["files_read"], 3);
    EXPECT_EQ(a["selected_class"], 0);
    EXPECT_EQ(a["class_counts"], json({6, 0, 0, 0, 0, 0, 0, 0, 0, 0}));

    auto second = RunCli({"--data-dir", d.data, "select", "0"});
    ASSERT_EQ(second.status, 0) << second.err;
    auto b = json::parse(second.out);
    EXPECT_EQ(b["scanned"], false);
    EXPECT_EQ(b["files_read"], 0);
    EXPECT_EQ(b["entries"], a["entries"]);

    auto rescan = RunCli({"--data-dir", d.data, "rescan", "0"});
    ASSERT_EQ(rescan.status, 0) << rescan.err;
    EXPECT_EQ(json::parse(rescan.out)["files_read"], 3);
}

TEST(ReadCommands, SelectFailures)
{
    DataDir d({});
    EXPECT_EQ(RunCli({"--data-dir", d.data, "select", "0"}).status, 1) << "no directory configured";
    d.AddDirectory();
    fs::remove(fs::path(d.data) / "setup.db" / "SETUP000");
    auto r = RunCli({"--data-dir", d.data, "select", "0"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("SETUP000 was not found."), std::string::npos) << r.err;
}

// The outputs whose entries are printed as they are made are exactly what
// printing the whole value prints: the same indentation, keys in order,
// empty arrays as "[]".
TEST(ReadCommands, EntriesPrintedAsTheyAreMadeReadAsWholeValuesPrint)
{
    DataDir d({"pipl_three.8bf", "pimi_filter.8bf", "ff_filter.8bf"});
    d.AddDirectory();
    fs::create_directories(d.temp / "empty");
    auto asWhole = [](const std::string& out) { return json::parse(out).dump(2) + "\n"; };
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"select", "0"},
          {"select", "0"},
          {"rescan", "0"},
          {"scan", d.plugins.string(), "--subdirs"},
          {"scan", (d.temp / "empty").string()},
          {"find", "", "--dir", "0"},
          {"find", "nothing like it", "--dir", "0"},
          {"store", "dump", (d.temp / "data" / "setup.db" / "SETUP000").string()}}) {
        std::vector<std::string> full = {"--data-dir", d.data};
        full.insert(full.end(), args.begin(), args.end());
        const auto r = RunCli(full);
        ASSERT_EQ(r.status, 0) << args.front() << ": " << r.err;
        EXPECT_EQ(r.out, asWhole(r.out)) << args.front();
        const bool topArray = args.front() == "scan" || args.front() == "find";
        EXPECT_EQ(json::parse(r.out).is_array(), topArray) << args.front();
    }
}
