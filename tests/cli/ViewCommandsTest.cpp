// vardel-cli view, info, details, describe and the category commands on a
// directory of linked test plug-ins, and view and details over the sample
// collection.

#include "CliTestSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>

namespace vardel::test {
namespace {

namespace fs = std::filesystem;
using json = nlohmann::json;
using Strings = std::vector<std::string>;

class ViewCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_plugins = testDataDir() / "plugins";
        if (!fs::exists(m_plugins / "ff_protected.8bf"))
            FAIL() << "test plug-ins not built: build the vardel_test_plugins target";
        fs::create_directories(m_data / "setup.db");
        fs::create_directories(m_dir / "p");
    }

    void Copy(std::initializer_list<const char*> names)
    {
        for (const char* name : names)
            fs::copy_file(m_plugins / name, m_dir / "p" / name);
    }

    void AddDirectory() { ASSERT_EQ(Cli({"dirs", "add", "Plug-ins", (m_dir / "p").string()}).status, 0); }

    RunResult Cli(std::vector<std::string> args) { return RunCli(std::move(args), m_data); }

    json Ok(const std::vector<std::string>& args) { return RunCliOk(args, m_data); }

    // The position in the sorted catalogue of the plug-in with that name.
    int EntryOf(const std::string& name)
    {
        json selected = Ok({"select", "0"});
        const auto& entries = selected["entries"];
        for (std::size_t i = 0; i < entries.size(); ++i)
            if (entries[i]["name"] == name)
                return static_cast<int>(i);
        ADD_FAILURE() << "no plug-in " << name;
        return -1;
    }

    static Strings Texts(const json& items)
    {
        Strings texts;
        for (const auto& item : items)
            texts.push_back(item["text"]);
        return texts;
    }

    TempDir m_dir;
    fs::path m_data = m_dir / "data";
    fs::path m_plugins;
};

TEST_F(ViewCommandsTest, ViewSelectsCategoryZeroAndPluginZero)
{
    Copy({"pipl_three.8bf", "ff_filter.8bf", "ff_protected.8bf", "pipl_kinds.8bf"});
    AddDirectory();
    json v = Ok({"view", "--dir", "0"});
    EXPECT_EQ(v["class"], 0);
    EXPECT_EQ(v["class_text"], "Photoshop Filter Plugins");
    ASSERT_EQ(v["classes"].size(), 7u);
    EXPECT_EQ(v["classes"][0], json({{"index", 0},
                                     {"name", "Photoshop Filter Plugins"},
                                     {"count", 5},
                                     {"enabled", true},
                                     {"checked", true},
                                     {"separator_before", false}}));
    EXPECT_EQ(v["classes"][5]["enabled"], false);
    EXPECT_EQ(Texts(v["categories"]), (Strings{"FF Cat", "FF Renamed Cat", "Other Cat", "Shared Cat"}));
    EXPECT_EQ(v["category"], 0);
    EXPECT_EQ(Texts(v["plugins"]), Strings{"FF Ripple"});
    EXPECT_EQ(v["plugins"][0]["entry"], EntryOf("FF Ripple"));
    EXPECT_EQ(v["selected"], json({0}));
    EXPECT_EQ(v["indicators"], json({{"categories", 4}, {"plugins", 1}, {"selected", 1}, {"enabled", 1}}));
    EXPECT_EQ(v["indicator_texts"], json({"Categories: 4", "Plugins: 1", "Selected: 1", "Enabled: 1"}));

    v = Ok({"view", "--dir", "0", "--category", "3", "--select", "0,1"});
    EXPECT_EQ(Texts(v["plugins"]), (Strings{"Alpha One", "Beta Two"}));
    EXPECT_EQ(v["plugins"][1]["entry"], EntryOf("Beta Two"));
    EXPECT_EQ(v["indicators"]["selected"], 2);
    EXPECT_EQ(v["plugin_commands"]["move"], true);
    EXPECT_EQ(v["plugin_commands"]["rename"], false);
    EXPECT_EQ(v["plugin_commands"]["properties"], false);
}

TEST_F(ViewCommandsTest, ClassCommandIsStoredWithTheCatalogue)
{
    Copy({"pipl_three.8bf", "pipl_kinds.8bf"});
    AddDirectory();
    json v = Ok({"view", "--dir", "0", "--class", "1"});
    EXPECT_EQ(v["class"], 1);
    EXPECT_EQ(v["class_text"], "Photoshop General Plugins");
    EXPECT_EQ(Texts(v["categories"]), (Strings{"Import/Acquire", "Format"}));
    for (const auto& item : v["categories"])
        EXPECT_EQ(item["icon"], 0);
    EXPECT_EQ(v["classes"][1]["checked"], true);
    EXPECT_EQ(v["classes"][0]["checked"], false);
    EXPECT_EQ(Ok({"view", "--dir", "0"})["class"], 1);

    EXPECT_EQ(Cli({"view", "--dir", "0", "--class", "6"}).status, 1) << "an empty class";
    EXPECT_EQ(Cli({"view", "--dir", "0", "--class", "9"}).status, 1);
    EXPECT_EQ(Cli({"view", "--dir", "0", "--category", "2"}).status, 1);
    EXPECT_EQ(Cli({"view", "--dir", "0", "--select", "0,1"}).status, 1);
    EXPECT_EQ(Cli({"view", "--dir", "3"}).status, 1);
    EXPECT_EQ(Cli({"view"}).status, 2);
}

TEST_F(ViewCommandsTest, OnlyGeneralPluginsSelectClassOne)
{
    Copy({"pimi_mixed.8be"});
    AddDirectory();
    json v = Ok({"view", "--dir", "0"});
    EXPECT_EQ(v["class"], 1);
    EXPECT_EQ(Texts(v["categories"]), Strings{"Export"});
    EXPECT_EQ(Texts(v["plugins"]), Strings{"PiMI Export"});
    for (const auto& c : v["classes"])
        EXPECT_EQ(c["enabled"], c["index"] == 1);
}

TEST_F(ViewCommandsTest, ReadOnlyAndDisabledMembersGiveIconFive)
{
    Copy({"pipl_single.8bf", "disabled_8bf", "pipl_marker3.8bf"});
    fs::permissions(m_dir / "p" / "pipl_marker3.8bf",
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    AddDirectory();
    json v = Ok({"view", "--dir", "0"});
    ASSERT_EQ(Texts(v["categories"]), Strings{"Vardel Test"});
    EXPECT_EQ(v["categories"][0]["icon"], 5);
    std::vector<int> icons;
    for (const auto& p : v["plugins"])
        icons.push_back(p["icon"]);
    std::sort(icons.begin(), icons.end());
    EXPECT_EQ(icons, (std::vector<int>{0, 1, 3}));
    EXPECT_EQ(v["indicators"]["enabled"], 2);
    EXPECT_EQ(v["category_commands"]["enable"], false);
    EXPECT_EQ(Cli({"disable-category", "--dir", "0", "--entry", std::to_string(EntryOf("Soft Glow"))}).status, 1);
    EXPECT_TRUE(fs::exists(m_dir / "p" / "pipl_single.8bf")) << "nothing renamed";
}

TEST_F(ViewCommandsTest, InfoAddsTheFilesOwnDescriptionOnce)
{
    Copy({"ff_protected.8bf", "fxvs_text.prm", "pipl_single.8bf"});
    AddDirectory();
    const std::string ff = std::to_string(EntryOf("FF Hidden"));
    json i = Ok({"info", "--dir", "0", "--entry", ff});
    EXPECT_EQ(i["author"], "B. Hidden");
    EXPECT_EQ(i["description"], "A hidden filter described in its block.");
    EXPECT_EQ(i["filename"], (m_dir / "p" / "ff_protected.8bf").string());
    EXPECT_EQ(i["added_to_database"], true);
    EXPECT_TRUE(fs::exists(m_data / "setup.db" / "keywords"));
    i = Ok({"info", "--dir", "0", "--entry", ff});
    EXPECT_EQ(i["added_to_database"], false);
    EXPECT_EQ(i["description"], "A hidden filter described in its block.");

    i = Ok({"info", "--dir", "0", "--entry", std::to_string(EntryOf("Vardel Transition"))});
    EXPECT_EQ(i["author"], "");
    EXPECT_EQ(i["description"], "A transition described in its file");
    i = Ok({"info", "--dir", "0", "--entry", std::to_string(EntryOf("Soft Glow"))});
    EXPECT_EQ(i["description"], "");
    EXPECT_EQ(i["added_to_database"], false);
    EXPECT_EQ(Cli({"info", "--dir", "0", "--entry", "3"}).status, 1);
}

TEST_F(ViewCommandsTest, DetailsOfTheSheet)
{
    Copy({"pipl_three.8bf", "ff_filter.8bf", "ff_protected.8bf", "modes0.8bf", "signed.8bf"});
    AddDirectory();
    json d = Ok({"details", "--dir", "0", "--entry", std::to_string(EntryOf("Beta Two"))});
    EXPECT_EQ(d["title"], "Plugin Details");
    EXPECT_EQ(d["pages"], json({" Preview ", " General Properties "}));
    EXPECT_EQ(d["plugins_in_file"], json({"03: Gamma Three", "01: Alpha One", "02: Beta Two"}));
    EXPECT_EQ(d["kind"], "Filter");
    EXPECT_EQ(d["resource"], "PiPL");
    EXPECT_EQ(d["original_name"], "Beta Two");
    EXPECT_EQ(d["size"], std::to_string(fs::file_size(m_dir / "p" / "pipl_three.8bf")));
    EXPECT_EQ(d["about_box"], false);
    EXPECT_EQ(d["about_box_reason"], "Plug-in code is never run here.");
    EXPECT_EQ(d["machine"], "x86-64");
    EXPECT_EQ(d["signed"], false);
    EXPECT_FALSE(d.contains("filter_factory"));

    d = Ok({"details", "--dir", "0", "--entry", std::to_string(EntryOf("FF Hidden"))});
    EXPECT_EQ(d["pages"], json({" Preview ", " Author/Description ", " General Properties "}));
    EXPECT_EQ(d["original_name"], "FF Hidden Original");
    EXPECT_EQ(d["original_category"], "FF Built Cat");
    EXPECT_EQ(d["filter_factory"]["protected"], true);
    EXPECT_FALSE(d["filter_factory"].contains("formulas")) << "a protected filter hides them";
    EXPECT_EQ(d["filter_factory"]["sliders"].size(), 8u);

    d = Ok({"details", "--dir", "0", "--entry", std::to_string(EntryOf("FF Ripple"))});
    EXPECT_EQ(d["pages"].size(), 4u);
    EXPECT_EQ(d["filter_factory"]["formulas"][0], "r+ctl(0)");
    EXPECT_EQ(d["filter_factory"]["sliders"][3], json({{"visible", true}, {"label", "Map 1"}, {"value", 40}}));

    d = Ok({"details", "--dir", "0", "--entry", std::to_string(EntryOf("No Modes"))});
    ASSERT_EQ(d["modes"].size(), 12u);
    for (const auto& m : d["modes"]) {
        EXPECT_EQ(m["checked"], false);
        EXPECT_EQ(m["enabled"], false);
    }
    d = Ok({"details", "--dir", "0", "--entry", std::to_string(EntryOf("Soft Glow"))});
    EXPECT_EQ(d["signed"], true);

    // A Filter Factory filter whose block cannot be read opens no sheet.
    const int ripple = EntryOf("FF Ripple");
    fs::remove(m_dir / "p" / "ff_filter.8bf");
    RunResult r = Cli({"details", "--dir", "0", "--entry", std::to_string(ripple)});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("does not open"), std::string::npos) << r.err;
}

TEST_F(ViewCommandsTest, DescribeStoresUnlessBothTextsAreEmpty)
{
    Copy({"pipl_three.8bf"});
    AddDirectory();
    const std::string k = std::to_string(EntryOf("Alpha One"));
    json d = Ok({"describe", "--dir", "0", "--entry", k});
    EXPECT_EQ(d, json({{"key", "8BFM_PIPL_THREE_00_0"},
                       {"found", false},
                       {"stored", false},
                       {"description", ""},
                       {"keywords", ""}}));
    d = Ok({"describe", "--dir", "0", "--entry", k, "--description", "Soft café", "--keywords", "blur soft"});
    EXPECT_EQ(d["stored"], true);
    EXPECT_EQ(d["description"], "Soft café");
    d = Ok({"describe", "--dir", "0", "--entry", k});
    EXPECT_EQ(d["found"], true);
    EXPECT_EQ(d["keywords"], "blur soft");
    // Clearing both stores nothing; clearing one stores the empty one.
    d = Ok({"describe", "--dir", "0", "--entry", k, "--description", "", "--keywords", ""});
    EXPECT_EQ(d["stored"], false);
    EXPECT_EQ(d["description"], "Soft café");
    d = Ok({"describe", "--dir", "0", "--entry", k, "--keywords", ""});
    EXPECT_EQ(d["stored"], true);
    EXPECT_EQ(d["description"], "Soft café");
    EXPECT_EQ(d["keywords"], "");
    EXPECT_EQ(Ok({"find", "café", "--dir", "0", "--fields", "description"}).size(), 1u);
}

TEST_F(ViewCommandsTest, CategoryCommands)
{
    Copy({"pipl_three.8bf", "pipl_single.8bf"});
    AddDirectory();
    const fs::path file = m_dir / "p" / "pipl_three.8bf";
    const auto before = readFile(file);

    RunResult r = Cli({"rename-category", "--dir", "0", "--entry", std::to_string(EntryOf("Alpha One")), "Jo"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(json::parse(r.out)["accepted"], false);
    EXPECT_EQ(readFile(file), before);

    json c = Ok({"rename-category", "--dir", "0", "--entry", std::to_string(EntryOf("Beta Two")), "Joined"});
    EXPECT_EQ(c["accepted"], true);
    EXPECT_EQ(c["limit"], 10);
    ASSERT_EQ(c["plugins"].size(), 2u);
    for (const auto& p : c["plugins"]) {
        EXPECT_EQ(p["status"], "written");
        EXPECT_EQ(p["category"], "Joined");
    }
    const auto after = readFile(file);
    const std::string joined("\x06Joined", 7);
    EXPECT_EQ(std::search(after.begin(), after.end(), joined.begin(), joined.end()) - after.begin() > 0, true);
    EXPECT_EQ(Texts(Ok({"view", "--dir", "0"})["categories"]), (Strings{"Joined", "Other Cat", "Vardel Test"}));

    r = Cli({"move-category", "--dir", "0", "--entry", std::to_string(EntryOf("Gamma Three")), "Vardel Test"});
    EXPECT_EQ(r.status, 1);
    c = json::parse(r.out);
    EXPECT_EQ(c["limit"], 9);
    EXPECT_EQ(c["proposals"], json({"Joined", "Other Cat"})) << "Vardel Test has 11 characters";
    EXPECT_EQ(c["accepted"], false) << c;

    c = Ok({"move", "--dir", "0", "--entry",
            std::to_string(EntryOf("Alpha One")) + "," + std::to_string(EntryOf("Soft Glow")), "Mixed"});
    EXPECT_EQ(c["limit"], 10) << "the smaller of 10 (Shared Cat) and 11 (Vardel Test)";
    EXPECT_EQ(c["limit_text"], "Up to 10 characters allowed");
    EXPECT_EQ(c["plugins"].size(), 2u);
    json v = Ok({"view", "--dir", "0"});
    EXPECT_EQ(Texts(v["categories"]), (Strings{"Joined", "Mixed", "Other Cat"}));
    EXPECT_EQ(Texts(Ok({"view", "--dir", "0", "--category", "1"})["plugins"]), (Strings{"Alpha One", "Soft Glow"}));

    c = Ok({"disable-category", "--dir", "0", "--entry", std::to_string(EntryOf("Gamma Three"))});
    EXPECT_EQ(c["accepted"], true);
    EXPECT_EQ(c["plugins"].size(), 3u) << "the other entries of the file follow";
    EXPECT_TRUE(fs::exists(m_dir / "p" / "pipl_three_8bf"));
    const json disabledView = Ok({"view", "--dir", "0"});
    for (const auto& item : disabledView["categories"])
        EXPECT_EQ(item["icon"], item["text"] == "Mixed" ? 2 : 1) << item;
    Ok({"enable-category", "--dir", "0", "--entry", std::to_string(EntryOf("Beta Two"))});
    EXPECT_TRUE(fs::exists(file));

    EXPECT_EQ(Cli({"rename-category", "--dir", "0", "--entry", "0"}).status, 2);
    EXPECT_EQ(Cli({"enable-category", "--dir", "0", "--entry", "0", "extra"}).status, 2);
    EXPECT_EQ(Cli({"rename", "--dir", "0", "--entry", "0,1", "Name"}).status, 2);
    EXPECT_EQ(Cli({"move", "--dir", "0", "--entry", "0,x", "Name"}).status, 2);
    EXPECT_EQ(Cli({"move", "--dir", "0", "--entry", "0,9", "Name"}).status, 1);
}

// plan tells what a command would change, as the window's questions do, and
// changes nothing.
TEST_F(ViewCommandsTest, PlanTellsWhatACommandWouldChangeAndChangesNothing)
{
    Copy({"pipl_three.8bf", "signed.8bf"});
    AddDirectory();
    const fs::path three = m_dir / "p" / "pipl_three.8bf";
    const fs::path signedFile = m_dir / "p" / "signed.8bf";
    const auto threeBefore = readFile(three);
    const auto signedBefore = readFile(signedFile);
    const json catalogueBefore = Ok({"select", "0"})["entries"];
    const auto names = [](const json& plugins) {
        Strings out;
        for (const auto& p : plugins)
            out.push_back(p["name"]);
        std::sort(out.begin(), out.end());
        return out;
    };

    // Disabling one plug-in of a file disables its file-mates too.
    json plan = Ok({"plan", "disable", "--dir", "0", "--entry", std::to_string(EntryOf("Alpha One"))});
    EXPECT_EQ(plan["files"], json({three.string()}));
    EXPECT_EQ(names(plan["file_mates"]), (Strings{"Beta Two", "Gamma Three"}));
    EXPECT_EQ(plan["signed_files"], json::array());
    for (const auto& mate : plan["file_mates"])
        EXPECT_EQ(mate["entry"], EntryOf(mate["name"]));
    // Naming them all leaves no mate; the signed file is named as such.
    plan = Ok({"plan", "disable", "--dir", "0", "--entry",
               std::to_string(EntryOf("Alpha One")) + "," + std::to_string(EntryOf("Beta Two")) + "," +
                   std::to_string(EntryOf("Gamma Three")) + "," + std::to_string(EntryOf("Soft Glow"))});
    EXPECT_EQ(plan["files"].size(), 2u);
    EXPECT_EQ(plan["file_mates"], json::array());
    EXPECT_EQ(plan["signed_files"], json({signedFile.string()}));
    // Enabling what is enabled changes nothing.
    plan = Ok({"plan", "enable", "--dir", "0", "--entry", std::to_string(EntryOf("Alpha One"))});
    EXPECT_EQ(plan["files"], json::array());
    EXPECT_EQ(plan["file_mates"], json::array());
    // A category: its own plug-ins are named, so only the other category's
    // plug-in of the file comes along when it is disabled; a rename of the
    // category rewrites the file and takes nobody along.
    plan = Ok({"plan", "disable", "--category", "--dir", "0", "--entry", std::to_string(EntryOf("Beta Two"))});
    EXPECT_EQ(names(plan["file_mates"]), (Strings{"Gamma Three"}));
    plan = Ok({"plan", "write", "--category", "--dir", "0", "--entry", std::to_string(EntryOf("Beta Two"))});
    EXPECT_EQ(plan["files"], json({three.string()}));
    EXPECT_EQ(plan["file_mates"], json::array());

    EXPECT_EQ(readFile(three), threeBefore);
    EXPECT_EQ(readFile(signedFile), signedBefore);
    EXPECT_EQ(Ok({"select", "0"})["entries"], catalogueBefore);

    EXPECT_EQ(Cli({"plan", "rename", "--dir", "0", "--entry", "0"}).status, 2);
    EXPECT_EQ(Cli({"plan", "disable", "--category", "--dir", "0", "--entry", "0,1"}).status, 2);
    EXPECT_EQ(Cli({"plan", "disable", "--dir", "0", "--entry", "x"}).status, 2);
    EXPECT_EQ(Cli({"plan", "disable", "--dir", "0", "--entry", "9"}).status, 1);
    EXPECT_EQ(Cli({"plan", "disable", "--dir", "7", "--entry", "0"}).status, 1);
}

// The sample collection: every plug-in of a class is in exactly one item of
// its category list, and every plug-in's sheet opens.
TEST_F(ViewCommandsTest, TheSampleCollection)
{
    const fs::path sample = m_dir / "sample";
    RunResult made = run({"/usr/bin/python3", (sourceDir() / "tests/plugins/make_plugins.py").string(), "sample",
                          sample.string(), "40"});
    if (made.status != 0)
        FAIL() << "cannot build the sample collection: " << made.err;
    ASSERT_EQ(Cli({"dirs", "add", "Sample", sample.string(), "--subdirs"}).status, 0);
    json entries = Ok({"select", "0"})["entries"];
    ASSERT_GT(entries.size(), 20u);
    json v = Ok({"view", "--dir", "0"});
    for (const auto& cls : v["classes"]) {
        if (!cls["enabled"])
            continue;
        const std::string c = std::to_string(cls["index"].get<int>());
        json view = Ok({"view", "--dir", "0", "--class", c});
        int total = 0;
        for (std::size_t i = 0; i < view["categories"].size(); ++i) {
            json items = Ok({"view", "--dir", "0", "--class", c, "--category", std::to_string(i)});
            total += static_cast<int>(items["plugins"].size());
            for (const auto& p : items["plugins"]) {
                const auto& e = entries[p["entry"].get<std::size_t>()];
                std::string name = e["name"];
                name.erase(name.find_last_not_of(' ') + 1);
                EXPECT_EQ(p["text"], name);
                EXPECT_EQ(p["icon"], e["enabled"] == 1 ? 0 : 1);
            }
        }
        EXPECT_EQ(total, cls["count"].get<int>()) << cls;
    }
    for (std::size_t k = 0; k < entries.size(); k += 3) {
        json d = Ok({"details", "--dir", "0", "--entry", std::to_string(k)});
        EXPECT_EQ(d["name"], entries[k]["name"]);
        EXPECT_FALSE(d["plugins_in_file"].empty());
        EXPECT_EQ(d["machine"], "x86-64");
    }
}

}  // namespace
}  // namespace vardel::test
