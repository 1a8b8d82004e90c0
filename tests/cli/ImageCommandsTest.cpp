// vardel-cli images, ff and find, run as a user runs them. Pictures come
// from the independent JPEG tools (cjpeg, djpeg); catalogues are written
// through the store functions or, for the sample collection, by the
// program's own scan.

#include "app/Stores.h"
#include "catalogue/PluginDirEntry.h"
#include "catalogue/PluginListManager.h"
#include "catalogue/PluginTables.h"
#include "search/DescriptionListManager.h"
#include "CliTestSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <fstream>

namespace vardel::test {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

class ImageCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_plugins = testDataDir() / "plugins";
        if (!fs::exists(m_plugins / "ff_filter.8bf"))
            FAIL() << "test plug-ins not built: build the vardel_test_plugins target";
        fs::create_directories(m_data / "setup.db");
        fs::create_directories(m_data / "images.db");
    }

    RunResult Cli(std::vector<std::string> args) { return RunCli(std::move(args), m_data); }

    json Ok(const std::vector<std::string>& args) { return RunCliOk(args, m_data); }

    // A w x h picture as a 24-bit BMP (or, with colours, an 8-bit one) and
    // as a JPEG, made by the JPEG tools.
    fs::path Picture(const std::string& name, int w, int h, int colours = 0)
    {
        const fs::path ppm = m_dir / (name + ".ppm");
        std::ofstream out(ppm, std::ios::binary);
        out << "P6\n" << w << ' ' << h << "\n255\n";
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const char rgb[3] = {static_cast<char>(x), static_cast<char>(y), static_cast<char>(x + y)};
                out.write(rgb, 3);
            }
        out.close();
        const fs::path jpg = m_dir / (name + ".jpg");
        EXPECT_EQ(run({"/usr/bin/cjpeg", "-outfile", jpg.string(), ppm.string()}).status, 0);
        if (name.ends_with("jpg"))
            return jpg;
        const fs::path bmp = m_dir / (name + ".bmp");
        std::vector<std::string> args{"/usr/bin/djpeg", "-bmp", "-outfile", bmp.string()};
        if (colours)
            args.insert(args.begin() + 1, {"-colors", std::to_string(colours)});
        args.push_back(jpg.string());
        EXPECT_EQ(run(args).status, 0);
        return bmp;
    }

    std::string Plugin(const std::string& name) { return (m_plugins / name).string(); }

    TempDir m_dir;
    fs::path m_data = m_dir / "data";
    fs::path m_plugins;
};

TEST_F(ImageCommandsTest, ImagesAreListedRenumberedAddedAndDeleted)
{
    const std::string plugin = Plugin("pipl_three.8bf");
    const fs::path images = m_data / "images.db";
    writeFile(images / "8bfm_pipl_three_01_004.jpg", std::string("four"));
    writeFile(images / "8BFM_PIPL_THREE_01_009.JPG", std::string("nine"));
    writeFile(images / "8BFM_PIPL_THREE_00_000.JPG", std::string("another plug-in"));

    json listed = Ok({"images", "list", plugin, "--index", "1"});
    EXPECT_EQ(listed, json::parse(R"({"base": "8BFM_PIPL_THREE_01", "current": 0,
        "names": ["8BFM_PIPL_THREE_01_000.JPG", "8BFM_PIPL_THREE_01_001.JPG"]})"));
    EXPECT_EQ(readFile(images / "8BFM_PIPL_THREE_01_001.JPG"), (std::vector<std::uint8_t>{'n', 'i', 'n', 'e'}));

    json added = Ok({"images", "add", plugin, Picture("big", 640, 480).string(), "--index", "1"});
    EXPECT_EQ(added["current"], 2);
    EXPECT_EQ(added["names"][2], "8BFM_PIPL_THREE_01_002.JPG");
    // The stored JPEG opens in djpeg at the fitted size.
    const fs::path back = m_dir / "back.ppm";
    ASSERT_EQ(
        run({"/usr/bin/djpeg", "-pnm", "-outfile", back.string(), (images / "8BFM_PIPL_THREE_01_002.JPG").string()})
            .status,
        0);
    std::ifstream in(back);
    std::string magic;
    int w = 0, h = 0;
    in >> magic >> w >> h;
    EXPECT_EQ(w, 319);
    EXPECT_EQ(h, 239);

    json fromJpeg = Ok({"images", "add", plugin, Picture("small.jpg", 100, 300).string(), "--index", "1"});
    EXPECT_EQ(fromJpeg["names"].size(), 4u);

    json deleted = Ok({"images", "delete", plugin, "1", "--index", "1"});
    EXPECT_EQ(deleted["names"].size(), 3u);
    EXPECT_EQ(deleted["current"], 1);
    EXPECT_EQ(readFile(images / "8BFM_PIPL_THREE_01_000.JPG"), (std::vector<std::uint8_t>{'f', 'o', 'u', 'r'}));
    EXPECT_FALSE(fs::exists(images / "8BFM_PIPL_THREE_01_003.JPG"));
    EXPECT_EQ(readFile(images / "8BFM_PIPL_THREE_00_000.JPG").size(), 15u);  // untouched
}

TEST_F(ImageCommandsTest, RefusedImagesAndPositionsFailWithoutChanges)
{
    const std::string plugin = Plugin("pipl_single.8bf");
    RunResult palette = Cli({"images", "add", plugin, Picture("palette", 40, 30, 256).string()});
    EXPECT_EQ(palette.status, 1);
    EXPECT_NE(palette.err.find("24-bit"), std::string::npos);
    writeFile(m_dir / "text.bmp", std::string("BM not really"));
    EXPECT_EQ(Cli({"images", "add", plugin, (m_dir / "text.bmp").string()}).status, 1);
    EXPECT_EQ(Cli({"images", "add", plugin, (m_dir / "missing.bmp").string()}).status, 1);
    EXPECT_TRUE(fs::is_empty(m_data / "images.db"));
    EXPECT_EQ(Cli({"images", "delete", plugin, "0"}).status, 1);
    EXPECT_EQ(Cli({"images", "list", plugin, "--index", "7"}).status, 1);
    EXPECT_EQ(Cli({"images", "list", Plugin("text.8bf")}).status, 1);
    EXPECT_EQ(Cli({"images", "delete", plugin}).status, 2);
    EXPECT_EQ(Cli({"images", "list", plugin, "--index", "x"}).status, 2);
}

TEST_F(ImageCommandsTest, FilterFactoryBlockAsJson)
{
    json ff = Ok({"ff", Plugin("ff_filter.8bf")});
    EXPECT_EQ(ff["title"], "FF Ripple");
    EXPECT_EQ(ff["category"], "FF Cat");
    EXPECT_EQ(ff["author"], "A. Vardel");
    EXPECT_EQ(ff["copyright"], "(c) Vardel tests");
    EXPECT_EQ(ff["sliders"], json::parse("[10, 20, 30, 40, 50, 60, 70, 128]"));
    EXPECT_EQ(ff["map_in_use"], json::parse("[true, true, false, false]"));
    EXPECT_EQ(ff["control_in_use"], json::parse("[true, true, true, false, false, false, false, true]"));
    EXPECT_EQ(ff["protected"], false);
    EXPECT_EQ(ff["map_labels"][3], "Map 3");
    EXPECT_EQ(ff["control_labels"][0], "Control 0");
    EXPECT_EQ(ff["formulas"], json::parse(R"j({"r": "r+ctl(0)", "g": "g*ctl(1)/255", "b": "b-x%16", "a": "a"})j"));
    EXPECT_EQ(ff["variant"], "Photoshop Filter Factory");
    EXPECT_EQ(Cli({"ff", Plugin("pipl_single.8bf")}).status, 1);
    EXPECT_EQ(Cli({"ff", Plugin("text.8bf")}).status, 1);
    EXPECT_EQ(Cli({"ff"}).status, 2);
}

TEST_F(ImageCommandsTest, CompatibleFiltersBlocksAsJson)
{
    json ff = Ok({"ff", Plugin("ffc_plain32.8bf")});
    EXPECT_EQ(ff["title"], "Builder Waves");
    EXPECT_EQ(ff["author"], "C. Builder");
    EXPECT_EQ(ff["formulas"]["b"], "rnd(0,254)");
    EXPECT_EQ(ff["variant"], "Filter Factory-compatible filter");
    EXPECT_EQ(Ok({"ff", Plugin("ffc_old.8bf")})["title"], "Old Builder Tile");
    // Nothing readable in a scrambled block, and nothing of it is shown.
    const RunResult scrambled = Cli({"ff", Plugin("ffc_scrambled.8bf")});
    EXPECT_EQ(scrambled.status, 1);
    EXPECT_TRUE(scrambled.out.empty());
    EXPECT_EQ(Cli({"ff", Plugin("ffc_implausible.8bf")}).status, 1);
}

class FindCommandTest : public ImageCommandsTest {
protected:
    void SetUp() override
    {
        ImageCommandsTest::SetUp();
        if (IsSkipped())
            return;
        const DataDirectory data{m_data};
        DirectoryList dirs;
        auto dir = std::make_unique<CPluginDirEntry>();
        dir->m_label = "Plug-ins";
        dir->m_directory = m_plugins.string();
        dir->m_catalogueFile = NewCatalogueFileName(data);
        ASSERT_FALSE(dir->m_catalogueFile.empty());
        const std::string catalogueFile = dir->m_catalogueFile;
        dirs.push_back(std::move(dir));
        ASSERT_TRUE(SaveDirectoryList(data, dirs));

        CPluginListManager catalogue;
        AddPiplEntry(catalogue, "Zoom Blur", "Blur", "/p/zoom.8bf");
        AddPiplEntry(catalogue, "Sharpen", "", "/p/BLUR/sharpen.8bf");
        CPluginEntry& ff = AddPiplEntry(catalogue, "FF Ripple", "FF Cat", Plugin("ff_filter.8bf"));
        ff.m_resourceFlags = 0x04 | 0x08;
        AddPiplEntry(catalogue, "Caf\xE9 Glow", "Artistic", "/p/glow.8bf");
        ASSERT_TRUE(SaveCatalogue(data.Resolve(catalogueFile), 0, catalogue));

        CDescriptionListManager descriptions;
        descriptions.SetFromTexts(catalogue.m_entries[3]->DescriptionKey(), "soft light", "blur glow");
        ASSERT_TRUE(SaveDescriptions(data, descriptions));
    }
    static std::vector<std::string> Column(const json& rows, const char* key)
    {
        std::vector<std::string> out;
        for (const auto& r : rows)
            out.push_back(r[key]);
        return out;
    }
};

TEST_F(FindCommandTest, RowsInCatalogueOrderWithTheDefaultFields)
{
    // Default fields: title, category, keywords.
    json rows = Ok({"find", "blur", "--dir", "0"});
    EXPECT_EQ(Column(rows, "name"), (std::vector<std::string>{"Zoom Blur", "Caf\u00e9 Glow"}));
    EXPECT_EQ(Column(rows, "field"), (std::vector<std::string>{"title", "keywords"}));
    json all = Ok({"find", "blur", "--dir", "0", "--fields", "title,category,author,keywords,description,filename"});
    EXPECT_EQ(Column(all, "name"), (std::vector<std::string>{"Zoom Blur", "Sharpen", "Caf\u00e9 Glow"}));
    EXPECT_EQ(all[1]["category"], "\u00bb Filter");
    EXPECT_EQ(all[1]["path"], "/p/BLUR/sharpen.8bf");
    json exact = Ok({"find", "Blur", "--dir", "0", "--match-case", "--fields", "title,filename"});
    EXPECT_EQ(Column(exact, "name"), (std::vector<std::string>{"Zoom Blur"}));
    // A keyword outside a to z is compared as it is.
    EXPECT_EQ(Ok({"find", "CAF\u00c9", "--dir", "0"}).size(), 0u);
    EXPECT_EQ(Ok({"find", "caf\u00e9", "--dir", "0"}).size(), 1u);
}

TEST_F(FindCommandTest, AuthorSortingAndFailures)
{
    json author = Ok({"find", "vardel", "--dir", "0", "--fields", "author"});
    EXPECT_EQ(Column(author, "name"), (std::vector<std::string>{"FF Ripple"}));
    json sorted = Ok({"find", "", "--dir", "0", "--fields", "title", "--sort", "category"});
    EXPECT_EQ(Column(sorted, "category"), (std::vector<std::string>{"Artistic", "Blur", "FF Cat", "\u00bb Filter"}));
    json byName = Ok({"find", "", "--dir", "0", "--fields", "title", "--sort", "0"});
    EXPECT_EQ(byName[0]["name"], "Caf\u00e9 Glow");
    EXPECT_EQ(Cli({"find", "x", "--dir", "1"}).status, 1);
    EXPECT_EQ(Cli({"find", "x", "--dir", "0", "--fields", "colour"}).status, 2);
    EXPECT_EQ(Cli({"find", "x", "--dir", "0", "--sort", "path"}).status, 2);
    EXPECT_EQ(Cli({"find", "x"}).status, 2);
}

// The sample collection, scanned by the program itself: every row of a
// search is a plug-in with the keyword in one of the searched texts, and
// every such plug-in is a row.
TEST_F(ImageCommandsTest, SearchingTheSampleCollection)
{
    const fs::path sample = m_dir / "sample";
    RunResult made = run({"/usr/bin/python3", (sourceDir() / "tests/plugins/make_plugins.py").string(), "sample",
                          sample.string(), "40"});
    if (made.status != 0)
        FAIL() << "cannot build the sample collection: " << made.err;
    ASSERT_EQ(Cli({"dirs", "add", "Sample", sample.string(), "--subdirs"}).status, 0);
    RunResult selected = Cli({"select", "0"});
    ASSERT_EQ(selected.status, 0) << selected.err;

    DirectoryList dirs;
    LoadDirectoryList(DataDirectory{m_data}, dirs);
    ASSERT_EQ(dirs.size(), 1u);
    CPluginListManager catalogue;
    int selectedClass = 0;
    ASSERT_TRUE(LoadCatalogue(DataDirectory{m_data}.Resolve(dirs[0]->m_catalogueFile), selectedClass, catalogue));
    ASSERT_GT(catalogue.m_entries.size(), 20u);

    auto upper = [](std::string s) {
        for (char& c : s)
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 32);
        return s;
    };
    for (const char* keyword : {"blur", "SKY", "e", "Vardel"}) {
        json rows = Ok({"find", keyword, "--dir", "0", "--fields", "title,category,filename"});
        std::vector<std::string> expected;
        for (const auto& e : catalogue.m_entries) {
            const std::string k = upper(keyword);
            if (upper(e->m_name).find(k) != std::string::npos || upper(e->m_category).find(k) != std::string::npos ||
                upper(e->m_path).find(k) != std::string::npos)
                expected.push_back(e->m_path + "|" + e->m_name);
        }
        std::vector<std::string> got;
        for (const auto& r : rows)
            got.push_back(r["path"].get<std::string>() + "|" + r["name"].get<std::string>());
        EXPECT_EQ(got, expected) << keyword;
    }
}

}  // namespace
}  // namespace vardel::test
