// vardel-cli rename, move, enable and disable on the linked test plug-ins.
// Every changed file is compared byte for byte with the original patched at
// offsets the test finds itself, and is read again by an established PE
// parser (python3-pefile) that must see the same resources.

#include "app/Stores.h"
#include "catalogue/PIMIManager.h"
#include "catalogue/PluginDirEntry.h"
#include "catalogue/PluginListManager.h"
#include "catalogue/PluginReader.h"
#include "catalogue/PluginRestoreManager.h"
#include "support/TestSupport.h"
#include "CliTestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>

namespace vardel::test {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// Resource type, name, language, file offset and size of every resource, as
// pefile sees them, with its warnings (the test plug-ins carry no code, which
// pefile remarks on; a change must add no remark).
const char* kPeScript = R"(
import json, sys, pefile
pe = pefile.PE(sys.argv[1])
out = []
for t in pe.DIRECTORY_ENTRY_RESOURCE.entries:
    tname = str(t.name) if t.name is not None else '#%d' % t.id
    for n in t.directory.entries:
        nname = str(n.name) if n.name is not None else '#%d' % n.id
        for l in n.directory.entries:
            d = l.data.struct
            out.append([tname, nname, l.id, pe.get_offset_from_rva(d.OffsetToData), d.Size])
print(json.dumps({'resources': out, 'warnings': pe.get_warnings()}))
)";

class ModifyCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_plugins = testDataDir() / "plugins";
        if (!fs::exists(m_plugins / "pipl_three.8bf"))
            FAIL() << "test plug-ins not built: build the vardel_test_plugins target";
        fs::create_directories(m_dir / "data" / "setup.db");
        fs::create_directories(m_dir / "p");
        writeFile(m_dir / "pe.py", std::string(kPeScript));
    }

    fs::path Copy(const std::string& name)
    {
        fs::copy_file(m_plugins / name, m_dir / "p" / name);
        return m_dir / "p" / name;
    }

    RunResult Cli(std::vector<std::string> args) { return RunCli(std::move(args), m_dir / "data"); }

    nlohmann::json PeResources(const fs::path& file)
    {
        auto r = run({"/usr/bin/python3", (m_dir / "pe.py").string(), file.string()});
        EXPECT_EQ(r.status, 0) << r.err;
        auto j = nlohmann::json::parse(r.out);
        EXPECT_FALSE(j["resources"].empty());
        return j;
    }

    // Offset of the first byte after the pattern's first occurrence.
    static std::size_t After(const Bytes& bytes, const std::string& pattern)
    {
        auto it = std::search(bytes.begin(), bytes.end(), pattern.begin(), pattern.end());
        EXPECT_NE(it, bytes.end()) << pattern;
        return static_cast<std::size_t>(it - bytes.begin()) + pattern.size();
    }

    static Bytes Patched(Bytes bytes, std::size_t at, const std::string& text)
    {
        std::copy(text.begin(), text.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
        return bytes;
    }

    // The changed bytes lie inside one resource of the type.
    static void ChangedInside(const nlohmann::json& resources, const std::string& type, std::size_t from,
                              std::size_t to)
    {
        bool inside = false;
        for (const auto& r : resources["resources"])
            inside = inside || (r[0] == type && r[3].get<std::size_t>() <= from &&
                                to <= r[3].get<std::size_t>() + r[4].get<std::size_t>());
        EXPECT_TRUE(inside) << type << " " << from << ".." << to;
    }

    TempDir m_dir;
    fs::path m_plugins;
};

TEST_F(ModifyCommandsTest, RenamePadsToTheOldNameAndKeepsThePe)
{
    auto file = Copy("pipl_three.8bf");
    const Bytes before = readFile(file);
    auto resources = PeResources(file);

    auto r = Cli({"rename", file.string(), "1", "Blur"});

    ASSERT_EQ(r.status, 0) << r.err;
    auto entry = nlohmann::json::parse(r.out);
    EXPECT_EQ(entry["name"], "Blur");
    EXPECT_EQ(entry["image_base_name"], "8BFM_PIPL_THREE_01");
    std::size_t at = After(before, std::string("\0\x08"
                                               "Beta Two",
                                               10)) -
                     8;
    EXPECT_EQ(readFile(file), Patched(before, at, "Blur    "));
    EXPECT_EQ(PeResources(file), resources);
    ChangedInside(resources, "PIPL", at, at + 8);
}

TEST_F(ModifyCommandsTest, MoveWritesTheLengthByteAndKeepsTheOldTail)
{
    auto file = Copy("pipl_three.8bf");
    const Bytes before = readFile(file);
    auto resources = PeResources(file);

    // Plug-in 2 is the only one of "Other Cat".
    auto r = Cli({"move", file.string(), "2", "Art"});

    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(nlohmann::json::parse(r.out)["category"], "Art");
    std::size_t at = After(before, std::string("\0\x09Other Cat", 11)) - 10;
    EXPECT_EQ(readFile(file), Patched(before, at,
                                      "\x03"
                                      "Art"));
    EXPECT_EQ(PeResources(file), resources);
    ChangedInside(resources, "PIPL", at, at + 4);
}

TEST_F(ModifyCommandsTest, FilterFactoryRenameWritesTheNewLength)
{
    auto file = Copy("ff_filter.8bf");
    const Bytes before = readFile(file);
    auto resources = PeResources(file);

    auto r = Cli({"rename", file.string(), "0", "Blur"});

    ASSERT_EQ(r.status, 0) << r.err;
    std::size_t at = After(before, std::string("\0\x09"
                                               "FF Ripple",
                                               11)) -
                     10;
    EXPECT_EQ(readFile(file), Patched(before, at,
                                      "\x04"
                                      "Blur"));
    EXPECT_EQ(PeResources(file), resources);
}

TEST_F(ModifyCommandsTest, PimiMoveCarriesTheTail)
{
    auto file = Copy("pimi_filter.8bf");
    const Bytes before = readFile(file);
    auto resources = PeResources(file);

    auto r = Cli({"move", file.string(), "0", "Cat"});

    ASSERT_EQ(r.status, 0) << r.err;
    std::size_t at = After(before, std::string("\x03\0PiMI Cat\0", 11)) - 9;
    Bytes tail(before.begin() + static_cast<std::ptrdiff_t>(at + 9),
               before.begin() + static_cast<std::ptrdiff_t>(at + 25));
    Bytes expected = Patched(before, at, std::string("Cat\0", 4));
    std::copy(tail.begin(), tail.end(), expected.begin() + static_cast<std::ptrdiff_t>(at + 4));
    EXPECT_EQ(readFile(file), expected);
    EXPECT_EQ(PeResources(file), resources);
    ChangedInside(resources, "PIMI", at, at + 20);
}

TEST_F(ModifyCommandsTest, RefusedTextsWriteNothing)
{
    auto file = Copy("pipl_three.8bf");
    const Bytes before = readFile(file);
    for (auto args : std::vector<std::vector<std::string>>{{"rename", file.string(), "1", "Bl"},
                                                           {"move", file.string(), "1", "Ar"},
                                                           {"rename", file.string(), "1", "Beta Two!"},
                                                           {"move", file.string(), "2", "Other Cat!"},
                                                           {"rename", file.string(), "7", "Blur"}}) {
        auto r = Cli(args);
        EXPECT_EQ(r.status, 1) << args[0] << " " << args[3];
        EXPECT_FALSE(r.err.empty());
        EXPECT_TRUE(r.out.empty());
    }
    EXPECT_EQ(readFile(file), before);
}

TEST_F(ModifyCommandsTest, ReadOnlyFileIsRefused)
{
    auto file = Copy("pipl_three.8bf");
    const Bytes before = readFile(file);
    fs::permissions(file, fs::perms::owner_read);
    for (const char* command : {"rename", "move"}) {
        auto r = Cli({command, file.string(), "1", "Blur"});
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("File read only?"), std::string::npos) << r.err;
    }
    auto r = Cli({"disable", file.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(fs::exists(file));
    EXPECT_EQ(readFile(file), before);
}

TEST_F(ModifyCommandsTest, DisableRenamesTheFileOnceAndEnableBringsItBack)
{
    auto file = Copy("pipl_three.8bf");
    const Bytes before = readFile(file);
    auto disabled = m_dir / "p" / "pipl_three_8bf";

    auto r = Cli({"disable", file.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(nlohmann::json::parse(r.out)["path"], disabled.string());
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(readFile(disabled), before);

    r = Cli({"disable", disabled.string()});  // already disabled: nothing to do
    EXPECT_EQ(r.status, 0) << r.err;

    r = Cli({"enable", disabled.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(nlohmann::json::parse(r.out)["path"], file.string());
    EXPECT_EQ(readFile(file), before);
}

TEST_F(ModifyCommandsTest, DisableNeverReplacesAnExistingFile)
{
    auto file = Copy("pipl_three.8bf");
    auto other = m_dir / "p" / "pipl_three_8bf";
    fs::copy_file(m_plugins / "pipl_single.8bf", other);
    const Bytes a = readFile(file), b = readFile(other);

    EXPECT_EQ(Cli({"disable", file.string()}).status, 1);
    EXPECT_EQ(Cli({"enable", other.string()}).status, 1);
    EXPECT_EQ(readFile(file), a);
    EXPECT_EQ(readFile(other), b);
}

// ------------------------------------------------------------ --dir forms

class CatalogueCommandsTest : public ModifyCommandsTest {
protected:
    void SetUp() override
    {
        ModifyCommandsTest::SetUp();
        if (IsSkipped())
            return;
        m_file = Copy("pipl_three.8bf");
        DataDirectory data{m_dir / "data"};
        DirectoryList list;
        auto dir = std::make_unique<CPluginDirEntry>();
        dir->m_label = "Plug-ins";
        dir->m_directory = (m_dir / "p").string();
        dir->m_catalogueFile = "setup.db\\SETUP000";
        list.push_back(std::move(dir));
        ASSERT_TRUE(SaveDirectoryList(data, list));

        CPluginListManager catalogue;
        CPluginRestoreManager restore;
        CPIMIManager tails;
        CPluginReader reader(catalogue, restore, tails);
        ASSERT_EQ(reader.ReadFile(m_file.string(), true), 3);
        // Stored in sort key order: Other Cat sorts after Shared Cat? No: O < S.
        std::sort(catalogue.m_entries.begin(), catalogue.m_entries.end(),
                  [](const auto& x, const auto& y) { return x->SortKey() < y->SortKey(); });
        ASSERT_TRUE(SaveCatalogue(m_catalogueFile, 0, catalogue));
    }

    CPluginListManager Stored()
    {
        CPluginListManager catalogue;
        int selected = -1;
        EXPECT_TRUE(LoadCatalogue(m_catalogueFile, selected, catalogue));
        return catalogue;
    }

    fs::path m_file;
    fs::path m_catalogueFile = m_dir / "data" / "setup.db" / "SETUP000";
};

TEST_F(CatalogueCommandsTest, MoveActsOnTheStoredEntryThenSortsAndSaves)
{
    const Bytes before = readFile(m_file);
    ASSERT_EQ(Stored().m_entries[0]->m_name, "Gamma Three");  // "Other Cat" first

    auto r = Cli({"move", "--dir", "0", "--entry", "0", "Zed Cat"});

    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(nlohmann::json::parse(r.out)["category"], "Zed Cat");
    std::size_t at = After(before, std::string("\0\x09Other Cat", 11)) - 10;
    EXPECT_EQ(readFile(m_file), Patched(before, at, "\x07Zed Cat"));
    auto stored = Stored();
    ASSERT_EQ(stored.m_entries.size(), 3u);
    EXPECT_EQ(stored.m_entries[2]->m_name, "Gamma Three");
    EXPECT_EQ(stored.m_entries[2]->m_category, "Zed Cat");
}

TEST_F(CatalogueCommandsTest, FileChangedBehindTheCatalogueIsRefused)
{
    // Another tool renamed "Alpha One" to "Alpha Two" since the scan.
    Bytes changed = readFile(m_file);
    std::size_t at = After(changed, std::string("\0\x09"
                                                "Alpha One",
                                                11)) -
                     9;
    changed = Patched(changed, at, "Alpha Two");
    writeFile(m_file, changed);
    const Bytes catalogueBefore = readFile(m_catalogueFile);

    auto r = Cli({"rename", "--dir", "0", "--entry", "1", "Blur"});

    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("re-scan"), std::string::npos) << r.err;
    EXPECT_EQ(readFile(m_file), changed);
    EXPECT_EQ(readFile(m_catalogueFile), catalogueBefore);
}

TEST_F(CatalogueCommandsTest, DisableFollowsEveryEntryOfTheFile)
{
    auto r = Cli({"disable", "--dir", "0", "--entry", "1"});

    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::exists(m_dir / "p" / "pipl_three_8bf"));
    EXPECT_FALSE(fs::exists(m_file));
    for (const auto& e : Stored().m_entries) {
        EXPECT_EQ(e->m_enabled, 0);
        EXPECT_EQ(e->m_path, (m_dir / "p" / "pipl_three_8bf").string());
    }
}

// A stored catalogue may name any file: its commands change only files that
// lie in the directory's own directory once links are resolved.
TEST_F(CatalogueCommandsTest, EntriesOutsideTheDirectoryAreNeverChanged)
{
    const fs::path outside = m_dir / "outside";
    fs::create_directories(outside);
    const fs::path victim = outside / "victim.8bf";
    fs::copy_file(m_plugins / "pipl_three.8bf", victim);
    fs::create_symlink(victim, m_dir / "p" / "link.8bf");
    fs::create_symlink(outside, m_dir / "p" / "linked");
    const Bytes before = readFile(victim);
    for (const fs::path& named : {victim, m_dir / "p" / ".." / "outside" / "victim.8bf", m_dir / "p" / "link.8bf",
                                  m_dir / "p" / "linked" / "victim.8bf"}) {
        CPluginListManager catalogue;
        CPluginRestoreManager restore;
        CPIMIManager tails;
        CPluginReader reader(catalogue, restore, tails);
        ASSERT_EQ(reader.ReadFile(named.string(), true), 3);
        ASSERT_TRUE(SaveCatalogue(m_catalogueFile, 0, catalogue));
        for (const std::vector<std::string>& command :
             {std::vector<std::string>{"disable", "--dir", "0", "--entry", "0"},
              {"rename", "--dir", "0", "--entry", "0", "Blur"},
              {"move", "--dir", "0", "--entry", "0", "Zed Cat"},
              {"move", "--dir", "0", "--entry", "0,1", "Zed Cat"},
              {"disable-category", "--dir", "0", "--entry", "0"},
              {"rename-category", "--dir", "0", "--entry", "0", "Zed Cat"}}) {
            auto r = Cli(command);
            EXPECT_EQ(r.status, 1) << named << " " << command[0];
            EXPECT_NE(r.err.find("does not lie in the plug-in directory"), std::string::npos) << r.err;
            EXPECT_EQ(readFile(victim), before) << named << " " << command[0];
            EXPECT_TRUE(fs::exists(victim));
        }
    }
    // The directory's own files are changed as ever, also when reached
    // through a link that stays inside.
    fs::create_symlink(m_dir / "p", m_dir / "inside");
    CPluginListManager catalogue;
    CPluginRestoreManager restore;
    CPIMIManager tails;
    CPluginReader reader(catalogue, restore, tails);
    ASSERT_EQ(reader.ReadFile((m_dir / "inside" / "pipl_three.8bf").string(), true), 3);
    ASSERT_TRUE(SaveCatalogue(m_catalogueFile, 0, catalogue));
    auto r = Cli({"disable", "--dir", "0", "--entry", "0"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::exists(m_dir / "p" / "pipl_three_8bf"));
}

TEST_F(CatalogueCommandsTest, UsageErrors)
{
    EXPECT_EQ(Cli({"rename", "--dir", "0", "Blur"}).status, 2);
    EXPECT_EQ(Cli({"rename", "--entry", "0", "Blur"}).status, 2);
    EXPECT_EQ(Cli({"move", "--dir", "0", "--entry", "0"}).status, 2);
    EXPECT_EQ(Cli({"enable", "--dir", "0", "--entry", "0", "extra"}).status, 2);
    EXPECT_EQ(Cli({"rename", "--dir", "5", "--entry", "0", "Blur"}).status, 1);
    EXPECT_EQ(Cli({"rename", "--dir", "0", "--entry", "3", "Blur"}).status, 1);
}

}  // namespace
}  // namespace vardel::test
